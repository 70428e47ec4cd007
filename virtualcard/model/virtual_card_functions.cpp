#include "virtualcard/model/virtual_card_functions.h"

namespace {

vcard::VirtualCard& Card() { return VirtualCardInstance(); }

std::int32_t NIVO_CALL Init(const char* applicationName, std::int32_t reserved) {
  return Card().NIVO_Init(applicationName, reserved);
}
std::int32_t NIVO_CALL Terminate() { return Card().NIVO_Terminate(); }
std::int32_t NIVO_CALL Detect(DetectInfo* info) { return Card().NIVO_Detect(info); }
std::int32_t NIVO_CALL SetProfileRoot(const char* root) { return Card().NIVO_SetProfileRoot(root); }
std::int32_t NIVO_CALL EnumProfilesByType(std::int32_t index, char* nameOut, std::int32_t type) {
  return Card().NIVO_EnumProfilesByType(index, nameOut, type);
}
std::int32_t NIVO_CALL GetActiveProfileByType(char* nameOut, std::int32_t type) {
  return Card().NIVO_GetActiveProfileByType(nameOut, type);
}
std::int32_t NIVO_CALL SetActiveProfileByType(const char* name, std::int32_t type) {
  return Card().NIVO_SetActiveProfileByType(name, type);
}
std::int32_t NIVO_CALL DeleteProfileByType(const char* name, std::int32_t type) {
  return Card().NIVO_DeleteProfileByType(name, type);
}
std::int32_t NIVO_CALL GetProfileWireless(const char* name, ProfileWireless* profile) {
  return Card().NIVO_GetProfileWireless(name, profile);
}
std::int32_t NIVO_CALL SetProfileWireless(const char* nameOrNull, ProfileWireless* profile) {
  return Card().NIVO_SetProfileWireless(nameOrNull, profile);
}
std::int32_t NIVO_CALL SetDriverReg(ProfileWireless* profile) { return Card().NIVO_SetDriverReg(profile); }
std::int32_t NIVO_CALL GetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  return Card().NIVO_GetWLANConfig(dwWLFlag, config);
}
std::int32_t NIVO_CALL SetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  return Card().NIVO_SetWLANConfig(dwWLFlag, config);
}
std::int32_t NIVO_CALL SetSSID(NdisSsid* ssid) { return Card().NIVO_SetSSID(ssid); }
std::int32_t NIVO_CALL QueryOID(std::uint32_t oid, void* buffer, std::uint32_t length, std::uint32_t* bytesWritten) {
  return Card().NIVO_QueryOID(oid, buffer, length, bytesWritten);
}
std::int32_t NIVO_CALL ChannelToFrequency(std::int32_t channel) { return Card().NIVO_ChannelToFrequency(channel); }
std::int32_t NIVO_CALL FrequencyToChannel(std::int32_t frequency) { return Card().NIVO_FrequencyToChannel(frequency); }
std::int32_t NIVO_CALL SetChannel(std::int32_t* channel) { return Card().NIVO_SetChannel(channel); }
std::int32_t NIVO_CALL SetOperatingMode(std::int32_t* mode) { return Card().NIVO_SetOperatingMode(mode); }
std::int32_t NIVO_CALL SetWLDomain(std::int32_t domain) { return Card().NIVO_SetWLDomain(domain); }
std::int32_t NIVO_CALL Get_XPWZC(std::int32_t* active) { return Card().NIVO_Get_XPWZC(active); }
std::int32_t NIVO_CALL SiteSurveyTrigger() { return Card().NIVO_SiteSurveyTrigger(); }
std::int32_t NIVO_CALL SiteSurveyGet(void* buffer, std::uint32_t* size) { return Card().NIVO_SiteSurveyGet(buffer, size); }
std::int32_t NIVO_CALL GetWLANDriverPath(char* pathOut) { return Card().NIVO_GetWLANDriverPath(pathOut); }

}  // namespace

vcard::VirtualCard& VirtualCardInstance() {
  // Created on first use and never destroyed: the card outlives every thread that may call it
  // while the process ends.
  static vcard::VirtualCard* card = new vcard::VirtualCard();
  return *card;
}

NivoFunctions VirtualCardFunctions() {
  NivoFunctions f;
  f.NIVO_Init = Init;
  f.NIVO_Terminate = Terminate;
  f.NIVO_Detect = Detect;
  f.NIVO_SetProfileRoot = SetProfileRoot;
  f.NIVO_EnumProfilesByType = EnumProfilesByType;
  f.NIVO_GetActiveProfileByType = GetActiveProfileByType;
  f.NIVO_SetActiveProfileByType = SetActiveProfileByType;
  f.NIVO_DeleteProfileByType = DeleteProfileByType;
  f.NIVO_GetProfileWireless = GetProfileWireless;
  f.NIVO_SetProfileWireless = SetProfileWireless;
  f.NIVO_SetDriverReg = SetDriverReg;
  f.NIVO_GetWLANConfig = GetWLANConfig;
  f.NIVO_SetWLANConfig = SetWLANConfig;
  f.NIVO_SetSSID = SetSSID;
  f.NIVO_QueryOID = QueryOID;
  f.NIVO_ChannelToFrequency = ChannelToFrequency;
  f.NIVO_FrequencyToChannel = FrequencyToChannel;
  f.NIVO_SetChannel = SetChannel;
  f.NIVO_SetOperatingMode = SetOperatingMode;
  f.NIVO_SetWLDomain = SetWLDomain;
  f.NIVO_Get_XPWZC = Get_XPWZC;
  f.NIVO_SiteSurveyTrigger = SiteSurveyTrigger;
  f.NIVO_SiteSurveyGet = SiteSurveyGet;
  f.NIVO_GetWLANDriverPath = GetWLANDriverPath;
  return f;
}

void ResetVirtualCard() {
  vcard::VirtualCard& card = Card();
  card.SetCallLog(nullptr);
  card.SetProfileStore(nullptr);
  card.SetThreadId(nullptr);
  card.SetClock(nullptr);
  card.Reset(vcard::BuiltInWorld());
}

bool LoadVirtualCardScenario(std::string_view text, std::vector<std::string>* errors) {
  vcard::ScenarioResult scenario = vcard::ParseScenario(text);
  if (errors) *errors = scenario.errors;
  bool clean = scenario.errors.empty();
  Card().Reset(scenario.world, std::move(scenario.errors));
  return clean;
}

void SetVirtualCardClock(std::function<std::uint64_t()> clock) { Card().SetClock(std::move(clock)); }
