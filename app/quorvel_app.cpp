#include "app/quorvel_app.h"

#include "app/os_kind.h"
#include "core/polling_thread.h"
#include "core/shared_state.h"
#include "driver/nivo3_loader.h"

fw::Handle gInstanceMutex = nullptr;

bool CQuorvelApp::AnotherInstanceRuns() {
  bool alreadyExisted = false;
  gInstanceMutex = fw::Sys().CreateNamedMutex(kInstanceMutexName, alreadyExisted);
  return alreadyExisted;
}

bool CQuorvelApp::InitInstance() {
  if (AnotherInstanceRuns()) return false;
  // Without the driver-access library the utility cannot run: the loader has told the user.
  if (!LoadNivoLibraryAtStartup()) return false;

  // The framework creates the hidden frame directly: there is no document or view.
  frame_ = std::make_unique<CMainFrame>();
  if (!frame_->Create(kUtilityTitle)) return false;

  fw::Sys().SetWindowTitle(frame_->window(), "TempName");
  fw::Sys().SetWindowTitle(frame_->window(), kUtilityTitle);

  if (!DetectOsKind()) {
    OsKind = kOsUnknown;
    return false;
  }
  return true;
}

int CQuorvelApp::ExitInstance(int messageLoopResult) {
  // After the exit path the polling thread is suspended for good: the window object and the
  // frame can go. Otherwise (the frame was closed another way, or the thread is still
  // running) the thread may still call on both until the process ends, so both stay.
  if (gStopPolling == 1 || gPollingThreadObject == nullptr) {
    ReleaseConfigSheet();
  } else {
    (void)frame_.release();
  }
  if (gInstanceMutex != nullptr) {
    fw::Sys().CloseHandle(gInstanceMutex);
    gInstanceMutex = nullptr;
  }
  return messageLoopResult;
}

int CQuorvelApp::Run() {
  int loopResult = 0;
  if (InitInstance()) loopResult = fw::Sys().RunMessageLoop();
  return ExitInstance(loopResult);
}

void ResetProcessState() {
  ResetSharedState();
  OsKind = kOsUnknown;
  gIsWindowsMe = 0;
  gFirstArrivalPending = 1;
  gAdjustPagesLock = 0;
  PollingThread::cycleCounter = 0;
  RegisterUtilityMessages();
}
