// Scenarios of the virtual card shared by the end-to-end programs (the Wine suite, the soaks).
#pragma once

namespace winetest {

// One open access point, Harbour on channel 1; the card joins it shortly after each new
// configuration.
inline constexpr char kHarbourWorld[] =
    "[card]\n"
    "association_delay_ms=200\n"
    "[network]\n"
    "ssid=Harbour\n"
    "bssid=00-1A-2B-3C-4D-01\n"
    "channel=1\n"
    "signal=-48\n";

}  // namespace winetest
