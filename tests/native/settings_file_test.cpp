#include "core/settings_file.h"

#include <gtest/gtest.h>

#include "support/memory_platform_fixture.h"

namespace {

TEST(DomainFromCode, AcceptsCodesWhoseFirstFiveCharactersSumTo265) {
  struct Case {
    const char* code;
    int domain;
  } cases[] = {
      {"66067", 0}, {"66166", 1}, {"66256", 2}, {"66355", 3}, {"66454", 4},
      {"66256xyz", 2},  // characters after the fifth do not count
      {"66365", 0},     // sum 266
      {"55555", 0},     // sum passes, but names domain 5
      {"6616", 0},      // four characters
      {"", 0},
      {"\xff\xff\x8d\x10\x10", 0},  // negative character codes count as signed
  };
  for (const Case& c : cases) EXPECT_EQ(DomainFromCode(c.code, 0), c.domain) << c.code;
}

TEST(DomainFromCode, RefusedCodeKeepsThePreviousDomainWhenItIsValid) {
  EXPECT_EQ(DomainFromCode("66365", 3), 3);
  EXPECT_EQ(DomainFromCode("xx", 7), 0);
}

TEST(ChannelMaskFromFlags, SetsOneBitPerLeadingOne) {
  struct Case {
    const char* flags;
    unsigned mask;
  } cases[] = {
      {"11111111111", 0x7FF},
      {"1111111111111", 0x1FFF},
      {"00000000011", 0x600},
      {"", 0},
      {"1x1 1", 0x15},
      {"11111111111111111111", 0xFFFF},  // positions from 16 on have no effect
      {"00000000000000001", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ChannelMaskFromFlags(c.flags), c.mask) << c.flags;
}

TEST(SettingsFilePathFor, ReplacesTheExtensionOfTheProgramName) {
  EXPECT_EQ(SettingsFilePathFor("C:\\Tools\\wlutil.exe"), "C:\\Tools\\wlutil.bin");
  EXPECT_EQ(SettingsFilePathFor("C:\\Tools\\wl.util.exe"), "C:\\Tools\\wl.util.bin");
  EXPECT_EQ(SettingsFilePathFor("C:\\Tools\\wlutil"), "C:\\Tools\\wlutil.bin");
  EXPECT_EQ(SettingsFilePathFor("C:\\My.Tools\\wlutil"), "C:\\My.Tools\\wlutil.bin");
}

class ReadDomainFileTest : public MemoryPlatformTest {
 protected:
  void SetUp() override {
    MemoryPlatformTest::SetUp();
    gIniDomain = 0;
    gIniChannels = 0x1234;
    sys.moduleFileName = "C:\\Tools\\tw7720util.exe";
    ComputeSettingsFilePath();
  }
};

TEST_F(ReadDomainFileTest, ReadsDomainAndChannelsAndTracesBoth) {
  sys.iniFiles["C:\\Tools\\tw7720util.bin"]["INI"] = {{"D", "66256"}, {"Ch", "00000000011"}};
  ReadDomainFile();
  EXPECT_EQ(gIniDomain, 2);
  EXPECT_EQ(gIniChannels, 0x600);
  EXPECT_EQ(sys.debugLines(), (std::vector<std::string>{"\n##### INI domain= 2\n",
                                                         "\n##### INI channels= 0x600\n"}));
}

TEST_F(ReadDomainFileTest, MissingFileOrBadValuesGiveTheDefaults) {
  ReadDomainFile();
  EXPECT_EQ(gIniDomain, 0);
  EXPECT_EQ(gIniChannels, 0);

  sys.iniFiles["C:\\Tools\\tw7720util.bin"]["INI"] = {{"D", std::string(5000, '7')},
                                                      {"Ch", std::string("\x01\x02\xff", 3)}};
  ReadDomainFile();
  EXPECT_EQ(gIniDomain, 0);
  EXPECT_EQ(gIniChannels, 0);
  EXPECT_EQ(sys.debugLines().size(), 4u);
  EXPECT_EQ(sys.debugLines()[3], "\n##### INI channels= 0x0\n");
}

}  // namespace
