// The records exchanged with the driver-access library NIVO3.DLL, byte for byte. The
// library reads them by offset, so these layouts are interface formats: offsets, padding
// and reserved areas included. The layout asserts hold for the 32-bit build (the shipping
// interface); in 64-bit builds the four key pointers of WlanConfig widen to 8 bytes.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// ---------------------------------------------------------------- ProfileWireless
constexpr int kProfileNameSize = 65;
constexpr int kProfileSsidSize = 39;
constexpr int kPassphraseSize = 257;
constexpr int kKeyText128Size = 27;
constexpr int kKeyText64Size = 11;
constexpr int kWepKeyCount = 4;
constexpr int kMaxSsidLength = 32;

// One stored configuration profile, as the user edits it (1760 bytes, zero-filled).
struct ProfileWireless {
  std::int32_t channel;          // radio channel 1..14
  std::int32_t rateCode;         // transfer-rate code (RateCodeToRates)
  std::int32_t operatingMode;    // 0 ad hoc, 1 infrastructure
  std::int32_t GMode;            // 802.11g mode flag, passed on unchanged
  char profileName[kProfileNameSize];
  char ssid[kProfileSsidSize];   // at most 32 characters are used
  std::int32_t encryptionLevel;  // 0 WEP off, 1 64-bit, 2 128-bit
  char passphrase[kPassphraseSize];
  char keyText128[kWepKeyCount][kKeyText128Size];  // 26 hexadecimal digits each
  char keyText64[kWepKeyCount][kKeyText64Size];    // 10 hexadecimal digits each
  char activeKeyText[kWepKeyCount][kKeyText128Size];  // the texts sent to the driver
  std::uint8_t reserved1[3];
  std::int32_t defaultKeyIndex;  // transmit key 0..3
  std::int32_t fragThreshold;
  std::int32_t rtsThreshold;
  std::int32_t preambleType;     // 0 long, 1 short
  std::int32_t powerSaveMode;    // 0 off
  std::int32_t authType;         // 0 open, 1 shared key, 2 automatic (stored, never sent)
  std::int32_t keyEntryMethod;   // 1 passphrase, 2 manual hexadecimal, 3 manual ASCII
  std::uint8_t reserved2[1088];
};

// ---------------------------------------------------------------- WepKeyElement
// One WEP key for a set (key length + 15 bytes, from the heap, alive for one push).
struct WepKeyElement {
  std::uint32_t length;     // key length + 15
  std::uint32_t keyIndex;   // slot 0..3; kTransmitKeyBit on the default key
  std::uint32_t keyLength;  // 5 or 13
  std::uint8_t keyMaterial[1];  // keyLength bytes follow
};
constexpr std::uint32_t kTransmitKeyBit = 0x80000000u;
constexpr std::uint32_t kWepKeyElementOverhead = 15;

// ---------------------------------------------------------------- NDIS blocks
// NDIS_802_11_SSID: 32-bit length, then 32 bytes.
struct NdisSsid {
  std::uint32_t SsidLength;
  std::uint8_t Ssid[kMaxSsidLength];
};

// NDIS_802_11_CONFIGURATION: the radio configuration block (32 bytes).
struct NdisConfiguration {
  std::uint32_t Length;
  std::uint32_t BeaconPeriod;
  std::uint32_t ATIMWindow;
  std::uint32_t DSConfig;  // frequency in kHz
  std::uint8_t FHConfig[16];
};

// NDIS_WLAN_BSSID: one entry of a site survey (104 bytes).
struct NdisWlanBssid {
  std::uint32_t Length;
  std::uint8_t MacAddress[6];
  std::uint8_t Reserved[2];
  NdisSsid Ssid;
  std::uint32_t Privacy;              // non-zero: WEP
  std::int32_t Rssi;                  // dBm
  std::uint32_t NetworkTypeInUse;
  NdisConfiguration Configuration;
  std::uint32_t InfrastructureMode;   // 0 ad hoc, 1 infrastructure
  std::uint8_t SupportedRates[8];
};

// NDIS_802_11_BSSID_LIST: an item count, then the entries at a 104-byte stride.
constexpr std::size_t kBssidEntrySize = 104;
constexpr std::size_t kSurveyBufferEntries = 32;
constexpr std::size_t kSurveyBufferSize = 4 + kSurveyBufferEntries * kBssidEntrySize;  // 3332

// ---------------------------------------------------------------- WlanConfig
// The card's live configuration and status, read and written field by field as selected
// by the dwWLFlag mask (384 bytes in the 32-bit build).
struct WlanConfig {
  std::uint8_t bssid[6];
  std::uint8_t reserved0[2];
  std::uint32_t ssidLength;
  std::uint8_t ssid[kMaxSsidLength];
  std::int32_t rssi;
  std::int32_t infrastructureMode;
  std::uint8_t reserved1[8];
  NdisConfiguration configuration;  // configuration.DSConfig is dsFrequency
  WepKeyElement* wepKey[kWepKeyCount];
  std::int32_t wepStatus;  // 0 enabled, 1 disabled
  std::int32_t authMode;   // 0 open, 1 shared key, 2 automatic
  std::uint8_t reserved2[12];
  std::int32_t powerMode;
  std::uint8_t reserved3[4];
  std::int32_t fragThreshold;
  std::int32_t rtsThreshold;
  std::uint8_t reserved4[12];
  std::uint8_t supportedRates[8];  // NDIS rate bytes (RateMbitText)
  std::uint8_t reserved5[112];
  std::uint32_t mediaConnectStatus;  // 0 connected, 1 disconnected
  std::uint8_t reserved6[8];
  std::int32_t preambleType;
  std::uint8_t reserved7[4];
  char firmwareVersion[80];
  std::uint16_t channelMask;  // bit n-1 = channel n
  std::uint8_t reserved8[2];
  std::int32_t GMode;
};

// dwWLFlag selector bits: on a call the fields to read or write; on return the bits whose
// fields could not be read or written.
namespace wlflag {
constexpr std::uint32_t kBssid = 0x1;
constexpr std::uint32_t kSsid = 0x2;
constexpr std::uint32_t kPowerMode = 0x4;
constexpr std::uint32_t kReserved8 = 0x8;
constexpr std::uint32_t kStatus10 = 0x10;
constexpr std::uint32_t kInfrastructureMode = 0x20;
constexpr std::uint32_t kFragThreshold = 0x40;
constexpr std::uint32_t kRtsThreshold = 0x80;
constexpr std::uint32_t kSupportedRates = 0x200;
constexpr std::uint32_t kConfiguration = 0x400;
constexpr std::uint32_t kStatus800 = 0x800;
constexpr std::uint32_t kWepKey0 = 0x1000;  // key s: kWepKey0 << s
constexpr std::uint32_t kWepKeys = 0xF000;
constexpr std::uint32_t kWepStatus = 0x10000;
constexpr std::uint32_t kAuthMode = 0x20000;
constexpr std::uint32_t kReserved40000 = 0x40000;
constexpr std::uint32_t kStatus1000000 = 0x1000000;
constexpr std::uint32_t kPreambleType = 0x2000000;
constexpr std::uint32_t kFirmwareVersion = 0x4000000;
constexpr std::uint32_t kChannelMask = 0x8000000;
// What the full push reads first, so the record's unselected parts hold the driver's values.
constexpr std::uint32_t kFullPushPreRead = 0x207F6EE;
// What the changed-settings push writes.
constexpr std::uint32_t kChangedConfigSet = 0x626;
}  // namespace wlflag

// ---------------------------------------------------------------- DetectInfo
struct DetectInfo {
  char deviceName[128];
  char deviceDescription[128];
  char hardwareId[128];
  char driverDescription[128];
  std::int32_t detectKind;
};

// ---------------------------------------------------------------- constants
constexpr std::int32_t kProfileTypeWireless = 1;
constexpr std::int32_t kNivoNoProfileAtIndex = 3;     // NIVO_EnumProfilesByType
constexpr std::int32_t kNivoNoActiveProfile = -27;    // NIVO_GetActiveProfileByType
constexpr std::int32_t kNivoCardPresent = 1;          // NIVO_Detect
constexpr std::int32_t kNivoSuccess = 1;              // survey get, driver path
constexpr std::uint32_t kOidGenMediaConnectStatus = 0x00010114;
constexpr std::uint32_t kOidGenXmitOk = 0x00020101;  // frames sent
constexpr std::uint32_t kOidGenRcvOk = 0x00020102;   // frames received
constexpr std::uint32_t kMediaConnected = 0;
constexpr std::uint32_t kMediaDisconnected = 1;
constexpr std::size_t kProfileNameBufferSize = 260;  // name out of the profile calls
constexpr std::size_t kDriverPathBufferSize = 260;   // NIVO_GetWLANDriverPath

// ---------------------------------------------------------------- rates
// An NDIS rate byte holds a rate in units of 500 kbit/s in its low seven bits; bit 0x80 marks
// a basic rate of the network (one every station of it must support), not a faster rate.
constexpr std::uint8_t kBasicRateBit = 0x80;

// The rate of an NDIS rate byte in Mbit/s as the user reads it, the basic-rate bit left out:
// 108 -> "54", 22 and 0x96 -> "11", 11 -> "5.5".
inline std::string RateMbitText(std::uint8_t rateByte) {
  const unsigned halfMbits = rateByte & ~unsigned{kBasicRateBit};
  std::string text = std::to_string(halfMbits / 2);
  if (halfMbits % 2 != 0) text += ".5";
  return text;
}

// ---------------------------------------------------------------- text fields
// The text fields of the records are fixed arrays that a damaged or foreign record may fill
// without a terminator. Readers and writers of those fields go through these two helpers.

// Length of a text held in a fixed field: up to its NUL, never past the field.
inline std::size_t FieldTextLength(const char* field, std::size_t fieldSize) {
  const void* nul = std::memchr(field, '\0', fieldSize);
  return nul == nullptr ? fieldSize : static_cast<std::size_t>(static_cast<const char*>(nul) - field);
}
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, FieldTextLength(field, N));
}

// Writes `text` into a fixed field: at most N-1 characters (cut at an embedded NUL too), the
// rest of the field cleared, so the field always ends in a terminator and keeps no byte of
// an older text.
template <std::size_t N>
void SetFieldText(char (&field)[N], std::string_view text) {
  std::size_t length = std::min(text.size(), N - 1);
  if (length != 0) length = FieldTextLength(text.data(), length);
  std::memset(field, 0, N);
  if (length != 0) std::memcpy(field, text.data(), length);
}

// ---------------------------------------------------------------- layout
static_assert(sizeof(ProfileWireless) == 1760);
static_assert(offsetof(ProfileWireless, channel) == 0);
static_assert(offsetof(ProfileWireless, rateCode) == 4);
static_assert(offsetof(ProfileWireless, operatingMode) == 8);
static_assert(offsetof(ProfileWireless, GMode) == 12);
static_assert(offsetof(ProfileWireless, profileName) == 16);
static_assert(offsetof(ProfileWireless, ssid) == 81);
static_assert(offsetof(ProfileWireless, encryptionLevel) == 120);
static_assert(offsetof(ProfileWireless, passphrase) == 124);
static_assert(offsetof(ProfileWireless, keyText128) == 381);
static_assert(offsetof(ProfileWireless, keyText64) == 489);
static_assert(offsetof(ProfileWireless, activeKeyText) == 533);
static_assert(offsetof(ProfileWireless, reserved1) == 641);
static_assert(offsetof(ProfileWireless, defaultKeyIndex) == 644);
static_assert(offsetof(ProfileWireless, fragThreshold) == 648);
static_assert(offsetof(ProfileWireless, rtsThreshold) == 652);
static_assert(offsetof(ProfileWireless, preambleType) == 656);
static_assert(offsetof(ProfileWireless, powerSaveMode) == 660);
static_assert(offsetof(ProfileWireless, authType) == 664);
static_assert(offsetof(ProfileWireless, keyEntryMethod) == 668);
static_assert(offsetof(ProfileWireless, reserved2) == 672);

static_assert(offsetof(WepKeyElement, length) == 0);
static_assert(offsetof(WepKeyElement, keyIndex) == 4);
static_assert(offsetof(WepKeyElement, keyLength) == 8);
static_assert(offsetof(WepKeyElement, keyMaterial) == 12);

static_assert(sizeof(NdisSsid) == 36);
static_assert(sizeof(NdisConfiguration) == 32);
static_assert(offsetof(NdisConfiguration, DSConfig) == 12);
static_assert(sizeof(NdisWlanBssid) == kBssidEntrySize);
static_assert(offsetof(NdisWlanBssid, MacAddress) == 4);
static_assert(offsetof(NdisWlanBssid, Ssid) + offsetof(NdisSsid, SsidLength) == 12);
static_assert(offsetof(NdisWlanBssid, Ssid) + offsetof(NdisSsid, Ssid) == 16);
static_assert(offsetof(NdisWlanBssid, Privacy) == 48);
static_assert(offsetof(NdisWlanBssid, Rssi) == 52);
static_assert(offsetof(NdisWlanBssid, Configuration) + offsetof(NdisConfiguration, DSConfig) == 72);
static_assert(offsetof(NdisWlanBssid, InfrastructureMode) == 92);

static_assert(sizeof(DetectInfo) == 516);
static_assert(offsetof(DetectInfo, deviceDescription) == 128);
static_assert(offsetof(DetectInfo, hardwareId) == 256);
static_assert(offsetof(DetectInfo, driverDescription) == 384);
static_assert(offsetof(DetectInfo, detectKind) == 512);

// WlanConfig fields before the key pointers are the same in both widths.
static_assert(offsetof(WlanConfig, bssid) == 0);
static_assert(offsetof(WlanConfig, ssidLength) == 8);
static_assert(offsetof(WlanConfig, ssid) == 12);
static_assert(offsetof(WlanConfig, rssi) == 44);
static_assert(offsetof(WlanConfig, infrastructureMode) == 48);
static_assert(offsetof(WlanConfig, configuration) == 60);
static_assert(offsetof(WlanConfig, configuration) + offsetof(NdisConfiguration, DSConfig) == 72);

#if UINTPTR_MAX == 0xFFFFFFFFu
// The shipping 32-bit interface.
static_assert(sizeof(WlanConfig) == 384);
static_assert(offsetof(WlanConfig, wepKey) == 92);
static_assert(offsetof(WlanConfig, wepStatus) == 108);
static_assert(offsetof(WlanConfig, authMode) == 112);
static_assert(offsetof(WlanConfig, powerMode) == 128);
static_assert(offsetof(WlanConfig, fragThreshold) == 136);
static_assert(offsetof(WlanConfig, rtsThreshold) == 140);
static_assert(offsetof(WlanConfig, supportedRates) == 156);
static_assert(offsetof(WlanConfig, mediaConnectStatus) == 276);
static_assert(offsetof(WlanConfig, preambleType) == 288);
static_assert(offsetof(WlanConfig, firmwareVersion) == 296);
static_assert(offsetof(WlanConfig, channelMask) == 376);
static_assert(offsetof(WlanConfig, GMode) == 380);
#else
// 64-bit: the key pointers are 8 bytes and aligned to 8 (4 bytes of padding before them),
// so every field after them moves by 20 bytes.
static_assert(offsetof(WlanConfig, wepKey) == 96);
static_assert(offsetof(WlanConfig, wepStatus) == 128);
static_assert(offsetof(WlanConfig, powerMode) == 148);
static_assert(offsetof(WlanConfig, supportedRates) == 176);
static_assert(offsetof(WlanConfig, mediaConnectStatus) == 296);
static_assert(offsetof(WlanConfig, firmwareVersion) == 316);
static_assert(offsetof(WlanConfig, channelMask) == 396);
static_assert(offsetof(WlanConfig, GMode) == 400);
static_assert(sizeof(WlanConfig) == 408);
#endif
