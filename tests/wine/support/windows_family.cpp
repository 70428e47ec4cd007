#include "support/windows_family.h"

#include <windows.h>
#include <shlwapi.h>

namespace winetest {

namespace {

constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\";
constexpr char kVersionValue[] = "Version";

std::string KeyOf(const std::string& program) { return kAppDefaults + program; }

}  // namespace

ReportedWindowsVersion::ReportedWindowsVersion(std::string program, const std::string& version)
    : program_(std::move(program)) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyOf(program_).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  ok_ = RegSetValueExA(key, kVersionValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

void ReportedWindowsVersion::Remove() {
  if (program_.empty()) return;
  ForgetReportedWindowsVersion(program_);
  program_.clear();
}

bool ForgetReportedWindowsVersion(const std::string& program) {
  const std::string key = KeyOf(program);
  SHDeleteValueA(HKEY_CURRENT_USER, key.c_str(), kVersionValue);
  // The key itself goes only when nothing else was set for the program.
  SHDeleteEmptyKeyA(HKEY_CURRENT_USER, key.c_str());
  return ReportedWindowsVersionOf(program).empty();
}

std::string ReportedWindowsVersionOf(const std::string& program) {
  char text[64] = {};
  DWORD size = sizeof(text) - 1;
  if (SHGetValueA(HKEY_CURRENT_USER, KeyOf(program).c_str(), kVersionValue, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return std::string();
  return std::string(text);
}

}  // namespace winetest
