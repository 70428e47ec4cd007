#include "app/quorvel_app.h"

#include <gtest/gtest.h>

#include "app/os_kind.h"
#include "core/settings_file.h"
#include "support/app_fixture.h"

namespace {

class QuorvelAppTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    OsKind = kOsUnknown;
    RegisterUtilityMessages();
  }
};

TEST_F(QuorvelAppTest, StartsHiddenWithTheUtilityTitleAndTheFamily) {
  CQuorvelApp app;
  ASSERT_TRUE(app.InitInstance());
  ASSERT_NE(gMainFrame, nullptr);
  EXPECT_EQ(sys.WindowTitle(gMainFrame->window()), kUtilityTitle);
  // The application titles the window twice, a working name first.
  EXPECT_EQ(sys.titlesSet, (std::vector<std::string>{"TempName", kUtilityTitle}));
  EXPECT_FALSE(sys.IsWindowVisible(gMainFrame->window()));
  EXPECT_EQ(OsKind, kOsWindowsXP);
  EXPECT_EQ(app.ExitInstance(0), 0);
}

TEST_F(QuorvelAppTest, SecondInstanceEndsSilentlyWithoutAWindow) {
  sys.heldMutexNames.insert(kInstanceMutexName);
  CQuorvelApp app;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(sys.liveWindowCount(), 0u);
  EXPECT_TRUE(sys.debugLines().empty());  // not even the settings file was read
}

TEST_F(QuorvelAppTest, ElegantCloseEndsTheLoopAndReleasesTheMutexForANewStart) {
  {
    CQuorvelApp app;
    ASSERT_TRUE(app.InitInstance());
    sys.PostMessage(gMainFrame->window(), gElegantCloseMessage, 0, 0);
    EXPECT_EQ(app.ExitInstance(sys.RunMessageLoop()), 0);
    EXPECT_EQ(sys.liveWindowCount(), 0u);
  }
  CQuorvelApp again;
  EXPECT_TRUE(again.InitInstance());
}

TEST_F(QuorvelAppTest, UnknownPlatformEndsTheStart) {
  sys.version = {0, 3, 10};
  CQuorvelApp app;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(OsKind, kOsUnknown);
}

TEST_F(QuorvelAppTest, FrameReadsTheSettingsFileBesideTheProgram) {
  sys.moduleFileName = "C:\\Tools\\tw7720util.exe";
  sys.iniFiles["C:\\Tools\\tw7720util.bin"]["INI"] = {{"D", "66454"}};
  CQuorvelApp app;
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(gSettingsFilePath, "C:\\Tools\\tw7720util.bin");
  EXPECT_EQ(gIniDomain, 4);
}

}  // namespace

namespace {

// The polling thread holds the frame and the window object: they are freed only when the
// exit path has stopped it, never when the frame was merely closed.
TEST_F(QuorvelAppTest, FrameAndWindowObjectOutliveACloseThatLeftThePollingThreadRunning) {
  {
    CQuorvelApp app;
    ASSERT_TRUE(app.InitInstance());
    sys.PostMessage(gMainFrame->window(), fw::msg::kClose, 0, 0);
    app.ExitInstance(sys.RunMessageLoop());
  }
  EXPECT_NE(gMainFrame, nullptr);
  EXPECT_NE(gConfigSheet, nullptr);
}

TEST_F(QuorvelAppTest, ExitPathFreesFrameAndWindowObject) {
  {
    CQuorvelApp app;
    ASSERT_TRUE(app.InitInstance());
    sys.PostMessage(gMainFrame->window(), gElegantCloseMessage, 0, 0);
    app.ExitInstance(sys.RunMessageLoop());
  }
  EXPECT_EQ(gMainFrame, nullptr);
  EXPECT_EQ(gConfigSheet, nullptr);
}

}  // namespace
