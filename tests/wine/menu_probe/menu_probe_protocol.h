// What the Wine suite and menu_probe_hook.dll agree on (see menu_probe_hook.cpp).
#pragma once

inline constexpr char kMenuProbeMessage[] = "TallwynMenuProbe";
inline constexpr unsigned long kMenuProbeReplyTag = 0x4D454E55;  // "MENU"
inline constexpr char kMenuProbeHookDll[] = "menu_probe_hook.dll";
inline constexpr char kMenuProbeHookProc[] = "MenuProbeHook";
