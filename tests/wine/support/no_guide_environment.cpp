// The in-process tests read the help topics the pages ask for (Win32Platform::helpShown) and
// open no guide: the test program has none beside it, and a missing guide is told in a
// message box that would wait for a user.
#include <gtest/gtest.h>

#include "framework/win32/win32_platform.h"

namespace {

class NoGuideEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { dynamic_cast<fw::Win32Platform&>(fw::Sys()).openHelp = false; }
};

[[maybe_unused]] ::testing::Environment* const kNoGuide = ::testing::AddGlobalTestEnvironment(new NoGuideEnvironment);

}  // namespace
