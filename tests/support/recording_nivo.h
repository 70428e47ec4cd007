// A recording stand-in for the driver-access library: a NivoFunctions table whose entries
// record every call with its decoded arguments (selector in and out, the record as the
// library saw it, the key elements' bytes at the time of the set) and answer from scripted
// results. One instance at a time is active (the entries are plain functions); it becomes
// active on construction. For the native tests (its entries are lambdas, which have no
// __stdcall form for the 32-bit Windows build).
#pragma once
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/nivo_api.h"

namespace testing_nivo {

// One key element as the library saw it during a set: header fields and every byte of
// the element, `length` of them (capped at 64).
struct KeySnapshot {
  std::uint32_t length = 0;
  std::uint32_t keyIndex = 0;
  std::uint32_t keyLength = 0;
  std::vector<std::uint8_t> material;  // keyLength bytes (capped at 13)
};

struct NivoCall {
  std::string operation;            // "NIVO_SetWLANConfig" ...
  std::int64_t number = 0;          // channel, domain, oid, index, frequency ...
  std::string text;                 // name or root argument ("<null>" for a null name)
  std::uint32_t length = 0;         // QueryOID: the buffer length passed
  std::uint32_t selectorIn = 0;     // Get/SetWLANConfig
  std::uint32_t selectorOut = 0;
  std::optional<WlanConfig> config;  // Get: as passed in; Set: as sent
  std::array<std::optional<KeySnapshot>, kWepKeyCount> keys;  // Set only
  std::optional<ProfileWireless> profile;  // SetDriverReg, SetProfileWireless
};

class RecordingNivo {
 public:
  // Scripted answers. Leftover bits per call, first call first; when the queue is empty
  // every bit is served. Leftover bits are masked with the selector the call asked for.
  std::deque<std::uint32_t> getLeftover;
  std::deque<std::uint32_t> setLeftover;
  // What NIVO_GetWLANConfig writes into the record for the bits it serves.
  std::function<void(std::uint32_t served, WlanConfig& config)> onGet;
  // NIVO_QueryOID: result, bytes written and the value written for the connect status.
  std::int32_t queryResult = 0;
  std::uint32_t queryBytesWritten = 4;
  std::uint32_t mediaConnectStatus = kMediaConnected;
  std::int32_t detectResult = kNivoCardPresent;
  // NIVO_Detect answers per call, first call first; when empty, detectResult.
  std::deque<std::int32_t> detectAnswers;
  // NIVO_GetActiveProfileByType: its result and, unless it is kNivoNoActiveProfile, the
  // name it writes.
  std::int32_t activeProfileResult = kNivoNoActiveProfile;
  std::string activeProfileName;
  // What NIVO_GetProfileWireless writes into the caller's record (nothing when empty).
  std::optional<ProfileWireless> storedProfile;
  // NIVO_Get_XPWZC: the flag it writes (non-zero: the system's zero configuration is on).
  std::int32_t zeroConfigAnswer = 0;
  // NIVO_GetWLANDriverPath: the path it writes (relative to the Windows directory) and its
  // result.
  std::string driverPath = "system32\\drivers\\tw77.sys";
  std::int32_t driverPathResult = kNivoSuccess;
  // Runs inside every call, before it is recorded (a test can block a call here).
  std::function<void(const char* operation)> duringCall;

  RecordingNivo() { Active() = this; }
  ~RecordingNivo() {
    if (Active() == this) Active() = nullptr;
  }
  RecordingNivo(const RecordingNivo&) = delete;
  RecordingNivo& operator=(const RecordingNivo&) = delete;

  static std::int32_t FrequencyOf(std::int32_t channel) { return 2407000 + 5000 * channel; }

  NivoFunctions table() const {
    NivoFunctions f;
    f.NIVO_Init = [](const char* name, std::int32_t reserved) NIVO_CALL -> std::int32_t {
      return Record("NIVO_Init", reserved, Text(name)), 1;
    };
    f.NIVO_Terminate = []() NIVO_CALL -> std::int32_t { return Record("NIVO_Terminate"), 1; };
    f.NIVO_Detect = [](DetectInfo*) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      Record("NIVO_Detect");
      if (self.detectAnswers.empty()) return self.detectResult;
      const std::int32_t answer = self.detectAnswers.front();
      self.detectAnswers.pop_front();
      return answer;
    };
    f.NIVO_SetProfileRoot = [](const char* root) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetProfileRoot", 0, Text(root)), 0;
    };
    f.NIVO_EnumProfilesByType = [](std::int32_t index, char*, std::int32_t) NIVO_CALL -> std::int32_t {
      return Record("NIVO_EnumProfilesByType", index), kNivoNoProfileAtIndex;
    };
    f.NIVO_GetActiveProfileByType = [](char* name, std::int32_t type) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      if (self.activeProfileResult != kNivoNoActiveProfile) {
        std::strncpy(name, self.activeProfileName.c_str(), kProfileNameSize - 1);
      }
      return Record("NIVO_GetActiveProfileByType", type), self.activeProfileResult;
    };
    f.NIVO_SetActiveProfileByType = [](const char* name, std::int32_t type) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetActiveProfileByType", type, Text(name)), 0;
    };
    f.NIVO_DeleteProfileByType = [](const char* name, std::int32_t) NIVO_CALL -> std::int32_t {
      return Record("NIVO_DeleteProfileByType", 0, Text(name)), 0;
    };
    f.NIVO_GetProfileWireless = [](const char* name, ProfileWireless* profile) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      if (self.storedProfile) *profile = *self.storedProfile;
      return Record("NIVO_GetProfileWireless", 0, Text(name)), 0;
    };
    f.NIVO_SetProfileWireless = [](const char* name, ProfileWireless* profile) NIVO_CALL -> std::int32_t {
      NivoCall call = Make("NIVO_SetProfileWireless", 0, Text(name));
      call.profile = *profile;
      return Push(std::move(call)), 0;
    };
    f.NIVO_SetDriverReg = [](ProfileWireless* profile) NIVO_CALL -> std::int32_t {
      NivoCall call = Make("NIVO_SetDriverReg");
      call.profile = *profile;
      return Push(std::move(call)), 0;
    };
    f.NIVO_GetWLANConfig = [](std::uint32_t* flag, WlanConfig* config) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      NivoCall call = Make("NIVO_GetWLANConfig");
      call.selectorIn = *flag;
      call.config = *config;
      const std::uint32_t leftover = Next(self.getLeftover) & *flag;
      if (self.onGet) self.onGet(*flag & ~leftover, *config);
      *flag = leftover;
      call.selectorOut = leftover;
      return Push(std::move(call)), 0;
    };
    f.NIVO_SetWLANConfig = [](std::uint32_t* flag, WlanConfig* config) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      NivoCall call = Make("NIVO_SetWLANConfig");
      call.selectorIn = *flag;
      call.config = *config;
      for (int s = 0; s < kWepKeyCount; ++s) {
        if (config->wepKey[s] != nullptr) call.keys[s] = Snapshot(*config->wepKey[s]);
      }
      const std::uint32_t leftover = Next(self.setLeftover) & *flag;
      *flag = leftover;
      call.selectorOut = leftover;
      return Push(std::move(call)), 0;
    };
    f.NIVO_SetSSID = [](NdisSsid* ssid) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetSSID", ssid->SsidLength), 0;
    };
    f.NIVO_QueryOID = [](std::uint32_t oid, void* buffer, std::uint32_t length,
                         std::uint32_t* written) NIVO_CALL -> std::int32_t {
      RecordingNivo& self = *Active();
      NivoCall call = Make("NIVO_QueryOID", oid);
      call.length = length;
      Push(std::move(call));
      if (oid == kOidGenMediaConnectStatus && length >= 4) {
        std::memcpy(buffer, &self.mediaConnectStatus, 4);
      }
      *written = self.queryBytesWritten;
      return self.queryResult;
    };
    f.NIVO_ChannelToFrequency = [](std::int32_t channel) NIVO_CALL -> std::int32_t {
      return Record("NIVO_ChannelToFrequency", channel), FrequencyOf(channel);
    };
    f.NIVO_FrequencyToChannel = [](std::int32_t frequency) NIVO_CALL -> std::int32_t {
      return Record("NIVO_FrequencyToChannel", frequency), (frequency - 2407000) / 5000;
    };
    f.NIVO_SetChannel = [](std::int32_t* channel) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetChannel", *channel), 0;
    };
    f.NIVO_SetOperatingMode = [](std::int32_t* mode) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetOperatingMode", *mode), 0;
    };
    f.NIVO_SetWLDomain = [](std::int32_t domain) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SetWLDomain", domain), 0;
    };
    f.NIVO_Get_XPWZC = [](std::int32_t* active) NIVO_CALL -> std::int32_t {
      *active = Active()->zeroConfigAnswer;
      return Record("NIVO_Get_XPWZC"), 0;
    };
    f.NIVO_SiteSurveyTrigger = []() NIVO_CALL -> std::int32_t {
      return Record("NIVO_SiteSurveyTrigger"), 0;
    };
    f.NIVO_SiteSurveyGet = [](void*, std::uint32_t* size) NIVO_CALL -> std::int32_t {
      return Record("NIVO_SiteSurveyGet", *size), kNivoSuccess;
    };
    f.NIVO_GetWLANDriverPath = [](char* path) NIVO_CALL -> std::int32_t {
      RecordingNivo* self = Active();
      // Up to the 260 bytes of the caller's buffer, terminated only when the text fits.
      const std::string& answer = self != nullptr ? self->driverPath : std::string();
      std::memcpy(path, answer.data(), std::min<std::size_t>(answer.size(), kDriverPathBufferSize));
      if (answer.size() < kDriverPathBufferSize) path[answer.size()] = '\0';
      Record("NIVO_GetWLANDriverPath");
      return self != nullptr ? self->driverPathResult : kNivoSuccess;
    };
    return f;
  }

  std::vector<NivoCall> calls() const {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
  }
  // The recorded calls of one operation, in order.
  std::vector<NivoCall> callsOf(const std::string& operation) const {
    std::vector<NivoCall> out;
    for (const NivoCall& call : calls()) {
      if (call.operation == operation) out.push_back(call);
    }
    return out;
  }
  std::vector<std::string> operations() const {
    std::vector<std::string> out;
    for (const NivoCall& call : calls()) out.push_back(call.operation);
    return out;
  }
  // The most calls that were ever inside the library at once.
  int maxConcurrentCalls() const { return maxInside_; }

 private:
  static RecordingNivo*& Active() {
    static RecordingNivo* active = nullptr;
    return active;
  }
  static std::string Text(const char* text) { return text == nullptr ? "<null>" : text; }
  static std::uint32_t Next(std::deque<std::uint32_t>& queue) {
    if (queue.empty()) return 0;
    const std::uint32_t value = queue.front();
    queue.pop_front();
    return value;
  }
  static KeySnapshot Snapshot(const WepKeyElement& element) {
    KeySnapshot key;
    key.length = element.length;
    key.keyIndex = element.keyIndex;
    key.keyLength = element.keyLength;
    // Touch every byte the element claims to have, so a short allocation shows under ASan.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&element);
    volatile std::uint8_t sink = 0;
    for (std::uint32_t i = 0; i < element.length && i < 64; ++i) sink = sink ^ bytes[i];
    for (std::uint32_t i = 0; i < element.keyLength && i < 13; ++i) {
      key.material.push_back(element.keyMaterial[i]);
    }
    return key;
  }
  static NivoCall Make(const char* operation, std::int64_t number = 0, std::string text = {}) {
    RecordingNivo& self = *Active();
    const int inside = ++self.inside_;
    int seen = self.maxInside_;
    while (inside > seen && !self.maxInside_.compare_exchange_weak(seen, inside)) {
    }
    if (self.duringCall) self.duringCall(operation);
    NivoCall call;
    call.operation = operation;
    call.number = number;
    call.text = std::move(text);
    return call;
  }
  static void Push(NivoCall call) {
    RecordingNivo& self = *Active();
    {
      std::lock_guard<std::mutex> hold(self.lock_);
      self.calls_.push_back(std::move(call));
    }
    --self.inside_;
  }
  static void Record(const char* operation, std::int64_t number = 0, std::string text = {}) {
    Push(Make(operation, number, std::move(text)));
  }

  mutable std::mutex lock_;
  std::vector<NivoCall> calls_;
  std::atomic<int> inside_{0};
  std::atomic<int> maxInside_{0};
};

}  // namespace testing_nivo
