// The page framework on the backend in use (memory controls natively, real controls under
// Wine), through the test page: controls made from the template, the data exchange both
// ways, and what each user action makes the controls tell the page.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/page_fixture.h"
#include "support/test_page.h"

namespace {

using fw::Button;
using fw::ComboBox;
using fw::Edit;
using fw::ListView;
using Log = std::vector<std::string>;

constexpr std::uint32_t kEsPassword = 0x20;
constexpr std::uint32_t kEsReadOnly = 0x800;

class PageFrameworkTest : public PageTest {
 protected:
  CTestPage page;
  bool Logged(const std::string& line) const {
    return std::find(page.log.begin(), page.log.end(), line) != page.log.end();
  }
};

TEST_F(PageFrameworkTest, ThePageOpensWithItsTemplatesControlsAndItsMembersWrittenToThem) {
  Log logAtStart;
  ASSERT_EQ(RunOnPage(page, [&](UserDriver& user) {
    logAtStart = page.log;
    EXPECT_TRUE(page.initSawControls) << "the controls exist when OnInitDialog runs";
    // Texts, kinds and styles of the template.
    EXPECT_EQ(user.Text(IDC_TEST_RIGHT), "Right");
    EXPECT_EQ(user.Text(IDC_TEST_CENTRE), "Centre \"quoted\"");
    EXPECT_EQ(user.Text(IDC_TEST_CLASSCHECK), "Check by class");
    EXPECT_EQ(fw::Controls().ClassName(page.window(), IDC_TEST_SURVEY), "SysListView32");
    EXPECT_NE(page.Item(IDC_TEST_KEY).Style() & kEsPassword, 0u);
    EXPECT_EQ(page.Item<Edit>(IDC_TEST_KEY).GetPasswordChar(), '*');
    EXPECT_NE(page.Item(IDC_TEST_READONLY).Style() & kEsReadOnly, 0u);
    EXPECT_FALSE(page.Item(IDC_TEST_DISABLED_EDIT).IsEnabled());
    EXPECT_TRUE(page.Item(IDC_TEST_SCAN).IsVisible());
    EXPECT_FALSE(page.Item(4711).Exists());
    EXPECT_EQ(page.Item(4711).GetText(), "");

    // The members, written by the base OnInitDialog.
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "alpha");
    EXPECT_EQ(page.Item<ComboBox>(IDC_TEST_LEVEL).GetCurSel(), 1);
    EXPECT_EQ(user.Text(IDC_TEST_LEVEL), "64 Bits");
    EXPECT_FALSE(page.Item<Button>(IDC_TEST_RADIO1).GetCheck());
    EXPECT_TRUE(page.Item<Button>(IDC_TEST_RADIO2).GetCheck());
    EXPECT_TRUE(page.Item<Button>(IDC_TEST_CHECK).GetCheck());
    // "Office" found without regard to case in the sorted box.
    ComboBox profiles = page.Item<ComboBox>(IDC_TEST_PROFILES);
    EXPECT_EQ(profiles.GetCurSel(), 2);
    EXPECT_EQ(user.Text(IDC_TEST_PROFILES), "office");
    ListView survey = page.Item<ListView>(IDC_TEST_SURVEY);
    EXPECT_EQ(survey.GetColumnCount(), 2);
    EXPECT_NE(survey.GetExtendedStyle() & fw::lvm::kFullRowSelect, 0u);
  }), kBodyDone);
  // Writing the name sent EN_UPDATE and EN_CHANGE (and the page enabled Apply on it); the
  // program's combo box selections sent nothing.
  EXPECT_EQ(logAtStart, (Log{"EN_UPDATE name", "EN_CHANGE name"}));
}

TEST_F(PageFrameworkTest, TheDataExchangeReadsWhatTheUserChanged) {
  RunOnPage(page, [&](UserDriver& user) {
    Edit name = page.Item<Edit>(IDC_TEST_NAME);
    name.SetSel(5, 5);
    user.Type(IDC_TEST_NAME, "-b");
    EXPECT_TRUE(user.Choose(IDC_TEST_LEVEL, 2));
    EXPECT_TRUE(user.Click(IDC_TEST_RADIO1));
    EXPECT_TRUE(user.Click(IDC_TEST_CHECK));
    EXPECT_TRUE(user.Choose(IDC_TEST_PROFILES, 1));
    EXPECT_TRUE(page.UpdateData(true));
  });
  EXPECT_EQ(page.m_name, "alpha-b");
  EXPECT_EQ(page.m_level, 2);
  EXPECT_EQ(page.m_mode, 0);
  EXPECT_FALSE(page.m_showKeys);
  EXPECT_EQ(page.m_profile, "Home");
}

// A page writes its members back after every edit; a text the control already shows is not
// written again, so the caret stays where the user is typing and no change is notified.
TEST_F(PageFrameworkTest, WritingTheMembersBackRewritesOnlyTextsThatDiffer) {
  RunOnPage(page, [&](UserDriver& user) {
    Edit name = page.Item<Edit>(IDC_TEST_NAME);
    name.SetSel(2, 2);
    user.Type(IDC_TEST_NAME, "x");
    EXPECT_TRUE(page.UpdateData(true));
    page.log.clear();
    EXPECT_TRUE(page.UpdateData(false));
    int start = -1, end = -1;
    name.GetSel(start, end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 3);
    EXPECT_FALSE(Logged("EN_CHANGE name"));

    page.m_name = "beta";
    page.m_profile = "Home";
    EXPECT_TRUE(page.UpdateData(false));
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "beta");
    EXPECT_TRUE(Logged("EN_CHANGE name"));
    EXPECT_EQ(user.Text(IDC_TEST_PROFILES), "Home");
  });
}

TEST_F(PageFrameworkTest, TypedKeysPassTheFilterOrAreDroppedWithABeep) {
  RunOnPage(page, [&](UserDriver& user) {
    page.log.clear();
    const std::size_t beepsBefore = user.Beeps();
    user.Type(IDC_TEST_KEY, "1x2G");
    EXPECT_EQ(user.Text(IDC_TEST_KEY), "12");
    EXPECT_EQ(user.Beeps() - beepsBefore, 2u);
    EXPECT_EQ(page.log, (Log{"EN_CHANGE key", "EN_CHANGE key"}));
    user.Type(IDC_TEST_KEY, "\b");
    EXPECT_EQ(user.Text(IDC_TEST_KEY), "1");
    // A paste passes the page's paste filter, whole or not at all.
    EXPECT_TRUE(user.Paste(IDC_TEST_KEY, "zz"));
    EXPECT_EQ(user.Text(IDC_TEST_KEY), "1");
    EXPECT_EQ(user.Beeps() - beepsBefore, 3u);
    EXPECT_TRUE(user.Paste(IDC_TEST_KEY, "ab"));
    EXPECT_EQ(user.Text(IDC_TEST_KEY), "1ab");
    // The read-only and the disabled field take nothing.
    user.Type(IDC_TEST_READONLY, "abc");
    EXPECT_EQ(user.Text(IDC_TEST_READONLY), "");
    user.Type(IDC_TEST_DISABLED_EDIT, "abc");
    EXPECT_EQ(user.Text(IDC_TEST_DISABLED_EDIT), "");
  });
}

TEST_F(PageFrameworkTest, ADisabledControlHandsTheFocusToTheNextTabStop) {
  RunOnPage(page, [&](UserDriver& user) {
    EXPECT_TRUE(user.Click(IDC_TEST_SCAN));
    ASSERT_EQ(fw::Controls().FocusedId(page.window()), IDC_TEST_SCAN);
    page.Item(IDC_TEST_NAME).Enable(false);
    EXPECT_EQ(fw::Controls().FocusedId(page.window()), IDC_TEST_SCAN) << "another control's disabling";
    page.Item(IDC_TEST_SCAN).Enable(false);
    EXPECT_EQ(fw::Controls().FocusedId(page.window()), IDC_TEST_SURVEY) << "the next enabled tab stop";
  });
}

TEST_F(PageFrameworkTest, APasteTakesTheFirstLineWithinTheLimit) {
  RunOnPage(page, [&](UserDriver& user) {
    Edit name = page.Item<Edit>(IDC_TEST_NAME);
    name.SetLimitText(8);
    EXPECT_EQ(name.GetLimitText(), 8);
    name.SetSel(5, 5);
    page.log.clear();
    EXPECT_TRUE(user.Paste(IDC_TEST_NAME, "-betagamma\r\nsecond line"));
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "alpha-be");
    EXPECT_TRUE(Logged("EN_MAXTEXT name"));
    EXPECT_TRUE(Logged("EN_CHANGE name"));
    user.Type(IDC_TEST_NAME, "x");
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "alpha-be");
    // The program's own write is not held to the limit.
    name.SetText("a longer text than eight");
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "a longer text than eight");
    name.SetLimitText(0);  // no limit of its own
    int start = -1, end = -1;
    name.SetSel(2, 6);
    name.GetSel(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 6);
    user.Type(IDC_TEST_NAME, "!");  // replaces the selection
    EXPECT_EQ(user.Text(IDC_TEST_NAME), "a !er text than eight");
  });
}

TEST_F(PageFrameworkTest, ComboBoxesSortFindAndTellOnlyTheUsersChoice) {
  RunOnPage(page, [&](UserDriver& user) {
    ComboBox profiles = page.Item<ComboBox>(IDC_TEST_PROFILES);
    ASSERT_EQ(profiles.GetCount(), 4);
    EXPECT_EQ(profiles.GetLBText(0), "cafe");
    EXPECT_EQ(profiles.GetLBText(1), "Home");
    EXPECT_EQ(profiles.GetLBText(3), "Zeta");
    EXPECT_EQ(profiles.GetLBText(9), "");
    EXPECT_EQ(profiles.AddString("Lab"), 2);  // sorted in
    EXPECT_EQ(profiles.FindStringExact(-1, "HOME"), 1);
    EXPECT_EQ(profiles.FindStringExact(-1, "Hom"), -1);
    EXPECT_EQ(profiles.FindStringExact(1, "home"), 1) << "the search wraps round";
    EXPECT_EQ(profiles.InsertString(0, "zz first"), 0);  // inserted where told, not sorted
    EXPECT_EQ(profiles.GetLBText(0), "zz first");
    EXPECT_TRUE(profiles.DeleteString(0));
    EXPECT_FALSE(profiles.DeleteString(17));

    page.log.clear();
    EXPECT_EQ(profiles.SetCurSel(3), 3);
    EXPECT_EQ(user.Text(IDC_TEST_PROFILES), "office");
    EXPECT_EQ(profiles.SetCurSel(42), -1);
    EXPECT_EQ(profiles.GetCurSel(), 3) << "an index out of range changes nothing";
    EXPECT_EQ(profiles.SetCurSel(-1), -1);
    EXPECT_EQ(profiles.GetCurSel(), -1);
    EXPECT_EQ(user.Text(IDC_TEST_PROFILES), "");
    page.Item<ComboBox>(IDC_TEST_LEVEL).SetCurSel(2);
    EXPECT_EQ(user.Text(IDC_TEST_LEVEL), "128 Bits");
    EXPECT_EQ(page.log, Log{}) << "a selection by the program sends nothing";

    EXPECT_TRUE(user.Choose(IDC_TEST_PROFILES, 1));
    EXPECT_TRUE(user.Choose(IDC_TEST_LEVEL, 0));
    EXPECT_FALSE(user.Choose(IDC_TEST_LEVEL, 3));
    EXPECT_EQ(page.log, (Log{"CBN_SELCHANGE Home", "CBN_SELCHANGE level 0"}));

    page.log.clear();
    profiles.SetEditSel(0, -1);
    user.Type(IDC_TEST_PROFILES, "Q");
    EXPECT_EQ(user.Text(IDC_TEST_PROFILES), "Q");
    EXPECT_TRUE(Logged("CBN_EDITCHANGE Q"));

    profiles.ResetContent();
    EXPECT_EQ(profiles.GetCount(), 0);
    page.Item<ComboBox>(IDC_TEST_LEVEL).Enable(false);
    EXPECT_FALSE(user.Choose(IDC_TEST_LEVEL, 1));
  });
}

TEST_F(PageFrameworkTest, ButtonsClickAsTheirKindDoesAndDisabledOrHiddenOnesIgnoreClicks) {
  RunOnPage(page, [&](UserDriver& user) {
    page.log.clear();
    page.Item(IDC_TEST_APPLY).Enable(false);
    EXPECT_FALSE(user.Click(IDC_TEST_APPLY));
    page.Item(IDC_TEST_SCAN).Show(false);
    EXPECT_FALSE(page.Item(IDC_TEST_SCAN).IsVisible());
    EXPECT_FALSE(user.Click(IDC_TEST_SCAN));
    EXPECT_FALSE(user.Click(IDC_TEST_GROUP));
    EXPECT_EQ(page.log, Log{});

    page.Item(IDC_TEST_APPLY).Enable();
    EXPECT_TRUE(user.Click(IDC_TEST_APPLY));
    EXPECT_TRUE(user.Click(IDC_TEST_RADIO1));
    EXPECT_TRUE(page.Item<Button>(IDC_TEST_RADIO1).GetCheck());
    EXPECT_FALSE(page.Item<Button>(IDC_TEST_RADIO2).GetCheck()) << "automatic radio buttons of a group exclude each other";
    EXPECT_TRUE(user.Click(IDC_TEST_CHECK));
    EXPECT_FALSE(page.Item<Button>(IDC_TEST_CHECK).GetCheck());
    EXPECT_TRUE(user.Click(IDC_TEST_MANUALCHECK));
    EXPECT_FALSE(page.Item<Button>(IDC_TEST_MANUALCHECK).GetCheck()) << "a plain check box leaves it to the page";
    EXPECT_TRUE(user.Click(IDC_TEST_CLASSCHECK));
    EXPECT_TRUE(page.Item<Button>(IDC_TEST_CLASSCHECK).GetCheck());
    EXPECT_EQ(page.log, (Log{"BN_CLICKED apply", "BN_CLICKED radio1", "BN_CLICKED check"}));
  });
}

TEST_F(PageFrameworkTest, AListViewInReportModeHoldsRowsAndTellsClicksAndSelection) {
  RunOnPage(page, [&](UserDriver& user) {
    ListView survey = page.Item<ListView>(IDC_TEST_SURVEY);
    EXPECT_EQ(survey.InsertItem(0, "north"), 0);
    EXPECT_EQ(survey.InsertItem(1, "south"), 1);
    EXPECT_EQ(survey.InsertItem(0, "east"), 0);
    EXPECT_TRUE(survey.SetItemText(2, 1, "11"));
    EXPECT_FALSE(survey.SetItemText(2, 5, "x")) << "no such column";
    EXPECT_FALSE(survey.SetItemText(7, 1, "x")) << "no such row";
    EXPECT_EQ(survey.GetItemCount(), 3);
    EXPECT_EQ(survey.GetItemText(1, 0), "north");
    EXPECT_EQ(survey.GetItemText(2, 1), "11");
    EXPECT_EQ(survey.GetItemText(9, 0), "");
    EXPECT_EQ(survey.GetFirstSelected(), -1);

    page.log.clear();
    EXPECT_TRUE(user.ClickRow(IDC_TEST_SURVEY, 1));
    EXPECT_EQ(survey.GetFirstSelected(), 1);
    EXPECT_TRUE(user.ClickRow(IDC_TEST_SURVEY, 0));
    EXPECT_TRUE(user.ClickRow(IDC_TEST_SURVEY, 9));  // below the rows: no row
    EXPECT_EQ(survey.GetFirstSelected(), -1);
    EXPECT_EQ(page.log, (Log{"LVN_ITEMCHANGED 1 selected", "NM_CLICK 1", "LVN_ITEMCHANGED 1 unselected",
                             "LVN_ITEMCHANGED 0 selected", "NM_CLICK 0", "LVN_ITEMCHANGED 0 unselected",
                             "NM_CLICK -1"}));
    EXPECT_TRUE(survey.DeleteItem(0));
    EXPECT_EQ(survey.GetItemText(0, 0), "north");
    survey.DeleteAllItems();
    EXPECT_EQ(survey.GetItemCount(), 0);
  });
}

TEST_F(PageFrameworkTest, ProgressBarKeepsItsPositionInsideItsRange) {
  RunOnPage(page, [&](UserDriver& user) {
    fw::ProgressBar signal = page.Item<fw::ProgressBar>(IDC_TEST_SIGNAL);
    EXPECT_EQ(signal.GetLow(), 0);
    EXPECT_EQ(signal.GetHigh(), 100);
    signal.SetRange(0, 40);
    signal.SetPos(25);
    EXPECT_EQ(signal.GetPos(), 25);
    signal.SetPos(90);
    EXPECT_EQ(signal.GetPos(), 40);
    EXPECT_EQ(signal.GetHigh(), 40);
  });
}

TEST_F(PageFrameworkTest, TimersFireByWindowAndIdUntilKilled) {
  RunOnPage(page, [&](UserDriver& user) {
    page.log.clear();
    EXPECT_FALSE(user.FireTimer(CTestPage::kRefreshTimer)) << "not running yet";
    ASSERT_TRUE(fw::Sys().SetTimer(page.window(), CTestPage::kRefreshTimer, 60000));
    ASSERT_TRUE(fw::Sys().SetTimer(page.window(), CTestPage::kOneShotTimer, 60000));
    EXPECT_TRUE(user.FireTimer(CTestPage::kRefreshTimer));
    EXPECT_TRUE(user.FireTimer(CTestPage::kOneShotTimer));
    EXPECT_TRUE(user.FireTimer(CTestPage::kRefreshTimer));
    EXPECT_FALSE(user.FireTimer(CTestPage::kOneShotTimer)) << "it killed itself";
    fw::Sys().KillTimer(page.window(), CTestPage::kRefreshTimer);
    EXPECT_FALSE(user.FireTimer(CTestPage::kRefreshTimer));
    EXPECT_EQ(page.log, (Log{"WM_TIMER 1", "WM_TIMER 2", "WM_TIMER 1"}));
  });
}

TEST_F(PageFrameworkTest, ColourRequestsNameTheAskingControlAndCarryThePagesAnswer) {
  RunOnPage(page, [&](UserDriver& user) {
    for (int id : {IDC_TEST_KEY, IDC_TEST_PROFILES}) {
      const fw::ColourAnswer answer = user.Colour(id);
      EXPECT_TRUE(answer.answered) << id;
      EXPECT_EQ(answer.textColor, CTestPage::kKeyTextColour) << id;
      EXPECT_TRUE(answer.transparent) << id;
      EXPECT_EQ(answer.brushColor, CTestPage::kKeyBrushColour) << id;
    }
    EXPECT_FALSE(user.Colour(IDC_TEST_NAME).answered);
    EXPECT_FALSE(user.Colour(IDC_TEST_DISABLED_EDIT).answered);
    EXPECT_FALSE(user.Colour(IDC_TEST_READONLY).answered);
    EXPECT_EQ(page.colourKinds[IDC_TEST_NAME], fw::ColourKind::kEdit);
    EXPECT_EQ(page.colourKinds[IDC_TEST_PROFILES], fw::ColourKind::kEdit);  // its edit part asked
    // Disabled and read-only edits ask as statics.
    EXPECT_EQ(page.colourKinds[IDC_TEST_DISABLED_EDIT], fw::ColourKind::kStatic);
    EXPECT_EQ(page.colourKinds[IDC_TEST_READONLY], fw::ColourKind::kStatic);
    page.Item(IDC_TEST_KEY).Enable(false);
    EXPECT_TRUE(user.Colour(IDC_TEST_KEY).answered);
    EXPECT_EQ(page.colourKinds[IDC_TEST_KEY], fw::ColourKind::kStatic);
  });
}

TEST_F(PageFrameworkTest, MouseMovesCarryTheKeysAndContextHelpReachesTheHelpRoute) {
  RunOnPage(page, [&](UserDriver& user) {
    page.log.clear();
    user.MouseMove(3, 2, true, true);
    user.MouseMove(40, 0, true, false);
    user.MouseMove(0, 0, false, false);
    EXPECT_EQ(page.log, (Log{"WM_MOUSEMOVE 3,2 ctrl shift", "WM_MOUSEMOVE 40,0 ctrl", "WM_MOUSEMOVE 0,0"}));
    const std::size_t before = user.HelpTopics().size();
    user.ContextHelp();
    user.ContextHelp(4321);
    const auto topics = user.HelpTopics();
    ASSERT_EQ(topics.size(), before + 2);
    EXPECT_EQ(topics[before], CTestPage::kHelpTopic);
    EXPECT_EQ(topics[before + 1], 4321u);
  });
}

}  // namespace
