// Installs a fresh memory backend (virtual clock, recorded side effects) for one test and
// puts the process-wide state back to its start values.
#pragma once
#include <gtest/gtest.h>

#include "core/shared_state.h"
#include "framework/memory/memory_platform.h"

class MemoryPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    fw::UsePlatform(&sys);
  }
  void TearDown() override { fw::UsePlatform(nullptr); }

  fw::MemoryPlatform sys;
};
