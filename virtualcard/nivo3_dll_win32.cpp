// NIVO3.DLL, the virtual card: the library's operations exported undecorated (nivo3.def),
// each a thin wrapper over the process-wide card model. The Windows side adds what the model
// leaves open: the scenario file, the call log file, profiles in the registry, and the control
// window that virtualcard-ctl talks to.
//
// Lifecycle: DllMain only records the module and prepares a lock. The card is configured at
// NIVO_Init (or at the first call, when a caller skips it): scenario from NIVO3_SCENARIO, else
// NIVO3.ini beside the DLL, else the built-in world; call log to the file NIVO3_CALL_LOG names.
// NIVO_Init also starts the control thread; NIVO_Terminate stops it and closes the call log. The control thread holds
// a reference on the DLL and leaves through FreeLibraryAndExitThread, so an unload can never
// pull the code from under it, and it does not keep the process alive: the process ends
// whenever the program ends, whatever the thread is doing.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "driver/nivo_api.h"
#include "framework/win32/windows_h.h"
#include "virtualcard/control_channel.h"
#include "virtualcard/model/control_commands.h"
#include "virtualcard/model/virtual_card_functions.h"
#include "virtualcard/registry_store.h"

namespace {

HMODULE g_module = nullptr;
CRITICAL_SECTION g_lock;  // configuration and the control thread's start and stop
bool g_configured = false;
HANDLE g_logFile = INVALID_HANDLE_VALUE;
std::string g_logPath;
HANDLE g_controlThread = nullptr;
DWORD g_controlThreadId = 0;
HWND g_controlWindow = nullptr;
constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kMaxScenarioBytes = 1 << 20;

class Locked {
 public:
  Locked() { EnterCriticalSection(&g_lock); }
  ~Locked() { LeaveCriticalSection(&g_lock); }
};

std::string Environment(const char* name) {
  char value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return "";
  return std::string(value, n);
}

std::string ModuleFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(g_module, path, sizeof path);
  if (n == 0 || n >= sizeof path) return "";
  std::string text(path, n);
  std::size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? "" : text.substr(0, slash + 1);
}

// Reads a whole file of at most kMaxScenarioBytes; false when it cannot.
bool ReadFileText(const std::string& path, std::string& text, std::string& error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot open scenario file " + path + ": built-in world used";
    return false;
  }
  DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE && size <= kMaxScenarioBytes;
  if (ok) {
    text.assign(size, '\0');
    DWORD read = 0;
    ok = size == 0 || (ReadFile(file, text.data(), size, &read, nullptr) && read == size);
  }
  CloseHandle(file);
  if (!ok) error = "cannot read scenario file " + path + " (or larger than 1 MiB): built-in world used";
  return ok;
}

void WriteLogLine(const std::string& line) {
  if (g_logFile == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  // Appends go straight to the system (no buffer of ours), so each line is out when written.
  WriteFile(g_logFile, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void OpenCallLog() {
  std::string path = Environment("NIVO3_CALL_LOG");
  if (path == g_logPath && (path.empty() || g_logFile != INVALID_HANDLE_VALUE)) return;
  if (g_logFile != INVALID_HANDLE_VALUE) CloseHandle(g_logFile);
  g_logFile = INVALID_HANDLE_VALUE;
  g_logPath = path;
  if (!path.empty())
    g_logFile = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The log ends with NIVO_Terminate: the card stops writing (its lock is taken, so no line is
// under way once this returns) and the file is closed, so that the program that asked for it
// can read, move or remove it. NIVO_Init opens it again. Called with g_lock held.
void CloseCallLog() {
  VirtualCardInstance().SetCallLog(nullptr);
  if (g_logFile != INVALID_HANDLE_VALUE) CloseHandle(g_logFile);
  g_logFile = INVALID_HANDLE_VALUE;
  g_logPath.clear();
}

// Puts the card into its start state for this process. Called with g_lock held.
void Configure() {
  vcard::VirtualCard& card = VirtualCardInstance();
  OpenCallLog();
  card.SetCallLog(WriteLogLine);
  card.SetThreadId([] { return static_cast<std::uint32_t>(GetCurrentThreadId()); });
  card.SetProfileStore(std::make_unique<vcard::RegistryProfileStore>());

  std::string path = Environment("NIVO3_SCENARIO");
  if (path.empty()) {
    std::string beside = ModuleFolder() + "NIVO3.ini";
    if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) path = beside;
  }
  if (path.empty()) {
    card.Reset(vcard::BuiltInWorld());
  } else {
    std::string text, error;
    if (ReadFileText(path, text, error)) {
      vcard::ScenarioResult scenario = vcard::ParseScenario(text);
      card.Reset(scenario.world, std::move(scenario.errors));
    } else {
      card.Reset(vcard::BuiltInWorld(), {error});
    }
  }
  g_configured = true;
}

// ---------------------------------------------------------------- control window

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!request || request->dwData != vcardctl::kRequestTag || request->cbData > vcardctl::kMaxRequestBytes ||
          (request->cbData > 0 && !request->lpData))
        return FALSE;
      const std::vector<std::string> words = vcard::ControlRequestWords(
          std::string_view(static_cast<const char*>(request->lpData), request->cbData));
      vcard::ControlResult result = VirtualCardInstance().Control(words);

      HWND replyTo = reinterpret_cast<HWND>(wParam);
      if (replyTo && IsWindow(replyTo)) {
        std::string answer(4, '\0');
        std::uint32_t status = static_cast<std::uint32_t>(result.status);
        std::memcpy(answer.data(), &status, 4);
        answer += result.text;
        COPYDATASTRUCT reply{vcardctl::kAnswerTag, static_cast<DWORD>(answer.size()), answer.data()};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&reply),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
      }
      // As the system does when a device node comes or goes.
      if (result.deviceChanged) PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

struct ThreadStart {
  HANDLE ready;
  HMODULE reference;
};

DWORD WINAPI ControlThread(LPVOID parameter) {
  ThreadStart* start = static_cast<ThreadStart*>(parameter);
  HMODULE reference = start->reference;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ControlWindowProc;
  windowClass.hInstance = g_module;
  windowClass.lpszClassName = vcardctl::kWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly when still registered from an earlier start
  g_controlWindow = CreateWindowExA(0, vcardctl::kWindowClass, vcardctl::kWindowTitle, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, g_module, nullptr);
  SetEvent(start->ready);  // `start` belongs to the starter from here on
  if (g_controlWindow) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  }
  g_controlWindow = nullptr;
  UnregisterClassA(vcardctl::kWindowClass, g_module);
  FreeLibraryAndExitThread(reference, 0);
  return 0;
}

void StartControlThread() {
  if (g_controlThread) return;
  ThreadStart start{CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
  if (!start.ready) return;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ControlThread),
                          &start.reference)) {
    CloseHandle(start.ready);
    return;
  }
  g_controlThread = CreateThread(nullptr, 0, ControlThread, &start, 0, &g_controlThreadId);
  if (!g_controlThread) {
    FreeLibrary(start.reference);
  } else {
    WaitForSingleObject(start.ready, kStopWaitMs);
  }
  CloseHandle(start.ready);
}

void StopControlThread() {
  if (!g_controlThread) return;
  if (g_controlWindow) PostMessageA(g_controlWindow, WM_CLOSE, 0, 0);
  else PostThreadMessageA(g_controlThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_controlThread, kStopWaitMs);
  CloseHandle(g_controlThread);
  g_controlThread = nullptr;
}

// What the DLL does around the card's answer to an operation. Every start of the library
// begins with a fresh world and starts the control thread; NIVO_Terminate stops the thread
// and closes the call log; any other call configures the card first when nothing has.
void BeforeOperation(std::string_view name) {
  Locked hold;
  if (name == "NIVO_Init" || !g_configured) Configure();
}

void AfterOperation(std::string_view name) {
  if (name == "NIVO_Init") {
    Locked hold;
    StartControlThread();
  } else if (name == "NIVO_Terminate") {
    Locked hold;
    StopControlThread();
    CloseCallLog();
  }
}

}  // namespace

// ---------------------------------------------------------------- exports

// One export per operation, named as in NIVO_OPERATIONS (nivo3.def keeps them undecorated).
extern "C" {
#define NIVO3_EXPORT(name, refused, params, args)          \
  std::int32_t NIVO_CALL name params {                     \
    BeforeOperation(#name);                                \
    std::int32_t result = VirtualCardInstance().name args; \
    AfterOperation(#name);                                 \
    return result;                                         \
  }
NIVO_OPERATIONS(NIVO3_EXPORT)
#undef NIVO3_EXPORT
}  // extern "C"

// Every export has exactly the signature the program resolves it with.
#define NIVO_CHECK_SIGNATURE(name, ...) static_assert(std::is_same_v<decltype(&::name), name##_t>, #name);
NIVO_OPERATIONS(NIVO_CHECK_SIGNATURE)
#undef NIVO_CHECK_SIGNATURE

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
    InitializeCriticalSection(&g_lock);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Unloaded by FreeLibrary (reserved is null): the control thread cannot be running, since
    // it holds a reference. At process end the other threads are gone already; touch nothing.
    if (reserved == nullptr) {
      if (g_logFile != INVALID_HANDLE_VALUE) CloseHandle(g_logFile);
      g_logFile = INVALID_HANDLE_VALUE;
      DeleteCriticalSection(&g_lock);
    }
  }
  return TRUE;
}
