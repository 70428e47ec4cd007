#include "sweep/fault_table.h"

#include <cstdio>

namespace sweep {

namespace {
std::string Hex(std::uint32_t bit) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(bit));
  return text;
}

SweepFault Row(std::string name, std::string scenario, Course course = Course::kPlain, const char* windows = nullptr,
               std::vector<std::string> messages = {}, bool canJoin = true) {
  return SweepFault{std::move(name), std::move(scenario), course, windows, std::move(messages), canJoin};
}
}  // namespace

std::vector<SweepFault> FaultTable() {
  std::vector<SweepFault> table = {
      // The card is never found at the start.
      Row("detect on", "[faults]\ndetect=1\n", Course::kCardFoundLate, nullptr, {kCardNotPresent}),
      // The connect status cannot be read: Link Info keeps its fields, the icon its picture.
      Row("query-connect on", "[faults]\nquery_connect=1\n"),
      Row("query-counters on", "[faults]\nquery_counters=1\n"),
      // The survey yields nothing: an empty list and nothing to join.
      Row("survey on", "[faults]\nsurvey=1\n", Course::kPlain, nullptr, {}, false),
      // No profile and no driver setting is ever stored.
      Row("store on", "[faults]\nstore=1\n"),
      // The library names a driver file that does not exist: the About page shows no version.
      Row("missing driver path", "[card]\ndriver_path=system32\\drivers\\absent\\TW77MBPS.sys\n"),
      Row("zeroconfig on", "", Course::kZeroConfigOn, "winxp", {}, false),
      Row("zeroconfig off", "[card]\nzero_config=1\n", Course::kZeroConfigOff, "winxp"),
      Row("remove (Site Survey searching)", "", Course::kRemovedMidSearch),
  };
  for (std::uint32_t bit : kSelectorBits) {
    table.push_back(Row("get-bits on " + Hex(bit), "[faults]\nget_bits=" + Hex(bit) + "\n"));
    std::vector<std::string> told;
    if (bit & kSettingsPushBits) told.push_back(kDeviceChangeFailed);
    if (bit & kWepApplyBits) told.push_back(kWepChangeFailed);
    table.push_back(Row("set-bits on " + Hex(bit), "[faults]\nset_bits=" + Hex(bit) + "\n", Course::kPlain, nullptr, told));
  }
  return table;
}

}  // namespace sweep
