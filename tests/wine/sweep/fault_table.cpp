#include "sweep/fault_table.h"

#include <cstdio>

#include "res/resource.h"

namespace sweep {

namespace {
std::string Hex(std::uint32_t bit) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(bit));
  return text;
}

SweepFault Row(std::string name, std::string scenario, Course course = Course::kPlain, const char* windows = nullptr,
               std::vector<std::string> messages = {}, bool canJoin = true, std::vector<PageText> shows = {}) {
  return SweepFault{std::move(name), std::move(scenario), course,          windows,
                    std::move(messages), canJoin, std::move(shows)};
}

// The firmware version as the card of the sweep's world reports it.
constexpr char kCardFirmware[] = "TW7720 firmware 1.7.4 (virtual card)";
}  // namespace

std::vector<SweepFault> FaultTable() {
  std::vector<SweepFault> table = {
      // The card is not found at the start: never, or until the fault goes.
      Row("detect on", "[faults]\ndetect=1\n", Course::kNeverFound, nullptr, {kCardNotPresent}),
      Row("detect on, then off and a device event", "[faults]\ndetect=1\n", Course::kCardFoundLate, nullptr,
          {kCardNotPresent}),
      // The connect status cannot be read: Link Info keeps its fields, the icon its picture.
      Row("query-connect on", "[faults]\nquery_connect=1\n"),
      Row("query-counters on", "[faults]\nquery_counters=1\n"),
      // The survey yields nothing: an empty list and nothing to join.
      Row("survey on", "[faults]\nsurvey=1\n", Course::kPlain, nullptr, {}, false),
      // No profile and no driver setting is ever stored.
      Row("store on", "[faults]\nstore=1\n"),
      // The library names a driver file that does not exist: the About page shows no version.
      Row("missing driver path", "[card]\ndriver_path=system32\\drivers\\absent\\TW77MBPS.sys\n", Course::kPlain,
          nullptr, {}, true, {{kAbout, IDC_ABOUT_DRIVER_VERSION, "Unknown"}}),
      Row("zeroconfig on", "", Course::kZeroConfigOn, "winxp", {}, false),
      Row("zeroconfig off", "[card]\nzero_config=1\n", Course::kZeroConfigOff, "winxp"),
      Row("remove (Site Survey searching)", "", Course::kRemovedMidSearch),
      // A failed settings push and a failed WEP apply, their messages left unanswered.
      Row("set-bits on 0x10000 (closed with its messages up)", "[faults]\nset_bits=0x10000\n",
          Course::kClosedWithMessagesUp, nullptr, {kDeviceChangeFailed, kWepChangeFailed}),
  };
  for (std::uint32_t bit : kSelectorBits) {
    // The About page reads the firmware version with a get of its own: "---" when it fails.
    table.push_back(Row("get-bits on " + Hex(bit), "[faults]\nget_bits=" + Hex(bit) + "\n", Course::kPlain, nullptr,
                        {}, true,
                        {{kAbout, IDC_ABOUT_FIRMWARE_VERSION, bit == 0x4000000 ? "---" : kCardFirmware}}));
    std::vector<std::string> told;
    if (bit & kSettingsPushBits) told.push_back(kDeviceChangeFailed);
    if (bit & kWepApplyBits) told.push_back(kWepChangeFailed);
    table.push_back(Row("set-bits on " + Hex(bit), "[faults]\nset_bits=" + Hex(bit) + "\n", Course::kPlain, nullptr, told));
  }
  return table;
}

}  // namespace sweep
