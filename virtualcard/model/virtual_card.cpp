#include "virtualcard/model/virtual_card.h"
#include "virtualcard/model/control_commands.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstring>
#include <thread>

namespace vcard {
namespace {

constexpr std::size_t kMaxRootLength = 200;
constexpr std::size_t kMaxProfileNameLength = 64;
constexpr std::size_t kMaxTextArgument = 260;  // how far an argument text is read for the log

std::size_t BoundedLength(const char* text, std::size_t max) {
  std::size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  return n;
}

// A text argument for the log: null, or at most kMaxTextArgument bytes.
void LogText(JsonObject& e, const char* key, const char* text) {
  if (!text) e.Null(key);
  else e.Str(key, std::string_view(text, BoundedLength(text, kMaxTextArgument)));
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A profile name the card serves: 1..64 characters, none of them a control character.
bool ServableName(std::string_view name) {
  if (name.empty() || name.size() > kMaxProfileNameLength) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool ValidName(const char* name) {
  return name && ServableName(std::string_view(name, BoundedLength(name, kMaxProfileNameLength + 1)));
}

// The names of the stored profiles the card can serve. A damaged store may hold others (too
// long, empty, with control characters): no call could name them, so none lists them.
std::vector<std::string> ServableNames(ProfileStore& store, const std::string& root) {
  std::vector<std::string> names = store.List(root);
  names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !ServableName(n); }),
              names.end());
  return names;
}

// The active profile's name as stored, when it is one the card can serve.
std::optional<std::string> ServableActive(ProfileStore& store, const std::string& root) {
  std::optional<std::string> active = store.Active(root);
  if (active && !ServableName(*active)) active.reset();
  return active;
}

void CopyOut(char* out, std::size_t size, const std::string& text) {
  std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

int SignalPercent(int dbm) {
  int p = (dbm + 90) * 100 / 45;
  return std::clamp(p, 0, 100);
}

// Fields of the reserved areas that the card gives a meaning to (the program only passes them).
void PutWord(std::uint8_t* area, int index, std::uint32_t value) { std::memcpy(area + 4 * index, &value, 4); }
std::uint32_t GetWord(const std::uint8_t* area, int index) {
  std::uint32_t v;
  std::memcpy(&v, area + 4 * index, 4);
  return v;
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

std::uint64_t SteadyMilliseconds() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

std::uint32_t StandardThreadId() {
  return static_cast<std::uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

}  // namespace

VirtualCard::VirtualCard()
    : clock_(SteadyMilliseconds), threadId_(StandardThreadId), store_(std::make_unique<MemoryProfileStore>()) {
  Reset(BuiltInWorld());
}

void VirtualCard::Reset(const World& world, std::vector<std::string> scenarioErrors) {
  std::lock_guard<std::mutex> hold(lock_);
  world_ = world;
  scenarioErrors_ = std::move(scenarioErrors);
  driverSettingsConfig_ = world.config;
  loadTime_ = clock_();
  lastAdvance_ = loadTime_;
  link_.reset();
  associateAt_ = loadTime_ + world_.associationDelayMs;
  holdDown_ = false;
  linkedMs_ = 0;
  surveysTriggered_ = 0;
  root_.clear();
  if (sink_ && !scenarioErrors_.empty()) {
    JsonObject e = Begin("scenario");
    JsonArray errors;
    for (const std::string& error : scenarioErrors_) errors.Add(JsonString(error));
    e.Raw("errors", errors.str());
    Emit(e, static_cast<std::int64_t>(scenarioErrors_.size()));
  }
}

void VirtualCard::SetClock(Clock clock) {
  std::lock_guard<std::mutex> hold(lock_);
  clock_ = clock ? std::move(clock) : Clock(SteadyMilliseconds);
  // The new clock's time is the new origin: the association wait starts again from it.
  loadTime_ = clock_();
  lastAdvance_ = loadTime_;
  associateAt_ = loadTime_ + world_.associationDelayMs;
}

void VirtualCard::SetThreadId(ThreadId threadId) {
  std::lock_guard<std::mutex> hold(lock_);
  threadId_ = threadId ? std::move(threadId) : ThreadId(StandardThreadId);
}

void VirtualCard::SetCallLog(LineSink sink) {
  std::lock_guard<std::mutex> hold(lock_);
  sink_ = std::move(sink);
}

void VirtualCard::SetProfileStore(std::unique_ptr<ProfileStore> store) {
  std::lock_guard<std::mutex> hold(lock_);
  store_ = store ? std::move(store) : std::make_unique<MemoryProfileStore>();
}

std::uint64_t VirtualCard::Now() { return clock_(); }

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

// ---------------------------------------------------------------- simulation

bool VirtualCard::Joinable(const Network& n) const {
  return n.signalDbm >= kAudibleDbm && (ChannelMaskForDomain(world_.config.domain) >> (n.channel - 1) & 1);
}

bool VirtualCard::Admits(const Network& n) const {
  const LiveConfig& c = world_.config;
  if (c.wepStatus != 0) return n.wep == Wep::Off;
  const WepKeySlot& key = c.keys[c.txKey];
  return n.wep != Wep::Off && key.set && key.material == n.key;
}

const Network* VirtualCard::Find(const Link& link) const {
  for (const Network& n : world_.networks)
    if (n.bssid == link.bssid && n.ssid == link.ssid) return &n;
  return nullptr;
}

const Network* VirtualCard::BestMatch() const {
  const LiveConfig& c = world_.config;
  bool wildcard = c.ssid.empty() || EqualNoCase(c.ssid, "any");
  const Network* best = nullptr;
  for (const Network& n : world_.networks) {
    if (!Joinable(n) || n.infrastructure != (c.infrastructureMode == 1) || !Admits(n)) continue;
    if (!wildcard && n.ssid != c.ssid) continue;
    if (!best || n.signalDbm > best->signalDbm) best = &n;
  }
  return best;
}

std::uint8_t VirtualCard::CurrentRate(const Network& n) const {
  int rate = n.gBand ? 108 : 22;
  int configured = 0;
  for (std::uint8_t r : world_.config.rates) configured = std::max<int>(configured, r);
  if (configured > 0) rate = std::min(rate, configured);
  if (n.signalDbm < -85) rate = std::min(rate, 4);
  else if (n.signalDbm < -78) rate = std::min(rate, 22);
  else if (n.signalDbm < -70) rate = std::min(rate, 72);
  return static_cast<std::uint8_t>(rate);
}

void VirtualCard::Advance() {
  std::uint64_t now = Now();
  std::uint64_t elapsed = now > lastAdvance_ ? now - lastAdvance_ : 0;
  lastAdvance_ = std::max(lastAdvance_, now);
  if (!world_.present) return;
  if (link_) {
    const Network* n = Find(*link_);
    if (n && Joinable(*n) && Admits(*n)) {
      linkedMs_ += elapsed;
    } else {
      link_.reset();
      associateAt_ = now + world_.associationDelayMs;
    }
  }
  if (!link_ && !holdDown_ && now >= associateAt_) {
    // Every change of the world or the configuration brings the card up to date first, so
    // the world seen now is the one of the due time: the link began then.
    if (const Network* n = BestMatch()) {
      link_ = Link{n->ssid, n->bssid};
      linkedMs_ += now - associateAt_;
    } else {
      associateAt_ = now + world_.associationDelayMs;  // keeps scanning
    }
  }
}

void VirtualCard::Reassociate() {
  link_.reset();
  holdDown_ = false;
  associateAt_ = Now() + world_.associationDelayMs;
}

void VirtualCard::Remove() {
  world_.present = false;
  link_.reset();
}

void VirtualCard::Insert() {
  world_.present = true;
  // The driver starts again from its stored settings; the regulatory domain stays.
  int domain = world_.config.domain;
  world_.config = driverSettingsConfig_;
  world_.config.domain = domain;
  Reassociate();
}

std::uint32_t VirtualCard::TakeBitFault(std::uint32_t& bits, int& count) {
  std::uint32_t applied = bits;
  if (bits != 0 && count > 0 && --count == 0) {  // the last call the fault was ordered for
    bits = 0;
    count = -1;
  }
  return applied;
}

CardState VirtualCard::State() {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  CardState s;
  s.present = world_.present;
  s.config = world_.config;
  s.zeroConfig = world_.zeroConfig;
  s.channelMask = ChannelMaskForDomain(world_.config.domain);
  s.networks = world_.networks;
  s.faults = world_.faults;
  s.profileRoot = root_;
  s.scenarioErrors = scenarioErrors_;
  s.txFrames = static_cast<std::uint32_t>(linkedMs_ / 40);
  s.rxFrames = static_cast<std::uint32_t>(linkedMs_ / 25);
  s.channel = world_.config.channel;
  s.ssid = world_.config.ssid;
  const Network* n = link_ ? Find(*link_) : nullptr;
  if (world_.present && n) {
    s.linked = true;
    s.ssid = n->ssid;
    s.bssid = n->bssid;
    s.channel = n->channel;
    s.rssi = n->signalDbm;
    s.rateCode = CurrentRate(*n);
  } else {
    s.associationPending = world_.present && !holdDown_;
  }
  return s;
}

// ---------------------------------------------------------------- operations

std::int32_t VirtualCard::NIVO_Init(const char* applicationName, std::int32_t reserved) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_Init");
  LogText(e, "applicationName", applicationName);
  e.Int("reserved", reserved);
  Emit(e, 0);
  return 0;
}

std::int32_t VirtualCard::NIVO_Terminate() {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_Terminate");
  Emit(e, 0);
  return 0;
}

std::int32_t VirtualCard::NIVO_Detect(DetectInfo* info) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_Detect");
  bool ours = true;
  if (!info) {
    e.Null("detectInfo");
  } else {
    auto field = [](const char* text) { return std::string_view(text, BoundedLength(text, 128)); };
    e.Str("deviceName", field(info->deviceName))
        .Str("deviceDescription", field(info->deviceDescription))
        .Str("hardwareId", field(info->hardwareId))
        .Str("driverDescription", field(info->driverDescription))
        .Int("detectKind", info->detectKind);
    std::string_view id = field(info->hardwareId);
    ours = id.empty() || EqualNoCase(id, world_.hardwareId);
  }
  std::int32_t result = world_.present && !world_.faults.detect && ours ? kNivoCardPresent : 0;
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetProfileRoot(const char* root) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetProfileRoot");
  LogText(e, "root", root);
  std::int32_t result = -1;
  if (root) {
    std::size_t n = BoundedLength(root, kMaxRootLength + 1);
    std::string_view text(root, n);
    bool ok = n > 0 && n <= kMaxRootLength && text.front() != '\\' && text.back() != '\\' &&
              text.find("\\\\") == std::string_view::npos;
    for (char c : text) ok = ok && static_cast<unsigned char>(c) >= 0x20;
    if (ok) {
      root_ = std::string(text);
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_EnumProfilesByType(std::int32_t index, char* nameOut, std::int32_t type) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_EnumProfilesByType");
  e.Int("index", index).Int("type", type);
  std::int32_t result = kNivoNoProfileAtIndex;
  if (!nameOut) {
    result = -1;
  } else if (type == kProfileTypeWireless && !root_.empty() && index >= 0) {
    std::vector<std::string> names = ServableNames(*store_, root_);
    if (static_cast<std::size_t>(index) < names.size()) {
      CopyOut(nameOut, kProfileNameBufferSize, names[index]);
      e.Str("name", nameOut);
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_GetActiveProfileByType(char* nameOut, std::int32_t type) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_GetActiveProfileByType");
  e.Int("type", type);
  std::int32_t result = kNivoNoActiveProfile;
  if (!nameOut) {
    result = -1;
  } else if (type == kProfileTypeWireless && !root_.empty()) {
    std::optional<std::string> active = ServableActive(*store_, root_);
    ProfileWireless scratch;
    if (active && store_->Load(root_, *active, scratch)) {
      CopyOut(nameOut, kProfileNameBufferSize, *active);
      e.Str("name", nameOut);
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetActiveProfileByType(const char* name, std::int32_t type) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetActiveProfileByType");
  LogText(e, "name", name);
  e.Int("type", type);
  std::int32_t result = -1;
  if (ValidName(name) && !root_.empty()) {
    std::string stored;  // the name as the profile was stored
    for (const std::string& n : ServableNames(*store_, root_))
      if (EqualNoCase(n, name)) stored = n;
    // A name not stored yet may be made active: the utility names "Default" active first
    // and stores it right after, as a driver library allows.
    // NIVO_GetActiveProfileByType names it only once it is stored.
    if (stored.empty()) stored = name;
    if (type != kProfileTypeWireless)
      result = kNivoNoProfileAtIndex;
    else if (!world_.faults.store && store_->SetActive(root_, stored)) result = 0;
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_DeleteProfileByType(const char* name, std::int32_t type) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_DeleteProfileByType");
  LogText(e, "name", name);
  e.Int("type", type);
  std::int32_t result = -1;
  ProfileWireless scratch;
  if (ValidName(name) && !root_.empty()) {
    if (type != kProfileTypeWireless || !store_->Load(root_, name, scratch)) {
      result = kNivoNoProfileAtIndex;
    } else if (!world_.faults.store && store_->Remove(root_, name)) {
      std::optional<std::string> active = store_->Active(root_);
      if (active && EqualNoCase(*active, name)) store_->ClearActive(root_);
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_GetProfileWireless(const char* name, ProfileWireless* profile) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_GetProfileWireless");
  LogText(e, "name", name);
  std::int32_t result = -1;
  std::optional<std::string> target;
  if (name) target = std::string(name, BoundedLength(name, kMaxTextArgument));
  else if (!root_.empty()) target = ServableActive(*store_, root_);
  if (!profile || root_.empty() || (name && !ValidName(name))) {
    result = -1;
  } else if (!target) {
    result = kNivoNoActiveProfile;
  } else {
    ProfileWireless loaded;
    if (store_->Load(root_, *target, loaded)) {
      *profile = loaded;
      LogProfile(e, loaded);
      result = 0;
    } else {
      result = kNivoNoProfileAtIndex;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetProfileWireless(const char* nameOrNull, ProfileWireless* profile) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetProfileWireless");
  LogText(e, "name", nameOrNull);
  if (profile) LogProfile(e, *profile);
  std::int32_t result = -1;
  std::optional<std::string> target;
  if (nameOrNull) target = std::string(nameOrNull, BoundedLength(nameOrNull, kMaxTextArgument));
  else if (!root_.empty()) target = ServableActive(*store_, root_);
  if (!profile || root_.empty() || (nameOrNull && !ValidName(nameOrNull))) {
    result = -1;
  } else if (!target) {
    result = kNivoNoActiveProfile;
  } else if (!world_.faults.store && store_->Store(root_, *target, *profile)) {
    result = 0;
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetDriverReg(ProfileWireless* profile) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetDriverReg");
  std::int32_t result = -1;
  if (profile) {
    LogProfile(e, *profile);
    if (!root_.empty() && !world_.faults.store && store_->StoreDriverSettings(root_, *profile)) {
      // What the card starts from when it is inserted again.
      LiveConfig& c = driverSettingsConfig_;
      c.ssid.assign(profile->ssid, BoundedLength(profile->ssid, kMaxSsidLength));
      c.infrastructureMode = profile->operatingMode == 0 ? 0 : 1;
      if (ChannelToFrequencyKHz(profile->channel) != 0) c.channel = profile->channel;
      c.wepStatus = profile->encryptionLevel == 0 ? 1 : 0;
      std::size_t keyLength = profile->encryptionLevel == 1 ? 5 : 13;
      for (int s = 0; s < kWepKeyCount; ++s) {
        std::vector<std::uint8_t> bytes;
        std::string_view text(profile->activeKeyText[s], BoundedLength(profile->activeKeyText[s], kKeyText128Size));
        c.keys[s].set = ParseHexBytes(text, bytes) && bytes.size() == keyLength;
        c.keys[s].material = c.keys[s].set ? bytes : std::vector<std::uint8_t>{};
      }
      if (profile->defaultKeyIndex >= 0 && profile->defaultKeyIndex < kWepKeyCount) c.txKey = profile->defaultKeyIndex;
      c.powerMode = profile->powerSaveMode;
      c.fragThreshold = profile->fragThreshold;
      c.rtsThreshold = profile->rtsThreshold;
      c.preambleType = profile->preambleType;
      c.gMode = profile->GMode;
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_GetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  using namespace wlflag;
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_GetWLANConfig");
  if (!dwWLFlag || !config) {
    e.Str("error", "null argument");
    Emit(e, -1);
    return -1;
  }
  std::uint32_t in = *dwWLFlag;
  e.Hex("dwWLFlag_in", in);
  std::uint32_t left = in;
  if (world_.present) {
    std::uint32_t serve = in & kServedGetBits & ~TakeBitFault(world_.faults.getBits, world_.faults.getBitsCount);
    const LiveConfig& c = world_.config;
    const Network* n = link_ ? Find(*link_) : nullptr;
    if (serve & kBssid) {
      std::array<std::uint8_t, 6> bssid{};
      if (n) bssid = n->bssid;
      std::memcpy(config->bssid, bssid.data(), 6);
    }
    if (serve & kSsid) {
      const std::string& ssid = n ? n->ssid : c.ssid;
      std::memset(config->ssid, 0, sizeof config->ssid);
      std::memcpy(config->ssid, ssid.data(), std::min<std::size_t>(ssid.size(), kMaxSsidLength));
      config->ssidLength = static_cast<std::uint32_t>(std::min<std::size_t>(ssid.size(), kMaxSsidLength));
    }
    if (serve & kPowerMode) config->powerMode = c.powerMode;
    if (serve & kReserved8) PutWord(config->reserved2, 0, c.networkTypeInUse);
    if (serve & kStatus10) PutWord(config->reserved1, 0, n ? CurrentRate(*n) * 5000u : 0u);  // 100 bit/s units
    if (serve & kInfrastructureMode) config->infrastructureMode = c.infrastructureMode;
    if (serve & kFragThreshold) config->fragThreshold = c.fragThreshold;
    if (serve & kRtsThreshold) config->rtsThreshold = c.rtsThreshold;
    if (serve & kSupportedRates) {
      std::array<std::uint8_t, 8> rates = c.rates;
      if (n) {
        // While linked the current transmit rate comes first, then the slower configured ones.
        std::uint8_t current = CurrentRate(*n);
        rates.fill(0);
        std::size_t k = 0;
        rates[k++] = current;
        for (std::uint8_t r : c.rates)
          if (r != 0 && r < current && k < rates.size()) rates[k++] = r;
        // An 802.11b cell announces each of its rates as a basic rate (bit 0x80 set).
        if (!n->gBand)
          for (std::uint8_t& r : rates)
            if (r != 0) r |= kBasicRateBit;
      }
      std::memcpy(config->supportedRates, rates.data(), rates.size());
    }
    if (serve & kConfiguration) {
      config->configuration.Length = sizeof(NdisConfiguration);
      config->configuration.BeaconPeriod = 100;
      config->configuration.ATIMWindow = 0;
      config->configuration.DSConfig = static_cast<std::uint32_t>(ChannelToFrequencyKHz(n ? n->channel : c.channel));
      std::memset(config->configuration.FHConfig, 0, sizeof config->configuration.FHConfig);
    }
    if (serve & kStatus800) config->rssi = n ? n->signalDbm : 0;
    // WEP keys cannot be read back from a driver: the key bits are served without a write.
    if (serve & kWepStatus) config->wepStatus = c.wepStatus;
    if (serve & kAuthMode) config->authMode = c.authMode;
    if (serve & kReserved40000) PutWord(config->reserved2, 1, c.privacyFilter);
    if (serve & kStatus1000000) PutWord(config->reserved1, 1, n ? static_cast<std::uint32_t>(SignalPercent(n->signalDbm)) : 0u);
    if (serve & kPreambleType) config->preambleType = c.preambleType;
    if (serve & kFirmwareVersion) {
      std::memset(config->firmwareVersion, 0, sizeof config->firmwareVersion);
      std::memcpy(config->firmwareVersion, world_.firmware.data(),
                  std::min(world_.firmware.size(), sizeof config->firmwareVersion - 1));
    }
    if (serve & kChannelMask) config->channelMask = ChannelMaskForDomain(c.domain);
    left = in & ~serve;
    LogConfig(e, *config, serve, false);
  } else {
    e.Bool("present", false);
  }
  *dwWLFlag = left;
  e.Hex("dwWLFlag_out", left);
  std::int32_t result = left == 0 ? 0 : -1;
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  using namespace wlflag;
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetWLANConfig");
  if (!dwWLFlag || !config) {
    e.Str("error", "null argument");
    Emit(e, -1);
    return -1;
  }
  std::uint32_t in = *dwWLFlag;
  e.Hex("dwWLFlag_in", in);
  LogConfig(e, *config, in, true);
  std::uint32_t left = in;
  if (world_.present) {
    std::uint32_t candidates =
        in & kServedGetBits & ~kReadOnlyBits & ~TakeBitFault(world_.faults.setBits, world_.faults.setBitsCount);
    LiveConfig& c = world_.config;
    std::uint32_t served = 0;
    auto serve = [&](std::uint32_t bit, bool ok) {
      if ((candidates & bit) && ok) served |= bit;
      return (candidates & bit) && ok;
    };
    c.gMode = config->GMode;  // travels with every set
    if (serve(kSsid, config->ssidLength <= kMaxSsidLength))
      c.ssid.assign(reinterpret_cast<const char*>(config->ssid), config->ssidLength);
    if (serve(kPowerMode, config->powerMode >= 0 && config->powerMode <= 2)) c.powerMode = config->powerMode;
    if (serve(kReserved8, true)) c.networkTypeInUse = GetWord(config->reserved2, 0);
    if (serve(kInfrastructureMode, config->infrastructureMode == 0 || config->infrastructureMode == 1))
      c.infrastructureMode = config->infrastructureMode;
    if (serve(kFragThreshold, config->fragThreshold >= 256 && config->fragThreshold <= 2346))
      c.fragThreshold = config->fragThreshold;
    if (serve(kRtsThreshold, config->rtsThreshold >= 0 && config->rtsThreshold <= 2347))
      c.rtsThreshold = config->rtsThreshold;
    bool anyRate = std::any_of(std::begin(config->supportedRates), std::end(config->supportedRates),
                               [](std::uint8_t r) { return r != 0; });
    if (serve(kSupportedRates, anyRate)) std::memcpy(c.rates.data(), config->supportedRates, c.rates.size());
    std::int32_t channel = FrequencyKHzToChannel(static_cast<std::int32_t>(config->configuration.DSConfig));
    bool channelAllowed = channel != 0 && (ChannelMaskForDomain(c.domain) >> (channel - 1) & 1);
    if (serve(kConfiguration, channelAllowed)) c.channel = channel;
    for (int s = 0; s < kWepKeyCount; ++s) {
      const WepKeyElement* k = config->wepKey[s];
      // A driver is never set with a missing or inconsistent key element.
      bool ok = k && (k->keyLength == 5 || k->keyLength == 13) && k->length == k->keyLength + kWepKeyElementOverhead &&
                (k->keyIndex & ~kTransmitKeyBit) == static_cast<std::uint32_t>(s);
      if (serve(kWepKey0 << s, ok)) {
        c.keys[s].set = true;
        c.keys[s].material.assign(k->keyMaterial, k->keyMaterial + k->keyLength);
        if (k->keyIndex & kTransmitKeyBit) c.txKey = s;
      }
    }
    if (serve(kWepStatus, config->wepStatus == 0 || config->wepStatus == 1)) c.wepStatus = config->wepStatus;
    if (serve(kAuthMode, config->authMode >= 0 && config->authMode <= 2)) c.authMode = config->authMode;
    if (serve(kReserved40000, true)) c.privacyFilter = GetWord(config->reserved2, 1);
    if (serve(kPreambleType, config->preambleType == 0 || config->preambleType == 1))
      c.preambleType = config->preambleType;
    left = in & ~served;
    if (served & (kSsid | kInfrastructureMode | kConfiguration | kWepKeys | kWepStatus)) Reassociate();
  } else {
    e.Bool("present", false);
  }
  *dwWLFlag = left;
  e.Hex("dwWLFlag_out", left);
  std::int32_t result = left == 0 ? 0 : -1;
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetSSID(NdisSsid* ssid) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetSSID");
  std::int32_t result = -1;
  if (!ssid) {
    e.Null("ssid");
  } else {
    e.Int("ssidLength", ssid->SsidLength);
    e.Str("ssid", std::string_view(reinterpret_cast<const char*>(ssid->Ssid), std::min<std::uint32_t>(ssid->SsidLength, kMaxSsidLength)));
    if (world_.present && ssid->SsidLength <= kMaxSsidLength) {
      world_.config.ssid.assign(reinterpret_cast<const char*>(ssid->Ssid), ssid->SsidLength);
      Reassociate();
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_QueryOID(std::uint32_t oid, void* buffer, std::uint32_t length, std::uint32_t* bytesWritten) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_QueryOID");
  e.Hex("oid", oid).Int("length", length);
  if (bytesWritten) *bytesWritten = 0;
  std::int32_t result = 0;
  std::uint32_t value = 0;
  bool counter = oid == kOidGenXmitOk || oid == kOidGenRcvOk;
  if (!world_.present) result = kNdisStatusAdapterNotFound;
  else if (!buffer) result = kNdisStatusInvalidData;
  else if (oid != kOidGenMediaConnectStatus && !counter) result = kNdisStatusNotSupported;
  else if (length < 4) result = kNdisStatusInvalidLength;
  else if ((oid == kOidGenMediaConnectStatus && world_.faults.queryConnect) || (counter && world_.faults.queryCounters))
    result = kNdisStatusFailure;
  if (result == 0) {
    if (oid == kOidGenMediaConnectStatus) value = link_ ? kMediaConnected : kMediaDisconnected;
    else if (oid == kOidGenXmitOk) value = static_cast<std::uint32_t>(linkedMs_ / 40);
    else value = static_cast<std::uint32_t>(linkedMs_ / 25);
    std::memcpy(buffer, &value, 4);
    if (bytesWritten) *bytesWritten = 4;
    e.Int("value", value);
  }
  e.Int("bytesWritten", bytesWritten ? *bytesWritten : 0);
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_ChannelToFrequency(std::int32_t channel) {
  std::lock_guard<std::mutex> hold(lock_);
  JsonObject e = Begin("NIVO_ChannelToFrequency");
  e.Int("channel", channel);
  std::int32_t result = ChannelToFrequencyKHz(channel);
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_FrequencyToChannel(std::int32_t frequency) {
  std::lock_guard<std::mutex> hold(lock_);
  JsonObject e = Begin("NIVO_FrequencyToChannel");
  e.Int("frequency", frequency);
  std::int32_t result = FrequencyKHzToChannel(frequency);
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetChannel(std::int32_t* channel) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetChannel");
  std::int32_t result = -1;
  if (!channel) {
    e.Null("channel");
  } else {
    e.Int("channel", *channel);
    bool allowed = *channel >= 1 && *channel <= 14 && (ChannelMaskForDomain(world_.config.domain) >> (*channel - 1) & 1);
    if (world_.present && allowed) {
      world_.config.channel = *channel;
      Reassociate();
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetOperatingMode(std::int32_t* mode) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetOperatingMode");
  std::int32_t result = -1;
  if (!mode) {
    e.Null("mode");
  } else {
    e.Int("mode", *mode);
    if (world_.present && (*mode == 0 || *mode == 1)) {
      world_.config.infrastructureMode = *mode;
      Reassociate();
      result = 0;
    }
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SetWLDomain(std::int32_t domain) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SetWLDomain");
  e.Int("domain", domain);
  std::int32_t result = -1;
  if (domain >= 0 && domain <= 4) {
    // Kept across removal; a link on a channel the new domain forbids drops at the next step.
    world_.config.domain = domain;
    e.Hex("channelMask", ChannelMaskForDomain(domain));
    result = 0;
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_Get_XPWZC(std::int32_t* active) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_Get_XPWZC");
  std::int32_t flag = world_.zeroConfig ? 1 : 0;
  if (active) *active = flag;
  e.Int("active", flag);
  Emit(e, flag);
  return flag;
}

std::int32_t VirtualCard::NIVO_SiteSurveyTrigger() {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SiteSurveyTrigger");
  std::int32_t result = -1;
  if (world_.present) {
    ++surveysTriggered_;
    result = 0;
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_SiteSurveyGet(void* buffer, std::uint32_t* size) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_SiteSurveyGet");
  std::int32_t result = 0;
  if (!buffer || !size) {
    e.Str("error", "null argument");
  } else {
    std::uint32_t capacity = *size;
    e.Int("sizeIn", capacity);
    if (world_.present && !world_.faults.survey && capacity >= 4) {
      // The card scans all the time: the list holds every network heard now, in the world's
      // order, a network with repeat > 1 again right behind itself (a little weaker each time).
      std::vector<NdisWlanBssid> entries;
      for (const Network& n : world_.networks) {
        if (!Joinable(n)) continue;
        for (int r = 0; r < n.repeat; ++r) {
          NdisWlanBssid b{};
          b.Length = kBssidEntrySize;
          std::memcpy(b.MacAddress, n.bssid.data(), 6);
          b.Ssid.SsidLength = static_cast<std::uint32_t>(n.ssid.size());
          std::memcpy(b.Ssid.Ssid, n.ssid.data(), std::min<std::size_t>(n.ssid.size(), kMaxSsidLength));
          b.Privacy = n.wep != Wep::Off ? 1 : 0;
          b.Rssi = n.signalDbm - 3 * r;
          b.NetworkTypeInUse = n.gBand ? 2 : 1;
          b.Configuration.Length = sizeof(NdisConfiguration);
          b.Configuration.BeaconPeriod = 100;
          b.Configuration.DSConfig = static_cast<std::uint32_t>(ChannelToFrequencyKHz(n.channel));
          b.InfrastructureMode = n.infrastructure ? 1 : 0;
          static const std::uint8_t g[8] = {108, 96, 72, 48, 36, 24, 22, 18};
          static const std::uint8_t bOnly[8] = {22, 11, 4, 2, 0, 0, 0, 0};
          std::memcpy(b.SupportedRates, n.gBand ? g : bOnly, 8);
          entries.push_back(b);
        }
      }
      // Only whole entries that fit are written; the count says how many were written.
      std::size_t fit = std::min<std::size_t>(entries.size(), (capacity - 4) / kBssidEntrySize);
      std::uint32_t count = static_cast<std::uint32_t>(fit);
      auto* out = static_cast<std::uint8_t*>(buffer);
      std::memcpy(out, &count, 4);
      JsonArray listed;
      for (std::size_t i = 0; i < fit; ++i) {
        std::memcpy(out + 4 + i * kBssidEntrySize, &entries[i], kBssidEntrySize);
        if (e.muted()) continue;
        JsonObject item;
        item.Str("bssid", FormatBssid({entries[i].MacAddress[0], entries[i].MacAddress[1], entries[i].MacAddress[2],
                                       entries[i].MacAddress[3], entries[i].MacAddress[4], entries[i].MacAddress[5]}))
            .Str("ssid", std::string_view(reinterpret_cast<const char*>(entries[i].Ssid.Ssid), entries[i].Ssid.SsidLength))
            .Int("rssi", entries[i].Rssi)
            .Int("channel", FrequencyKHzToChannel(static_cast<std::int32_t>(entries[i].Configuration.DSConfig)));
        listed.Add(item.str());
      }
      *size = static_cast<std::uint32_t>(4 + fit * kBssidEntrySize);
      e.Int("heard", static_cast<long long>(entries.size())).Int("count", count).Raw("entries", listed.str());
      result = kNivoSuccess;
    }
    e.Int("sizeOut", *size);
  }
  Emit(e, result);
  return result;
}

std::int32_t VirtualCard::NIVO_GetWLANDriverPath(char* pathOut) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  JsonObject e = Begin("NIVO_GetWLANDriverPath");
  std::int32_t result = 0;
  if (pathOut) {
    CopyOut(pathOut, kDriverPathBufferSize, world_.driverPath);
    e.Str("path", pathOut);
    result = kNivoSuccess;
  }
  Emit(e, result);
  return result;
}

// ---------------------------------------------------------------- control

std::string VirtualCard::StatusText() {
  std::string out;
  auto line = [&](const std::string& key, const std::string& value) { out += key + ": " + value + "\n"; };
  const LiveConfig& c = world_.config;
  const Network* n = link_ && world_.present ? Find(*link_) : nullptr;
  line("present", world_.present ? "yes" : "no");
  std::uint64_t now = Now();
  if (n) line("linked", "yes");
  else if (!world_.present) line("linked", "no");
  else if (holdDown_) line("linked", "no (held down until link-up or a new configuration)");
  else line("linked", "no (next association attempt in " + std::to_string(associateAt_ > now ? associateAt_ - now : 0) + " ms)");
  line("ssid", n ? n->ssid : c.ssid.empty() ? "(any)" : c.ssid + " (configured)");
  line("bssid", n ? FormatBssid(n->bssid) : "none");
  line("channel", std::to_string(n ? n->channel : c.channel));
  line("rssi", n ? std::to_string(n->signalDbm) + " dBm" : "none");
  line("rate", n ? RateMbitText(CurrentRate(*n)) + " Mbit/s" : "none");
  line("mode", c.infrastructureMode == 1 ? "infrastructure" : "adhoc");
  if (c.wepStatus != 0) {
    line("wep", "off");
  } else {
    const WepKeySlot& k = c.keys[c.txKey];
    line("wep", std::string(k.set ? (k.material.size() == 5 ? "64" : "128") : "on, no key") + " (transmit key " +
                    std::to_string(c.txKey + 1) + (k.set ? " " + HexBytes(k.material.data(), k.material.size()) : "") + ")");
  }
  line("zero-config", world_.zeroConfig ? "on" : "off");
  line("domain", std::to_string(c.domain) + " (channel mask " + HexNumber(ChannelMaskForDomain(c.domain)) + ")");
  line("frames", "tx " + std::to_string(linkedMs_ / 40) + " rx " + std::to_string(linkedMs_ / 25));
  line("profile-root", root_.empty() ? "none" : root_);
  std::string faults;
  const Faults& f = world_.faults;
  auto add = [&](bool on, const std::string& name) {
    if (on) faults += (faults.empty() ? "" : ", ") + name;
  };
  add(f.detect, "detect");
  add(f.queryConnect, "query-connect");
  add(f.queryCounters, "query-counters");
  add(f.survey, "survey");
  add(f.store, "store");
  add(f.getBits != 0, "get-bits " + HexNumber(f.getBits) + (f.getBitsCount > 0 ? " (" + std::to_string(f.getBitsCount) + " calls)" : ""));
  add(f.setBits != 0, "set-bits " + HexNumber(f.setBits) + (f.setBitsCount > 0 ? " (" + std::to_string(f.setBitsCount) + " calls)" : ""));
  line("faults", faults.empty() ? "none" : faults);
  if (!scenarioErrors_.empty()) {
    line("scenario-errors", std::to_string(scenarioErrors_.size()));
    for (const std::string& error : scenarioErrors_) out += "  " + error + "\n";
  }
  line("networks", std::to_string(world_.networks.size()));
  for (const Network& net : world_.networks) out += "  " + DescribeNetwork(net) + "\n";
  return out;
}

namespace {



ControlResult Fail(const std::string& text) { return ControlResult{1, text + "\n", false}; }

}  // namespace

ControlResult VirtualCard::Control(const std::vector<std::string>& words) {
  std::lock_guard<std::mutex> hold(lock_);
  Advance();
  ControlResult result = RunControl(words);
  JsonObject e = Begin("control");
  JsonArray command;
  for (const std::string& w : words) command.Add(JsonString(w));
  e.Raw("command", command.str());
  Emit(e, result.status);
  return result;
}

ControlResult VirtualCard::RunControl(const std::vector<std::string>& words) {
  if (words.empty() || words[0] == "help") return ControlResult{words.empty() ? 1 : 0, vcard::kControlCommandList, false};
  const std::string& verb = words[0];
  std::size_t argc = words.size() - 1;
  auto matches = [&](const Network& n, const std::string& key) {
    std::array<std::uint8_t, 6> bssid{};
    return (ParseBssid(key, bssid) && n.bssid == bssid) || n.ssid == key;
  };
  if (verb == "status" && argc == 0) return ControlResult{0, StatusText(), false};
  if (verb == "insert" && argc == 0) {
    if (world_.present) return ControlResult{0, "the card is already present\n", false};
    Insert();
    return ControlResult{0, "card inserted\n", true};
  }
  if (verb == "remove" && argc == 0) {
    if (!world_.present) return ControlResult{0, "the card is already removed\n", false};
    Remove();
    return ControlResult{0, "card removed\n", true};
  }
  if (verb == "link-down" && argc == 0) {
    if (!world_.present) return Fail("no card: insert it first");
    link_.reset();
    holdDown_ = true;
    return ControlResult{0, "link down\n", false};
  }
  if (verb == "link-up" && argc == 0) {
    if (!world_.present) return Fail("no card: insert it first");
    if (holdDown_) Reassociate();
    return ControlResult{0, "link allowed again\n", false};
  }
  if (verb == "signal" && argc == 2) {
    long long dbm = 0;
    if (!ParseInteger(words[2], dbm) || dbm < -120 || dbm > 0) return Fail("signal must be -120..0 dBm");
    int changed = 0;
    for (Network& n : world_.networks)
      if (matches(n, words[1])) {
        n.signalDbm = static_cast<int>(dbm);
        ++changed;
      }
    if (changed == 0) return Fail("no network '" + words[1] + "'");
    Advance();
    return ControlResult{0, "signal of " + std::to_string(changed) + " network(s) set\n", false};
  }
  if (verb == "add-network" && argc >= 1) {
    Network n;
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::size_t eq = words[i].find('=');
      if (eq == std::string::npos) return Fail("'" + words[i] + "' is not key=value");
      std::string problem = ApplyNetworkKey(n, std::string_view(words[i]).substr(0, eq), std::string_view(words[i]).substr(eq + 1));
      if (!problem.empty()) return Fail(problem);
    }
    std::string problem = CheckNetwork(n);
    if (!problem.empty()) return Fail(problem);
    if (world_.networks.size() >= static_cast<std::size_t>(kMaxNetworks)) return Fail("the world holds 64 networks already");
    if (n.wep == Wep::Off) n.key.clear();
    world_.networks.push_back(n);
    return ControlResult{0, "added " + DescribeNetwork(n) + "\n", false};
  }
  if (verb == "drop-network" && argc == 1) {
    auto before = world_.networks.size();
    world_.networks.erase(std::remove_if(world_.networks.begin(), world_.networks.end(),
                                         [&](const Network& n) { return matches(n, words[1]); }),
                          world_.networks.end());
    if (world_.networks.size() == before) return Fail("no network '" + words[1] + "'");
    Advance();
    return ControlResult{0, "dropped " + std::to_string(before - world_.networks.size()) + " network(s)\n", false};
  }
  if (verb == "zeroconfig" && argc == 1 && (words[1] == "on" || words[1] == "off")) {
    world_.zeroConfig = words[1] == "on";
    return ControlResult{0, "zero configuration " + words[1] + "\n", false};
  }
  if (verb == "fault" && argc >= 2 && (words[2] == "on" || words[2] == "off")) {
    const std::string& name = words[1];
    bool on = words[2] == "on";
    Faults& f = world_.faults;
    bool* flag = FaultFlagNamed(f, name);
    if (flag && argc == 2) {
      *flag = on;
      return ControlResult{0, "fault " + name + " " + words[2] + "\n", false};
    }
    if (name == "get-bits" || name == "set-bits") {
      std::uint32_t& bits = name == "get-bits" ? f.getBits : f.setBits;
      int& count = name == "get-bits" ? f.getBitsCount : f.setBitsCount;
      if (!on && argc == 2) {
        bits = 0;
        count = -1;
        return ControlResult{0, "fault " + name + " off\n", false};
      }
      long long mask = 0;
      long long calls = -1;
      if (!on || argc < 3 || argc > 4 || !ParseInteger(words[3], mask) || mask <= 0 || mask > 0xFFFFFFFFll)
        return Fail("usage: fault " + name + " on <mask> [calls]");
      if (argc == 4 && (!ParseInteger(words[4], calls) || calls < 1 || calls > 1000000))
        return Fail("calls must be 1..1000000");
      bits = static_cast<std::uint32_t>(mask);
      count = static_cast<int>(calls);
      return ControlResult{0, "fault " + name + " on " + HexNumber(bits) + "\n", false};
    }
  }
  return ControlResult{1, "not understood: " + verb + "\n" + vcard::kControlCommandList, false};
}

}  // namespace vcard
