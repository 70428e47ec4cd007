// <windows.h> for the product's Win32 sources, without the A/W name macros that would
// rename the framework's own members (Platform::PostMessage, ::MessageBox, ...). Code here
// calls the ...A functions by their full names.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>

#undef PostMessage
#undef SendMessage
#undef MessageBox
#undef LoadString
#undef LoadIcon
#undef CreateEvent
#undef FindWindow
#undef CreateWindow
#undef DrawText
#undef PropertySheet  // fw::PropertySheet
// The common controls' message macros (PropSheet_*, TabCtrl_*, ListView_*) send through
// SNDMSG, which named the SendMessage macro removed above.
#undef SNDMSG
#define SNDMSG ::SendMessageA
