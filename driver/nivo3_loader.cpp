#include "driver/nivo3_loader.h"

NivoStartupLoader gNivoStartupLoader = nullptr;

bool LoadNivoLibraryAtStartup() {
  return gNivoStartupLoader == nullptr || gNivoStartupLoader();
}

std::string NivoLibraryPathFor(const std::string& programPath) {
  const std::size_t slash = programPath.find_last_of('\\');
  if (slash == std::string::npos) return kNivoLibraryFileName;
  return programPath.substr(0, slash + 1) + kNivoLibraryFileName;
}

bool ResolveNivoFunctions(NivoResolver resolve, void* context, NivoFunctions& functions,
                          std::string& missingOperation) {
  NivoFunctions found;
  // void (*)() is the generic function type: converting from and to it is well-defined
  // for a round trip, and the library exports each name with the signature of its typedef.
#define NIVO_RESOLVE_ENTRY(name, ...)                               \
  found.name = reinterpret_cast<name##_t>(resolve(context, #name)); \
  if (found.name == nullptr) {                                  \
    missingOperation = #name;                                   \
    return false;                                               \
  }
  NIVO_OPERATIONS(NIVO_RESOLVE_ENTRY)
#undef NIVO_RESOLVE_ENTRY
  functions = found;
  missingOperation.clear();
  return true;
}

std::string MissingLibraryMessage(const std::string& libraryPath) {
  return "The driver-access library " + libraryPath +
         " could not be loaded.\nThe utility cannot run without it and ends now.";
}

std::string MissingOperationMessage(const std::string& operationName,
                                    const std::string& libraryPath) {
  return "The driver-access library " + libraryPath + " has no operation " + operationName +
         ".\nThe utility cannot run without it and ends now.";
}
