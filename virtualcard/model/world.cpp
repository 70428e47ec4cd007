#include "virtualcard/model/world.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace vcard {
namespace {

constexpr std::size_t kMaxScenarioSize = 1 << 20;
constexpr std::size_t kMaxLineLength = 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseBool(std::string_view text, bool& out) {
  std::string v = Lower(text);
  if (v == "1" || v == "yes" || v == "on" || v == "true") {
    out = true;
    return true;
  }
  if (v == "0" || v == "no" || v == "off" || v == "false") {
    out = false;
    return true;
  }
  return false;
}

bool ParseRange(std::string_view text, long long low, long long high, int& out) {
  long long v = 0;
  if (!ParseInteger(text, v) || v < low || v > high) return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseMask(std::string_view text, std::uint32_t& out) {
  long long v = 0;
  if (!ParseInteger(text, v) || v < 0 || v > 0xFFFFFFFFll) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

// Text values end up in fixed-size driver fields: printable bytes only, bounded length.
bool IsPlainText(std::string_view text, std::size_t maxLength) {
  if (text.size() > maxLength) return false;
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

std::string ApplyCardKey(World& world, const std::string& key, std::string_view value) {
  if (key == "present") return ParseBool(value, world.present) ? "" : "present must be 0 or 1";
  if (key == "zero_config") return ParseBool(value, world.zeroConfig) ? "" : "zero_config must be 0 or 1";
  if (key == "firmware") {
    if (!IsPlainText(value, 79)) return "firmware must be at most 79 printable characters";
    world.firmware = std::string(value);
    return "";
  }
  if (key == "driver_path") {
    if (value.empty() || !IsPlainText(value, 259)) return "driver_path must be 1..259 printable characters";
    world.driverPath = std::string(value);
    return "";
  }
  if (key == "hardware_id") {
    if (!IsPlainText(value, 127)) return "hardware_id must be at most 127 printable characters";
    world.hardwareId = std::string(value);
    return "";
  }
  if (key == "association_delay_ms")
    return ParseRange(value, 0, 60000, world.associationDelayMs) ? "" : "association_delay_ms must be 0..60000";
  if (key == "ssid") {
    if (value.size() > 32) return "ssid must be at most 32 bytes";
    world.config.ssid = std::string(value);
    return "";
  }
  if (key == "mode") {
    std::string v = Lower(value);
    if (v == "infrastructure" || v == "1") world.config.infrastructureMode = 1;
    else if (v == "adhoc" || v == "ad-hoc" || v == "0") world.config.infrastructureMode = 0;
    else return "mode must be infrastructure or adhoc";
    return "";
  }
  if (key == "channel") return ParseRange(value, 1, 14, world.config.channel) ? "" : "channel must be 1..14";
  if (key == "domain") return ParseRange(value, 0, 4, world.config.domain) ? "" : "domain must be 0..4";
  return "unknown key '" + key + "' in [card]";
}

std::string ApplyFaultKey(Faults& faults, const std::string& key, std::string_view value) {
  bool* flag = FaultFlagNamed(faults, key);
  if (flag) return ParseBool(value, *flag) ? "" : key + " must be 0 or 1";
  if (key == "get_bits") return ParseMask(value, faults.getBits) ? "" : "get_bits must be a 32-bit mask";
  if (key == "set_bits") return ParseMask(value, faults.setBits) ? "" : "set_bits must be a 32-bit mask";
  return "unknown key '" + key + "' in [faults]";
}

Network MakeNetwork(const char* ssid, const char* bssid, int channel, int signal, bool infrastructure,
                    Wep wep, const char* key, bool gBand, int repeat) {
  Network n;
  n.ssid = ssid;
  ParseBssid(bssid, n.bssid);
  n.channel = channel;
  n.signalDbm = signal;
  n.infrastructure = infrastructure;
  n.wep = wep;
  ParseHexBytes(key, n.key);
  n.gBand = gBand;
  n.repeat = repeat;
  return n;
}

}  // namespace

bool* FaultFlagNamed(Faults& faults, std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c == '-') c = '_';
  return key == "detect"           ? &faults.detect
         : key == "query_connect"  ? &faults.queryConnect
         : key == "query_counters" ? &faults.queryCounters
         : key == "survey"         ? &faults.survey
         : key == "store"          ? &faults.store
                                   : nullptr;
}

bool ParseInteger(std::string_view text, long long& out) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 16) return false;
  long long value = 0;
  for (char c : text) {
    int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    // Sixteen hexadecimal digits can exceed the largest value: refused, never wrapped.
    if (value > (std::numeric_limits<long long>::max() - d) / base) return false;
    value = value * base + d;
  }
  out = negative ? -value : value;
  return true;
}

bool ParseBssid(std::string_view text, std::array<std::uint8_t, 6>& out) {
  text = Trim(text);
  if (text.size() != 17) return false;
  std::array<std::uint8_t, 6> bytes{};
  for (int i = 0; i < 6; ++i) {
    int hi = HexDigit(text[i * 3]);
    int lo = HexDigit(text[i * 3 + 1]);
    if (hi < 0 || lo < 0) return false;
    if (i < 5 && text[i * 3 + 2] != '-' && text[i * 3 + 2] != ':') return false;
    bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  out = bytes;
  return true;
}

std::string FormatBssid(const std::array<std::uint8_t, 6>& b) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
  return text;
}

bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
  text = Trim(text);
  if (text.size() % 2 != 0) return false;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int hi = HexDigit(text[i]);
    int lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  out = std::move(bytes);
  return true;
}

std::string HexBytes(const std::uint8_t* data, std::size_t size) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

std::uint16_t ChannelMaskForDomain(int domain) {
  switch (domain) {
    case 0: return 0x07FF;  // FCC: 1-11
    case 1: return 0x1FFF;  // ETSI: 1-13
    case 2: return 0x0600;  // Spain: 10-11
    case 3: return 0x1E00;  // France: 10-13
    case 4: return 0x3FFF;  // MKK: 1-14
    default: return 0;
  }
}

std::int32_t ChannelToFrequencyKHz(std::int32_t channel) {
  if (channel >= 1 && channel <= 13) return 2412000 + 5000 * (channel - 1);
  if (channel == 14) return 2484000;
  return 0;
}

std::int32_t FrequencyKHzToChannel(std::int32_t frequency) {
  if (frequency == 2484000) return 14;
  if (frequency < 2412000 || frequency > 2472000 || (frequency - 2412000) % 5000 != 0) return 0;
  return (frequency - 2412000) / 5000 + 1;
}

std::string DescribeNetwork(const Network& n) {
  std::string text = "ssid=" + n.ssid + " bssid=" + FormatBssid(n.bssid) + " channel=" +
                     std::to_string(n.channel) + " signal=" + std::to_string(n.signalDbm) +
                     " type=" + (n.infrastructure ? "infrastructure" : "adhoc") + " wep=" +
                     (n.wep == Wep::Off ? "off" : n.wep == Wep::Wep64 ? "64" : "128");
  if (n.wep != Wep::Off) text += " key=" + HexBytes(n.key.data(), n.key.size());
  text += std::string(" band=") + (n.gBand ? "g" : "b");
  if (n.repeat != 1) text += " repeat=" + std::to_string(n.repeat);
  return text;
}

std::string ApplyNetworkKey(Network& n, std::string_view keyText, std::string_view value) {
  std::string key = Lower(Trim(keyText));
  value = Trim(value);
  if (key == "ssid") {
    if (value.empty() || value.size() > 32) return "ssid must be 1..32 bytes";
    n.ssid = std::string(value);
    return "";
  }
  if (key == "bssid") return ParseBssid(value, n.bssid) ? "" : "bssid must read like 00-1A-2B-3C-4D-5E";
  if (key == "channel") return ParseRange(value, 1, 14, n.channel) ? "" : "channel must be 1..14";
  if (key == "signal") return ParseRange(value, -120, 0, n.signalDbm) ? "" : "signal must be -120..0 dBm";
  if (key == "type") {
    std::string v = Lower(value);
    if (v == "infrastructure") n.infrastructure = true;
    else if (v == "adhoc" || v == "ad-hoc") n.infrastructure = false;
    else return "type must be infrastructure or adhoc";
    return "";
  }
  if (key == "wep") {
    std::string v = Lower(value);
    if (v == "off" || v == "0") n.wep = Wep::Off;
    else if (v == "64") n.wep = Wep::Wep64;
    else if (v == "128") n.wep = Wep::Wep128;
    else return "wep must be off, 64 or 128";
    return "";
  }
  if (key == "key") {
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(value, bytes) || (bytes.size() != 5 && bytes.size() != 13))
      return "key must be 10 or 26 hexadecimal digits";
    n.key = std::move(bytes);
    return "";
  }
  if (key == "band") {
    std::string v = Lower(value);
    if (v == "g") n.gBand = true;
    else if (v == "b") n.gBand = false;
    else return "band must be b or g";
    return "";
  }
  if (key == "repeat") return ParseRange(value, 1, 4, n.repeat) ? "" : "repeat must be 1..4";
  return "unknown network key '" + key + "'";
}

std::string CheckNetwork(const Network& n) {
  if (n.ssid.empty()) return "network without ssid";
  if (n.bssid == std::array<std::uint8_t, 6>{}) return "network without bssid";
  if (n.wep == Wep::Wep64 && n.key.size() != 5) return "64-bit WEP network needs a 10-digit key";
  if (n.wep == Wep::Wep128 && n.key.size() != 13) return "128-bit WEP network needs a 26-digit key";
  return "";
}

ScenarioResult ParseScenario(std::string_view text) {
  ScenarioResult result;
  if (text.size() > kMaxScenarioSize) {
    result.world = BuiltInWorld();
    result.errors.push_back("scenario larger than 1 MiB: built-in world used");
    return result;
  }
  World& world = result.world;
  enum class Section { None, Card, Faults, Network, Unknown } section = Section::None;
  Network network;
  int networkLine = 0;
  auto error = [&](int line, const std::string& what) {
    result.errors.push_back("line " + std::to_string(line) + ": " + what);
  };
  auto closeNetwork = [&]() {
    if (section != Section::Network) return;
    std::string problem = CheckNetwork(network);
    if (!problem.empty()) {
      error(networkLine, problem + ": network skipped");
    } else if (world.networks.size() >= static_cast<std::size_t>(kMaxNetworks)) {
      error(networkLine, "more than 64 networks: network skipped");
    } else {
      if (network.wep == Wep::Off) network.key.clear();
      world.networks.push_back(network);
    }
  };

  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (raw.size() > kMaxLineLength) {
      error(lineNumber, "line longer than 1024 characters: skipped");
      continue;
    }
    if (raw.find('\0') != std::string_view::npos) {
      error(lineNumber, "not text: skipped");
      continue;
    }
    std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        error(lineNumber, "section header without ']': skipped");
        continue;
      }
      closeNetwork();
      std::string name = Lower(Trim(line.substr(1, line.size() - 2)));
      if (name == "card") section = Section::Card;
      else if (name == "faults") section = Section::Faults;
      else if (name == "network") {
        section = Section::Network;
        network = Network{};
        networkLine = lineNumber;
      } else {
        section = Section::Unknown;
        error(lineNumber, "unknown section [" + name + "]: its keys are skipped");
      }
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      error(lineNumber, "not a key=value line: skipped");
      continue;
    }
    std::string key = Lower(Trim(line.substr(0, eq)));
    std::string_view value = Trim(line.substr(eq + 1));
    std::string problem;
    switch (section) {
      case Section::None: problem = "key outside a section"; break;
      case Section::Unknown: continue;
      case Section::Card: problem = ApplyCardKey(world, key, value); break;
      case Section::Faults: problem = ApplyFaultKey(world.faults, key, value); break;
      case Section::Network: problem = ApplyNetworkKey(network, key, value); break;
    }
    if (!problem.empty()) error(lineNumber, problem + ": skipped");
  }
  closeNetwork();
  return result;
}

World BuiltInWorld() {
  World world;
  world.networks = {
      MakeNetwork("Harbour", "00-1A-2B-3C-4D-01", 1, -48, true, Wep::Off, "", true, 1),
      MakeNetwork("Lighthouse64", "00-1A-2B-3C-4D-02", 6, -63, true, Wep::Wep64, "0A0B0C0D0E", true, 2),
      MakeNetwork("Quayside128", "00-1A-2B-3C-4D-03", 11, -77, true, Wep::Wep128,
                  "5C3E1A7B90D24F68A13B7C9E05", false, 1),
      MakeNetwork("Skiff", "02-00-5E-10-20-30", 3, -70, false, Wep::Off, "", false, 1),
  };
  return world;
}

}  // namespace vcard
