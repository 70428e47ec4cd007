// The program's driver path end to end against the virtual card: NIVO3.DLL loaded by the
// program's own loader into Nivo(), the full profile push of the configuration window, the
// card joining (or refusing) a network of a small world, the link status read back, and the
// calls themselves as the card's call log recorded them.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/config_utility.h"
#include "core/detect_info.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "driver/nivo3_loader.h"
#include "driver/nivo_driver.h"
#include "support/call_log_json.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

// A world in which the default profile (SSID "any", WEP off, infrastructure) has exactly one
// network to join: the stronger ones are an ad hoc cell and a WEP network. The card starts
// configured for a network that does not exist, so a link can only come from the push.
constexpr char kWorld[] =
    "[card]\n"
    "ssid=Nowhere\n"
    "association_delay_ms=150\n"
    "[network]\n"
    "ssid=Raft\nbssid=02-00-00-00-00-07\nchannel=3\nsignal=-30\ntype=adhoc\n"
    "[network]\n"
    "ssid=Vault64\nbssid=00-0C-41-00-00-64\nchannel=11\nsignal=-40\nwep=64\nkey=0A0B0C0D0E\n"
    "[network]\n"
    "ssid=Pier\nbssid=00-0C-41-00-00-01\nchannel=1\nsignal=-55\n";

// Bounds of the waits: a link is given this long to come up; a refused link is watched for
// ten association attempts.
constexpr DWORD kLinkWaitMs = 20000;
constexpr DWORD kNoLinkWatchMs = 1500;
constexpr DWORD kPollMs = 50;

// Selectors of the full push, worked out bit by bit: SSID 0x2, power mode 0x4, mode 0x20,
// fragmentation 0x40, RTS 0x80, radio configuration 0x400, WEP status 0x10000, authentication
// 0x20000, preamble 0x2000000; with WEP on also the four key slots 0xF000.
constexpr char kPushSelector[] = "0x20304E6";
constexpr char kPushSelectorWithKeys[] = "0x203F4E6";

using Members = calllog::Json;

// The text of a string member, or "<none>" when it is missing or not a string.
std::string Text(const Members& m, const char* key) { return calllog::Text(m, key); }

// The JSON of a member (a number's digits), or "<none>".
std::string Raw(const Members& m, const char* key) {
  auto found = m.find(key);
  return found == m.end() ? "<none>" : found->dump();
}

struct LinkWait {
  bool linked = false;
  int lastResult = -1;
  WlanConfig config{};
};

// Reads the link status until the card reports a link, at most kLinkWaitMs. The record is
// zero at the start, so the read that finds the link asks the selector of a record whose
// previous mode was not infrastructure.
LinkWait WaitForLink(CConfigUtility& sheet) {
  LinkWait wait;
  const DWORD start = GetTickCount();
  do {
    wait.lastResult = sheet.ReadLinkStatus(wait.config, 0);
    if (wait.lastResult == 1 && wait.config.mediaConnectStatus == kMediaConnected) {
      wait.linked = true;
      return wait;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - start < kLinkWaitMs);
  return wait;
}

class DriverWithVirtualCard : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDomain_ = gIniDomain;
    savedZeroConfig_ = gZeroConfigActive.load();
    gZeroConfigActive = 0;

    ASSERT_TRUE(folder_.Write("world.ini", kWorld));
    logPath_ = folder_.File("calls.jsonl");
    // Read by the library at NIVO_Init, so they are in place before it.
    environment_.Set("NIVO3_SCENARIO", folder_.File("world.ini"));
    environment_.Set("NIVO3_CALL_LOG", logPath_);

    const std::string library = ProgramFolder() + "\\NIVO3.dll";
    // A missing library would stop the loader at a message box: fail before it.
    ASSERT_NE(GetFileAttributesA(library.c_str()), INVALID_FILE_ATTRIBUTES) << library;
    // Other tests of this program load the library too; the card starts over at NIVO_Init
    // whatever came before, and binding again makes a terminated driver usable.
    if (GetModuleHandleA("NIVO3.dll") != nullptr)
      std::printf("[   NOTE   ] NIVO3.dll is already loaded in this process\n");
    if (Nivo().bound()) std::printf("[   NOTE   ] Nivo() was bound before this test; binding it again\n");
    ASSERT_TRUE(LoadNivoLibraryFrom(Nivo(), library));
    ASSERT_TRUE(Nivo().bound());
    ASSERT_FALSE(Nivo().terminated());

    ASSERT_EQ(Nivo().NIVO_Init("Halden", 0), 0);
    DetectInfo info;
    FillDetectInfo(info);
    ASSERT_EQ(Nivo().NIVO_Detect(&info), 1);
    root_ = "TallwynTest\\driver-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    ASSERT_EQ(Nivo().NIVO_SetProfileRoot(root_.c_str()), 0);
  }

  void TearDown() override {
    if (!Nivo().terminated()) Nivo().NIVO_Terminate();
    Nivo().Bind(NivoFunctions{});  // the next user binds its own table
    if (!root_.empty()) SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + root_).c_str());
    gIniDomain = savedDomain_;
    gZeroConfigActive = savedZeroConfig_;
  }

  // Ends the library as the program's exit does and returns the call log, each line parsed.
  // A line that is not one JSON object fails the test.
  std::vector<Members> TerminateAndReadLog() {
    EXPECT_EQ(Nivo().NIVO_Terminate(), 0);
    // The library has let go of the file: it opens without sharing (and the folder goes).
    HANDLE exclusive = CreateFileA(logPath_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE) << "the call log is still open after NIVO_Terminate";
    if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
    std::vector<Members> calls;
    for (const std::string& line : FileLines(logPath_)) {
      auto members = calllog::ParseObject(line);
      EXPECT_TRUE(members.has_value()) << line;
      if (members) calls.push_back(*members);
    }
    return calls;
  }

  // Where the next full push begins: the first NIVO_SetWLDomain at or after `from`.
  static std::size_t FindPush(const std::vector<Members>& calls, std::size_t from) {
    for (std::size_t i = from; i < calls.size(); ++i)
      if (Text(calls[i], "op") == "NIVO_SetWLDomain") return i;
    return calls.size();
  }

  // The five calls of one full push, from `at`: the domain, the pre-read of the driver's
  // current values, the channel's frequency, the stored driver settings, the one set.
  // Returns the set's line for the caller's field checks.
  static Members CheckPushCalls(const std::vector<Members>& calls, std::size_t at, int domain, int channel,
                                const char* ssid, const char* selector) {
    const char* const expected[] = {"NIVO_SetWLDomain", "NIVO_GetWLANConfig", "NIVO_ChannelToFrequency",
                                    "NIVO_SetDriverReg", "NIVO_SetWLANConfig"};
    if (at + 5 > calls.size()) {
      ADD_FAILURE() << "the log ends before the push is complete";
      return {};
    }
    for (int k = 0; k < 5; ++k) EXPECT_EQ(Text(calls[at + k], "op"), expected[k]) << "call " << k << " of the push";
    EXPECT_EQ(Raw(calls[at], "domain"), std::to_string(domain));
    EXPECT_EQ(Text(calls[at + 1], "dwWLFlag_in"), "0x207F6EE");
    EXPECT_EQ(Raw(calls[at + 2], "channel"), std::to_string(channel));
    EXPECT_EQ(Text(calls[at + 3], "ssid"), ssid);
    EXPECT_EQ(Raw(calls[at + 3], "channel"), std::to_string(channel));
    EXPECT_EQ(Raw(calls[at + 3], "result"), "0");
    const Members& set = calls[at + 4];
    EXPECT_EQ(Text(set, "dwWLFlag_in"), selector);
    EXPECT_EQ(Text(set, "ssid"), ssid);
    EXPECT_EQ(Raw(set, "ssidLength"), std::to_string(std::strlen(ssid)));
    EXPECT_EQ(Raw(set, "infrastructureMode"), "1");
    EXPECT_EQ(Raw(set, "powerMode"), "0");
    EXPECT_EQ(Raw(set, "fragThreshold"), "2346");
    EXPECT_EQ(Raw(set, "rtsThreshold"), "2347");
    EXPECT_EQ(Raw(set, "authMode"), "2");
    EXPECT_EQ(Raw(set, "preambleType"), "0");
    EXPECT_EQ(Raw(set, "GMode"), "1");
    EXPECT_EQ(Raw(set, "supportedRates"), "<none>") << "the full push does not select the rates";
    // Every selected field was accepted: the program's record is the one the card reads.
    EXPECT_EQ(Text(set, "dwWLFlag_out"), "0x0");
    EXPECT_EQ(Raw(set, "result"), "0");
    return set;
  }

  // The link reads from `from` up to `to`: each a connect-status query, and only a connected
  // one followed by a get, with the selectors `gets` in turn, every field served.
  static void CheckLinkReads(const std::vector<Members>& calls, std::size_t from, std::size_t to,
                             const std::vector<std::string>& gets) {
    std::size_t nextGet = 0;
    for (std::size_t i = from; i < to; ++i) {
      ASSERT_EQ(Text(calls[i], "op"), "NIVO_QueryOID") << "line " << i + 1;
      EXPECT_EQ(Text(calls[i], "oid"), "0x10114");
      EXPECT_EQ(Raw(calls[i], "length"), "4");
      const std::string value = Raw(calls[i], "value");
      if (value == "1") continue;  // disconnected: nothing else is read
      ASSERT_EQ(value, "0") << "line " << i + 1;
      ASSERT_LT(i + 1, to) << "a connected status is followed by the read of the link";
      ++i;
      EXPECT_EQ(Text(calls[i], "op"), "NIVO_GetWLANConfig") << "line " << i + 1;
      ASSERT_LT(nextGet, gets.size()) << "more link reads than expected, line " << i + 1;
      EXPECT_EQ(Text(calls[i], "dwWLFlag_in"), gets[nextGet++]);
      EXPECT_EQ(Text(calls[i], "dwWLFlag_out"), "0x0");
    }
    EXPECT_EQ(nextGet, gets.size()) << "link reads missing";
  }

  ScratchFolder folder_;
  EnvironmentGuard environment_;
  std::string logPath_;
  std::string root_;
  int savedDomain_ = 0;
  std::int32_t savedZeroConfig_ = 0;
};

TEST_F(DriverWithVirtualCard, DefaultProfileJoinsTheOnlyOpenInfrastructureNetwork) {
  gIniDomain = 1;  // ETSI: the push sends the settings file's domain, not a fixed one
  CConfigUtility sheet("test", nullptr, 0);
  sheet.FillDefaultProfile(sheet.profile);
  sheet.ApplyProfileToDriver();

  LinkWait link = WaitForLink(sheet);
  ASSERT_TRUE(link.linked) << "no link within " << kLinkWaitMs << " ms; last result " << link.lastResult;
  const WlanConfig& config = link.config;
  EXPECT_EQ(config.ssidLength, 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(config.ssid), 5), std::string("Pier", 5));
  const std::uint8_t pier[6] = {0x00, 0x0C, 0x41, 0x00, 0x00, 0x01};
  EXPECT_EQ(std::memcmp(config.bssid, pier, 6), 0);
  // The joined network's channel 1 (2412 MHz), not the profile's channel 6.
  EXPECT_EQ(config.configuration.DSConfig, 2412000u);
  EXPECT_EQ(config.configuration.DSConfig, static_cast<std::uint32_t>(Nivo().NIVO_ChannelToFrequency(1)));
  EXPECT_EQ(config.infrastructureMode, 1);
  EXPECT_EQ(config.rssi, -55);

  // The next read knows the link is an infrastructure one and asks its two status fields too.
  WlanConfig again = config;
  EXPECT_EQ(sheet.ReadLinkStatus(again, 0), 1);
  EXPECT_EQ(again.mediaConnectStatus, kMediaConnected);

  std::vector<Members> calls = TerminateAndReadLog();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(Text(calls[0], "op"), "NIVO_Init");
  EXPECT_EQ(Text(calls[0], "applicationName"), "Halden");
  const std::size_t push = FindPush(calls, 0);
  ASSERT_LT(push, calls.size()) << "no push in the log";
  const Members set = CheckPushCalls(calls, push, 1, 6, "any", kPushSelector);
  EXPECT_EQ(Raw(set, "dsFrequency"), "2437000");
  EXPECT_EQ(Raw(set, "wepStatus"), "1");
  EXPECT_EQ(Raw(set, "wepKey"), "<none>") << "WEP off sends no key";
  EXPECT_EQ(Raw(calls[push + 3], "encryptionLevel"), "0");

  // The link reads: the connect status until connected (the NIVO_ChannelToFrequency of
  // the test itself sits between the two reads), then the fields of each mode-0 read.
  ASSERT_EQ(Text(calls.back(), "op"), "NIVO_Terminate");
  std::size_t conversion = push + 5;
  while (conversion < calls.size() && Text(calls[conversion], "op") != "NIVO_ChannelToFrequency") ++conversion;
  ASSERT_LT(conversion, calls.size());
  CheckLinkReads(calls, push + 5, conversion, {"0xE23"});
  CheckLinkReads(calls, conversion + 1, calls.size() - 1, {"0x1000E33"});
}

TEST_F(DriverWithVirtualCard, WepPushJoinsOnlyWithTheNetworksKeyAsTransmitKey) {
  gIniDomain = 0;
  CConfigUtility sheet("test", nullptr, 0);
  sheet.FillDefaultProfile(sheet.profile);
  std::strcpy(sheet.profile.ssid, "Vault64");
  sheet.profile.encryptionLevel = 1;
  const char* const keys[4] = {"1111111111", "2222222222", "0A0B0C0D0E", "4444444444"};
  for (int s = 0; s < 4; ++s) std::strcpy(sheet.profile.activeKeyText[s], keys[s]);

  // Key 3 is the network's, but key 1 is the transmit key: no link.
  sheet.profile.defaultKeyIndex = 0;
  sheet.ApplyProfileToDriver();
  const DWORD start = GetTickCount();
  int reads = 0;
  do {
    WlanConfig config;
    std::memset(&config, 0xA5, sizeof config);
    WlanConfig before = config;
    ASSERT_EQ(sheet.ReadLinkStatus(config, 0), 1) << "a disconnected card is a successful read";
    ASSERT_EQ(config.mediaConnectStatus, kMediaDisconnected) << "joined with the wrong transmit key";
    before.mediaConnectStatus = kMediaDisconnected;
    ASSERT_EQ(std::memcmp(&config, &before, sizeof config), 0) << "a disconnected read reads nothing else";
    ++reads;
    Sleep(kPollMs);
  } while (GetTickCount() - start < kNoLinkWatchMs);

  // The same keys with key 3 as the transmit key: the card joins.
  sheet.profile.defaultKeyIndex = 2;
  sheet.ApplyProfileToDriver();
  LinkWait link = WaitForLink(sheet);
  ASSERT_TRUE(link.linked) << "no link within " << kLinkWaitMs << " ms; last result " << link.lastResult;
  EXPECT_EQ(link.config.ssidLength, 7u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(link.config.ssid), 8), std::string("Vault64", 8));
  const std::uint8_t vault[6] = {0x00, 0x0C, 0x41, 0x00, 0x00, 0x64};
  EXPECT_EQ(std::memcmp(link.config.bssid, vault, 6), 0);
  EXPECT_EQ(link.config.configuration.DSConfig, 2462000u);  // channel 11
  EXPECT_EQ(link.config.infrastructureMode, 1);

  std::vector<Members> calls = TerminateAndReadLog();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(Text(calls.back(), "op"), "NIVO_Terminate");
  const std::size_t refused = FindPush(calls, 0);
  const std::size_t joined = FindPush(calls, refused + 1);
  ASSERT_LT(joined, calls.size()) << "two pushes expected in the log";

  // Each push sends all four keys as 5-byte elements, the transmit key marked.
  for (auto [at, transmitSlot] : {std::pair{refused, 0}, std::pair{joined, 2}}) {
    SCOPED_TRACE("push with transmit key " + std::to_string(transmitSlot + 1));
    const Members set = CheckPushCalls(calls, at, 0, 6, "Vault64", kPushSelectorWithKeys);
    EXPECT_EQ(Raw(set, "wepStatus"), "0");
    EXPECT_EQ(Raw(calls[at + 3], "encryptionLevel"), "1");
    EXPECT_EQ(Raw(calls[at + 3], "defaultKeyIndex"), std::to_string(transmitSlot));
    auto elements = set.find("wepKey");
    ASSERT_TRUE(elements != set.end() && elements->is_array()) << Raw(set, "wepKey");
    ASSERT_EQ(elements->size(), 4u);
    for (int s = 0; s < 4; ++s) {
      const Members& key = (*elements)[s];
      ASSERT_TRUE(key.is_object()) << key;
      EXPECT_EQ(Raw(key, "slot"), std::to_string(s));
      EXPECT_EQ(Raw(key, "length"), "20");
      EXPECT_EQ(Raw(key, "keyLength"), "5");
      const std::string index = s == transmitSlot ? "0x8000000" + std::to_string(s) : "0x" + std::to_string(s);
      EXPECT_EQ(Text(key, "keyIndex"), index);
      EXPECT_EQ(Text(key, "keyMaterial"), keys[s]);
    }
  }
  // While the wrong key was in place every read found the card disconnected and read nothing
  // more; after the right one, the reads end in one mode-0 read of the link.
  CheckLinkReads(calls, refused + 5, joined, {});
  EXPECT_EQ(joined - (refused + 5), static_cast<std::size_t>(reads)) << "one status query per read";
  CheckLinkReads(calls, joined + 5, calls.size() - 1, {"0xE23"});
}

}  // namespace
