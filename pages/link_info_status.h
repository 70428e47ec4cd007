// What the Link Info page shows for one status read: the texts, bar positions and words of
// the connected and the disconnected state, from the raw status record. Pure: the library's
// answers (channel number, frame counts) come in as arguments.
#pragma once
#include <cstdint>
#include <string>

#include "driver/nivo_records.h"
#include "pages/signal_reading.h"

// The texts of the string table the page shows.
struct LinkTexts {
  std::string scanning;        // IDS_SCANNING "Scanning ..."
  std::string connectedBssid;  // IDS_CONNECTED_BSSID "Connected - BSSID = "
  std::string words[kSignalWordCount];  // by SignalWord
};

// The word both read-outs show on an ad hoc link.
inline constexpr char kNotApplicable[] = "N/A";
// What the channel, rate and SSID boxes hold while the card is disconnected.
inline constexpr char kEmptyField[] = " ";

struct LinkView {
  bool connected = false;
  std::string state;    // state box
  std::string channel;  // channel box
  std::string rate;     // rate box (Mbps)
  std::string ssid;     // SSID box
  int signalBar = 0;    // 0..15
  int qualityBar = 0;   // 0..15
  std::string signalWord;
  std::string qualityWord;
};

// The view of a status record: disconnected (mediaConnectStatus not 0) or connected, with
// `channel` the library's channel number for the record's frequency.
LinkView LinkViewFromStatus(const WlanConfig& status, std::int32_t channel, const LinkTexts& texts);

// The SSID text: the first ssidLength bytes, at most 32, ended early by a zero byte.
std::string LinkSsidText(const WlanConfig& status);
// The current rate in Mbit/s: the first supportedRates byte, its basic-rate bit left out.
std::string RateText(const WlanConfig& status);
// The channel number as the library gave it ("%d").
std::string ChannelText(std::int32_t channel);

// One frame-counter query as the library answered it.
struct CounterQuery {
  std::int32_t status = -1;         // NIVO_QueryOID's result: 0 = success
  std::uint32_t bytesWritten = 0;   // must be the counter's 4 bytes
  std::int32_t count = 0;
};
// The counter box's text: the count ("%ld") when the query succeeded with its 4 bytes,
// otherwise the text it showed before (empty until a first count arrives).
std::string CounterText(const CounterQuery& query, const std::string& shownBefore);
