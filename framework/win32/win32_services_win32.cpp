// The win32 backend's threads, events and user-interface services.
#include "framework/win32/windows_h.h"

#include <cfgmgr32.h>

#include <cstring>

#include "framework/win32/win32_controls.h"
#include "framework/win32/win32_platform.h"

namespace fw {

namespace {
struct ThreadStart {
  ThreadProc proc;
  void* argument;
};

DWORD WINAPI ThreadEntry(LPVOID parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  start.proc(start.argument);
  return 0;
}
}  // namespace

Handle Win32Platform::StartThread(ThreadProc proc, void* argument) {
  auto* start = new ThreadStart{proc, argument};
  HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, start, 0, nullptr);
  if (thread == nullptr) delete start;
  return thread;
}

bool Win32Platform::SuspendThread(Handle thread) {
  return ::SuspendThread(static_cast<HANDLE>(thread)) != static_cast<DWORD>(-1);
}

bool Win32Platform::ResumeThread(Handle thread) {
  return ::ResumeThread(static_cast<HANDLE>(thread)) != static_cast<DWORD>(-1);
}

Handle Win32Platform::CreateEvent(bool manualReset, bool initiallySignalled) {
  return CreateEventA(nullptr, manualReset, initiallySignalled, nullptr);
}

void Win32Platform::SetEvent(Handle event) { ::SetEvent(static_cast<HANDLE>(event)); }

void Win32Platform::ResetEvent(Handle event) { ::ResetEvent(static_cast<HANDLE>(event)); }

bool Win32Platform::WaitForEvent(Handle event, std::uint32_t ms) {
  return WaitForSingleObject(static_cast<HANDLE>(event), ms) == WAIT_OBJECT_0;
}

int Win32Platform::ShowMessageBox(Handle owner, const std::string& text, const std::string& caption,
                                  std::uint32_t style) {
  return MessageBoxA(static_cast<HWND>(owner), text.c_str(),
                     caption.empty() ? nullptr : caption.c_str(), style);
}

std::string Win32Platform::LoadString(std::uint32_t id) {
  char text[1024] = {};
  int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
  return std::string(text, n > 0 ? n : 0);
}

Handle Win32Platform::LoadIcon(std::uint32_t resourceId) {
  return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
}

bool Win32Platform::NotifyIcon(std::uint32_t operation, const TrayIconRecord& record) {
  // The first version of the record (88 bytes in the 32-bit build): every shell takes it.
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = static_cast<HWND>(record.window);
  data.uID = record.iconId;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = static_cast<HICON>(record.icon);
  std::strncpy(data.szTip, record.tip.c_str(), 63);
  return Shell_NotifyIconA(operation, &data) != FALSE;
}

void Win32Platform::TrackPopupMenu(Handle owner, const std::vector<MenuItem>& items, int x, int y) {
  HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : items) {
    if (item.id == 0 && item.text.empty())
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(menu, MF_STRING, item.id, item.text.c_str());
  }
  ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, x, y, 0, static_cast<HWND>(owner), nullptr);
  DestroyMenu(menu);
}

void Win32Platform::GetCursorPos(int& x, int& y) {
  POINT p = {};
  ::GetCursorPos(&p);
  x = p.x;
  y = p.y;
}

bool Win32Platform::SetForegroundWindow(Handle window) {
  return ::SetForegroundWindow(static_cast<HWND>(window)) != FALSE;
}

void Win32Platform::SetActiveWindow(Handle window) { ::SetActiveWindow(static_cast<HWND>(window)); }

Handle Win32Platform::FindWindow(const char* className, const char* title) {
  return FindWindowA(className, title);
}

Win32Platform::Win32Platform() : controls_(std::make_unique<Win32Controls>()) {}
Win32Platform::~Win32Platform() = default;

ControlAccess& Win32Platform::Controls() { return *controls_; }

void Win32Platform::MessageBeep(std::uint32_t type) {
  beeps.push_back(type);
  ::MessageBeep(type);
}

bool Win32Platform::ShowHelp(std::uint32_t topic) {
  helpShown.push_back(topic);
  if (!openHelp) return true;
  // The user's guide beside the program, opened at the topic's section ("#topic-<id>") by
  // the system's handler for the file.
  std::string guide = ModuleFileName();
  const std::size_t dot = guide.rfind('.');
  if (dot == std::string::npos || dot < guide.rfind('\\')) return false;
  guide.resize(dot);
  guide += ".html";
  if (GetFileAttributesA(guide.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Help was asked for: say why none comes, over the window that asked, under its title.
    const HWND owner = GetActiveWindow();
    char title[256] = {};
    if (owner != nullptr) GetWindowTextA(owner, title, sizeof(title));
    MessageBox(owner, "Help is not available: the user's guide " + guide + " was not found.", title, mb::kOk);
    return false;
  }
  std::string url = "file:///" + guide + "#topic-" + std::to_string(topic);
  for (char& c : url)
    if (c == '\\') c = '/';
  char handler[MAX_PATH] = {};
  const auto found = reinterpret_cast<INT_PTR>(FindExecutableA(guide.c_str(), nullptr, handler));
  const auto opened = found > 32 && handler[0] != '\0'
                          ? reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", handler, url.c_str(), nullptr, SW_SHOWNORMAL))
                          : reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", guide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return opened > 32;
}

bool Win32Platform::SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) {
  const bool set = ::SetTimer(static_cast<HWND>(window), id, ms, nullptr) != 0;
  if (set) controls_->TimerSet(window, id);
  return set;
}

bool Win32Platform::KillTimer(Handle window, std::uintptr_t id) {
  controls_->TimerKilled(window, id);
  return ::KillTimer(static_cast<HWND>(window), id) != FALSE;
}

std::string Win32Platform::DeviceNodeIdentifier(std::uintptr_t devNode, bool win95Family) {
  if (win95Family) {
    // On the 95 family the node value is the address of the system's device-node record,
    // whose second 32-bit field is the address of the identifier text.
    const auto* record = reinterpret_cast<const std::uint32_t*>(devNode);
    if (record == nullptr || IsBadReadPtr(record, 8)) return std::string();
    // Only the part that was checked is read: a text without an end within it (a damaged
    // record) is cut there rather than read on into memory that may not be readable.
    constexpr std::size_t kIdentifierLimit = 512;
    const char* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(record[1]));
    if (text == nullptr || IsBadStringPtrA(text, kIdentifierLimit)) return std::string();
    return std::string(text, strnlen(text, kIdentifierLimit));
  }
  // The configuration manager is loaded on the first device event, not at start: an idle
  // utility should not carry it.
  using GetDeviceId = CONFIGRET(WINAPI*)(DEVINST, PSTR, ULONG, ULONG);
  static const GetDeviceId getDeviceId = [] {
    for (const char* library : {"cfgmgr32.dll", "setupapi.dll"}) {
      HMODULE module = LoadLibraryA(library);
      if (module == nullptr) continue;
      auto function = reinterpret_cast<GetDeviceId>(
          reinterpret_cast<void*>(GetProcAddress(module, "CM_Get_Device_IDA")));
      if (function != nullptr) return function;
    }
    return GetDeviceId{nullptr};
  }();
  char id[MAX_DEVICE_ID_LEN + 1] = {};
  if (getDeviceId == nullptr ||
      getDeviceId(static_cast<DEVINST>(devNode), id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS)
    return std::string();
  return id;
}

}  // namespace fw
