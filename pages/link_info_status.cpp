#include "pages/link_info_status.h"

#include <cstdio>
#include <cstring>

namespace {

const std::string& WordText(const LinkTexts& texts, SignalWord word) {
  return texts.words[static_cast<int>(word)];
}

}  // namespace

std::string LinkSsidText(const WlanConfig& status) {
  const std::size_t limit =
      status.ssidLength < std::uint32_t{kMaxSsidLength} ? status.ssidLength : std::uint32_t{kMaxSsidLength};
  const auto* bytes = reinterpret_cast<const char*>(status.ssid);
  const void* zero = std::memchr(bytes, 0, limit);
  return std::string(bytes, zero ? static_cast<const char*>(zero) - bytes : limit);
}

std::string RateText(const WlanConfig& status) { return RateMbitText(status.supportedRates[0]); }

std::string ChannelText(std::int32_t channel) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(channel));
  return text;
}

std::string CounterText(const CounterQuery& query, const std::string& shownBefore) {
  if (query.status != 0 || query.bytesWritten != sizeof(std::uint32_t)) return shownBefore;
  char text[16];
  std::snprintf(text, sizeof text, "%ld", static_cast<long>(query.count));
  return text;
}

LinkView LinkViewFromStatus(const WlanConfig& status, std::int32_t channel, const LinkTexts& texts) {
  LinkView view;
  if (status.mediaConnectStatus != kMediaConnected) {
    view.state = texts.scanning;
    view.channel = view.rate = view.ssid = kEmptyField;
    return view;  // both bars 0, both words empty
  }
  view.connected = true;
  view.state = texts.connectedBssid + BssidText(status.bssid);
  if (status.infrastructureMode == 0) {
    view.signalWord = view.qualityWord = kNotApplicable;
  } else {
    const int percent = SignalPercent(status.rssi);
    const SignalReading signal = SignalStrengthReading(percent);
    view.signalBar = BarPosition(SignalBarLevel(percent));
    view.signalWord = SignalReadingText(WordText(texts, signal.word), signal);
    const int level = LinkQualityLevel(percent);
    const SignalReading quality = LinkQualityReading(level);
    view.qualityBar = BarPosition(level);
    view.qualityWord = SignalReadingText(WordText(texts, quality.word), quality);
  }
  view.ssid = LinkSsidText(status);
  view.rate = RateText(status);
  view.channel = ChannelText(channel);
  return view;
}
