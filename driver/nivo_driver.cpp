#include "driver/nivo_driver.h"

#include <string_view>

namespace {

// What a refused NIVO_Terminate answers (the other operations' answers are in NIVO_OPERATIONS).
constexpr std::int32_t kRefused = -1;

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

// The last call: after it the driver refuses everything, a second terminate included. The
// driver counts as terminated even when it was never bound, so the exit path leaves it in
// one defined state.
std::int32_t NivoDriver::TerminateOnce() {
  if (closing_) return kRefused;
  std::lock_guard<std::timed_mutex> hold(lock_);
  if (terminated_) return kRefused;
  terminated_ = true;
  if (functions_.NIVO_Terminate == nullptr) return kRefused;
  return functions_.NIVO_Terminate();
}

// Every other operation runs its entry point through Call with its refused answer; an
// enumeration, for one, runs until "no profile at this index", so a refused call ends it.
#define NIVO_DRIVER_FORWARD(name, refused, params, args)                         \
  std::int32_t NivoDriver::name params {                                        \
    if constexpr (std::string_view(#name) == "NIVO_Terminate")                  \
      return TerminateOnce();                                                   \
    else                                                                        \
      return Call(&NivoFunctions::name, refused NIVO_WITH_ARGS args);         \
  }
NIVO_OPERATIONS(NIVO_DRIVER_FORWARD)
#undef NIVO_DRIVER_FORWARD

NivoDriver& Nivo() {
  static NivoDriver driver;
  return driver;
}
