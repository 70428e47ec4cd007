// desktop-probe: plays the user's side of the tray for scripts (scripts/screenshots,
// bench/resident) and reads what the Wine desktop shows, with the same code as the Wine suite.
//
//   desktop-probe tray double|right        posts the tray icon's callback for a double click or
//                                          a right click to the running utility
//   desktop-probe wait-icon green|red|absent [ms]
//                                          waits until the notification area shows that picture
//   desktop-probe wait-window [ms]         waits until the configuration window shows
//   desktop-probe tray-area                prints the notification area as WxH+X+Y (screen pixels)
//   desktop-probe select-tab N             shows tab N (from 0) of the configuration window
//   desktop-probe window-area              prints the configuration window as WxH+X+Y
//   desktop-probe close-window [ms]        closes the configuration window with its Cancel
//                                          button and waits until it is gone
//   desktop-probe close                    broadcasts "ELEGANT_CLOSE"
//
// Exit status: 0 done, 1 not seen within the time (default 30000 ms), 2 usage or no utility.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/desktop_probe.h"
#include "support/utility_facts.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

int Usage() {
  std::fprintf(stderr,
               "usage: desktop-probe tray double|right | wait-icon green|red|absent [ms] | wait-window [ms] |"
               " tray-area | select-tab N | window-area | close-window [ms] | close\n");
  return 2;
}

DWORD TimeArgument(int argc, char** argv, int index) {
  return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : kPatientMs;
}

int Tray(const char* click) {
  UINT mouseMessage = 0;
  if (std::strcmp(click, "double") == 0) mouseMessage = WM_LBUTTONDBLCLK;
  if (std::strcmp(click, "right") == 0) mouseMessage = WM_RBUTTONUP;
  if (mouseMessage == 0) return Usage();
  // The utility's hidden main window carries the title; its configuration window is a dialog.
  for (HWND window : ProcessWindows(0, nullptr, kUtilityTitle, false)) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") == 0) continue;
    PostMessageA(window, RegisterWindowMessageA("QUORVEL_ICON_PRESSED"), 1, mouseMessage);
    return 0;
  }
  std::fprintf(stderr, "desktop-probe: the utility is not running\n");
  return 2;
}

int WaitIcon(const char* name, DWORD ms) {
  TrayPicture wanted;
  if (std::strcmp(name, "green") == 0)
    wanted = TrayPicture::kLinkUp;
  else if (std::strcmp(name, "red") == 0)
    wanted = TrayPicture::kNoLink;
  else if (std::strcmp(name, "absent") == 0)
    wanted = TrayPicture::kAbsent;
  else
    return Usage();
  if (WaitForTrayPicture(wanted, ms)) return 0;
  std::fprintf(stderr, "desktop-probe: the notification area shows %s\n", TrayPictureName(ReadTrayPicture()));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "tray") == 0 && argc >= 3) return Tray(argv[2]);
  if (std::strcmp(command, "wait-icon") == 0 && argc >= 3) return WaitIcon(argv[2], TimeArgument(argc, argv, 3));
  if (std::strcmp(command, "wait-window") == 0)
    return WaitForProcessWindow(0, "#32770", kUtilityTitle, true, TimeArgument(argc, argv, 2)) != nullptr ? 0 : 1;
  if (std::strcmp(command, "tray-area") == 0) {
    RECT area;
    if (!NotificationArea(area)) return 1;
    std::printf("%ldx%ld+%ld+%ld\n", area.right - area.left, area.bottom - area.top, area.left, area.top);
    return 0;
  }
  if (std::strcmp(command, "select-tab") == 0 && argc >= 3) {
    // Makes tab N of the shown configuration window current, as a click on the tab would.
    HWND sheet = WaitForProcessWindow(0, "#32770", kUtilityTitle, true, 10000);
    if (sheet == nullptr) return 1;
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[2])), 0);
    return 0;
  }
  if (std::strcmp(command, "window-area") == 0) {
    HWND sheet = WaitForProcessWindow(0, "#32770", kUtilityTitle, true, kPatientMs);
    RECT area;
    if (sheet == nullptr || !GetWindowRect(sheet, &area)) return 1;
    std::printf("%ldx%ld+%ld+%ld\n", area.right - area.left, area.bottom - area.top, area.left, area.top);
    return 0;
  }
  if (std::strcmp(command, "close-window") == 0) {
    const DWORD ms = TimeArgument(argc, argv, 2);
    HWND sheet = WaitForProcessWindow(0, "#32770", kUtilityTitle, true, ms);
    if (sheet == nullptr) return 1;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    const DWORD start = GetTickCount();
    while (!ProcessWindows(0, "#32770", kUtilityTitle, true).empty()) {
      if (GetTickCount() - start > ms) return 1;
      Sleep(20);
    }
    return 0;
  }
  if (std::strcmp(command, "close") == 0) {
    BroadcastRegistered("ELEGANT_CLOSE");
    return 0;
  }
  return Usage();
}
