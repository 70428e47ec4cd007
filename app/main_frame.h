// The utility's hidden main window. It owns the tray icon and its menu, opens and hides the
// configuration window, starts and stops the driver library and the polling thread, and
// receives device-change, power and close notifications.
#pragma once
#include <atomic>
#include <cstdint>

#include "core/polling_thread.h"
#include "framework/message_map.h"
#include "framework/platform.h"
#include "res/resource.h"

class CConfigUtility;

// Tray menu commands: ID_HIDE_CONFIG_UTILITY, ID_SHOW_CONFIG_UTILITY and ID_EXIT_UTILITY
// (res/resource.h).
// The one-shot timer that device arrival starts: when it fires the profile is pushed.
constexpr std::uintptr_t kArrivalTimerId = 7;
constexpr std::uint32_t kArrivalTimerMs = 2000;
// The tray icon's id within the main frame.
constexpr std::uint32_t kTrayIconUid = 1;

class CMainFrame : public fw::MessageMapWindow<CMainFrame>, public PollingHost {
 public:
  // Sets gMainFrame and reads the settings file beside the program.
  CMainFrame();
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Creates the hidden window; false when its creation failed.
  bool Create(const char* title);
  fw::Handle window() const { return window_; }

  // Tray icon: 186 link up, 187 no link, 207 removes the icon (and closes the window).
  bool ModifyIconAtTaskbar(std::uint32_t iconId) override;
  bool AddIconToTaskbar(std::uint32_t iconId);
  bool RemoveIconFromTaskbar();

  // The show sequence: page set check, then the configuration window, modally.
  void ShowConfigSheet();
  // Ends the configuration window's modal loop with IDCANCEL when it is showing.
  void HideConfigSheet();
  // Follows XP's wireless zero configuration into the page set; 1 when they disagreed.
  int AdjustPagesByXPWZC(int apply) override;

  // The frame's messages, in the order of its message table (main_frame.cpp).
  static std::span<const fw::MessageRow<CMainFrame>> MessageMap();

  // Message handlers.
  int OnCreate(fw::Handle window);
  void OnDestroy();
  void OnCommand(std::uint32_t id);
  void OnClose();
  void OnTimer(std::uintptr_t id);
  void OnSettingChange();
  // Answers TRUE: every device event is accepted.
  int OnDeviceChange(std::uint32_t eventType, fw::LParam eventData);
  void OnPowerEvent(fw::WParam code);
  void OnTrayNotification(fw::LParam mouseMessage);
  // Command 2004, "ELEGANT_CLOSE" and the close request: icon, polling thread, window,
  // library, frame.
  void ExitUtility();

 private:
  bool FillTrayRecord(std::uint32_t iconId, fw::TrayIconRecord& record) const;
  void ShowTrayMenu();
  // Device changes that carry a device node: is the node the card?
  bool IsCardEvent(fw::LParam eventData) const;
  void OnDevNodesChanged();
  void OnDeviceArrival(fw::LParam eventData);
  void OnDeviceRemoveComplete(fw::LParam eventData);

  fw::Handle window_ = nullptr;
  std::atomic<std::uint32_t> shownIconId_{0};  // the picture the tray icon shows; 0 = none
};

extern CMainFrame* gMainFrame;
extern CConfigUtility* gConfigSheet;       // the configuration window; never freed
extern fw::Handle gPollingThreadObject;    // the polling thread started by OnCreate
extern int gFirstArrivalPending;           // on Windows 98/Me the first arrival is ignored
extern std::atomic<int> gAdjustPagesLock;  // AdjustPagesByXPWZC is running

// Frees the configuration window object. Only once the polling thread has been stopped
// (the exit path) or never ran: the thread holds the object's address.
void ReleaseConfigSheet();

// Registered at program load, before any window exists.
extern std::uint32_t gIconPressedMessage;   // "QUORVEL_ICON_PRESSED": the tray icon's callback
extern std::uint32_t gElegantCloseMessage;  // "ELEGANT_CLOSE": another program asks us to exit
void RegisterUtilityMessages();
