// The real tw7720util.exe under Wine: single instance, close request, settings file trace.
#include <gtest/gtest.h>

#include "support/utility_facts.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

// A copy of the utility in a folder of its own, so its settings file is the test's.
class UtilityCopy {
 public:
  UtilityCopy() {
    // The program with the virtual card beside it, as it ships.
    ok_ = folder_.CopyFromBin(kUtilityProgram) && folder_.CopyFromBin("NIVO3.DLL");
  }
  bool ok() const { return ok_; }
  std::string exe() const { return folder_.File(kUtilityProgram); }
  const ScratchFolder& folder() const { return folder_; }

 private:
  ScratchFolder folder_;
  bool ok_ = false;
};

TEST(Startup, SecondStartLeavesOneInstanceAndCloseRequestEndsIt) {
  UtilityCopy copy;
  ASSERT_TRUE(copy.ok());
  DebuggedProcess first(copy.exe());
  ASSERT_TRUE(first.started());
  HWND frame = WaitForWindow(nullptr, kUtilityTitle);
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(IsWindowVisible(frame));

  // The second start ends by itself and shows nothing.
  EXPECT_EQ(RunToEnd(copy.exe()), 0);
  EXPECT_FALSE(first.exited());
  EXPECT_EQ(FindWindowA(nullptr, kUtilityTitle), frame);

  BroadcastRegistered("ELEGANT_CLOSE");
  ASSERT_TRUE(first.WaitForExit());
  EXPECT_EQ(first.exitCode(), 0u);

  // The mutex went with the process: a new start runs.
  DebuggedProcess again(copy.exe());
  ASSERT_NE(WaitForWindow(nullptr, kUtilityTitle), nullptr);
  BroadcastRegistered("ELEGANT_CLOSE");
  EXPECT_TRUE(again.WaitForExit());
}

TEST(Startup, TracesTheDomainAndChannelsOfTheSettingsFile) {
  UtilityCopy copy;
  ASSERT_TRUE(copy.ok());
  ASSERT_TRUE(copy.folder().Write("tw7720util.bin", "[INI]\r\nD=66256\r\nCh=00000000011\r\n"));
  DebuggedProcess utility(copy.exe());
  EXPECT_TRUE(utility.WaitForLine("\n##### INI domain= 2\n"));
  EXPECT_TRUE(utility.WaitForLine("\n##### INI channels= 0x600\n"));
  ASSERT_NE(WaitForWindow(nullptr, kUtilityTitle), nullptr);
  BroadcastRegistered("ELEGANT_CLOSE");
  EXPECT_TRUE(utility.WaitForExit());
}

TEST(Startup, DamagedSettingsFileGivesTheDefaults) {
  UtilityCopy copy;
  ASSERT_TRUE(copy.ok());
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
  ASSERT_TRUE(copy.folder().Write("tw7720util.bin", "[INI]\r\nD=" + std::string(5000, '6') + "\r\n" + binary));
  DebuggedProcess utility(copy.exe());
  EXPECT_TRUE(utility.WaitForLine("\n##### INI domain= 0\n"));
  EXPECT_TRUE(utility.WaitForLine("\n##### INI channels= 0x0\n"));
  ASSERT_NE(WaitForWindow(nullptr, kUtilityTitle), nullptr);
  BroadcastRegistered("ELEGANT_CLOSE");
  EXPECT_TRUE(utility.WaitForExit());
}

}  // namespace
