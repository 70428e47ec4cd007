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

  // The operations, with the library's arguments and results (one member per operation of
  // NIVO_OPERATIONS, each forwarding to the bound entry point).
#define NIVO_DRIVER_MEMBER(name, refused, params, args) std::int32_t name params;
  NIVO_OPERATIONS(NIVO_DRIVER_MEMBER)
#undef NIVO_DRIVER_MEMBER

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
  std::int32_t TerminateOnce();

  NivoFunctions functions_{};
  mutable std::timed_mutex lock_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> closing_{false};  // shutting down: refuse without waiting for the lock
  bool holdsShutdownLock_ = false;
};

// The driver the program holds.
NivoDriver& Nivo();
