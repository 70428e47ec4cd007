// A page made for the framework's own tests, on the test template (tests/shared/
// test_page.rc): its handler table touches every event kind, its data exchange every kind
// of exchange, and it writes what it was told into a log the tests read.
#pragma once
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "framework/page.h"
#include "shared/test_page_ids.h"

class CTestPage : public fw::Page<CTestPage> {
 public:
  static constexpr std::uint32_t kHelpTopic = 199;
  static constexpr std::uintptr_t kRefreshTimer = 1;
  static constexpr std::uintptr_t kOneShotTimer = 2;
  // The key field's colours: blue text on white.
  static constexpr std::uint32_t kKeyTextColour = 0xFF0000;
  static constexpr std::uint32_t kKeyBrushColour = 0xFFFFFF;

  CTestPage() : Page(IDD_TEST_PAGE, "Test Page") { helpTopic = kHelpTopic; }

  static std::span<const fw::Handler<CTestPage>> Handlers();
  void DoDataExchange(fw::DataExchange& dx) override;
  bool OnInitDialog() override;

  // Exchanged members.
  std::string m_name = "alpha";
  int m_level = 1;
  int m_mode = 1;
  bool m_showKeys = true;
  std::string m_profile = "Office";

  std::vector<std::string> log;
  int paints = 0;
  std::map<int, fw::ColourKind> colourKinds;  // how each control last asked for colours
  bool initSawControls = false;

  void OnUpdateName() { log.push_back("EN_UPDATE name"); }
  void OnChangeName() {
    log.push_back("EN_CHANGE name");
    Item<fw::Button>(IDC_TEST_APPLY).Enable();
  }
  void OnChangeKey() { log.push_back("EN_CHANGE key"); }
  void OnMaxTextName() { log.push_back("EN_MAXTEXT name"); }
  void OnSelChangeProfiles() {
    fw::ComboBox box = Item<fw::ComboBox>(IDC_TEST_PROFILES);
    log.push_back("CBN_SELCHANGE " + box.GetLBText(box.GetCurSel()));
  }
  void OnEditChangeProfiles() { log.push_back("CBN_EDITCHANGE " + Item(IDC_TEST_PROFILES).GetText()); }
  void OnSelChangeLevel() { log.push_back("CBN_SELCHANGE level " + std::to_string(Item<fw::ComboBox>(IDC_TEST_LEVEL).GetCurSel())); }
  void OnSelChangeList() { log.push_back("LBN_SELCHANGE " + std::to_string(Item<fw::ListBox>(IDC_TEST_LIST).GetCurSel())); }
  void OnClickedRadio1() { log.push_back("BN_CLICKED radio1"); }
  void OnClickedRadio2() { log.push_back("BN_CLICKED radio2"); }
  void OnClickedCheck() { log.push_back("BN_CLICKED check"); }
  void OnClickedApply() {
    log.push_back("BN_CLICKED apply");
    UpdateData(true);
  }
  void OnClickedScan() { log.push_back("BN_CLICKED scan"); }
  void OnClickSurvey(fw::PageEvent& click) { log.push_back("NM_CLICK " + std::to_string(click.item)); }
  void OnItemChangedSurvey(fw::PageEvent& change) {
    if (((change.newState ^ change.oldState) & fw::lvis::kSelected) == 0) return;
    log.push_back(std::string("LVN_ITEMCHANGED ") + std::to_string(change.item) +
                  ((change.newState & fw::lvis::kSelected) != 0 ? " selected" : " unselected"));
  }
  void OnTimer(std::uintptr_t id) {
    log.push_back("WM_TIMER " + std::to_string(id));
    if (id == kOneShotTimer) fw::Sys().KillTimer(window(), kOneShotTimer);
  }
  void OnCtlColor(int controlId, fw::ColourKind kind, fw::ColourAnswer& answer) {
    colourKinds[controlId] = kind;
    if (controlId == IDC_TEST_KEY || controlId == IDC_TEST_PROFILES) answer.Answer(kKeyTextColour, true, kKeyBrushColour);
  }
  void OnPaint() { ++paints; }
  void OnMouseMove(const fw::MouseMove& move) {
    log.push_back("WM_MOUSEMOVE " + std::to_string(move.x) + "," + std::to_string(move.y) +
                  (move.ctrl ? " ctrl" : "") + (move.shift ? " shift" : ""));
  }
  void OnContextHelp(std::uint32_t context) { fw::Sys().ShowHelp(context != 0 ? context : kHelpTopic); }
  // The key field takes hexadecimal digits and backspace only.
  static bool IsHex(char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F'); }
  fw::KeyVerdict OnKeyCharKey(int editId, char ch) {
    return IsHex(ch) || ch == '\b' ? fw::KeyVerdict::kPass : fw::KeyVerdict::kDropWithBeep;
  }
  // And a paste of hexadecimal digits only.
  fw::KeyVerdict OnPasteKey(int editId, const std::string& text) {
    for (char ch : text)
      if (!IsHex(ch)) return fw::KeyVerdict::kDropWithBeep;
    return fw::KeyVerdict::kPass;
  }
};

inline std::span<const fw::Handler<CTestPage>> CTestPage::Handlers() {
  static const fw::Handler<CTestPage> kTable[] = {
      fw::OnCommand(IDC_TEST_NAME, fw::en::kUpdate, &CTestPage::OnUpdateName),
      fw::OnCommand(IDC_TEST_NAME, fw::en::kChange, &CTestPage::OnChangeName),
      fw::OnCommand(IDC_TEST_NAME, fw::en::kMaxText, &CTestPage::OnMaxTextName),
      fw::OnCommand(IDC_TEST_KEY, fw::en::kChange, &CTestPage::OnChangeKey),
      fw::OnCommand(IDC_TEST_PROFILES, fw::cbn::kSelChange, &CTestPage::OnSelChangeProfiles),
      fw::OnCommand(IDC_TEST_PROFILES, fw::cbn::kEditChange, &CTestPage::OnEditChangeProfiles),
      fw::OnCommand(IDC_TEST_LEVEL, fw::cbn::kSelChange, &CTestPage::OnSelChangeLevel),
      fw::OnCommand(IDC_TEST_LIST, fw::lbn::kSelChange, &CTestPage::OnSelChangeList),
      fw::OnCommand(IDC_TEST_RADIO1, fw::bn::kClicked, &CTestPage::OnClickedRadio1),
      fw::OnCommand(IDC_TEST_RADIO2, fw::bn::kClicked, &CTestPage::OnClickedRadio2),
      fw::OnCommand(IDC_TEST_CHECK, fw::bn::kClicked, &CTestPage::OnClickedCheck),
      fw::OnCommand(IDC_TEST_APPLY, fw::bn::kClicked, &CTestPage::OnClickedApply),
      fw::OnCommand(IDC_TEST_SCAN, fw::bn::kClicked, &CTestPage::OnClickedScan),
      fw::OnNotify(IDC_TEST_SURVEY, fw::nm::kClick, &CTestPage::OnClickSurvey),
      fw::OnNotify(IDC_TEST_SURVEY, fw::lvn::kItemChanged, &CTestPage::OnItemChangedSurvey),
      fw::OnTimer(&CTestPage::OnTimer),
      fw::OnCtlColor(&CTestPage::OnCtlColor),
      fw::OnPaint(&CTestPage::OnPaint),
      fw::OnMouseMove(&CTestPage::OnMouseMove),
      fw::OnContextHelp(&CTestPage::OnContextHelp),
      fw::OnKeyChar(IDC_TEST_KEY, &CTestPage::OnKeyCharKey),
      fw::OnPaste(IDC_TEST_KEY, &CTestPage::OnPasteKey),
  };
  return kTable;
}

inline void CTestPage::DoDataExchange(fw::DataExchange& dx) {
  dx.Text(IDC_TEST_NAME, m_name);
  dx.ComboIndex(IDC_TEST_LEVEL, m_level);
  dx.Radio({IDC_TEST_RADIO1, IDC_TEST_RADIO2}, m_mode);
  dx.Check(IDC_TEST_CHECK, m_showKeys);
  dx.ComboText(IDC_TEST_PROFILES, m_profile);
}

inline bool CTestPage::OnInitDialog() {
  initSawControls = Item(IDC_TEST_NAME).Exists();
  fw::ComboBox levels = Item<fw::ComboBox>(IDC_TEST_LEVEL);
  for (const char* level : {"Disabled", "64 Bits", "128 Bits"}) levels.AddString(level);
  fw::ComboBox profiles = Item<fw::ComboBox>(IDC_TEST_PROFILES);
  for (const char* name : {"office", "Home", "cafe", "Zeta"}) profiles.AddString(name);
  fw::ListView survey = Item<fw::ListView>(IDC_TEST_SURVEY);
  survey.InsertColumn(0, "SSID", 80);
  survey.InsertColumn(1, "Channel", 40, fw::lvcfmt::kRight);
  survey.SetFullRowSelect();
  // The base: members to controls.
  return Page::OnInitDialog();
}
