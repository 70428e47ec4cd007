// What the Wine programs (suite, fault sweep, soaks, probes) know of the utility from outside:
// its window title, program name, trace lines, tray icon, menu commands, tab order and where it
// keeps its profiles; and the one way they wait for a condition.
#pragma once
#include <windows.h>

#include "support/wine_process.h"

namespace winetest {

inline constexpr char kUtilityTitle[] = "Tallwyn TW7720 WLAN card utility";
inline constexpr char kUtilityProgram[] = "tw7720util.exe";
inline constexpr char kAddIconLine[] = " <ModifyIconAtTaskbar>:Add ICON ";
inline constexpr char kRemoveIconLine[] = " <ModifyIconAtTaskbar>:Remove ICON ";
// Traced by every full push of the profile to the driver.
inline constexpr char kProfilePushLine[] = "\n\n##### Setting domain 0\n";
// The profiles of the current user: HKCU\<this>\Wireless, and the active one's name here.
inline constexpr char kProfileRootKey[] = "Software\\Tallwyn\\Profile";
inline constexpr UINT kTrayIconId = 1;
// The control id of a message box's text.
inline constexpr UINT kMessageTextId = 0xFFFF;
// The tray menu's commands.
inline constexpr WPARAM kHideConfig = 2001;
inline constexpr WPARAM kShowConfig = 2002;
inline constexpr WPARAM kExit = 2004;

// The tabs of the configuration window, in order.
enum Tab { kLinkInfoTab = 0, kConfigurationTab = 1, kSiteSurveyTab = 2, kEncryptionTab = 3, kAboutTab = 4 };

// Polls until the condition holds; false on time-out.
template <class Condition>
bool WaitUntil(Condition condition, DWORD ms = kPatientMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace winetest
