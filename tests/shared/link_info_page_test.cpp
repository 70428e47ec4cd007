// The Link Info page on the configuration window, on both backends, against the virtual
// card's model: activation, the refresh and its ticks, the connected, ad hoc and
// disconnected views, failed reads, Re-Scan, leaving the page, closing and help.
#include <gtest/gtest.h>

#include "support/config_window_fixture.h"

namespace {

constexpr int kLinkInfo = 0;
constexpr int kConfiguration = 1;

constexpr char kCell[] =
    "[card]\n"
    "association_delay_ms=0\n"
    "mode=adhoc\n"
    "[network]\n"
    "ssid=Skiff\n"
    "bssid=02-00-00-00-00-07\n"
    "channel=3\n"
    "signal=-70\n"
    "type=adhoc\n"
    "band=b\n";

class LinkInfoPageTest : public ConfigWindowTest {
 protected:
  // Runs `body` with the window open on Link Info and a user of that page.
  void OnLinkInfo(const std::function<void(CConfigUtility&, UserDriver&)>& body) {
    EXPECT_EQ(RunOnWindow(kLinkInfo,
                          [&](CConfigUtility& sheet) {
                            UserDriver user(sheet, sheet.linkInfoPage);
                            body(sheet, user);
                          }),
              kBodyDone);
  }
  static int Bar(CConfigUtility& sheet, int id) {
    return sheet.linkInfoPage.Item<fw::ProgressBar>(id).GetPos();
  }
  // The selectors the page's status reads asked for since `from`.
  std::vector<std::string> StatusSelectors(std::size_t from) const {
    std::vector<std::string> selectors;
    for (const std::string& line : CallsOf("NIVO_GetWLANConfig", from)) {
      const std::size_t at = line.find("\"dwWLFlag_in\":\"");
      selectors.push_back(line.substr(at + 15, line.find('"', at + 15) - at - 15));
    }
    return selectors;
  }
};

TEST_F(LinkInfoPageTest, ActivationShowsTheLinkAtOnceAndStartsTheOneSecondRefresh) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    const auto bar = sheet.linkInfoPage.Item<fw::ProgressBar>(IDC_LINK_SIGNAL_BAR);
    EXPECT_EQ(bar.GetLow(), 0);
    EXPECT_EQ(bar.GetHigh(), 15);
    EXPECT_EQ(sheet.linkInfoPage.Item<fw::ProgressBar>(IDC_LINK_QUALITY_BAR).GetHigh(), 15);
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Connected - BSSID = 00-1A-2B-3C-4D-01");
    EXPECT_EQ(user.Text(IDC_LINK_SSID), "Harbour");
    EXPECT_EQ(user.Text(IDC_LINK_CHANNEL), "6");
    EXPECT_EQ(user.Text(IDC_LINK_RATE), "54");
    // -60 dBm: 66 per cent, bar 9; quality level 9 reads 60 per cent.
    EXPECT_EQ(user.Text(IDC_LINK_SIGNAL_WORD), "Very Good (66%)");
    EXPECT_EQ(user.Text(IDC_LINK_QUALITY_WORD), "Very Good (60%)");
    EXPECT_EQ(Bar(sheet, IDC_LINK_SIGNAL_BAR), 9);
    EXPECT_EQ(Bar(sheet, IDC_LINK_QUALITY_BAR), 9);
    // Both counters show a count.
    for (int id : {IDC_LINK_TRANSMITTED, IDC_LINK_RECEIVED}) {
      const std::string count = user.Text(id);
      EXPECT_TRUE(!count.empty() && count.find_first_not_of("0123456789") == std::string::npos) << id << " " << count;
    }

    // The counters grow with the link's time.
    const long sent = std::stol(user.Text(IDC_LINK_TRANSMITTED));
    Wait(5000);
    EXPECT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_GT(std::stol(user.Text(IDC_LINK_TRANSMITTED)), sent);
  });
}

TEST_F(LinkInfoPageTest, TicksCycleThroughTheThreeReadsOnlyWhileTheCardIsPresent) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    CLinkInfoPage& page = sheet.linkInfoPage;
    page.m_nTick = 0;
    const std::size_t from = calls.size();
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(StatusSelectors(from), (std::vector<std::string>{"0x1000E33", "0x1000C13", "0x1000812", "0x1000E33"}));
    EXPECT_EQ(page.m_nTick, 1);

    // Without the card the timer does nothing, and the tick stays.
    gDevicePresent = 0;
    const std::size_t quiet = calls.size();
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(calls.size(), quiet);
    EXPECT_EQ(page.m_nTick, 1);
  });
}

TEST_F(LinkInfoPageTest, DisconnectedCardShowsScanningWithBlankFieldsAndKeepsTheCounters) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    const std::string sent = user.Text(IDC_LINK_TRANSMITTED);
    Ctl("link-down");
    const std::size_t from = calls.size();
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Scanning ...");
    EXPECT_EQ(user.Text(IDC_LINK_CHANNEL), " ");
    EXPECT_EQ(user.Text(IDC_LINK_RATE), " ");
    EXPECT_EQ(user.Text(IDC_LINK_SSID), " ");
    EXPECT_EQ(user.Text(IDC_LINK_SIGNAL_WORD), "");
    EXPECT_EQ(user.Text(IDC_LINK_QUALITY_WORD), "");
    EXPECT_EQ(Bar(sheet, IDC_LINK_SIGNAL_BAR), 0);
    EXPECT_EQ(Bar(sheet, IDC_LINK_QUALITY_BAR), 0);
    EXPECT_EQ(user.Text(IDC_LINK_TRANSMITTED), sent);
    // Only the connect status was read: no counters, no other field.
    EXPECT_EQ(Operations(from), (std::vector<std::string>{"NIVO_QueryOID"}));
  });
}

TEST_F(LinkInfoPageTest, AdHocLinkShowsNotApplicableWordsWithTheOtherFields) {
  World(kCell);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Connected - BSSID = 02-00-00-00-00-07");
    EXPECT_EQ(user.Text(IDC_LINK_SIGNAL_WORD), "N/A");
    EXPECT_EQ(user.Text(IDC_LINK_QUALITY_WORD), "N/A");
    EXPECT_EQ(Bar(sheet, IDC_LINK_SIGNAL_BAR), 0);
    EXPECT_EQ(user.Text(IDC_LINK_SSID), "Skiff");
    EXPECT_EQ(user.Text(IDC_LINK_CHANNEL), "3");
    EXPECT_EQ(user.Text(IDC_LINK_RATE), "11");  // the cell's rate byte carries the basic-rate bit
  });
}

// The words and bars of each level are the status view's table (link_info_status_test); here
// the page follows the card's level as it changes.
TEST_F(LinkInfoPageTest, SignalWordsFollowTheCardsLevel) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    struct Case {
      const char* dbm;
      const char* signal;
      const char* quality;
      int signalBar;
    };
    const Case cases[] = {{"-80", "Poor (22%)", "Poor (20%)", 3}, {"-45", "Excellent (100%)", "Excellent (100%)", 15}};
    for (const Case& c : cases) {
      Ctl(std::string("signal Harbour ") + c.dbm);
      ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
      EXPECT_EQ(user.Text(IDC_LINK_SIGNAL_WORD), c.signal) << c.dbm;
      EXPECT_EQ(user.Text(IDC_LINK_QUALITY_WORD), c.quality) << c.dbm;
      EXPECT_EQ(Bar(sheet, IDC_LINK_SIGNAL_BAR), c.signalBar) << c.dbm;
    }
  });
}

TEST_F(LinkInfoPageTest, ReScanEmptiesThePageUntilTheNextSuccessfulRead) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    CLinkInfoPage& page = sheet.linkInfoPage;
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    ASSERT_NE(page.m_nTick, 0);
    ASSERT_TRUE(user.Click(IDC_LINK_RESCAN));
    for (int id : {IDC_LINK_STATE, IDC_LINK_RATE, IDC_LINK_CHANNEL, IDC_LINK_SSID, IDC_LINK_TRANSMITTED,
                   IDC_LINK_RECEIVED, IDC_LINK_SIGNAL_WORD, IDC_LINK_QUALITY_WORD}) {
      EXPECT_EQ(user.Text(id), "") << id;
    }
    EXPECT_EQ(Bar(sheet, IDC_LINK_SIGNAL_BAR), 0);
    EXPECT_EQ(gChangeParametersRequest, 1);
    EXPECT_EQ(page.m_b_ReScan, 1);
    EXPECT_EQ(page.m_nTick, 0);
    EXPECT_FALSE(page.Item<fw::Button>(IDC_LINK_RESCAN).IsEnabled());
    EXPECT_FALSE(user.Click(IDC_LINK_RESCAN));

    // A failing status read changes nothing: the button stays disabled.
    Ctl("fault query-connect on");
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "");
    EXPECT_EQ(page.m_b_ReScan, 1);
    EXPECT_FALSE(page.Item<fw::Button>(IDC_LINK_RESCAN).IsEnabled());

    Ctl("fault query-connect off");
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(page.m_b_ReScan, 0);
    EXPECT_TRUE(page.Item<fw::Button>(IDC_LINK_RESCAN).IsEnabled());
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Connected - BSSID = 00-1A-2B-3C-4D-01");
  });
}

TEST_F(LinkInfoPageTest, FailedCounterQueriesShowTheLastKnownCount) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    const std::string sent = user.Text(IDC_LINK_TRANSMITTED);
    const std::string received = user.Text(IDC_LINK_RECEIVED);
    ASSERT_FALSE(sent.empty());
    Ctl("fault query-counters on");
    Wait(5000);
    ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    EXPECT_EQ(user.Text(IDC_LINK_TRANSMITTED), sent);
    EXPECT_EQ(user.Text(IDC_LINK_RECEIVED), received);
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Connected - BSSID = 00-1A-2B-3C-4D-01");
  });
}

TEST_F(LinkInfoPageTest, ZeroConfigurationDisablesReScanAtActivation) {
  World(kHarbour);
  Ctl("zeroconfig on");
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    EXPECT_FALSE(sheet.linkInfoPage.Item<fw::Button>(IDC_LINK_RESCAN).IsEnabled());
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "Connected - BSSID = 00-1A-2B-3C-4D-01");
  });
}

TEST_F(LinkInfoPageTest, LeavingThePageStopsTheRefreshAndComingBackStartsFromAClearPage) {
  World(kHarbour);
  OnLinkInfo([&](CConfigUtility& sheet, UserDriver& user) {
    ASSERT_TRUE(sheet.SetActivePage(kConfiguration));
    EXPECT_FALSE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
    // Coming back with the status read failing: the boxes are cleared and stay so.
    Ctl("fault query-connect on");
    ASSERT_TRUE(sheet.SetActivePage(kLinkInfo));
    EXPECT_EQ(user.Text(IDC_LINK_STATE), "");
    EXPECT_EQ(user.Text(IDC_LINK_SSID), "");
    EXPECT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
  });
}

TEST_F(LinkInfoPageTest, OkAndCancelClearTheOpenFlagAndHelpAsksForTopic102) {
  World(kHarbour);
  for (fw::WParam button : {fw::psbtn::kOk, fw::psbtn::kCancel}) {
    bool ran = false;
    RunOnWindow(kLinkInfo, [&](CConfigUtility& sheet) {
      ran = true;
      UserDriver user(sheet, sheet.linkInfoPage);
      ASSERT_EQ(gSheetOpen, 1);
      user.ContextHelp();
      ASSERT_FALSE(user.HelpTopics().empty());
      EXPECT_EQ(user.HelpTopics().back(), 102u);
      user.PressSheetButton(button);
      EXPECT_EQ(gSheetOpen, 0);
    });
    EXPECT_TRUE(ran);
  }
}

}  // namespace
