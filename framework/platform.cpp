#include "framework/platform.h"

#ifdef _WIN32
#include "framework/win32/win32_platform.h"
#else
#include "framework/memory/memory_platform.h"
#endif

namespace fw {

namespace {
Platform* gInstalled = nullptr;

Platform& DefaultPlatform() {
#ifdef _WIN32
  static Win32Platform platform;
#else
  static MemoryPlatform platform;
#endif
  return platform;
}
}  // namespace

Platform& Sys() { return gInstalled != nullptr ? *gInstalled : DefaultPlatform(); }

void UsePlatform(Platform* platform) { gInstalled = platform; }

ControlAccess& Controls() { return Sys().Controls(); }

}  // namespace fw
