// Broadcasts the registered message "ELEGANT_CLOSE", as another program does to ask the
// utility to exit. Used by the resident benchmark.
#include "framework/win32/windows_h.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("ELEGANT_CLOSE"), 0, 0);
  return 0;
}
