// Loading NIVO3.DLL for real: the program's start-up without the library or with an
// operation missing, and the driver bound to a loaded library's exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "driver/nivo3_loader.h"
#include "driver/nivo_driver.h"
#include "support/utility_facts.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

constexpr char kDialogClass[] = "#32770";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The texts of a window's children (a message box's text is a static control).
BOOL CALLBACK AddChildText(HWND child, LPARAM param) {
  char text[1024] = {};
  GetWindowTextA(child, text, sizeof(text));
  *reinterpret_cast<std::string*>(param) += std::string(text) + "\n";
  return TRUE;
}

std::string ChildTexts(HWND window) {
  std::string all;
  EnumChildWindows(window, &AddChildText, reinterpret_cast<LPARAM>(&all));
  return all;
}

struct ShownBox {
  HWND window = nullptr;
  std::string text;
  LONG style = 0;
};

ShownBox WaitForMessageBox() {
  ShownBox box;
  box.window = WaitForWindow(kDialogClass, kUtilityTitle);
  if (box.window != nullptr) {
    // The text control may be filled just after the box window appears.
    for (int i = 0; i < 100 && box.text.find("NIVO") == std::string::npos; ++i) {
      box.text = ChildTexts(box.window);
      Sleep(20);
    }
  }
  return box;
}

TEST(NivoLoader, MissingLibraryIsNamedWithItsPathAndTheStartEndsCleanly) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.CopyFromBin(kUtilityProgram));
  {
    DebuggedProcess utility(folder.File(kUtilityProgram));
    ASSERT_TRUE(utility.started());
    const ShownBox box = WaitForMessageBox();
    ASSERT_NE(box.window, nullptr);
    EXPECT_NE(Lower(box.text).find(Lower(folder.File("NIVO3.DLL"))), std::string::npos) << box.text;
    // Only the message: the hidden main window was never created.
    EXPECT_EQ(FindWindowA(nullptr, kUtilityTitle), box.window);

    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(utility.WaitForExit());
    EXPECT_EQ(utility.exitCode(), 0u);
  }

  // The instance mutex went with the process: once the library is there, a start runs.
  ASSERT_TRUE(folder.CopyFromBinAs("nivo3_fixture_full.dll", "NIVO3.DLL"));
  DebuggedProcess again(folder.File(kUtilityProgram));
  HWND frame = WaitForWindow(nullptr, kUtilityTitle);
  ASSERT_NE(frame, nullptr);
  Sleep(300);
  EXPECT_EQ(FindWindowA(kDialogClass, kUtilityTitle), nullptr);
  BroadcastRegistered("ELEGANT_CLOSE");
  EXPECT_TRUE(again.WaitForExit());
}

TEST(NivoLoader, MissingOperationIsNamedAndTheStartEndsCleanly) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.CopyFromBin(kUtilityProgram));
  ASSERT_TRUE(folder.CopyFromBinAs("nivo3_fixture_without_survey_get.dll", "NIVO3.DLL"));
  DebuggedProcess utility(folder.File(kUtilityProgram));
  const ShownBox box = WaitForMessageBox();
  ASSERT_NE(box.window, nullptr);
  EXPECT_NE(box.text.find("NIVO_SiteSurveyGet"), std::string::npos) << box.text;
  EXPECT_NE(Lower(box.text).find(Lower(folder.File("NIVO3.DLL"))), std::string::npos) << box.text;
  PostMessageA(box.window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(utility.WaitForExit());
  EXPECT_EQ(utility.exitCode(), 0u);
}

// Every entry of the driver's table reaches the export of its own name.
TEST(NivoLoader, BindsTheDriverToEachExportByName) {
  NivoDriver driver;
  ASSERT_TRUE(LoadNivoLibraryFrom(driver, ProgramFolder() + "\\nivo3_fixture_full.dll"));
  ASSERT_TRUE(driver.bound());

  DetectInfo info{};
  char text[kDriverPathBufferSize] = {};
  ProfileWireless profile{};
  WlanConfig config{};
  NdisSsid ssid{};
  std::int32_t value = 0;
  std::uint32_t size = 0;
  std::uint32_t written = 99;
  std::uint32_t flag = 0xE23;

  EXPECT_EQ(driver.NIVO_Init("Halden", 0), 101);
  EXPECT_EQ(driver.NIVO_Detect(&info), 103);
  EXPECT_EQ(driver.NIVO_SetProfileRoot("Tallwyn\\Profile"), 104);
  EXPECT_EQ(driver.NIVO_EnumProfilesByType(0, text, 1), 105);
  EXPECT_EQ(driver.NIVO_GetActiveProfileByType(text, 1), 106);
  EXPECT_EQ(driver.NIVO_SetActiveProfileByType("a", 1), 107);
  EXPECT_EQ(driver.NIVO_DeleteProfileByType("a", 1), 108);
  EXPECT_EQ(driver.NIVO_GetProfileWireless("a", &profile), 109);
  EXPECT_EQ(driver.NIVO_SetProfileWireless(nullptr, &profile), 110);
  EXPECT_EQ(driver.NIVO_SetDriverReg(&profile), 111);
  EXPECT_EQ(driver.NIVO_GetWLANConfig(&flag, &config), 112);
  EXPECT_EQ(flag, 0x800u);
  flag = 0x626;
  EXPECT_EQ(driver.NIVO_SetWLANConfig(&flag, &config), 113);
  EXPECT_EQ(flag, 0u);
  EXPECT_EQ(driver.NIVO_SetSSID(&ssid), 114);
  EXPECT_EQ(driver.NIVO_QueryOID(kOidGenMediaConnectStatus, &value, 4, &written), 115);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(driver.NIVO_ChannelToFrequency(6), 2437000);
  EXPECT_EQ(driver.NIVO_FrequencyToChannel(2462000), 11);
  EXPECT_EQ(driver.NIVO_SetChannel(&value), 118);
  EXPECT_EQ(driver.NIVO_SetOperatingMode(&value), 119);
  EXPECT_EQ(driver.NIVO_SetWLDomain(3), 1203);
  EXPECT_EQ(driver.NIVO_Get_XPWZC(&value), 121);
  EXPECT_EQ(driver.NIVO_SiteSurveyTrigger(), 122);
  EXPECT_EQ(driver.NIVO_SiteSurveyGet(text, &size), 123);
  EXPECT_EQ(driver.NIVO_GetWLANDriverPath(text), 124);
  EXPECT_EQ(driver.NIVO_Terminate(), 102);
  EXPECT_EQ(driver.NIVO_Init("Halden", 0), -1);  // refused from now on
}

}  // namespace
