// The main frame on the memory backend: its creation, the tray icon's states and record, the
// tray menu and double-click, the commands, the show sequence, the exit paths (also while the
// configuration window is open), WM_CLOSE, the arrival timer and the power notifications.
#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/os_kind.h"
#include "core/polling_thread.h"
#include "core/shared_state.h"
#include "support/main_frame_fixture.h"
#include "support/sheet_test_support.h"

namespace {

using Log = std::vector<std::string>;
constexpr int kNoCall = -1;

// ---------------------------------------------------------------- creation

struct Creation {
  const char* name;
  fw::VersionRecord version;
  std::uint8_t os;
  int isMe;
};

class CreationTest : public FrameFixture, public ::testing::WithParamInterface<Creation> {};

TEST_P(CreationTest, OnCreateBuildsTheSheetObjectThenStartsTheLibraryThenThePollingThread) {
  sys.version = GetParam().version;
  bool sheetBeforeInit = false;
  std::size_t threadsAtInit = 99;
  fake.duringCall = [&](const char* operation) {
    if (std::string(operation) == "NIVO_Init") {
      sheetBeforeInit = gConfigSheet != nullptr;
      threadsAtInit = sys.threads.size();
    }
  };
  std::vector<std::pair<std::uint32_t, std::size_t>> sleeps;  // length, threads started by then
  sys.onSleep = [&](std::uint32_t ms) { sleeps.emplace_back(ms, sys.threads.size()); };

  CMainFrame frame;
  ASSERT_TRUE(frame.Create(kUtilityTitle));
  EXPECT_EQ(gMainFrame, &frame);
  EXPECT_FALSE(sys.IsWindowVisible(frame.window()));
  EXPECT_EQ(OsKind, GetParam().os);
  EXPECT_EQ(gIsWindowsMe, GetParam().isMe);

  const auto calls = fake.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].operation, "NIVO_Init");
  EXPECT_EQ(calls[0].text, "Halden");
  EXPECT_EQ(calls[0].number, 0);
  EXPECT_TRUE(sheetBeforeInit);
  EXPECT_EQ(threadsAtInit, 0u);

  ASSERT_NE(gConfigSheet, nullptr);
  EXPECT_EQ(gConfigSheet->caption(), kUtilityTitle);
  EXPECT_EQ(gConfigSheet->GetPageCount(), 5);
  EXPECT_EQ(gConfigSheet->window(), nullptr) << "only the object: no window yet";

  ASSERT_EQ(sys.threads.size(), 1u);
  EXPECT_EQ(sys.threads[0].proc, &PollingThread::ThreadMain);
  EXPECT_EQ(sys.threads[0].argument, static_cast<void*>(&gConfigSheet));
  EXPECT_EQ(gPollingThreadObject, sys.threads[0].handle);
  EXPECT_EQ(gPollingHost, static_cast<PollingHost*>(&frame));
  EXPECT_EQ(sleeps, (std::vector<std::pair<std::uint32_t, std::size_t>>{{500, 1}}));
  EXPECT_EQ(sys.now, 500u);
  EXPECT_TRUE(sys.trayCalls.empty()) << "no icon until the card is found";
}

INSTANTIATE_TEST_SUITE_P(Family, CreationTest,
                         ::testing::Values(Creation{"WindowsXP", {2, 5, 1}, kOsWindowsXP, 0},
                                           Creation{"WindowsMe", {1, 4, 90}, kOsWindows98Me, 1},
                                           Creation{"Windows98", {1, 4, 10}, kOsWindows98Me, 0},
                                           Creation{"UnknownPlatformStillCreates", {0, 3, 10}, kOsUnknown, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- tray icon

struct IconStep {
  std::uint32_t id;
  int operation;           // fw::nim:: operation of the one tray call, or kNoCall
  std::int32_t inTray;     // gIconInTray afterwards
  Log traces;
};

TEST_F(MainFrameTest, TheIconIsAddedByTheFirstRealIdChangedByLaterOnesAndRemovedOnceBy207) {
  const std::vector<IconStep> steps = {
      {207, kNoCall, 0, {}},
      {187, fw::nim::kAdd, 1, {" <ModifyIconAtTaskbar>:Add ICON "}},
      {186, fw::nim::kModify, 1, {}},
      {186, kNoCall, 1, {}},  // the same picture again (each second): the shell is not asked
      {187, fw::nim::kModify, 1, {}},
      {190, kNoCall, 1, {}},  // no such icon resource: the icon stays as it is
      {207, fw::nim::kDelete, 0, {" <ModifyIconAtTaskbar>:Remove ICON ", "<RemoveIconFromTaskbar>"}},
      {207, kNoCall, 0, {}},
      {186, fw::nim::kAdd, 1, {" <ModifyIconAtTaskbar>:Add ICON "}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const IconStep& step = steps[i];
    SCOPED_TRACE("step " + std::to_string(i) + ", icon " + std::to_string(step.id));
    sys.trayCalls.clear();
    sys.clearDebugLines();
    EXPECT_TRUE(frame->ModifyIconAtTaskbar(step.id));
    EXPECT_EQ(gIconInTray, step.inTray);
    EXPECT_EQ(sys.debugLines(), step.traces);
    if (step.operation == kNoCall) {
      EXPECT_TRUE(sys.trayCalls.empty());
      continue;
    }
    ASSERT_EQ(sys.trayCalls.size(), 1u);
    const fw::TrayCall& call = sys.trayCalls[0];
    EXPECT_EQ(call.operation, static_cast<std::uint32_t>(step.operation));
    EXPECT_EQ(call.record.window, Window());
    EXPECT_EQ(call.record.iconId, 1u);
    if (step.operation == fw::nim::kDelete) {
      EXPECT_EQ(call.record.flags, 0u);
    } else {
      EXPECT_EQ(call.record.flags, 7u);
      EXPECT_EQ(call.record.callbackMessage, gIconPressedMessage);
      EXPECT_EQ(call.record.tip, "Tallwyn TW7720 WLAN card utility");
      EXPECT_EQ(call.iconResource, step.id);
    }
  }
  EXPECT_TRUE(frame->RemoveIconFromTaskbar());
}

TEST_F(MainFrameTest, AFailedAddStillCountsAsShownSoLaterIdsModifyAndReportTheFailure) {
  sys.trayFails = true;
  EXPECT_TRUE(frame->ModifyIconAtTaskbar(kIconNoLink));
  EXPECT_EQ(gIconInTray, 1);
  EXPECT_FALSE(frame->ModifyIconAtTaskbar(kIconLinkUp));
  ASSERT_EQ(sys.trayCalls.size(), 2u);
  EXPECT_EQ(sys.trayCalls[1].operation, fw::nim::kModify);
}

TEST_F(MainFrameTest, RemovingTheIconClosesAnOpenWindow) {
  frame->ModifyIconAtTaskbar(kIconNoLink);
  sheettest::Later later(sys);
  later.Post([&] { frame->ModifyIconAtTaskbar(kIconRemove); });
  EXPECT_EQ(gConfigSheet->DoModal(Window()), fw::mb::kIdCancel);
  EXPECT_EQ(SheetBackend().endModalStateCalls(), 1);
  EXPECT_EQ(gIconInTray, 0);
}

// ---------------------------------------------------------------- tray mouse

struct Menu {
  const char* name;
  bool present;
  bool open;
  std::vector<fw::MenuItem> items;
};

class MenuTest : public MainFrameTest, public ::testing::WithParamInterface<Menu> {};

TEST_P(MenuTest, ARightClickOffersTheCommandsOfTheCurrentState) {
  gDevicePresent = GetParam().present ? 1 : 0;
  gSheetOpen = GetParam().open ? 1 : 0;
  sys.cursorX = 1200;
  sys.cursorY = 780;
  Tray(fw::msg::kRButtonUp);
  ASSERT_EQ(sys.menusShown.size(), 1u);
  const fw::MenuShown& menu = sys.menusShown[0];
  EXPECT_EQ(menu.owner, Window());
  EXPECT_EQ(menu.x, 1200);
  EXPECT_EQ(menu.y, 780);
  ASSERT_EQ(menu.items.size(), GetParam().items.size());
  for (std::size_t i = 0; i < menu.items.size(); ++i) {
    EXPECT_EQ(menu.items[i].id, GetParam().items[i].id);
    EXPECT_EQ(menu.items[i].text, GetParam().items[i].text);
  }
  EXPECT_EQ(sys.foregroundWindow, Window());
  // WM_NULL follows the menu (nothing was chosen, so it is the only message).
  EXPECT_TRUE(sys.PumpOneMessage());
  EXPECT_FALSE(sys.PumpOneMessage());
  EXPECT_FALSE(SheetWasShown());
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuTest,
    ::testing::Values(Menu{"CardPresentWindowClosed", true, false,
                           {{2002, "Show Config Utility"}, {0, ""}, {2004, "Exit"}}},
                      Menu{"CardPresentWindowOpen", true, true, {{2001, "Hide Config Utility"}, {0, ""}, {2004, "Exit"}}},
                      Menu{"NoCard", false, false, {{2004, "Exit"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFrameTest, OtherMouseMessagesOnTheIconDoNothing) {
  gDevicePresent = 1;
  for (std::uint32_t mouse : {fw::msg::kMouseMove, fw::msg::kLButtonDown, fw::msg::kLButtonUp, fw::msg::kRButtonDown,
                              fw::msg::kRButtonDblClk, 0x0208u}) {
    Tray(mouse);
  }
  EXPECT_TRUE(sys.menusShown.empty());
  EXPECT_FALSE(SheetWasShown());
  EXPECT_EQ(sys.foregroundWindow, nullptr);
  EXPECT_TRUE(OperationsSinceMark().empty());
}

TEST_F(MainFrameTest, ADoubleClickOpensTheWindowOnlyWithTheCard) {
  Tray(fw::msg::kLButtonDblClk);
  EXPECT_FALSE(SheetWasShown());
  EXPECT_TRUE(OperationsSinceMark().empty());

  gDevicePresent = 1;
  Tray(fw::msg::kLButtonDblClk);
  EXPECT_TRUE(SheetWasShown());
  EXPECT_EQ(SheetBackend().owner(), Window());
  EXPECT_EQ(gSheetOpen, 0) << "cleared when DoModal returns";
}

TEST_F(MainFrameTest, ADoubleClickWhileTheWindowIsOpenBringsItToTheFrontInsteadOfASecondOne) {
  gDevicePresent = 1;
  sheettest::Later later(sys);
  bool stillOpen = false;
  later.Post([&] {
    Tray(fw::msg::kLButtonDblClk);
    stillOpen = gSheetOpen == 1 && gConfigSheet->IsVisible();
    EXPECT_EQ(sys.activeWindow, gConfigSheet->window());
    EXPECT_EQ(sys.foregroundWindow, gConfigSheet->window());
  });
  Tray(fw::msg::kLButtonDblClk);
  EXPECT_EQ(later.ran(), 1);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(CallsSinceMark("NIVO_Get_XPWZC").size(), 1u) << "one show sequence";
}

// ---------------------------------------------------------------- commands

TEST_F(MainFrameTest, ShowWithoutTheCardSaysSoAndShowWhileOpenDoesNothing) {
  Send(fw::msg::kCommand, kCommandShowConfig);
  ASSERT_EQ(sys.messageBoxes.size(), 1u);
  EXPECT_EQ(sys.messageBoxes[0].text, "The card is NOT present!");
  EXPECT_EQ(sys.messageBoxes[0].style, fw::mb::kOk | fw::mb::kIconInformation);
  EXPECT_FALSE(SheetWasShown());

  gDevicePresent = 1;
  gSheetOpen = 1;
  Send(fw::msg::kCommand, kCommandShowConfig);
  EXPECT_FALSE(SheetWasShown());
  EXPECT_EQ(sys.messageBoxes.size(), 1u);
}

TEST_F(MainFrameTest, HideEndsTheModalLoopWithCancelAndIsIgnoredWhenClosed) {
  Send(fw::msg::kCommand, kCommandHideConfig);
  EXPECT_EQ(SheetBackend().endModalStateCalls(), 0);

  sheettest::Later later(sys);
  later.Post([&] { Send(fw::msg::kCommand, kCommandHideConfig); });
  EXPECT_EQ(gConfigSheet->DoModal(Window()), fw::mb::kIdCancel);
  EXPECT_EQ(SheetBackend().endModalStateCalls(), 1);
}

struct ShowSequence {
  const char* name;
  std::int32_t zeroConfig;
  bool listsCleared;
  std::uint32_t pause;  // the message-pumping pause after a page change
  int pages;
};

class ShowSequenceTest : public MainFrameTest, public ::testing::WithParamInterface<ShowSequence> {};

TEST_P(ShowSequenceTest, AfterTheWindowClosesTheListsAreRebuiltUnlessZeroConfigurationRunsTheCard) {
  gDevicePresent = 1;
  fake.zeroConfigAnswer = GetParam().zeroConfig;
  gConfigSheet->configPage.m_bListsBuilt = true;
  gConfigSheet->siteSurveyPage.m_bColumnsBuilt = true;
  const std::uint32_t start = sys.now;
  Send(fw::msg::kCommand, kCommandShowConfig);
  EXPECT_TRUE(SheetWasShown());
  EXPECT_EQ(sys.now - start, GetParam().pause);
  EXPECT_EQ(gConfigSheet->GetPageCount(), GetParam().pages);
  EXPECT_EQ(gSheetOpen, 0);
  EXPECT_EQ(gConfigSheet->configPage.m_bListsBuilt, !GetParam().listsCleared);
  EXPECT_FALSE(gConfigSheet->siteSurveyPage.m_bColumnsBuilt);
}

INSTANTIATE_TEST_SUITE_P(ZeroConfig, ShowSequenceTest,
                         ::testing::Values(ShowSequence{"Off", 0, true, 0, 5}, ShowSequence{"On", 1, false, 500, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- exit

enum class ExitRoute { kCommand, kElegantClose, kTrayMenu };

struct Exit {
  const char* name;
  ExitRoute route;
};

class ExitTest : public MainFrameTest, public ::testing::WithParamInterface<Exit> {};

TEST_P(ExitTest, ExitRemovesTheIconStopsTheThreadTerminatesTheLibraryAndEndsTheLoop) {
  gDevicePresent = 1;
  frame->ModifyIconAtTaskbar(kIconLinkUp);
  sys.trayCalls.clear();
  Mark();
  switch (GetParam().route) {
    case ExitRoute::kCommand: Post(fw::msg::kCommand, kCommandExit); break;
    case ExitRoute::kElegantClose: Post(gElegantCloseMessage, 0x1234, 0x5678); break;
    case ExitRoute::kTrayMenu:
      sys.menuChoice = kCommandExit;
      Post(gIconPressedMessage, kTrayIconUid, fw::msg::kRButtonUp);
      break;
  }
  // What holds at the pause: icon gone, stop requested, thread suspended, library alive.
  bool orderHeld = false;
  sys.onSleep = [&](std::uint32_t ms) {
    if (ms != 1500) return;
    orderHeld = sys.trayCalls.size() == 1 && sys.trayCalls[0].operation == fw::nim::kDelete && gStopPolling == 1 &&
                sys.threads[0].suspendCount == 1 && OperationsSinceMark().empty();
  };
  const std::uint32_t start = sys.now;
  EXPECT_EQ(sys.RunMessageLoop(), 0);
  EXPECT_TRUE(orderHeld);
  EXPECT_EQ(sys.now - start, 1500u);
  EXPECT_EQ(OperationsSinceMark(), (Log{"NIVO_Terminate"}));
  EXPECT_TRUE(Nivo().terminated());
  EXPECT_EQ(sys.threads[0].suspendCount, 1) << "left suspended";
  EXPECT_EQ(Window(), nullptr);
  EXPECT_EQ(sys.liveWindowCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Routes, ExitTest,
                         ::testing::Values(Exit{"Command", ExitRoute::kCommand},
                                           Exit{"ElegantClose", ExitRoute::kElegantClose},
                                           Exit{"TrayMenu", ExitRoute::kTrayMenu}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExitWhileShowing {
  const char* name;
  std::int32_t zeroConfig;  // 1: the pages change, and the exit arrives in the pause after it
  bool sheetShown;
};

class ExitWhileShowingTest : public FrameFixture, public ::testing::WithParamInterface<ExitWhileShowing> {};

TEST_P(ExitWhileShowingTest, AnExitDuringTheShowSequenceEndsCleanly) {
  fake.zeroConfigAnswer = GetParam().zeroConfig;
  {
    CQuorvelApp app;
    ASSERT_TRUE(app.InitInstance());
    const fw::Handle window = gMainFrame->window();
    gDevicePresent = 1;
    sys.PostMessage(window, fw::msg::kCommand, kCommandExit, 0);
    sys.SendMessage(window, gIconPressedMessage, kTrayIconUid, fw::msg::kLButtonDblClk);
    EXPECT_EQ(gSheetOpen, 0);
    EXPECT_EQ(gConfigSheet->tabTitles[0][0] != '\0', GetParam().sheetShown);
    EXPECT_EQ(gConfigSheet->window(), nullptr);
    EXPECT_EQ(fake.operations().back(), "NIVO_Terminate");
    EXPECT_EQ(app.ExitInstance(sys.RunMessageLoop()), 0);
  }
  EXPECT_EQ(gConfigSheet, nullptr) << "freed after the exit path";
  EXPECT_EQ(sys.liveWindowCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Moment, ExitWhileShowingTest,
                         ::testing::Values(ExitWhileShowing{"InTheModalLoop", 0, true},
                                           ExitWhileShowing{"InThePauseAfterAPageChange", 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFrameTest, CloseRemovesTheIconAndDestroysTheFrameButLeavesTheLibrary) {
  frame->ModifyIconAtTaskbar(kIconNoLink);
  sys.trayCalls.clear();
  Send(fw::msg::kClose);
  ASSERT_EQ(sys.trayCalls.size(), 1u);
  EXPECT_EQ(sys.trayCalls[0].operation, fw::nim::kDelete);
  EXPECT_EQ(Window(), nullptr);
  EXPECT_TRUE(sys.quitPending());
  EXPECT_TRUE(OperationsSinceMark().empty());
  EXPECT_FALSE(Nivo().terminated());
  EXPECT_EQ(gStopPolling, 0);
  EXPECT_EQ(sys.threads[0].suspendCount, 0);
}

// ---------------------------------------------------------------- timer, settings, power

TEST_F(MainFrameTest, TheArrivalTimerKillsItselfAndAsksForTheProfilePush) {
  sys.SetTimer(Window(), kArrivalTimerId, kArrivalTimerMs);
  gReapplyRequest = 0;
  fw::LResult result = 0;
  EXPECT_FALSE(frame->OnMessage(Window(), fw::msg::kTimer, kArrivalTimerId, 0, result)) << "default processing follows";
  EXPECT_TRUE(sys.timersOf(gMainFrame->window()).empty());
  EXPECT_EQ(gDevicePresent, 1);
  EXPECT_EQ(gReapplyRequest, 1);
}

TEST_F(MainFrameTest, SettingChangeIsConsumedAndDeviceChangesAnswerTrue) {
  fw::LResult result = 7;
  EXPECT_TRUE(frame->OnMessage(Window(), fw::msg::kSettingChange, 0, 0, result));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(frame->OnMessage(Window(), fw::msg::kDeviceChange, 0x8001, 0, result));
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(OperationsSinceMark().empty());
  EXPECT_EQ(gDevicePresent, 0);
}

struct Power {
  const char* name;
  std::uint32_t message;
  fw::WParam code;
  std::uint8_t os;
  int isMe;
  std::uint8_t resumed;
  std::uint8_t present;
  bool nudged;  // the thread suspended, then resumed twice, 50 ms apart
};

class PowerTest : public MainFrameTest, public ::testing::WithParamInterface<Power> {};

TEST_P(PowerTest, PowerNotificationsMarkAResumeForThePollingThread) {
  OsKind = GetParam().os;
  gIsWindowsMe = GetParam().isMe;
  std::vector<std::pair<std::uint32_t, int>> sleeps;  // length, suspend count then
  sys.onSleep = [&](std::uint32_t ms) { sleeps.emplace_back(ms, sys.threads[0].suspendCount); };
  fw::LResult result = 0;
  EXPECT_FALSE(frame->OnMessage(Window(), GetParam().message, GetParam().code, 0, result))
      << "every power message also gets the default processing";
  EXPECT_EQ(gPowerResumed, GetParam().resumed);
  EXPECT_EQ(gDevicePresent, GetParam().present);
  using Sleeps = std::vector<std::pair<std::uint32_t, int>>;
  EXPECT_EQ(sleeps, GetParam().nudged ? (Sleeps{{50, 1}, {50, 0}}) : Sleeps{});
  EXPECT_EQ(sys.threads[0].suspendCount, 0);
}

constexpr std::uint32_t kPB = fw::msg::kPowerBroadcast;
INSTANTIATE_TEST_SUITE_P(
    Codes, PowerTest,
    ::testing::Values(Power{"QuerySuspend", kPB, 0, kOsWindowsXP, 0, 1, 0, false},
                      Power{"ResumeCritical", kPB, 6, kOsWindowsXP, 0, 1, 0, false},
                      Power{"ResumeAutomatic", kPB, 18, kOsWindowsXP, 0, 1, 0, false},
                      Power{"OldPowerMessage", fw::msg::kPower, 6, kOsWindows95, 0, 1, 0, false},
                      Power{"ResumeSuspendOnXP", kPB, 7, kOsWindowsXP, 0, 1, 0, false},
                      Power{"ResumeSuspendOn98", kPB, 7, kOsWindows98Me, 0, 1, 0, false},
                      Power{"ResumeSuspendOnMe", kPB, 7, kOsWindows98Me, 1, 1, 1, true},
                      Power{"Suspend", kPB, 4, kOsWindows98Me, 1, 0, 0, false},
                      Power{"StatusChange", kPB, 10, kOsWindowsXP, 0, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
