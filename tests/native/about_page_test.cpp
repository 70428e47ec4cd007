// The About page on the memory backend with a recording driver library: the activation
// sequence, the driver and library versions read from version resources, the trace, the
// gesture and the help route; and the damaged answers it must survive.
#include <gtest/gtest.h>

#include <cstring>

#include "core/config_utility.h"
#include "driver/nivo_driver.h"
#include "pages/about_page.h"
#include "res/product_texts.h"
#include "support/page_fixture.h"
#include "support/recording_nivo.h"

namespace {

constexpr char kDriverFile[] = "C:\\WINDOWS\\system32\\drivers\\tw77.sys";
constexpr char kLibraryFile[] = "C:\\Program Files\\Tallwyn\\NIVO3.DLL";
constexpr char kNotice[] = "Copyright notice";
constexpr char kFirmware[] = "TW7720 firmware 1.7.4";

// The bytes of a version resource with the given file version.
std::vector<std::uint8_t> VersionResource(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  std::vector<std::uint8_t> bytes(92, 0);
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    bytes[at] = static_cast<std::uint8_t>(v);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(0, 92);
  put16(2, 52);
  const char key[] = "VS_VERSION_INFO";
  for (std::size_t i = 0; i < sizeof(key); ++i) put16(6 + 2 * i, static_cast<unsigned char>(key[i]));
  fw::FixedFileInfo info;
  info.signature = fw::kFixedFileInfoSignature;
  info.fileVersionMS = (static_cast<std::uint32_t>(a) << 16) | b;
  info.fileVersionLS = (static_cast<std::uint32_t>(c) << 16) | d;
  std::memcpy(bytes.data() + 40, &info, sizeof(info));
  return bytes;
}

class AboutPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    Nivo().Bind(fake.table());
    window = std::make_unique<CConfigUtility>(kUtilityTitle, nullptr, 0);  // on this test's platform
    sys.strings = {{IDS_NOTICE_LINE, kNotice}, {AFX_IDS_APP_TITLE, kUtilityTitle}};
    sys.versionResources[kDriverFile] = VersionResource(5, 1, 2600, 17);
    sys.versionResources[kLibraryFile] = VersionResource(1, 2, 3, 4);
    fake.onGet = [](std::uint32_t served, WlanConfig& config) {
      if (served & wlflag::kFirmwareVersion) std::strcpy(config.firmwareVersion, kFirmware);
    };
    // The Link Info page, current while the window opens, reads the link: without one it
    // reads only the connect status, so the configuration reads counted here are the About
    // page's.
    fake.mediaConnectStatus = kMediaDisconnected;
  }
  void TearDown() override {
    window.reset();
    Nivo().Bind(NivoFunctions{});
    PageTest::TearDown();
  }
  // Opens the configuration window (which activates every page once while it captures the
  // tab titles) and runs `body` with the About page's window up.
  void Open(const std::function<void(UserDriver&)>& body = [](UserDriver&) {}) {
    ASSERT_EQ(RunInSheet(*window, about(), body), kBodyDone);
  }
  CAboutPage& about() { return window->aboutPage; }
  // The About page's reads of the firmware text (other pages read other fields).
  std::size_t FirmwareReads() const {
    std::size_t reads = 0;
    for (const auto& call : fake.callsOf("NIVO_GetWLANConfig"))
      if (call.selectorIn == wlflag::kFirmwareVersion) ++reads;
    return reads;
  }
  std::vector<std::string> TraceLinesFrom(std::size_t first) const {
    const auto all = sys.debugLines();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
  }

  testing_nivo::RecordingNivo fake;
  std::unique_ptr<CConfigUtility> window;
};

TEST_F(AboutPageTest, ActivationShowsTheThreeVersionsTheProductAndTheNotice) {
  Open([&](UserDriver& user) {
    EXPECT_EQ(user.Text(IDC_ABOUT_PRODUCT), kUtilityTitle);
    EXPECT_EQ(user.Text(IDC_ABOUT_NOTICE), kNotice);
    EXPECT_EQ(user.Text(IDC_ABOUT_UTILITY_VERSION), "3.0.6.259");
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.17");
    EXPECT_EQ(user.Text(IDC_ABOUT_FIRMWARE_VERSION), kFirmware);
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_GROUP), "Driver");
  });
  EXPECT_EQ(about().fixedFileInfo.fileVersionLS, (2600u << 16) | 17u);
  // A firmware read at each activation (the start page, then the window's capture of the tab
  // titles), inside the hand-shake, which ends with `background` set again.
  ASSERT_EQ(FirmwareReads(), 2u);
  EXPECT_TRUE(sys.eventSignalled(window->background));
}

TEST_F(AboutPageTest, EveryActivationReadsAgainAndTracesTheDriverServiceOfTheFamily) {
  struct Family {
    fw::VersionRecord version;
    const char* service;
  };
  const Family families[] = {
      {{1, 4, 10}, "PCANDIS3"}, {{1, 4, 90}, "PCANDIS3"}, {{2, 5, 0}, "PCANDIS5"},
      {{2, 5, 1}, "PCANDIS5"},  {{2, 4, 0}, "PCANDIS4"},  {{2, 6, 1}, "PCANDIS4"},
  };
  for (const Family& f : families) {
    sys.version = f.version;
    sys.clearDebugLines();
    Open([&](UserDriver& user) {
      const std::size_t mark = sys.debugLines().size();
      about().OnSetActive();
      EXPECT_EQ(TraceLinesFrom(mark),
                (std::vector<std::string>{std::string("Retrieve the Driver version from ") + f.service,
                                          "NIVO_GetWLANDriverPath: C:\\WINDOWS\n",
                                          "After NIVO_GetWLANDriverPath: [system32\\drivers\\tw77.sys]\n",
                                          std::string("GetFileVersion: [") + kDriverFile + "]\n"}))
          << f.service;
      EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.17");
    });
  }
}

TEST_F(AboutPageTest, FirmwareNotDeliveredAfterFourTriesThreeMillisecondsApartShowsDashes) {
  // Both activations at the opening (the start page, the capture of the titles) get nothing;
  // more refusals than they make, since other pages read the card in between.
  fake.getLeftover = std::deque<std::uint32_t>(16, wlflag::kFirmwareVersion);
  std::vector<std::uint32_t> sleeps;
  Open([&](UserDriver& user) {
    EXPECT_EQ(user.Text(IDC_ABOUT_FIRMWARE_VERSION), "---");
    EXPECT_EQ(user.Text(IDC_ABOUT_UTILITY_VERSION), "3.0.6.259");
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.17");
    fake.getLeftover = {wlflag::kFirmwareVersion};  // the second try delivers
    sys.onSleep = [&](std::uint32_t ms) { sleeps.push_back(ms); };
    about().OnSetActive();
    sys.onSleep = nullptr;
    EXPECT_EQ(user.Text(IDC_ABOUT_FIRMWARE_VERSION), kFirmware);
  });
  EXPECT_EQ(FirmwareReads(), 4u + 4u + 2u);
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{3, 3}));
}

TEST_F(AboutPageTest, DamagedAnswersGiveDefinedTexts) {
  // A firmware text without its terminator within the 80 bytes is cut at 79.
  fake.onGet = [](std::uint32_t served, WlanConfig& config) {
    std::memset(config.firmwareVersion, 'F', sizeof(config.firmwareVersion));
  };
  // A driver path that fills the whole 260-byte buffer without a terminator.
  fake.driverPath = std::string(400, 'p');
  Open([&](UserDriver& user) {
    EXPECT_EQ(user.Text(IDC_ABOUT_FIRMWARE_VERSION), std::string(79, 'F'));
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "Unknown") << "no such file: the first read leaves Unknown";
    EXPECT_EQ(about().driverVersionText, "Unknown");

    // A version resource that is truncated, has no fixed block, or a wrong signature is
    // no version: the last good text stays.
    fake.driverPath = "system32\\drivers\\tw77.sys";
    about().OnSetActive();
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.17");
    std::vector<std::uint8_t> noSignature = VersionResource(9, 9, 9, 9);
    noSignature[40] = 0;
    std::vector<std::uint8_t> noFixedBlock = VersionResource(9, 9, 9, 9);
    noFixedBlock[2] = 0;
    std::vector<std::uint8_t> wrongKey = VersionResource(9, 9, 9, 9);
    wrongKey[6] = 'X';
    std::vector<std::uint8_t> truncated = VersionResource(9, 9, 9, 9);
    truncated.resize(60);
    std::vector<std::uint8_t> lengthPastEnd = VersionResource(9, 9, 9, 9);
    lengthPastEnd[0] = 200;
    const std::vector<std::uint8_t> damaged[] = {
        {}, truncated, noSignature, noFixedBlock, wrongKey, lengthPastEnd, {0x5C}};
    for (const auto& bytes : damaged) {
      sys.versionResources[kDriverFile] = bytes;
      about().OnSetActive();
      EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "5.1.2600.17") << bytes.size();
    }
    // The library does not give the path: an empty driver version.
    fake.driverPathResult = 0;
    about().OnSetActive();
    EXPECT_EQ(user.Text(IDC_ABOUT_DRIVER_VERSION), "");
  });
}

TEST_F(AboutPageTest, CtrlShiftInTheTopLeftCornerShowsTheLibraryVersion) {
  struct Move {
    int x, y;
    bool ctrl, shift;
    bool box;
  };
  const Move moves[] = {{3, 3, true, true, true},   {0, 0, true, true, true},    {4, 0, true, true, false},
                        {0, 4, true, true, false},  {3, 3, true, false, false},  {3, 3, false, true, false},
                        {200, 90, true, true, false}};
  Open([&](UserDriver& user) {
    for (const Move& m : moves) {
      sys.messageBoxes.clear();
      user.MouseMove(m.x, m.y, m.ctrl, m.shift);
      ASSERT_EQ(sys.messageBoxes.size(), m.box ? 1u : 0u) << m.x << "," << m.y << " " << m.ctrl << m.shift;
      if (m.box) {
        EXPECT_EQ(sys.messageBoxes[0].text, "versoin of NIVO3.DLL is 1.2.3.4");
        EXPECT_EQ(sys.messageBoxes[0].style, fw::mb::kOk | fw::mb::kIconExclamation);
      }
    }
    // Each qualifying move shows one box; an unreadable library gives an empty version.
    sys.versionResources.erase(kLibraryFile);
    sys.messageBoxes.clear();
    user.MouseMove(1, 2, true, true);
    user.MouseMove(2, 1, true, true);
    ASSERT_EQ(sys.messageBoxes.size(), 2u);
    EXPECT_EQ(sys.messageBoxes[1].text, "versoin of NIVO3.DLL is ");
  });
}

TEST_F(AboutPageTest, ContextHelpAndTheHelpButtonOpenEachPagesTopic) {
  Open([&](UserDriver& user) {
    user.ContextHelp();
    user.ContextHelp(4242);
    sys.helpShown.erase(sys.helpShown.begin(), sys.helpShown.end() - 2);
    EXPECT_EQ(sys.helpShown, (std::vector<std::uint32_t>{IDH_ABOUT, 4242}));
    sys.helpShown.clear();
    for (int i = 0; i < window->GetPageCount(); ++i) {
      ASSERT_TRUE(window->SetActivePage(i));
      user.PressSheetButton(fw::psbtn::kHelp);
    }
    EXPECT_EQ(sys.helpShown, (std::vector<std::uint32_t>{IDH_LINK_INFO, IDH_CONFIGURATION, IDH_SITE_SURVEY,
                                                         IDH_ENCRYPTION, IDH_ABOUT}));
  });
}

}  // namespace
