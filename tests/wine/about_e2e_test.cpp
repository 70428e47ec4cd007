// The About tab of the real tw7720util.exe with the virtual card, seen from outside the
// process: the three version texts, the firmware text when the card will not answer it, and
// the hidden Ctrl+Shift gesture in the page's top left corner that names the library's
// version.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "res/resource.h"
#include "res/version.h"
#include "support/desktop_probe.h"
#include "support/html_association.h"
#include "support/resident_utility.h"

namespace {

using namespace winetest;

constexpr char kDriverFile[] = "system32\\drivers\\TW77MBPS.sys";  // the virtual card's driver path

std::string WindowsDirectory() {
  char buffer[MAX_PATH] = {};
  GetWindowsDirectoryA(buffer, MAX_PATH);
  return buffer;
}

// "a.b.c.d" from a file's fixed version, read here with the system's version functions.
std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "<no version resource>";
  std::string block(size, '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || info == nullptr)
    return "<unreadable version resource>";
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", info->dwFileVersionMS >> 16, info->dwFileVersionMS & 0xFFFF,
                info->dwFileVersionLS >> 16, info->dwFileVersionLS & 0xFFFF);
  return text;
}

class AboutTab : public ResidentUtility {
 protected:
  void TearDown() override {
    if (utility_ && !utility_->exited())
      for (HWND box : MessageBoxes()) PostMessageA(box, WM_COMMAND, IDOK, 0);
    ResidentUtility::TearDown();
  }

  // Opens the window on the About tab once the first push is done.
  void OpenAboutTab() {
    ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
    sheet_ = OpenSheet();
    ASSERT_NE(sheet_, nullptr);
    SendMessageA(sheet_, PSM_SETCURSEL, kAboutTab, 0);
    ASSERT_TRUE(WaitUntil([&] {
      page_ = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
      return page_ != nullptr && GetDlgItem(page_, IDC_ABOUT_FIRMWARE_VERSION) != nullptr;
    })) << "the About tab did not come up";
  }

  std::string Read(int id) const { return ForeignText(GetDlgItem(page_, id)); }

  std::vector<HWND> MessageBoxes() const {
    std::vector<HWND> boxes;
    for (HWND w : ProcessWindows(pid(), "#32770", kUtilityTitle, true))
      if (w != sheet_ && GetDlgItem(w, kMessageTextId) != nullptr) boxes.push_back(w);
    return boxes;
  }

  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

TEST_F(AboutTab, ShowsTheUtilitysTheDriversAndTheCardsVersions) {
  ASSERT_TRUE(PlaceDriverStandIn(kDriverFile));
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_NO_FATAL_FAILURE(OpenAboutTab());
  char utility[32];
  std::snprintf(utility, sizeof utility, "%d.%d.%d.%d", TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_RELEASE,
                TW_VERSION_BUILD);
  EXPECT_EQ(Read(IDC_ABOUT_UTILITY_VERSION), utility);
  EXPECT_EQ(Read(IDC_ABOUT_DRIVER_VERSION), FileVersion(WindowsDirectory() + "\\" + kDriverFile));
  EXPECT_EQ(Read(IDC_ABOUT_FIRMWARE_VERSION), "TW7720 firmware 1.7.4 (virtual card)");
  EXPECT_EQ(Read(IDC_ABOUT_PRODUCT), kUtilityTitle);
}

TEST_F(AboutTab, ACardThatWillNotTellItsFirmwareShowsThreeDashes) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_EQ(Ctl("fault get-bits on 0x4000000"), 0);  // the firmware version selector
  ASSERT_NO_FATAL_FAILURE(OpenAboutTab());
  EXPECT_EQ(Read(IDC_ABOUT_FIRMWARE_VERSION), "---");
}

TEST_F(AboutTab, CtrlShiftInTheTopLeftCornerNamesTheLibrarysVersion) {
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_NO_FATAL_FAILURE(OpenAboutTab());
  // Moves that are not the gesture come first: only the last one may open a box.
  PostMessageA(page_, WM_MOUSEMOVE, MK_CONTROL, MAKELPARAM(1, 1));
  PostMessageA(page_, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(1, 1));
  PostMessageA(page_, WM_MOUSEMOVE, MK_CONTROL | MK_SHIFT, MAKELPARAM(4, 1));
  PostMessageA(page_, WM_MOUSEMOVE, MK_CONTROL | MK_SHIFT, MAKELPARAM(3, 3));
  ASSERT_TRUE(WaitUntil([&] { return !MessageBoxes().empty(); })) << "no box for the gesture";
  Sleep(300);
  const std::vector<HWND> boxes = MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(ForeignText(GetDlgItem(boxes[0], kMessageTextId)),
            "versoin of NIVO3.DLL is " + FileVersion(folder_.File("NIVO3.DLL")));
}

// The Help button opens the user's guide beside the utility at the section of the tab shown,
// on every tab, with the program that opens .html files (here a stand-in that records what
// it was given).
TEST_F(AboutTab, HelpOpensTheUsersGuideAtTheSectionOfEachTab) {
  ASSERT_TRUE(folder_.CopyFromBin("tw7720util.html"));
  ASSERT_TRUE(folder_.CopyFromBin("guide-opener.exe"));
  HtmlAssociation association(folder_.File("guide-opener.exe"));
  ASSERT_NO_FATAL_FAILURE(StartWithIcon(kHarbourWorld));
  ASSERT_NO_FATAL_FAILURE(OpenAboutTab());
  const std::string record = folder_.File("guide-opened.txt");
  std::string guide = "file:///" + folder_.File("tw7720util.html");
  for (char& c : guide)
    if (c == '\\') c = '/';
  const int topics[] = {IDH_LINK_INFO, IDH_CONFIGURATION, IDH_SITE_SURVEY, IDH_ENCRYPTION, IDH_ABOUT};
  for (int tab = 0; tab < 5; ++tab) {
    DeleteFileA(record.c_str());
    SendMessageA(sheet_, PSM_SETCURSEL, tab, 0);
    PostMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_HELP, 0);
    std::string opened;
    ASSERT_TRUE(WaitUntil([&] {
      std::ifstream in(record);
      std::ostringstream text;
      text << in.rdbuf();
      opened = text.str();
      return !opened.empty();
    })) << "the guide was not opened from tab " << tab;
    EXPECT_NE(opened.find(guide + "#topic-" + std::to_string(topics[tab])), std::string::npos) << opened;
  }
}

}  // namespace
