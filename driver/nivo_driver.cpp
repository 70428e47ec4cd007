#include "driver/nivo_driver.h"

namespace {

// What a refused call answers: the failure value of each operation.
constexpr std::int32_t kRefused = -1;
constexpr std::int32_t kRefusedZero = 0;  // operations whose failure answer is 0

}  // namespace

// Runs one entry point under the lock; a terminated driver, or one without that entry
// point, answers `refused` without touching any argument.
template <typename Entry, typename... Args>
std::int32_t NivoDriver::Call(Entry NivoFunctions::*entry, std::int32_t refused, Args... args) {
  if (closing_) return refused;
  std::lock_guard<std::timed_mutex> hold(lock_);
  const Entry function = functions_.*entry;
  if (terminated_ || function == nullptr) return refused;
  return function(args...);
}

void NivoDriver::Bind(const NivoFunctions& functions) {
  std::lock_guard<std::timed_mutex> hold(lock_);
  functions_ = functions;
  terminated_ = false;
  closing_ = false;
}

bool NivoDriver::terminated() const { return terminated_; }

bool NivoDriver::BeginShutdown(std::uint32_t waitMs) {
  closing_ = true;
  if (holdsShutdownLock_) return true;
  holdsShutdownLock_ = lock_.try_lock_for(std::chrono::milliseconds(waitMs));
  return holdsShutdownLock_;
}

bool NivoDriver::FinishShutdown() {
  if (!holdsShutdownLock_) return false;
  bool terminatedNow = false;
  if (!terminated_ && functions_.NIVO_Terminate != nullptr) {
    functions_.NIVO_Terminate();
    terminatedNow = true;
  }
  terminated_ = true;
  holdsShutdownLock_ = false;
  lock_.unlock();
  return terminatedNow;
}

std::int32_t NivoDriver::NIVO_Init(const char* applicationName, std::int32_t reserved) {
  return Call(&NivoFunctions::NIVO_Init, kRefused, applicationName, reserved);
}

// The last call: after it the driver refuses everything, a second terminate included. The
// driver counts as terminated even when it was never bound, so the exit path leaves it in
// one defined state.
std::int32_t NivoDriver::NIVO_Terminate() {
  if (closing_) return kRefused;
  std::lock_guard<std::timed_mutex> hold(lock_);
  if (terminated_) return kRefused;
  terminated_ = true;
  if (functions_.NIVO_Terminate == nullptr) return kRefused;
  return functions_.NIVO_Terminate();
}

std::int32_t NivoDriver::NIVO_Detect(DetectInfo* info) {
  return Call(&NivoFunctions::NIVO_Detect, kRefusedZero, info);
}

std::int32_t NivoDriver::NIVO_SetProfileRoot(const char* root) {
  return Call(&NivoFunctions::NIVO_SetProfileRoot, kRefused, root);
}

std::int32_t NivoDriver::NIVO_EnumProfilesByType(std::int32_t index, char* nameOut,
                                                 std::int32_t type) {
  // Enumerations run until "no profile at this index": a refused call must end them.
  return Call(&NivoFunctions::NIVO_EnumProfilesByType, kNivoNoProfileAtIndex, index, nameOut, type);
}

std::int32_t NivoDriver::NIVO_GetActiveProfileByType(char* nameOut, std::int32_t type) {
  return Call(&NivoFunctions::NIVO_GetActiveProfileByType, kRefused, nameOut, type);
}

std::int32_t NivoDriver::NIVO_SetActiveProfileByType(const char* name, std::int32_t type) {
  return Call(&NivoFunctions::NIVO_SetActiveProfileByType, kRefused, name, type);
}

std::int32_t NivoDriver::NIVO_DeleteProfileByType(const char* name, std::int32_t type) {
  return Call(&NivoFunctions::NIVO_DeleteProfileByType, kRefused, name, type);
}

std::int32_t NivoDriver::NIVO_GetProfileWireless(const char* name, ProfileWireless* profile) {
  return Call(&NivoFunctions::NIVO_GetProfileWireless, kRefused, name, profile);
}

std::int32_t NivoDriver::NIVO_SetProfileWireless(const char* nameOrNull,
                                                 ProfileWireless* profile) {
  return Call(&NivoFunctions::NIVO_SetProfileWireless, kRefused, nameOrNull, profile);
}

std::int32_t NivoDriver::NIVO_SetDriverReg(ProfileWireless* profile) {
  return Call(&NivoFunctions::NIVO_SetDriverReg, kRefused, profile);
}

std::int32_t NivoDriver::NIVO_GetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  return Call(&NivoFunctions::NIVO_GetWLANConfig, kRefused, dwWLFlag, config);
}

std::int32_t NivoDriver::NIVO_SetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  return Call(&NivoFunctions::NIVO_SetWLANConfig, kRefused, dwWLFlag, config);
}

std::int32_t NivoDriver::NIVO_SetSSID(NdisSsid* ssid) {
  return Call(&NivoFunctions::NIVO_SetSSID, kRefused, ssid);
}

std::int32_t NivoDriver::NIVO_QueryOID(std::uint32_t oid, void* buffer, std::uint32_t length,
                                       std::uint32_t* bytesWritten) {
  return Call(&NivoFunctions::NIVO_QueryOID, kRefused, oid, buffer, length, bytesWritten);
}

std::int32_t NivoDriver::NIVO_ChannelToFrequency(std::int32_t channel) {
  return Call(&NivoFunctions::NIVO_ChannelToFrequency, kRefusedZero, channel);
}

std::int32_t NivoDriver::NIVO_FrequencyToChannel(std::int32_t frequency) {
  return Call(&NivoFunctions::NIVO_FrequencyToChannel, kRefusedZero, frequency);
}

std::int32_t NivoDriver::NIVO_SetChannel(std::int32_t* channel) {
  return Call(&NivoFunctions::NIVO_SetChannel, kRefused, channel);
}

std::int32_t NivoDriver::NIVO_SetOperatingMode(std::int32_t* mode) {
  return Call(&NivoFunctions::NIVO_SetOperatingMode, kRefused, mode);
}

std::int32_t NivoDriver::NIVO_SetWLDomain(std::int32_t domain) {
  return Call(&NivoFunctions::NIVO_SetWLDomain, kRefused, domain);
}

std::int32_t NivoDriver::NIVO_Get_XPWZC(std::int32_t* active) {
  return Call(&NivoFunctions::NIVO_Get_XPWZC, kRefused, active);
}

std::int32_t NivoDriver::NIVO_SiteSurveyTrigger() {
  return Call(&NivoFunctions::NIVO_SiteSurveyTrigger, kRefused);
}

std::int32_t NivoDriver::NIVO_SiteSurveyGet(void* buffer, std::uint32_t* size) {
  return Call(&NivoFunctions::NIVO_SiteSurveyGet, kRefusedZero, buffer, size);
}

std::int32_t NivoDriver::NIVO_GetWLANDriverPath(char* pathOut) {
  return Call(&NivoFunctions::NIVO_GetWLANDriverPath, kRefusedZero, pathOut);
}

NivoDriver& Nivo() {
  static NivoDriver driver;
  return driver;
}
