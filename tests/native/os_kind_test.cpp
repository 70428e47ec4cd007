#include "app/os_kind.h"

#include <gtest/gtest.h>

namespace {

TEST(OsKindFromVersion, MapsPlatformAndVersionToTheFamily) {
  struct Case {
    std::uint32_t platform, major, minor;
    std::uint8_t previous;
    std::uint8_t kind;
    bool isMe;
  } cases[] = {
      {2, 5, 0, 0, kOsWindows2000, false},
      {2, 5, 1, 0, kOsWindowsXP, false},
      {2, 5, 2, 0, kOsWindowsXP, false},
      {2, 4, 0, 0, kOsWindowsNT4, false},
      {2, 4, 10, 0, kOsWindowsNT4, false},
      {1, 4, 0, 0, kOsWindows95, false},
      {1, 4, 10, 0, kOsWindows98Me, false},
      {1, 4, 90, 0, kOsWindows98Me, true},
      {2, 6, 0, 0, kOsUnknown, false},      // a later NT keeps what was there...
      {2, 6, 1, kOsWindowsXP, kOsWindowsXP, false},  // ...whatever it was
      {0, 5, 1, kOsWindowsXP, kOsUnknown, false},    // Win32s: unknown
      {3, 5, 1, 0, kOsUnknown, false},
  };
  for (const Case& c : cases) {
    fw::VersionRecord v{c.platform, c.major, c.minor};
    EXPECT_EQ(OsKindFromVersion(v, c.previous), c.kind) << c.platform << " " << c.major << "." << c.minor;
    EXPECT_EQ(IsWindowsMeVersion(v), c.isMe) << c.platform << " " << c.major << "." << c.minor;
  }
}

}  // namespace
