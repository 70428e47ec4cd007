// A stand-in NIVO3.DLL for the loader's tests, not a card: each operation answers its own
// fixed code, so a test can see that every entry of the program's table reached the export
// of the same name. Built twice: complete, and without NIVO_SiteSurveyGet
// (NIVO_FIXTURE_WITHOUT_SURVEY_GET) to show the loader's missing-operation message.
#include <cstdint>

#include "driver/nivo_records.h"

#define FIXTURE_EXPORT extern "C" __declspec(dllexport) std::int32_t __stdcall

// The answers, one per operation.
namespace fixture {
constexpr std::int32_t kInit = 101, kTerminate = 102, kDetect = 103, kSetProfileRoot = 104,
                       kEnumProfiles = 105, kGetActiveProfile = 106, kSetActiveProfile = 107,
                       kDeleteProfile = 108, kGetProfile = 109, kSetProfile = 110,
                       kSetDriverReg = 111, kGetWlanConfig = 112, kSetWlanConfig = 113,
                       kSetSsid = 114, kQueryOid = 115, kSetChannel = 118,
                       kSetOperatingMode = 119, kSetDomain = 120, kGetXpwzc = 121,
                       kSurveyTrigger = 122, kSurveyGet = 123, kDriverPath = 124;
}  // namespace fixture

FIXTURE_EXPORT NIVO_Init(const char*, std::int32_t) { return fixture::kInit; }
FIXTURE_EXPORT NIVO_Terminate() { return fixture::kTerminate; }
FIXTURE_EXPORT NIVO_Detect(DetectInfo*) { return fixture::kDetect; }
FIXTURE_EXPORT NIVO_SetProfileRoot(const char*) { return fixture::kSetProfileRoot; }
FIXTURE_EXPORT NIVO_EnumProfilesByType(std::int32_t, char*, std::int32_t) { return fixture::kEnumProfiles; }
FIXTURE_EXPORT NIVO_GetActiveProfileByType(char*, std::int32_t) { return fixture::kGetActiveProfile; }
FIXTURE_EXPORT NIVO_SetActiveProfileByType(const char*, std::int32_t) { return fixture::kSetActiveProfile; }
FIXTURE_EXPORT NIVO_DeleteProfileByType(const char*, std::int32_t) { return fixture::kDeleteProfile; }
FIXTURE_EXPORT NIVO_GetProfileWireless(const char*, ProfileWireless*) { return fixture::kGetProfile; }
FIXTURE_EXPORT NIVO_SetProfileWireless(const char*, ProfileWireless*) { return fixture::kSetProfile; }
FIXTURE_EXPORT NIVO_SetDriverReg(ProfileWireless*) { return fixture::kSetDriverReg; }
FIXTURE_EXPORT NIVO_GetWLANConfig(std::uint32_t* flag, WlanConfig*) {
  *flag &= 0x800;  // one field it cannot read
  return fixture::kGetWlanConfig;
}
FIXTURE_EXPORT NIVO_SetWLANConfig(std::uint32_t* flag, WlanConfig*) {
  *flag = 0;
  return fixture::kSetWlanConfig;
}
FIXTURE_EXPORT NIVO_SetSSID(NdisSsid*) { return fixture::kSetSsid; }
FIXTURE_EXPORT NIVO_QueryOID(std::uint32_t, void*, std::uint32_t, std::uint32_t* written) {
  *written = 0;
  return fixture::kQueryOid;
}
FIXTURE_EXPORT NIVO_ChannelToFrequency(std::int32_t channel) { return 2407000 + 5000 * channel; }
FIXTURE_EXPORT NIVO_FrequencyToChannel(std::int32_t frequency) { return (frequency - 2407000) / 5000; }
FIXTURE_EXPORT NIVO_SetChannel(std::int32_t*) { return fixture::kSetChannel; }
FIXTURE_EXPORT NIVO_SetOperatingMode(std::int32_t*) { return fixture::kSetOperatingMode; }
FIXTURE_EXPORT NIVO_SetWLDomain(std::int32_t domain) { return fixture::kSetDomain * 10 + domain; }
FIXTURE_EXPORT NIVO_Get_XPWZC(std::int32_t* active) {
  *active = 0;
  return fixture::kGetXpwzc;
}
FIXTURE_EXPORT NIVO_SiteSurveyTrigger() { return fixture::kSurveyTrigger; }
#if !defined(NIVO_FIXTURE_WITHOUT_SURVEY_GET)
FIXTURE_EXPORT NIVO_SiteSurveyGet(void*, std::uint32_t*) { return fixture::kSurveyGet; }
#endif
FIXTURE_EXPORT NIVO_GetWLANDriverPath(char*) { return fixture::kDriverPath; }
