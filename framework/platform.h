// The platform services the product uses, behind one interface with two backends:
// win32 (real Win32, framework/win32) and memory (framework/memory: in-process windows,
// a virtual clock and recorded side effects, for native tests). Logic reaches them
// through fw::Sys() and never includes <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/messages.h"
#include "framework/version_resource.h"

namespace fw {

// An opaque system object: a HANDLE or HWND on Win32, a token of the memory backend.
using Handle = void*;

// The version record fields the product reads (OSVERSIONINFOA).
struct VersionRecord {
  std::uint32_t platformId = 0;  // 1 = the 95 family, 2 = NT
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// Receives the messages of a window created through the framework.
class WindowHandler {
 public:
  virtual ~WindowHandler() = default;
  // Handles one message; returns true when handled and then `result` is its answer.
  // Unhandled messages get the system's default processing.
  virtual bool OnMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam,
                         LResult& result) = 0;
};

// One item of a pop-up menu; an item with id 0 and no text is a separator.
struct MenuItem {
  std::uint32_t id = 0;
  std::string text;
};

// The fields of the notification-area icon record (NOTIFYICONDATAA, first version) that the
// product fills.
struct TrayIconRecord {
  Handle window = nullptr;
  std::uint32_t iconId = 0;           // uID: which of the window's icons
  std::uint32_t flags = 0;            // NIF_MESSAGE 1 | NIF_ICON 2 | NIF_TIP 4
  std::uint32_t callbackMessage = 0;
  Handle icon = nullptr;
  std::string tip;                    // at most 63 characters
};
namespace nim {
constexpr std::uint32_t kAdd = 0;
constexpr std::uint32_t kModify = 1;
constexpr std::uint32_t kDelete = 2;
constexpr std::uint32_t kFlagMessage = 1;
constexpr std::uint32_t kFlagIcon = 2;
constexpr std::uint32_t kFlagTip = 4;
}  // namespace nim

using ThreadProc = void (*)(void* argument);

class PropertySheet;
class SheetBackend;

class Platform {
 public:
  virtual ~Platform() = default;

  // --- kernel objects and process
  // Creates (or opens) a named mutex owned by the caller; `alreadyExisted` tells whether
  // another process held the name before. Null on failure.
  virtual Handle CreateNamedMutex(const std::string& name, bool& alreadyExisted) = 0;
  virtual void CloseHandle(Handle handle) = 0;
  virtual bool QueryVersion(VersionRecord& out) = 0;
  // The full path of the running program (GetModuleFileNameA, 260-character buffer).
  virtual std::string ModuleFileName() = 0;
  // GetPrivateProfileStringA with an empty default into a buffer of `bufferSize` bytes.
  virtual std::string ReadIniString(const std::string& path, const std::string& section,
                                    const std::string& key, std::size_t bufferSize) = 0;
  // The Windows directory (GetWindowsDirectoryA, at most 260 characters).
  virtual std::string WindowsDirectory() = 0;
  // The fixed block of a file's version resource (GetFileVersionInfoSizeA, a buffer of
  // that size + 1, GetFileVersionInfoA, VerQueryValueA of "\"); false when the file has
  // none, it cannot be read, or the memory is short.
  virtual bool ReadFileVersion(const std::string& path, FixedFileInfo& out) = 0;
  virtual std::uint32_t TickCount() = 0;
  virtual void Sleep(std::uint32_t ms) = 0;

  // --- debug output
  virtual void DebugOutput(const char* line) = 0;
  // Sends WM_COPYDATA with the given record to the top-level window of that class and
  // title; false when there is no such window.
  virtual bool SendCopyDataToWindow(const char* className, const char* title,
                                    WParam wParam, std::uintptr_t dwData, const void* data,
                                    std::uint32_t size) = 0;

  // --- windows and messages
  virtual std::uint32_t RegisterMessage(const char* name) = 0;
  // Creates a hidden top-level window whose messages go to `handler`; WM_CREATE reaches the
  // handler before this returns. Null when creation failed (the handler answered -1).
  virtual Handle CreateHiddenWindow(WindowHandler& handler, const char* title) = 0;
  virtual void SetWindowTitle(Handle window, const char* title) = 0;
  virtual std::string WindowTitle(Handle window) = 0;
  virtual bool IsWindowVisible(Handle window) = 0;
  virtual bool DestroyWindow(Handle window) = 0;
  virtual bool PostMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam) = 0;
  virtual LResult SendMessage(Handle window, std::uint32_t message, WParam wParam,
                              LParam lParam) = 0;
  // Runs this thread's message loop until WM_QUIT; returns the quit code.
  virtual int RunMessageLoop() = 0;
  // Removes and dispatches one pending message of this thread; false when none was waiting.
  virtual bool PumpOneMessage() = 0;
  virtual void PostQuit(int exitCode) = 0;

  // --- threads and events
  // Starts a thread running `proc(argument)` at once, normal priority, default stack.
  virtual Handle StartThread(ThreadProc proc, void* argument) = 0;
  virtual bool SuspendThread(Handle thread) = 0;
  virtual bool ResumeThread(Handle thread) = 0;
  virtual Handle CreateEvent(bool manualReset, bool initiallySignalled) = 0;
  virtual void SetEvent(Handle event) = 0;
  virtual void ResetEvent(Handle event) = 0;
  // True when the event was signalled within `ms`; false on time-out.
  virtual bool WaitForEvent(Handle event, std::uint32_t ms) = 0;

  // --- user interface
  // A message box with the string's text; returns the button pressed (mb::kIdOk ...). A box
  // given no icon shows the one every box of the utility carries: the exclamation mark on an
  // OK (or OK and Cancel) box, the question mark on a Yes/No (or Yes/No/Cancel) box.
  int MessageBox(Handle owner, const std::string& text, const std::string& caption, std::uint32_t style);
  // The backend's box, shown with exactly this style.
  virtual int ShowMessageBox(Handle owner, const std::string& text, const std::string& caption,
                             std::uint32_t style) = 0;
  // A text of the string table; empty when there is none.
  virtual std::string LoadString(std::uint32_t id) = 0;
  // The program's icon resource; null when there is none.
  virtual Handle LoadIcon(std::uint32_t resourceId) = 0;
  // Shell_NotifyIconA with the operation nim::kAdd, kModify or kDelete.
  virtual bool NotifyIcon(std::uint32_t operation, const TrayIconRecord& record) = 0;
  // Shows a pop-up menu at (x, y) (TPM_RIGHTBUTTON); the chosen item arrives at `owner` as
  // WM_COMMAND. Returns when the menu has closed.
  virtual void TrackPopupMenu(Handle owner, const std::vector<MenuItem>& items, int x, int y) = 0;
  virtual void GetCursorPos(int& x, int& y) = 0;
  virtual bool SetForegroundWindow(Handle window) = 0;
  virtual void SetActiveWindow(Handle window) = 0;
  virtual Handle FindWindow(const char* className, const char* title) = 0;
  virtual bool SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) = 0;
  virtual bool KillTimer(Handle window, std::uintptr_t id) = 0;
  // The device-instance identifier text of a device node from a device broadcast: the
  // system's device-identifier query on the NT family, the node record on the 95 family.
  virtual std::string DeviceNodeIdentifier(std::uintptr_t devNode, bool win95Family) = 0;

  // --- controls of dialogs, beeps, help
  virtual ControlAccess& Controls() = 0;
  // MessageBeep with a beep:: kind.
  virtual void MessageBeep(std::uint32_t type) = 0;
  // Opens the help for `topic` (a page's help topic); false when it could not be shown.
  virtual bool ShowHelp(std::uint32_t topic) = 0;

  // --- property sheets
  // The window side of a property sheet on this platform (framework/property_sheet.h).
  virtual std::unique_ptr<SheetBackend> CreateSheetBackend(PropertySheet& sheet) = 0;
};

// A pause of `ms` that keeps this thread's window messages flowing (the main frame's and the
// pages' waits).
void WaitAndPumpMessages(std::uint32_t ms);

// The backend in use: the win32 one on Windows and the memory one elsewhere, unless a
// test has installed another with UsePlatform.
Platform& Sys();
void UsePlatform(Platform* platform);  // null restores the default

}  // namespace fw
