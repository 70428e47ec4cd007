// The cost of the Link Info page's refresh on the window thread: the timing line (how long
// one timer refresh holds the window thread, hand-shake wait included, written only when
// its trace category is switched on), and a refresh that repaints only what changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "diag/trace.h"
#include "framework/memory/memory_controls.h"
#include "support/config_window_fixture.h"

namespace {

class LinkInfoRefreshTimingTest : public ConfigWindowTest {
 protected:
  void TearDown() override {
    SetTraceSwitches(0);
    ConfigWindowTest::TearDown();
  }
  // The timing lines written so far.
  std::vector<std::string> TimingLines() {
    std::vector<std::string> lines;
    for (const std::string& line : sys.debugLines())
      if (line.rfind("<L> ", 0) == 0) lines.push_back(line);
    return lines;
  }
  static std::string Expected(unsigned ms, int tick) {
    char line[128];
    std::snprintf(line, sizeof line, CLinkInfoPage::kRefreshTimingLine, ms, tick);
    return line;
  }
};

TEST_F(LinkInfoRefreshTimingTest, TimedRefreshCountsTheHandshakeWaitAndNamesItsTick) {
  World(kHarbour);
  SetTraceSwitches(kTraceCategoryRefreshTiming);
  EXPECT_EQ(RunOnWindow(0,
                        [&](CConfigUtility& sheet) {
                          UserDriver user(sheet, sheet.linkInfoPage);
                          sheet.linkInfoPage.m_nTick = 0;
                          // The polling thread between two cycles: the refresh goes on at once.
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          // The polling thread inside a cycle that never ends: the refresh
                          // waits out its bound of 2000 ms before it reads the card.
                          sys.ResetEvent(sheet.forground);
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          EXPECT_EQ(user.Text(IDC_LINK_SSID), "Harbour");
                        }),
            kBodyDone);
  // Activation refreshes too, but only the timer's refreshes are timed.
  EXPECT_EQ(TimingLines(), (std::vector<std::string>{Expected(0, 0), Expected(CConfigUtility::kHandshakeWaitMs, 1)}));
}

TEST_F(LinkInfoRefreshTimingTest, SwitchedOffOrWithoutTheCardNoTimingLine) {
  World(kHarbour);
  EXPECT_EQ(RunOnWindow(0,
                        [&](CConfigUtility& sheet) {
                          UserDriver user(sheet, sheet.linkInfoPage);
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          // Another category switched on does not bring the line.
                          SetTraceSwitches(kTraceCategoryPolling);
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          // No card: no refresh, so nothing to time.
                          SetTraceSwitches(kTraceCategoryRefreshTiming);
                          gDevicePresent = 0;
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                        }),
            kBodyDone);
  EXPECT_TRUE(TimingLines().empty());
}

TEST_F(LinkInfoRefreshTimingTest, RefreshRepaintsOnlyTheBoxesWhoseTextChanged) {
  World(kHarbour);
  EXPECT_EQ(RunOnWindow(0,
                        [&](CConfigUtility& sheet) {
                          UserDriver user(sheet, sheet.linkInfoPage);
                          auto& controls = static_cast<fw::MemoryControls&>(fw::Controls());
                          const auto repaints = [&](int id) {
                            return controls.RepaintCount(sheet.linkInfoPage.window(), id);
                          };
                          const int ids[] = {IDC_LINK_STATE, IDC_LINK_CHANNEL, IDC_LINK_RATE, IDC_LINK_SSID,
                                             IDC_LINK_TRANSMITTED, IDC_LINK_RECEIVED};
                          std::map<int, int> before;
                          for (int id : ids) before[id] = repaints(id);
                          const std::string sent = user.Text(IDC_LINK_TRANSMITTED);
                          Wait(5000);  // frames flow; the rest of the link stays as it was
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          ASSERT_NE(user.Text(IDC_LINK_TRANSMITTED), sent);
                          EXPECT_EQ(repaints(IDC_LINK_TRANSMITTED), before[IDC_LINK_TRANSMITTED] + 1);
                          EXPECT_EQ(repaints(IDC_LINK_RECEIVED), before[IDC_LINK_RECEIVED] + 1);
                          for (int id : {IDC_LINK_STATE, IDC_LINK_CHANNEL, IDC_LINK_RATE, IDC_LINK_SSID})
                            EXPECT_EQ(repaints(id), before[id]) << id;
                          EXPECT_EQ(user.Text(IDC_LINK_SSID), "Harbour");

                          // The link goes: every box that changes is repainted again.
                          Ctl("link-down");
                          ASSERT_TRUE(user.FireTimer(CLinkInfoPage::kRefreshTimer));
                          for (int id : {IDC_LINK_STATE, IDC_LINK_CHANNEL, IDC_LINK_RATE, IDC_LINK_SSID})
                            EXPECT_EQ(repaints(id), before[id] + 1) << id;
                          EXPECT_EQ(user.Text(IDC_LINK_STATE), "Scanning ...");
                        }),
            kBodyDone);
}

}  // namespace
