#include "app/os_kind.h"

std::atomic<std::uint8_t> OsKind{kOsUnknown};
int gIsWindowsMe = 0;

std::uint8_t OsKindFromVersion(const fw::VersionRecord& version, std::uint8_t previous) {
  if (version.platformId == kPlatformNT) {
    if (version.major == 5) return version.minor == 0 ? kOsWindows2000 : kOsWindowsXP;
    if (version.major == 4) return kOsWindowsNT4;
    return previous;
  }
  if (version.platformId == kPlatformWin95Family) {
    return version.minor == 0 ? kOsWindows95 : kOsWindows98Me;
  }
  return kOsUnknown;
}

bool IsWindowsMeVersion(const fw::VersionRecord& version) {
  return version.platformId == kPlatformWin95Family && version.minor == 90;
}

bool DetectOsKind() {
  fw::VersionRecord version;
  if (!fw::Sys().QueryVersion(version)) version = fw::VersionRecord{};
  OsKind = OsKindFromVersion(version, OsKind.load());
  return version.platformId == kPlatformNT || version.platformId == kPlatformWin95Family;
}
