// Process-wide flags shared by the window thread and the polling thread. Each holds only
// 0 or 1. They are atomics with relaxed ordering: the same single bytes the two threads
// read and write without locks, made well-defined for the compiler.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

using SharedFlag = std::atomic<std::uint8_t>;
using SharedInt = std::atomic<std::int32_t>;

extern SharedFlag gDevicePresent;            // the card is detected and usable
extern SharedFlag gChangeParametersRequest;  // push the changed basic settings of the profile
extern SharedFlag gReapplyRequest;           // push the whole profile; 1 at process start
extern SharedFlag gPowerResumed;             // a suspend query or resume was seen
extern SharedFlag gSheetOpen;                // the configuration window is showing
extern SharedFlag gStopPolling;              // the polling thread is to end
extern SharedInt gZeroConfigActive;          // XP's wireless zero configuration manages the card
extern SharedInt gIconInTray;                // the tray icon is shown

// The card's presence and the tray icon change together. A thread that decides from
// gDevicePresent and then moves it and the icon holds this lock for the whole step, so an
// insertion the window thread handles is never undone by the polling thread's loss of the
// card, nor a removal by its link reading. No library call and no wait for the other
// thread is made while it is held.
extern std::mutex gPresenceLock;
using PresenceGuard = std::lock_guard<std::mutex>;

// Puts every flag back to its value at process start (for tests of a fresh start).
void ResetSharedState();
