#include "support/user_input.h"

#include <iterator>
#include <vector>

namespace winetest {

namespace {

// One key going down or up, with its scan code; the navigation keys sit in the extended
// block of the keyboard.
INPUT Stroke(WORD key, bool up) {
  INPUT stroke = {};
  stroke.type = INPUT_KEYBOARD;
  stroke.ki.wVk = key;
  stroke.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  const bool extended = key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT || key == VK_UP ||
                        key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_DELETE || key == VK_INSERT;
  stroke.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return stroke;
}

}  // namespace

bool PressKeys(HWND window, std::initializer_list<WORD> virtualKeys) {
  for (WORD key : virtualKeys)
    if (!PressChord(window, {}, key)) return false;
  return true;
}

bool PressChord(HWND window, std::initializer_list<WORD> held, WORD key) {
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
  std::vector<INPUT> strokes;
  for (WORD down : held) strokes.push_back(Stroke(down, false));
  strokes.push_back(Stroke(key, false));
  strokes.push_back(Stroke(key, true));
  for (auto up = std::rbegin(held); up != std::rend(held); ++up) strokes.push_back(Stroke(*up, true));
  return SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT)) == strokes.size();
}

HWND FocusInThreadOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace winetest
