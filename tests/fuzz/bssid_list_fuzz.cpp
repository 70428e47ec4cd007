// The reading of a site survey's BSSID list from the driver: any bytes, any size. The input
// is the list exactly as long as the driver's buffer, so a read past its end is caught by the
// address sanitizer; the table's rules are checked on every result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pages/site_survey_table.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool Terminated(const char* field, std::size_t width) { return std::memchr(field, 0, width) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SurveyTable table;
  int asked = 0;
  // Any channel number, negative ones included, from the frequency itself.
  const FrequencyToChannel channelOf = [&asked](std::int32_t frequency) {
    ++asked;
    return frequency;
  };
  const int count = ReadSurveyList(data, size, channelOf, table);

  const std::size_t entries = size >= 4 ? (size - 4) / kBssidEntrySize : 0;
  Check(table.count >= 0 && table.count <= kSurveyTableRows);
  Check(static_cast<std::size_t>(table.count) <= entries);
  Check(count <= 0 ? table.count == 0 && asked == 0 : static_cast<std::size_t>(asked) <= entries);
  Check(asked >= table.count);
  if (size < 4) Check(count == 0);
  for (int i = 0; i < table.count; ++i) {
    const SurveyRow& row = table.rows[i];
    Check(Terminated(row.bssid, kSurveyBssidWidth) && Terminated(row.ssid, kSurveySsidWidth));
    Check(Terminated(row.signal, kSurveyFieldWidth) && Terminated(row.channel, kSurveyFieldWidth));
    Check(Terminated(row.wep, kSurveyFieldWidth) && Terminated(row.bssType, kSurveyFieldWidth));
    Check(std::strlen(row.bssid) == 17 && std::strlen(row.ssid) <= kMaxSsidLength);
    for (int j = 0; j < i; ++j) Check(std::strcmp(table.rows[j].bssid, row.bssid) != 0);
    const JoinRequest join = JoinRequestFromRow(table.Text(i, 0), table.Text(i, 5), table.Text(i, 3));
    Check(join.ssid.SsidLength <= kMaxSsidLength);
  }
  return 0;
}
