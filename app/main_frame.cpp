#include "app/main_frame.h"

#include "app/os_kind.h"
#include "core/settings_file.h"

CMainFrame* gMainFrame = nullptr;
std::uint32_t gIconPressedMessage = 0;
std::uint32_t gElegantCloseMessage = 0;

void RegisterUtilityMessages() {
  gIconPressedMessage = fw::Sys().RegisterMessage("QUORVEL_ICON_PRESSED");
  gElegantCloseMessage = fw::Sys().RegisterMessage("ELEGANT_CLOSE");
}

CMainFrame::CMainFrame() {
  gMainFrame = this;
  ComputeSettingsFilePath();
  ReadDomainFile();
}

CMainFrame::~CMainFrame() {
  if (gMainFrame == this) gMainFrame = nullptr;
}

bool CMainFrame::Create(const char* title) {
  window_ = fw::Sys().CreateHiddenWindow(*this, title);
  return window_ != nullptr;
}

int CMainFrame::OnCreate() {
  DetectOsKind();
  fw::VersionRecord version;
  gIsWindowsMe = fw::Sys().QueryVersion(version) && IsWindowsMeVersion(version) ? 1 : 0;
  // Not built yet: the configuration window object, NIVO_Init and the polling thread.
  return 0;
}

void CMainFrame::OnElegantClose() {
  // Not built yet: the full exit path (tray icon, polling thread, library). Until then the
  // close request destroys the frame, which ends the message loop and so the process.
  fw::Sys().DestroyWindow(window_);
}

bool CMainFrame::OnMessage(fw::Handle window, std::uint32_t message, fw::WParam wParam,
                           fw::LParam lParam, fw::LResult& result) {
  if (message == fw::msg::kCreate) {
    window_ = window;
    result = OnCreate();
    return true;
  }
  if (message == fw::msg::kDestroy) {
    window_ = nullptr;
    fw::Sys().PostQuit(0);
    return false;
  }
  if (message == gElegantCloseMessage && message != 0) {
    OnElegantClose();
    result = 0;
    return true;
  }
  return false;
}
