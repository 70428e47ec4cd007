// The memory backend: windows, messages, kernel objects and the clock held in memory, with
// their side effects recorded, so native tests drive the product's logic in milliseconds.
// Time is virtual: Sleep and waits advance the clock instead of blocking.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/memory/memory_controls.h"
#include "framework/platform.h"

namespace fw {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  std::uint32_t style = 0;
};

struct StartedThread {
  ThreadProc proc = nullptr;
  void* argument = nullptr;
  Handle handle = nullptr;
  int suspendCount = 0;
};

struct TrayCall {
  std::uint32_t operation = 0;
  TrayIconRecord record;
  std::uint32_t iconResource = 0;  // the resource id behind record.icon, 0 when none
};

struct MenuShown {
  Handle owner = nullptr;
  std::vector<MenuItem> items;
  int x = 0, y = 0;
};

struct CopyDataRecord {
  WParam wParam = 0;
  std::uintptr_t dwData = 0;
  std::uint32_t cbData = 0;
  std::string bytes;  // all cbData bytes, the terminating zero included when sent
};

class MemoryPlatform : public Platform {
 public:
  MemoryPlatform();
  ~MemoryPlatform() override;

  // --- what a test sets up
  VersionRecord version{2, 5, 1};
  std::string moduleFileName = "C:\\Program Files\\Tallwyn\\tw7720util.exe";
  std::string windowsDirectory = "C:\\WINDOWS";
  // Version resources of files, by path: the bytes GetFileVersionInfoA would give.
  std::map<std::string, std::vector<std::uint8_t>> versionResources;
  // INI files by path: section -> key -> value.
  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> iniFiles;
  // Names of mutexes that "another process" holds.
  std::set<std::string> heldMutexNames;
  // Windows of other programs that FindWindow-style look-ups see: (class, title).
  std::set<std::pair<std::string, std::string>> foreignWindows;

  // --- what a test reads back
  std::vector<std::string> debugLines() const;
  void clearDebugLines();
  std::vector<CopyDataRecord> copyDataSent;
  std::vector<std::string> titlesSet;  // every SetWindowTitle, in order
  std::uint32_t now = 0;  // the virtual tick count
  // Runs after each Sleep has advanced the clock, with the sleep's length: a test can act
  // there as another thread would (make the card appear, ask the polling thread to stop).
  std::function<void(std::uint32_t ms)> onSleep;
  // Runs at the start of each WaitForEvent that would block (the event not signalled, a
  // time-out above 0), outside the backend's lock: a test can act there as the thread that
  // would signal the event (a page running its exchange, say).
  std::function<void(Handle event)> onBlockingWait;

  // Windows this backend has created and not destroyed.
  std::size_t liveWindowCount() const;

  // User interface: what was shown, and the scripted answers.
  std::vector<MessageBoxRecord> messageBoxes;
  int messageBoxAnswer = mb::kIdOk;
  std::map<std::uint32_t, std::string> strings;   // the string table a test provides
  std::set<std::uint32_t> iconResources{128, 186, 187};
  std::vector<TrayCall> trayCalls;
  bool trayFails = false;  // Shell_NotifyIconA answers failure
  // Runs at the start of each NotifyIcon, outside the backend's lock, with the operation: a
  // test can let another thread act while a thread is in the middle of changing the icon.
  std::function<void(std::uint32_t operation)> onNotifyIcon;
  std::vector<MenuShown> menusShown;
  std::uint32_t menuChoice = 0;  // the command a test "clicks" in the next menu; 0 = none
  int cursorX = 0, cursorY = 0;
  Handle foregroundWindow = nullptr;
  Handle activeWindow = nullptr;
  // Running timers of a window: id -> interval. They fire on the virtual clock: when the
  // message queue is empty, PumpOneMessage dispatches WM_TIMER of the first one due.
  std::map<std::uintptr_t, std::uint32_t> timersOf(Handle window) const;
  bool anyTimerRunning() const { return !timers_.empty(); }
  // Moves the clock to the timer's due time and dispatches its WM_TIMER; false when the
  // window has no such timer.
  bool FireTimer(Handle window, std::uintptr_t id);
  std::vector<std::uint32_t> beeps;       // MessageBeep kinds, in order
  std::vector<std::uint32_t> helpShown;   // topics the help route was asked for
  MemoryControls& memoryControls() { return controls_; }
  std::map<std::uintptr_t, std::string> deviceIdentifiers;  // device node -> identifier
  // Threads are recorded, not run: a test drives their work itself.
  std::vector<StartedThread> threads;
  bool eventSignalled(Handle event) const;
  // Makes a window of this backend visible or hidden (as a sheet's window would be).
  void SetWindowVisible(Handle window, bool visible);
  // A window of this backend that FindWindow finds by title.
  Handle CreateTitledWindow(WindowHandler& handler, const char* title, bool visible);
  // A WM_QUIT waits at the head of the queue (PumpOneMessage leaves it there, as the win32
  // backend re-posts it, for the loop that owns it).
  bool quitPending() const;

  // --- Platform
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
  ControlAccess& Controls() override { return controls_; }
  void MessageBeep(std::uint32_t type) override;
  bool ShowHelp(std::uint32_t topic) override;
  std::unique_ptr<SheetBackend> CreateSheetBackend(PropertySheet& sheet) override;

 private:
  struct Timer {
    std::uint32_t interval = 0;
    std::uint32_t due = 0;
  };
  // Dispatches WM_TIMER of the first timer due on the clock; false when none is.
  bool FireDueTimer();
  std::map<std::pair<Handle, std::uintptr_t>, Timer> timers_;
  MemoryControls controls_{*this};
  struct Event {
    bool manualReset = true;
    bool signalled = false;
  };
  std::map<Handle, Event> events_;
  std::map<Handle, std::uint32_t> icons_;
  struct Window {
    WindowHandler* handler = nullptr;
    std::string title;
    bool visible = false;
  };
  struct Posted {
    Handle window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
  };
  mutable std::mutex lock_;
  std::vector<std::string> debugLines_;
  std::map<Handle, std::unique_ptr<Window>> windows_;
  std::deque<Posted> queue_;
  std::map<std::string, std::uint32_t> registered_;
  std::set<std::string> ownedMutexes_;
  std::map<Handle, std::string> mutexHandles_;
  int nextToken_ = 1;
};

}  // namespace fw
