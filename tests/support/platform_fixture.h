// The platform in use, for tests written once against the framework's interface: a fresh
// memory backend in the native suite, the real win32 backend under Wine.
#pragma once
#include <gtest/gtest.h>

#include "framework/platform.h"

#ifdef _WIN32
class PlatformTest : public ::testing::Test {
 protected:
  fw::Platform& platform() { return fw::Sys(); }
};
#else
#include "support/memory_platform_fixture.h"

class PlatformTest : public MemoryPlatformTest {
 protected:
  fw::Platform& platform() { return sys; }
};
#endif
