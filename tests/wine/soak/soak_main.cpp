// soak.exe: the long runs of the utility under Wine (scripts/soak runs them by hand).
//
//   soak.exe remove-insert [cycles]     card removed and inserted, window open and closed in turn
//   soak.exe exit [starts] [--seed N]   each start ended by "ELEGANT_CLOSE" at a random moment
//   soak.exe kill [kills] [--seed N]    the process killed at random moments of profile stores
//   soak.exe counts <pid>               a process's handle, USER and GDI counts and private memory
//
// Each soak prints its figures and ends with one summary line that starts with its name. A
// failure names the seed that repeats it ("--seed N" with a count of 1). Exit status 0 when
// every soak run passed.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "driver/nivo_records.h"
#include "res/resource.h"
#include "soak/soak_utility.h"
#include "support/worlds.h"

namespace soak {
namespace {

using winetest::kHarbourWorld;

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

void ForgetProfiles() { SHDeleteKeyA(HKEY_CURRENT_USER, kProfileRootKey); }

// ------------------------------------------------------------------ process counts

// What the soak watches of a process. Wine 8 answers GetProcessHandleCount with 0,
// GetGuiResources not at all and PrivateUsage with 0; there each count comes from where Wine
// keeps it: the handles from the system's handle list, the GDI objects from the process's
// GDI handle table (its PEB points to it), private memory from PagefileUsage (Wine's private
// anonymous memory of the process), and in place of USER objects the process's windows
// (top-level, child and message-only), the USER objects a leak would most likely be.
struct ProcessCounts {
  bool ok = false;
  DWORD handles = 0;
  DWORD user = 0;
  DWORD gdi = 0;
  unsigned long long privateKiB = 0;
  bool userAreWindows = false;
};

// Wine's GDI handle table entry (include/ntgdi.h), the same on both builds.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;  // 0: free
  std::uint8_t extType;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr size_t kGdiTableEntries = 0x10000;

DWORD HandlesFromSystemList(DWORD pid) {
  struct Entry {
    USHORT pid, creatorBackTrace;
    UCHAR type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) break;
    if (buffer.size() >= (1u << 28)) return 0;
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
  }
  ULONG count = 0;
  std::memcpy(&count, buffer.data(), sizeof count);
  const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  DWORD mine = 0;
  for (ULONG i = 0; i < count && sizeof(ULONG_PTR) + (i + 1) * sizeof(Entry) <= buffer.size(); ++i)
    mine += entries[i].pid == static_cast<USHORT>(pid);
  return mine;
}

DWORD GdiObjectsFromTable(HANDLE process) {
  using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0) return 0;
  const size_t tableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;  // PEB.GdiSharedHandleTable
  void* table = nullptr;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + tableOffset, &table,
                         sizeof table, &read) ||
      !table)
    return 0;
  std::vector<GdiHandleEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry), &read)) return 0;
  DWORD used = 0;
  for (size_t i = 0; i < read / sizeof(GdiHandleEntry); ++i) used += entries[i].type != 0;
  return used;
}

struct WindowCount {
  DWORD pid;
  DWORD n = 0;
};
BOOL CALLBACK CountChild(HWND, LPARAM state) {
  ++reinterpret_cast<WindowCount*>(state)->n;
  return TRUE;
}
BOOL CALLBACK CountWindowTree(HWND window, LPARAM state) {
  auto* count = reinterpret_cast<WindowCount*>(state);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != count->pid) return TRUE;
  ++count->n;
  EnumChildWindows(window, CountChild, state);
  return TRUE;
}
DWORD WindowsOf(DWORD pid) {
  WindowCount count{pid};
  EnumWindows(CountWindowTree, reinterpret_cast<LPARAM>(&count));
  for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
    CountWindowTree(w, reinterpret_cast<LPARAM>(&count));
  return count.n;
}

ProcessCounts ReadCounts(DWORD pid) {
  ProcessCounts counts;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return counts;
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  counts.ok = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  counts.privateKiB = (memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage) / 1024;
  if (!GetProcessHandleCount(process, &counts.handles) || counts.handles == 0) counts.handles = HandlesFromSystemList(pid);
  counts.user = GetGuiResources(process, GR_USEROBJECTS);
  counts.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  if (counts.user == 0 && counts.gdi == 0) {
    counts.userAreWindows = true;
    counts.user = WindowsOf(pid);
    counts.gdi = GdiObjectsFromTable(process);
  }
  CloseHandle(process);
  counts.ok = counts.ok && counts.handles > 0 && counts.user > 0 && counts.gdi > 0;
  return counts;
}

void PrintCounts(const char* label, const ProcessCounts& c) {
  Say("%s handles %lu, %s %lu, GDI objects %lu, private memory %llu KiB\n", label, c.handles,
      c.userAreWindows ? "windows" : "USER objects", c.user, c.gdi, c.privateKiB);
}

int CountsCommand(DWORD pid) {
  const ProcessCounts counts = ReadCounts(pid);
  if (!counts.ok) {
    Say("counts: cannot read process %lu (error %lu)\n", pid, GetLastError());
    return 1;
  }
  PrintCounts("counts:", counts);
  return 0;
}

// ------------------------------------------------------------------ remove/insert soak

// How much a count may grow from the baseline to the end and still be flat: what the system
// itself varies by (its caches, a window's lazily made objects), well below one object per
// ten cycles of a long soak.
struct Margin {
  long handles = 16;
  long user = 8;
  long gdi = 8;
  long long privateKiB = 2048;
};

// One remove/insert cycle: with the window opened first when `withWindow`. Empty on
// success, else what went wrong.
std::string RemoveInsertCycle(SoakUtility& u, bool withWindow) {
  if (withWindow && !u.OpenSheet()) return "the window did not open";
  const size_t removes = u.LineCount(kRemoveIconLine);
  if (u.Ctl("remove") != 0) return "virtualcard-ctl remove failed";
  if (!u.WaitForLineCount(kRemoveIconLine, removes + 1)) return "the icon was not removed";
  if (!WaitUntil([&] { return u.VisibleSheets().empty(); })) return "the window stayed open without the card";
  const size_t adds = u.LineCount(kAddIconLine);
  const size_t pushes = u.LineCount(kProfilePushLine);
  if (u.Ctl("insert") != 0) return "virtualcard-ctl insert failed";
  if (!u.WaitForLineCount(kAddIconLine, adds + 1)) return "the icon did not come back";
  if (!u.WaitForLineCount(kProfilePushLine, pushes + 1)) return "the profile was not pushed to the inserted card";
  if (u.LineCount(kRemoveIconLine) != removes + 1) return "the icon was removed again after the insertion";
  return {};
}

bool RemoveInsertSoak(int cycles) {
  constexpr int kWarmUpCycles = 10;
  ForgetProfiles();
  SoakUtility u(kHarbourWorld, false);
  std::string error;
  if (!u.Start(error) || !u.WaitForLineCount(kAddIconLine, 1) || !u.WaitForLineCount(kProfilePushLine, 1)) {
    Say("remove-insert: FAILED, the utility did not start: %s\n", error.empty() ? "no icon or push" : error.c_str());
    return false;
  }
  // The first cycles make what the process keeps for good (the window's pages, the shell's
  // icon objects); the baseline comes after them.
  for (int i = 0; i < kWarmUpCycles && error.empty(); ++i) error = RemoveInsertCycle(u, i % 2 == 0);
  if (!error.empty()) {
    Say("remove-insert: FAILED in a warm-up cycle: %s\n", error.c_str());
    return false;
  }
  const ProcessCounts start = ReadCounts(u.pid());
  if (!start.ok) {
    Say("remove-insert: FAILED, cannot read the utility's counts (error %lu)\n", GetLastError());
    return false;
  }
  PrintCounts("remove-insert: start (after 10 warm-up cycles):", start);
  const DWORD began = GetTickCount();
  const int every = std::max(1, cycles / 10);
  int done = 0;
  for (; done < cycles; ++done) {
    error = RemoveInsertCycle(u, done % 2 == 0);
    if (!error.empty()) break;
    if ((done + 1) % every == 0 && done + 1 < cycles) {
      char label[64];
      std::snprintf(label, sizeof label, "  cycle %d (%.2f s/cycle):", done + 1, SecondsSince(began) / (done + 1));
      PrintCounts(label, ReadCounts(u.pid()));
    }
  }
  const double seconds = SecondsSince(began);
  const ProcessCounts end = ReadCounts(u.pid());
  PrintCounts("remove-insert: end:", end);
  if (!error.empty()) {
    Say("  the utility's last trace lines:\n");
    for (const std::string& line : u.LastLines(40)) Say("    %s\n", line.c_str());
  }
  u.RequestClose();
  u.WaitForExit(winetest::kPatientMs);
  ForgetProfiles();
  if (!error.empty()) {
    Say("remove-insert: FAILED in cycle %d of %d: %s\n", done + 1, cycles, error.c_str());
    return false;
  }
  const Margin margin;
  const long dHandles = static_cast<long>(end.handles) - static_cast<long>(start.handles);
  const long dUser = static_cast<long>(end.user) - static_cast<long>(start.user);
  const long dGdi = static_cast<long>(end.gdi) - static_cast<long>(start.gdi);
  const long long dPrivate = static_cast<long long>(end.privateKiB) - static_cast<long long>(start.privateKiB);
  const bool flat = end.ok && dHandles <= margin.handles && dUser <= margin.user && dGdi <= margin.gdi &&
                    dPrivate <= margin.privateKiB;
  Say("remove-insert: %d cycles in %.0f s (%.2f s/cycle); handles %+ld, USER %+ld, GDI %+ld, private %+lld KiB "
      "(margin +%ld, +%ld, +%ld, +%lld KiB): %s\n",
      cycles, seconds, seconds / cycles, dHandles, dUser, dGdi, dPrivate, margin.handles, margin.user, margin.gdi,
      margin.privateKiB, flat ? "flat" : "NOT flat");
  return flat;
}

// ------------------------------------------------------------------ exit soak

enum class Moment { kStartUp, kPush, kPageExchange, kSurvey };
const char* MomentName(Moment m) {
  switch (m) {
    case Moment::kStartUp: return "start-up";
    case Moment::kPush: return "push";
    case Moment::kPageExchange: return "page exchange";
    case Moment::kSurvey: return "survey";
  }
  return "?";
}

constexpr DWORD kExitLimitMs = 4000;

struct ExitRun {
  Moment moment = Moment::kStartUp;
  DWORD delayMs = 0;
  DWORD exitMs = 0;
  bool ended = false;    // ended by itself, within the limit or later
  std::string failure;   // empty: passed
};

int Uniform(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// Brings the utility to the moment chosen, from where a random pause leads to the close
// request. Empty on success.
std::string ReachMoment(SoakUtility& u, Moment moment, unsigned seed) {
  if (moment == Moment::kStartUp) return {};
  if (!u.WaitForLineCount(kAddIconLine, 1) || !u.WaitForLineCount(kProfilePushLine, 1))
    return "no icon or first push";
  HWND sheet = u.OpenSheet();
  if (!sheet) return "the window did not open";
  switch (moment) {
    case Moment::kPush: {
      // "Apply Changes" on the Configuration tab: the polling thread pushes within a cycle.
      HWND page = u.ShowTab(sheet, kConfigurationTab, IDC_CONFIG_SSID);
      if (!page) return "no Configuration tab";
      SetText(page, IDC_CONFIG_SSID, "Exit" + std::to_string(seed % 100000));
      if (!WaitUntil([&] { return Enabled(page, IDC_CONFIG_APPLY_CHANGES); })) return "Apply Changes stayed disabled";
      Click(page, IDC_CONFIG_APPLY_CHANGES);
      return {};
    }
    case Moment::kPageExchange: {
      // "Apply Changes" on the Encryption tab: the page pushes the keys itself, holding the
      // polling thread off.
      HWND page = u.ShowTab(sheet, kEncryptionTab, IDC_WEP_LEVEL);
      if (!page) return "no Encryption tab";
      Choose(page, IDC_WEP_LEVEL, 1);
      SendMessageA(GetDlgItem(page, IDC_CREATE_WITH_PASSPHRASE), BM_CLICK, 0, 0);
      SetText(page, IDC_PASSPHRASE, "Soak at the harbour");
      if (!WaitUntil([&] { return Enabled(page, IDC_ENC_APPLY_CHANGES); })) return "Apply Changes stayed disabled";
      Click(page, IDC_ENC_APPLY_CHANGES);
      return {};
    }
    case Moment::kSurvey:
      // The window's opening made every page current once, so this visit starts a search.
      return u.ShowTab(sheet, kSiteSurveyTab, IDC_SURVEY_LIST) ? std::string() : "no Site Survey tab";
    case Moment::kStartUp:
      break;
  }
  return {};
}

// What the call log says of the exit: empty when NIVO_Terminate came once, last, and no
// call began after it began.
std::string CheckTerminateLast(const std::vector<winetest::Call>& calls) {
  size_t terminates = 0, at = 0;
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].op == "NIVO_Terminate") ++terminates, at = i;
  if (terminates == 0) return "no NIVO_Terminate in the call log";
  if (terminates > 1) return std::to_string(terminates) + " NIVO_Terminate calls";
  if (at + 1 != calls.size()) return calls[at + 1].op + " after NIVO_Terminate";
  const long long began = calls[at].Ms();
  for (const winetest::Call& c : calls)
    if (c.Ms() > began) return c.op + " began after NIVO_Terminate began";
  return {};
}

ExitRun OneExit(SoakUtility& u, unsigned seed) {
  std::mt19937 rng(seed);
  ExitRun run;
  run.moment = static_cast<Moment>(Uniform(rng, 0, 3));
  const int longest[] = {1500, 1800, 1500, 3500};  // covers each moment's work
  run.delayMs = static_cast<DWORD>(Uniform(rng, 0, longest[static_cast<int>(run.moment)]));
  std::string error;
  if (!u.Start(error)) {
    run.failure = "did not start: " + error;
    return run;
  }
  error = ReachMoment(u, run.moment, seed);
  if (!error.empty()) {
    run.failure = "before the close request: " + error;
    u.Kill();
    return run;
  }
  Sleep(run.delayMs);
  const DWORD asked = GetTickCount();
  u.RequestClose();
  const bool inTime = WaitForSingleObject(u.processHandle(), kExitLimitMs) == WAIT_OBJECT_0;
  run.ended = inTime || WaitForSingleObject(u.processHandle(), winetest::kPatientMs) == WAIT_OBJECT_0;
  run.exitMs = GetTickCount() - asked;
  if (!run.ended) {
    run.failure = "did not end on ELEGANT_CLOSE";
    u.Kill();
    return run;
  }
  u.WaitForExit(winetest::kPatientMs);
  if (!inTime) run.failure = "ended after " + std::to_string(run.exitMs) + " ms";
  error = CheckTerminateLast(u.Calls());
  if (!error.empty()) run.failure += (run.failure.empty() ? "" : "; ") + error;
  return run;
}

bool ExitSoak(int starts, unsigned seed) {
  ForgetProfiles();
  SoakUtility u(kHarbourWorld, true);
  int inTime = 0, failures = 0;
  DWORD worst = 0;
  std::map<Moment, int> byMoment;
  const DWORD began = GetTickCount();
  for (int i = 0; i < starts; ++i) {
    const unsigned runSeed = seed + static_cast<unsigned>(i);
    const ExitRun run = OneExit(u, runSeed);
    ++byMoment[run.moment];
    if (run.ended) worst = std::max(worst, run.exitMs);
    if (run.ended && run.exitMs <= kExitLimitMs) ++inTime;
    if (!run.failure.empty()) {
      ++failures;
      const std::string kept = u.KeepCallLog("tw7720-soak-exit-" + std::to_string(runSeed) + ".jsonl");
      Say("exit: start %d (seed %u, %s + %lu ms): FAILED: %s (call log kept: %s)\n", i + 1, runSeed,
          MomentName(run.moment), run.delayMs, run.failure.c_str(), kept.c_str());
    }
    if ((i + 1) % 10 == 0) Say("  %d starts, %d ended in time, worst %lu ms\n", i + 1, inTime, worst);
  }
  ForgetProfiles();
  const double seconds = SecondsSince(began);
  Say("exit: %d starts (start-up %d, push %d, page exchange %d, survey %d) in %.0f s; %d ended within %lu ms, "
      "worst %lu ms, %d failed (seed %u)\n",
      starts, byMoment[Moment::kStartUp], byMoment[Moment::kPush], byMoment[Moment::kPageExchange],
      byMoment[Moment::kSurvey], seconds, inTime, kExitLimitMs, worst, failures, seed);
  return failures == 0;
}

// ------------------------------------------------------------------ kill soak

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A record's SSID field as text.
std::string SsidOf(const ProfileWireless& p) { return std::string(p.ssid, strnlen(p.ssid, sizeof p.ssid)); }

// A registry value of the card's store: its type and bytes; nullopt when it is missing.
struct StoredValue {
  DWORD type = 0;
  std::vector<BYTE> bytes;
};
std::optional<StoredValue> ReadValue(const std::string& subKey, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  StoredValue value;
  DWORD size = 0;
  std::optional<StoredValue> result;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.bytes.resize(size);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS) {
      value.bytes.resize(size);
      result = value;
    }
  }
  RegCloseKey(key);
  return result;
}
std::optional<ProfileWireless> AsProfile(const std::optional<StoredValue>& value) {
  if (!value || value->type != REG_BINARY || value->bytes.size() != sizeof(ProfileWireless)) return std::nullopt;
  ProfileWireless p;
  std::memcpy(&p, value->bytes.data(), sizeof p);
  return p;
}
std::string WirelessKey() { return std::string(kProfileRootKey) + "\\Wireless"; }

// The names of every value under the profiles' key, whatever their type or size.
std::vector<std::string> StoredNames() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, WirelessKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}
std::optional<std::string> StoredActive() {
  const std::optional<StoredValue> v = ReadValue(kProfileRootKey, "ActiveWireless");
  if (!v || v->type != REG_SZ) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(v->bytes.data()),
                     strnlen(reinterpret_cast<const char*>(v->bytes.data()), v->bytes.size()));
}

// What the soak knows was stored: each profile's SSID by lower-case name.
struct KnownStores {
  std::map<std::string, std::string> ssids;
  std::map<std::string, std::string> names;  // as written
};

// The store the user's action may have had under way when the process was killed.
struct Attempt {
  const char* action = "";
  std::string name;
  std::string ssid;
};

// Takes in the stores that the call log shows as done (result 0): they must all be in the
// registry. A store by no name is the active profile's.
void TakeLoggedStores(const std::vector<winetest::Call>& calls, std::string active, KnownStores& known) {
  for (const winetest::Call& c : calls) {
    if (c.Text("result") != "0") continue;
    if (c.op == "NIVO_SetActiveProfileByType") active = c.Text("name");
    if (c.op != "NIVO_SetProfileWireless") continue;
    const std::string name = c.Text("name") == "null" ? active : c.Text("name");
    known.ssids[Lower(name)] = c.Text("ssid");
    known.names[Lower(name)] = name;
  }
}

// Every profile stored before the kill is there whole with what was stored (or with the
// store under way, which may have finished without being logged); the active name names a
// profile; nothing in the store is torn. Empty when all holds.
std::string CheckStore(KnownStores& known, const Attempt& attempt) {
  for (const std::string& name : StoredNames()) {
    const std::optional<StoredValue> value = ReadValue(WirelessKey(), name);
    if (!AsProfile(value))
      return "profile value \"" + name + "\" is not a whole record (" +
             std::to_string(value ? value->bytes.size() : 0) + " bytes)";
  }
  for (const auto& [lower, ssid] : known.ssids) {
    const std::string& name = known.names[lower];
    const std::optional<ProfileWireless> p = AsProfile(ReadValue(WirelessKey(), name));
    if (!p) return "profile \"" + name + "\" stored before the kill is gone";
    const std::string now = SsidOf(*p);
    if (now != ssid && !(Lower(attempt.name) == lower && now == attempt.ssid))
      return "profile \"" + name + "\" holds SSID \"" + now + "\", stored was \"" + ssid + "\"";
    known.ssids[lower] = now;
  }
  if (!known.ssids.count(Lower(attempt.name))) {
    const std::optional<ProfileWireless> p = AsProfile(ReadValue(WirelessKey(), attempt.name));
    if (p) {
      if (SsidOf(*p) != attempt.ssid) return "the new profile \"" + attempt.name + "\" holds SSID \"" + SsidOf(*p) + "\"";
      known.ssids[Lower(attempt.name)] = attempt.ssid;
      known.names[Lower(attempt.name)] = attempt.name;
    }
  }
  if (const std::optional<std::string> active = StoredActive())
    if (!AsProfile(ReadValue(WirelessKey(), *active))) return "the active profile \"" + *active + "\" is not stored";
  const std::optional<StoredValue> driver = ReadValue(std::string(kProfileRootKey) + "\\Driver", "Settings");
  if (driver && !AsProfile(driver))
    return "the driver settings are not a whole record (" + std::to_string(driver->bytes.size()) + " bytes)";
  return {};
}

// The start after a kill: the icon, the first push, the stored active profile loaded, every
// known profile listed on the Configuration tab. Empty when all holds; the tab's page in
// `page`.
std::string CheckNormalStart(SoakUtility& u, const KnownStores& known, const std::optional<std::string>& active,
                             HWND& page) {
  std::string error;
  if (!u.Start(error)) return "did not start: " + error;
  if (!u.WaitForLineCount(kAddIconLine, 1)) return "no tray icon";
  if (!u.WaitForLineCount(kProfilePushLine, 1)) return "no push of the profile";
  if (active) {
    bool loaded = false;
    for (const winetest::Call& c : u.Calls())
      loaded |= c.op == "NIVO_GetProfileWireless" && Lower(c.Text("name")) == Lower(*active) && c.Text("result") == "0";
    if (!loaded) return "the active profile \"" + *active + "\" was not loaded";
  }
  HWND sheet = u.OpenSheet();
  if (!sheet) return "the window did not open";
  page = u.ShowTab(sheet, kConfigurationTab, IDC_CONFIG_PROFILE);
  if (!page) return "no Configuration tab";
  std::vector<std::string> listed;
  for (const std::string& name : ComboItems(page, IDC_CONFIG_PROFILE)) listed.push_back(Lower(name));
  for (const auto& [lower, ssid] : known.ssids)
    if (std::find(listed.begin(), listed.end(), lower) == listed.end())
      return "profile \"" + known.names.at(lower) + "\" is not listed";
  return {};
}

// The user's store: a new profile ("Create") or a new SSID for the shown one ("Apply
// Changes", which the polling thread then pushes and writes to the driver's settings).
std::string BeginStore(HWND page, int index, bool create, Attempt& attempt) {
  if (create) {
    attempt = {"create", "Kill" + std::to_string(index), Text(page, IDC_CONFIG_SSID)};
    TypeIntoCombo(page, IDC_CONFIG_PROFILE, attempt.name);
    if (!WaitUntil([&] { return Enabled(page, IDC_CONFIG_CREATE); })) return "Create stayed disabled";
    Click(page, IDC_CONFIG_CREATE);
  } else {
    attempt = {"apply", Text(page, IDC_CONFIG_PROFILE), "Ssid" + std::to_string(index)};
    SetText(page, IDC_CONFIG_SSID, attempt.ssid);
    if (!WaitUntil([&] { return Enabled(page, IDC_CONFIG_APPLY_CHANGES); })) return "Apply Changes stayed disabled";
    Click(page, IDC_CONFIG_APPLY_CHANGES);
  }
  return {};
}

bool KillSoak(int kills, unsigned seed) {
  ForgetProfiles();
  SoakUtility u(kHarbourWorld, true);
  KnownStores known;
  std::map<std::string, int> afterWhat;  // how far the store had come at each kill
  int failures = 0, normalStarts = 0;
  const DWORD began = GetTickCount();
  for (int i = 0; i <= kills; ++i) {
    const unsigned runSeed = seed + static_cast<unsigned>(i);
    std::mt19937 rng(runSeed);
    const std::optional<std::string> active = StoredActive();
    HWND page = nullptr;
    std::string error = CheckNormalStart(u, known, active, page);
    if (error.empty()) ++normalStarts;
    if (i == kills || !error.empty()) {
      if (!error.empty()) {
        ++failures;
        Say("kill: start %d (seed %u): FAILED: %s\n", i + 1, runSeed, error.c_str());
      }
      u.RequestClose();
      if (!u.WaitForExit(winetest::kPatientMs)) u.Kill();
      if (!error.empty()) break;
      continue;
    }
    const bool create = Uniform(rng, 0, 1) == 0;
    // A third of the kills within the first 100 ms, where the page's own store runs; the
    // rest anywhere up to the polling thread's push and driver store.
    const DWORD delay = static_cast<DWORD>(Uniform(rng, 0, 2) == 0 ? Uniform(rng, 0, 100) : Uniform(rng, 0, 2500));
    Attempt attempt;
    const size_t before = u.Calls().size();
    error = BeginStore(page, i + 1, create, attempt);
    if (error.empty()) Sleep(delay);
    u.Kill();
    const std::vector<winetest::Call> calls = u.Calls();
    if (error.empty()) {
      TakeLoggedStores(calls, active.value_or(""), known);
      error = CheckStore(known, attempt);
    }
    // How far the store came before the kill, from the call log.
    bool stored = false, driver = false;
    for (size_t c = before; c < calls.size(); ++c) {
      stored |= calls[c].op == "NIVO_SetProfileWireless";
      driver |= stored && calls[c].op == "NIVO_SetDriverReg";
    }
    ++afterWhat[std::string(attempt.action) + (driver ? " after the driver store" : stored ? " after the store" : " before the store")];
    if (!error.empty()) {
      ++failures;
      const std::string kept = u.KeepCallLog("tw7720-soak-kill-" + std::to_string(runSeed) + ".jsonl");
      Say("kill: kill %d (seed %u, %s, %lu ms): FAILED: %s (call log kept: %s)\n", i + 1, runSeed, attempt.action,
          delay, error.c_str(), kept.c_str());
      break;
    }
    if ((i + 1) % 10 == 0) Say("  %d kills, %d profiles known\n", i + 1, static_cast<int>(known.ssids.size()));
  }
  const double seconds = SecondsSince(began);
  for (const auto& [what, n] : afterWhat) Say("  killed during %s: %d\n", what.c_str(), n);
  ForgetProfiles();
  Say("kill: %d kills in %.0f s; %d profiles intact, %d of %d starts normal, %d failed (seed %u)\n", kills, seconds,
      static_cast<int>(known.ssids.size()), normalStarts, kills + 1, failures, seed);
  return failures == 0;
}

int Usage() {
  std::fputs(
      "usage: soak.exe remove-insert [cycles] | exit [starts] [--seed N] | kill [kills] [--seed N] | "
      "counts <pid>\n",
      stderr);
  return 2;
}

}  // namespace
}  // namespace soak

int main(int argc, char** argv) {
  using namespace soak;
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  std::optional<int> count;
  unsigned seed = GetTickCount();
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      char* end = nullptr;
      const long n = std::strtol(argv[i], &end, 10);
      if (!end || *end != '\0' || n < 1) return Usage();
      count = static_cast<int>(n);
    }
  }
  if (command == "counts") return count ? CountsCommand(static_cast<DWORD>(*count)) : Usage();
  if (command == "remove-insert") return RemoveInsertSoak(count.value_or(1000)) ? 0 : 1;
  if (command == "exit") return ExitSoak(count.value_or(200), seed) ? 0 : 1;
  if (command == "kill") return KillSoak(count.value_or(50), seed) ? 0 : 1;
  return Usage();
}
