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

extern "C" {
typedef std::int32_t(NIVO_CALL* NIVO_Init_t)(const char* applicationName, std::int32_t reserved);
typedef std::int32_t(NIVO_CALL* NIVO_Terminate_t)();
typedef std::int32_t(NIVO_CALL* NIVO_Detect_t)(DetectInfo* info);
typedef std::int32_t(NIVO_CALL* NIVO_SetProfileRoot_t)(const char* root);
typedef std::int32_t(NIVO_CALL* NIVO_EnumProfilesByType_t)(std::int32_t index, char* nameOut, std::int32_t type);
typedef std::int32_t(NIVO_CALL* NIVO_GetActiveProfileByType_t)(char* nameOut, std::int32_t type);
typedef std::int32_t(NIVO_CALL* NIVO_SetActiveProfileByType_t)(const char* name, std::int32_t type);
typedef std::int32_t(NIVO_CALL* NIVO_DeleteProfileByType_t)(const char* name, std::int32_t type);
typedef std::int32_t(NIVO_CALL* NIVO_GetProfileWireless_t)(const char* name, ProfileWireless* profile);
typedef std::int32_t(NIVO_CALL* NIVO_SetProfileWireless_t)(const char* nameOrNull, ProfileWireless* profile);
typedef std::int32_t(NIVO_CALL* NIVO_SetDriverReg_t)(ProfileWireless* profile);
typedef std::int32_t(NIVO_CALL* NIVO_GetWLANConfig_t)(std::uint32_t* dwWLFlag, WlanConfig* config);
typedef std::int32_t(NIVO_CALL* NIVO_SetWLANConfig_t)(std::uint32_t* dwWLFlag, WlanConfig* config);
typedef std::int32_t(NIVO_CALL* NIVO_SetSSID_t)(NdisSsid* ssid);
typedef std::int32_t(NIVO_CALL* NIVO_QueryOID_t)(std::uint32_t oid, void* buffer, std::uint32_t length, std::uint32_t* bytesWritten);
typedef std::int32_t(NIVO_CALL* NIVO_ChannelToFrequency_t)(std::int32_t channel);
typedef std::int32_t(NIVO_CALL* NIVO_FrequencyToChannel_t)(std::int32_t frequency);
typedef std::int32_t(NIVO_CALL* NIVO_SetChannel_t)(std::int32_t* channel);
typedef std::int32_t(NIVO_CALL* NIVO_SetOperatingMode_t)(std::int32_t* mode);
typedef std::int32_t(NIVO_CALL* NIVO_SetWLDomain_t)(std::int32_t domain);
typedef std::int32_t(NIVO_CALL* NIVO_Get_XPWZC_t)(std::int32_t* active);
typedef std::int32_t(NIVO_CALL* NIVO_SiteSurveyTrigger_t)();
typedef std::int32_t(NIVO_CALL* NIVO_SiteSurveyGet_t)(void* buffer, std::uint32_t* size);
typedef std::int32_t(NIVO_CALL* NIVO_GetWLANDriverPath_t)(char* pathOut);
}

// X-macro over every operation the program calls: X(name).
#define NIVO_OPERATIONS(X)                                                                 \
  X(NIVO_Init) X(NIVO_Terminate) X(NIVO_Detect) X(NIVO_SetProfileRoot)                     \
  X(NIVO_EnumProfilesByType) X(NIVO_GetActiveProfileByType) X(NIVO_SetActiveProfileByType) \
  X(NIVO_DeleteProfileByType) X(NIVO_GetProfileWireless) X(NIVO_SetProfileWireless)        \
  X(NIVO_SetDriverReg) X(NIVO_GetWLANConfig) X(NIVO_SetWLANConfig) X(NIVO_SetSSID)         \
  X(NIVO_QueryOID) X(NIVO_ChannelToFrequency) X(NIVO_FrequencyToChannel) X(NIVO_SetChannel) \
  X(NIVO_SetOperatingMode) X(NIVO_SetWLDomain) X(NIVO_Get_XPWZC) X(NIVO_SiteSurveyTrigger) \
  X(NIVO_SiteSurveyGet) X(NIVO_GetWLANDriverPath)

// The table of entry points the program holds: filled by GetProcAddress from NIVO3.DLL on
// Windows, or by a test with the virtual card's functions or a recording fake's.
struct NivoFunctions {
#define NIVO_TABLE_ENTRY(name) name##_t name = nullptr;
  NIVO_OPERATIONS(NIVO_TABLE_ENTRY)
#undef NIVO_TABLE_ENTRY
};
