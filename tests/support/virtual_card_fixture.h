// The process-wide virtual card on a test clock, its call log kept in memory, and helpers
// that talk to it the way the program does (through the C entry points).
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "virtualcard/model/virtual_card_functions.h"

// A WlanConfig with heap key elements, as a push builds it.
class KeyedConfig {
 public:
  KeyedConfig() { std::memset(&config_, 0, sizeof config_); }
  KeyedConfig(const KeyedConfig&) = delete;
  WlanConfig& config() { return config_; }
  std::uint32_t& flags() { return flags_; }
  void Ssid(const std::string& ssid) {
    flags_ |= wlflag::kSsid;
    config_.ssidLength = static_cast<std::uint32_t>(ssid.size());
    std::memcpy(config_.ssid, ssid.data(), std::min<std::size_t>(ssid.size(), sizeof config_.ssid));
  }
  void Mode(int mode) {
    flags_ |= wlflag::kInfrastructureMode;
    config_.infrastructureMode = mode;
  }
  void Frequency(std::uint32_t khz) {
    flags_ |= wlflag::kConfiguration;
    config_.configuration.Length = 32;
    config_.configuration.DSConfig = khz;
  }
  void WepOff() {
    flags_ |= wlflag::kWepStatus | wlflag::kAuthMode;
    config_.wepStatus = 1;
    config_.authMode = 2;
  }
  // Four keys of the same length from hexadecimal texts; `tx` marks the transmit slot.
  void WepOn(const std::vector<std::string>& hexKeys, int tx) {
    flags_ |= wlflag::kWepStatus | wlflag::kAuthMode;
    config_.wepStatus = 0;
    config_.authMode = 2;
    for (int s = 0; s < 4; ++s) {
      const std::string& hex = hexKeys[s];
      std::size_t n = hex.size() / 2;
      storage_[s].assign(n + kWepKeyElementOverhead, 0);
      auto* e = reinterpret_cast<WepKeyElement*>(storage_[s].data());
      e->length = static_cast<std::uint32_t>(n + kWepKeyElementOverhead);
      e->keyLength = static_cast<std::uint32_t>(n);
      e->keyIndex = static_cast<std::uint32_t>(s) | (s == tx ? kTransmitKeyBit : 0);
      for (std::size_t i = 0; i < n; ++i)
        e->keyMaterial[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
      config_.wepKey[s] = e;
      flags_ |= wlflag::kWepKey0 << s;
    }
  }

 private:
  WlanConfig config_;
  std::uint32_t flags_ = 0;
  std::vector<std::uint8_t> storage_[4];
};

class VirtualCardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualCard();
    SetVirtualCardClock([this] { return now; });
    VirtualCardInstance().SetCallLog([this](const std::string& line) { log.push_back(line); });
    f = VirtualCardFunctions();
  }
  void TearDown() override { ResetVirtualCard(); }

  void Wait(std::uint64_t ms) { now += ms; }

  // The media connect status as ReadLinkStatus reads it: 0 connected, 1 disconnected, -1 failed.
  int ConnectStatus() {
    std::uint32_t value = 0xDEAD, written = 0;
    if (f.NIVO_QueryOID(kOidGenMediaConnectStatus, &value, 4, &written) != 0 || written != 4) return -1;
    return static_cast<int>(value);
  }

  std::uint32_t Get(std::uint32_t flags, WlanConfig& config) {
    f.NIVO_GetWLANConfig(&flags, &config);
    return flags;
  }

  std::uint32_t Set(KeyedConfig& keyed) {
    std::uint32_t flags = keyed.flags();
    f.NIVO_SetWLANConfig(&flags, &keyed.config());
    return flags;
  }

  // Joins the way the changed-settings push does: ssid, mode, channel and the WEP setting.
  std::uint32_t Join(const std::string& ssid, int mode, int channel, const std::vector<std::string>& keys = {},
                     int tx = 0) {
    KeyedConfig k;
    k.Ssid(ssid);
    k.Mode(mode);
    k.Frequency(static_cast<std::uint32_t>(f.NIVO_ChannelToFrequency(channel)));
    if (keys.empty()) k.WepOff();
    else k.WepOn(keys, tx);
    return Set(k);
  }

  vcard::ControlResult Ctl(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return VirtualCardInstance().Control(words);
  }

  std::string LastLine(const std::string& op) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->find("\"op\":\"" + op + "\"") != std::string::npos) return *it;
    return "";
  }

  std::uint64_t now = 500000;
  NivoFunctions f;
  std::vector<std::string> log;
};
