// The utility's hidden main window. It owns the tray icon and its menu, opens and hides the
// configuration window, starts and stops the driver library and the polling thread, and
// receives device-change, power and close notifications.
#pragma once
#include <cstdint>

#include "framework/platform.h"

class CMainFrame : public fw::WindowHandler {
 public:
  // Sets gMainFrame and reads the settings file beside the program.
  CMainFrame();
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Creates the hidden window; false when its creation failed.
  bool Create(const char* title);
  fw::Handle window() const { return window_; }

  bool OnMessage(fw::Handle window, std::uint32_t message, fw::WParam wParam, fw::LParam lParam,
                 fw::LResult& result) override;

 private:
  int OnCreate();
  void OnElegantClose();

  fw::Handle window_ = nullptr;
};

extern CMainFrame* gMainFrame;

// Registered at program load, before any window exists.
extern std::uint32_t gIconPressedMessage;   // "QUORVEL_ICON_PRESSED": the tray icon's callback
extern std::uint32_t gElegantCloseMessage;  // "ELEGANT_CLOSE": another program asks us to exit
void RegisterUtilityMessages();
