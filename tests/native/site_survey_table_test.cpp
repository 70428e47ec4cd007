#include "pages/site_survey_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

NdisWlanBssid Entry(std::uint8_t lastAddressByte, const char* ssid, std::int32_t rssi, std::uint32_t frequency,
                    bool infrastructure = true, bool privacy = false) {
  NdisWlanBssid e{};
  e.Length = kBssidEntrySize;
  const std::uint8_t mac[6] = {0x00, 0x0c, 0x41, 0x8a, 0x3b, lastAddressByte};
  std::memcpy(e.MacAddress, mac, 6);
  e.Ssid.SsidLength = static_cast<std::uint32_t>(std::strlen(ssid));
  std::memcpy(e.Ssid.Ssid, ssid, std::strlen(ssid));
  e.Privacy = privacy ? 1 : 0;
  e.Rssi = rssi;
  e.Configuration.DSConfig = frequency;
  e.InfrastructureMode = infrastructure ? 1 : 0;
  return e;
}

// A BSSID list of `count` (as written in the list) and the given entries, in a buffer of
// exactly `bytes` bytes (at least room for the entries).
std::vector<std::uint8_t> List(std::int32_t count, const std::vector<NdisWlanBssid>& entries, std::size_t bytes = 0) {
  std::vector<std::uint8_t> buffer(bytes ? bytes : 4 + entries.size() * kBssidEntrySize);
  std::memcpy(buffer.data(), &count, 4);
  for (std::size_t i = 0; i < entries.size() && 4 + (i + 1) * kBssidEntrySize <= buffer.size(); ++i) {
    std::memcpy(buffer.data() + 4 + i * kBssidEntrySize, &entries[i], kBssidEntrySize);
  }
  return buffer;
}

// The channel a test library gives: frequency in MHz minus 2400 (so 2437000 kHz → 37), and
// the frequencies it was asked for.
struct ChannelRecorder {
  std::vector<std::int32_t> asked;
  FrequencyToChannel Lookup() {
    return [this](std::int32_t frequency) {
      asked.push_back(frequency);
      return frequency / 1000 - 2400;
    };
  }
};

std::vector<std::string> Column(const SurveyTable& table, int column) {
  std::vector<std::string> texts;
  for (int i = 0; i < table.count; ++i) texts.push_back(table.Text(i, column));
  return texts;
}

using Texts = std::vector<std::string>;

TEST(ReadSurveyList, RowsInDriverOrderWithEveryColumn) {
  ChannelRecorder channels;
  SurveyTable table;
  const auto buffer = List(3, {Entry(1, "office", -60, 2412000, true, true), Entry(2, "cell", -80, 2462000, false),
                               Entry(3, "cafe", -45, 2437000)});
  EXPECT_EQ(ReadSurveyList(buffer.data(), buffer.size(), channels.Lookup(), table), 3);
  ASSERT_EQ(table.count, 3);
  EXPECT_EQ(Column(table, 0), (Texts{"office", "cell", "cafe"}));
  EXPECT_EQ(Column(table, 1), (Texts{"00-0C-41-8A-3B-01", "00-0C-41-8A-3B-02", "00-0C-41-8A-3B-03"}));
  EXPECT_EQ(Column(table, 2), (Texts{"66%", "22%", "100%"}));
  EXPECT_EQ(Column(table, 3), (Texts{"12", "62", "37"}));
  EXPECT_EQ(Column(table, 4), (Texts{"Yes", "No", "No"}));
  EXPECT_EQ(Column(table, 5), (Texts{"Infrastructure", "Ad-Hoc", "Infrastructure"}));
  EXPECT_EQ(channels.asked, (std::vector<std::int32_t>{2412000, 2462000, 2437000}));
}

TEST(ReadSurveyList, FirstReportOfABssidWins) {
  ChannelRecorder channels;
  SurveyTable table;
  const auto buffer = List(3, {Entry(7, "first", -50, 2412000), Entry(8, "other", -70, 2417000),
                               Entry(7, "second", -40, 2422000)});
  ReadSurveyList(buffer.data(), buffer.size(), channels.Lookup(), table);
  EXPECT_EQ(Column(table, 0), (Texts{"first", "other"}));
  EXPECT_EQ(Column(table, 2), (Texts{"88%", "44%"}));
}

TEST(ReadSurveyList, SkipsEntriesWithALongSsidOrAZeroAddressPrefix) {
  NdisWlanBssid longSsid = Entry(1, "long", -50, 2412000);
  longSsid.Ssid.SsidLength = 33;
  NdisWlanBssid hugeSsid = Entry(2, "huge", -50, 2412000);
  hugeSsid.Ssid.SsidLength = 0xFFFFFFFFu;
  NdisWlanBssid zeroPrefix = Entry(3, "zero", -50, 2412000);
  std::memset(zeroPrefix.MacAddress, 0, 4);
  NdisWlanBssid partlyZero = Entry(4, "partly", -50, 2412000);
  std::memset(partlyZero.MacAddress, 0, 3);  // fourth byte not zero: usable
  NdisWlanBssid exact32 = Entry(5, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", -50, 2412000);

  ChannelRecorder channels;
  SurveyTable table;
  const auto buffer = List(5, {longSsid, hugeSsid, zeroPrefix, partlyZero, exact32});
  EXPECT_EQ(ReadSurveyList(buffer.data(), buffer.size(), channels.Lookup(), table), 5);
  EXPECT_EQ(Column(table, 0), (Texts{"partly", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}));
  EXPECT_EQ(channels.asked.size(), 2u);  // only usable entries reach the library
}

TEST(ReadSurveyList, SsidEndsAtAZeroByteAndKeepsOtherBytes) {
  NdisWlanBssid e = Entry(1, "", -50, 2412000);
  e.Ssid.SsidLength = 6;
  std::memcpy(e.Ssid.Ssid, "ab\0cd", 6);
  NdisWlanBssid high = Entry(2, "\xE9t\xE9\x7F\x01", -50, 2412000);
  NdisWlanBssid empty = Entry(3, "", -50, 2412000);
  SurveyTable table;
  const auto buffer = List(3, {e, high, empty});
  ReadSurveyList(buffer.data(), buffer.size(), ChannelRecorder().Lookup(), table);
  EXPECT_EQ(Column(table, 0), (Texts{"ab", "\xE9t\xE9\x7F\x01", ""}));
}

TEST(ReadSurveyList, SignalColumnShowsNaWithoutAPositivePercentage) {
  struct Case {
    std::int32_t rssi;
    const char* text;
  };
  const Case cases[] = {{-60, "66%"}, {-89, "2%"}, {-90, "n/a"}, {-95, "n/a"}, {0, "n/a"},
                        {-20, "100%"}, {INT32_MIN, "n/a"}, {INT32_MAX, "100%"}, {-29581, "n/a"}};
  for (const Case& c : cases) {
    SurveyTable table;
    const auto buffer = List(1, {Entry(1, "x", c.rssi, 2412000)});
    ReadSurveyList(buffer.data(), buffer.size(), ChannelRecorder().Lookup(), table);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.Text(0, 2), c.text) << c.rssi;
  }
}

TEST(ReadSurveyList, ReadsOnlyTheEntriesTheCountNamesAndTheSizeHolds) {
  std::vector<NdisWlanBssid> entries;
  for (int i = 1; i <= 4; ++i) entries.push_back(Entry(static_cast<std::uint8_t>(i), "n", -50, 2412000));
  struct Case {
    std::int32_t count;
    std::size_t bytes;
    int rows;
  };
  const Case cases[] = {
      {4, 4 + 4 * kBssidEntrySize, 4},
      {2, 4 + 4 * kBssidEntrySize, 2},            // fewer named than present
      {1000, 4 + 4 * kBssidEntrySize, 4},         // more named than the size holds
      {4, 4 + 3 * kBssidEntrySize + 103, 3},      // the last entry is cut short: not read
      {INT32_MAX, 4 + 4 * kBssidEntrySize, 4},
      {0, 4 + 4 * kBssidEntrySize, 0},
      {-1, 4 + 4 * kBssidEntrySize, 0},           // 0xFFFFFFFF read signed
      {INT32_MIN, 4 + 4 * kBssidEntrySize, 0},
      {4, 4, 0},
      {4, 3, 0},                                   // not even the count
      {4, 0, 0},
  };
  for (const Case& c : cases) {
    const auto full = List(c.count, entries);
    // An exactly sized copy, so that the sanitizer sees any read past it.
    std::vector<std::uint8_t> buffer(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(std::min(c.bytes, full.size())));
    SurveyTable table;
    table.count = 5;  // left from an earlier fill: always emptied
    const int count = ReadSurveyList(buffer.data(), buffer.size(), ChannelRecorder().Lookup(), table);
    EXPECT_EQ(table.count, c.rows) << c.count << " in " << c.bytes;
    EXPECT_EQ(count, c.bytes >= 4 ? c.count : 0) << c.count << " in " << c.bytes;
  }
  SurveyTable table;
  EXPECT_EQ(ReadSurveyList(nullptr, 3332, ChannelRecorder().Lookup(), table), 0);
  EXPECT_EQ(table.count, 0);
}

TEST(ReadSurveyList, KeepsAtMost64RowsAndTheSurveyBufferHolds32Entries) {
  std::vector<NdisWlanBssid> entries;
  for (int i = 0; i < 70; ++i) entries.push_back(Entry(static_cast<std::uint8_t>(i + 1), "n", -50, 2412000));
  SurveyTable table;
  auto big = List(70, entries);
  ReadSurveyList(big.data(), big.size(), ChannelRecorder().Lookup(), table);
  ASSERT_EQ(table.count, 64);
  EXPECT_EQ(table.Text(63, 1), "00-0C-41-8A-3B-40");

  auto survey = List(70, entries, kSurveyBufferSize);
  ReadSurveyList(survey.data(), survey.size(), ChannelRecorder().Lookup(), table);
  EXPECT_EQ(table.count, 32);
}

TEST(SurveyTable, CutsEachTextToItsFieldAndIgnoresUnknownRowsAndColumns) {
  SurveyTable table;
  const std::string long50(50, 'x');
  EXPECT_TRUE(table.Add({long50, long50, long50, long50, long50, long50}));
  EXPECT_EQ(table.Text(0, 0), std::string(39, 'x'));
  for (int column = 1; column <= 5; ++column) EXPECT_EQ(table.Text(0, column), std::string(19, 'x')) << column;
  // Duplicates compare the stored (cut) BSSID text.
  EXPECT_FALSE(table.Add({"other", long50 + "y", "", "", "", ""}));
  EXPECT_EQ(table.Text(0, 6), "");
  EXPECT_EQ(table.Text(1, 0), "");
  EXPECT_EQ(table.Text(-1, 0), "");
  table.Clear();
  EXPECT_EQ(table.count, 0);
  EXPECT_TRUE(table.Add({"again", long50, "", "", "", ""}));
}

TEST(JoinRequestFromRow, ModeChannelAndSsidFromTheRowTexts) {
  struct Case {
    const char* ssid;
    const char* bssType;
    const char* channel;
    bool ssidEmpty;
    std::int32_t mode;
    std::int32_t channelValue;
  };
  const Case cases[] = {
      {"office", "Infrastructure", "6", false, 1, 6},
      {"cell", "Ad-Hoc", "11", false, 0, 11},
      {"", "", "", true, 0, 0},  // no row chosen
      {"x", "infrastructure", "3", false, 0, 3},  // not exactly the text: ad hoc
      {"x", "Infrastructure ", "3", false, 0, 3},
      {"x", "Ad-Hoc", "abc", false, 0, 0},
      {"x", "Ad-Hoc", "12abc", false, 0, 12},
      {"x", "Ad-Hoc", "-1", false, 0, -1},
      {"x", "Ad-Hoc", "99999999999", false, 0, INT32_MAX},
  };
  for (const Case& c : cases) {
    const JoinRequest join = JoinRequestFromRow(c.ssid, c.bssType, c.channel);
    EXPECT_EQ(join.ssidEmpty, c.ssidEmpty) << c.ssid;
    EXPECT_EQ(join.mode, c.mode) << c.bssType;
    EXPECT_EQ(join.channel, c.channelValue) << c.channel;
    EXPECT_EQ(join.ssid.SsidLength, std::strlen(c.ssid));
    EXPECT_EQ(std::memcmp(join.ssid.Ssid, c.ssid, std::strlen(c.ssid)), 0);
  }
  const JoinRequest longName = JoinRequestFromRow(std::string(40, 'n'), "Infrastructure", "1");
  EXPECT_EQ(longName.ssid.SsidLength, 32u);
}

}  // namespace
