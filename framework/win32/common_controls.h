// The common controls library (comctl32), loaded when the first property sheet is shown
// rather than at program start: the resident utility shows no control until its window
// opens, and an idle utility should not carry the library's start-up work and memory.
#pragma once
#include "framework/win32/windows_h.h"

namespace fw {

struct CommonControls {
  HWND(WINAPI* PropertySheetA)(LPCPROPSHEETHEADERA header);
  HPROPSHEETPAGE(WINAPI* CreatePropertySheetPageA)(LPCPROPSHEETPAGEA page);
  BOOL(WINAPI* DestroyPropertySheetPage)(HPROPSHEETPAGE page);
};

// Loads comctl32 once, initialises its classes and resolves the sheet functions; null when
// the library or one of them is missing.
const CommonControls* LoadCommonControls();

}  // namespace fw
