#include "support/resident_utility.h"

#include <shlwapi.h>

namespace winetest {

void ResidentUtility::SetUp() {
  SHDeleteKeyA(HKEY_CURRENT_USER, kProfileRootKey);
  // A run that ended without its clean-up may have left a family behind.
  ASSERT_TRUE(ForgetReportedWindowsVersion(kUtilityProgram));
}

void ResidentUtility::TearDown() {
  if (utility_ && !utility_->exited()) {
    DismissPopupMenu(pid(), kPatientMs);
    BroadcastRegistered("ELEGANT_CLOSE");
    if (!utility_->WaitForExit(kPatientMs)) {
      ADD_FAILURE() << "the utility did not end on ELEGANT_CLOSE";
      utility_->Kill();
    }
  }
  utility_.reset();
  reportedVersion_.reset();
  EXPECT_TRUE(ForgetReportedWindowsVersion(kUtilityProgram));
  SHDeleteKeyA(HKEY_CURRENT_USER, kProfileRootKey);
}

void ResidentUtility::Start(const char* world, const char* windowsVersion) {
  ASSERT_TRUE(folder_.CopyFromBin(kUtilityProgram));
  ASSERT_TRUE(folder_.CopyFromBin("NIVO3.dll"));
  ASSERT_TRUE(folder_.Write("world.ini", world));
  if (windowsVersion != nullptr) {
    reportedVersion_.emplace(kUtilityProgram, windowsVersion);
    ASSERT_TRUE(reportedVersion_->ok()) << "cannot set the Windows version " << windowsVersion;
  }
  // The child inherits the environment of the moment it is created.
  SetEnvironmentVariableA("NIVO3_SCENARIO", folder_.File("world.ini").c_str());
  SetEnvironmentVariableA("NIVO3_CALL_LOG", callLogPath().c_str());
  utility_ = std::make_unique<DebuggedProcess>(folder_.File(kUtilityProgram));
  SetEnvironmentVariableA("NIVO3_SCENARIO", nullptr);
  SetEnvironmentVariableA("NIVO3_CALL_LOG", nullptr);
  ASSERT_TRUE(utility_->started());
  frame_ = WaitForProcessWindow(pid(), nullptr, kUtilityTitle, false, kPatientMs);
  // The process has read its Windows version long before its main window exists: the value
  // goes now, so no other start of the program sees it.
  reportedVersion_.reset();
  ASSERT_NE(frame_, nullptr);
  ASSERT_FALSE(IsWindowVisible(frame_));
}

void ResidentUtility::StartWithIcon(const char* world, const char* windowsVersion) {
  ASSERT_NO_FATAL_FAILURE(Start(world, windowsVersion));
  ASSERT_TRUE(utility_->WaitForLine(kAddIconLine));
}

void ResidentUtility::PostTray(UINT mouseMessage) const {
  PostMessageA(frame_, RegisterWindowMessageA("QUORVEL_ICON_PRESSED"), kTrayIconId, mouseMessage);
}

bool ResidentUtility::SendToFrame(UINT message, WPARAM wParam, LPARAM lParam, DWORD ms) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(frame_, message, wParam, lParam, SMTO_NORMAL, ms, &result) != 0;
}

std::vector<MenuEntry> ResidentUtility::TrayMenu() const {
  PostTray(WM_RBUTTONUP);
  std::optional<std::vector<MenuEntry>> entries = WaitForPopupMenu(pid(), kPatientMs);
  EXPECT_TRUE(entries.has_value()) << "no pop-up menu";
  EXPECT_TRUE(DismissPopupMenu(pid(), kPatientMs));
  return entries.value_or(std::vector<MenuEntry>{});
}

size_t ResidentUtility::TraceCount(const std::string& line) const {
  size_t n = 0;
  for (const std::string& l : utility_->lines()) n += l == line;
  return n;
}

size_t ResidentUtility::CallCount(const std::string& op) const {
  size_t n = 0;
  for (const Call& c : Calls()) n += c.op == op;
  return n;
}

size_t ResidentUtility::ConnectStatusReadings(int status) const {
  size_t n = 0;
  for (const Call& c : Calls())
    n += c.op == "NIVO_QueryOID" && c.Text("oid") == "0x10114" && c.Text("result") == "0" &&
         c.Text("value") == std::to_string(status);
  return n;
}

long ResidentUtility::Ctl(const std::string& arguments) const {
  std::string command(1, '"');
  command.append(ProgramFolder()).append("\\virtualcard-ctl.exe\" --pid ");
  command.append(std::to_string(pid())).append(1, ' ').append(arguments);
  return RunToEnd(command);
}

}  // namespace winetest
