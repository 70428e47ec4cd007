// The polling thread on the virtual clock against a recording library: start-up with and
// without an active profile, the wait for the card, and each branch of the one-second cycle
// (re-apply, first-pass drop, settings push, connect status, card loss, the Windows 98/Me
// key-only pushes, the page-set check, the hand-shake and the time each cycle takes).
#include "core/polling_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "app/os_kind.h"
#include "app/quorvel_app.h"
#include "core/config_utility.h"
#include "core/detect_info.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"
#include "framework/memory/memory_property_sheet.h"
#include "res/resource.h"
#include "support/app_fixture.h"
#include "support/recording_nivo.h"
#include "support/sheet_test_support.h"

namespace {

using testing_nivo::NivoCall;
using testing_nivo::RecordingNivo;
using Log = std::vector<std::string>;

constexpr char kFailedText[] = "Failed to change device configuration.";

// The main frame as the thread sees it: icons and page-set checks go into the shared log.
class FakeHost : public PollingHost {
 public:
  explicit FakeHost(Log& log) : log_(log) {}
  bool ModifyIconAtTaskbar(std::uint32_t iconId) override {
    icons.push_back(iconId);
    log_.push_back("icon " + std::to_string(iconId));
    return true;
  }
  int AdjustPagesByXPWZC(int apply) override {
    adjustCalls.push_back(apply);
    log_.push_back("adjust " + std::to_string(apply));
    return 0;
  }
  std::vector<std::uint32_t> icons;
  std::vector<int> adjustCalls;

 private:
  Log& log_;
};

// A profile the library holds as the active one, unlike the defaults in every field the
// pushes send.
ProfileWireless OfficeProfile() {
  ProfileWireless p{};
  p.channel = 11;
  p.rateCode = 4;
  p.operatingMode = 1;
  p.GMode = 0;
  std::strcpy(p.profileName, "Office");
  std::strcpy(p.ssid, "Office");
  p.encryptionLevel = 1;
  for (auto& key : p.activeKeyText) std::strcpy(key, "0102030405");
  p.defaultKeyIndex = 2;
  p.fragThreshold = 1000;
  p.rtsThreshold = 500;
  p.powerSaveMode = 1;
  return p;
}

class PollingThreadTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    OsKind = kOsWindowsXP;
    gIniDomain = 0;
    Nivo().Bind(fake.table());
    sys.strings[IDS_DEVICE_CHANGE_FAILED] = kFailedText;
    sys.strings[AFX_IDS_APP_TITLE] = kUtilityTitle;
    // Every library call and every host call, in one order.
    fake.duringCall = [this](const char* operation) {
      log.push_back(operation);
      callTimes[operation].push_back(sys.now);
    };
    gConfigSheet = new CConfigUtility(kUtilityTitle, nullptr, 0);
    poller = std::make_unique<PollingThread>(*gConfigSheet, host);
  }
  void TearDown() override {
    Nivo().Bind(NivoFunctions{});
    gIniDomain = 0;
    AppTest::TearDown();
  }

  CConfigUtility& sheet() { return *gConfigSheet; }
  fw::MemorySheetBackend& backend() { return dynamic_cast<fw::MemorySheetBackend&>(sheet().backend()); }

  // Start-up with the library holding "Office" as the active profile.
  void StartLoaded() {
    fake.activeProfileResult = 0;
    fake.activeProfileName = "Office";
    fake.storedProfile = OfficeProfile();
    ASSERT_TRUE(poller->StartUp());
  }
  // Start-up with no active profile, then the first cycle (the re-apply of process start):
  // the next cycle is an ordinary one.
  void StartDefaultAndReapply() {
    ASSERT_TRUE(poller->StartUp());
    poller->RunCycle();
    ASSERT_EQ(gReapplyRequest, 0);
    Clear();
  }
  void Clear() {
    log.clear();
    callTimes.clear();
    host.icons.clear();
    host.adjustCalls.clear();
    sys.messageBoxes.clear();
    mark = fake.calls().size();
  }
  // The recorded calls of one operation since the last Clear.
  std::vector<NivoCall> CallsOf(const std::string& operation) const {
    const std::vector<NivoCall> all = fake.calls();
    std::vector<NivoCall> out;
    for (std::size_t i = mark; i < all.size(); ++i)
      if (all[i].operation == operation) out.push_back(all[i]);
    return out;
  }
  // Library operations only, in order, from the log.
  Log Operations() const {
    Log out;
    for (const std::string& entry : log)
      if (entry.rfind("NIVO_", 0) == 0) out.push_back(entry);
    return out;
  }
  std::uint32_t CycleTime() {
    const std::uint32_t start = sys.now;
    poller->RunCycle();
    return sys.now - start;
  }

  RecordingNivo fake;
  Log log;
  std::map<std::string, std::vector<std::uint32_t>> callTimes;
  FakeHost host{log};
  std::unique_ptr<PollingThread> poller;
  std::size_t mark = 0;
};

// The full push of ApplyProfileToDriver, as the library sees it.
const Log kFullPush = {"NIVO_SetWLDomain", "NIVO_GetWLANConfig", "NIVO_ChannelToFrequency", "NIVO_SetDriverReg",
                       "NIVO_SetWLANConfig"};

Log Concat(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---------------------------------------------------------------- start-up

TEST_F(PollingThreadTest, WithoutAnActiveProfileTheDefaultIsStoredAndActivatedButNotPushed) {
  ASSERT_TRUE(poller->StartUp());
  EXPECT_EQ(log, (Log{"NIVO_Detect", "icon 187", "NIVO_SetProfileRoot", "NIVO_GetActiveProfileByType",
                      "NIVO_SetActiveProfileByType", "NIVO_SetProfileWireless"}));
  EXPECT_EQ(CallsOf("NIVO_SetProfileRoot")[0].text, "Tallwyn\\Profile");
  EXPECT_EQ(CallsOf("NIVO_GetActiveProfileByType")[0].number, 1);
  const NivoCall activate = CallsOf("NIVO_SetActiveProfileByType")[0];
  EXPECT_EQ(activate.text, "Default");
  EXPECT_EQ(activate.number, 1);

  ProfileWireless defaults;
  sheet().FillDefaultProfile(defaults);
  const NivoCall stored = CallsOf("NIVO_SetProfileWireless")[0];
  EXPECT_EQ(stored.text, "Default");
  ASSERT_TRUE(stored.profile.has_value());
  EXPECT_EQ(std::memcmp(&*stored.profile, &defaults, sizeof(defaults)), 0);
  EXPECT_EQ(std::memcmp(&sheet().profile, &defaults, sizeof(defaults)), 0);
  EXPECT_EQ(gDevicePresent, 1);
  EXPECT_EQ(sys.now, 0u);

  // The first cycle still pushes it: the re-apply request stands from process start.
  Clear();
  poller->RunCycle();
  EXPECT_EQ(Operations(), kFullPush);
  EXPECT_STREQ(CallsOf("NIVO_SetDriverReg")[0].profile->ssid, "any");
}

TEST_F(PollingThreadTest, AnActiveProfileIsLoadedAndPushedAtStartAndAgainByTheFirstCycle) {
  StartLoaded();
  EXPECT_EQ(log, Concat({"NIVO_Detect", "icon 187", "NIVO_SetProfileRoot", "NIVO_GetActiveProfileByType",
                         "NIVO_GetProfileWireless"},
                        kFullPush));
  EXPECT_EQ(CallsOf("NIVO_GetProfileWireless")[0].text, "Office");
  const ProfileWireless office = OfficeProfile();
  EXPECT_EQ(std::memcmp(&sheet().profile, &office, sizeof(office)), 0);

  poller->RunCycle();
  EXPECT_EQ(Operations(), Concat(Concat({"NIVO_Detect", "NIVO_SetProfileRoot", "NIVO_GetActiveProfileByType",
                                         "NIVO_GetProfileWireless"},
                                        kFullPush),
                                 kFullPush));
  const auto regs = CallsOf("NIVO_SetDriverReg");
  ASSERT_EQ(regs.size(), 2u);
  for (const NivoCall& reg : regs) EXPECT_STREQ(reg.profile->ssid, "Office");
  const auto sets = CallsOf("NIVO_SetWLANConfig");
  ASSERT_EQ(sets.size(), 2u);
  for (const NivoCall& set : sets) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(set.config->ssid), set.config->ssidLength), "Office");
    EXPECT_EQ(set.config->configuration.DSConfig, 2462000u);
  }
}

struct CardWait {
  const char* name;
  bool stopInstead;  // the third step sets gStopPolling instead of the card appearing
};

class CardWaitTest : public PollingThreadTest, public ::testing::WithParamInterface<CardWait> {};

TEST_P(CardWaitTest, StartUpWaitsInSecondStepsUntilTheCardComesOrTheThreadIsStopped) {
  fake.detectResult = 0;
  std::vector<std::uint32_t> sleeps;
  sys.onSleep = [&](std::uint32_t ms) {
    sleeps.push_back(ms);
    if (sleeps.size() == 3) (GetParam().stopInstead ? gStopPolling : gDevicePresent) = 1;
  };
  EXPECT_EQ(poller->StartUp(), !GetParam().stopInstead);
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{1000, 1000, 1000}));
  EXPECT_EQ(CallsOf("NIVO_Detect").size(), 1u) << "the wait itself does not detect";
  if (GetParam().stopInstead) {
    EXPECT_EQ(log, (Log{"NIVO_Detect"}));
  } else {
    EXPECT_EQ(host.icons, (std::vector<std::uint32_t>{IDI_NO_LINK}));
    EXPECT_EQ(CallsOf("NIVO_SetProfileRoot").size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Wait, CardWaitTest,
                         ::testing::Values(CardWait{"CardFoundByDeviceChange", false},
                                           CardWait{"StoppedWhileWaiting", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PollingThreadTest, TheThreadProcedureRunsStartUpThenCyclesUntilTheStopIsSeen) {
  gPollingHost = &host;
  // Stop during the second cycle (the first ordinary one): it still ends, then no more.
  sys.onSleep = [](std::uint32_t ms) {
    if (ms == 1000) gStopPolling = 1;
  };
  PollingThread::ThreadMain(&gConfigSheet);
  EXPECT_EQ(CallsOf("NIVO_SetProfileRoot").size(), 1u);
  EXPECT_EQ(CallsOf("NIVO_SetWLDomain").size(), 1u) << "one re-apply";
  EXPECT_EQ(CallsOf("NIVO_QueryOID").size(), 1u) << "one ordinary cycle";

  // Without a sheet the procedure ends at once.
  CConfigUtility* none = nullptr;
  const std::size_t calls = fake.calls().size();
  PollingThread::ThreadMain(&none);
  EXPECT_EQ(fake.calls().size(), calls);
}

// ---------------------------------------------------------------- re-apply and first pass

struct Reapply {
  const char* name;
  std::uint8_t os;
  std::uint32_t duration;
  std::vector<std::uint32_t> setTimes;  // virtual time of each NIVO_SetWLANConfig
};

class ReapplyTest : public PollingThreadTest, public ::testing::WithParamInterface<Reapply> {};

TEST_P(ReapplyTest, AReapplyCyclePushesTheProfileAndStartsTheNextCycleAtOnce) {
  ASSERT_TRUE(poller->StartUp());
  OsKind = GetParam().os;
  sheet().profile = OfficeProfile();  // 64-bit WEP: the key-only push carries four keys
  Clear();
  gChangeParametersRequest = 1;
  sys.SetEvent(sheet().forground);
  EXPECT_EQ(CycleTime(), GetParam().duration);
  EXPECT_EQ(gReapplyRequest, 0);
  EXPECT_EQ(gChangeParametersRequest, 0);
  EXPECT_EQ(callTimes["NIVO_SetWLANConfig"], GetParam().setTimes);
  EXPECT_TRUE(CallsOf("NIVO_QueryOID").empty());
  EXPECT_TRUE(host.icons.empty());
  EXPECT_FALSE(sys.eventSignalled(sheet().forground)) << "left reset until the next cycle's end";
  const auto sets = CallsOf("NIVO_SetWLANConfig");
  if (sets.size() == 2) {
    // The key-only push: keys, WEP status and authentication, nothing else.
    EXPECT_EQ(sets[1].selectorIn, 0x3F000u);
    EXPECT_EQ(sets[1].keys[2]->keyIndex, 2u | kTransmitKeyBit);
  }
}

INSTANTIATE_TEST_SUITE_P(Os, ReapplyTest,
                         ::testing::Values(Reapply{"WindowsXP", kOsWindowsXP, 0, {0}},
                                           Reapply{"Windows2000", kOsWindows2000, 0, {0}},
                                           Reapply{"Windows98Me", kOsWindows98Me, 4500, {0, 3000}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FirstPass {
  const char* name;
  bool loaded;
  bool pushedInSecondCycle;
};

class FirstPassTest : public PollingThreadTest, public ::testing::WithParamInterface<FirstPass> {};

TEST_P(FirstPassTest, ARequestBeforeTheFirstOrdinaryCycleIsDroppedOnlyAfterALoadedStart) {
  if (GetParam().loaded) {
    StartLoaded();
  } else {
    ASSERT_TRUE(poller->StartUp());
  }
  poller->RunCycle();  // the re-apply
  Clear();
  gChangeParametersRequest = 1;
  poller->RunCycle();
  EXPECT_EQ(gChangeParametersRequest, 0);
  EXPECT_EQ(CallsOf("NIVO_SetDriverReg").size(), GetParam().pushedInSecondCycle ? 1u : 0u);
  // A later request is always pushed.
  Clear();
  gChangeParametersRequest = 1;
  poller->RunCycle();
  EXPECT_EQ(CallsOf("NIVO_SetDriverReg").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Start, FirstPassTest,
                         ::testing::Values(FirstPass{"LoadedProfile", true, false},
                                           FirstPass{"DefaultProfile", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- settings push

struct Push {
  const char* name;
  std::uint8_t os;
  std::int32_t encryptionLevel;
  std::uint32_t selector;               // the first NIVO_SetWLANConfig
  std::vector<std::uint32_t> setTimes;  // relative to the pre-read
  std::uint32_t driverRegTime;          // relative to the pre-read
};

class PushTest : public PollingThreadTest, public ::testing::WithParamInterface<Push> {};

TEST_P(PushTest, ASettingsRequestSendsTheProfilesBasicFieldsThenStoresThemInTheDriver) {
  StartDefaultAndReapply();
  OsKind = GetParam().os;
  ProfileWireless& p = sheet().profile;
  p.channel = 11;
  p.rateCode = 3;
  p.GMode = 7;
  p.operatingMode = 0;
  std::strcpy(p.ssid, "Lab");
  p.powerSaveMode = 1;
  p.encryptionLevel = GetParam().encryptionLevel;
  // The pre-read radio configuration: its other fields travel on unchanged.
  fake.onGet = [](std::uint32_t served, WlanConfig& c) {
    if (served & wlflag::kConfiguration) {
      c.configuration.BeaconPeriod = 100;
      c.configuration.DSConfig = 2412000;
    }
  };
  gChangeParametersRequest = 1;
  poller->RunCycle();

  EXPECT_EQ(gChangeParametersRequest, 0);
  EXPECT_TRUE(sys.messageBoxes.empty());
  const auto gets = CallsOf("NIVO_GetWLANConfig");
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].selectorIn, 0x400u);
  const std::uint32_t t0 = callTimes["NIVO_GetWLANConfig"][0];
  std::vector<std::uint32_t> setTimes;
  for (std::uint32_t t : callTimes["NIVO_SetWLANConfig"]) setTimes.push_back(t - t0);
  EXPECT_EQ(setTimes, GetParam().setTimes);
  ASSERT_EQ(callTimes["NIVO_SetDriverReg"].size(), 1u);
  EXPECT_EQ(callTimes["NIVO_SetDriverReg"][0] - t0, GetParam().driverRegTime);

  const NivoCall set = CallsOf("NIVO_SetWLANConfig")[0];
  EXPECT_EQ(set.selectorIn, GetParam().selector);
  const WlanConfig& c = *set.config;
  EXPECT_EQ(c.configuration.DSConfig, 2462000u) << "channel 11 through NIVO_ChannelToFrequency";
  EXPECT_EQ(c.configuration.BeaconPeriod, 100u);
  const std::uint8_t rates[8] = {4, 2, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(c.supportedRates, rates, 8), 0);
  EXPECT_EQ(c.GMode, 7);
  EXPECT_EQ(c.infrastructureMode, 0);
  EXPECT_EQ(c.ssidLength, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.ssid), 3), "Lab");
  EXPECT_EQ(c.powerMode, 1);
  EXPECT_EQ(CallsOf("NIVO_ChannelToFrequency")[0].number, 11);
  EXPECT_STREQ(CallsOf("NIVO_SetDriverReg")[0].profile->ssid, "Lab");
  const Log ops = Operations();
  EXPECT_EQ(ops.back(), "NIVO_QueryOID") << "the connect status follows the push";
}

// Selectors: 0x626 (SSID, power mode, mode, rates, configuration) with WEP status and
// authentication (0x30000), and the four key bits (0xF000) when WEP is on.
INSTANTIATE_TEST_SUITE_P(
    Os, PushTest,
    ::testing::Values(Push{"WepOff", kOsWindowsXP, 0, 0x30626, {100}, 100},
                      Push{"Wep64", kOsWindowsXP, 1, 0x3F626, {100}, 100},
                      Push{"Windows98MeAddsAKeyOnlyPush", kOsWindows98Me, 2, 0x3F626, {100, 600}, 2100}),
    [](const auto& info) { return std::string(info.param.name); });

struct PushFailure {
  const char* name;
  std::deque<std::uint32_t> leftovers;
  std::vector<std::uint32_t> selectors;
  bool fails;
};

class PushFailureTest : public PollingThreadTest, public ::testing::WithParamInterface<PushFailure> {};

TEST_P(PushFailureTest, FieldsTheDriverRefusesAreRetriedOnceThenReportedAndNotStored) {
  StartDefaultAndReapply();
  fake.setLeftover = GetParam().leftovers;
  gChangeParametersRequest = 1;
  poller->RunCycle();
  std::vector<std::uint32_t> selectors;
  for (const NivoCall& call : CallsOf("NIVO_SetWLANConfig")) selectors.push_back(call.selectorIn);
  EXPECT_EQ(selectors, GetParam().selectors);
  EXPECT_EQ(gChangeParametersRequest, 0);
  if (GetParam().fails) {
    ASSERT_EQ(sys.messageBoxes.size(), 1u);
    EXPECT_EQ(sys.messageBoxes[0].text, kFailedText);
    EXPECT_EQ(sys.messageBoxes[0].style, fw::mb::kOk | fw::mb::kIconExclamation);
    EXPECT_TRUE(CallsOf("NIVO_SetDriverReg").empty());
  } else {
    EXPECT_TRUE(sys.messageBoxes.empty());
    EXPECT_EQ(CallsOf("NIVO_SetDriverReg").size(), 1u);
  }
  // Not retried by the next cycle.
  Clear();
  poller->RunCycle();
  EXPECT_TRUE(CallsOf("NIVO_SetWLANConfig").empty());
  EXPECT_TRUE(sys.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Leftovers, PushFailureTest,
                         ::testing::Values(PushFailure{"RetrySucceeds", {0x2}, {0x30626, 0x2}, false},
                                           PushFailure{"RetryFails", {0x22, 0x20}, {0x30626, 0x22}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- connect status

struct Status {
  const char* name;
  std::uint8_t os;
  std::int32_t queryResult;
  std::uint32_t bytes;
  std::uint32_t media;
  std::int32_t detect;
  std::vector<std::uint32_t> icons;
  bool detects;
  std::uint8_t presentAfter;
};

class StatusTest : public PollingThreadTest, public ::testing::WithParamInterface<Status> {};

TEST_P(StatusTest, TheConnectStatusPicksTheIconAndAFailedQueryDetectsOnTheOlderFamilies) {
  StartDefaultAndReapply();
  OsKind = GetParam().os;
  fake.queryResult = GetParam().queryResult;
  fake.queryBytesWritten = GetParam().bytes;
  fake.mediaConnectStatus = GetParam().media;
  fake.detectResult = GetParam().detect;
  poller->RunCycle();
  const auto queries = CallsOf("NIVO_QueryOID");
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0].number, 0x10114);
  EXPECT_EQ(queries[0].length, 4u);
  EXPECT_EQ(host.icons, GetParam().icons);
  EXPECT_EQ(CallsOf("NIVO_Detect").size(), GetParam().detects ? 1u : 0u);
  const Log lines = sys.debugLines();
  const bool traced = std::find(lines.begin(), lines.end(),
                                "<M> NIVO_Detect BY (polling thread, OID_GEN_MEDIA_CONNECT_STATUS)") != lines.end();
  EXPECT_EQ(traced, GetParam().detects);
  EXPECT_EQ(gDevicePresent, GetParam().presentAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusTest,
    ::testing::Values(Status{"Connected", kOsWindowsXP, 0, 4, 0, 1, {186}, false, 1},
                      Status{"NotConnected", kOsWindows98Me, 0, 4, 1, 1, {187}, false, 1},
                      Status{"QueryFailsOnXP", kOsWindowsXP, -1, 4, 0, 0, {}, false, 1},
                      Status{"ShortAnswerOn2000", kOsWindows2000, 0, 2, 0, 0, {}, false, 1},
                      Status{"QueryFailsOn98CardStillThere", kOsWindows98Me, -1, 4, 0, 1, {}, true, 1},
                      Status{"QueryFailsOnNT4CardGone", kOsWindowsNT4, -1, 4, 0, 0, {207}, true, 0},
                      Status{"QueryFailsOn95CardGone", kOsWindows95, -1, 0, 0, 0, {207}, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- card absent

struct CardLoss {
  const char* name;
  std::uint8_t os;
  bool windowOpen;
  bool closesWithOne;
};

class CardLossTest : public PollingThreadTest, public ::testing::WithParamInterface<CardLoss> {};

TEST_P(CardLossTest, WithoutTheCardTheIconGoesAndOn2000AndXPTheOpenWindowClosesWithResultOne) {
  StartDefaultAndReapply();
  OsKind = GetParam().os;
  gDevicePresent = 0;
  int result = 0;
  if (GetParam().windowOpen) {
    sheettest::Later later(sys);
    later.Post([&] {
      log.clear();  // what the pages asked when the window opened
      poller->RunCycle();
    });
    result = sheet().DoModal();
  } else {
    poller->RunCycle();
  }
  EXPECT_EQ(host.icons, (std::vector<std::uint32_t>{IDI_REMOVE_ICON}));
  EXPECT_EQ(gDevicePresent, 0);
  EXPECT_TRUE(Operations().empty()) << "no library call without the card";
  if (GetParam().closesWithOne) {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(backend().endModalStateCalls(), 1);
  } else {
    EXPECT_EQ(backend().endModalStateCalls(), 0);
    if (GetParam().windowOpen) {
      EXPECT_EQ(result, fw::PropertySheet::kLeftOpen);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Os, CardLossTest,
                         ::testing::Values(CardLoss{"XPOpen", kOsWindowsXP, true, true},
                                           CardLoss{"Windows2000Open", kOsWindows2000, true, true},
                                           CardLoss{"XPClosed", kOsWindowsXP, false, false},
                                           CardLoss{"Windows98Open", kOsWindows98Me, true, false},
                                           CardLoss{"NT4Open", kOsWindowsNT4, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PollingThreadTest, APowerEventMakesTheNextCycleReapplyToACardMarkedPresent) {
  StartDefaultAndReapply();
  gDevicePresent = 0;
  gPowerResumed = 1;
  poller->RunCycle();
  EXPECT_EQ(gPowerResumed, 0);
  EXPECT_EQ(gDevicePresent, 1);
  EXPECT_EQ(gReapplyRequest, 0);
  EXPECT_EQ(Operations(), kFullPush);
  EXPECT_TRUE(host.icons.empty());
}

// ---------------------------------------------------------------- page-set check

TEST_F(PollingThreadTest, EveryThirdCycleWithTheCardChecksThePageSetNotCountingReapplyOrAbsentCycles) {
  StartDefaultAndReapply();
  // P: card present; A: card absent; R: re-apply requested.
  const std::string cycles = "PPARPPPPP";
  std::vector<int> checkedAt;
  for (std::size_t i = 0; i < cycles.size(); ++i) {
    gDevicePresent = cycles[i] == 'A' ? 0 : 1;
    if (cycles[i] == 'R') gReapplyRequest = 1;
    host.adjustCalls.clear();
    poller->RunCycle();
    if (!host.adjustCalls.empty()) {
      EXPECT_EQ(host.adjustCalls, (std::vector<int>{0}));
      checkedAt.push_back(static_cast<int>(i));
    }
  }
  // Counted cycles: 0, 1, 4, 5, 6, 7, 8 → the third and the sixth of them.
  EXPECT_EQ(checkedAt, (std::vector<int>{4, 7}));
}

// ---------------------------------------------------------------- hand-shake and timing

TEST_F(PollingThreadTest, ForgroundIsResetForTheCyclesWorkAndSetAtItsEnd) {
  StartDefaultAndReapply();
  sys.SetEvent(sheet().forground);
  bool signalledDuringQuery = true;
  fake.duringCall = [&](const char* operation) {
    if (std::string(operation) == "NIVO_QueryOID") signalledDuringQuery = sys.eventSignalled(sheet().forground);
  };
  bool signalledDuringLastSleep = false;
  sys.onSleep = [&](std::uint32_t) { signalledDuringLastSleep = sys.eventSignalled(sheet().forground); };
  poller->RunCycle();
  EXPECT_FALSE(signalledDuringQuery);
  EXPECT_TRUE(signalledDuringLastSleep) << "set before the one-second sleep";
  EXPECT_TRUE(sys.eventSignalled(sheet().forground));
  // The thread's step lines are switched off.
  for (const std::string& line : sys.debugLines()) EXPECT_NE(line.rfind("<t>", 0), 0u) << line;
}

// A page resets `background` and then waits for `forground`; when the cycle begins between
// the two, the page goes first and the cycle goes on as soon as the page's exchange ends,
// instead of both sides waiting 2000 ms for each other and then using the library at once.
TEST_F(PollingThreadTest, APageThatAnnouncedItsExchangeAsTheCycleBeganGoesFirst) {
  StartDefaultAndReapply();
  sys.ResetEvent(sheet().background);  // the page's announcement; its wait for forground follows
  int pageExchanges = 0;
  std::size_t libraryCallsBeforeThePage = 0;
  sys.onBlockingWait = [&](fw::Handle event) {
    if (event != sheet().background || !sys.eventSignalled(sheet().forground)) return;
    ++pageExchanges;  // the page's wait for forground ended: it runs its exchange, then ends it
    libraryCallsBeforeThePage = Operations().size();
    sys.SetEvent(sheet().background);
  };
  EXPECT_EQ(CycleTime(), 1500u) << "no hand-shake time-out";
  EXPECT_EQ(pageExchanges, 1);
  EXPECT_EQ(libraryCallsBeforeThePage, 0u) << "the cycle waited for the page before its work";
  EXPECT_FALSE(Operations().empty());

  // A page that holds the library for longer than 2000 ms: the cycle goes on after 2000 ms,
  // with forground reset so that the page's next exchange waits for the cycle's end.
  sys.onBlockingWait = nullptr;
  sys.ResetEvent(sheet().background);
  bool forgroundSignalledDuringQuery = true;
  fake.duringCall = [&](const char* operation) {
    if (std::string(operation) == "NIVO_QueryOID") forgroundSignalledDuringQuery = sys.eventSignalled(sheet().forground);
  };
  EXPECT_EQ(CycleTime(), 3500u);
  EXPECT_FALSE(forgroundSignalledDuringQuery);
}

struct Timing {
  const char* name;
  std::uint8_t os;
  bool present;
  bool pageHoldsBackground;
  bool settingsRequest;
  std::uint32_t duration;
};

class TimingTest : public PollingThreadTest, public ::testing::WithParamInterface<Timing> {};

TEST_P(TimingTest, ACycleTakesItsFixedPausesPlusTheWaitForAPageThatHoldsTheLibrary) {
  StartDefaultAndReapply();
  OsKind = GetParam().os;
  gDevicePresent = GetParam().present ? 1 : 0;
  if (GetParam().pageHoldsBackground) sys.ResetEvent(sheet().background);
  gChangeParametersRequest = GetParam().settingsRequest ? 1 : 0;
  EXPECT_EQ(CycleTime(), GetParam().duration);
}

INSTANTIATE_TEST_SUITE_P(Cycles, TimingTest,
                         ::testing::Values(Timing{"CardPresent", kOsWindowsXP, true, false, false, 1500},
                                           Timing{"CardPresentPageHolds", kOsWindowsXP, true, true, false, 3500},
                                           Timing{"SettingsPush", kOsWindowsXP, true, false, true, 1600},
                                           Timing{"SettingsPushOn98", kOsWindows98Me, true, false, true, 3600},
                                           Timing{"CardAbsent", kOsWindowsXP, false, false, false, 1000},
                                           Timing{"CardAbsentPageHolds", kOsWindowsXP, false, true, false, 3000}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
