#include "support/wine_process.h"

#include <cstdio>
#include <fstream>

namespace winetest {

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

bool PlaceDriverStandIn(const std::string& relative) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  CreateDirectoryA((std::string(windows) + "\\system32\\drivers").c_str(), nullptr);
  return CopyFileA((ProgramFolder() + "\\TW77MBPS.sys").c_str(), (std::string(windows) + "\\" + relative).c_str(),
                   FALSE) != FALSE;
}

ScratchFolder::ScratchFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  static int counter = 0;
  char name[MAX_PATH];
  std::snprintf(name, sizeof(name), "%stw7720-%lu-%d", temp, GetCurrentProcessId(), ++counter);
  path_ = name;
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((path_ + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path_.c_str());
}

bool ScratchFolder::CopyFromBin(const std::string& name) const {
  return CopyFileA((ProgramFolder() + "\\" + name).c_str(), File(name).c_str(), FALSE) != FALSE;
}

bool ScratchFolder::CopyFromBinAs(const std::string& name, const std::string& newName) const {
  return CopyFileA((ProgramFolder() + "\\" + name).c_str(), File(newName).c_str(), FALSE) != FALSE;
}

bool ScratchFolder::Write(const std::string& name, const std::string& content) const {
  FILE* f = std::fopen(File(name).c_str(), "wb");
  if (f == nullptr) return false;
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
  return true;
}

DebuggedProcess::DebuggedProcess(const std::string& commandLine)
    : thread_(&DebuggedProcess::DebugLoop, this, commandLine) {
  while (!startDone_) Sleep(5);
}

DebuggedProcess::~DebuggedProcess() {
  Kill();
  if (thread_.joinable()) thread_.join();
}

void DebuggedProcess::Kill() {
  if (!started_ || exited_) return;
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId_);
  if (process != nullptr) {
    TerminateProcess(process, 99);
    CloseHandle(process);
  }
  WaitForExit();
}

void DebuggedProcess::DebugLoop(std::string commandLine) {
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  started_ = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                            nullptr, nullptr, &si, &pi) != FALSE;
  processId_ = pi.dwProcessId;
  startDone_ = true;
  if (!started_) return;
  for (;;) {
    DEBUG_EVENT event = {};
    if (!WaitForDebugEvent(&event, 100)) continue;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case OUTPUT_DEBUG_STRING_EVENT: {
        const auto& info = event.u.DebugString;
        std::string text(info.nDebugStringLength, '\0');
        SIZE_T read = 0;
        ReadProcessMemory(pi.hProcess, info.lpDebugStringData, text.data(), text.size(), &read);
        text.resize(read);
        text = text.c_str();
        std::lock_guard<std::mutex> guard(lock_);
        lines_.push_back(text);
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        // First-chance exceptions belong to the program (the initial breakpoint included).
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
          status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      default:
        break;
    }
    if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
      exitCode_ = event.u.ExitProcess.dwExitCode;
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
      break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  exited_ = true;
}

bool DebuggedProcess::WaitForExit(DWORD ms) {
  const DWORD start = GetTickCount();
  while (!exited_) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

std::vector<std::string> DebuggedProcess::lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

std::vector<std::string> DebuggedProcess::lines(size_t from) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (from >= lines_.size()) return {};
  return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end());
}

bool DebuggedProcess::WaitForLine(const std::string& line, DWORD ms) const {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const std::string& l : lines())
      if (l == line) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
}

HWND WaitForWindow(const char* className, const char* title, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowA(className, title);
    if (w != nullptr) return w;
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(20);
  }
}

bool WaitForNoWindow(const char* className, const char* title, DWORD ms) {
  const DWORD start = GetTickCount();
  while (FindWindowA(className, title) != nullptr) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

long RunToEnd(const std::string& commandLine, DWORD ms, bool quiet) {
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  HANDLE nowhere = INVALID_HANDLE_VALUE;
  if (quiet) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    nowhere = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          OPEN_EXISTING, 0, nullptr);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nowhere;
  }
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  const BOOL created = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, quiet ? TRUE : FALSE, 0, nullptr,
                                      nullptr, &si, &pi);
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  if (!created) return -2;
  long result = -1;
  if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result = static_cast<long>(code);
  } else {
    TerminateProcess(pi.hProcess, 99);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

void BroadcastRegistered(const char* name) {
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA(name), 0, 0);
}

EnvironmentGuard::~EnvironmentGuard() {
  for (const std::string& name : names_) SetEnvironmentVariableA(name.c_str(), nullptr);
}

void EnvironmentGuard::Set(const char* name, const std::string& value) {
  names_.push_back(name);
  SetEnvironmentVariableA(name, value.c_str());
}

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace winetest
