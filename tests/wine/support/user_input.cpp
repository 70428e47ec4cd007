#include "support/user_input.h"

namespace winetest {

bool PressKeys(HWND window, std::initializer_list<WORD> virtualKeys) {
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
  for (WORD key : virtualKeys) {
    INPUT strokes[2] = {};
    for (INPUT& stroke : strokes) {
      stroke.type = INPUT_KEYBOARD;
      stroke.ki.wVk = key;
      stroke.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    }
    // The navigation keys sit in the extended block of the keyboard.
    const bool extended = key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT || key == VK_UP ||
                          key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_DELETE || key == VK_INSERT;
    strokes[0].ki.dwFlags = extended ? KEYEVENTF_EXTENDEDKEY : 0;
    strokes[1].ki.dwFlags = strokes[0].ki.dwFlags | KEYEVENTF_KEYUP;
    if (SendInput(2, strokes, sizeof(INPUT)) != 2) return false;
  }
  return true;
}

HWND FocusInThreadOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace winetest
