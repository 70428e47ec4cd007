// The Site Survey page on the configuration window, on both backends, against the virtual
// card's model: the columns and the search started by itself, the search and the fill, the
// choice of a row, the join and leaving, closing and help.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/os_kind.h"
#include "support/config_window_fixture.h"

namespace {

constexpr int kLinkInfo = 0;
constexpr int kSiteSurvey = 2;

// Harbour is joined at the start; Quay reports itself twice; Skiff is an ad hoc cell.
constexpr char kWorld[] =
    "[card]\n"
    "association_delay_ms=0\n"
    "[network]\n"
    "ssid=Harbour\n"
    "bssid=00-1A-2B-3C-4D-01\n"
    "channel=1\n"
    "signal=-48\n"
    "[network]\n"
    "ssid=Quay\n"
    "bssid=00-1A-2B-3C-4D-02\n"
    "channel=6\n"
    "signal=-60\n"
    "wep=64\n"
    "key=0102030405\n"
    "repeat=2\n"
    "[network]\n"
    "ssid=Skiff\n"
    "bssid=02-00-00-00-00-07\n"
    "channel=3\n"
    "signal=-90\n"
    "type=adhoc\n";

using Rows = std::vector<std::vector<std::string>>;

class SiteSurveyPageTest : public ConfigWindowTest {
 protected:
  void SetUp() override {
    ConfigWindowTest::SetUp();
    OsKind = kOsWindows2000;
  }
  void TearDown() override {
    OsKind = kOsUnknown;
    ConfigWindowTest::TearDown();
  }

  // Runs `body` with the window open on Site Survey (its second activation: the first was
  // the window's opening) and a user of that page.
  void OnSiteSurvey(const std::function<void(CConfigUtility&, UserDriver&)>& body) {
    EXPECT_EQ(RunOnWindow(kSiteSurvey,
                          [&](CConfigUtility& sheet) {
                            UserDriver user(sheet, sheet.siteSurveyPage);
                            body(sheet, user);
                          }),
              kBodyDone);
  }
  static fw::ListView List(CConfigUtility& sheet) { return sheet.siteSurveyPage.Item<fw::ListView>(IDC_SURVEY_LIST); }
  static Rows ListRows(CConfigUtility& sheet) {
    Rows rows;
    const fw::ListView list = List(sheet);
    for (int r = 0; r < list.GetItemCount(); ++r) {
      std::vector<std::string> row;
      for (int c = 0; c < 6; ++c) row.push_back(list.GetItemText(r, c));
      rows.push_back(row);
    }
    return rows;
  }
  static bool Enabled(CConfigUtility& sheet, int id) { return sheet.siteSurveyPage.Item<fw::Button>(id).IsEnabled(); }
  // Search, then the search timer.
  static void SearchAndFill(CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(user.Click(IDC_SURVEY_SEARCH));
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
  }
};

const Rows kWorldRows = {
    {"Harbour", "00-1A-2B-3C-4D-01", "93%", "1", "No", "Infrastructure"},
    {"Quay", "00-1A-2B-3C-4D-02", "66%", "6", "Yes", "Infrastructure"},
    {"Skiff", "02-00-00-00-00-07", "n/a", "3", "No", "Ad-Hoc"},
};

TEST_F(SiteSurveyPageTest, OpeningBuildsTheColumnsAndTheNextVisitSearchesOncePerOpening) {
  World(kWorld);
  const int result = RunOnWindow(kLinkInfo, [&](CConfigUtility& sheet) {
    // The window's opening made the page current once: columns, no search.
    EXPECT_TRUE(sheet.siteSurveyPage.m_bColumnsBuilt);
    EXPECT_TRUE(sheet.siteSurveyPage.m_bAutoSearchPending);
    EXPECT_EQ(List(sheet).GetColumnCount(), 6);
    EXPECT_TRUE(CallsOf("NIVO_SiteSurveyTrigger").empty());

    UserDriver user(sheet, sheet.siteSurveyPage);
    ASSERT_TRUE(sheet.SetActivePage(kSiteSurvey));
    EXPECT_EQ(CallsOf("NIVO_SiteSurveyTrigger").size(), 1u);
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_SEARCH));
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    EXPECT_EQ(ListRows(sheet), kWorldRows);
    EXPECT_TRUE(Enabled(sheet, IDC_SURVEY_SEARCH));
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    EXPECT_FALSE(user.FireTimer(CSiteSurveyPage::kSearchTimer));  // one-shot

    ASSERT_TRUE(sheet.SetActivePage(kLinkInfo));
    ASSERT_TRUE(sheet.SetActivePage(kSiteSurvey));
    EXPECT_EQ(CallsOf("NIVO_SiteSurveyTrigger").size(), 1u);
    EXPECT_EQ(ListRows(sheet), kWorldRows);
  });
  EXPECT_EQ(result, kBodyDone);
}

TEST_F(SiteSurveyPageTest, SearchListsEachBssidOnceInDriverOrder) {
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));  // the automatic search
    Ctl("add-network ssid=Cafe bssid=02-00-00-00-00-09 channel=11 signal=-55");
    SearchAndFill(sheet, user);
    Rows expected = kWorldRows;
    expected.push_back({"Cafe", "02-00-00-00-00-09", "77%", "11", "No", "Infrastructure"});
    EXPECT_EQ(ListRows(sheet), expected);
    EXPECT_EQ(sheet.siteSurveyPage.m_nEntryCount, 5);  // Quay twice
    EXPECT_TRUE(List(sheet).GetExtendedStyle() & fw::lvm::kFullRowSelect);
  });
}

TEST_F(SiteSurveyPageTest, FailedSurveyLeavesTheListEmpty) {
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    Ctl("fault survey on");
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    EXPECT_TRUE(ListRows(sheet).empty());
    EXPECT_TRUE(Enabled(sheet, IDC_SURVEY_SEARCH));
  });
}

TEST_F(SiteSurveyPageTest, LeavingBeforeTheTimerLeavesTheListEmptyAndSearchEnabled) {
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(sheet.SetActivePage(kLinkInfo));
    EXPECT_FALSE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    EXPECT_TRUE(Enabled(sheet, IDC_SURVEY_SEARCH));
    EXPECT_TRUE(ListRows(sheet).empty());
    EXPECT_TRUE(CallsOf("NIVO_SiteSurveyGet").empty());
  });
}

TEST_F(SiteSurveyPageTest, TheChosenRowFollowsTheSelectionAndConnectIsEnabledExactlyWhileARowIsChosen) {
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    CSiteSurveyPage& page = sheet.siteSurveyPage;
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT)) << "no row yet";
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    EXPECT_EQ(page.m_nSelectedRow, -1);
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));

    ASSERT_TRUE(user.ClickRow(IDC_SURVEY_LIST, 1));
    EXPECT_EQ(page.m_nSelectedRow, 1);
    EXPECT_TRUE(Enabled(sheet, IDC_SURVEY_CONNECT));
    // The selection moved as the arrow keys move it: the old row loses it, the next gets it.
    ASSERT_TRUE(List(sheet).SetSelected(1, false));
    ASSERT_TRUE(List(sheet).SetSelected(2, true));
    EXPECT_EQ(page.m_nSelectedRow, 2);
    EXPECT_TRUE(Enabled(sheet, IDC_SURVEY_CONNECT));
    // A click (or double click) on empty space below the rows clears the choice.
    ASSERT_TRUE(user.DoubleClickRow(IDC_SURVEY_LIST, 99));
    EXPECT_EQ(page.m_nSelectedRow, -1);
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    EXPECT_TRUE(CallsOf("NIVO_SetSSID").empty()) << "no join";

    ASSERT_TRUE(user.ClickRow(IDC_SURVEY_LIST, 0));
    ASSERT_TRUE(user.Click(IDC_SURVEY_SEARCH));
    EXPECT_EQ(page.m_nSelectedRow, -1) << "a search empties the list";
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));

    // While zero configuration manages the card a row is chosen but cannot be joined.
    Ctl("zeroconfig on");
    ASSERT_TRUE(user.DoubleClickRow(IDC_SURVEY_LIST, 2));
    EXPECT_EQ(page.m_nSelectedRow, 2);
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    EXPECT_TRUE(CallsOf("NIVO_SetSSID").empty()) << "no join";
  });
}

// Joining the chosen row, whichever way it was chosen: mode, the channel for an ad hoc cell
// only, then the SSID; then the Link Info page shows the result and the profile stays.
struct JoinCase {
  const char* name;
  std::function<void(CConfigUtility&, UserDriver&)> chooseAndJoin;
  std::vector<std::string> operations;  // the first calls of the join, in order
  int mode;
  const char* channel;  // null: no NIVO_SetChannel
  const char* ssid;
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << c.name; }

class SiteSurveyJoin : public SiteSurveyPageTest, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(SiteSurveyJoin, SendsModeChannelForAdHocAndSsidThenShowsLinkInfo) {
  const JoinCase& c = GetParam();
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    const std::size_t from = calls.size();
    c.chooseAndJoin(sheet, user);
    // The join's calls, from its first (choosing a row asks about zero configuration first).
    std::vector<std::string> ops = Operations(from);
    ops.erase(ops.begin(), std::find(ops.begin(), ops.end(), "NIVO_SetOperatingMode"));
    ASSERT_GE(ops.size(), c.operations.size());
    EXPECT_EQ(std::vector<std::string>(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(c.operations.size())),
              c.operations);
    ASSERT_EQ(CallsOf("NIVO_SetOperatingMode", from).size(), 1u);
    EXPECT_NE(CallsOf("NIVO_SetOperatingMode", from).front().find("\"mode\":" + std::to_string(c.mode)),
              std::string::npos);
    const std::vector<std::string> channels = CallsOf("NIVO_SetChannel", from);
    if (c.channel == nullptr) {
      EXPECT_TRUE(channels.empty());
    } else {
      ASSERT_EQ(channels.size(), 1u);
      EXPECT_NE(channels.front().find(std::string("\"channel\":") + c.channel), std::string::npos);
    }
    EXPECT_NE(CallsOf("NIVO_SetSSID", from).front().find(std::string("\"ssid\":\"") + c.ssid + "\""),
              std::string::npos);
    EXPECT_EQ(sheet.GetActiveIndex(), kLinkInfo);
    EXPECT_FALSE(Enabled(sheet, IDC_SURVEY_CONNECT));
    EXPECT_STREQ(sheet.profile.ssid, "");
  });
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SiteSurveyJoin,
    ::testing::Values(
        JoinCase{"AdHocCellClickedThenConnect",
                 [](CConfigUtility&, UserDriver& user) {
                   ASSERT_TRUE(user.ClickRow(IDC_SURVEY_LIST, 2));
                   ASSERT_TRUE(user.Click(IDC_SURVEY_CONNECT));
                 },
                 {"NIVO_SetOperatingMode", "NIVO_SetChannel", "NIVO_SetSSID"}, 0, "3", "Skiff"},
        JoinCase{"InfrastructureReachedByMovingTheSelectionThenConnect",
                 [](CConfigUtility& sheet, UserDriver& user) {
                   ASSERT_TRUE(user.ClickRow(IDC_SURVEY_LIST, 0));
                   const fw::ListView list = sheet.siteSurveyPage.Item<fw::ListView>(IDC_SURVEY_LIST);
                   ASSERT_TRUE(list.SetSelected(0, false));
                   ASSERT_TRUE(list.SetSelected(1, true));
                   ASSERT_TRUE(user.Click(IDC_SURVEY_CONNECT));
                 },
                 {"NIVO_SetOperatingMode", "NIVO_SetSSID"}, 1, nullptr, "Quay"},
        JoinCase{"AdHocCellDoubleClicked",
                 [](CConfigUtility&, UserDriver& user) { ASSERT_TRUE(user.DoubleClickRow(IDC_SURVEY_LIST, 2)); },
                 {"NIVO_SetOperatingMode", "NIVO_SetChannel", "NIVO_SetSSID"}, 0, "3", "Skiff"}),
    [](const ::testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

#ifndef _WIN32
// (Natively only: under Wine the message box would wait for a user.)
TEST_F(SiteSurveyPageTest, ConnectWithNoRowChosenSaysFailThenJoinsAnEmptyAdHocSsidOnChannelZero) {
  World(kWorld);
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    ASSERT_EQ(sheet.siteSurveyPage.m_nSelectedRow, -1);
    // Connect is enabled only by a click: the page's own handler is reached directly here.
    sheet.siteSurveyPage.Connect();
    ASSERT_EQ(sys.messageBoxes.size(), 1u);
    EXPECT_EQ(sys.messageBoxes[0].text, "Fail");
    EXPECT_EQ(sys.messageBoxes[0].caption, kUtilityTitle);
    const std::vector<std::string> modes = CallsOf("NIVO_SetOperatingMode");
    const std::vector<std::string> channels = CallsOf("NIVO_SetChannel");
    const std::vector<std::string> ssids = CallsOf("NIVO_SetSSID");
    ASSERT_EQ(modes.size(), 1u);
    ASSERT_EQ(channels.size(), 1u);
    ASSERT_EQ(ssids.size(), 1u);
    EXPECT_NE(modes[0].find("\"mode\":0"), std::string::npos);
    EXPECT_NE(channels[0].find("\"channel\":0"), std::string::npos);
    EXPECT_NE(ssids[0].find("\"ssidLength\":0"), std::string::npos);
    EXPECT_EQ(sheet.GetActiveIndex(), kLinkInfo);
  });
}
#endif

TEST_F(SiteSurveyPageTest, OnWindows98TheJoinSendsTheProfilesKeysAgain) {
  World(kWorld);
  OsKind = kOsWindows98Me;
  OnSiteSurvey([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(user.FireTimer(CSiteSurveyPage::kSearchTimer));
    ASSERT_TRUE(user.ClickRow(IDC_SURVEY_LIST, 0));
    const std::size_t from = calls.size();
    const std::uint32_t start = fw::Sys().TickCount();
    ASSERT_TRUE(user.Click(IDC_SURVEY_CONNECT));
    EXPECT_GE(fw::Sys().TickCount() - start, 4500u);
    const std::vector<std::string> sets = CallsOf("NIVO_SetWLANConfig", from);
    ASSERT_EQ(sets.size(), 1u);
    // WEP off in the profile: status and authentication mode, no keys.
    EXPECT_NE(sets.front().find("\"dwWLFlag_in\":\"0x30000\""), std::string::npos) << sets.front();
    const std::vector<std::string> ops = Operations(from);
    EXPECT_LT(std::find(ops.begin(), ops.end(), "NIVO_SetSSID"), std::find(ops.begin(), ops.end(), "NIVO_SetWLANConfig"));
  });
}

TEST_F(SiteSurveyPageTest, OkAndCancelResetTheColumnAndSearchFlagsAndHelpAsksForTopic104) {
  World(kWorld);
  for (fw::WParam button : {fw::psbtn::kOk, fw::psbtn::kCancel}) {
    bool ran = false;
    RunOnWindow(kSiteSurvey, [&](CConfigUtility& sheet) {
      ran = true;
      UserDriver user(sheet, sheet.siteSurveyPage);
      EXPECT_FALSE(sheet.siteSurveyPage.m_bAutoSearchPending);
      user.ContextHelp();
      ASSERT_FALSE(user.HelpTopics().empty());
      EXPECT_EQ(user.HelpTopics().back(), 104u);
      user.PressSheetButton(button);
      EXPECT_FALSE(sheet.siteSurveyPage.m_bColumnsBuilt);
      EXPECT_TRUE(sheet.siteSurveyPage.m_bAutoSearchPending);
    });
    EXPECT_TRUE(ran);
  }
}

}  // namespace
