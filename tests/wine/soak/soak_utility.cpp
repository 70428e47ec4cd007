#include "soak/soak_utility.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

#include "support/desktop_probe.h"

namespace soak {

SoakUtility::SoakUtility(const char* world, bool callLog) : callLog_(callLog) {
  folder_.CopyFromBin(winetest::kUtilityProgram);
  folder_.CopyFromBin("NIVO3.dll");
  folder_.Write("world.ini", world);
}

SoakUtility::~SoakUtility() {
  Kill();
  process_.reset();
  if (handle_) CloseHandle(handle_);
}

bool SoakUtility::Start(std::string& error) {
  if (running()) {
    error = "the utility still runs";
    return false;
  }
  process_.reset();
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
  frame_ = nullptr;
  scanned_ = 0;
  lineCounts_.clear();
  ++starts_;
  DeleteFileA(callLogPath().c_str());
  // The child inherits the environment of the moment it is created.
  SetEnvironmentVariableA("NIVO3_SCENARIO", folder_.File("world.ini").c_str());
  SetEnvironmentVariableA("NIVO3_CALL_LOG", callLog_ ? callLogPath().c_str() : nullptr);
  process_ = std::make_unique<winetest::DebuggedProcess>(folder_.File(winetest::kUtilityProgram));
  SetEnvironmentVariableA("NIVO3_SCENARIO", nullptr);
  SetEnvironmentVariableA("NIVO3_CALL_LOG", nullptr);
  if (!process_->started()) {
    error = "the utility did not start";
    return false;
  }
  handle_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid());
  frame_ = winetest::WaitForProcessWindow(pid(), nullptr, kUtilityTitle, false, winetest::kPatientMs);
  if (!frame_) {
    error = "no main window";
    return false;
  }
  return true;
}

bool SoakUtility::WaitForExit(DWORD ms) { return process_ ? process_->WaitForExit(ms) : true; }

void SoakUtility::Kill() {
  if (process_) process_->Kill();
}

void SoakUtility::ScanLines() {
  if (!process_) return;
  for (const std::string& line : process_->lines(scanned_)) {
    ++lineCounts_[line];
    ++scanned_;
  }
}

size_t SoakUtility::LineCount(const std::string& line) {
  ScanLines();
  auto found = lineCounts_.find(line);
  return found == lineCounts_.end() ? 0 : found->second;
}

bool SoakUtility::WaitForLineCount(const std::string& line, size_t atLeast, DWORD ms) {
  return WaitUntil([&] { return LineCount(line) >= atLeast; }, ms);
}

std::vector<std::string> SoakUtility::LastLines(size_t n) const {
  std::vector<std::string> last;
  if (!process_) return last;
  const std::vector<std::string> all = process_->lines(scanned_ > 400 ? scanned_ - 400 : 0);
  for (auto line = all.rbegin(); line != all.rend() && last.size() < n; ++line) {
    std::string shown = *line;
    std::replace(shown.begin(), shown.end(), '\n', '|');
    if (shown.find_first_not_of("| ") != std::string::npos) last.insert(last.begin(), shown);
  }
  return last;
}

std::string SoakUtility::callLogPath() const { return folder_.File("calls.jsonl"); }

size_t SoakUtility::CallCount(const std::string& op) const {
  size_t n = 0;
  for (const winetest::Call& c : Calls()) n += c.op == op;
  return n;
}

std::string SoakUtility::KeepCallLog(const std::string& name) const {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string kept = std::string(temp) + name;
  CopyFileA(callLogPath().c_str(), kept.c_str(), FALSE);
  return kept;
}

long SoakUtility::Ctl(const std::string& arguments) const {
  std::string command(1, '"');
  command.append(winetest::ProgramFolder()).append("\\virtualcard-ctl.exe\" --pid ");
  command.append(std::to_string(pid())).append(1, ' ').append(arguments);
  return winetest::RunToEnd(command, winetest::kPatientMs, true);
}

HWND SoakUtility::OpenSheet() const {
  PostMessageA(frame_, RegisterWindowMessageA("QUORVEL_ICON_PRESSED"), winetest::kTrayIconId, WM_LBUTTONDBLCLK);
  return winetest::WaitForProcessWindow(pid(), "#32770", kUtilityTitle, true, winetest::kPatientMs);
}

std::vector<HWND> SoakUtility::VisibleSheets() const {
  return winetest::ProcessWindows(pid(), "#32770", kUtilityTitle, true);
}

HWND SoakUtility::ShowTab(HWND sheet, Tab tab, int controlId) const {
  PostMessageA(sheet, PSM_SETCURSEL, tab, 0);
  HWND page = nullptr;
  WaitUntil([&] {
    page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return page != nullptr && GetDlgItem(page, controlId) != nullptr;
  });
  return page != nullptr && GetDlgItem(page, controlId) != nullptr ? page : nullptr;
}

void SoakUtility::RequestClose() { winetest::BroadcastRegistered("ELEGANT_CLOSE"); }

void Click(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

void SetText(HWND page, int id, const std::string& text) {
  SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Text(HWND page, int id) { return winetest::ForeignText(GetDlgItem(page, id)); }

bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

void Choose(HWND page, int id, int index) {
  HWND box = GetDlgItem(page, id);
  SendMessageA(box, CB_SETCURSEL, index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void TypeIntoCombo(HWND page, int id, const std::string& text) {
  HWND edit = FindWindowExA(GetDlgItem(page, id), nullptr, "Edit", nullptr);
  if (!edit) return;
  PostMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

std::vector<std::string> ComboItems(HWND page, int id) { return winetest::ForeignComboItems(GetDlgItem(page, id)); }

}  // namespace soak
