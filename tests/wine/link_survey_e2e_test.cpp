// The Link Info and Site Survey pages of the real utility with the virtual card: what the
// pages show of the card's world, how they follow virtualcard-ctl, and what a re-scan and a
// join ask of the driver (read back from the card's call log).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "res/resource.h"
#include "support/resident_utility.h"
#include "support/user_input.h"

namespace {

using namespace winetest;

// Harbour (open, channel 1) is the strongest network and so the one the default profile's
// SSID "any" joins; Quay (WEP) reports itself twice in every survey; Raft is an ad hoc cell;
// Jetty is another open access point.
constexpr char kSurveyWorld[] =
    "[card]\n"
    "association_delay_ms=200\n"
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
    "ssid=Raft\n"
    "bssid=02-AA-BB-CC-DD-03\n"
    "channel=11\n"
    "signal=-70\n"
    "type=adhoc\n"
    "[network]\n"
    "ssid=Jetty\n"
    "bssid=00-1A-2B-3C-4D-04\n"
    "channel=9\n"
    "signal=-65\n";

class LinkAndSurveyPages : public ResidentUtility {
 protected:
  // Started, linked, with the window open on Link Info.
  void OpenOnLinkInfo(const char* world = kSurveyWorld) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon(world));
    sheet_ = OpenSheet();
    ASSERT_NE(sheet_, nullptr);
  }

  HWND CurrentPage() const { return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)); }
  int CurrentIndex() const {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
    return tabs != nullptr ? static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) : -1;
  }
  bool ShowPage(int index) const {
    PostMessageA(sheet_, PSM_SETCURSEL, index, 0);
    return WaitUntil([&] { return CurrentIndex() == index; });
  }
  HWND Control(int id) const { return GetDlgItem(CurrentPage(), id); }
  std::string Text(int id) const { return ForeignText(Control(id)); }
  bool WaitForText(int id, const std::string& text) const {
    return WaitUntil([&] { return Text(id) == text; });
  }
  int BarPosition(int id) const { return static_cast<int>(SendMessageA(Control(id), PBM_GETPOS, 0, 0)); }
  void Click(int id) const { PostMessageA(Control(id), BM_CLICK, 0, 0); }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

  std::vector<std::vector<std::string>> SurveyRows() const { return ForeignListRows(Control(IDC_SURVEY_LIST)); }
  // Presses "Connect" and waits for the Link Info page, where the join's result shows; the
  // calls made since then.
  std::vector<Call> JoinChosenRow() const {
    return JoinBy([&] { Click(IDC_SURVEY_CONNECT); });
  }
  // Does what joins a row, waits for the Link Info page; the calls made since then.
  std::vector<Call> JoinBy(const std::function<void()>& join) const {
    const size_t before = Calls().size();
    join();
    EXPECT_TRUE(WaitUntil([&] { return CurrentIndex() == kLinkInfoTab; }));
    std::vector<Call> calls = Calls();
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(std::min(before, calls.size())));
    return calls;
  }
  int SelectedSurveyRow() const {
    return static_cast<int>(SendMessageA(Control(IDC_SURVEY_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  HWND sheet_ = nullptr;
};

TEST_F(LinkAndSurveyPages, LinkInfoShowsTheJoinedNetworkAndFollowsItsSignalAndLink) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo(kHarbourWorld));
  ASSERT_EQ(CurrentIndex(), kLinkInfoTab);
  EXPECT_TRUE(WaitForText(IDC_LINK_STATE, "Connected - BSSID = 00-1A-2B-3C-4D-01")) << Text(IDC_LINK_STATE);
  // Channel, rate and SSID come with the full read, every third second.
  EXPECT_TRUE(WaitForText(IDC_LINK_CHANNEL, "1")) << Text(IDC_LINK_CHANNEL);
  EXPECT_TRUE(WaitForText(IDC_LINK_RATE, "54")) << Text(IDC_LINK_RATE);
  EXPECT_TRUE(WaitForText(IDC_LINK_SSID, "Harbour")) << Text(IDC_LINK_SSID);
  // -48 dBm: 93 per cent, bar 13 of 15; quality level 13 reads 86 per cent.
  EXPECT_TRUE(WaitForText(IDC_LINK_SIGNAL_WORD, "Excellent (93%)")) << Text(IDC_LINK_SIGNAL_WORD);
  EXPECT_EQ(Text(IDC_LINK_QUALITY_WORD), "Excellent (86%)");
  EXPECT_EQ(BarPosition(IDC_LINK_SIGNAL_BAR), 13);
  EXPECT_EQ(BarPosition(IDC_LINK_QUALITY_BAR), 13);

  // The frame counters grow while the link lasts.
  ASSERT_TRUE(WaitUntil([&] { return !Text(IDC_LINK_TRANSMITTED).empty(); }));
  const long sent = std::stol(Text(IDC_LINK_TRANSMITTED));
  const long received = std::stol(Text(IDC_LINK_RECEIVED));
  EXPECT_TRUE(WaitUntil([&] { return std::stol(Text(IDC_LINK_TRANSMITTED)) > sent; }));
  EXPECT_TRUE(WaitUntil([&] { return std::stol(Text(IDC_LINK_RECEIVED)) > received; }));

  ASSERT_EQ(Ctl("signal Harbour -80"), 0);
  EXPECT_TRUE(WaitForText(IDC_LINK_SIGNAL_WORD, "Poor (22%)")) << Text(IDC_LINK_SIGNAL_WORD);
  EXPECT_TRUE(WaitForText(IDC_LINK_QUALITY_WORD, "Poor (20%)")) << Text(IDC_LINK_QUALITY_WORD);
  EXPECT_EQ(BarPosition(IDC_LINK_SIGNAL_BAR), 3);

  ASSERT_EQ(Ctl("link-down"), 0);
  EXPECT_TRUE(WaitForText(IDC_LINK_STATE, "Scanning ...")) << Text(IDC_LINK_STATE);
  EXPECT_EQ(Text(IDC_LINK_CHANNEL), " ");
  EXPECT_EQ(Text(IDC_LINK_RATE), " ");
  EXPECT_EQ(Text(IDC_LINK_SSID), " ");
  EXPECT_EQ(Text(IDC_LINK_SIGNAL_WORD), "");
  EXPECT_EQ(BarPosition(IDC_LINK_SIGNAL_BAR), 0);
  EXPECT_TRUE(utility_->WaitForLine(" Q "));
}

TEST_F(LinkAndSurveyPages, ReScanEmptiesThePageAndThePollingThreadPushesWithinOneCycle) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo(kHarbourWorld));
  ASSERT_TRUE(WaitForText(IDC_LINK_SSID, "Harbour"));
  const size_t pushes = CallCount("NIVO_SetWLANConfig");

  Click(IDC_LINK_RESCAN);
  EXPECT_TRUE(WaitUntil([&] { return !Enabled(IDC_LINK_RESCAN); }));
  // The changed-settings push of the polling thread: mode, SSID, rates, power mode and radio.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::vector<Call> calls = Calls();
        size_t seen = 0;
        for (const Call& c : calls) {
          if (c.op != "NIVO_SetWLANConfig") continue;
          if (++seen > pushes && (std::stoul(c.Text("dwWLFlag_in"), nullptr, 16) & 0x626) == 0x626) return true;
        }
        return false;
      },
      3000))
      << "no changed-settings push within one cycle";
  // The next successful refresh fills the page again and gives the button back.
  EXPECT_TRUE(WaitUntil([&] { return Enabled(IDC_LINK_RESCAN); }));
  EXPECT_TRUE(utility_->WaitForLine("updateLinkInfo  m_b_ReScan == TRUE  NdisMediaStateConnected\n"));
  EXPECT_TRUE(WaitForText(IDC_LINK_STATE, "Connected - BSSID = 00-1A-2B-3C-4D-01"));
}

TEST_F(LinkAndSurveyPages, SiteSurveyListsTheWorldOnceAndJoinsTheAdHocCellWithModeChannelAndSsid) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo());
  EXPECT_EQ(CallCount("NIVO_SiteSurveyTrigger"), 0u);
  // The window's opening made every page current once (it reads the tab titles so), so
  // this first visit is the page's second activation: the search starts by itself.
  ASSERT_TRUE(ShowPage(kSiteSurveyTab));
  EXPECT_EQ(ForeignListColumnWidths(Control(IDC_SURVEY_LIST)), (std::vector<int>{101, 108, 41, 51, 37, 101}));
  ASSERT_TRUE(WaitForCallCount("NIVO_SiteSurveyTrigger", 1));
  ASSERT_TRUE(WaitUntil([&] { return SurveyRows().size() == 4; }, 10000)) << SurveyRows().size();
  EXPECT_TRUE(WaitUntil([&] { return Enabled(IDC_SURVEY_SEARCH); }));
  EXPECT_FALSE(Enabled(IDC_SURVEY_CONNECT));
  const std::vector<std::vector<std::string>> expected = {
      {"Harbour", "00-1A-2B-3C-4D-01", "93%", "1", "No", "Infrastructure"},
      {"Quay", "00-1A-2B-3C-4D-02", "66%", "6", "Yes", "Infrastructure"},  // its first report
      {"Raft", "02-AA-BB-CC-DD-03", "44%", "11", "No", "Ad-Hoc"},
      {"Jetty", "00-1A-2B-3C-4D-04", "55%", "9", "No", "Infrastructure"},
  };
  EXPECT_EQ(SurveyRows(), expected);
  EXPECT_EQ(CallCount("NIVO_SiteSurveyGet"), 1u);

  ASSERT_TRUE(ClickForeignListRow(Control(IDC_SURVEY_LIST), 2));
  ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_SURVEY_CONNECT); }));
  // Then the Link Info page is current and shows the cell.
  const std::vector<Call> calls = JoinChosenRow();
  EXPECT_TRUE(InOrder(calls, {{"NIVO_SetOperatingMode", {{"mode", "0"}}},
                              {"NIVO_SetChannel", {{"channel", "11"}}},
                              {"NIVO_SetSSID", {{"ssid", "Raft"}}}}));
  EXPECT_TRUE(WaitForText(IDC_LINK_STATE, "Connected - BSSID = 02-AA-BB-CC-DD-03")) << Text(IDC_LINK_STATE);
  EXPECT_TRUE(WaitForText(IDC_LINK_SSID, "Raft")) << Text(IDC_LINK_SSID);
  EXPECT_TRUE(WaitForText(IDC_LINK_CHANNEL, "11"));
  // The mode is read every third second: then both read-outs say "N/A".
  EXPECT_TRUE(WaitForText(IDC_LINK_SIGNAL_WORD, "N/A")) << Text(IDC_LINK_SIGNAL_WORD);
  EXPECT_TRUE(WaitForText(IDC_LINK_QUALITY_WORD, "N/A")) << Text(IDC_LINK_QUALITY_WORD);
}

TEST_F(LinkAndSurveyPages, JoiningAnInfrastructureNetworkSendsNoChannel) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo());
  ASSERT_TRUE(WaitForText(IDC_LINK_SSID, "Harbour"));
  ASSERT_TRUE(ShowPage(kSiteSurveyTab));
  ASSERT_TRUE(WaitUntil([&] { return SurveyRows().size() == 4; }, 10000));
  // Once per opening: coming back does not search again; "Search" does.
  ASSERT_TRUE(ShowPage(kLinkInfoTab));
  ASSERT_TRUE(ShowPage(kSiteSurveyTab));
  EXPECT_EQ(SurveyRows().size(), 4u);
  EXPECT_EQ(CallCount("NIVO_SiteSurveyTrigger"), 1u);
  Click(IDC_SURVEY_SEARCH);
  ASSERT_TRUE(WaitForCallCount("NIVO_SiteSurveyTrigger", 2));
  ASSERT_TRUE(WaitForCallCount("NIVO_SiteSurveyGet", 2));
  ASSERT_TRUE(WaitUntil([&] { return SurveyRows().size() == 4 && Enabled(IDC_SURVEY_SEARCH); }, 10000));

  ASSERT_TRUE(ClickForeignListRow(Control(IDC_SURVEY_LIST), 3));
  ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_SURVEY_CONNECT); }));
  const std::vector<Call> calls = JoinChosenRow();
  EXPECT_TRUE(InOrder(calls, {{"NIVO_SetOperatingMode", {{"mode", "1"}}}, {"NIVO_SetSSID", {{"ssid", "Jetty"}}}}));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == "NIVO_SetChannel"; }), 0);
  EXPECT_TRUE(WaitForText(IDC_LINK_STATE, "Connected - BSSID = 00-1A-2B-3C-4D-04")) << Text(IDC_LINK_STATE);
  EXPECT_TRUE(WaitForText(IDC_LINK_SSID, "Jetty")) << Text(IDC_LINK_SSID);
  EXPECT_TRUE(WaitForText(IDC_LINK_CHANNEL, "9"));
}

// The row chosen from the keyboard: after a click on the first row the list has the focus, the
// keys pressed through the input queue move the selection, and "Connect" joins the row the
// keys reached (the second one, Quay), not the row that was clicked.
TEST_F(LinkAndSurveyPages, KeysMoveTheChosenRowAndConnectJoinsTheRowTheyReached) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo());
  ASSERT_TRUE(ShowPage(kSiteSurveyTab));
  ASSERT_TRUE(WaitUntil([&] { return SurveyRows().size() == 4 && Enabled(IDC_SURVEY_SEARCH); }, 10000));
  HWND list = Control(IDC_SURVEY_LIST);
  SetForegroundWindow(sheet_);
  ASSERT_TRUE(ClickForeignListRow(list, 0));
  ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_SURVEY_CONNECT); }));
  ASSERT_EQ(FocusInThreadOf(sheet_), list) << "the click gives the list the focus";

  struct KeyStep {
    WORD key;
    const char* name;
    int row;  // selected afterwards
  };
  const KeyStep keys[] = {{VK_DOWN, "Down", 1}, {VK_END, "End", 3},  {VK_HOME, "Home", 0},
                          {VK_DOWN, "Down", 1}, {VK_DOWN, "Down", 2}, {VK_UP, "Up", 1}};
  for (const KeyStep& k : keys) {
    ASSERT_TRUE(PressKeys(sheet_, {k.key})) << k.name;
    EXPECT_TRUE(WaitUntil([&] { return SelectedSurveyRow() == k.row; })) << k.name << ": row " << SelectedSurveyRow();
    EXPECT_TRUE(Enabled(IDC_SURVEY_CONNECT)) << k.name;
  }

  const std::vector<Call> calls = JoinChosenRow();
  EXPECT_TRUE(InOrder(calls, {{"NIVO_SetOperatingMode", {{"mode", "1"}}}, {"NIVO_SetSSID", {{"ssid", "Quay"}}}}));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == "NIVO_SetChannel"; }), 0);
}

// A double click on a row joins it as "Connect" would.
TEST_F(LinkAndSurveyPages, ADoubleClickOnARowJoinsIt) {
  ASSERT_NO_FATAL_FAILURE(OpenOnLinkInfo());
  ASSERT_TRUE(ShowPage(kSiteSurveyTab));
  ASSERT_TRUE(WaitUntil([&] { return SurveyRows().size() == 4 && Enabled(IDC_SURVEY_SEARCH); }, 10000));
  const std::vector<Call> calls = JoinBy([&] { ASSERT_TRUE(DoubleClickForeignListRow(Control(IDC_SURVEY_LIST), 3)); });
  EXPECT_TRUE(InOrder(calls, {{"NIVO_SetOperatingMode", {{"mode", "1"}}}, {"NIVO_SetSSID", {{"ssid", "Jetty"}}}}));
  EXPECT_TRUE(WaitForText(IDC_LINK_SSID, "Jetty")) << Text(IDC_LINK_SSID);
}

}  // namespace
