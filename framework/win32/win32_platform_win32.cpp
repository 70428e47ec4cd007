#include "framework/win32/windows_h.h"

#include <cstring>
#include <new>
#include <vector>

#include "framework/win32/win32_platform.h"

namespace fw {

namespace {

const char kHiddenWindowClass[] = "TallwynHiddenFrame";

LRESULT CALLBACK HiddenWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* handler = reinterpret_cast<WindowHandler*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (handler != nullptr) {
    LResult result = 0;
    if (handler->OnMessage(hwnd, message, wParam, lParam, result)) return result;
    if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterHiddenWindowClass() {
  static const bool registered = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HiddenWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(128));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.lpszClassName = kHiddenWindowClass;
    return RegisterClassA(&wc) != 0;
  }();
  return registered;
}

}  // namespace

Handle Win32Platform::CreateNamedMutex(const std::string& name, bool& alreadyExisted) {
  HANDLE h = CreateMutexA(nullptr, TRUE, name.c_str());
  alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  return h;
}

void Win32Platform::CloseHandle(Handle handle) {
  if (handle != nullptr) ::CloseHandle(handle);
}

bool Win32Platform::QueryVersion(VersionRecord& out) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
  if (!GetVersionExA(&info)) return false;
  out.platformId = info.dwPlatformId;
  out.major = info.dwMajorVersion;
  out.minor = info.dwMinorVersion;
  return true;
}

std::string Win32Platform::ModuleFileName() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n < MAX_PATH ? n : MAX_PATH - 1);
}

std::string Win32Platform::ReadIniString(const std::string& path, const std::string& section,
                                         const std::string& key, std::size_t bufferSize) {
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                     static_cast<DWORD>(bufferSize), path.c_str());
  return std::string(buffer.data(), n);
}

std::string Win32Platform::WindowsDirectory() {
  char path[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

bool Win32Platform::ReadFileVersion(const std::string& path, FixedFileInfo& out) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buffer;
  try {
    buffer.resize(static_cast<std::size_t>(size) + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return false;
  void* block = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(buffer.data(), "\\", &block, &length) || block == nullptr || length < sizeof(VS_FIXEDFILEINFO))
    return false;
  static_assert(sizeof(VS_FIXEDFILEINFO) == sizeof(FixedFileInfo));
  std::memcpy(&out, block, sizeof(out));
  return out.signature == kFixedFileInfoSignature;
}

std::uint32_t Win32Platform::TickCount() { return GetTickCount(); }

void Win32Platform::Sleep(std::uint32_t ms) { ::Sleep(ms); }

void Win32Platform::DebugOutput(const char* line) { OutputDebugStringA(line); }

bool Win32Platform::SendCopyDataToWindow(const char* className, const char* title,
                                         WParam wParam, std::uintptr_t dwData,
                                         const void* data, std::uint32_t size) {
  HWND target = FindWindowA(className, title);
  if (target == nullptr) return false;
  COPYDATASTRUCT record = {};
  record.dwData = dwData;
  record.cbData = size;
  record.lpData = const_cast<void*>(data);
  ::SendMessageA(target, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&record));
  return true;
}

std::uint32_t Win32Platform::RegisterMessage(const char* name) {
  return RegisterWindowMessageA(name);
}

Handle Win32Platform::CreateHiddenWindow(WindowHandler& handler, const char* title) {
  if (!RegisterHiddenWindowClass()) return nullptr;
  return CreateWindowExA(0, kHiddenWindowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         GetModuleHandleA(nullptr), &handler);
}

void Win32Platform::SetWindowTitle(Handle window, const char* title) {
  SetWindowTextA(static_cast<HWND>(window), title);
}

std::string Win32Platform::WindowTitle(Handle window) {
  char text[512] = {};
  int n = GetWindowTextA(static_cast<HWND>(window), text, sizeof(text));
  return std::string(text, n > 0 ? n : 0);
}

bool Win32Platform::IsWindowVisible(Handle window) {
  return ::IsWindowVisible(static_cast<HWND>(window)) != FALSE;
}

bool Win32Platform::DestroyWindow(Handle window) {
  return ::DestroyWindow(static_cast<HWND>(window)) != FALSE;
}

bool Win32Platform::PostMessage(Handle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  return ::PostMessageA(static_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

LResult Win32Platform::SendMessage(Handle window, std::uint32_t message, WParam wParam,
                                   LParam lParam) {
  return ::SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

int Win32Platform::RunMessageLoop() {
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return static_cast<int>(m.wParam);
}

bool Win32Platform::PumpOneMessage() {
  MSG m;
  if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) return false;
  if (m.message == WM_QUIT) {
    // Leave the quit request for the loop that owns it.
    PostQuitMessage(static_cast<int>(m.wParam));
    return false;
  }
  TranslateMessage(&m);
  DispatchMessageA(&m);
  return true;
}

void Win32Platform::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

}  // namespace fw
