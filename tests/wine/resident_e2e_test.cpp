// The real tw7720util.exe with the virtual card, as a user meets it: the start and the first
// push of the profile, the tray icon on the Wine desktop's task bar, card removal and
// insertion, the tray menu, the configuration window and the two ways to end the utility.
// Read back through the card's call log, the utility's trace lines and the windows.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "support/call_log.h"
#include "support/desktop_probe.h"
#include "support/json_reader.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

constexpr char kTitle[] = "Tallwyn TW7720 WLAN card utility";
constexpr char kProfileRootKey[] = "Software\\Tallwyn\\Profile";
constexpr char kAddIconLine[] = " <ModifyIconAtTaskbar>:Add ICON ";
constexpr char kRemoveIconLine[] = " <ModifyIconAtTaskbar>:Remove ICON ";
constexpr char kSettingDomainLine[] = "\n\n##### Setting domain 0\n";
constexpr UINT kTrayIconId = 1;
constexpr WPARAM kHideConfig = 2001;
constexpr WPARAM kShowConfig = 2002;
constexpr WPARAM kExit = 2004;

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

// A copy of the utility and NIVO3.DLL in a folder of its own, started with its own scenario
// and call log, as the debugger's child (so its trace lines are read here). No profile is
// stored when it starts.
class ResidentUtility : public ::testing::Test {
 protected:
  void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kProfileRootKey); }

  void TearDown() override {
    if (utility_ && !utility_->exited()) {
      DismissPopupMenu(pid(), kPatientMs);
      BroadcastRegistered("ELEGANT_CLOSE");
      if (!utility_->WaitForExit(kPatientMs)) {
        ADD_FAILURE() << "the utility did not end on ELEGANT_CLOSE";
        utility_->Kill();
      }
    }
    utility_.reset();
    SHDeleteKeyA(HKEY_CURRENT_USER, kProfileRootKey);
  }

  void Start(const char* world) {
    ASSERT_TRUE(folder_.CopyFromBin("tw7720util.exe"));
    ASSERT_TRUE(folder_.CopyFromBin("NIVO3.dll"));
    ASSERT_TRUE(folder_.Write("world.ini", world));
    // The child inherits the environment of the moment it is created.
    SetEnvironmentVariableA("NIVO3_SCENARIO", folder_.File("world.ini").c_str());
    SetEnvironmentVariableA("NIVO3_CALL_LOG", callLogPath().c_str());
    utility_ = std::make_unique<DebuggedProcess>(folder_.File("tw7720util.exe"));
    SetEnvironmentVariableA("NIVO3_SCENARIO", nullptr);
    SetEnvironmentVariableA("NIVO3_CALL_LOG", nullptr);
    ASSERT_TRUE(utility_->started());
    frame_ = WaitForProcessWindow(pid(), nullptr, kTitle, false, kPatientMs);
    ASSERT_NE(frame_, nullptr);
    ASSERT_FALSE(IsWindowVisible(frame_));
  }

  // Started, with the card found and the icon shown.
  void StartWithIcon(const char* world) {
    ASSERT_NO_FATAL_FAILURE(Start(world));
    ASSERT_TRUE(utility_->WaitForLine(kAddIconLine));
  }

  DWORD pid() const { return utility_ ? utility_->processId() : 0; }
  std::string callLogPath() const { return folder_.File("calls.jsonl"); }

  // The tray icon's callback, as the shell sends it for a mouse message.
  void PostTray(UINT mouseMessage) const {
    PostMessageA(frame_, RegisterWindowMessageA("QUORVEL_ICON_PRESSED"), kTrayIconId, mouseMessage);
  }
  void PostCommand(WPARAM id) const { PostMessageA(frame_, WM_COMMAND, id, 0); }

  std::vector<HWND> VisibleSheets() const { return ProcessWindows(pid(), "#32770", kTitle, true); }
  HWND WaitForSheet() const { return WaitForProcessWindow(pid(), "#32770", kTitle, true, kPatientMs); }
  bool WaitForNoSheet() const {
    return WaitUntil([&] { return VisibleSheets().empty(); });
  }
  HWND OpenSheet() const {
    PostTray(WM_LBUTTONDBLCLK);
    return WaitForSheet();
  }

  // The tray menu's items; the menu is closed again before this returns.
  std::vector<MenuEntry> TrayMenu() const {
    PostTray(WM_RBUTTONUP);
    std::optional<std::vector<MenuEntry>> entries = WaitForPopupMenu(pid(), kPatientMs);
    EXPECT_TRUE(entries.has_value()) << "no pop-up menu";
    EXPECT_TRUE(DismissPopupMenu(pid(), kPatientMs));
    return entries.value_or(std::vector<MenuEntry>{});
  }

  size_t TraceCount(const std::string& line) const {
    size_t n = 0;
    for (const std::string& l : utility_->lines()) n += l == line;
    return n;
  }

  // The complete lines of the call log so far (a line being written is left for later).
  std::vector<Call> Calls() const {
    std::vector<std::string> bad;
    std::vector<Call> calls = ReadCallLog(callLogPath(), &bad);
    for (const std::string& line : bad) ADD_FAILURE() << "not a JSON object: " << line;
    return calls;
  }
  size_t CallCount(const std::string& op) const {
    size_t n = 0;
    for (const Call& c : Calls()) n += c.op == op;
    return n;
  }
  // Successful media connect status queries that read `status` (0 connected, 1 not).
  size_t ConnectStatusReadings(int status) const {
    size_t n = 0;
    for (const Call& c : Calls())
      n += c.op == "NIVO_QueryOID" && c.Text("oid") == "0x10114" && c.Text("result") == "0" &&
           c.Text("value") == std::to_string(status);
    return n;
  }
  bool WaitForCallCount(const std::string& op, size_t atLeast) const {
    return WaitUntil([&] { return CallCount(op) >= atLeast; });
  }

  // Runs virtualcard-ctl against the utility's card; its exit status.
  long Ctl(const std::string& arguments) const {
    std::string command(1, '"');
    command.append(ProgramFolder()).append("\\virtualcard-ctl.exe\" --pid ");
    command.append(std::to_string(pid())).append(1, ' ').append(arguments);
    return RunToEnd(command);
  }

  ScratchFolder folder_;
  std::unique_ptr<DebuggedProcess> utility_;
  HWND frame_ = nullptr;
};

// One expected call: its operation and the fields it must carry (decoded texts or numbers).
struct ExpectedCall {
  const char* op;
  std::vector<std::pair<const char*, const char*>> fields;
};

// Finds the expected calls in the log in this order (other calls may come between); the
// index of each match, or an explanation of the first that is missing.
testing::AssertionResult InOrder(const std::vector<Call>& calls, const std::vector<ExpectedCall>& expected,
                                 std::vector<size_t>* positions = nullptr) {
  size_t next = 0;
  for (const ExpectedCall& e : expected) {
    bool found = false;
    for (; next < calls.size() && !found; ++next) {
      if (calls[next].op != e.op) continue;
      found = true;
      for (const auto& [key, value] : e.fields) found = found && calls[next].Text(key) == value;
      if (found && positions) positions->push_back(next);
    }
    if (!found) {
      std::string log;
      for (const Call& c : calls) log += "  " + c.op + "\n";
      return testing::AssertionFailure() << "no " << e.op << " with the expected fields in order; calls:\n" << log;
    }
  }
  return testing::AssertionSuccess();
}

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
