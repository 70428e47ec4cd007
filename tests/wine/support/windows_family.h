// Starting a program as an older Windows family: Wine reports the Windows version named by
// HKCU\Software\Wine\AppDefaults\<program>\Version (win95, win98, winme, nt40, win2k, winxp)
// to every process of that program started while the value is set; without it, Wine 8
// reports NT 6.1.
#pragma once
#include <string>

namespace winetest {

// Sets the reported version for one program (by its file name, "tw7720util.exe") for the
// object's life and removes it again on destruction, or earlier with Remove().
class ReportedWindowsVersion {
 public:
  ReportedWindowsVersion(std::string program, const std::string& version);
  ReportedWindowsVersion(const ReportedWindowsVersion&) = delete;
  ReportedWindowsVersion& operator=(const ReportedWindowsVersion&) = delete;
  ~ReportedWindowsVersion() { Remove(); }
  bool ok() const { return ok_; }
  // Takes the value away (and the program's key once it is empty); safe to call again.
  void Remove();

 private:
  std::string program_;
  bool ok_ = false;
};

// Removes a reported version left behind for the program (by a run that did not end
// cleanly); true when none is set afterwards.
bool ForgetReportedWindowsVersion(const std::string& program);

// The version the registry names for the program now; empty when none is set.
std::string ReportedWindowsVersionOf(const std::string& program);

}  // namespace winetest
