// The one object through which the program calls the driver-access library. It holds the
// library's entry points, serialises the calls of the window thread and the polling thread
// with one lock, and after NIVO_Terminate refuses every call at once, without reaching the
// library. A refused call answers as a failed one: -1 (0 from NIVO_Detect, NIVO_SiteSurveyGet,
// NIVO_GetWLANDriverPath and NIVO_ChannelToFrequency/NIVO_FrequencyToChannel; 3, "no profile
// at this index", from NIVO_EnumProfilesByType, so that an enumeration ends), with every
// selector bit left set and no byte written. NIVO_Terminate takes the same lock, so it never
// overlaps a call of the other thread.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "driver/nivo_api.h"

class NivoDriver {
 public:
  NivoDriver() = default;
  explicit NivoDriver(const NivoFunctions& functions) : functions_(functions) {}

  // Binds the driver to a table of entry points (a test's fake or the virtual card) and
  // makes it usable again.
  void Bind(const NivoFunctions& functions);
  bool bound() const { return functions_.NIVO_Init != nullptr; }
  bool terminated() const;

  // The operations, with the library's arguments and results.
  std::int32_t NIVO_Init(const char* applicationName, std::int32_t reserved);
  std::int32_t NIVO_Terminate();
  std::int32_t NIVO_Detect(DetectInfo* info);
  std::int32_t NIVO_SetProfileRoot(const char* root);
  std::int32_t NIVO_EnumProfilesByType(std::int32_t index, char* nameOut, std::int32_t type);
  std::int32_t NIVO_GetActiveProfileByType(char* nameOut, std::int32_t type);
  std::int32_t NIVO_SetActiveProfileByType(const char* name, std::int32_t type);
  std::int32_t NIVO_DeleteProfileByType(const char* name, std::int32_t type);
  std::int32_t NIVO_GetProfileWireless(const char* name, ProfileWireless* profile);
  std::int32_t NIVO_SetProfileWireless(const char* nameOrNull, ProfileWireless* profile);
  std::int32_t NIVO_SetDriverReg(ProfileWireless* profile);
  std::int32_t NIVO_GetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config);
  std::int32_t NIVO_SetWLANConfig(std::uint32_t* dwWLFlag, WlanConfig* config);
  std::int32_t NIVO_SetSSID(NdisSsid* ssid);
  std::int32_t NIVO_QueryOID(std::uint32_t oid, void* buffer, std::uint32_t length,
                             std::uint32_t* bytesWritten);
  std::int32_t NIVO_ChannelToFrequency(std::int32_t channel);
  std::int32_t NIVO_FrequencyToChannel(std::int32_t frequency);
  std::int32_t NIVO_SetChannel(std::int32_t* channel);
  std::int32_t NIVO_SetOperatingMode(std::int32_t* mode);
  std::int32_t NIVO_SetWLDomain(std::int32_t domain);
  std::int32_t NIVO_Get_XPWZC(std::int32_t* active);
  std::int32_t NIVO_SiteSurveyTrigger();
  std::int32_t NIVO_SiteSurveyGet(void* buffer, std::uint32_t* size);
  std::int32_t NIVO_GetWLANDriverPath(char* pathOut);

  // The exit path, in two steps around the stop of the polling thread. BeginShutdown
  // refuses every new call at once and waits (at most `waitMs`) for a call under way to
  // return; it then holds the lock, so the polling thread can be suspended knowing it is
  // not inside the library. FinishShutdown calls NIVO_Terminate under that same lock and
  // releases it. When a call never returned in time, NIVO_Terminate is skipped: it must
  // never overlap another call. Returns whether the library was terminated.
  bool BeginShutdown(std::uint32_t waitMs = 2000);
  bool FinishShutdown();

 private:
  template <typename Entry, typename... Args>
  std::int32_t Call(Entry NivoFunctions::*entry, std::int32_t refused, Args... args);

  NivoFunctions functions_{};
  mutable std::timed_mutex lock_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> closing_{false};  // shutting down: refuse without waiting for the lock
  bool holdsShutdownLock_ = false;
};

// The driver the program holds.
NivoDriver& Nivo();
