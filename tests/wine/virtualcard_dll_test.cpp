// NIVO3.DLL, the virtual card, loaded into this test program under Wine: every operation
// resolved by its undecorated name, profiles in the registry, the call log file, the
// scenario file, and virtualcard-ctl steering the card inside this process.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "driver/nivo_api.h"
#include "support/call_log_json.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

// The DLL and its entry points; terminates and unloads on destruction.
class LoadedCard {
 public:
  explicit LoadedCard(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
    if (!module_) return;
#define RESOLVE(name, ...)                                                                       \
  f.name = reinterpret_cast<name##_t>(reinterpret_cast<void*>(GetProcAddress(module_, #name))); \
  if (!f.name) missing += #name " ";
    NIVO_OPERATIONS(RESOLVE)
#undef RESOLVE
  }
  ~LoadedCard() { Unload(); }
  void Unload() {
    if (!module_) return;
    if (initialised_ && f.NIVO_Terminate) f.NIVO_Terminate();
    FreeLibrary(module_);
    module_ = nullptr;
  }
  bool loaded() const { return module_ != nullptr; }
  void Init() {
    f.NIVO_Init("Halden", 0);
    initialised_ = true;
  }

  NivoFunctions f;
  std::string missing;

 private:
  HMODULE module_ = nullptr;
  bool initialised_ = false;
};

struct CtlRun {
  long exitCode = -1;
  std::string output;
};

// Runs a command line to its end with its output (stdout and stderr) kept in a file of the
// folder; the output is read back with the console's CR LF line ends turned into LF.
CtlRun RunCaptured(const ScratchFolder& folder, const std::string& commandLine) {
  CtlRun run;
  std::string outputPath = folder.File("run-output.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return run;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                     &process)) {
    if (WaitForSingleObject(process.hProcess, kPatientMs) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      run.exitCode = static_cast<long>(code);
    } else {
      TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  std::ifstream in(outputPath, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  for (char c : text.str())
    if (c != '\r') run.output += c;
  return run;
}

// The quoted path of a program in the build's bin folder, and a blank.
std::string BinProgram(const char* name) {
  std::string command(1, '"');
  command += ProgramFolder();
  command += '\\';
  command += name;
  command += "\" ";
  return command;
}

// Runs virtualcard-ctl against this process (or, with ownPid false, without --pid).
CtlRun Ctl(const ScratchFolder& folder, const std::string& arguments, bool ownPid = true) {
  std::string command = BinProgram("virtualcard-ctl.exe");
  if (ownPid) {
    command += "--pid ";
    command += std::to_string(GetCurrentProcessId());
    command += ' ';
  }
  command += arguments;
  return RunCaptured(folder, command);
}

// A hidden top-level window that counts the device-node changes broadcast to it.
class DeviceChangeListener {
 public:
  DeviceChangeListener() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VirtualCardTestListener";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, windowClass.lpszClassName, "virtual card test listener", WS_OVERLAPPED, 0, 0, 10, 10,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    count_ = 0;
  }
  ~DeviceChangeListener() {
    if (window_) DestroyWindow(window_);
  }
  // Pumps messages until `count` node changes arrived or the time is up.
  bool WaitFor(int count, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    while (count_ < count && GetTickCount() - start < ms) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
    return count_ >= count;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE && wParam == 7 /* DBT_DEVNODES_CHANGED */ && lParam == 0) ++count_;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  static int count_;
};
int DeviceChangeListener::count_ = 0;

std::string UniqueRoot() {
  return "TallwynTest\\vcard-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

TEST(VirtualCardDll, ExportsEveryOperationAndServesThemWithLogRegistryAndControl) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.Write("world.ini",
                           "[card]\nfirmware=FW wine\n[network]\nssid=Wine Cellar\nbssid=00-0C-41-00-00-01\n"
                           "channel=6\nsignal=-50\n"));
  EnvironmentGuard environment;
  environment.Set("NIVO3_SCENARIO", folder.File("world.ini"));
  environment.Set("NIVO3_CALL_LOG", folder.File("calls.jsonl"));
  DeviceChangeListener listener;

  LoadedCard card(ProgramFolder() + "\\NIVO3.DLL");
  ASSERT_TRUE(card.loaded());
  ASSERT_EQ(card.missing, "") << "exports not found by their undecorated names";
  const NivoFunctions& f = card.f;
  card.Init();
  DetectInfo info{};
  std::strcpy(info.hardwareId, "PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7");
  EXPECT_EQ(f.NIVO_Detect(&info), 1);
  EXPECT_EQ(f.NIVO_ChannelToFrequency(6), 2437000);
  EXPECT_EQ(f.NIVO_FrequencyToChannel(2484000), 14);
  std::int32_t zeroConfig = -1;
  EXPECT_EQ(f.NIVO_Get_XPWZC(&zeroConfig), 0);
  EXPECT_EQ(zeroConfig, 0);
  char path[kDriverPathBufferSize] = {};
  EXPECT_EQ(f.NIVO_GetWLANDriverPath(path), 1);
  EXPECT_GT(std::strlen(path), 0u);

  // The scenario's world: one network, found by a survey.
  std::vector<std::uint8_t> survey(kSurveyBufferSize);
  std::uint32_t size = kSurveyBufferSize;
  EXPECT_EQ(f.NIVO_SiteSurveyTrigger(), 0);
  ASSERT_EQ(f.NIVO_SiteSurveyGet(survey.data(), &size), 1);
  EXPECT_EQ(survey[0], 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(survey.data() + 20), 11), "Wine Cellar");
  std::uint32_t flags = wlflag::kFirmwareVersion;
  WlanConfig config{};
  EXPECT_EQ(f.NIVO_GetWLANConfig(&flags, &config), 0);
  EXPECT_EQ(flags, 0u);
  EXPECT_STREQ(config.firmwareVersion, "FW wine");

  // Profiles in the registry, one binary value each.
  std::string root = UniqueRoot();
  ASSERT_EQ(f.NIVO_SetProfileRoot(root.c_str()), 0);
  char name[kProfileNameBufferSize];
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27);
  EXPECT_EQ(f.NIVO_EnumProfilesByType(0, name, 1), 3);
  ProfileWireless profile;
  std::memset(&profile, 0, sizeof profile);
  std::strcpy(profile.profileName, "Default");
  std::strcpy(profile.ssid, "Wine Cellar");
  profile.reserved2[100] = 0x77;
  ASSERT_EQ(f.NIVO_SetProfileWireless("Default", &profile), 0);
  ASSERT_EQ(f.NIVO_SetActiveProfileByType("Default", 1), 0);
  ASSERT_EQ(f.NIVO_GetActiveProfileByType(name, 1), 0);
  EXPECT_STREQ(name, "Default");
  ASSERT_EQ(f.NIVO_EnumProfilesByType(0, name, 1), 0);
  EXPECT_EQ(f.NIVO_EnumProfilesByType(1, name, 1), 3);
  ProfileWireless stored;
  DWORD type = 0, bytes = sizeof stored;
  ASSERT_EQ(SHGetValueA(HKEY_CURRENT_USER, ("Software\\" + root + "\\Wireless").c_str(), "Default", &type, &stored,
                        &bytes),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(bytes, sizeof(ProfileWireless));
  EXPECT_EQ(std::memcmp(&stored, &profile, sizeof stored), 0);
  EXPECT_EQ(f.NIVO_SetDriverReg(&profile), 0);

  // The control tool reaches the card in this process.
  CtlRun status = Ctl(folder, "status");
  EXPECT_EQ(status.exitCode, 0) << status.output;
  EXPECT_NE(status.output.find("present: yes"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("ssid=Wine Cellar bssid=00-0C-41-00-00-01"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("profile-root: " + root), std::string::npos) << status.output;

  CtlRun removed = Ctl(folder, "remove");
  EXPECT_EQ(removed.exitCode, 0) << removed.output;
  EXPECT_EQ(f.NIVO_Detect(&info), 0);
  EXPECT_TRUE(listener.WaitFor(1)) << "removal broadcasts a device-node change";
  EXPECT_NE(Ctl(folder, "status").output.find("present: no"), std::string::npos);
  EXPECT_EQ(Ctl(folder, "insert").exitCode, 0);
  EXPECT_EQ(f.NIVO_Detect(&info), 1);
  EXPECT_TRUE(listener.WaitFor(2)) << "insertion broadcasts a device-node change";

  CtlRun refused = Ctl(folder, "signal Nowhere -50");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("no network 'Nowhere'"), std::string::npos) << refused.output;
  CtlRun spaced = Ctl(folder, "add-network \"ssid=Two Words\" bssid=02-00-00-00-00-42 channel=4");
  EXPECT_EQ(spaced.exitCode, 0) << spaced.output;
  EXPECT_NE(Ctl(folder, "status").output.find("ssid=Two Words bssid=02-00-00-00-00-42"), std::string::npos);

  // After NIVO_Terminate the card no longer answers.
  card.Unload();
  CtlRun gone = Ctl(folder, "status");
  EXPECT_EQ(gone.exitCode, 2) << gone.output;
  EXPECT_NE(gone.output.find("no virtual card is running"), std::string::npos) << gone.output;

  // The call log: one JSON object per line, fields by name.
  std::vector<std::string> lines = FileLines(folder.File("calls.jsonl"));
  ASSERT_GE(lines.size(), 20u);
  std::vector<std::string> ops;
  for (const std::string& line : lines) {
    auto members = calllog::ParseObject(line);
    ASSERT_TRUE(members.has_value()) << line;
    ops.push_back(calllog::Text(*members, "op"));
  }
  EXPECT_EQ(ops.front(), "NIVO_Init");
  EXPECT_EQ(ops.back(), "NIVO_Terminate");
  bool sawRemove = false, sawFirmware = false;
  for (const std::string& line : lines) {
    sawRemove = sawRemove || line.find("\"op\":\"control\",\"command\":[\"remove\"],\"result\":0") != std::string::npos;
    sawFirmware = sawFirmware || line.find("\"dwWLFlag_in\":\"0x4000000\",\"firmwareVersion\":\"FW wine\"") !=
                                     std::string::npos;
  }
  EXPECT_TRUE(sawRemove);
  EXPECT_TRUE(sawFirmware);
  calllog::Json init = calllog::ParseObject(lines.front()).value();
  EXPECT_EQ(init["thread"], GetCurrentThreadId());
  EXPECT_EQ(init["applicationName"], "Halden");

  SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + root).c_str());
}

TEST(VirtualCardDll, ReadsTheScenarioBesideItAndReportsWhatItSkipped) {
  ScratchFolder folder;
  ASSERT_TRUE(folder.CopyFromBin("NIVO3.DLL"));
  ASSERT_TRUE(folder.Write("NIVO3.ini", "[card]\nzero_config=1\nchannel=99\n[network]\nssid=Beside\n"
                                        "bssid=00-0C-41-00-00-02\n"));
  {
    LoadedCard card(folder.File("NIVO3.DLL"));
    ASSERT_TRUE(card.loaded());
    card.Init();
    EXPECT_EQ(card.f.NIVO_Get_XPWZC(nullptr), 1);
    CtlRun status = Ctl(folder, "status");
    EXPECT_EQ(status.exitCode, 0) << status.output;
    EXPECT_NE(status.output.find("zero-config: on"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("scenario-errors: 1\n  line 3: channel must be 1..14: skipped"), std::string::npos)
        << status.output;
    EXPECT_NE(status.output.find("ssid=Beside"), std::string::npos) << status.output;
  }
  // A scenario file that cannot be read gives the built-in world and says so.
  EnvironmentGuard environment;
  environment.Set("NIVO3_SCENARIO", folder.File("missing.ini"));
  LoadedCard card(folder.File("NIVO3.DLL"));
  ASSERT_TRUE(card.loaded());
  card.Init();
  CtlRun status = Ctl(folder, "status");
  EXPECT_NE(status.output.find("cannot open scenario file"), std::string::npos) << status.output;
  EXPECT_NE(status.output.find("networks: 4"), std::string::npos) << status.output;
}

TEST(VirtualCardDll, ControlToolWithoutARunningCardSaysSo) {
  ScratchFolder folder;
  CtlRun run = Ctl(folder, "status");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("no virtual card is running in process"), std::string::npos) << run.output;
  CtlRun usage = Ctl(folder, "", false);
  EXPECT_EQ(usage.exitCode, 1);
  EXPECT_NE(usage.output.find("usage: virtualcard-ctl"), std::string::npos) << usage.output;
}

// Run as a child process by the next test: loads the card, starts it and ends the program
// without NIVO_Terminate, as a program that is killed or forgets to would.
TEST(VirtualCardDllChild, EndsWithoutTerminate) {
  if (GetEnvironmentVariableA("VIRTUALCARD_EXIT_CHILD", nullptr, 0) == 0) GTEST_SKIP() << "run by ProcessEndsWhileTheCardRuns";
  HMODULE module = LoadLibraryA((ProgramFolder() + "\\NIVO3.DLL").c_str());
  ASSERT_NE(module, nullptr);
  auto init = reinterpret_cast<NIVO_Init_t>(reinterpret_cast<void*>(GetProcAddress(module, "NIVO_Init")));
  ASSERT_NE(init, nullptr);
  init("Halden", 0);
}

TEST(VirtualCardDll, ProcessEndsWhileTheCardRuns) {
  EnvironmentGuard environment;
  environment.Set("VIRTUALCARD_EXIT_CHILD", "1");
  ScratchFolder folder;
  CtlRun child = RunCaptured(folder, BinProgram("wine_tests.exe") + "--gtest_filter=VirtualCardDllChild.*");
  EXPECT_EQ(child.exitCode, 0) << "the control thread neither keeps the process alive nor blocks its end\n"
                               << child.output;
  EXPECT_NE(child.output.find("[       OK ] VirtualCardDllChild.EndsWithoutTerminate"), std::string::npos)
      << child.output;
}

}  // namespace
