// How virtualcard-ctl reaches the virtual card inside a running program: the card's DLL
// keeps a hidden message-only window of this class on a thread of its own; the tool finds it
// (message-only windows are seen only from the same desktop, so only the same user's
// programs reach it) and sends the command words with WM_COPYDATA. The card answers with a
// WM_COPYDATA of its own to the window handle that came in wParam.
#pragma once
#include <cstdint>

namespace vcardctl {

constexpr char kWindowClass[] = "TallwynVirtualCardControl";
constexpr char kWindowTitle[] = "NIVO3 virtual card";
// Request: the command words, each ended by a NUL byte.
constexpr std::uintptr_t kRequestTag = 0x4E564331;  // "NVC1"
// Answer: a 32-bit status (0 done, 1 refused), then the text to print.
constexpr std::uintptr_t kAnswerTag = 0x4E564332;  // "NVC2"
constexpr std::uint32_t kMaxRequestBytes = 64 * 1024;

}  // namespace vcardctl
