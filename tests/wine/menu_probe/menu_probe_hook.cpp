// menu_probe_hook.dll: a window-procedure hook that the Wine suite sets on another program's
// thread to read the items of that program's pop-up menu. A menu handle can only be read in
// the process that made the menu, so the reading runs here, inside that process: on the
// registered message "TallwynMenuProbe" sent to the menu window (class "#32768"), the hook
// lists the menu's items and sends them back with WM_COPYDATA to the window named by wParam.
//
// Reply (COPYDATASTRUCT dwData = kMenuProbeReplyTag): one line per item, "id<TAB>state<TAB>text\n",
// id and state (GetMenuState) in decimal; nothing when the window had no readable menu.
#include <windows.h>

#include <string>

#include "menu_probe_protocol.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageA(kMenuProbeMessage);
  if (code == HC_ACTION && lParam != 0) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == probeMessage && call->wParam != 0) {
      std::string reply;
      HMENU menu = reinterpret_cast<HMENU>(SendMessageA(call->hwnd, MN_GETHMENU, 0, 0));
      const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
      for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        reply += std::to_string(GetMenuItemID(menu, i)) + '\t' +
                 std::to_string(GetMenuState(menu, i, MF_BYPOSITION)) + '\t' + text + '\n';
      }
      COPYDATASTRUCT data = {};
      data.dwData = kMenuProbeReplyTag;
      data.cbData = static_cast<DWORD>(reply.size());
      data.lpData = reply.empty() ? nullptr : reply.data();
      SendMessageA(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, reinterpret_cast<WPARAM>(call->hwnd),
                   reinterpret_cast<LPARAM>(&data));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
