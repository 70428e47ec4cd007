// The utility as the soaks drive it: a copy of tw7720util.exe and NIVO3.DLL in a folder of
// the soak's own, started as often as a soak needs (each start with a call log of its own),
// its trace lines counted as they arrive, and the ways a user, the system and the card reach
// it from outside. Profiles live in the registry of the Wine prefix, like a user's.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/call_log.h"
#include "support/utility_facts.h"
#include "support/wine_process.h"

namespace soak {

using winetest::kAddIconLine;
using winetest::kProfilePushLine;
using winetest::kProfileRootKey;
using winetest::kRemoveIconLine;
using winetest::kUtilityTitle;
using winetest::Tab;
using winetest::WaitUntil;
using enum winetest::Tab;

class SoakUtility {
 public:
  // `world` is the card's scenario; with `callLog` false the card keeps no call log (a long
  // soak that reads only the trace writes no growing file).
  SoakUtility(const char* world, bool callLog);
  ~SoakUtility();

  // Starts the utility once more (a running one must have ended) and waits for its hidden
  // main window; false, with `error` set, when it did not come.
  bool Start(std::string& error);
  bool running() const { return process_ && !process_->exited(); }
  DWORD pid() const { return process_ ? process_->processId() : 0; }
  HWND frame() const { return frame_; }
  // Waits for the process to end; false on time-out.
  bool WaitForExit(DWORD ms);
  // The process's own handle (valid while this start lasts), signalled when it ends.
  HANDLE processHandle() const { return handle_; }
  void Kill();

  // How often a trace line has arrived since this start.
  size_t LineCount(const std::string& line);
  bool WaitForLineCount(const std::string& line, size_t atLeast, DWORD ms = winetest::kPatientMs);
  // The last trace lines (switched-off steps and blank lines aside), line feeds shown as "|".
  std::vector<std::string> LastLines(size_t n) const;

  std::string callLogPath() const;
  std::vector<winetest::Call> Calls() const { return winetest::ReadCallLog(callLogPath()); }
  size_t CallCount(const std::string& op) const;
  // Keeps this start's call log beside the temporary folder; the copy's path.
  std::string KeepCallLog(const std::string& name) const;

  // Runs virtualcard-ctl against this utility's card; its exit status.
  long Ctl(const std::string& arguments) const;

  // The tray icon's double click; the configuration window once it shows, else null.
  HWND OpenSheet() const;
  std::vector<HWND> VisibleSheets() const;
  // Makes a tab current; its page once it shows the control `controlId`, else null.
  HWND ShowTab(HWND sheet, Tab tab, int controlId) const;
  // Broadcasts "ELEGANT_CLOSE" as another program does.
  static void RequestClose();

 private:
  void ScanLines();

  winetest::ScratchFolder folder_;
  bool callLog_;
  int starts_ = 0;
  std::unique_ptr<winetest::DebuggedProcess> process_;
  HANDLE handle_ = nullptr;
  HWND frame_ = nullptr;
  size_t scanned_ = 0;
  std::map<std::string, size_t> lineCounts_;
};

// --- what a user does to a page of another process
void Click(HWND page, int id);
void SetText(HWND page, int id, const std::string& text);
std::string Text(HWND page, int id);
bool Enabled(HWND page, int id);
// Chooses an item of a drop-down list as the user does (the page is told of the change).
void Choose(HWND page, int id, int index);
// Types into the edit part of a combo box, replacing what it shows.
void TypeIntoCombo(HWND page, int id, const std::string& text);
// The items of a combo box of another process (ASCII texts).
std::vector<std::string> ComboItems(HWND page, int id);

// The seconds since an earlier GetTickCount.
inline double SecondsSince(DWORD start) { return (GetTickCount() - start) / 1000.0; }

}  // namespace soak
