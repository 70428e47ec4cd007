// The common controls are registered before any test runs, as the program's entry point
// does before it makes any window.
#include <windows.h>
#include <commctrl.h>

namespace {
const bool gCommonControls = [] {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  return InitCommonControlsEx(&controls) != FALSE;
}();
}  // namespace
