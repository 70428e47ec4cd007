// The virtual card's call log: one JSON line per operation, in the order the calls were made,
// with the call's arguments, what it gave back and its result. One wrapper (below) makes every
// operation of NIVO_OPERATIONS: it takes the card's lock, formats the arguments, lets the
// card answer and formats what came back. Each operation's fields are written by its pair of
// functions LogBefore_<name> / LogAfter_<name>.
#include <algorithm>
#include <cstring>

#include "virtualcard/model/card_fields.h"
#include "virtualcard/model/virtual_card.h"

namespace vcard {
namespace {

// A text argument for the log: null, or at most kMaxTextArgument bytes.
void LogText(JsonObject& e, const char* key, const char* text) {
  if (!text) e.Null(key);
  else e.Str(key, std::string_view(text, BoundedLength(text, kMaxTextArgument)));
}

void LogProfile(JsonObject& e, const ProfileWireless& p) {
  if (e.muted()) return;
  auto text = [](const char* field, std::size_t size) {
    return std::string_view(field, BoundedLength(field, size));
  };
  auto keys = [&](const char(*slots)[kKeyText128Size]) {
    JsonArray a;
    for (int s = 0; s < kWepKeyCount; ++s) a.Add(JsonString(text(slots[s], kKeyText128Size)));
    return a.str();
  };
  JsonArray keys64;
  for (int s = 0; s < kWepKeyCount; ++s) keys64.Add(JsonString(text(p.keyText64[s], kKeyText64Size)));
  e.Int("channel", p.channel)
      .Int("rateCode", p.rateCode)
      .Int("operatingMode", p.operatingMode)
      .Int("GMode", p.GMode)
      .Str("profileName", text(p.profileName, kProfileNameSize))
      .Str("ssid", text(p.ssid, kProfileSsidSize))
      .Int("encryptionLevel", p.encryptionLevel)
      .Str("passphrase", text(p.passphrase, kPassphraseSize))
      .Raw("keyText128", keys(p.keyText128))
      .Raw("keyText64", keys64.str())
      .Raw("activeKeyText", keys(p.activeKeyText))
      .Int("defaultKeyIndex", p.defaultKeyIndex)
      .Int("fragThreshold", p.fragThreshold)
      .Int("rtsThreshold", p.rtsThreshold)
      .Int("preambleType", p.preambleType)
      .Int("powerSaveMode", p.powerSaveMode)
      .Int("authType", p.authType)
      .Int("keyEntryMethod", p.keyEntryMethod);
}

// The WlanConfig fields of the given bits, by name. Key elements are decoded only for a set
// (a get never touches them); an element is read only as far as its own lengths allow.
void LogConfig(JsonObject& e, const WlanConfig& c, std::uint32_t bits, bool set) {
  using namespace wlflag;
  if (e.muted()) return;
  if (bits & kBssid) e.Str("bssid", FormatBssid({c.bssid[0], c.bssid[1], c.bssid[2], c.bssid[3], c.bssid[4], c.bssid[5]}));
  if (bits & kSsid) {
    e.Int("ssidLength", c.ssidLength);
    e.Str("ssid", std::string_view(reinterpret_cast<const char*>(c.ssid), std::min<std::uint32_t>(c.ssidLength, kMaxSsidLength)));
  }
  if (bits & kPowerMode) e.Int("powerMode", c.powerMode);
  if (bits & kReserved8) e.Int("networkTypeInUse", GetWord(c.reserved2, 0));
  if (bits & kStatus10) e.Int("linkSpeed", GetWord(c.reserved1, 0));
  if (bits & kInfrastructureMode) e.Int("infrastructureMode", c.infrastructureMode);
  if (bits & kFragThreshold) e.Int("fragThreshold", c.fragThreshold);
  if (bits & kRtsThreshold) e.Int("rtsThreshold", c.rtsThreshold);
  if (bits & kSupportedRates) e.HexBytes("supportedRates", c.supportedRates, sizeof c.supportedRates);
  if (bits & kConfiguration) e.Int("dsFrequency", c.configuration.DSConfig);
  if (bits & kStatus800) e.Int("rssi", c.rssi);
  if (set && (bits & kWepKeys)) {
    JsonArray keys;
    for (int s = 0; s < kWepKeyCount; ++s) {
      if (!(bits & (kWepKey0 << s))) continue;
      JsonObject k;
      k.Int("slot", s);
      const WepKeyElement* element = c.wepKey[s];
      if (!element) {
        k.Null("element");
      } else {
        k.Int("length", element->length).Hex("keyIndex", element->keyIndex).Int("keyLength", element->keyLength);
        if ((element->keyLength == 5 || element->keyLength == 13) && element->length == element->keyLength + kWepKeyElementOverhead)
          k.HexBytes("keyMaterial", element->keyMaterial, element->keyLength);
        else
          k.Null("keyMaterial");
      }
      keys.Add(k.str());
    }
    e.Raw("wepKey", keys.str());
  }
  if (bits & kWepStatus) e.Int("wepStatus", c.wepStatus);
  if (bits & kAuthMode) e.Int("authMode", c.authMode);
  if (bits & kReserved40000) e.Int("privacyFilter", GetWord(c.reserved2, 1));
  if (bits & kStatus1000000) e.Int("linkQuality", GetWord(c.reserved1, 1));
  if (bits & kPreambleType) e.Int("preambleType", c.preambleType);
  if (bits & kFirmwareVersion)
    e.Str("firmwareVersion", std::string_view(c.firmwareVersion, BoundedLength(c.firmwareVersion, sizeof c.firmwareVersion)));
  if (bits & kChannelMask) e.Hex("channelMask", c.channelMask);
  if (set) e.Int("GMode", c.GMode);
}

// ---------------------------------------------------------------- each operation's fields

void LogBefore_NIVO_Init(JsonObject& e, CallNote&, const char* applicationName, std::int32_t reserved) {
  LogText(e, "applicationName", applicationName);
  e.Int("reserved", reserved);
}
void LogAfter_NIVO_Init(JsonObject&, const CallNote&, std::int32_t, const char*, std::int32_t) {}

void LogBefore_NIVO_Terminate(JsonObject&, CallNote&) {}
void LogAfter_NIVO_Terminate(JsonObject&, const CallNote&, std::int32_t) {}

void LogBefore_NIVO_Detect(JsonObject& e, CallNote&, DetectInfo* info) {
  if (!info) {
    e.Null("detectInfo");
    return;
  }
  e.Str("deviceName", FieldText(info->deviceName))
      .Str("deviceDescription", FieldText(info->deviceDescription))
      .Str("hardwareId", FieldText(info->hardwareId))
      .Str("driverDescription", FieldText(info->driverDescription))
      .Int("detectKind", info->detectKind);
}
void LogAfter_NIVO_Detect(JsonObject&, const CallNote&, std::int32_t, DetectInfo*) {}

void LogBefore_NIVO_SetProfileRoot(JsonObject& e, CallNote&, const char* root) { LogText(e, "root", root); }
void LogAfter_NIVO_SetProfileRoot(JsonObject&, const CallNote&, std::int32_t, const char*) {}

void LogBefore_NIVO_EnumProfilesByType(JsonObject& e, CallNote&, std::int32_t index, char*, std::int32_t type) {
  e.Int("index", index).Int("type", type);
}
void LogAfter_NIVO_EnumProfilesByType(JsonObject& e, const CallNote&, std::int32_t result, std::int32_t, char* nameOut,
                                      std::int32_t) {
  if (result == 0) e.Str("name", nameOut);
}

void LogBefore_NIVO_GetActiveProfileByType(JsonObject& e, CallNote&, char*, std::int32_t type) { e.Int("type", type); }
void LogAfter_NIVO_GetActiveProfileByType(JsonObject& e, const CallNote&, std::int32_t result, char* nameOut,
                                          std::int32_t) {
  if (result == 0) e.Str("name", nameOut);
}

void LogBefore_NIVO_SetActiveProfileByType(JsonObject& e, CallNote&, const char* name, std::int32_t type) {
  LogText(e, "name", name);
  e.Int("type", type);
}
void LogAfter_NIVO_SetActiveProfileByType(JsonObject&, const CallNote&, std::int32_t, const char*, std::int32_t) {}

void LogBefore_NIVO_DeleteProfileByType(JsonObject& e, CallNote&, const char* name, std::int32_t type) {
  LogText(e, "name", name);
  e.Int("type", type);
}
void LogAfter_NIVO_DeleteProfileByType(JsonObject&, const CallNote&, std::int32_t, const char*, std::int32_t) {}

void LogBefore_NIVO_GetProfileWireless(JsonObject& e, CallNote&, const char* name, ProfileWireless*) {
  LogText(e, "name", name);
}
void LogAfter_NIVO_GetProfileWireless(JsonObject& e, const CallNote&, std::int32_t result, const char*,
                                      ProfileWireless* profile) {
  if (result == 0) LogProfile(e, *profile);
}

void LogBefore_NIVO_SetProfileWireless(JsonObject& e, CallNote&, const char* nameOrNull, ProfileWireless* profile) {
  LogText(e, "name", nameOrNull);
  if (profile) LogProfile(e, *profile);
}
void LogAfter_NIVO_SetProfileWireless(JsonObject&, const CallNote&, std::int32_t, const char*, ProfileWireless*) {}

void LogBefore_NIVO_SetDriverReg(JsonObject& e, CallNote&, ProfileWireless* profile) {
  if (profile) LogProfile(e, *profile);
}
void LogAfter_NIVO_SetDriverReg(JsonObject&, const CallNote&, std::int32_t, ProfileWireless*) {}

// A WLAN configuration call: the selector bits it was given, then (for a get) the fields the
// card served, and the bits left.
void LogBefore_NIVO_GetWLANConfig(JsonObject& e, CallNote& note, std::uint32_t* dwWLFlag, WlanConfig* config) {
  if (!dwWLFlag || !config) {
    e.Str("error", "null argument");
    return;
  }
  note.flagsIn = *dwWLFlag;
  e.Hex("dwWLFlag_in", note.flagsIn);
}
void LogAfter_NIVO_GetWLANConfig(JsonObject& e, const CallNote& note, std::int32_t, std::uint32_t* dwWLFlag,
                                 WlanConfig* config) {
  if (!dwWLFlag || !config) return;
  if (note.present) LogConfig(e, *config, note.flagsIn & ~*dwWLFlag, false);
  else e.Bool("present", false);
  e.Hex("dwWLFlag_out", *dwWLFlag);
}

void LogBefore_NIVO_SetWLANConfig(JsonObject& e, CallNote&, std::uint32_t* dwWLFlag, WlanConfig* config) {
  if (!dwWLFlag || !config) {
    e.Str("error", "null argument");
    return;
  }
  e.Hex("dwWLFlag_in", *dwWLFlag);
  LogConfig(e, *config, *dwWLFlag, true);
}
void LogAfter_NIVO_SetWLANConfig(JsonObject& e, const CallNote& note, std::int32_t, std::uint32_t* dwWLFlag,
                                 WlanConfig* config) {
  if (!dwWLFlag || !config) return;
  if (!note.present) e.Bool("present", false);
  e.Hex("dwWLFlag_out", *dwWLFlag);
}

void LogBefore_NIVO_SetSSID(JsonObject& e, CallNote&, NdisSsid* ssid) {
  if (!ssid) {
    e.Null("ssid");
    return;
  }
  e.Int("ssidLength", ssid->SsidLength);
  e.Str("ssid", std::string_view(reinterpret_cast<const char*>(ssid->Ssid), std::min<std::uint32_t>(ssid->SsidLength, kMaxSsidLength)));
}
void LogAfter_NIVO_SetSSID(JsonObject&, const CallNote&, std::int32_t, NdisSsid*) {}

void LogBefore_NIVO_QueryOID(JsonObject& e, CallNote&, std::uint32_t oid, void*, std::uint32_t length, std::uint32_t*) {
  e.Hex("oid", oid).Int("length", length);
}
void LogAfter_NIVO_QueryOID(JsonObject& e, const CallNote&, std::int32_t result, std::uint32_t, void* buffer,
                            std::uint32_t, std::uint32_t* bytesWritten) {
  if (result == 0) {
    std::uint32_t value;
    std::memcpy(&value, buffer, 4);
    e.Int("value", value);
  }
  e.Int("bytesWritten", bytesWritten ? *bytesWritten : 0);
}

void LogBefore_NIVO_ChannelToFrequency(JsonObject& e, CallNote&, std::int32_t channel) { e.Int("channel", channel); }
void LogAfter_NIVO_ChannelToFrequency(JsonObject&, const CallNote&, std::int32_t, std::int32_t) {}

void LogBefore_NIVO_FrequencyToChannel(JsonObject& e, CallNote&, std::int32_t frequency) {
  e.Int("frequency", frequency);
}
void LogAfter_NIVO_FrequencyToChannel(JsonObject&, const CallNote&, std::int32_t, std::int32_t) {}

void LogBefore_NIVO_SetChannel(JsonObject& e, CallNote&, std::int32_t* channel) {
  if (!channel) e.Null("channel");
  else e.Int("channel", *channel);
}
void LogAfter_NIVO_SetChannel(JsonObject&, const CallNote&, std::int32_t, std::int32_t*) {}

void LogBefore_NIVO_SetOperatingMode(JsonObject& e, CallNote&, std::int32_t* mode) {
  if (!mode) e.Null("mode");
  else e.Int("mode", *mode);
}
void LogAfter_NIVO_SetOperatingMode(JsonObject&, const CallNote&, std::int32_t, std::int32_t*) {}

void LogBefore_NIVO_SetWLDomain(JsonObject& e, CallNote&, std::int32_t domain) { e.Int("domain", domain); }
void LogAfter_NIVO_SetWLDomain(JsonObject& e, const CallNote&, std::int32_t result, std::int32_t domain) {
  if (result == 0) e.Hex("channelMask", ChannelMaskForDomain(domain));
}

void LogBefore_NIVO_Get_XPWZC(JsonObject&, CallNote&, std::int32_t*) {}
void LogAfter_NIVO_Get_XPWZC(JsonObject& e, const CallNote&, std::int32_t result, std::int32_t*) {
  e.Int("active", result);
}

void LogBefore_NIVO_SiteSurveyTrigger(JsonObject&, CallNote&) {}
void LogAfter_NIVO_SiteSurveyTrigger(JsonObject&, const CallNote&, std::int32_t) {}

void LogBefore_NIVO_SiteSurveyGet(JsonObject& e, CallNote&, void* buffer, std::uint32_t* size) {
  if (!buffer || !size) e.Str("error", "null argument");
  else e.Int("sizeIn", *size);
}
// The networks heard, how many entries were written and what they hold.
void LogAfter_NIVO_SiteSurveyGet(JsonObject& e, const CallNote& note, std::int32_t result, void* buffer,
                                 std::uint32_t* size) {
  if (!buffer || !size) return;
  if (result == kNivoSuccess) {
    const auto* out = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t count;
    std::memcpy(&count, out, 4);
    JsonArray listed;
    for (std::uint32_t i = 0; i < count; ++i) {
      NdisWlanBssid entry;
      std::memcpy(&entry, out + 4 + i * kBssidEntrySize, kBssidEntrySize);
      JsonObject item;
      item.Str("bssid", FormatBssid({entry.MacAddress[0], entry.MacAddress[1], entry.MacAddress[2], entry.MacAddress[3],
                                     entry.MacAddress[4], entry.MacAddress[5]}))
          .Str("ssid", std::string_view(reinterpret_cast<const char*>(entry.Ssid.Ssid), entry.Ssid.SsidLength))
          .Int("rssi", entry.Rssi)
          .Int("channel", FrequencyKHzToChannel(static_cast<std::int32_t>(entry.Configuration.DSConfig)));
      listed.Add(item.str());
    }
    e.Int("heard", static_cast<long long>(note.heard)).Int("count", count).Raw("entries", listed.str());
  }
  e.Int("sizeOut", *size);
}

void LogBefore_NIVO_GetWLANDriverPath(JsonObject&, CallNote&, char*) {}
void LogAfter_NIVO_GetWLANDriverPath(JsonObject& e, const CallNote&, std::int32_t, char* pathOut) {
  if (pathOut) e.Str("path", pathOut);
}

}  // namespace

// ---------------------------------------------------------------- the wrapper

// One member per operation: under the card's lock, the card answers; with a call log, the
// line holds the time, the thread, the operation, its fields and the result.
#define VCARD_LOGGED_OPERATION(name, refused, params, args)  \
  std::int32_t VirtualCard::name params {                    \
    std::lock_guard<std::mutex> hold(lock_);                 \
    note_ = CallNote{};                                      \
    if (!sink_) return Answer##name args;                    \
    JsonObject e = Begin(#name);                             \
    LogBefore_##name(e, note_ NIVO_WITH_ARGS args);          \
    const std::int32_t result = Answer##name args;           \
    note_.present = world_.present;                          \
    LogAfter_##name(e, note_, result NIVO_WITH_ARGS args);   \
    Emit(e, result);                                         \
    return result;                                           \
  }
NIVO_OPERATIONS(VCARD_LOGGED_OPERATION)
#undef VCARD_LOGGED_OPERATION

JsonObject VirtualCard::Begin(const char* op) {
  if (!sink_) return JsonObject::Muted();  // no call log: nothing to format
  JsonObject e;
  std::uint64_t now = Now();
  e.Int("t", static_cast<long long>(now >= loadTime_ ? now - loadTime_ : 0));
  e.Int("thread", threadId_());
  e.Str("op", op);
  return e;
}

void VirtualCard::Emit(JsonObject& entry, std::int64_t result) {
  if (!sink_) return;
  entry.Int("result", result);
  sink_(entry.str());
}


void VirtualCard::LogScenarioErrors() {
  JsonObject e = Begin("scenario");
  JsonArray errors;
  for (const std::string& error : scenarioErrors_) errors.Add(JsonString(error));
  e.Raw("errors", errors.str());
  Emit(e, static_cast<std::int64_t>(scenarioErrors_.size()));
}


void VirtualCard::LogControl(const std::vector<std::string>& words, int status) {
  JsonObject e = Begin("control");
  JsonArray command;
  for (const std::string& w : words) command.Add(JsonString(w));
  e.Raw("command", command.str());
  Emit(e, status);
}

}  // namespace vcard
