#include "core/config_utility.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/settings_file.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"
#include "pages/wep_keys.h"

namespace {

void* HeapAllocate(std::size_t bytes) { return std::malloc(bytes); }
void HeapRelease(void* element) { std::free(element); }

constexpr std::uint32_t kWepKeyLength64 = 5;
constexpr std::uint32_t kWepKeyLength128 = 13;
constexpr std::int32_t kWepStatusEnabled = 0;
constexpr std::int32_t kWepStatusDisabled = 1;
constexpr std::int32_t kAuthModeAutomatic = 2;
constexpr int kLinkReadAttempts = 2;
constexpr int kChangedConfigAttempts = 2;

}  // namespace

void CopySsidToConfig(const ProfileWireless& profile, WlanConfig& config) {
  // A stored name longer than the 32 bytes of the exchange is cut to 32; the rest of the
  // field is cleared, so no byte of an older name stays behind.
  const std::size_t ssidLength =
      std::min<std::size_t>(FieldTextLength(profile.ssid, kProfileSsidSize), kMaxSsidLength);
  std::memset(config.ssid, 0, sizeof(config.ssid));
  std::memcpy(config.ssid, profile.ssid, ssidLength);
  config.ssidLength = static_cast<std::uint32_t>(ssidLength);
}

const CConfigUtility::KeyElementAllocator CConfigUtility::kHeapAllocator = {&HeapAllocate,
                                                                            &HeapRelease};

void RateCodeToRates(std::int32_t rateCode, std::uint8_t rates[kSupportedRatesSize]) {
  static constexpr std::uint8_t kAllRates[kSupportedRatesSize] = {108, 96, 72, 48, 36, 24, 22, 18};
  std::memset(rates, 0, kSupportedRatesSize);
  switch (rateCode) {
    case 1: rates[0] = 2; break;
    case 2: rates[0] = 4; break;
    case 3: rates[0] = 4; rates[1] = 2; break;
    case 4: rates[0] = 11; break;
    case 8: rates[0] = 22; break;
    case 15: std::memcpy(rates, kAllRates, kSupportedRatesSize); break;
    default: rates[0] = static_cast<std::uint8_t>(rateCode); break;
  }
}

void CConfigUtility::FillDefaultProfile(ProfileWireless& target) {
  std::memset(&target, 0, sizeof(target));
  target.channel = static_cast<std::int32_t>(std::strtol("6", nullptr, 10));
  target.rateCode = 15;
  target.operatingMode = 1;
  target.GMode = 1;
  std::strcpy(target.profileName, kDefaultProfileName);
  std::strcpy(target.ssid, "any");
  target.encryptionLevel = 0;
  target.defaultKeyIndex = 0;
  target.fragThreshold = 2346;
  target.rtsThreshold = 2347;
  target.preambleType = 0;
  target.powerSaveMode = 0;
  target.authType = 2;
  target.keyEntryMethod = 2;
  for (int s = 0; s < kWepKeyCount; ++s) {
    std::strcpy(target.keyText128[s], kDefaultKeyText128);
    std::strcpy(target.keyText64[s], kDefaultKeyText64);
    std::strcpy(target.activeKeyText[s], kDefaultKeyText64);
  }
}

bool CConfigUtility::BuildWepKeys(WlanConfig& config, std::uint32_t& dwWLFlag) {
  TraceMessage(" reg.encryptionLevel=%i", profile.encryptionLevel);
  if (profile.encryptionLevel == 0) {
    dwWLFlag |= wlflag::kWepStatus;
    config.wepStatus = kWepStatusDisabled;
    dwWLFlag |= wlflag::kAuthMode;
    config.authMode = kAuthModeAutomatic;
    for (auto& key : config.wepKey) key = nullptr;
    return true;
  }

  const std::uint32_t keyLength =
      profile.encryptionLevel == 1 ? kWepKeyLength64 : kWepKeyLength128;
  const std::uint32_t elementLength = keyLength + kWepKeyElementOverhead;
  const std::uint32_t flagOnEntry = dwWLFlag;
  // Whatever the record held in the pointers is not ours to free.
  for (auto& key : config.wepKey) key = nullptr;
  for (int s = 0; s < kWepKeyCount; ++s) {
    dwWLFlag |= wlflag::kWepKey0 << s;
    void* memory = keyAllocator.allocate(elementLength);
    if (memory == nullptr) {
      // Never send a record with a key missing: undo the keys built so far.
      FreeWepKeys(config);
      dwWLFlag = flagOnEntry;
      return false;
    }
    std::memset(memory, 0, elementLength);
    auto* element = static_cast<WepKeyElement*>(memory);
    config.wepKey[s] = element;
    element->length = elementLength;
    element->keyLength = keyLength;
    element->keyIndex = static_cast<std::uint32_t>(s);
    const char* text = profile.activeKeyText[s];
    const std::vector<std::uint8_t> bytes =
        KeyTextToBytes(std::string_view(text, FieldTextLength(text, kKeyText128Size)), keyLength);
    std::copy(bytes.begin(), bytes.end(), element->keyMaterial);
  }
  // A damaged profile's transmit key outside 0..3 falls back to key 1 rather than pointing
  // past the four slots.
  const std::int32_t transmit =
      profile.defaultKeyIndex >= 0 && profile.defaultKeyIndex < kWepKeyCount ? profile.defaultKeyIndex : 0;
  config.wepKey[transmit]->keyIndex |= kTransmitKeyBit;

  dwWLFlag |= wlflag::kWepStatus;
  config.wepStatus = kWepStatusEnabled;
  dwWLFlag |= wlflag::kAuthMode;
  config.authMode = kAuthModeAutomatic;
  return true;
}

void CConfigUtility::FreeWepKeys(WlanConfig& config) {
  for (auto& key : config.wepKey) {
    if (key != nullptr) {
      keyAllocator.release(key);
      key = nullptr;
    }
  }
}

void CConfigUtility::ApplyProfileToDriver() {
  TraceMessage("\n\n##### Setting domain %i\n", gIniDomain);
  Nivo().NIVO_SetWLDomain(gIniDomain);
  if (gZeroConfigActive == 1) {
    TraceMessage("Skip WLAN Config due to zero config");
    return;
  }

  // Bring the record's unselected parts (above all the rest of the radio configuration) to
  // the driver's current values; what could not be read stays zero.
  WlanConfig config;
  std::memset(&config, 0, sizeof(config));
  std::uint32_t dwWLFlag = wlflag::kFullPushPreRead;
  Nivo().NIVO_GetWLANConfig(&dwWLFlag, &config);

  dwWLFlag = wlflag::kSsid;
  CopySsidToConfig(profile, config);

  dwWLFlag |= wlflag::kInfrastructureMode;
  config.infrastructureMode = profile.operatingMode;

  dwWLFlag |= wlflag::kConfiguration;
  config.configuration.DSConfig =
      static_cast<std::uint32_t>(Nivo().NIVO_ChannelToFrequency(profile.channel));

  if (!BuildWepKeys(config, dwWLFlag)) return;

  dwWLFlag |= wlflag::kPowerMode;
  config.powerMode = profile.powerSaveMode;
  dwWLFlag |= wlflag::kFragThreshold;
  config.fragThreshold = profile.fragThreshold;
  dwWLFlag |= wlflag::kRtsThreshold;
  config.rtsThreshold = profile.rtsThreshold;

  // The rates travel in the record but are not selected in this push.
  config.GMode = profile.GMode;
  RateCodeToRates(profile.rateCode, config.supportedRates);

  dwWLFlag |= wlflag::kPreambleType;
  config.preambleType = profile.preambleType;

  Nivo().NIVO_SetDriverReg(&profile);
  Nivo().NIVO_SetWLANConfig(&dwWLFlag, &config);  // the full push ignores leftover bits
  FreeWepKeys(config);
}

bool CConfigUtility::ApplyChangedConfig(WlanConfig& config) {
  std::uint32_t dwWLFlag = wlflag::kChangedConfigSet;
  // The library reads at most the 32 SSID bytes the record has.
  if (config.ssidLength > kMaxSsidLength) config.ssidLength = kMaxSsidLength;
  if (!BuildWepKeys(config, dwWLFlag)) return false;
  for (int attempt = 0; attempt < kChangedConfigAttempts && dwWLFlag != 0; ++attempt) {
    Nivo().NIVO_SetWLANConfig(&dwWLFlag, &config);
  }
  FreeWepKeys(config);
  return dwWLFlag == 0;
}

int CConfigUtility::ReadLinkStatus(WlanConfig& config, int mode) {
  TraceMessage(" OID_GEN_MEDIA_CONNECT_STATUS ");
  std::uint32_t bytesWritten = 0;
  const std::int32_t status =
      Nivo().NIVO_QueryOID(kOidGenMediaConnectStatus, &config.mediaConnectStatus,
                           sizeof(config.mediaConnectStatus), &bytesWritten);
  if (status != 0 || bytesWritten != sizeof(config.mediaConnectStatus)) {
    TraceMessage("->Failed  ");
    return 0;
  }
  TraceMessage("->Succeed  ");
  if (config.mediaConnectStatus != kMediaConnected) return 1;

  // Each mode reads the fields of the modes after it as well.
  std::uint32_t dwWLFlag = 0;
  if (mode == 0) dwWLFlag |= wlflag::kInfrastructureMode | wlflag::kSupportedRates;
  if (mode == 0 || mode == 1) dwWLFlag |= wlflag::kConfiguration | wlflag::kBssid;
  if (mode == 0 || mode == 1 || mode == 2) {
    dwWLFlag |= wlflag::kStatus800 | wlflag::kSsid;
    if (config.infrastructureMode == 1) dwWLFlag |= wlflag::kStatus10 | wlflag::kStatus1000000;
  }

  // Another tick asks for nothing and so calls nothing.
  for (int attempt = 0; attempt < kLinkReadAttempts && dwWLFlag != 0; ++attempt) {
    TraceMessage(" . ");
    Nivo().NIVO_GetWLANConfig(&dwWLFlag, &config);
  }
  TraceMessage("dwWLFlag=(0x%X)", dwWLFlag);
  return dwWLFlag == 0 ? 1 : 0;
}
