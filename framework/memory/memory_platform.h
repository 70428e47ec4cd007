// The memory backend: windows, messages, kernel objects and the clock held in memory, with
// their side effects recorded, so native tests drive the product's logic in milliseconds.
// Time is virtual: Sleep and waits advance the clock instead of blocking.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/platform.h"

namespace fw {

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
  std::uint32_t now = 0;  // the virtual tick count

  // Windows this backend has created and not destroyed.
  std::size_t liveWindowCount() const;

  // --- Platform
  Handle CreateNamedMutex(const std::string& name, bool& alreadyExisted) override;
  void CloseHandle(Handle handle) override;
  bool QueryVersion(VersionRecord& out) override;
  std::string ModuleFileName() override;
  std::string ReadIniString(const std::string& path, const std::string& section,
                            const std::string& key, std::size_t bufferSize) override;
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

 private:
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
