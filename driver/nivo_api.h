// The operations of the driver-access library NIVO3.DLL as C functions: extern "C",
// __stdcall, exported undecorated. The program resolves them by these names; the virtual
// card (virtualcard/) exports them. Results are the library's integers.
#pragma once
#include <cstdint>

#include "driver/nivo_records.h"

#if defined(_WIN32)
#define NIVO_CALL __stdcall
#else
#define NIVO_CALL
#endif

// Every operation of the library, once: X(name, refused, (parameters), (arguments)).
// From this list come the entry-point types below, the table and its resolver, the driver's
// forwarding members, the virtual card's members and entry points, the DLL's exports and the
// call log's wrapper. `refused` is what the driver answers for a call it does not make (after
// NIVO_Terminate): the operation's failure value. Adding an operation is one line here plus
// its behaviour in the card (and its name in virtualcard/nivo3.def).
#define NIVO_OPERATIONS(X)                                                                              \
  X(NIVO_Init, -1, (const char* applicationName, std::int32_t reserved), (applicationName, reserved))  \
  X(NIVO_Terminate, -1, (), ())                                                                         \
  X(NIVO_Detect, 0, (DetectInfo* info), (info))                                                         \
  X(NIVO_SetProfileRoot, -1, (const char* root), (root))                                                \
  X(NIVO_EnumProfilesByType, kNivoNoProfileAtIndex, (std::int32_t index, char* nameOut, std::int32_t type), \
    (index, nameOut, type))                                                                             \
  X(NIVO_GetActiveProfileByType, -1, (char* nameOut, std::int32_t type), (nameOut, type))               \
  X(NIVO_SetActiveProfileByType, -1, (const char* name, std::int32_t type), (name, type))               \
  X(NIVO_DeleteProfileByType, -1, (const char* name, std::int32_t type), (name, type))                  \
  X(NIVO_GetProfileWireless, -1, (const char* name, ProfileWireless* profile), (name, profile))         \
  X(NIVO_SetProfileWireless, -1, (const char* nameOrNull, ProfileWireless* profile), (nameOrNull, profile)) \
  X(NIVO_SetDriverReg, -1, (ProfileWireless* profile), (profile))                                       \
  X(NIVO_GetWLANConfig, -1, (std::uint32_t* dwWLFlag, WlanConfig* config), (dwWLFlag, config))          \
  X(NIVO_SetWLANConfig, -1, (std::uint32_t* dwWLFlag, WlanConfig* config), (dwWLFlag, config))          \
  X(NIVO_SetSSID, -1, (NdisSsid* ssid), (ssid))                                                         \
  X(NIVO_QueryOID, -1, (std::uint32_t oid, void* buffer, std::uint32_t length, std::uint32_t* bytesWritten), \
    (oid, buffer, length, bytesWritten))                                                                \
  X(NIVO_ChannelToFrequency, 0, (std::int32_t channel), (channel))                                      \
  X(NIVO_FrequencyToChannel, 0, (std::int32_t frequency), (frequency))                                  \
  X(NIVO_SetChannel, -1, (std::int32_t* channel), (channel))                                            \
  X(NIVO_SetOperatingMode, -1, (std::int32_t* mode), (mode))                                            \
  X(NIVO_SetWLDomain, -1, (std::int32_t domain), (domain))                                              \
  X(NIVO_Get_XPWZC, -1, (std::int32_t* active), (active))                                               \
  X(NIVO_SiteSurveyTrigger, -1, (), ())                                                                 \
  X(NIVO_SiteSurveyGet, 0, (void* buffer, std::uint32_t* size), (buffer, size))                         \
  X(NIVO_GetWLANDriverPath, 0, (char* pathOut), (pathOut))

// Puts a comma before an argument list when it is not empty: f(a NIVO_WITH_ARGS args).
#define NIVO_WITH_ARGS(...) __VA_OPT__(, ) __VA_ARGS__

// The entry points' types: NIVO_Init_t and so on.
extern "C" {
#define NIVO_ENTRY_TYPE(name, refused, params, args) typedef std::int32_t(NIVO_CALL* name##_t) params;
NIVO_OPERATIONS(NIVO_ENTRY_TYPE)
#undef NIVO_ENTRY_TYPE
}

// The table of entry points the program holds: filled by GetProcAddress from NIVO3.DLL on
// Windows, or by a test with the virtual card's functions or a recording fake's.
struct NivoFunctions {
#define NIVO_TABLE_ENTRY(name, ...) name##_t name = nullptr;
  NIVO_OPERATIONS(NIVO_TABLE_ENTRY)
#undef NIVO_TABLE_ENTRY
};
