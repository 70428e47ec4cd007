// The Windows family the utility runs on, from the system's version record.
#pragma once
#include <atomic>
#include <cstdint>

#include "framework/platform.h"

enum OsFamily : std::uint8_t {
  kOsUnknown = 0,
  kOsWindows2000 = 1,
  kOsWindows95 = 2,
  kOsWindows98Me = 3,
  kOsWindowsNT4 = 4,
  kOsWindowsXP = 5,
};

// Family code 0..5; 0 until detected. Written by the window thread, read by the polling
// thread: an atomic, like the shared flags.
extern std::atomic<std::uint8_t> OsKind;
extern int gIsWindowsMe;     // 1 on Windows Me; set by the main frame's creation

constexpr std::uint32_t kPlatformWin95Family = 1;
constexpr std::uint32_t kPlatformNT = 2;

// The family code for a version record. An NT platform of a major version other than 4 and 5
// keeps `previous`; a platform neither NT nor the 95 family gives 0.
std::uint8_t OsKindFromVersion(const fw::VersionRecord& version, std::uint8_t previous);
// Windows Me: the 95 family with minor version 90.
bool IsWindowsMeVersion(const fw::VersionRecord& version);

// Queries the system and updates OsKind; returns false for an unknown platform.
bool DetectOsKind();
