// Helpers for the Wine suite: copies of the program in a folder of their own, processes
// started under this test program as their debugger (so their OutputDebugStringA lines are
// read here), waits for windows and for process ends.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace winetest {

// Long enough for a cold Wine to start a process; a condition that holds ends a wait early.
constexpr DWORD kPatientMs = 30000;

// The folder this test program was started from (the build's bin folder).
std::string ProgramFolder();

// Copies the driver file's stand-in built beside the tests (TW77MBPS.sys) to the Windows
// directory's `relative` path, where the card's driver path points.
bool PlaceDriverStandIn(const std::string& relative);

// A fresh folder under the temporary folder; removed with its files on destruction.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Copies a file of the build's bin folder into this folder.
  bool CopyFromBin(const std::string& name) const;
  // Copies a file of the build's bin folder into this folder under another name.
  bool CopyFromBinAs(const std::string& name, const std::string& newName) const;
  bool Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

// A process started with this program as its debugger: its debug-output lines are kept.
class DebuggedProcess {
 public:
  explicit DebuggedProcess(const std::string& commandLine);
  ~DebuggedProcess();  // ends the process if it still runs
  bool started() const { return started_; }
  // Waits for the process to end; false on time-out.
  bool WaitForExit(DWORD ms = kPatientMs);
  bool exited() const { return exited_; }
  DWORD processId() const { return processId_; }
  DWORD exitCode() const { return exitCode_; }
  std::vector<std::string> lines() const;
  // The lines that arrived after the first `from` ones.
  std::vector<std::string> lines(size_t from) const;
  // Waits until a debug-output line equal to `line` has arrived.
  bool WaitForLine(const std::string& line, DWORD ms = kPatientMs) const;
  void Kill();

 private:
  void DebugLoop(std::string commandLine);

  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
  std::atomic<bool> started_{false};
  std::atomic<bool> startDone_{false};
  std::atomic<bool> exited_{false};
  std::atomic<DWORD> exitCode_{0};
  std::atomic<DWORD> processId_{0};
};

// Polls until a top-level window with this title exists; null on time-out.
HWND WaitForWindow(const char* className, const char* title, DWORD ms = kPatientMs);
// Polls until no top-level window with this title exists.
bool WaitForNoWindow(const char* className, const char* title, DWORD ms = kPatientMs);
// Runs a program to its end without a debugger; returns its exit code, or -1 on time-out.
// With `quiet` what it prints goes nowhere.
long RunToEnd(const std::string& commandLine, DWORD ms = kPatientMs, bool quiet = false);
// Posts a registered message to every top-level window, as another program would.
void BroadcastRegistered(const char* name);

// Sets environment variables for the test's duration (child processes inherit them); each
// is removed again on destruction.
class EnvironmentGuard {
 public:
  EnvironmentGuard() = default;
  EnvironmentGuard(const EnvironmentGuard&) = delete;
  EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;
  ~EnvironmentGuard();
  void Set(const char* name, const std::string& value);

 private:
  std::vector<std::string> names_;
};

// The lines of a text file, without their line ends; empty when it cannot be read.
std::vector<std::string> FileLines(const std::string& path);

}  // namespace winetest
