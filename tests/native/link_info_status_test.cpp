#include "pages/link_info_status.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LinkTexts Texts() {
  return {"Scanning ...", "Connected - BSSID = ", {"No Signal", "Poor", "Good", "Very Good", "Excellent"}};
}

// A connected infrastructure link to "home" at -60 dBm, 54 Mbit/s.
WlanConfig Connected() {
  WlanConfig status{};
  status.mediaConnectStatus = kMediaConnected;
  const std::uint8_t bssid[6] = {0x00, 0x0c, 0x41, 0x8a, 0x3b, 0xf2};
  std::memcpy(status.bssid, bssid, 6);
  status.ssidLength = 4;
  std::memcpy(status.ssid, "home", 4);
  status.rssi = -60;
  status.infrastructureMode = 1;
  status.configuration.DSConfig = 2437000;
  status.supportedRates[0] = 108;
  return status;
}

TEST(LinkView, ConnectedInfrastructureLink) {
  const LinkView view = LinkViewFromStatus(Connected(), 6, Texts());
  EXPECT_TRUE(view.connected);
  EXPECT_EQ(view.state, "Connected - BSSID = 00-0C-41-8A-3B-F2");
  EXPECT_EQ(view.channel, "6");
  EXPECT_EQ(view.rate, "54");
  EXPECT_EQ(view.ssid, "home");
  EXPECT_EQ(view.signalBar, 9);
  EXPECT_EQ(view.signalWord, "Very Good (66%)");
  EXPECT_EQ(view.qualityBar, 9);
  EXPECT_EQ(view.qualityWord, "Very Good (60%)");
}

TEST(LinkView, SignalAndQualityWordsAndBarsByLevel) {
  struct Case {
    std::int32_t rssi;
    int signalBar;
    const char* signalWord;
    int qualityBar;
    const char* qualityWord;
  };
  const Case cases[] = {
      {0, 0, "No Signal", 0, "No Signal"},  // no reading: -90 dBm
      {-88, 0, "Poor (4%)", 0, "No Signal"},
      {-80, 3, "Poor (22%)", 3, "Poor (20%)"},
      {-56, 11, "Excellent (75%)", 11, "Very Good (73%)"},
      {-20, 15, "Excellent (100%)", 15, "Excellent (100%)"},
      {-100, 0, "No Signal", 0, "No Signal"},  // negative percentage: both bars at their bottom
      {-32768, 0, "No Signal", 0, "No Signal"},
      {INT32_MAX, 15, "Excellent (100%)", 15, "Excellent (100%)"},
  };
  for (const Case& c : cases) {
    WlanConfig status = Connected();
    status.rssi = c.rssi;
    const LinkView view = LinkViewFromStatus(status, 6, Texts());
    EXPECT_EQ(view.signalBar, c.signalBar) << c.rssi;
    EXPECT_EQ(view.signalWord, c.signalWord) << c.rssi;
    EXPECT_EQ(view.qualityBar, c.qualityBar) << c.rssi;
    EXPECT_EQ(view.qualityWord, c.qualityWord) << c.rssi;
  }
}

TEST(LinkView, AdHocLinkShowsNotApplicableWithEmptyBarsButTheOtherFields) {
  WlanConfig status = Connected();
  status.infrastructureMode = 0;
  const LinkView view = LinkViewFromStatus(status, 11, Texts());
  EXPECT_EQ(view.state, "Connected - BSSID = 00-0C-41-8A-3B-F2");
  EXPECT_EQ(view.signalWord, "N/A");
  EXPECT_EQ(view.qualityWord, "N/A");
  EXPECT_EQ(view.signalBar, 0);
  EXPECT_EQ(view.qualityBar, 0);
  EXPECT_EQ(view.channel, "11");
  EXPECT_EQ(view.rate, "54");
  EXPECT_EQ(view.ssid, "home");
}

TEST(LinkView, DisconnectedShowsScanningWithBlankFieldsWhateverTheRecordHolds) {
  WlanConfig status = Connected();
  for (std::uint32_t connectStatus : {1u, 2u, 0xFFFFFFFFu}) {
    status.mediaConnectStatus = connectStatus;
    const LinkView view = LinkViewFromStatus(status, 6, Texts());
    EXPECT_FALSE(view.connected);
    EXPECT_EQ(view.state, "Scanning ...");
    EXPECT_EQ(view.channel, " ");
    EXPECT_EQ(view.rate, " ");
    EXPECT_EQ(view.ssid, " ");
    EXPECT_EQ(view.signalBar, 0);
    EXPECT_EQ(view.qualityBar, 0);
    EXPECT_EQ(view.signalWord, "");
    EXPECT_EQ(view.qualityWord, "");
  }
}

TEST(LinkSsidText, CutAtItsLengthAt32BytesAndAtAZeroByte) {
  struct Case {
    std::uint32_t length;
    std::string bytes;  // up to 32 bytes, zero-padded
    std::string text;
  };
  const char* full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  const Case cases[] = {
      {0, full, ""},
      {5, full, "ABCDE"},
      {32, full, full},
      {33, full, full},
      {0xFFFFFFFFu, full, full},
      {8, std::string("ab\0cdefgh", 9), "ab"},
      {3, "\xE9t\xE9", "\xE9t\xE9"},  // bytes above 127 stay as they are
  };
  for (const Case& c : cases) {
    WlanConfig status = Connected();
    status.ssidLength = c.length;
    std::memset(status.ssid, 0, sizeof status.ssid);
    std::memcpy(status.ssid, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(LinkSsidText(status), c.text) << c.length;
  }
}

// The rate box reads the first supportedRates byte; the basic-rate bit 0x80 is no part of
// the rate, and 5.5 Mbit/s keeps its half.
TEST(RateText, FirstRateByteInMbitsWithoutTheBasicRateBit) {
  struct Case {
    std::uint8_t rate;
    const char* text;
  };
  const Case cases[] = {{108, "54"}, {22, "11"},        {0x80 | 22, "11"}, {11, "5.5"}, {0x80 | 11, "5.5"},
                        {2, "1"},    {0x80 | 2, "1"},   {1, "0.5"},        {0, "0"},    {0x80, "0"},
                        {127, "63.5"}, {255, "63.5"}};
  for (const Case& c : cases) {
    WlanConfig status = Connected();
    status.supportedRates[0] = c.rate;
    status.supportedRates[1] = 96;
    EXPECT_EQ(RateText(status), c.text) << int{c.rate};
  }
}

TEST(ChannelText, TheLibrarysNumberAsItIs) {
  EXPECT_EQ(ChannelText(1), "1");
  EXPECT_EQ(ChannelText(14), "14");
  EXPECT_EQ(ChannelText(0), "0");  // a frequency of no channel
  EXPECT_EQ(ChannelText(-1), "-1");
  EXPECT_EQ(ChannelText(INT32_MIN), "-2147483648");
}

TEST(CounterText, ShowsTheCountOrKeepsWhatWasShownWhenTheQueryFails) {
  EXPECT_EQ(CounterText({0, 4, 1234}, "99"), "1234");
  EXPECT_EQ(CounterText({0, 4, -1}, ""), "-1");  // a count above 2^31 reads signed
  EXPECT_EQ(CounterText({0, 4, INT32_MIN}, ""), "-2147483648");
  EXPECT_EQ(CounterText({-1, 4, 1234}, "99"), "99");
  EXPECT_EQ(CounterText({1, 4, 1234}, "99"), "99");
  EXPECT_EQ(CounterText({0, 0, 1234}, "99"), "99");  // no count written
  EXPECT_EQ(CounterText({0, 2, 1234}, ""), "");
}

}  // namespace
