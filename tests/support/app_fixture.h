// A fresh memory backend for tests that start the application or its main frame: puts the
// shell's process-wide state back to its start values and frees the main frame and the
// configuration window object a test left behind.
#pragma once
#include "app/main_frame.h"
#include "app/os_kind.h"
#include "app/quorvel_app.h"
#include "core/polling_thread.h"
#include "support/memory_platform_fixture.h"

class AppTest : public MemoryPlatformTest {
 protected:
  void SetUp() override {
    MemoryPlatformTest::SetUp();
    ResetProcessState();
  }
  void TearDown() override {
    // A frame the application left to a still-running polling thread (it never runs here).
    delete gMainFrame;
    ReleaseConfigSheet();
    gPollingThreadObject = nullptr;
    gPollingHost = nullptr;
    MemoryPlatformTest::TearDown();
  }
};
