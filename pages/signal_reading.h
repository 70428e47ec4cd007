// The signal read-outs that the Link Info and Site Survey pages share: the percentage from a
// signal level in dBm, the two word tables (signal strength and link quality), the bar
// positions and the BSSID text. Pure arithmetic: no controls, no library calls.
#pragma once
#include <cstdint>
#include <string>

// A signal level of 0 dBm means "no reading": it is taken as this level.
constexpr int kNoReadingLevelDbm = -90;
// Both bars run from 0 to this position.
constexpr int kBarTop = 15;

// Percentage from a signal level in dBm, of which only the low 16 bits count (a signed 16-bit
// value): 0 is taken as -90, then (r + 90) * 100 / 45 truncated toward zero, capped at 100.
// There is no lower bound: levels below -90 dBm give negative percentages.
// Examples: -90 → 0, -80 → 22, -60 → 66, -45 → 100, -100 → -22.
int SignalPercent(std::int32_t rssi);

// The words of the two tables, in the order of their string ids (IDS_SIGNAL_NONE ...).
enum class SignalWord { kNoSignal, kPoor, kGood, kVeryGood, kExcellent };
constexpr int kSignalWordCount = 5;

// One read-out: a word and, for every word but "No Signal", a percentage after it.
struct SignalReading {
  SignalWord word = SignalWord::kNoSignal;
  bool withPercent = false;
  int percent = 0;
  friend bool operator==(const SignalReading&, const SignalReading&) = default;
};

// Signal strength from the percentage p: 0 or less, or above 100, "No Signal"; 1..25 "Poor";
// 26..50 "Good"; 51..74 "Very Good"; 75..100 "Excellent"; each with p.
SignalReading SignalStrengthReading(int percent);

// The link quality level from the percentage: p * 15 / 100, at most 15 (negative stays).
int LinkQualityLevel(int percent);
// Link quality from the level q: 0 or negative "No Signal"; 1..4 "Poor"; 5..8 "Good";
// 9..11 "Very Good"; 12..15 "Excellent"; each with q * 100 / 15 per cent.
SignalReading LinkQualityReading(int level);

// The signal bar's level from the percentage: p * 15 / 100 (may lie outside the bar).
int SignalBarLevel(int percent);
// Where a level shows on a bar of 0..15: a level outside shows as the nearest end.
int BarPosition(int level);

// The string-table id of a word.
std::uint32_t SignalWordTextId(SignalWord word);
// The text shown: the word, then " (%u%%)" with the percentage when the reading has one
// ("Good (40%)").
std::string SignalReadingText(const std::string& word, const SignalReading& reading);

// Six address bytes as "%02X-%02X-%02X-%02X-%02X-%02X".
std::string BssidText(const std::uint8_t (&bssid)[6]);
