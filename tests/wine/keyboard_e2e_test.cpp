// The configuration window of the real tw7720util.exe driven from the keyboard as a person
// drives it: keys go through the system's input queue (SendInput) to the window in the
// foreground, a tab is clicked with the mouse, and where the keyboard focus is comes from the
// window's own thread (GetGUIThreadInfo). What keys do to the pages: the tab strip keeps the
// focus while the arrows move between tabs, Tab visits the Encryption page's controls in the
// order of its template, the arrows move within the entry radio buttons, control keys and
// Ctrl+V in a masked key field, a button that disables itself, and F1 wherever the focus is.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/desktop_probe.h"
#include "support/html_association.h"
#include "support/resident_utility.h"
#include "support/user_input.h"

namespace {

using namespace winetest;

// How long a key may take to show its effect; a wait for something that must not happen
// lasts this long too.
constexpr DWORD kKeyMs = 3000;

class KeyboardUser : public ResidentUtility {
 protected:
  void TearDown() override {
    if (utility_ && !utility_->exited())
      for (HWND box : MessageBoxes()) PostMessageA(box, WM_COMMAND, IDOK, 0);
    ResidentUtility::TearDown();
  }

  // Starts the utility, opens its window and brings it to the front, so that the keys go
  // to it.
  void OpenWindow() {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
    ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
    sheet_ = OpenSheet();
    ASSERT_NE(sheet_, nullptr);
    tabs_ = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
    ASSERT_NE(tabs_, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
      SetForegroundWindow(sheet_);
      return GetForegroundWindow() == sheet_;
    })) << "the window did not come to the front";
  }

  // Clicks the Encryption tab with the mouse, as the person in the issue did.
  void ClickEncryptionTab() {
    ASSERT_TRUE(ClickForeignTab(sheet_, kEncryptionTab));
    ASSERT_TRUE(WaitUntil([&] { return ActiveTab() == kEncryptionTab && Control(IDC_WEP_LEVEL) != nullptr; }))
        << "the Encryption tab did not come up";
  }

  // --- the keyboard
  void Press(WORD key, std::initializer_list<WORD> held = {}) const {
    ASSERT_TRUE(PressChord(sheet_, held, key)) << "the system took no key";
  }

  // Presses Tab until `target` has the focus, at most `presses` times; whether it got it.
  bool TabTo(HWND target, int presses = 20) const {
    for (int i = 0; i < presses && Focus() != target; ++i) {
      Press(VK_TAB);
      WaitUntil([&] { return Focus() == target; }, 300);
    }
    return Focus() == target;
  }

  // --- what the window shows
  HWND Focus() const { return FocusInThreadOf(sheet_); }
  bool FocusBecomes(HWND expected) const {
    return WaitUntil([&] { return Focus() == expected; }, kKeyMs);
  }
  HWND Page() const { return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)); }
  HWND Control(int id) const {
    HWND page = Page();
    return page != nullptr ? GetDlgItem(page, id) : nullptr;
  }
  int ActiveTab() const { return static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)); }
  // A window as a message names it: its id and class.
  static std::string Describe(HWND window) {
    if (window == nullptr) return "nothing";
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return std::string(name) + " " + std::to_string(GetDlgCtrlID(window)) + " \"" + ForeignText(window) + "\"";
  }

  std::vector<HWND> MessageBoxes() const {
    std::vector<HWND> boxes;
    for (HWND w : ProcessWindows(pid(), "#32770", kUtilityTitle, true))
      if (w != sheet_ && GetDlgItem(w, kMessageTextId) != nullptr) boxes.push_back(w);
    return boxes;
  }

  // Level 1 with manual hexadecimal entry, chosen from the keyboard on the level list: the
  // level list keeps the focus.
  void ChooseLevel64FromTheKeyboard() {
    ASSERT_NO_FATAL_FAILURE(ClickEncryptionTab());
    ASSERT_TRUE(TabTo(Control(IDC_WEP_LEVEL))) << Describe(Focus());
    Press(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(Control(IDC_WEP_LEVEL), CB_GETCURSEL, 0, 0) == 1; }, kKeyMs));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(IDC_KEY1_HEX64)) != FALSE; }, kKeyMs));
    EXPECT_EQ(Focus(), Control(IDC_WEP_LEVEL)) << Describe(Focus());
  }

  HWND sheet_ = nullptr;
  HWND tabs_ = nullptr;
};

TEST_F(KeyboardUser, AfterAClickOnATabTheArrowsMoveBetweenTabsAndChangeNoSetting) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ClickEncryptionTab());
  const LRESULT level = SendMessageA(Control(IDC_WEP_LEVEL), CB_GETCURSEL, 0, 0);
  EXPECT_TRUE(FocusBecomes(tabs_)) << "the clicked tab strip keeps the focus, not " << Describe(Focus());
  // Every activation of the Encryption page masks its fields; the tab strip keeps the focus.
  const struct {
    WORD key;
    int tab;
  } steps[] = {{VK_RIGHT, kAboutTab}, {VK_LEFT, kEncryptionTab}, {VK_LEFT, kSiteSurveyTab},
               {VK_RIGHT, kEncryptionTab}, {VK_RIGHT, kAboutTab}};
  for (const auto& step : steps) {
    Press(step.key);
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == step.tab; }, kKeyMs))
        << "after " << (step.key == VK_RIGHT ? "Right" : "Left") << " the tab is " << ActiveTab() << ", not "
        << step.tab;
    EXPECT_EQ(Focus(), tabs_) << Describe(Focus());
  }
  // The Encryption page's window lives on after it was left: its level is as it was.
  HWND encryption = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_INDEXTOHWND, kEncryptionTab, 0));
  ASSERT_NE(encryption, nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(encryption, IDC_WEP_LEVEL), CB_GETCURSEL, 0, 0), level);
}

TEST_F(KeyboardUser, TabVisitsTheEncryptionControlsInTheTemplatesOrder) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ChooseLevel64FromTheKeyboard());
  // Manual entry at 64 bits: the radio buttons are one stop, at the chosen one; the
  // passphrase field is disabled and Tab passes it by.
  const struct {
    WORD key;
    bool shift;
    int id;
  } steps[] = {
      {VK_TAB, false, IDC_MANUAL_ENTRY},
      {VK_TAB, false, IDC_ASCII_FORM},             {VK_TAB, false, IDC_KEY1_HEX64},
      {VK_TAB, false, IDC_KEY2_HEX64},             {VK_TAB, false, IDC_KEY3_HEX64},
      {VK_TAB, false, IDC_KEY4_HEX64},             {VK_TAB, false, IDC_DEFAULT_TX_KEY},
      {VK_TAB, false, IDC_ENC_RESTORE_DEFAULTS},   {VK_TAB, false, IDC_ENC_UNDO_CHANGES},
      {VK_TAB, false, IDC_ENC_APPLY_CHANGES},      {VK_TAB, true, IDC_ENC_UNDO_CHANGES},
      {VK_TAB, true, IDC_ENC_RESTORE_DEFAULTS},
  };
  for (const auto& step : steps) {
    if (step.shift) {
      Press(step.key, {VK_SHIFT});
    } else {
      Press(step.key);
    }
    EXPECT_TRUE(FocusBecomes(Control(step.id)))
        << (step.shift ? "Shift+Tab" : "Tab") << " should reach " << step.id << ", reached " << Describe(Focus());
  }
}

TEST_F(KeyboardUser, TheArrowsMoveWithinTheEntryRadioButtonsOnly) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ChooseLevel64FromTheKeyboard());
  Press(VK_TAB);
  ASSERT_TRUE(FocusBecomes(Control(IDC_MANUAL_ENTRY))) << Describe(Focus());
  // Each arrow moves to the other button of the group and chooses it; the passphrase label
  // and field between them on screen are not in the group (with passphrase entry they are
  // enabled, and Down still goes to "Manual Entry").
  const struct {
    WORD key;
    int id;
    bool passphraseEntry;
  } steps[] = {{VK_UP, IDC_CREATE_WITH_PASSPHRASE, true},
               {VK_DOWN, IDC_MANUAL_ENTRY, false},
               {VK_DOWN, IDC_CREATE_WITH_PASSPHRASE, true},
               {VK_RIGHT, IDC_MANUAL_ENTRY, false},
               {VK_LEFT, IDC_CREATE_WITH_PASSPHRASE, true}};
  for (const auto& step : steps) {
    Press(step.key);
    EXPECT_TRUE(FocusBecomes(Control(step.id))) << "reached " << Describe(Focus());
    const int chosen = step.passphraseEntry ? IDC_CREATE_WITH_PASSPHRASE : IDC_MANUAL_ENTRY;
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(Control(chosen), BM_GETCHECK, 0, 0) == BST_CHECKED; }, kKeyMs))
        << chosen << " not chosen";
    EXPECT_TRUE(WaitUntil([&] { return (IsWindowEnabled(Control(IDC_PASSPHRASE)) != FALSE) == step.passphraseEntry; },
                          kKeyMs))
        << "the passphrase field follows the entry method";
  }
}

TEST_F(KeyboardUser, ControlKeysKeepAMaskedKeyAndCtrlVReplacesIt) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ChooseLevel64FromTheKeyboard());
  HWND key1 = Control(IDC_KEY1_HEX64);
  ASSERT_TRUE(TabTo(key1)) << Describe(Focus());
  const std::string key = ForeignText(key1);
  ASSERT_EQ(key.size(), 10u);
  ASSERT_EQ(SendMessageA(key1, EM_GETPASSWORDCHAR, 0, 0), '*');

  Press('A', {VK_CONTROL});
  Press('C', {VK_CONTROL});
  Sleep(500);  // nothing is to happen: time for it not to
  EXPECT_EQ(ForeignText(key1), key) << "Ctrl+A and Ctrl+C wiped the key";
  EXPECT_EQ(SendMessageA(key1, EM_GETPASSWORDCHAR, 0, 0), '*');

  // Ctrl+V: the clipboard's key in place of the whole masked key, in clear.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char pasted[] = "0A0B0C0D0E";
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(pasted));
  memcpy(GlobalLock(block), pasted, sizeof(pasted));
  GlobalUnlock(block);
  ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
  CloseClipboard();
  Press('V', {VK_CONTROL});
  EXPECT_TRUE(WaitUntil([&] { return ForeignText(key1) == pasted; }, kKeyMs)) << ForeignText(key1);
  EXPECT_EQ(SendMessageA(key1, EM_GETPASSWORDCHAR, 0, 0), 0);
}

TEST_F(KeyboardUser, AButtonThatDisablesItselfHandsTheFocusOn) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ChooseLevel64FromTheKeyboard());
  HWND undo = Control(IDC_ENC_UNDO_CHANGES);
  ASSERT_TRUE(IsWindowEnabled(undo));
  ASSERT_TRUE(TabTo(undo)) << Describe(Focus());
  // Space presses it: the page goes back to the profile and disables Undo and Apply.
  Press(VK_SPACE);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(undo) == FALSE; }, kKeyMs));
  HWND ok = GetDlgItem(sheet_, IDOK);
  EXPECT_TRUE(FocusBecomes(ok)) << "the next enabled control in tab order, not " << Describe(Focus());
}

// --- F1

std::string WaitForText(const std::string& path) {
  std::string text;
  WaitUntil([&] {
    std::ifstream in(path);
    std::ostringstream read;
    read << in.rdbuf();
    text = read.str();
    return !text.empty();
  });
  return text;
}

TEST_F(KeyboardUser, F1OpensTheGuideAtTheCurrentPagesSectionWhereverTheFocusIs) {
  ASSERT_TRUE(folder_.CopyFromBin("tw7720util.html"));
  ASSERT_TRUE(folder_.CopyFromBin("guide-opener.exe"));
  HtmlAssociation association(folder_.File("guide-opener.exe"));
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  const std::string record = folder_.File("guide-opened.txt");
  std::string guide = "file:///" + folder_.File("tw7720util.html");
  for (char& c : guide)
    if (c == '\\') c = '/';

  // The tab strip after a click on a tab, a control of the page, one of the window's buttons.
  ASSERT_NO_FATAL_FAILURE(ClickEncryptionTab());
  const struct {
    const char* where;
    HWND focus;
  } places[] = {{"the tab strip", tabs_}, {"the level list", Control(IDC_WEP_LEVEL)},
                {"the Cancel button", GetDlgItem(sheet_, IDCANCEL)}};
  for (const auto& place : places) {
    DeleteFileA(record.c_str());
    ASSERT_TRUE(TabTo(place.focus)) << place.where << ": " << Describe(Focus());
    Press(VK_F1);
    const std::string opened = WaitForText(record);
    EXPECT_NE(opened.find(guide + "#topic-" + std::to_string(IDH_ENCRYPTION)), std::string::npos)
        << "F1 on " << place.where << ": " << opened;
  }
}

TEST_F(KeyboardUser, F1WithoutTheGuideSaysWhichFileIsMissing) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  ASSERT_NO_FATAL_FAILURE(ClickEncryptionTab());
  ASSERT_TRUE(FocusBecomes(tabs_));
  Press(VK_F1);
  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitUntil([&] { return !(boxes = MessageBoxes()).empty(); }, kKeyMs)) << "no message box";
  EXPECT_NE(ForeignText(GetDlgItem(boxes[0], kMessageTextId)).find(folder_.File("tw7720util.html")),
            std::string::npos)
      << ForeignText(GetDlgItem(boxes[0], kMessageTextId));
}

}  // namespace
