// The About page in the real configuration window: the driver version read from a real
// file's version resource (the driver stand-in, put where the library's path points), the
// utility version and the firmware text, on real controls.
#include <gtest/gtest.h>

#include "framework/win32/windows_h.h"

#include <cstring>

#include "core/config_utility.h"
#include "driver/nivo_driver.h"
#include "res/product_texts.h"
#include "support/page_fixture.h"
#include "support/recording_nivo.h"
#include "support/wine_process.h"

namespace {

class AboutPageWin32Test : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    Nivo().Bind(fake.table());
    fake.onGet = [](std::uint32_t served, WlanConfig& config) {
      if (served & wlflag::kFirmwareVersion) std::strcpy(config.firmwareVersion, "TW7720 firmware 1.7.4");
    };
  }
  void TearDown() override {
    Nivo().Bind(NivoFunctions{});
    PageTest::TearDown();
  }
  testing_nivo::RecordingNivo fake;
};

TEST_F(AboutPageWin32Test, ShowsTheDriverFilesVersionTheUtilitysAndTheFirmwares) {
  ASSERT_TRUE(winetest::PlaceDriverStandIn("system32\\drivers\\TW77MBPS.sys"));
  fake.driverPath = "system32\\drivers\\TW77MBPS.sys";
  CConfigUtility window(kUtilityTitle, nullptr, 0);
  fw::Sys().SetEvent(window.forground);  // the polling thread is between two cycles
  std::vector<std::uint32_t> topics;
  ASSERT_EQ(RunInSheet(window, window.aboutPage, [&](UserDriver& user) {
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.1720");
    EXPECT_EQ(user.Text(IDC_ABOUT_UTILITY_VERSION), "3.0.6.259");
    EXPECT_EQ(user.Text(IDC_ABOUT_FIRMWARE_VERSION), "TW7720 firmware 1.7.4");
    EXPECT_EQ(user.Text(IDC_ABOUT_PRODUCT), kUtilityTitle);
    EXPECT_NE(user.Text(IDC_ABOUT_NOTICE), "");
    // A file without a version resource leaves the last good text.
    fake.driverPath = "win.ini";
    window.aboutPage.OnSetActive();
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.1720");
    user.ContextHelp();
    for (int i = 0; i < window.GetPageCount(); ++i) {
      window.SetActivePage(i);
      user.PressSheetButton(fw::psbtn::kHelp);
    }
    topics = user.HelpTopics();
  }), kBodyDone);
  ASSERT_GE(topics.size(), 6u);
  EXPECT_EQ(std::vector<std::uint32_t>(topics.end() - 6, topics.end()),
            (std::vector<std::uint32_t>{IDH_ABOUT, IDH_LINK_INFO, IDH_CONFIGURATION, IDH_SITE_SURVEY, IDH_ENCRYPTION,
                                        IDH_ABOUT}));
}

}  // namespace
