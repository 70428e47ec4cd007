// The win32 backend: each service is the Win32 call of the same name.
#pragma once
#include "framework/platform.h"

namespace fw {

class Win32Controls;

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;

  Handle CreateNamedMutex(const std::string& name, bool& alreadyExisted) override;
  void CloseHandle(Handle handle) override;
  bool QueryVersion(VersionRecord& out) override;
  std::string ModuleFileName() override;
  std::string ReadIniString(const std::string& path, const std::string& section,
                            const std::string& key, std::size_t bufferSize) override;
  std::string WindowsDirectory() override;
  bool ReadFileVersion(const std::string& path, FixedFileInfo& out) override;
  std::uint32_t TickCount() override;
  void Sleep(std::uint32_t ms) override;
  void DebugOutput(const char* line) override;
  bool SendCopyDataToWindow(const char* className, const char* title, WParam wParam,
                            std::uintptr_t dwData, const void* data, std::uint32_t size) override;
  std::uint32_t RegisterMessage(const char* name) override;
  Handle CreateHiddenWindow(WindowHandler& handler, const char* title) override;
  void SetWindowTitle(Handle window, const char* title) override;
  std::string WindowTitle(Handle window) override;
  bool IsWindowVisible(Handle window) override;
  bool DestroyWindow(Handle window) override;
  bool PostMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam) override;
  LResult SendMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam) override;
  int RunMessageLoop() override;
  bool PumpOneMessage() override;
  void PostQuit(int exitCode) override;
  Handle StartThread(ThreadProc proc, void* argument) override;
  bool SuspendThread(Handle thread) override;
  bool ResumeThread(Handle thread) override;
  Handle CreateEvent(bool manualReset, bool initiallySignalled) override;
  void SetEvent(Handle event) override;
  void ResetEvent(Handle event) override;
  bool WaitForEvent(Handle event, std::uint32_t ms) override;
  int ShowMessageBox(Handle owner, const std::string& text, const std::string& caption,
                     std::uint32_t style) override;
  std::string LoadString(std::uint32_t id) override;
  Handle LoadIcon(std::uint32_t resourceId) override;
  bool NotifyIcon(std::uint32_t operation, const TrayIconRecord& record) override;
  void TrackPopupMenu(Handle owner, const std::vector<MenuItem>& items, int x, int y) override;
  void GetCursorPos(int& x, int& y) override;
  bool SetForegroundWindow(Handle window) override;
  void SetActiveWindow(Handle window) override;
  Handle FindWindow(const char* className, const char* title) override;
  bool SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) override;
  bool KillTimer(Handle window, std::uintptr_t id) override;
  std::string DeviceNodeIdentifier(std::uintptr_t devNode, bool win95Family) override;
  // What was asked of the platform that leaves no trace a program can read back: beep
  // kinds and help topics, in order (tests look at them).
  std::vector<std::uint32_t> beeps;
  std::vector<std::uint32_t> helpShown;
  // Whether ShowHelp opens the guide (tests turn it off and read helpShown).
  bool openHelp = true;
  ControlAccess& Controls() override;
  void MessageBeep(std::uint32_t type) override;
  bool ShowHelp(std::uint32_t topic) override;
  // In win32_property_sheet_win32.cpp.
  std::unique_ptr<SheetBackend> CreateSheetBackend(PropertySheet& sheet) override;

 private:
  std::unique_ptr<Win32Controls> controls_;
};

}  // namespace fw
