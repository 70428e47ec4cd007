// The common controls are loaded and registered before any test runs, as the program does
// when it shows its first property sheet, so tests may also make controls of their own.
#include "framework/win32/common_controls.h"

namespace {
const bool gCommonControls = fw::LoadCommonControls() != nullptr;
}  // namespace
