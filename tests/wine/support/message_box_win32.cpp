// Finds the message box a thread shows and presses one of its buttons, for page tests that
// answer the page's questions as the user would.
#include <windows.h>

#include <string>

#include "support/page_test_support.h"

namespace pagetest {

namespace {
// A message box: a dialog with a text (id 0xFFFF) and no tabs (the sheet has them).
BOOL CALLBACK MatchMessageBox(HWND w, LPARAM found) {
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof(cls));
  if (std::string(cls) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF) != nullptr &&
      FindWindowExA(w, nullptr, "SysTabControl32", nullptr) == nullptr) {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool PressThreadMessageBox(int button, std::string& text) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), MatchMessageBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return false;
  char buffer[512] = {};
  GetDlgItemTextA(box, 0xFFFF, buffer, sizeof(buffer));
  text = buffer;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  return true;
}

}  // namespace pagetest
