#include "pages/signal_reading.h"

#include <cstdio>

#include "res/resource.h"

int SignalPercent(std::int32_t rssi) {
  int level = static_cast<std::int16_t>(rssi);
  if (level == 0) level = kNoReadingLevelDbm;
  // Computed in int, not wrapped back into 16 bits: a level far outside the radio's range
  // must not come out as a plausible percentage.
  const int percent = (level - kNoReadingLevelDbm) * 100 / 45;
  return percent > 100 ? 100 : percent;
}

SignalReading SignalStrengthReading(int percent) {
  if (percent <= 0 || percent > 100) return {};
  if (percent <= 25) return {SignalWord::kPoor, true, percent};
  if (percent <= 50) return {SignalWord::kGood, true, percent};
  if (percent <= 74) return {SignalWord::kVeryGood, true, percent};
  return {SignalWord::kExcellent, true, percent};
}

int LinkQualityLevel(int percent) {
  const int level = percent * kBarTop / 100;
  return level > kBarTop ? kBarTop : level;
}

SignalReading LinkQualityReading(int level) {
  if (level <= 0 || level > kBarTop) return {};
  const int percent = level * 100 / kBarTop;
  if (level <= 4) return {SignalWord::kPoor, true, percent};
  if (level <= 8) return {SignalWord::kGood, true, percent};
  if (level <= 11) return {SignalWord::kVeryGood, true, percent};
  return {SignalWord::kExcellent, true, percent};
}

int SignalBarLevel(int percent) { return percent * kBarTop / 100; }

int BarPosition(int level) {
  if (level < 0) return 0;
  return level > kBarTop ? kBarTop : level;
}

std::uint32_t SignalWordTextId(SignalWord word) {
  switch (word) {
    case SignalWord::kPoor: return IDS_SIGNAL_POOR;
    case SignalWord::kGood: return IDS_SIGNAL_GOOD;
    case SignalWord::kVeryGood: return IDS_SIGNAL_VERY_GOOD;
    case SignalWord::kExcellent: return IDS_SIGNAL_EXCELLENT;
    case SignalWord::kNoSignal: break;
  }
  return IDS_SIGNAL_NONE;
}

std::string SignalReadingText(const std::string& word, const SignalReading& reading) {
  if (!reading.withPercent) return word;
  char percent[24];
  std::snprintf(percent, sizeof percent, " (%u%%)", static_cast<unsigned>(reading.percent));
  return word + percent;
}

std::string BssidText(const std::uint8_t (&bssid)[6]) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bssid[0], bssid[1], bssid[2],
                bssid[3], bssid[4], bssid[5]);
  return text;
}
