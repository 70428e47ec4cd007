#include "virtualcard/model/virtual_card.h"
#include "virtualcard/model/card_fields.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace vcard {
namespace {

int SignalPercent(int dbm) {
  int p = (dbm + 90) * 100 / 45;
  return std::clamp(p, 0, 100);
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
  if (!scenarioErrors_.empty()) LogScenarioErrors();
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

std::int32_t VirtualCard::AnswerNIVO_Init(const char* applicationName, std::int32_t reserved) {
  Advance();
  return 0;
}

std::int32_t VirtualCard::AnswerNIVO_Terminate() {
  Advance();
  return 0;
}

std::int32_t VirtualCard::AnswerNIVO_Detect(DetectInfo* info) {
  Advance();
  bool ours = true;
  if (info) {
    std::string_view id = FieldText(info->hardwareId);
    ours = id.empty() || EqualNoCase(id, world_.hardwareId);
  }
  std::int32_t result = world_.present && !world_.faults.detect && ours ? kNivoCardPresent : 0;
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_GetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  using namespace wlflag;
  Advance();
  if (!dwWLFlag || !config) return -1;
  std::uint32_t in = *dwWLFlag;
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
  }
  *dwWLFlag = left;
  std::int32_t result = left == 0 ? 0 : -1;
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config) {
  using namespace wlflag;
  Advance();
  if (!dwWLFlag || !config) return -1;
  std::uint32_t in = *dwWLFlag;
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
  }
  *dwWLFlag = left;
  std::int32_t result = left == 0 ? 0 : -1;
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetSSID(NdisSsid* ssid) {
  Advance();
  std::int32_t result = -1;
  if (ssid && world_.present && ssid->SsidLength <= kMaxSsidLength) {
    world_.config.ssid.assign(reinterpret_cast<const char*>(ssid->Ssid), ssid->SsidLength);
    Reassociate();
    result = 0;
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_QueryOID(std::uint32_t oid, void* buffer, std::uint32_t length, std::uint32_t* bytesWritten) {
  Advance();
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
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_ChannelToFrequency(std::int32_t channel) {
  std::int32_t result = ChannelToFrequencyKHz(channel);
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_FrequencyToChannel(std::int32_t frequency) {
  std::int32_t result = FrequencyKHzToChannel(frequency);
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetChannel(std::int32_t* channel) {
  Advance();
  std::int32_t result = -1;
  if (channel) {
    bool allowed = *channel >= 1 && *channel <= 14 && (ChannelMaskForDomain(world_.config.domain) >> (*channel - 1) & 1);
    if (world_.present && allowed) {
      world_.config.channel = *channel;
      Reassociate();
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetOperatingMode(std::int32_t* mode) {
  Advance();
  std::int32_t result = -1;
  if (mode) {
    if (world_.present && (*mode == 0 || *mode == 1)) {
      world_.config.infrastructureMode = *mode;
      Reassociate();
      result = 0;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SetWLDomain(std::int32_t domain) {
  Advance();
  std::int32_t result = -1;
  if (domain >= 0 && domain <= 4) {
    // Kept across removal; a link on a channel the new domain forbids drops at the next step.
    world_.config.domain = domain;
    result = 0;
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_Get_XPWZC(std::int32_t* active) {
  Advance();
  std::int32_t flag = world_.zeroConfig ? 1 : 0;
  if (active) *active = flag;
  return flag;
}

std::int32_t VirtualCard::AnswerNIVO_SiteSurveyTrigger() {
  Advance();
  std::int32_t result = -1;
  if (world_.present) {
    ++surveysTriggered_;
    result = 0;
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_SiteSurveyGet(void* buffer, std::uint32_t* size) {
  Advance();
  std::int32_t result = 0;
  if (buffer && size) {
    std::uint32_t capacity = *size;
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
      for (std::size_t i = 0; i < fit; ++i) std::memcpy(out + 4 + i * kBssidEntrySize, &entries[i], kBssidEntrySize);
      *size = static_cast<std::uint32_t>(4 + fit * kBssidEntrySize);
      note_.heard = entries.size();
      result = kNivoSuccess;
    }
  }
  return result;
}

std::int32_t VirtualCard::AnswerNIVO_GetWLANDriverPath(char* pathOut) {
  Advance();
  std::int32_t result = 0;
  if (pathOut) {
    CopyOut(pathOut, kDriverPathBufferSize, world_.driverPath);
    result = kNivoSuccess;
  }
  return result;
}

}  // namespace vcard
