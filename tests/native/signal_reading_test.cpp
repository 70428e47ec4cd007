#include "pages/signal_reading.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "res/resource.h"

namespace {

TEST(SignalPercent, FollowsTheLevelScaleTruncatingTowardZero) {
  struct Case {
    std::int32_t rssi;
    int percent;
  };
  const Case cases[] = {
      {-90, 0}, {-80, 22}, {-60, 66}, {-45, 100}, {-30, 100}, {-89, 2}, {-100, -22}, {-91, -2}, {1, 100},
      {0, 0},  // 0 dBm is no reading: taken as -90
  };
  for (const Case& c : cases) EXPECT_EQ(SignalPercent(c.rssi), c.percent) << c.rssi;
}

TEST(SignalPercent, ReadsTheLevelAsASigned16BitValue) {
  EXPECT_EQ(SignalPercent(0x10000 - 60), 66);    // low half -60
  EXPECT_EQ(SignalPercent(0x10000), 0);          // low half 0: no reading
  EXPECT_EQ(SignalPercent(INT32_MIN), 0);        // low half 0
  EXPECT_EQ(SignalPercent(INT32_MAX), 100);      // low half -1 dBm
  EXPECT_EQ(SignalPercent(32767), 100);
  EXPECT_EQ(SignalPercent(-32768), (-32768 + 90) * 100 / 45);
}

TEST(SignalPercent, AbsurdLevelsNeverWrapIntoAPlausiblePercentage) {
  // Folded back into 16 bits these two would read as 1 per cent ("Poor").
  EXPECT_EQ(SignalPercent(29402), 100);
  EXPECT_LT(SignalPercent(-29581), 0);
  for (std::int32_t level = -32768; level <= 32767; ++level) {
    const int p = SignalPercent(level);
    ASSERT_LE(p, 100) << level;
    if (level < -90) {
      ASSERT_LT(p, 0) << level;
    } else if (level > -45 && level != 0) {
      ASSERT_EQ(p, 100) << level;
    }
  }
}

struct WordCase {
  int input;
  SignalWord word;
  bool withPercent;
  int percent;
};

TEST(SignalStrengthReading, BandsOfThePercentage) {
  const WordCase cases[] = {
      {-22, SignalWord::kNoSignal, false, 0}, {0, SignalWord::kNoSignal, false, 0},
      {1, SignalWord::kPoor, true, 1},        {25, SignalWord::kPoor, true, 25},
      {26, SignalWord::kGood, true, 26},      {50, SignalWord::kGood, true, 50},
      {51, SignalWord::kVeryGood, true, 51},  {74, SignalWord::kVeryGood, true, 74},
      {75, SignalWord::kExcellent, true, 75}, {100, SignalWord::kExcellent, true, 100},
      {101, SignalWord::kNoSignal, false, 0},
  };
  for (const WordCase& c : cases) {
    EXPECT_EQ(SignalStrengthReading(c.input), (SignalReading{c.word, c.withPercent, c.percent})) << c.input;
  }
}

TEST(LinkQualityReading, BandsOfTheLevelWithTheLevelsPercentage) {
  const WordCase cases[] = {
      {-3, SignalWord::kNoSignal, false, 0},  {0, SignalWord::kNoSignal, false, 0},
      {1, SignalWord::kPoor, true, 6},        {4, SignalWord::kPoor, true, 26},
      {5, SignalWord::kGood, true, 33},       {8, SignalWord::kGood, true, 53},
      {9, SignalWord::kVeryGood, true, 60},   {11, SignalWord::kVeryGood, true, 73},
      {12, SignalWord::kExcellent, true, 80}, {15, SignalWord::kExcellent, true, 100},
  };
  for (const WordCase& c : cases) {
    EXPECT_EQ(LinkQualityReading(c.input), (SignalReading{c.word, c.withPercent, c.percent})) << c.input;
  }
  const int steps[] = {6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 73, 80, 86, 93, 100};
  for (int level = 1; level <= 15; ++level) EXPECT_EQ(LinkQualityReading(level).percent, steps[level - 1]);
}

TEST(SignalLevels, BarsAndQualityFromThePercentage) {
  struct Case {
    int percent, signalBar, qualityLevel;
  };
  const Case cases[] = {{-22, -3, -3}, {0, 0, 0}, {4, 0, 0}, {22, 3, 3}, {66, 9, 9}, {75, 11, 11}, {100, 15, 15}};
  for (const Case& c : cases) {
    EXPECT_EQ(SignalBarLevel(c.percent), c.signalBar) << c.percent;
    EXPECT_EQ(LinkQualityLevel(c.percent), c.qualityLevel) << c.percent;
  }
  EXPECT_EQ(LinkQualityLevel(200), 15);  // never above the bar's top
  EXPECT_EQ(BarPosition(-3), 0);
  EXPECT_EQ(BarPosition(0), 0);
  EXPECT_EQ(BarPosition(9), 9);
  EXPECT_EQ(BarPosition(15), 15);
  EXPECT_EQ(BarPosition(16), 15);
}

TEST(SignalReadingText, WordWithPercentageOrAlone) {
  EXPECT_EQ(SignalReadingText("Good", {SignalWord::kGood, true, 40}), "Good (40%)");
  EXPECT_EQ(SignalReadingText("Excellent", {SignalWord::kExcellent, true, 100}), "Excellent (100%)");
  EXPECT_EQ(SignalReadingText("No Signal", {}), "No Signal");
  EXPECT_EQ(SignalWordTextId(SignalWord::kNoSignal), static_cast<std::uint32_t>(IDS_SIGNAL_NONE));
  EXPECT_EQ(SignalWordTextId(SignalWord::kPoor), static_cast<std::uint32_t>(IDS_SIGNAL_POOR));
  EXPECT_EQ(SignalWordTextId(SignalWord::kExcellent), static_cast<std::uint32_t>(IDS_SIGNAL_EXCELLENT));
}

TEST(BssidText, UpperCaseHexJoinedByDashes) {
  const std::uint8_t a[6] = {0x00, 0x1a, 0x2B, 0xc0, 0xFF, 0x09};
  EXPECT_EQ(BssidText(a), "00-1A-2B-C0-FF-09");
}

}  // namespace
