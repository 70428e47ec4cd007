// Loading NIVO3.DLL with the Win32 loader.
#include "framework/win32/windows_h.h"

#include "driver/nivo3_loader.h"
#include "driver/nivo_driver.h"
#include "res/product_texts.h"

namespace {

NivoProc ResolveExport(void* module, const char* operationName) {
  // void (*)() is the generic function type: the resolver hands it on and the table's
  // typedef restores the operation's own signature.
  return reinterpret_cast<NivoProc>(GetProcAddress(static_cast<HMODULE>(module), operationName));
}

void ShowLoaderError(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kUtilityTitle, MB_OK | MB_ICONERROR);
}

}  // namespace

bool LoadNivoLibraryFrom(NivoDriver& driver, const std::string& libraryPath) {
  HMODULE module = LoadLibraryA(libraryPath.c_str());
  if (module == nullptr) {
    ShowLoaderError(MissingLibraryMessage(libraryPath));
    return false;
  }
  NivoFunctions functions;
  std::string missing;
  if (!ResolveNivoFunctions(&ResolveExport, module, functions, missing)) {
    ShowLoaderError(MissingOperationMessage(missing, libraryPath));
    FreeLibrary(module);
    return false;
  }
  // The library stays loaded for the rest of the process: the driver may be called until
  // the very end, and after NIVO_Terminate it refuses every call without reaching it.
  driver.Bind(functions);
  return true;
}

bool LoadNivoLibrary(NivoDriver& driver) {
  char program[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string programPath(program, n < MAX_PATH ? n : MAX_PATH - 1);
  return LoadNivoLibraryFrom(driver, NivoLibraryPathFor(programPath));
}
