// virtualcard-ctl: changes the world of a virtual card running inside a program (the card
// lives in NIVO3.DLL, loaded and initialised by that program).
//
//   virtualcard-ctl [--pid <process id>] <command> [arguments...]
//
// Exit status: 0 done; 1 the card refused the command (or no command was given); 2 no card
// is running (or several, and --pid did not choose one); 3 the card did not answer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/win32/windows_h.h"
#include "virtualcard/control_channel.h"
#include "virtualcard/model/control_commands.h"

namespace {

constexpr char kReplyClass[] = "TallwynVirtualCardCtlReply";
constexpr UINT kAnswerTimeoutMs = 10000;

const char kUsageLine[] = "usage: virtualcard-ctl [--pid <process id>] <command> [arguments...]\n";

struct Answer {
  bool received = false;
  std::uint32_t status = 0;
  std::string text;
};
Answer g_answer;

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data && data->dwData == vcardctl::kAnswerTag && data->cbData >= 4 && data->lpData) {
      const char* bytes = static_cast<const char*>(data->lpData);
      std::memcpy(&g_answer.status, bytes, 4);
      g_answer.text.assign(bytes + 4, data->cbData - 4);
      g_answer.received = true;
      return TRUE;
    }
    return FALSE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The control windows of every running card, with the id of the process that holds each.
std::vector<std::pair<HWND, DWORD>> RunningCards() {
  std::vector<std::pair<HWND, DWORD>> cards;
  HWND after = nullptr;
  while ((after = FindWindowExA(HWND_MESSAGE, after, vcardctl::kWindowClass, nullptr)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(after, &pid);
    cards.emplace_back(after, pid);
    if (cards.size() > 256) break;
  }
  return cards;
}

int Fail(int code, const std::string& text) {
  std::fprintf(stderr, "virtualcard-ctl: %s\n", text.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  bool pidGiven = false;
  unsigned long pid = 0;
  if (argc > 2 && std::strcmp(argv[1], "--pid") == 0) {
    char* end = nullptr;
    pid = std::strtoul(argv[2], &end, 10);
    if (!end || *end != '\0' || pid == 0) return Fail(1, std::string("not a process id: ") + argv[2]);
    pidGiven = true;
    first = 3;
  }
  if (first >= argc || std::strcmp(argv[first], "--help") == 0 || std::strcmp(argv[first], "-h") == 0) {
    std::FILE* out = first >= argc ? stderr : stdout;
    std::fputs(kUsageLine, out);
    std::fputs(vcard::kControlCommandList, out);
    return first >= argc ? 1 : 0;
  }

  std::string request;
  for (int i = first; i < argc; ++i) {
    request += argv[i];
    request += '\0';
  }
  if (request.size() > vcardctl::kMaxRequestBytes) return Fail(1, "command too long");

  std::vector<std::pair<HWND, DWORD>> cards = RunningCards();
  HWND target = nullptr;
  if (pidGiven) {
    for (const auto& [window, owner] : cards)
      if (owner == pid) target = window;
    if (!target) return Fail(2, "no virtual card is running in process " + std::to_string(pid));
  } else if (cards.empty()) {
    return Fail(2, "no virtual card is running (no program has NIVO3.DLL loaded and initialised)");
  } else if (cards.size() > 1) {
    std::string pids;
    for (const auto& card : cards) pids += " " + std::to_string(card.second);
    return Fail(2, "several virtual cards are running (processes" + pids + "); choose one with --pid");
  } else {
    target = cards[0].first;
  }

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ReplyWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kReplyClass;
  RegisterClassA(&windowClass);
  HWND self = CreateWindowExA(0, kReplyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!self) return Fail(3, "cannot create a window to receive the answer");

  COPYDATASTRUCT data{vcardctl::kRequestTag, static_cast<DWORD>(request.size()), request.data()};
  DWORD_PTR handled = 0;
  // Not SMTO_BLOCK: while waiting, this thread takes the card's answer (a message sent to it).
  LRESULT sent = SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                                     reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &handled);
  DestroyWindow(self);
  if (!sent) return Fail(3, "the virtual card did not answer");
  if (!handled || !g_answer.received) return Fail(3, "the virtual card did not take the command");

  std::fwrite(g_answer.text.data(), 1, g_answer.text.size(), g_answer.status == 0 ? stdout : stderr);
  std::fflush(stdout);
  return g_answer.status == 0 ? 0 : 1;
}
