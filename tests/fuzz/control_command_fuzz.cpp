// The virtual card's control commands: a sequence of up to eight requests (one a line, the
// words of each ended by zero bytes, as the control window receives them), a quarter of a
// second apart.
// After each: a defined answer, a world within its ranges, faults whose counts make sense and
// a call log line that is valid JSON naming the command word for word; after the last, the
// program's calls still answered within their records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "virtualcard/model/control_commands.h"
#include "virtualcard/model/virtual_card.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Terminated(const char* field, std::size_t width) { return std::memchr(field, 0, width) != nullptr; }

// The log writes every byte above 0x7E as the code point of the same number; JSON readers
// hand those back in UTF-8. This gives the bytes again.
std::string Latin1(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else {
      Check((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size());
      bytes += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
  }
  return bytes;
}

void CheckWorld(const vcard::CardState& s) {
  Check(s.networks.size() <= static_cast<std::size_t>(vcard::kMaxNetworks));
  for (const vcard::Network& n : s.networks) {
    Check(vcard::CheckNetwork(n).empty());
    Check(n.ssid.size() <= 32 && n.channel >= 1 && n.channel <= 14 && n.signalDbm >= -120 && n.signalDbm <= 0);
    Check(n.repeat >= 1 && n.repeat <= 4 && (n.wep != vcard::Wep::Off || n.key.empty()));
  }
  for (const auto& [bits, count] : {std::pair{s.faults.getBits, s.faults.getBitsCount},
                                    std::pair{s.faults.setBits, s.faults.setBitsCount}})
    Check(count == -1 || (count >= 1 && count <= 1000000 && bits != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::uint64_t now = 0;
  static std::vector<std::string> log;
  vcard::VirtualCard card;
  card.SetClock([] { return now; });
  card.SetThreadId([] { return 7u; });
  card.SetCallLog([](const std::string& line) { log.push_back(line); });

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr int kMaxRequests = 8;
  bool present = card.State().present;
  std::size_t pos = 0;
  for (int request = 0; request < kMaxRequests && pos < input.size(); ++request) {
    std::size_t end = input.find('\n', pos);
    if (end == std::string_view::npos) end = input.size();
    const std::vector<std::string> words = vcard::ControlRequestWords(input.substr(pos, end - pos));
    pos = end + 1;
    now += 250;

    log.clear();
    const vcard::ControlResult result = card.Control(words);
    Check(result.status == 0 || result.status == 1);
    Check(!result.text.empty() && result.text.back() == '\n');
    const vcard::CardState state = card.State();
    Check(result.deviceChanged == (state.present != present));
    present = state.present;
    Check(!result.deviceChanged || result.status == 0);
    CheckWorld(state);

    Check(log.size() == 1);
    const nlohmann::json entry = nlohmann::json::parse(log[0]);
    Check(entry.at("op") == "control" && entry.at("result") == result.status);
    const nlohmann::json& command = entry.at("command");
    Check(command.size() == words.size());
    for (std::size_t i = 0; i < words.size(); ++i) Check(Latin1(command[i].get<std::string>()) == words[i]);
  }

  // The program's calls are still answered within their records.
  WlanConfig config;
  std::memset(&config, 0x5A, sizeof config);
  std::uint32_t flags = vcard::kServedGetBits;
  const std::int32_t got = card.NIVO_GetWLANConfig(&flags, &config);
  Check((got == 0) == (flags == 0) && (flags & ~vcard::kServedGetBits) == 0);
  if (got == 0) Check(config.ssidLength <= kMaxSsidLength && Terminated(config.firmwareVersion, sizeof config.firmwareVersion));
  std::uint8_t survey[4 + 3 * kBssidEntrySize];
  std::uint32_t surveySize = sizeof survey;
  if (card.NIVO_SiteSurveyTrigger() == 0 && card.NIVO_SiteSurveyGet(survey, &surveySize) == kNivoSuccess) {
    std::uint32_t count = 0;
    std::memcpy(&count, survey, 4);
    Check(count <= 3 && surveySize == 4 + count * kBssidEntrySize);
  }
  return 0;
}
