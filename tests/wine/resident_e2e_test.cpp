// The real tw7720util.exe with the virtual card, as a user meets it: the start and the first
// push of the profile, the tray icon on the Wine desktop's task bar, card removal and
// insertion, the tray menu, the configuration window and the two ways to end the utility.
// Read back through the card's call log, the utility's trace lines and the windows.
#include <gtest/gtest.h>

#include "support/resident_utility.h"

namespace {

using namespace winetest;

constexpr char kSettingDomainLine[] = "\n\n##### Setting domain 0\n";

// One open access point; the card joins it shortly after each new configuration.
constexpr char kHarbourWorld[] =
    "[card]\n"
    "association_delay_ms=200\n"
    "[network]\n"
    "ssid=Harbour\n"
    "bssid=00-1A-2B-3C-4D-01\n"
    "channel=1\n"
    "signal=-48\n";
// The same card with no network in reach: it stays without a link.
constexpr char kEmptyWorld[] =
    "[card]\n"
    "association_delay_ms=200\n";

TEST_F(ResidentUtility, StartPushesTheNewDefaultProfileAndTheIconTurnsGreenOnceLinked) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kEmptyWorld));
  // The first cycle's full push: its live configuration comes last.
  ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
  EXPECT_TRUE(utility_->WaitForLine("<M> NIVO_Detect BY (polling thread, first time only)"));
  EXPECT_TRUE(utility_->WaitForLine(kSettingDomainLine));

  const std::vector<Call> calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().op, "NIVO_Init");
  std::vector<size_t> at;
  EXPECT_TRUE(InOrder(calls,
                      {
                          {"NIVO_Init", {}},
                          {"NIVO_Detect", {{"result", "1"}}},
                          {"NIVO_SetProfileRoot", {{"root", "Tallwyn\\Profile"}, {"result", "0"}}},
                          {"NIVO_GetActiveProfileByType", {{"type", "1"}, {"result", "-27"}}},
                          {"NIVO_SetActiveProfileByType", {{"name", "Default"}, {"type", "1"}}},
                          {"NIVO_SetProfileWireless", {{"name", "Default"}, {"result", "0"}}},
                          {"NIVO_SetWLDomain", {{"domain", "0"}}},
                          {"NIVO_GetWLANConfig", {{"dwWLFlag_in", "0x207F6EE"}}},
                          {"NIVO_SetDriverReg", {}},
                          {"NIVO_SetWLANConfig", {}},
                      },
                      &at));
  if (at.size() == 10) {
    // The new profile is stored, not pushed, while loading: the push is the first cycle's.
    for (size_t i = at[5] + 1; i < at[6]; ++i) EXPECT_NE(calls[i].op, "NIVO_SetWLANConfig");
    // The window thread starts the library; the polling thread does the rest.
    EXPECT_NE(calls[at[1]].Text("thread"), calls[at[0]].Text("thread"));
    EXPECT_EQ(calls[at[9]].Text("thread"), calls[at[1]].Text("thread"));
  }

  // No network in reach: once the polling thread has read "disconnected" twice (the icon
  // follows each reading before the next), the icon shows no link.
  EXPECT_TRUE(WaitUntil([&] { return ConnectStatusReadings(1) >= 2; }));
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kNoLink, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  // An access point comes into reach: the card joins it and the icon turns green.
  ASSERT_EQ(Ctl("add-network ssid=Harbour bssid=00-1A-2B-3C-4D-01 channel=1 signal=-48"), 0);
  EXPECT_TRUE(WaitUntil([&] { return ConnectStatusReadings(0) >= 2; }));
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  EXPECT_EQ(TraceCount(kAddIconLine), 1u);
}

TEST_F(ResidentUtility, RemovalTakesTheIconAndTheWindowAwayInsertionBringsBothBackAndPushesAgain) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  ASSERT_NE(OpenSheet(), nullptr);

  ASSERT_EQ(Ctl("remove"), 0);
  EXPECT_TRUE(utility_->WaitForLine("<M> OnDeviceChange::   "));
  EXPECT_TRUE(utility_->WaitForLine("<M> DBT_DEVNODES_CHANGED "));
  EXPECT_TRUE(utility_->WaitForLine(kRemoveIconLine));
  EXPECT_TRUE(WaitForNoSheet());
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kAbsent, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  // Without the card the window does not open.
  PostTray(WM_LBUTTONDBLCLK);
  EXPECT_EQ(TrayMenu(), (std::vector<MenuEntry>{{kExit, "Exit", false}}));  // the double click was handled first
  EXPECT_TRUE(VisibleSheets().empty());

  const size_t pushes = CallCount("NIVO_SetWLANConfig");
  const size_t domainLines = TraceCount(kSettingDomainLine);
  ASSERT_EQ(Ctl("insert"), 0);
  EXPECT_TRUE(WaitUntil([&] { return TraceCount(kAddIconLine) == 2; }));
  EXPECT_TRUE(WaitUntil([&] { return TraceCount(kSettingDomainLine) > domainLines; }));
  EXPECT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", pushes + 1));
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  EXPECT_NE(OpenSheet(), nullptr);
}

TEST_F(ResidentUtility, TrayMenuOffersWhatTheCardAndTheWindowAllow) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  const MenuEntry separator{0, "", true};
  EXPECT_EQ(TrayMenu(), (std::vector<MenuEntry>{{kShowConfig, "Show Config Utility", false}, separator,
                                                {kExit, "Exit", false}}));
  // Closing the menu chose nothing.
  EXPECT_TRUE(VisibleSheets().empty());

  ASSERT_NE(OpenSheet(), nullptr);
  EXPECT_EQ(TrayMenu(), (std::vector<MenuEntry>{{kHideConfig, "Hide Config Utility", false}, separator,
                                                {kExit, "Exit", false}}));
  EXPECT_EQ(VisibleSheets().size(), 1u);

  ASSERT_EQ(Ctl("remove"), 0);
  ASSERT_TRUE(utility_->WaitForLine(kRemoveIconLine));
  EXPECT_EQ(TrayMenu(), (std::vector<MenuEntry>{{kExit, "Exit", false}}));
  EXPECT_FALSE(utility_->exited());
}

TEST_F(ResidentUtility, DoubleClickOpensOneFiveTabWindowAndHideClosesIt) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  HWND sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(ForeignTabTitles(sheet),
            (std::vector<std::string>{"Link Info", "Configuration", "Site Survey", "Encryption", "About"}));

  // A second double click brings the open window forward; it does not open another. The
  // menu that follows it shows once the double click has been handled.
  PostTray(WM_LBUTTONDBLCLK);
  EXPECT_EQ(TrayMenu().size(), 3u);
  EXPECT_EQ(VisibleSheets(), std::vector<HWND>{sheet});

  PostCommand(kHideConfig);
  EXPECT_TRUE(WaitForNoSheet());
  EXPECT_FALSE(utility_->exited());
  // It opens again, through the menu's command this time.
  PostCommand(kShowConfig);
  EXPECT_NE(WaitForSheet(), nullptr);
  EXPECT_EQ(VisibleSheets().size(), 1u);
}

// The two ways to end the utility, each with the window closed and open.
struct ExitCase {
  const char* name;
  bool byBroadcast;  // "ELEGANT_CLOSE" from another program, else the menu's "Exit"
  bool windowOpen;
};

class UtilityExit : public ResidentUtility, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(UtilityExit, EndsWithCodeZeroAndTerminatesTheLibraryLast) {
  const ExitCase& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
  ASSERT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  if (c.windowOpen) {
    ASSERT_NE(OpenSheet(), nullptr);
  }

  if (c.byBroadcast)
    BroadcastRegistered("ELEGANT_CLOSE");
  else
    PostCommand(kExit);
  ASSERT_TRUE(utility_->WaitForExit(kPatientMs));
  EXPECT_EQ(utility_->exitCode(), 0u);
  EXPECT_EQ(TraceCount("<RemoveIconFromTaskbar>"), 1u);

  const std::vector<Call> calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().op, "NIVO_Terminate");
  EXPECT_EQ(CallCount("NIVO_Terminate"), 1u);
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kAbsent, kPatientMs)) << TrayPictureName(ReadTrayPicture());
}

INSTANTIATE_TEST_SUITE_P(Ways, UtilityExit,
                         ::testing::Values(ExitCase{"ExitCommand", false, false},
                                           ExitCase{"ExitCommandWithWindowOpen", false, true},
                                           ExitCase{"ElegantClose", true, false},
                                           ExitCase{"ElegantCloseWithWindowOpen", true, true}),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

}  // namespace
