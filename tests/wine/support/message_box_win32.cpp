// Finds the message box a thread shows and presses one of its buttons, for page tests that
// answer the page's questions as the user would.
#include <windows.h>

#include <cstdint>
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

// The icon a box shows, as the MB_ICON... bit of its style: Wine's box holds it in its
// static 1088, the system's shared icon of that kind or none.
std::uint32_t ShownIcon(HWND box) {
  const auto shown = reinterpret_cast<HICON>(SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0));
  if (shown == nullptr) return 0;
  const struct {
    LPCSTR icon;
    std::uint32_t style;
  } kinds[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_QUESTION, MB_ICONQUESTION},
               {IDI_ASTERISK, MB_ICONINFORMATION}, {IDI_HAND, MB_ICONERROR}};
  for (const auto& kind : kinds)
    if (LoadIconA(nullptr, kind.icon) == shown) return kind.style;
  return 0xFFFFFFFFu;  // an icon of its own
}
}  // namespace

bool PressThreadMessageBox(int button, std::string& text, std::uint32_t& icon) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), MatchMessageBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return false;
  char buffer[512] = {};
  GetDlgItemTextA(box, 0xFFFF, buffer, sizeof(buffer));
  text = buffer;
  icon = ShownIcon(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  return true;
}

}  // namespace pagetest
