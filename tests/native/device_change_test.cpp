// The main frame's device-change handling and the page set that follows XP's wireless zero
// configuration: the transitions of each event, the card filter, the broadcasts that are
// not about a device node, and AdjustPagesByXPWZC with its lock and hand-shake.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/main_frame.h"
#include "app/os_kind.h"
#include "core/detect_info.h"
#include "core/polling_thread.h"
#include "core/shared_state.h"
#include "support/main_frame_fixture.h"
#include "support/sheet_test_support.h"

namespace {

using Log = std::vector<std::string>;
constexpr int kNoCall = -1;

// The device broadcast header the system passes with an event.
struct Broadcast {
  std::uint32_t size = 16;
  std::uint32_t deviceType = fw::dbt::kDevTypDevNode;
  std::uint32_t reserved = 0;
  std::uint32_t devNode = 0;
};

constexpr std::uint32_t kCardNode = 0x5150;
constexpr char kCardIdentifier[] = "PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7&REV_01\\3&61AAA01&0&48";
constexpr char kTargetTrace[] = "<M> targetid = <PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7> ";

const char kChange[] = "<M> OnDeviceChange::   ";
const char kNodes[] = "<M> DBT_DEVNODES_CHANGED ";
const char kNodesDetect[] = "<M> NIVO_Detect BY (DBT_DEVNODES_CHANGED)";
const char kArrival[] = "<M> DBT_DEVICEARRIVAL ";
const char kArrivalDetect[] = "<M> NIVO_Detect BY (DBT_DEVICEARRIVAL)";
const char kRemoval[] = " DBT_DEVICEREMOVECOMPLETE ";
const char kRemovalDetect[] = "<M> NIVO_Detect BY (DBT_DEVICEREMOVECOMPLETE)";
const char kYes[] = "<M> Detect  YES \n";
const char kNo[] = "<M> Detect  NO \n";
const char kRemovalYes[] = " Detect  YES \n";
const char kRemovalNo[] = " Detect  NO \n";
const char kAddIcon[] = " <ModifyIconAtTaskbar>:Add ICON ";
const char kRemoveIcon[] = " <ModifyIconAtTaskbar>:Remove ICON ";
const char kRemoveTrace[] = "<RemoveIconFromTaskbar>";

class DeviceChangeTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    FillDetectInfo(gDetectInfo);
    sys.deviceIdentifiers[kCardNode] = kCardIdentifier;
    card.devNode = kCardNode;
  }
  void TearDown() override {
    FillDetectInfo(gDetectInfo);
    MainFrameTest::TearDown();
  }
  void Event(std::uint32_t type, const Broadcast* data) {
    Send(fw::msg::kDeviceChange, type, reinterpret_cast<fw::LParam>(data));
  }
  std::size_t Detections() const { return CallsSinceMark("NIVO_Detect").size(); }

  Broadcast card;
};

// ---------------------------------------------------------------- transitions

struct Transition {
  const char* name;
  std::uint8_t os;
  int isMe;
  int firstArrivalPending;
  std::uint32_t event;
  std::int32_t detect;
  std::uint8_t presentBefore;  // the icon is in the tray exactly when the card was present
  std::uint8_t powerResumedBefore;
  // what follows
  std::uint8_t presentAfter;
  int trayOperation;
  bool timer;
  std::uint8_t reapplyAfter;
  int pendingAfter;
  std::uint8_t powerResumedAfter;
  std::uint32_t duration;
  Log traces;
};

class TransitionTest : public DeviceChangeTest, public ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTest, EachEventMovesPresenceIconAndTimerAsTheTableSays) {
  const Transition& t = GetParam();
  OsKind = t.os;
  gIsWindowsMe = t.isMe;
  gFirstArrivalPending = t.firstArrivalPending;
  fake.detectResult = t.detect;
  if (t.presentBefore) frame->ModifyIconAtTaskbar(IDI_NO_LINK);
  gDevicePresent = t.presentBefore;
  gPowerResumed = t.powerResumedBefore;
  gReapplyRequest = 0;
  sys.trayCalls.clear();
  sys.clearDebugLines();
  const std::uint32_t start = sys.now;

  Event(t.event, t.event == fw::dbt::kDevNodesChanged ? nullptr : &card);

  EXPECT_EQ(sys.debugLines(), t.traces);
  EXPECT_EQ(gDevicePresent, t.presentAfter);
  if (t.trayOperation == kNoCall) {
    EXPECT_TRUE(sys.trayCalls.empty());
  } else {
    ASSERT_EQ(sys.trayCalls.size(), 1u);
    EXPECT_EQ(sys.trayCalls[0].operation, static_cast<std::uint32_t>(t.trayOperation));
    if (t.trayOperation != fw::nim::kDelete) {
      EXPECT_EQ(sys.trayCalls[0].iconResource, IDI_NO_LINK);
    }
  }
  if (t.timer) {
    EXPECT_EQ(sys.timersOf(gMainFrame->window()), (std::map<std::uintptr_t, std::uint32_t>{{7, 2000}}));
  } else {
    EXPECT_TRUE(sys.timersOf(gMainFrame->window()).empty());
  }
  EXPECT_EQ(gReapplyRequest, t.reapplyAfter);
  EXPECT_EQ(gFirstArrivalPending, t.pendingAfter);
  EXPECT_EQ(gPowerResumed, t.powerResumedAfter);
  EXPECT_EQ(sys.now - start, t.duration);
  const bool detects = std::find(t.traces.begin(), t.traces.end(), kYes) != t.traces.end() ||
                       std::find(t.traces.begin(), t.traces.end(), kNo) != t.traces.end() ||
                       std::find(t.traces.begin(), t.traces.end(), kRemovalYes) != t.traces.end() ||
                       std::find(t.traces.begin(), t.traces.end(), kRemovalNo) != t.traces.end();
  EXPECT_EQ(Detections(), detects ? 1u : 0u);
}

constexpr std::uint32_t kNodes7 = fw::dbt::kDevNodesChanged;
constexpr std::uint32_t kArr = fw::dbt::kDeviceArrival;
constexpr std::uint32_t kRem = fw::dbt::kDeviceRemoveComplete;
constexpr std::uint8_t k98 = kOsWindows98Me;
constexpr std::uint8_t kXP = kOsWindowsXP;
constexpr int kAdd = fw::nim::kAdd;
constexpr int kModify = fw::nim::kModify;
constexpr int kDelete = fw::nim::kDelete;

INSTANTIATE_TEST_SUITE_P(
    Events, TransitionTest,
    ::testing::Values(
        // name, os, Me, pending, event, detect, present, power -> present, tray, timer, reapply, pending, power, ms
        Transition{"NodeChangeIgnoredOn98", k98, 0, 1, kNodes7, 1, 0, 0, 0, kNoCall, false, 0, 1, 0, 0, {kChange}},
        Transition{"NodeChangeOnMeFindsTheCard", k98, 1, 1, kNodes7, 1, 0, 0, 1, kAdd, false, 1, 1, 0, 0,
                   {kChange, kNodes, kNodesDetect, kYes, kAddIcon}},
        Transition{"NodeChangeCardAlreadyPresent", kXP, 0, 1, kNodes7, 1, 1, 0, 1, kNoCall, false, 0, 1, 0, 0,
                   {kChange, kNodes, kNodesDetect, kYes}},
        Transition{"NodeChangeCardGoneLeavesTheIcon", kXP, 0, 1, kNodes7, 0, 1, 0, 0, kNoCall, false, 0, 1, 0, 0,
                   {kChange, kNodes, kNodesDetect, kNo}},
        Transition{"FirstArrivalOn98Ignored", k98, 0, 1, kArr, 1, 0, 0, 0, kNoCall, false, 0, 0, 0, 0,
                   {kChange, kArrival}},
        Transition{"FirstArrivalOnMeIgnored", k98, 1, 1, kArr, 1, 0, 0, 0, kNoCall, false, 0, 0, 0, 0,
                   {kChange, kArrival}},
        Transition{"SecondArrivalOn98", k98, 0, 0, kArr, 1, 0, 0, 1, kAdd, true, 0, 0, 0, 0,
                   {kChange, kArrival, kTargetTrace, kArrivalDetect, kYes, kAddIcon}},
        Transition{"ArrivalOnXPCardAlreadyPresent", kXP, 0, 1, kArr, 1, 1, 0, 1, kNoCall, true, 0, 1, 0, 0,
                   {kChange, kArrival, kTargetTrace, kArrivalDetect, kYes}},
        Transition{"ArrivalNotDetected", kXP, 0, 1, kArr, 0, 0, 0, 0, kNoCall, false, 0, 1, 0, 0,
                   {kChange, kArrival, kTargetTrace, kArrivalDetect, kNo}},
        Transition{"RemovalOn98AfterAPowerEvent", k98, 0, 0, kRem, 1, 1, 1, 0, kNoCall, false, 0, 0, 0, 3000,
                   {kChange, kRemoval, kTargetTrace, kRemovalDetect}},
        // The icon already shows 187: the shell is not asked again for the same picture.
        Transition{"RemovalOn98CardStillThere", k98, 0, 0, kRem, 1, 1, 0, 1, kNoCall, false, 0, 0, 0, 0,
                   {kChange, kRemoval, kTargetTrace, kRemovalDetect, kRemovalYes}},
        Transition{"RemovalOnXPAfterAPowerEventStillDetects", kXP, 0, 1, kRem, 1, 0, 1, 1, kAdd, false, 0, 1, 1, 0,
                   {kChange, kRemoval, kTargetTrace, kRemovalDetect, kRemovalYes, kAddIcon}},
        Transition{"RemovalCardGone", kXP, 0, 1, kRem, 0, 1, 0, 0, kDelete, false, 0, 1, 0, 0,
                   {kChange, kRemoval, kTargetTrace, kRemovalDetect, kRemovalNo, kRemoveIcon, kRemoveTrace}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceChangeTest, RemovalOfTheCardClosesAnOpenWindow) {
  OsKind = kOsWindowsXP;
  fake.detectResult = 0;
  frame->ModifyIconAtTaskbar(IDI_LINK_UP);
  gDevicePresent = 1;
  sheettest::Later later(sys);
  later.Post([&] { Event(fw::dbt::kDeviceRemoveComplete, &card); });
  EXPECT_EQ(gConfigSheet->DoModal(Window()), fw::mb::kIdCancel);
  EXPECT_EQ(gIconInTray, 0);
  EXPECT_EQ(gDevicePresent, 0);
}

// The polling thread finds the card gone in the very moment the window thread shows the icon
// for the card's insertion: the loss waits until the insertion is handled, then finds the
// card back and leaves it present, with its icon.
TEST_F(DeviceChangeTest, AnInsertionHandledWhileThePollingThreadLosesTheCardStands) {
  OsKind = kOsWindowsXP;
  fake.detectResult = kNivoCardPresent;
  gDevicePresent = 0;
  PollingThread polling(*gConfigSheet, *frame);
  std::thread pollingThread;
  sys.onNotifyIcon = [&](std::uint32_t operation) {
    if (operation != fw::nim::kAdd || pollingThread.joinable()) return;
    // The polling thread's cycle starts now, reads the card as absent and goes to lose it.
    pollingThread = std::thread([&] { polling.RunCycle(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  };
  Event(fw::dbt::kDevNodesChanged, nullptr);
  ASSERT_TRUE(pollingThread.joinable()) << "the insertion did not show the icon";
  pollingThread.join();
  sys.onNotifyIcon = nullptr;
  EXPECT_EQ(gDevicePresent, 1);
  EXPECT_EQ(gIconInTray, 1);
  for (const auto& call : sys.trayCalls) EXPECT_NE(call.operation, fw::nim::kDelete) << "the icon was taken away";
}

// ---------------------------------------------------------------- card filter

struct Filter {
  const char* name;
  const char* identifier;  // nullptr: a node the system knows nothing about
  const char* hardwareId;  // nullptr: the card's own
  bool isCard;
  const char* targetTrace;  // nullptr: rejected before the hardware id is looked at
};

class FilterTest : public DeviceChangeTest, public ::testing::WithParamInterface<Filter> {};

TEST_P(FilterTest, OnlyAnArrivalOfTheCardsNodeLeadsToADetection) {
  OsKind = kOsWindowsXP;
  gDevicePresent = 1;
  constexpr std::uint32_t kNode = 0x7000;
  if (GetParam().identifier != nullptr) sys.deviceIdentifiers[kNode] = GetParam().identifier;
  if (GetParam().hardwareId != nullptr) std::strcpy(gDetectInfo.hardwareId, GetParam().hardwareId);
  Broadcast event;
  event.devNode = kNode;
  Event(fw::dbt::kDeviceArrival, &event);
  EXPECT_EQ(Detections(), GetParam().isCard ? 1u : 0u);
  EXPECT_EQ(sys.timersOf(gMainFrame->window()).size(), GetParam().isCard ? 1u : 0u);
  Log expected = {kChange, kArrival};
  if (GetParam().targetTrace != nullptr) expected.push_back(GetParam().targetTrace);
  if (GetParam().isCard) {
    expected.push_back(kArrivalDetect);
    expected.push_back(kYes);
  }
  EXPECT_EQ(sys.debugLines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, FilterTest,
    ::testing::Values(
        Filter{"TheCardOnPci", kCardIdentifier, nullptr, true, kTargetTrace},
        Filter{"LetterCaseIgnored", "pci\\ven_1260&dev_3890&subsys_4e2a10d7&rev_01\\3&61aaa01&0&48",
               "Pci\\Ven_1260&Dev_3890&Subsys_4e2a10d7", true, kTargetTrace},
        Filter{"NetworkEnumeratorEvenWithTheHardwareId", "NETWORK\\PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7\\1", nullptr,
               false, nullptr},
        Filter{"BusTheCardDoesNotUse", "ROOT\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7\\0000", nullptr, false, nullptr},
        Filter{"UnknownNode", nullptr, nullptr, false, nullptr},
        Filter{"OtherPcmciaCard", "PCMCIA\\ACME-WAVELAN-1A2B\\1", nullptr, false, kTargetTrace},
        Filter{"OtherUsbDevice", "USB\\VID_0BDA&PID_8187\\5&2C5", nullptr, false, kTargetTrace},
        Filter{"EmptyHardwareIdAcceptsUsb", "USB\\VID_0BDA&PID_8187\\5&2C5", "", true, "<M> targetid = <> "},
        Filter{"EmptyHardwareIdAcceptsPcmcia", "PCMCIA\\ACME-WAVELAN-1A2B\\1", "", true, "<M> targetid = <> "},
        Filter{"EmptyHardwareIdStillRejectsOtherBuses", "ROOT\\NET\\0000", "", false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct Ignored {
  const char* name;
  std::uint32_t event;
  std::uint32_t deviceType;  // 0: no event data
  std::uint32_t devNode;
  Log traces;
};

class IgnoredTest : public DeviceChangeTest, public ::testing::WithParamInterface<Ignored> {};

TEST_P(IgnoredTest, BroadcastsNotAboutTheCardsNodeAreOnlyTraced) {
  OsKind = kOsWindowsXP;
  gDevicePresent = 1;
  sys.deviceIdentifiers[0x7100] = "HID\\VID_046D&PID_C077\\7&1";
  sys.deviceIdentifiers[0x7200] = "USB\\VID_046D&PID_C077\\5&3";
  Broadcast event;
  event.deviceType = GetParam().deviceType;
  event.devNode = GetParam().devNode;
  Event(GetParam().event, GetParam().deviceType == 0 ? nullptr : &event);
  EXPECT_EQ(sys.debugLines(), GetParam().traces);
  EXPECT_EQ(Detections(), 0u);
  EXPECT_EQ(gDevicePresent, 1);
  EXPECT_TRUE(sys.trayCalls.empty());
  EXPECT_TRUE(sys.timersOf(gMainFrame->window()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Broadcasts, IgnoredTest,
    ::testing::Values(Ignored{"ArrivalOfAnInterface", kArr, 5, kCardNode, {kChange, kArrival}},
                      Ignored{"ArrivalWithoutData", kArr, 0, 0, {kChange, kArrival}},
                      Ignored{"RemovalOfAVolume", kRem, 2, kCardNode, {kChange, kRemoval}},
                      Ignored{"QueryRemoveOfTheCard", 0x8001, 1, kCardNode, {kChange}},
                      Ignored{"RemovalOfAnotherUsbDevice", kRem, 1, 0x7200, {kChange, kRemoval, kTargetTrace}},
                      Ignored{"RemovalOfAHidDevice", kRem, 1, 0x7100, {kChange, kRemoval}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- AdjustPagesByXPWZC

const std::vector<std::string> kFullSet = {"Link Info", "Configuration", "Site Survey", "Encryption", "About"};
const std::vector<std::string> kZeroConfigSet = {"Link Info", "Site Survey", "About"};

std::vector<std::string> PageCaptions() {
  std::vector<std::string> out;
  for (int i = 0; i < gConfigSheet->GetPageCount(); ++i) out.push_back(gConfigSheet->GetPage(i)->caption());
  return out;
}

struct PageSet {
  const char* name;
  std::uint8_t os;
  std::int32_t answer;
  bool startWithThree;
  int apply;
  int result;
  std::vector<std::string> pages;
  Log traces;
};

class PageSetTest : public DeviceChangeTest, public ::testing::WithParamInterface<PageSet> {};

TEST_P(PageSetTest, ThePageSetFollowsTheZeroConfigurationOnXPOnly) {
  const PageSet& p = GetParam();
  OsKind = p.os;
  fake.zeroConfigAnswer = p.answer;
  if (p.startWithThree) {
    gConfigSheet->RemovePage(&gConfigSheet->configPage);
    gConfigSheet->RemovePage(&gConfigSheet->encryptionPage);
    gZeroConfigActive = 1;
  }
  const std::int32_t zeroConfigBefore = gZeroConfigActive;
  bool backgroundDuringQuery = true;
  fake.duringCall = [&](const char*) { backgroundDuringQuery = sys.eventSignalled(gConfigSheet->background); };
  sys.clearDebugLines();

  EXPECT_EQ(frame->AdjustPagesByXPWZC(p.apply), p.result);
  EXPECT_EQ(PageCaptions(), p.pages);
  EXPECT_EQ(sys.debugLines(), p.traces);
  const bool queried = p.os == kOsWindowsXP;
  EXPECT_EQ(CallsSinceMark("NIVO_Get_XPWZC").size(), queried ? 1u : 0u);
  EXPECT_EQ(gZeroConfigActive, queried ? (p.answer != 0 ? 1 : 0) : zeroConfigBefore);
  if (queried) {
    EXPECT_FALSE(backgroundDuringQuery) << "the polling thread is held off meanwhile";
  }
  EXPECT_TRUE(sys.eventSignalled(gConfigSheet->background));
  EXPECT_EQ(gAdjustPagesLock, 0);
}

const char kAdjust[] = "::AdjustPagesByXPWZC::";
INSTANTIATE_TEST_SUITE_P(
    States, PageSetTest,
    ::testing::Values(
        PageSet{"Windows2000", kOsWindows2000, 1, false, 1, 0, kFullSet, {kAdjust}},
        PageSet{"Windows98", kOsWindows98Me, 1, false, 1, 0, kFullSet, {kAdjust}},
        PageSet{"XPOnApplied", kOsWindowsXP, 1, false, 1, 1, kZeroConfigSet, {kAdjust, "5/6==> 3,  Remove Pages"}},
        PageSet{"XPOnNotApplied", kOsWindowsXP, 1, false, 0, 1, kFullSet, {kAdjust}},
        PageSet{"XPOnAlreadyThree", kOsWindowsXP, 7, true, 1, 0, kZeroConfigSet, {kAdjust}},
        PageSet{"XPOffFromThreeApplied", kOsWindowsXP, 0, true, 1, 1, kFullSet,
                {kAdjust, "3==> 5/6,  Remove Pages", "3==> 5/6,  Add Pages"}},
        PageSet{"XPOffFromThreeNotApplied", kOsWindowsXP, 0, true, 0, 1, kZeroConfigSet, {kAdjust}},
        PageSet{"XPOffAlreadyFull", kOsWindowsXP, 0, false, 1, 0, kFullSet, {kAdjust}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceChangeTest, ACallWhileAnotherRunsReturnsAtOnce) {
  OsKind = kOsWindowsXP;
  fake.zeroConfigAnswer = 1;
  gAdjustPagesLock = 1;
  sys.clearDebugLines();
  EXPECT_EQ(frame->AdjustPagesByXPWZC(1), 0);
  EXPECT_EQ(sys.debugLines(), (Log{kAdjust, "Locked!! return"}));
  EXPECT_TRUE(OperationsSinceMark().empty());
  EXPECT_EQ(PageCaptions(), kFullSet);
  EXPECT_EQ(gAdjustPagesLock, 1) << "the running call releases it";
}

TEST_F(DeviceChangeTest, AZeroConfigurationChangeClosesAnOpenWindowWithoutRearrangingIt) {
  OsKind = kOsWindowsXP;
  fake.zeroConfigAnswer = 1;
  int result = 0;
  sheettest::Later later(sys);
  later.Post([&] { result = frame->AdjustPagesByXPWZC(0); });
  EXPECT_EQ(gConfigSheet->DoModal(Window()), fw::mb::kIdCancel);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(PageCaptions(), kFullSet);
}

// The polling thread with the real frame as its host: the open window is closed by the third
// ordinary cycle, and the next opening shows the zero-configuration set; once the system
// gives the card back, the one after shows the full set again.
TEST_F(DeviceChangeTest, ThePollingThreadClosesTheWindowWithinThreeCyclesAndTheNextOpeningSwitchesTabs) {
  OsKind = kOsWindowsXP;
  PollingThread poller(*gConfigSheet, *frame);
  ASSERT_TRUE(poller.StartUp());
  poller.RunCycle();  // the re-apply of process start

  // The window opens with the full set; then the system takes the card over.
  int cycles = 0;
  bool openDuringCycles = false;
  sheettest::Later later(sys);
  later.Post([&] {
    fake.zeroConfigAnswer = 1;
    Mark();
    openDuringCycles = gSheetOpen == 1;
    while (CallsSinceMark("NIVO_Get_XPWZC").empty() && cycles < 5) {
      poller.RunCycle();
      ++cycles;
    }
  });
  Send(fw::msg::kCommand, ID_SHOW_CONFIG_UTILITY);
  EXPECT_EQ(later.ran(), 1);
  EXPECT_TRUE(openDuringCycles);
  EXPECT_EQ(cycles, 3);
  EXPECT_EQ(SheetBackend().endModalStateCalls(), 1) << "closed by the page-set check";
  EXPECT_EQ(PageCaptions(), kFullSet);

  // The titles the window captured when it opened show which tabs it had.
  auto shownTabs = [] {
    std::vector<std::string> out;
    for (int i = 0; i < gConfigSheet->GetPageCount(); ++i) out.push_back(gConfigSheet->tabTitles[i]);
    return out;
  };
  Send(fw::msg::kCommand, ID_SHOW_CONFIG_UTILITY);
  EXPECT_EQ(shownTabs(), kZeroConfigSet);

  fake.zeroConfigAnswer = 0;
  Send(fw::msg::kCommand, ID_SHOW_CONFIG_UTILITY);
  EXPECT_EQ(shownTabs(), kFullSet);
}

}  // namespace
