// The Link Info page's view of a raw status record from the driver: any record bytes, any
// channel number and counter answers. Every text must be defined and bounded, every bar on
// the bar.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pages/link_info_status.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WlanConfig status{};
  std::int32_t channel = 0;
  CounterQuery counter;
  std::size_t used = 0;
  auto take = [&](void* out, std::size_t bytes) {
    const std::size_t n = size - used < bytes ? size - used : bytes;
    std::memcpy(out, data + used, n);
    used += n;
  };
  take(&status, sizeof status);
  take(&channel, sizeof channel);
  take(&counter, sizeof counter);

  const LinkTexts texts{"Scanning ...", "Connected - BSSID = ", {"No Signal", "Poor", "Good", "Very Good", "Excellent"}};
  const LinkView view = LinkViewFromStatus(status, channel, texts);
  Check(view.signalBar >= 0 && view.signalBar <= kBarTop);
  Check(view.qualityBar >= 0 && view.qualityBar <= kBarTop);
  Check(view.ssid.size() <= kMaxSsidLength && view.ssid.find('\0') == std::string::npos);
  Check(!view.state.empty() && !view.channel.empty() && !view.rate.empty());
  Check(view.connected == (status.mediaConnectStatus == kMediaConnected));
  const std::string text = CounterText(counter, "before");
  Check(!text.empty() && text.size() <= 11);
  return 0;
}
