// The Site Survey page's list, without controls: reading the driver's BSSID list into the
// survey table, the table itself, and the join request made from a chosen row.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "driver/nivo_records.h"

// Field widths of a survey row, in characters including the terminating zero.
constexpr std::size_t kSurveyBssidWidth = 20;
constexpr std::size_t kSurveySsidWidth = 40;
constexpr std::size_t kSurveyFieldWidth = 20;  // signal, channel, WEP, BSS type
constexpr int kSurveyTableRows = 64;

// Row texts of the WEP and BSS type columns, and the signal column without a reading.
inline constexpr char kPrivacyYes[] = "Yes";
inline constexpr char kPrivacyNo[] = "No";
inline constexpr char kBssTypeInfrastructure[] = "Infrastructure";
inline constexpr char kBssTypeAdHoc[] = "Ad-Hoc";
inline constexpr char kNoSignalPercent[] = "n/a";

// The six texts of one list row, in column order.
struct SurveyRowTexts {
  std::string ssid, bssid, signal, channel, wep, bssType;
};

struct SurveyRow {
  char bssid[kSurveyBssidWidth];
  char ssid[kSurveySsidWidth];
  char signal[kSurveyFieldWidth];
  char channel[kSurveyFieldWidth];
  char wep[kSurveyFieldWidth];
  char bssType[kSurveyFieldWidth];
};

// At most 64 rows in the driver's order; the first report of a BSSID wins.
struct SurveyTable {
  int count = 0;
  SurveyRow rows[kSurveyTableRows] = {};

  void Clear() { count = 0; }
  // Copies each text into its field, cut to the field's width minus one. Not added (false)
  // when a row with the same BSSID text is already here or the table is full.
  bool Add(const SurveyRowTexts& texts);
  // The texts of row `index` in column order (0 SSID, 1 BSSID, 2 signal, 3 channel, 4 WEP,
  // 5 BSS type); empty for a row or column that does not exist.
  std::string Text(int index, int column) const;
};

// The channel number of a frequency, as the library gives it (NIVO_FrequencyToChannel).
using FrequencyToChannel = std::function<std::int32_t(std::int32_t frequency)>;

// Whether an entry is listed: its SSID length is at most 32 and the first four bytes of its
// address are not all zero.
bool SurveyEntryUsable(const NdisWlanBssid& entry);
// The row texts of a usable entry, `channel` being the channel of its frequency.
SurveyRowTexts SurveyEntryTexts(const NdisWlanBssid& entry, std::int32_t channel);

// Reads the BSSID list in the first `size` bytes of `buffer` into `table` (emptied first) and
// returns the list's item count, read signed. Only the entries that the count names AND that
// lie wholly inside `size` are read, at a stride of 104 bytes; a count of 0 or below reads
// none. Unusable entries are skipped; `channelOf` is asked once per usable entry, in order.
int ReadSurveyList(const std::uint8_t* buffer, std::size_t size, const FrequencyToChannel& channelOf,
                   SurveyTable& table);

// What "Connect" sends for a row's SSID, BSS type and channel texts.
struct JoinRequest {
  NdisSsid ssid{};        // the SSID text's length and bytes, at most 32
  bool ssidEmpty = true;  // the user is told "Fail" (the join still goes on)
  std::int32_t mode = 0;  // 1 infrastructure when the type text is exactly "Infrastructure"
  std::int32_t channel = 0;  // the channel text's decimal value, 0 when it holds no number
};
JoinRequest JoinRequestFromRow(std::string_view ssid, std::string_view bssType, std::string_view channel);

// The leading decimal number of a text (optional blanks and sign, then digits), 0 when there
// is none; a value beyond 32 bits stops at the nearest 32-bit limit.
std::int32_t DecimalValue(std::string_view text);
