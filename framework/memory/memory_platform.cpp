#include "framework/memory/memory_platform.h"

#include <cstring>

#include "framework/memory/memory_property_sheet.h"

namespace fw {

namespace {
// Tokens that stand for handles: distinct non-null addresses that are never dereferenced.
Handle MakeToken(int& next) { return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(0x1000 + 16 * next++)); }
}  // namespace

MemoryPlatform::MemoryPlatform() = default;
MemoryPlatform::~MemoryPlatform() = default;

std::vector<std::string> MemoryPlatform::debugLines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return debugLines_;
}

void MemoryPlatform::clearDebugLines() {
  std::lock_guard<std::mutex> guard(lock_);
  debugLines_.clear();
}

std::size_t MemoryPlatform::liveWindowCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return windows_.size();
}

Handle MemoryPlatform::CreateNamedMutex(const std::string& name, bool& alreadyExisted) {
  alreadyExisted = heldMutexNames.count(name) != 0 || ownedMutexes_.count(name) != 0;
  Handle h = MakeToken(nextToken_);
  mutexHandles_[h] = name;
  if (!alreadyExisted) ownedMutexes_.insert(name);
  return h;
}

void MemoryPlatform::CloseHandle(Handle handle) {
  auto it = mutexHandles_.find(handle);
  if (it == mutexHandles_.end()) return;
  ownedMutexes_.erase(it->second);
  mutexHandles_.erase(it);
}

bool MemoryPlatform::QueryVersion(VersionRecord& out) {
  out = version;
  return true;
}

std::string MemoryPlatform::ModuleFileName() { return moduleFileName; }

std::string MemoryPlatform::ReadIniString(const std::string& path, const std::string& section,
                                          const std::string& key, std::size_t bufferSize) {
  std::string value;
  auto file = iniFiles.find(path);
  if (file != iniFiles.end()) {
    auto sec = file->second.find(section);
    if (sec != file->second.end()) {
      auto k = sec->second.find(key);
      if (k != sec->second.end()) value = k->second;
    }
  }
  // As GetPrivateProfileStringA: the value is cut to fit the buffer with its zero.
  if (bufferSize == 0) return std::string();
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return value;
}

std::string MemoryPlatform::WindowsDirectory() { return windowsDirectory.substr(0, 259); }

bool MemoryPlatform::ReadFileVersion(const std::string& path, FixedFileInfo& out) {
  auto it = versionResources.find(path);
  if (it == versionResources.end() || it->second.empty()) return false;
  return FixedFileInfoFromResource(it->second.data(), it->second.size(), out);
}

std::uint32_t MemoryPlatform::TickCount() { return now; }

void MemoryPlatform::Sleep(std::uint32_t ms) {
  now += ms;
  if (onSleep) onSleep(ms);
}

void MemoryPlatform::DebugOutput(const char* line) {
  std::lock_guard<std::mutex> guard(lock_);
  debugLines_.emplace_back(line);
}

bool MemoryPlatform::SendCopyDataToWindow(const char* className, const char* title,
                                          WParam wParam, std::uintptr_t dwData,
                                          const void* data, std::uint32_t size) {
  if (foreignWindows.count({className, title}) == 0) return false;
  CopyDataRecord record;
  record.wParam = wParam;
  record.dwData = dwData;
  record.cbData = size;
  record.bytes.assign(static_cast<const char*>(data), size);
  copyDataSent.push_back(record);
  return true;
}

std::uint32_t MemoryPlatform::RegisterMessage(const char* name) {
  auto [it, inserted] = registered_.try_emplace(name, 0xC000u + static_cast<std::uint32_t>(registered_.size()));
  return it->second;
}

Handle MemoryPlatform::CreateHiddenWindow(WindowHandler& handler, const char* title) {
  Handle h;
  {
    std::lock_guard<std::mutex> guard(lock_);
    h = MakeToken(nextToken_);
    auto w = std::make_unique<Window>();
    w->handler = &handler;
    w->title = title;
    windows_[h] = std::move(w);
  }
  LResult result = 0;
  if (handler.OnMessage(h, msg::kCreate, 0, 0, result) && result == -1) {
    std::lock_guard<std::mutex> guard(lock_);
    windows_.erase(h);
    return nullptr;
  }
  return h;
}

void MemoryPlatform::SetWindowTitle(Handle window, const char* title) {
  std::lock_guard<std::mutex> guard(lock_);
  titlesSet.emplace_back(title);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second->title = title;
}

std::string MemoryPlatform::WindowTitle(Handle window) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second->title;
}

bool MemoryPlatform::IsWindowVisible(Handle window) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(window);
  return it != windows_.end() && it->second->visible;
}

bool MemoryPlatform::DestroyWindow(Handle window) {
  WindowHandler* handler = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    handler = it->second->handler;
  }
  LResult result = 0;
  handler->OnMessage(window, msg::kDestroy, 0, 0, result);
  std::lock_guard<std::mutex> guard(lock_);
  windows_.erase(window);
  return true;
}

bool MemoryPlatform::PostMessage(Handle window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
  std::lock_guard<std::mutex> guard(lock_);
  if (window != nullptr && windows_.count(window) == 0) return false;
  queue_.push_back({window, message, wParam, lParam});
  return true;
}

LResult MemoryPlatform::SendMessage(Handle window, std::uint32_t message, WParam wParam,
                                    LParam lParam) {
  WindowHandler* handler = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return 0;
    handler = it->second->handler;
  }
  LResult result = 0;
  handler->OnMessage(window, message, wParam, lParam, result);
  return result;
}

bool MemoryPlatform::PumpOneMessage() {
  Posted p;
  {
    std::unique_lock<std::mutex> guard(lock_);
    // A quit request is left for the loop that owns it, as the win32 backend does.
    if (!queue_.empty() && queue_.front().message == msg::kQuit) return false;
    if (queue_.empty()) {
      // As GetMessage: timers are looked at when nothing else is waiting.
      guard.unlock();
      return FireDueTimer();
    }
    p = queue_.front();
    queue_.pop_front();
  }
  SendMessage(p.window, p.message, p.wParam, p.lParam);
  return true;
}

bool MemoryPlatform::quitPending() const {
  std::lock_guard<std::mutex> guard(lock_);
  return !queue_.empty() && queue_.front().message == msg::kQuit;
}

int MemoryPlatform::RunMessageLoop() {
  // Runs until WM_QUIT or until nothing is left to do: a test never waits on an empty queue.
  for (;;) {
    Posted p;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (queue_.empty()) return 0;
      p = queue_.front();
      queue_.pop_front();
    }
    if (p.message == msg::kQuit) return static_cast<int>(p.wParam);
    SendMessage(p.window, p.message, p.wParam, p.lParam);
  }
}

void MemoryPlatform::PostQuit(int exitCode) {
  std::lock_guard<std::mutex> guard(lock_);
  queue_.push_back({nullptr, msg::kQuit, static_cast<WParam>(exitCode), 0});
}

Handle MemoryPlatform::StartThread(ThreadProc proc, void* argument) {
  std::lock_guard<std::mutex> guard(lock_);
  Handle h = MakeToken(nextToken_);
  threads.push_back({proc, argument, h, 0});
  return h;
}

bool MemoryPlatform::SuspendThread(Handle thread) {
  std::lock_guard<std::mutex> guard(lock_);
  for (StartedThread& t : threads) {
    if (t.handle == thread) {
      ++t.suspendCount;
      return true;
    }
  }
  return false;
}

bool MemoryPlatform::ResumeThread(Handle thread) {
  std::lock_guard<std::mutex> guard(lock_);
  for (StartedThread& t : threads) {
    if (t.handle == thread) {
      if (t.suspendCount > 0) --t.suspendCount;
      return true;
    }
  }
  return false;
}

Handle MemoryPlatform::CreateEvent(bool manualReset, bool initiallySignalled) {
  std::lock_guard<std::mutex> guard(lock_);
  Handle h = MakeToken(nextToken_);
  events_[h] = Event{manualReset, initiallySignalled};
  return h;
}

void MemoryPlatform::SetEvent(Handle event) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = events_.find(event);
  if (it != events_.end()) it->second.signalled = true;
}

void MemoryPlatform::ResetEvent(Handle event) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = events_.find(event);
  if (it != events_.end()) it->second.signalled = false;
}

bool MemoryPlatform::eventSignalled(Handle event) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = events_.find(event);
  return it != events_.end() && it->second.signalled;
}

bool MemoryPlatform::WaitForEvent(Handle event, std::uint32_t ms) {
  if (onBlockingWait && ms > 0 && !eventSignalled(event)) onBlockingWait(event);
  std::lock_guard<std::mutex> guard(lock_);
  auto it = events_.find(event);
  if (it != events_.end() && it->second.signalled) {
    if (!it->second.manualReset) it->second.signalled = false;
    return true;
  }
  // Nobody else runs on the virtual clock: the wait times out.
  now += ms;
  return false;
}

int MemoryPlatform::ShowMessageBox(Handle owner, const std::string& text, const std::string& caption,
                                   std::uint32_t style) {
  messageBoxes.push_back({text, caption, style});
  return messageBoxAnswer;
}

std::string MemoryPlatform::LoadString(std::uint32_t id) {
  auto it = strings.find(id);
  return it == strings.end() ? std::string() : it->second;
}

Handle MemoryPlatform::LoadIcon(std::uint32_t resourceId) {
  if (iconResources.count(resourceId) == 0) return nullptr;
  std::lock_guard<std::mutex> guard(lock_);
  for (const auto& [handle, id] : icons_)
    if (id == resourceId) return handle;
  Handle h = MakeToken(nextToken_);
  icons_[h] = resourceId;
  return h;
}

bool MemoryPlatform::NotifyIcon(std::uint32_t operation, const TrayIconRecord& record) {
  if (onNotifyIcon) onNotifyIcon(operation);
  std::lock_guard<std::mutex> guard(lock_);
  auto icon = icons_.find(record.icon);
  trayCalls.push_back({operation, record, icon == icons_.end() ? 0u : icon->second});
  return !trayFails;
}

void MemoryPlatform::TrackPopupMenu(Handle owner, const std::vector<MenuItem>& items, int x, int y) {
  menusShown.push_back({owner, items, x, y});
  const std::uint32_t choice = menuChoice;
  menuChoice = 0;
  if (choice == 0) return;
  for (const MenuItem& item : items)
    if (item.id == choice) PostMessage(owner, msg::kCommand, choice, 0);
}

void MemoryPlatform::GetCursorPos(int& x, int& y) {
  x = cursorX;
  y = cursorY;
}

bool MemoryPlatform::SetForegroundWindow(Handle window) {
  foregroundWindow = window;
  return true;
}

void MemoryPlatform::SetActiveWindow(Handle window) { activeWindow = window; }

Handle MemoryPlatform::FindWindow(const char* className, const char* title) {
  std::lock_guard<std::mutex> guard(lock_);
  // Newest first, as the system searches from the top of the window order down: a window
  // made later (a sheet over its owner) is found before an older one of the same title.
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if (title != nullptr && it->second->title == title) return it->first;
  return nullptr;
}

Handle MemoryPlatform::CreateTitledWindow(WindowHandler& handler, const char* title, bool visible) {
  Handle h = CreateHiddenWindow(handler, title);
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(h);
  if (it != windows_.end()) {
    it->second->visible = visible;
  }
  return h;
}

void MemoryPlatform::SetWindowVisible(Handle window, bool visible) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second->visible = visible;
}

bool MemoryPlatform::SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) {
  // Setting a running timer again restarts it with the new interval.
  timers_[{window, id}] = Timer{ms, now + ms};
  return true;
}

bool MemoryPlatform::KillTimer(Handle window, std::uintptr_t id) { return timers_.erase({window, id}) != 0; }

std::map<std::uintptr_t, std::uint32_t> MemoryPlatform::timersOf(Handle window) const {
  std::map<std::uintptr_t, std::uint32_t> out;
  for (const auto& [key, timer] : timers_)
    if (key.first == window) out[key.second] = timer.interval;
  return out;
}

bool MemoryPlatform::FireTimer(Handle window, std::uintptr_t id) {
  auto it = timers_.find({window, id});
  if (it == timers_.end()) return false;
  if (static_cast<std::int32_t>(it->second.due - now) > 0) now = it->second.due;
  it->second.due = now + it->second.interval;
  SendMessage(window, msg::kTimer, id, 0);
  return true;
}

bool MemoryPlatform::FireDueTimer() {
  for (auto& [key, timer] : timers_) {
    if (static_cast<std::int32_t>(timer.due - now) <= 0) {
      const auto [window, id] = key;
      timer.due = now + timer.interval;
      SendMessage(window, msg::kTimer, id, 0);
      return true;
    }
  }
  return false;
}

void MemoryPlatform::MessageBeep(std::uint32_t type) { beeps.push_back(type); }

bool MemoryPlatform::ShowHelp(std::uint32_t topic) {
  helpShown.push_back(topic);
  return true;
}

std::string MemoryPlatform::DeviceNodeIdentifier(std::uintptr_t devNode, bool win95Family) {
  auto it = deviceIdentifiers.find(devNode);
  return it == deviceIdentifiers.end() ? std::string() : it->second;
}

std::unique_ptr<SheetBackend> MemoryPlatform::CreateSheetBackend(PropertySheet& sheet) {
  return std::make_unique<MemorySheetBackend>(sheet, *this);
}

}  // namespace fw
