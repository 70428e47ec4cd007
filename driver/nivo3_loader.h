// Loading the driver-access library NIVO3.DLL from the program's own folder and binding the
// process-wide driver to its operations. The Win32 side (LoadNivoLibrary) is built for
// Windows only; the naming, resolving and message texts are portable and tested natively.
#pragma once
#include <string>

#include "driver/nivo_api.h"

class NivoDriver;

inline constexpr char kNivoLibraryFileName[] = "NIVO3.DLL";
// Caption of the loader's message boxes: the utility's title.

// The library's full path for a program at `programPath`: the program's folder (everything
// up to its last backslash) and "NIVO3.DLL"; a path without a folder gives the bare name.
std::string NivoLibraryPathFor(const std::string& programPath);

// Address of one exported operation, or null when the library has none of that name.
using NivoProc = void (*)();
using NivoResolver = NivoProc (*)(void* context, const char* operationName);

// Resolves every operation of NIVO_OPERATIONS by its undecorated name. When all are found,
// fills `functions` and returns true. Otherwise returns false, names the first missing
// operation in `missingOperation` and leaves `functions` as it was.
bool ResolveNivoFunctions(NivoResolver resolve, void* context, NivoFunctions& functions,
                          std::string& missingOperation);

// The texts of the loader's two error messages.
std::string MissingLibraryMessage(const std::string& libraryPath);
std::string MissingOperationMessage(const std::string& operationName,
                                    const std::string& libraryPath);

// Windows builds only: loads `libraryPath`, resolves every operation and binds `driver`.
// A missing library or operation shows a message box (MB_OK | MB_ICONERROR) naming it and
// returns false, with the driver left unbound and the library released.
bool LoadNivoLibraryFrom(NivoDriver& driver, const std::string& libraryPath);
// Windows builds only: LoadNivoLibraryFrom with NIVO3.DLL beside the running program.
bool LoadNivoLibrary(NivoDriver& driver);

// The start-up's way to the library. The Windows entry point sets gNivoStartupLoader to a
// function that loads NIVO3.DLL into Nivo(); native builds and tests leave it unset or set
// a test's own. LoadNivoLibraryAtStartup runs it: false ends the start; no loader set
// counts as success.
using NivoStartupLoader = bool (*)();
extern NivoStartupLoader gNivoStartupLoader;
bool LoadNivoLibraryAtStartup();
