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

int Platform::MessageBox(Handle owner, const std::string& text, const std::string& caption, std::uint32_t style) {
  if ((style & mb::kIconMask) == 0) {
    switch (style & mb::kTypeMask) {
      case mb::kOk:
      case mb::kOkCancel:
        style |= mb::kIconExclamation;
        break;
      case mb::kYesNo:
      case mb::kYesNoCancel:
        style |= mb::kIconQuestion;
        break;
      default:
        break;
    }
  }
  return ShowMessageBox(owner, text, caption, style);
}

void WaitAndPumpMessages(std::uint32_t ms) {
  Platform& sys = Sys();
  const std::uint32_t start = sys.TickCount();
  do {
    if (!sys.PumpOneMessage()) sys.Sleep(1);
  } while (sys.TickCount() - start < ms);
}

}  // namespace fw
