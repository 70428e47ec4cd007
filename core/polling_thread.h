// The polling thread: finds the card, loads the active profile and pushes it to the driver,
// then once a second pushes the settings the pages asked for, follows the media connect
// status into the tray icon, notices when the card has gone, and every third cycle lets the
// main frame re-check the system's wireless zero configuration.
//
// The work is a class whose start-up and single cycles native tests drive on the virtual
// clock; the real thread runs the same code in a loop (PollingThread::Run).
#pragma once
#include <cstdint>

#include "driver/nivo_records.h"

class CConfigUtility;

// What the polling thread asks of the main frame. It calls these on its own thread.
class PollingHost {
 public:
  virtual ~PollingHost() = default;
  virtual bool ModifyIconAtTaskbar(std::uint32_t iconId) = 0;
  virtual int AdjustPagesByXPWZC(int apply) = 0;
};

// The tray icons the thread asks for: IDI_LINK_UP, IDI_NO_LINK and IDI_REMOVE_ICON
// (res/resource.h).

// The root under which the library keeps the profiles.
inline constexpr char kProfileRoot[] = "Tallwyn\\Profile";

class PollingThread {
 public:
  PollingThread(CConfigUtility& sheet, PollingHost& host);

  // Fills the detection record, waits for the card (1000 ms steps), shows icon 187 and
  // loads or creates the active profile. False when told to stop before the card came.
  bool StartUp();
  // One cycle of the loop.
  void RunCycle();
  // StartUp, then cycles until gStopPolling is seen at the top of one.
  void Run();

  // The thread procedure: `argument` is the address of gConfigSheet.
  static void ThreadMain(void* argument);

  // Cycles with the card present since the last page-set check (0..2); process-wide.
  static int cycleCounter;

 private:
  void PushKeysOnly();
  void PushChangedSettings();
  void FollowConnectStatus();
  void LoseCard();
  void HoldPagesOff();

  CConfigUtility& sheet_;
  PollingHost& host_;
  WlanConfig hostInfo_{};  // "pHostInfo": reused by every settings push
  char profileName_[kProfileNameBufferSize] = {};
  bool firstPass_ = false;
};

// The main frame that answers the thread's calls; set by the main frame before it starts
// the thread.
extern PollingHost* gPollingHost;
