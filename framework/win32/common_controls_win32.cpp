#include "framework/win32/common_controls.h"

namespace fw {

namespace {

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

const CommonControls* Load() {
  static CommonControls controls;
  HMODULE library = LoadLibraryA("comctl32.dll");
  if (library == nullptr) return nullptr;
  BOOL(WINAPI * initialise)(const INITCOMMONCONTROLSEX*) = nullptr;
  if (!Resolve(library, "InitCommonControlsEx", initialise) ||
      !Resolve(library, "PropertySheetA", controls.PropertySheetA) ||
      !Resolve(library, "CreatePropertySheetPageA", controls.CreatePropertySheetPageA) ||
      !Resolve(library, "DestroyPropertySheetPage", controls.DestroyPropertySheetPage)) {
    return nullptr;
  }
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
  initialise(&classes);
  return &controls;
}

}  // namespace

const CommonControls* LoadCommonControls() {
  // Sheets are shown on the window thread only; the first one loads the library.
  static const CommonControls* const controls = Load();
  return controls;
}

}  // namespace fw
