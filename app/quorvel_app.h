// The application object: the single-instance rule, the hidden main window and the
// Windows family.
#pragma once
#include <memory>

#include "app/main_frame.h"
#include "framework/platform.h"
#include "res/product_texts.h"

// Name of the mutex that marks the running instance on this desktop: the card's name.
inline constexpr const char* kInstanceMutexName = kCardName;

extern fw::Handle gInstanceMutex;

// Puts every process-wide value of the utility back to its value at process start: the
// shared flags, the Windows family, the main frame's and the polling thread's globals, the
// registered messages. For a fresh start inside one process (tests).
void ResetProcessState();

class CQuorvelApp {
 public:
  // True to enter the message loop; false to end the process at once.
  bool InitInstance();
  // Releases the instance mutex; returns the process exit code (the message loop's).
  int ExitInstance(int messageLoopResult);
  // InitInstance, the message loop, ExitInstance.
  int Run();

 private:
  // True when another instance already holds the mutex.
  static bool AnotherInstanceRuns();

  std::unique_ptr<CMainFrame> frame_;
};
