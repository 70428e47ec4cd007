// The virtual card: a simulated TW7720 card and its driver, answering the operations of the
// driver-access library the way the program relies on. Thread-safe (one lock per call);
// time comes from an injectable clock in milliseconds so tests need not sleep.
//
// Results of the operations:
//   NIVO_Detect            1 card present, 0 absent (or the "detect" fault, or a DetectInfo
//                          whose hardwareId names another card)
//   NIVO_SiteSurveyGet,
//   NIVO_GetWLANDriverPath 1 success, 0 failure
//   NIVO_EnumProfilesByType 0 success, 3 no profile at the index (also without a root); a
//                          stored name no call could use (empty, longer than 64 characters,
//                          with a control character) is not listed
//   NIVO_GetActiveProfileByType 0 success, -27 no active profile (or it no longer exists, or
//                          its stored name is not one a profile can have)
//   profile stores          0 success, 3 no such profile, -27 no active profile for a null
//                          name (also when the stored active name is not one a profile can
//                          have), -1 bad argument, no root or a failed store
//   NIVO_Get/SetWLANConfig 0 when every selected bit was served, -1 otherwise (the bits left
//                          in dwWLFlag are the fields not served)
//   NIVO_QueryOID          0 success (4 bytes written), else an NDIS status code
//   NIVO_Get_XPWZC         the zero-configuration flag (also written to the out argument)
//   everything else        0 success, -1 failure
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "driver/nivo_api.h"
#include "driver/nivo_records.h"
#include "virtualcard/model/json_line.h"
#include "virtualcard/model/profile_store.h"
#include "virtualcard/model/world.h"

namespace vcard {

// NDIS status codes of a failed NIVO_QueryOID.
constexpr std::int32_t kNdisStatusFailure = static_cast<std::int32_t>(0xC0000001u);
constexpr std::int32_t kNdisStatusNotSupported = static_cast<std::int32_t>(0xC00000BBu);
constexpr std::int32_t kNdisStatusInvalidLength = static_cast<std::int32_t>(0xC0010014u);
constexpr std::int32_t kNdisStatusAdapterNotFound = static_cast<std::int32_t>(0xC0010006u);
constexpr std::int32_t kNdisStatusInvalidData = static_cast<std::int32_t>(0xC0010015u);

// Every selector bit the card serves on a get; a set serves the same minus the read-only ones.
constexpr std::uint32_t kServedGetBits = 0x0F07FEFFu;
constexpr std::uint32_t kReadOnlyBits = 0x0D000811u;  // bssid, the status fields, firmware, mask

// What the card looks like at one moment (for tests and the status command).
struct CardState {
  bool present = false;
  bool linked = false;
  bool associationPending = false;
  std::string ssid;                       // of the joined network when linked
  std::array<std::uint8_t, 6> bssid{};
  int channel = 0;                        // of the joined network when linked, else configured
  int rssi = 0;                           // dBm when linked, else 0
  int rateCode = 0;                       // current rate byte (500 kbit/s units) when linked
  std::uint32_t txFrames = 0;
  std::uint32_t rxFrames = 0;
  LiveConfig config;
  bool zeroConfig = false;
  std::uint16_t channelMask = 0;
  std::vector<Network> networks;
  Faults faults;
  std::string profileRoot;
  std::vector<std::string> scenarioErrors;
};

// What an operation tells its call-log line beyond its arguments and result.
struct CallNote {
  bool present = false;        // the card was present when the call returned
  std::size_t heard = 0;       // networks a site survey heard (before cutting to the buffer)
  std::uint32_t flagsIn = 0;   // the selector bits a configuration call was given
};

// The answer of a control command.
struct ControlResult {
  int status = 0;              // 0 done; 1 the command was not understood or not possible
  std::string text;            // what to print
  bool deviceChanged = false;  // the card came or went: broadcast a device-node change
};

class VirtualCard {
 public:
  using Clock = std::function<std::uint64_t()>;
  using ThreadId = std::function<std::uint32_t()>;
  using LineSink = std::function<void(const std::string&)>;

  VirtualCard();

  // A new world: the live state starts over (no link, counters 0, log time 0); the profile
  // store, the clock, the thread id and the call log stay.
  void Reset(const World& world, std::vector<std::string> scenarioErrors = {});
  void SetClock(Clock clock);         // null: the system's steady clock
  void SetThreadId(ThreadId threadId);  // null: the standard library's thread ids
  void SetCallLog(LineSink sink);  // null: no log
  void SetProfileStore(std::unique_ptr<ProfileStore> store);  // null: a new memory store

  CardState State();
  // Runs one control command (the words of a virtualcard-ctl command line).
  ControlResult Control(const std::vector<std::string>& words);

  // The library's operations: one member per operation of NIVO_OPERATIONS.
#define VCARD_OPERATION_MEMBER(name, refused, params, args) std::int32_t name params;
  NIVO_OPERATIONS(VCARD_OPERATION_MEMBER)
#undef VCARD_OPERATION_MEMBER

 private:
  struct Link {
    std::string ssid;
    std::array<std::uint8_t, 6> bssid{};
  };

  // Each operation's behaviour: state and rules, nothing formatted. The public member of
  // the same name (call_log.cpp) takes the lock and writes the call-log line around it.
#define VCARD_OPERATION_ANSWER(name, refused, params, args) std::int32_t Answer##name params;
  NIVO_OPERATIONS(VCARD_OPERATION_ANSWER)
#undef VCARD_OPERATION_ANSWER

  std::uint64_t Now();
  // Brings the simulation up to the current time: frame counters, link loss, association.
  void Advance();
  // A setting that decides the association changed: the link drops, a new one after the delay.
  void Reassociate();
  const Network* Find(const Link& link) const;
  bool Joinable(const Network& network) const;
  bool Admits(const Network& network) const;
  const Network* BestMatch() const;
  std::uint8_t CurrentRate(const Network& network) const;
  void Remove();
  void Insert();
  // The bits a bit fault leaves unserved on this call; counts the call against the fault.
  std::uint32_t TakeBitFault(std::uint32_t& bits, int& count);
  // The call log (call_log.cpp): a line's start and end, the lines of a scenario's errors
  // and of a control command.
  JsonObject Begin(const char* op);
  void Emit(JsonObject& entry, std::int64_t result);
  void LogScenarioErrors();
  void LogControl(const std::vector<std::string>& words, int status);
  // The control commands (control_commands.cpp).
  std::string StatusText();
  ControlResult RunControl(const std::vector<std::string>& words);

  std::mutex lock_;
  Clock clock_;
  ThreadId threadId_;
  LineSink sink_;
  std::unique_ptr<ProfileStore> store_;

  World world_;
  std::vector<std::string> scenarioErrors_;
  LiveConfig driverSettingsConfig_;  // what an insertion starts from
  std::uint64_t loadTime_ = 0;
  std::uint64_t lastAdvance_ = 0;
  std::optional<Link> link_;
  std::uint64_t associateAt_ = 0;
  bool holdDown_ = false;  // link-down: no association until link-up or a new configuration
  std::uint64_t linkedMs_ = 0;
  std::uint32_t surveysTriggered_ = 0;
  std::string root_;
  CallNote note_;  // of the call under way
};

}  // namespace vcard
