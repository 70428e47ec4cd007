// The virtual card's control commands with their arguments, one per line: the help text
// of the card's control channel and of virtualcard-ctl.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace vcard {

inline constexpr char kControlCommandList[] =
    "commands:\n"
    "  status\n"
    "  insert | remove\n"
    "  link-down | link-up\n"
    "  signal <bssid-or-ssid> <dBm>\n"
    "  add-network ssid=<text> bssid=<xx-xx-xx-xx-xx-xx> [channel=<1..14>] [signal=<dBm>]\n"
    "              [type=infrastructure|adhoc] [wep=off|64|128 key=<hex>] [band=b|g] [repeat=<1..4>]\n"
    "  drop-network <bssid-or-ssid>\n"
    "  zeroconfig on|off\n"
    "  fault detect|query-connect|query-counters|survey|store on|off\n"
    "  fault get-bits|set-bits on <mask> [calls] | off\n";

// The command words of a control request as the card's control window receives it: each word
// ended by a zero byte (an empty word where two zero bytes follow each other); bytes after the
// last zero byte make a last word.
std::vector<std::string> ControlRequestWords(std::string_view request);

}  // namespace vcard
