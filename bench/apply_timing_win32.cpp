// apply-timing.exe: the time from "Apply Changes" on the Configuration tab to the
// NIVO_SetWLANConfig it causes, for bench/resident. It opens the running utility's window on
// the Configuration tab, then `count` times puts a new SSID into the box, clicks "Apply
// Changes" and waits for the card's call log to show that SSID sent. The times come from the
// call log: the page's store of the profile (NIVO_SetProfileWireless with the new SSID) to
// the NIVO_SetWLANConfig that carries it.
//   apply-timing.exe <call log> [count]
// Prints "apply_to_set_ms median=<ms> max=<ms> n=<applies>"; exit code 1 when the window or
// a push did not come.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "res/product_texts.h"
#include "res/resource.h"
#include "support/utility_facts.h"

namespace {

using winetest::kConfigurationTab;
using winetest::WaitUntil;

// The utility's hidden main window (the configuration window has the same title).
BOOL CALLBACK MatchMainFrame(HWND w, LPARAM found) {
  char title[128] = {}, cls[64] = {};
  GetWindowTextA(w, title, sizeof(title));
  GetClassNameA(w, cls, sizeof(cls));
  if (std::string(title) == kUtilityTitle && std::string(cls) != "#32770") {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}
HWND MainFrame() {
  HWND frame = nullptr;
  EnumWindows(MatchMainFrame, reinterpret_cast<LPARAM>(&frame));
  return frame;
}

HWND VisibleSheet() {
  HWND sheet = FindWindowA("#32770", kUtilityTitle);
  return sheet && IsWindowVisible(sheet) ? sheet : nullptr;
}

BOOL CALLBACK MatchConfigurationPage(HWND child, LPARAM found) {
  if (GetDlgItem(child, IDC_CONFIG_PROFILE) && IsWindowVisible(child)) {
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
  }
  return TRUE;
}
HWND ConfigurationPage(HWND sheet) {
  HWND page = nullptr;
  EnumChildWindows(sheet, MatchConfigurationPage, reinterpret_cast<LPARAM>(&page));
  return page;
}

// The number after "key": in a call-log line.
std::optional<long long> Number(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  const size_t at = line.find(tag);
  if (at == std::string::npos) return std::nullopt;
  return std::strtoll(line.c_str() + at + tag.size(), nullptr, 10);
}

bool Has(const std::string& line, const std::string& text) { return line.find(text) != std::string::npos; }

// The first line at or after `from` of `op` that carries `ssid`: its index and call-log time.
struct LoggedCall {
  std::size_t index;
  long long t;
};
std::optional<LoggedCall> Find(const std::vector<std::string>& lines, std::size_t from, const char* op,
                               const std::string& ssid) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (Has(lines[i], std::string("\"op\":\"") + op + "\"") && Has(lines[i], "\"ssid\":\"" + ssid + "\""))
      if (const auto t = Number(lines[i], "t")) return LoggedCall{i, *t};
  return std::nullopt;
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: apply-timing <call log> [count]\n");
    return 2;
  }
  const std::string log = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 20;

  HWND frame = nullptr;
  if (!WaitUntil([&] { return (frame = MainFrame()) != nullptr; })) return std::fprintf(stderr, "no utility\n"), 1;
  HWND sheet = VisibleSheet();
  if (!sheet) {
    PostMessageA(frame, RegisterWindowMessageA("QUORVEL_ICON_PRESSED"), 1, WM_LBUTTONDBLCLK);
    if (!WaitUntil([&] { return (sheet = VisibleSheet()) != nullptr; })) return std::fprintf(stderr, "no window\n"), 1;
  }
  SendMessageA(sheet, PSM_SETCURSEL, kConfigurationTab, 0);
  HWND page = nullptr;
  if (!WaitUntil([&] { return (page = ConfigurationPage(sheet)) != nullptr; }))
    return std::fprintf(stderr, "no Configuration tab\n"), 1;

  std::vector<long long> delays;
  std::size_t searchFrom = Lines(log).size();
  for (int i = 1; i <= count; ++i) {
    char ssid[16];
    std::snprintf(ssid, sizeof(ssid), "Bench%02d", i);
    SendMessageA(GetDlgItem(page, IDC_CONFIG_SSID), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ssid));
    PostMessageA(GetDlgItem(page, IDC_CONFIG_APPLY_CHANGES), BM_CLICK, 0, 0);
    // Only calls after the previous apply count (a profile stored by an earlier run may
    // carry the same SSID).
    std::optional<LoggedCall> stored, sent;
    const bool pushed = WaitUntil([&] {
      const std::vector<std::string> lines = Lines(log);
      stored = Find(lines, searchFrom, "NIVO_SetProfileWireless", ssid);
      sent = stored ? Find(lines, stored->index, "NIVO_SetWLANConfig", ssid) : std::nullopt;
      return stored && sent;
    });
    if (!pushed) return std::fprintf(stderr, "%s was not sent\n", ssid), 1;
    searchFrom = sent->index + 1;
    delays.push_back(sent->t - stored->t);
    std::fprintf(stderr, "%s: stored at %lld ms, sent at %lld ms\n", ssid, stored->t, sent->t);
  }
  std::vector<long long> sorted = delays;
  std::sort(sorted.begin(), sorted.end());
  std::printf("apply_to_set_ms median=%lld max=%lld n=%zu\n", sorted[(sorted.size() - 1) / 2], sorted.back(),
              sorted.size());
  return 0;
}
