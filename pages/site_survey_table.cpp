#include "pages/site_survey_table.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "pages/signal_reading.h"

namespace {

template <std::size_t N>
void CopyCut(char (&field)[N], const std::string& text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

}  // namespace

bool SurveyTable::Add(const SurveyRowTexts& texts) {
  if (count >= kSurveyTableRows) return false;
  SurveyRow row;
  CopyCut(row.bssid, texts.bssid);
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(rows[i].bssid, row.bssid) == 0) return false;
  }
  CopyCut(row.ssid, texts.ssid);
  CopyCut(row.signal, texts.signal);
  CopyCut(row.channel, texts.channel);
  CopyCut(row.wep, texts.wep);
  CopyCut(row.bssType, texts.bssType);
  rows[count++] = row;
  return true;
}

std::string SurveyTable::Text(int index, int column) const {
  if (index < 0 || index >= count) return {};
  const SurveyRow& row = rows[index];
  switch (column) {
    case 0: return row.ssid;
    case 1: return row.bssid;
    case 2: return row.signal;
    case 3: return row.channel;
    case 4: return row.wep;
    case 5: return row.bssType;
    default: return {};
  }
}

bool SurveyEntryUsable(const NdisWlanBssid& entry) {
  if (entry.Ssid.SsidLength > std::uint32_t{kMaxSsidLength}) return false;
  return entry.MacAddress[0] | entry.MacAddress[1] | entry.MacAddress[2] | entry.MacAddress[3];
}

SurveyRowTexts SurveyEntryTexts(const NdisWlanBssid& entry, std::int32_t channel) {
  SurveyRowTexts texts;
  const auto* ssid = reinterpret_cast<const char*>(entry.Ssid.Ssid);
  const std::uint32_t length =
      entry.Ssid.SsidLength < std::uint32_t{kMaxSsidLength} ? entry.Ssid.SsidLength : std::uint32_t{kMaxSsidLength};
  const void* zero = std::memchr(ssid, 0, length);
  texts.ssid.assign(ssid, zero ? static_cast<const char*>(zero) - ssid : length);
  texts.bssid = BssidText(entry.MacAddress);
  const int percent = SignalPercent(entry.Rssi);
  char text[24];
  if (percent > 0) {
    std::snprintf(text, sizeof text, "%d%%", percent);
    texts.signal = text;
  } else {
    texts.signal = kNoSignalPercent;
  }
  std::snprintf(text, sizeof text, "%d", static_cast<int>(channel));
  texts.channel = text;
  texts.wep = entry.Privacy != 0 ? kPrivacyYes : kPrivacyNo;
  texts.bssType = entry.InfrastructureMode == 1 ? kBssTypeInfrastructure : kBssTypeAdHoc;
  return texts;
}

int ReadSurveyList(const std::uint8_t* buffer, std::size_t size, const FrequencyToChannel& channelOf,
                   SurveyTable& table) {
  table.Clear();
  std::int32_t itemCount = 0;
  if (buffer == nullptr || size < sizeof itemCount) return 0;
  std::memcpy(&itemCount, buffer, sizeof itemCount);
  if (itemCount <= 0) return itemCount;

  const std::size_t fit = (size - sizeof itemCount) / kBssidEntrySize;
  const std::size_t entries = static_cast<std::size_t>(itemCount) < fit ? static_cast<std::size_t>(itemCount) : fit;
  for (std::size_t i = 0; i < entries; ++i) {
    NdisWlanBssid entry;
    std::memcpy(&entry, buffer + sizeof itemCount + i * kBssidEntrySize, sizeof entry);
    if (!SurveyEntryUsable(entry)) continue;
    const std::int32_t channel = channelOf(static_cast<std::int32_t>(entry.Configuration.DSConfig));
    table.Add(SurveyEntryTexts(entry, channel));
  }
  return itemCount;
}

std::int32_t DecimalValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) {
      return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

JoinRequest JoinRequestFromRow(std::string_view ssid, std::string_view bssType, std::string_view channel) {
  JoinRequest join;
  const std::size_t length = ssid.size() < std::size_t{kMaxSsidLength} ? ssid.size() : std::size_t{kMaxSsidLength};
  join.ssid.SsidLength = static_cast<std::uint32_t>(length);
  std::memcpy(join.ssid.Ssid, ssid.data(), length);
  join.ssidEmpty = ssid.empty();
  join.mode = bssType == kBssTypeInfrastructure ? 1 : 0;
  join.channel = DecimalValue(channel);
  return join;
}
