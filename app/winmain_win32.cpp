// Entry point of tw7720util.exe.
#include "framework/win32/windows_h.h"

#include <cstdlib>

#include "app/main_frame.h"
#include "app/quorvel_app.h"
#include "diag/trace.h"
#include "driver/nivo3_loader.h"
#include "driver/nivo_driver.h"

namespace {

// Trace categories to switch on for this run, as a hexadecimal mask in TW7720_TRACE (for
// example 4000 for the Link Info refresh timing). Absent, too long or not a number: none.
void ReadTraceSwitches() {
  char text[16] = {};
  const DWORD length = GetEnvironmentVariableA("TW7720_TRACE", text, sizeof text);
  if (length == 0 || length >= sizeof text) return;
  SetTraceSwitches(static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16)));
}

// The registered messages exist before any window does.
const bool gMessagesRegistered = (RegisterUtilityMessages(), true);
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ReadTraceSwitches();
  gNivoStartupLoader = [] { return LoadNivoLibrary(Nivo()); };
  CQuorvelApp app;
  return app.Run();
}
