// The baseline of the resident benchmark: a program that does nothing but keep one
// notification-area icon and a message loop. It ends on "ELEGANT_CLOSE" like the utility.
#include "framework/win32/windows_h.h"

namespace {
UINT gCloseMessage = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == gCloseMessage || message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  gCloseMessage = RegisterWindowMessageA("ELEGANT_CLOSE");
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = "IdleTray";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "IdleTray", "Idle tray", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, instance, nullptr);
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  lstrcpyA(icon.szTip, "Idle tray");
  Shell_NotifyIconA(NIM_ADD, &icon);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  Shell_NotifyIconA(NIM_DELETE, &icon);
  return 0;
}
