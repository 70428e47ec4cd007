// Brisken Debug View: a dialog window (class "#32770") that lists the trace lines the
// utility sends it as WM_COPYDATA and, with "--log FILE", appends each line to FILE.
// Usage: brisken-view.exe [--log FILE]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kDialogId = 100;
constexpr int kLinesId = 1000;
FILE* gLogFile = nullptr;

// One received record as a log line: its bytes up to the first zero, and the byte count
// the sender declared, so a reader can check that the zero was counted.
void AppendToLog(const COPYDATASTRUCT& record) {
  if (gLogFile == nullptr) return;
  const char* text = static_cast<const char*>(record.lpData);
  std::size_t length = 0;
  while (length < record.cbData && text[length] != '\0') ++length;
  std::fprintf(gLogFile, "cbData=%lu dwData=%lu text=%.*s\n",
               static_cast<unsigned long>(record.cbData),
               static_cast<unsigned long>(record.dwData), static_cast<int>(length), text);
  std::fflush(gLogFile);
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COPYDATA: {
      const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (record != nullptr && record->lpData != nullptr && record->cbData > 0) {
        std::string line(static_cast<const char*>(record->lpData), record->cbData);
        line = line.c_str();  // up to the terminating zero
        SendDlgItemMessageA(dialog, kLinesId, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(line.c_str()));
        AppendToLog(*record);
      }
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_SIZE: {
      RECT r;
      GetClientRect(dialog, &r);
      MoveWindow(GetDlgItem(dialog, kLinesId), 4, 4, r.right - 8, r.bottom - 8, TRUE);
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const char* option = std::strstr(commandLine, "--log ");
  if (option != nullptr) {
    std::string path = option + 6;
    while (!path.empty() && (path.back() == ' ' || path.back() == '"')) path.pop_back();
    if (!path.empty() && path.front() == '"') path.erase(0, 1);
    gLogFile = std::fopen(path.c_str(), "ab");
  }
  HWND dialog = CreateDialogA(instance, MAKEINTRESOURCEA(kDialogId), nullptr, ViewerProc);
  if (dialog == nullptr) return 1;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &m)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  if (gLogFile != nullptr) std::fclose(gLogFile);
  return 0;
}
