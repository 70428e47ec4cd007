// The virtual card's control commands: what virtualcard-ctl asks of a running card (insert,
// remove, link, signal, networks, zero configuration, faults) and the status it prints.
#include "virtualcard/model/control_commands.h"

#include <algorithm>

#include "virtualcard/model/virtual_card.h"

namespace vcard {
namespace {

ControlResult Fail(const std::string& text) { return ControlResult{1, text + "\n", false}; }

}  // namespace

std::vector<std::string> ControlRequestWords(std::string_view request) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < request.size()) {
    const std::size_t end = request.find('\0', start);
    if (end == std::string_view::npos) {
      words.emplace_back(request.substr(start));
      break;
    }
    words.emplace_back(request.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::string VirtualCard::StatusText() {
  std::string out;
  auto line = [&](const std::string& key, const std::string& value) { out += key + ": " + value + "\n"; };
  const LiveConfig& c = world_.config;
  const Network* n = link_ && world_.present ? Find(*link_) : nullptr;
  line("present", world_.present ? "yes" : "no");
  std::uint64_t now = Now();
  if (n) line("linked", "yes");
  else if (!world_.present) line("linked", "no");
  else if (holdDown_) line("linked", "no (held down until link-up or a new configuration)");
  else line("linked", "no (next association attempt in " + std::to_string(associateAt_ > now ? associateAt_ - now : 0) + " ms)");
  line("ssid", n ? n->ssid : c.ssid.empty() ? "(any)" : c.ssid + " (configured)");
  line("bssid", n ? FormatBssid(n->bssid) : "none");
  line("channel", std::to_string(n ? n->channel : c.channel));
  line("rssi", n ? std::to_string(n->signalDbm) + " dBm" : "none");
  line("rate", n ? RateMbitText(CurrentRate(*n)) + " Mbit/s" : "none");
  line("mode", c.infrastructureMode == 1 ? "infrastructure" : "adhoc");
  if (c.wepStatus != 0) {
    line("wep", "off");
  } else {
    const WepKeySlot& k = c.keys[c.txKey];
    line("wep", std::string(k.set ? (k.material.size() == 5 ? "64" : "128") : "on, no key") + " (transmit key " +
                    std::to_string(c.txKey + 1) + (k.set ? " " + HexBytes(k.material.data(), k.material.size()) : "") + ")");
  }
  line("zero-config", world_.zeroConfig ? "on" : "off");
  line("domain", std::to_string(c.domain) + " (channel mask " + HexNumber(ChannelMaskForDomain(c.domain)) + ")");
  line("frames", "tx " + std::to_string(linkedMs_ / 40) + " rx " + std::to_string(linkedMs_ / 25));
  line("profile-root", root_.empty() ? "none" : root_);
  std::string faults;
  const Faults& f = world_.faults;
  auto add = [&](bool on, const std::string& name) {
    if (on) faults += (faults.empty() ? "" : ", ") + name;
  };
  add(f.detect, "detect");
  add(f.queryConnect, "query-connect");
  add(f.queryCounters, "query-counters");
  add(f.survey, "survey");
  add(f.store, "store");
  add(f.getBits != 0, "get-bits " + HexNumber(f.getBits) + (f.getBitsCount > 0 ? " (" + std::to_string(f.getBitsCount) + " calls)" : ""));
  add(f.setBits != 0, "set-bits " + HexNumber(f.setBits) + (f.setBitsCount > 0 ? " (" + std::to_string(f.setBitsCount) + " calls)" : ""));
  line("faults", faults.empty() ? "none" : faults);
  if (!scenarioErrors_.empty()) {
    line("scenario-errors", std::to_string(scenarioErrors_.size()));
    for (const std::string& error : scenarioErrors_) out += "  " + error + "\n";
  }
  line("networks", std::to_string(world_.networks.size()));
  for (const Network& net : world_.networks) out += "  " + DescribeNetwork(net) + "\n";
  return out;
}

ControlResult VirtualCard::Control(const std::vector<std::string>& words) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  ControlResult result = RunControl(words);
  LogControl(words, result.status);
  return result;
}

ControlResult VirtualCard::RunControl(const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "help") return ControlResult{words.empty() ? 1 : 0, vcard::kControlCommandList, false};
  const std::string& verb = words[0];
  std::size_t argc = words.size() - 1;
  auto matches = [&](const Network& n, const std::string& key) {
    std::array<std::uint8_t, 6> bssid{};
    return (ParseBssid(key, bssid) && n.bssid == bssid) || n.ssid == key;
  };
  if (verb == "status" && argc == 0) return ControlResult{0, StatusText(), false};
  if (verb == "insert" && argc == 0) {
    if (world_.present) return ControlResult{0, "the card is already present\n", false};
    Insert();
    return ControlResult{0, "card inserted\n", true};
  }
  if (verb == "remove" && argc == 0) {
    if (!world_.present) return ControlResult{0, "the card is already removed\n", false};
    Remove();
    return ControlResult{0, "card removed\n", true};
  }
  if (verb == "link-down" && argc == 0) {
    if (!world_.present) return Fail("no card: insert it first");
    link_.reset();
    holdDown_ = true;
    return ControlResult{0, "link down\n", false};
  }
  if (verb == "link-up" && argc == 0) {
    if (!world_.present) return Fail("no card: insert it first");
    if (holdDown_) Reassociate();
    return ControlResult{0, "link allowed again\n", false};
  }
  if (verb == "signal" && argc == 2) {
    long long dbm = 0;
    if (!ParseInteger(words[2], dbm) || dbm < -120 || dbm > 0) return Fail("signal must be -120..0 dBm");
    int changed = 0;
    for (Network& n : world_.networks)
      if (matches(n, words[1])) {
        n.signalDbm = static_cast<int>(dbm);
        ++changed;
      }
    if (changed == 0) return Fail("no network '" + words[1] + "'");
    Advance();
    return ControlResult{0, "signal of " + std::to_string(changed) + " network(s) set\n", false};
  }
  if (verb == "add-network" && argc >= 1) {
    Network n;
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::size_t eq = words[i].find('=');
      if (eq == std::string::npos) return Fail("'" + words[i] + "' is not key=value");
      std::string problem = ApplyNetworkKey(n, std::string_view(words[i]).substr(0, eq), std::string_view(words[i]).substr(eq + 1));
      if (!problem.empty()) return Fail(problem);
    }
    std::string problem = CheckNetwork(n);
    if (!problem.empty()) return Fail(problem);
    if (world_.networks.size() >= static_cast<std::size_t>(kMaxNetworks)) return Fail("the world holds 64 networks already");
    if (n.wep == Wep::Off) n.key.clear();
    world_.networks.push_back(n);
    return ControlResult{0, "added " + DescribeNetwork(n) + "\n", false};
  }
  if (verb == "drop-network" && argc == 1) {
    auto before = world_.networks.size();
    world_.networks.erase(std::remove_if(world_.networks.begin(), world_.networks.end(),
                                         [&](const Network& n) { return matches(n, words[1]); }),
                          world_.networks.end());
    if (world_.networks.size() == before) return Fail("no network '" + words[1] + "'");
    Advance();
    return ControlResult{0, "dropped " + std::to_string(before - world_.networks.size()) + " network(s)\n", false};
  }
  if (verb == "zeroconfig" && argc == 1 && (words[1] == "on" || words[1] == "off")) {
    world_.zeroConfig = words[1] == "on";
    return ControlResult{0, "zero configuration " + words[1] + "\n", false};
  }
  if (verb == "fault" && argc >= 2 && (words[2] == "on" || words[2] == "off")) {
    const std::string& name = words[1];
    bool on = words[2] == "on";
    Faults& f = world_.faults;
    bool* flag = FaultFlagNamed(f, name);
    if (flag && argc == 2) {
      *flag = on;
      return ControlResult{0, "fault " + name + " " + words[2] + "\n", false};
    }
    if (name == "get-bits" || name == "set-bits") {
      std::uint32_t& bits = name == "get-bits" ? f.getBits : f.setBits;
      int& count = name == "get-bits" ? f.getBitsCount : f.setBitsCount;
      if (!on && argc == 2) {
        bits = 0;
        count = -1;
        return ControlResult{0, "fault " + name + " off\n", false};
      }
      long long mask = 0;
      long long calls = -1;
      if (!on || argc < 3 || argc > 4 || !ParseInteger(words[3], mask) || mask <= 0 || mask > 0xFFFFFFFFll)
        return Fail("usage: fault " + name + " on <mask> [calls]");
      if (argc == 4 && (!ParseInteger(words[4], calls) || calls < 1 || calls > 1000000))
        return Fail("calls must be 1..1000000");
      bits = static_cast<std::uint32_t>(mask);
      count = static_cast<int>(calls);
      return ControlResult{0, "fault " + name + " on " + HexNumber(bits) + "\n", false};
    }
  }
  return ControlResult{1, "not understood: " + verb + "\n" + vcard::kControlCommandList, false};
}

}  // namespace vcard
