// Entry point of tw7720util.exe.
#include "framework/win32/windows_h.h"

#include "app/main_frame.h"
#include "app/quorvel_app.h"
#include "driver/nivo3_loader.h"
#include "driver/nivo_driver.h"

namespace {
// The registered messages exist before any window does.
const bool gMessagesRegistered = (RegisterUtilityMessages(), true);
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  gNivoStartupLoader = [] { return LoadNivoLibrary(Nivo()); };
  CQuorvelApp app;
  return app.Run();
}
