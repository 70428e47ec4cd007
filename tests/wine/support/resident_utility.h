// The fixture of the end-to-end suites: a copy of tw7720util.exe and NIVO3.DLL in a folder
// of their own, started with their own scenario and call log as the debugger's child (so
// its trace lines are read here), optionally as an older Windows family; and the ways a
// user, the system and the card reach it from outside.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/call_log.h"
#include "support/desktop_probe.h"
#include "support/wine_process.h"
#include "support/utility_facts.h"
#include "support/windows_family.h"
#include "support/worlds.h"

namespace winetest {

// Started with no profile stored; the profiles, and any Windows version reported to the
// utility, are removed again when the test ends, whatever happened.
class ResidentUtility : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the utility with this scenario. `windowsVersion` ("win98", "winxp", ...) makes
  // Wine report that Windows family to it; null leaves Wine's own version.
  void Start(const char* world, const char* windowsVersion = nullptr);
  // Started, with the card found and the icon shown.
  void StartWithIcon(const char* world, const char* windowsVersion = nullptr);

  DWORD pid() const { return utility_ ? utility_->processId() : 0; }
  std::string callLogPath() const { return folder_.File("calls.jsonl"); }

  // The tray icon's callback, as the shell sends it for a mouse message.
  void PostTray(UINT mouseMessage) const;
  void PostCommand(WPARAM id) const { PostMessageA(frame_, WM_COMMAND, id, 0); }
  // Sends a message to the hidden main window as the system does and waits for it to be
  // handled; false when it was not handled in time.
  bool SendToFrame(UINT message, WPARAM wParam, LPARAM lParam, DWORD ms = kPatientMs) const;

  std::vector<HWND> VisibleSheets() const { return ProcessWindows(pid(), "#32770", kUtilityTitle, true); }
  HWND WaitForSheet() const { return WaitForProcessWindow(pid(), "#32770", kUtilityTitle, true, kPatientMs); }
  bool WaitForNoSheet() const {
    return WaitUntil([&] { return VisibleSheets().empty(); });
  }
  HWND OpenSheet() const {
    PostTray(WM_LBUTTONDBLCLK);
    return WaitForSheet();
  }

  // The tray menu's items; the menu is closed again before this returns.
  std::vector<MenuEntry> TrayMenu() const;

  size_t TraceCount(const std::string& line) const;

  std::vector<Call> Calls() const { return ReadCallLog(callLogPath()); }
  size_t CallCount(const std::string& op) const;
  // Successful media connect status queries that read `status` (0 connected, 1 not).
  size_t ConnectStatusReadings(int status) const;
  bool WaitForCallCount(const std::string& op, size_t atLeast) const {
    return WaitUntil([&] { return CallCount(op) >= atLeast; });
  }

  // Runs virtualcard-ctl against the utility's card; its exit status.
  long Ctl(const std::string& arguments) const;

  ScratchFolder folder_;
  std::unique_ptr<DebuggedProcess> utility_;
  std::optional<ReportedWindowsVersion> reportedVersion_;
  HWND frame_ = nullptr;
};

}  // namespace winetest
