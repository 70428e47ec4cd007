// The virtual card's scenario reader: any text. The world it gives must be complete and
// within its ranges, every skipped line must be reported with its number, the world written
// back as a scenario must read again to the same world without a complaint, and a card
// started from it must answer the program's first calls within their records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "virtualcard/model/virtual_card.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Terminated(const char* field, std::size_t width) { return std::memchr(field, 0, width) != nullptr; }

void CheckNetworkRanges(const vcard::Network& n) {
  Check(vcard::CheckNetwork(n).empty());
  Check(!n.ssid.empty() && n.ssid.size() <= 32);
  Check(n.channel >= 1 && n.channel <= 14);
  Check(n.signalDbm >= -120 && n.signalDbm <= 0);
  Check(n.repeat >= 1 && n.repeat <= 4);
  Check(n.wep == vcard::Wep::Off ? n.key.empty() : n.key.size() == (n.wep == vcard::Wep::Wep64 ? 5u : 13u));
}

std::string Flag(bool on) { return on ? "1" : "0"; }

// The world as scenario text, with every key the reader knows.
std::string ScenarioOf(const vcard::World& w) {
  const vcard::LiveConfig& c = w.config;
  std::string text = "[card]\npresent=" + Flag(w.present) + "\nzero_config=" + Flag(w.zeroConfig) +
                     "\nfirmware=" + w.firmware + "\ndriver_path=" + w.driverPath + "\nhardware_id=" + w.hardwareId +
                     "\nassociation_delay_ms=" + std::to_string(w.associationDelayMs) + "\nssid=" + c.ssid +
                     "\nmode=" + std::to_string(c.infrastructureMode) + "\nchannel=" + std::to_string(c.channel) +
                     "\ndomain=" + std::to_string(c.domain) + "\n";
  const vcard::Faults& f = w.faults;
  text += "[faults]\ndetect=" + Flag(f.detect) + "\nquery_connect=" + Flag(f.queryConnect) +
          "\nquery_counters=" + Flag(f.queryCounters) + "\nsurvey=" + Flag(f.survey) + "\nstore=" + Flag(f.store) +
          "\nget_bits=" + std::to_string(f.getBits) + "\nset_bits=" + std::to_string(f.setBits) + "\n";
  for (const vcard::Network& n : w.networks) {
    text += "[network]\nssid=" + n.ssid + "\nbssid=" + vcard::FormatBssid(n.bssid) +
            "\nchannel=" + std::to_string(n.channel) + "\nsignal=" + std::to_string(n.signalDbm) +
            "\ntype=" + (n.infrastructure ? "infrastructure" : "adhoc") +
            "\nwep=" + (n.wep == vcard::Wep::Off ? "off" : n.wep == vcard::Wep::Wep64 ? "64" : "128") +
            "\nband=" + (n.gBand ? "g" : "b") + "\nrepeat=" + std::to_string(n.repeat) + "\n";
    if (n.wep != vcard::Wep::Off) text += "key=" + vcard::HexBytes(n.key.data(), n.key.size()) + "\n";
  }
  return text;
}

bool SameNetwork(const vcard::Network& a, const vcard::Network& b) {
  return a.ssid == b.ssid && a.bssid == b.bssid && a.channel == b.channel && a.signalDbm == b.signalDbm &&
         a.infrastructure == b.infrastructure && a.wep == b.wep && a.key == b.key && a.gBand == b.gBand &&
         a.repeat == b.repeat;
}

bool SameWorld(const vcard::World& a, const vcard::World& b) {
  if (a.networks.size() != b.networks.size()) return false;
  for (std::size_t i = 0; i < a.networks.size(); ++i)
    if (!SameNetwork(a.networks[i], b.networks[i])) return false;
  const vcard::Faults &f = a.faults, &g = b.faults;
  return a.present == b.present && a.zeroConfig == b.zeroConfig && a.firmware == b.firmware &&
         a.driverPath == b.driverPath && a.hardwareId == b.hardwareId &&
         a.associationDelayMs == b.associationDelayMs && a.config.ssid == b.config.ssid &&
         a.config.infrastructureMode == b.config.infrastructureMode && a.config.channel == b.config.channel &&
         a.config.domain == b.config.domain && f.detect == g.detect && f.queryConnect == g.queryConnect &&
         f.queryCounters == g.queryCounters && f.survey == g.survey && f.store == g.store &&
         f.getBits == g.getBits && f.setBits == g.setBits;
}

std::size_t LineCount(std::string_view text) {
  std::size_t lines = 0;
  for (std::size_t pos = 0; pos < text.size(); ++lines) {
    const std::size_t end = text.find('\n', pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const vcard::ScenarioResult result = vcard::ParseScenario(text);
  const vcard::World& w = result.world;

  Check(w.networks.size() <= static_cast<std::size_t>(vcard::kMaxNetworks));
  for (const vcard::Network& n : w.networks) CheckNetworkRanges(n);
  Check(w.firmware.size() <= 79 && !w.driverPath.empty() && w.driverPath.size() <= 259 && w.hardwareId.size() <= 127);
  Check(w.associationDelayMs >= 0 && w.associationDelayMs <= 60000);
  Check(w.config.ssid.size() <= 32);
  Check(w.config.infrastructureMode == 0 || w.config.infrastructureMode == 1);
  Check(w.config.channel >= 1 && w.config.channel <= 14 && w.config.domain >= 0 && w.config.domain <= 4);
  const std::size_t lines = LineCount(text);
  for (const std::string& error : result.errors) {
    if (size > (1u << 20)) break;  // a scenario that large is refused as a whole
    Check(error.compare(0, 5, "line ") == 0);
    const unsigned long line = std::strtoul(error.c_str() + 5, nullptr, 10);
    Check(line >= 1 && line <= lines);
  }

  // Written back, the world reads again as it is, without a complaint.
  const vcard::ScenarioResult again = vcard::ParseScenario(ScenarioOf(w));
  Check(again.errors.empty());
  Check(SameWorld(w, again.world));

  // A card of this world answers the program's first calls within their records.
  static vcard::VirtualCard card;
  static std::uint64_t now = 0;
  card.SetClock([] { return now; });
  card.Reset(w, result.errors);
  now += static_cast<std::uint64_t>(w.associationDelayMs) + 1;
  WlanConfig config;
  std::memset(&config, 0xA5, sizeof config);
  std::uint32_t flags = vcard::kServedGetBits;
  const std::int32_t got = card.NIVO_GetWLANConfig(&flags, &config);
  Check((got == 0) == (flags == 0) && (flags & ~vcard::kServedGetBits) == 0);
  if (w.present && !w.faults.getBits) {
    Check(got == 0);
    Check(config.ssidLength <= kMaxSsidLength && Terminated(config.firmwareVersion, sizeof config.firmwareVersion));
  }
  static std::uint8_t survey[kSurveyBufferSize];
  std::uint32_t surveySize = sizeof survey;
  if (card.NIVO_SiteSurveyGet(survey, &surveySize) == kNivoSuccess) {
    std::uint32_t count = 0;
    std::memcpy(&count, survey, 4);
    Check(surveySize == 4 + count * kBssidEntrySize && surveySize <= sizeof survey);
  }
  char path[kDriverPathBufferSize];
  Check(card.NIVO_GetWLANDriverPath(path) == kNivoSuccess && Terminated(path, sizeof path));
  const vcard::CardState state = card.State();
  Check(state.networks.size() == w.networks.size());
  if (state.linked) Check(state.channel >= 1 && state.channel <= 14 && state.rssi >= -120 && state.rssi <= 0);
  return 0;
}
