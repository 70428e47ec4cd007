// The real tw7720util.exe with the virtual card, as a user meets it: the start and the first
// push of the profile, the tray icon on the Wine desktop's task bar, card removal and
// insertion, the tray menu, the configuration window and its Configuration tab, and the two
// ways to end the utility.
// Read back through the card's call log, the utility's trace lines and the windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "driver/nivo_records.h"
#include "res/resource.h"
#include "support/desktop_probe.h"
#include "support/call_log_json.h"
#include "support/wine_process.h"
#include "support/resident_utility.h"

namespace {

using namespace winetest;

constexpr char kSettingDomainLine[] = "\n\n##### Setting domain 0\n";

// The card alone, no network in reach: it stays without a link.
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

// ---------------------------------------------------------------- the Configuration tab

// The Configuration tab of the running utility, used from outside as a user would: texts
// set into the boxes, characters typed, list entries chosen, buttons clicked, message boxes
// answered. What it asked of the card is read from the call log.
class ConfigurationTab : public ResidentUtility {
 protected:
  static constexpr int kTabIndex = 1;

  // Opens the window on the Configuration tab; false when the page did not show.
  bool OpenPage() {
    sheet_ = OpenSheet();
    if (!sheet_) return false;
    SendMessageA(sheet_, PSM_SETCURSEL, kTabIndex, 0);
    return WaitUntil([&] {
      page_ = nullptr;
      EnumChildWindows(sheet_, MatchPage, reinterpret_cast<LPARAM>(&page_));
      return page_ != nullptr;
    });
  }
  static BOOL CALLBACK MatchPage(HWND child, LPARAM found) {
    if (GetDlgItem(child, IDC_CONFIG_PROFILE) && IsWindowVisible(child)) {
      *reinterpret_cast<HWND*>(found) = child;
      return FALSE;
    }
    return TRUE;
  }

  HWND Item(int id) const { return GetDlgItem(page_, id); }
  std::string Text(int id) const {
    char text[300] = {};
    SendMessageA(Item(id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
  }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // Posted: a click that opens a message box must not hold this thread.
  void Click(int id) const { PostMessageA(Item(id), BM_CLICK, 0, 0); }
  bool WaitForEnabled(int id, bool enabled = true) const {
    return WaitUntil([&] { return Enabled(id) == enabled; });
  }
  // A text put into the SSID box as a paste would (the page is told of the change).
  void SetSsid(const std::string& ssid) const {
    SendMessageA(Item(IDC_CONFIG_SSID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ssid.c_str()));
  }
  // Typed into the profile box's edit, replacing what it shows.
  void TypeProfileName(const std::string& name) const {
    HWND edit = FindWindowExA(Item(IDC_CONFIG_PROFILE), nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    PostMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : name) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  std::vector<std::string> ListedProfiles() const { return ForeignComboItems(Item(IDC_CONFIG_PROFILE)); }
  // Chooses a listed profile as the user does from the drop-down.
  bool PickProfile(const std::string& name) const {
    const std::vector<std::string> names = ListedProfiles();
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] != name) continue;
      HWND box = Item(IDC_CONFIG_PROFILE);
      SendMessageA(box, CB_SETCURSEL, i, 0);
      SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_CONFIG_PROFILE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
      return true;
    }
    return false;
  }
  // Answers the process's message box (any top-level dialog but the window) with `button`.
  bool AnswerMessageBox(int button) const {
    HWND box = nullptr;
    const bool shown = WaitUntil([&] {
      for (HWND w : ProcessWindows(pid(), "#32770", nullptr, true))
        if (w != sheet_ && GetDlgItem(w, button)) box = w;
      return box != nullptr;
    });
    if (!shown) return false;
    PostMessageA(box, WM_COMMAND, button, 0);
    return true;
  }

  // A completed polling cycle after `from`: each cycle with the card present queries the
  // connect status once.
  bool WaitForCycles(size_t cycles) const {
    const size_t start = CallCount("NIVO_QueryOID");
    return WaitUntil([&] { return CallCount("NIVO_QueryOID") >= start + cycles; });
  }
  // The index of the first call at or after `from` of `op` whose `key` is `value`; npos.
  size_t FindCall(const std::vector<Call>& calls, size_t from, const char* op, const char* key = nullptr,
                  const std::string& value = {}) const {
    for (size_t i = from; i < calls.size(); ++i)
      if (calls[i].op == op && (!key || calls[i].Text(key) == value)) return i;
    return std::string::npos;
  }
  bool WaitForCall(size_t from, const char* op, const char* key = nullptr, const std::string& value = {}) const {
    return WaitUntil([&] { return FindCall(Calls(), from, op, key, value) != std::string::npos; });
  }

  // Started with the card linked, the first push done, the window open on this tab.
  void StartOnPage() {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
    ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
    ASSERT_TRUE(OpenPage());
  }

  // "Create" of a name not listed yet; waits until it is stored.
  void CreateProfile(const std::string& name) {
    ASSERT_NO_FATAL_FAILURE(TypeProfileName(name));
    ASSERT_TRUE(WaitForEnabled(IDC_CONFIG_CREATE));
    const size_t from = Calls().size();
    Click(IDC_CONFIG_CREATE);
    ASSERT_TRUE(WaitForCall(from, "NIVO_SetActiveProfileByType", "name", name));
  }

  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

TEST_F(ConfigurationTab, CreateStoresTheNewProfileAndMakesItActiveWithoutAPush) {
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  EXPECT_EQ(ListedProfiles(), std::vector<std::string>{"Default"});
  const size_t from = Calls().size();
  ASSERT_NO_FATAL_FAILURE(CreateProfile("Office"));
  ASSERT_TRUE(WaitForCycles(2));

  const std::vector<Call> calls = Calls();
  const size_t stored = FindCall(calls, from, "NIVO_SetProfileWireless", "name", "Office");
  ASSERT_NE(stored, std::string::npos);
  EXPECT_EQ(calls[stored].Text("result"), "0");
  EXPECT_EQ(FindCall(calls, stored, "NIVO_SetActiveProfileByType", "name", "Office"), stored + 1);
  EXPECT_EQ(FindCall(calls, from, "NIVO_SetWLANConfig"), std::string::npos) << "a created profile is not pushed";
  EXPECT_EQ(FindCall(calls, from, "NIVO_SetDriverReg"), std::string::npos);
  EXPECT_EQ(ListedProfiles(), (std::vector<std::string>{"Default", "Office"}));
  EXPECT_TRUE(Enabled(IDC_CONFIG_ACTIVATE));
  EXPECT_TRUE(Enabled(IDC_CONFIG_REMOVE));
  EXPECT_FALSE(Enabled(IDC_CONFIG_CREATE));
}

TEST_F(ConfigurationTab, ApplyChangesSendsTheSsidOnTheNextCycleThenTheDriverSettingsAndTheIconFollows) {
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  ASSERT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());

  // A network nobody offers: the link goes.
  size_t from = Calls().size();
  SetSsid("Nowhere");
  ASSERT_TRUE(WaitForEnabled(IDC_CONFIG_APPLY_CHANGES));
  Click(IDC_CONFIG_APPLY_CHANGES);
  ASSERT_TRUE(WaitForCall(from, "NIVO_SetDriverReg"));
  std::vector<Call> calls = Calls();
  const size_t stored = FindCall(calls, from, "NIVO_SetProfileWireless", "name", "Default");
  ASSERT_NE(stored, std::string::npos);
  const size_t sent = FindCall(calls, stored, "NIVO_SetWLANConfig");
  ASSERT_NE(sent, std::string::npos);
  EXPECT_EQ(calls[sent].Text("ssid"), "Nowhere");
  EXPECT_EQ(calls[sent].Text("dwWLFlag_in").substr(0, 2), "0x");
  EXPECT_GT(FindCall(calls, sent, "NIVO_SetDriverReg"), sent);
  // The push came on the next cycle: at most the end of the cycle under way (its connect
  // status query) lies between the store and the send.
  size_t statusQueries = 0;
  for (size_t i = stored; i < sent; ++i) statusQueries += calls[i].op == "NIVO_QueryOID";
  EXPECT_LE(statusQueries, 1u);
  EXPECT_FALSE(Enabled(IDC_CONFIG_APPLY_CHANGES));
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kNoLink, kPatientMs)) << TrayPictureName(ReadTrayPicture());

  // The network of the card's world: the card joins it and the icon turns green.
  from = Calls().size();
  SetSsid("Harbour");
  ASSERT_TRUE(WaitForEnabled(IDC_CONFIG_APPLY_CHANGES));
  Click(IDC_CONFIG_APPLY_CHANGES);
  ASSERT_TRUE(WaitForCall(from, "NIVO_SetWLANConfig", "ssid", "Harbour"));
  EXPECT_TRUE(WaitForCall(from, "NIVO_SetDriverReg"));
  EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
}

TEST_F(ConfigurationTab, PickingAnotherProfileAndActivatingItAsksForTheFullPush) {
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  ASSERT_NO_FATAL_FAILURE(CreateProfile("Office"));
  const size_t from = Calls().size();
  ASSERT_TRUE(PickProfile("Default"));
  EXPECT_EQ(Text(IDC_CONFIG_SSID), "any");
  ASSERT_TRUE(WaitForEnabled(IDC_CONFIG_ACTIVATE));
  Click(IDC_CONFIG_ACTIVATE);
  ASSERT_TRUE(WaitForCall(from, "NIVO_SetWLANConfig"));

  const std::vector<Call> calls = Calls();
  std::vector<size_t> at;
  EXPECT_TRUE(InOrder(std::vector<Call>(calls.begin() + from, calls.end()),
                      {
                          {"NIVO_GetProfileWireless", {{"name", "Default"}}},
                          {"NIVO_SetProfileWireless", {{"name", "Default"}}},
                          {"NIVO_SetActiveProfileByType", {{"name", "Default"}}},
                          {"NIVO_SetWLDomain", {}},
                          {"NIVO_SetWLANConfig", {}},
                      },
                      &at));
  EXPECT_TRUE(WaitForEnabled(IDC_CONFIG_ACTIVATE, false));
}

TEST_F(ConfigurationTab, RemovingTheShownProfileLeavesDefaultActiveAndShown) {
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  ASSERT_NO_FATAL_FAILURE(CreateProfile("Office"));
  ASSERT_TRUE(WaitForEnabled(IDC_CONFIG_REMOVE));
  const size_t from = Calls().size();
  Click(IDC_CONFIG_REMOVE);
  ASSERT_TRUE(AnswerMessageBox(IDYES));
  ASSERT_TRUE(WaitForCall(from, "NIVO_GetProfileWireless", "name", "Default"));

  const std::vector<Call> calls = Calls();
  const size_t removed = FindCall(calls, from, "NIVO_DeleteProfileByType", "name", "Office");
  ASSERT_NE(removed, std::string::npos);
  EXPECT_EQ(calls[removed].Text("result"), "0");
  const size_t active = FindCall(calls, removed, "NIVO_SetActiveProfileByType");
  ASSERT_NE(active, std::string::npos);
  EXPECT_EQ(calls[active].Text("name"), "default");
  EXPECT_EQ(ListedProfiles(), std::vector<std::string>{"Default"});
  EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Default");
}

TEST_F(ConfigurationTab, ACreatedProfileIsListedAfterARestart) {
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  ASSERT_NO_FATAL_FAILURE(CreateProfile("Office"));
  BroadcastRegistered("ELEGANT_CLOSE");
  ASSERT_TRUE(utility_->WaitForExit(kPatientMs));

  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  EXPECT_EQ(ListedProfiles(), (std::vector<std::string>{"Default", "Office"}));
  // The profile made active last is the one loaded at the start.
  EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Office");
}

// Writes one value under HKCU\Software\Tallwyn\Profile (or a key below it).
void PlantValue(const char* subKey, const std::string& name, DWORD type, const std::string& bytes) {
  std::string path = "Software\\Tallwyn\\Profile";
  if (subKey) path += std::string("\\") + subKey;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << name;
  RegCloseKey(key);
}

// The type and size of a stored value; size 0 when there is none.
std::pair<DWORD, DWORD> StoredValue(const char* subKey, const char* name) {
  const std::string path = std::string("Software\\Tallwyn\\Profile\\") + subKey;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, 0};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) type = size = 0;
  RegCloseKey(key);
  return {type, size};
}

// Profiles and driver settings left damaged in the registry: values of the wrong size or
// type, a record of garbage, names no call could use, an active name that names nothing and
// driver settings of the wrong size. The utility starts as on a first start, lists the good
// profiles, shows the garbage one in defined states, and stores whole records again.
TEST_F(ConfigurationTab, DamagedStoredStateLeavesTheGoodProfilesListedAndStoresWork) {
  ProfileWireless office;
  std::memset(&office, 0, sizeof office);
  std::strcpy(office.profileName, "Office");
  std::strcpy(office.ssid, "Harbour");
  office.channel = 1;
  office.operatingMode = 1;
  office.rateCode = 15;
  const std::string record(reinterpret_cast<const char*>(&office), sizeof office);
  std::string noise(sizeof(ProfileWireless), '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(0x80 | (i * 37 + 11));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Office", REG_BINARY, record));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Noise", REG_BINARY, noise));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Short", REG_BINARY, record.substr(0, 100)));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Long", REG_BINARY, record + record));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Text", REG_SZ, "not a profile"));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", std::string(70, 'n'), REG_BINARY, record));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Wireless", "Tab\tName", REG_BINARY, record));
  ASSERT_NO_FATAL_FAILURE(PlantValue(nullptr, "ActiveWireless", REG_SZ, std::string("Ghost", 6)));
  ASSERT_NO_FATAL_FAILURE(PlantValue("Driver", "Settings", REG_BINARY, record.substr(0, 10)));

  // No active profile: the utility makes and pushes "Default" as on its first start.
  ASSERT_NO_FATAL_FAILURE(StartOnPage());
  std::vector<Call> calls = Calls();
  std::vector<size_t> at;
  EXPECT_TRUE(InOrder(calls,
                      {
                          {"NIVO_GetActiveProfileByType", {{"result", "-27"}}},
                          {"NIVO_SetActiveProfileByType", {{"name", "Default"}, {"result", "0"}}},
                          {"NIVO_SetProfileWireless", {{"name", "Default"}, {"result", "0"}}},
                          {"NIVO_SetDriverReg", {{"result", "0"}}},
                      },
                      &at));
  EXPECT_EQ(StoredValue("Driver", "Settings"), (std::pair<DWORD, DWORD>{REG_BINARY, sizeof(ProfileWireless)}))
      << "the driver settings are a whole record again";
  EXPECT_EQ(ListedProfiles(), (std::vector<std::string>{"Default", "Noise", "Office"}));

  // A new profile is stored whole and listed.
  ASSERT_NO_FATAL_FAILURE(CreateProfile("Fresh"));
  EXPECT_EQ(StoredValue("Wireless", "Fresh"), (std::pair<DWORD, DWORD>{REG_BINARY, sizeof(ProfileWireless)}));
  EXPECT_EQ(ListedProfiles(), (std::vector<std::string>{"Default", "Fresh", "Noise", "Office"}));

  // The garbage record shows defined states: every SSID byte is above 127, so none is shown.
  ASSERT_TRUE(PickProfile("Noise"));
  EXPECT_EQ(Text(IDC_CONFIG_SSID), "");
  ASSERT_TRUE(PickProfile("Office"));
  EXPECT_EQ(Text(IDC_CONFIG_SSID), "Harbour");
  EXPECT_TRUE(WaitForCycles(1)) << "the utility still runs its cycles";
}

}  // namespace
