// Input as a person gives it to another program: keys through the system's input queue
// (SendInput) to the window in front, and the keyboard focus read from that window's thread.
#pragma once
#include <windows.h>

#include <initializer_list>

namespace winetest {

// Brings `window` to the front and presses each key (down, then up) in turn, as typed on the
// keyboard: the keys reach whichever control of that window has the focus. False when the
// system took no key.
bool PressKeys(HWND window, std::initializer_list<WORD> virtualKeys);
// Presses `key` while the keys `held` (VK_CONTROL, VK_SHIFT ...) are down, as a combination
// such as Ctrl+C or Shift+Tab is typed.
bool PressChord(HWND window, std::initializer_list<WORD> held, WORD key);

// The window that holds the keyboard focus in the thread of `window`; null when none does.
HWND FocusInThreadOf(HWND window);

}  // namespace winetest
