#include "support/desktop_probe.h"

#include <commctrl.h>

#include <cstdlib>
#include <sstream>

#include "menu_probe/menu_probe_protocol.h"
#include "support/wine_process.h"

namespace winetest {

namespace {

// The screen colours of the two tray pictures (res/icons, drawn by scripts/make-icons).
constexpr COLORREF kLinkUpScreen = RGB(0x20, 0xC0, 0x40);
constexpr COLORREF kNoLinkScreen = RGB(0xD0, 0x20, 0x20);
// Per channel; the application icon's red (0xE02020) stays outside it.
constexpr int kColourTolerance = 8;
// The 16-pixel tray picture shows some fifty screen pixels; a few stray ones are noise.
constexpr int kPictureMinPixels = 12;
constexpr int kNoisePixels = 3;
// Width of the task bar's right end that holds the notification area's icons.
constexpr LONG kNotificationAreaWidth = 160;
constexpr DWORD kPollMs = 50;

bool Near(BYTE r, BYTE g, BYTE b, COLORREF colour) {
  return std::abs(r - GetRValue(colour)) <= kColourTolerance && std::abs(g - GetGValue(colour)) <= kColourTolerance &&
         std::abs(b - GetBValue(colour)) <= kColourTolerance;
}

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

struct WindowQuery {
  DWORD pid;
  const char* className;
  const char* title;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* query = reinterpret_cast<WindowQuery*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (query->pid != 0 && owner != query->pid) return TRUE;
  if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (query->className != nullptr && ClassOf(window) != query->className) return TRUE;
  if (query->title != nullptr && WindowText(window) != query->title) return TRUE;
  query->found.push_back(window);
  return TRUE;
}

// Memory in another process, freed on destruction.
class ForeignBuffer {
 public:
  ForeignBuffer(HWND window, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~ForeignBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  ForeignBuffer(const ForeignBuffer&) = delete;
  ForeignBuffer& operator=(const ForeignBuffer&) = delete;
  bool ok() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    SIZE_T written = 0;
    return WriteProcessMemory(process_, at(offset), data, size, &written) && written == size;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    SIZE_T read = 0;
    return ReadProcessMemory(process_, at(offset), data, size, &read) && read == size;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

}  // namespace

const char* TrayPictureName(TrayPicture picture) {
  switch (picture) {
    case TrayPicture::kNoTaskBar: return "no task bar";
    case TrayPicture::kAbsent: return "absent";
    case TrayPicture::kLinkUp: return "green (186, link up)";
    case TrayPicture::kNoLink: return "red (187, no link)";
    case TrayPicture::kUnclear: return "unclear";
  }
  return "?";
}

bool NotificationArea(RECT& area) {
  HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr || !IsWindowVisible(taskBar) || !GetWindowRect(taskBar, &area)) return false;
  if (area.right - area.left > kNotificationAreaWidth) area.left = area.right - kNotificationAreaWidth;
  return area.right > area.left && area.bottom > area.top;
}

TrayPicture ReadTrayPicture() {
  RECT area;
  if (!NotificationArea(area)) return TrayPicture::kNoTaskBar;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;

  // A top-down 32-bit copy of the screen's pixels there.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  int linkUp = 0, noLink = 0;
  bool copied = false;
  if (bitmap != nullptr && bits != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    const auto* pixel = static_cast<const BYTE*>(bits);  // blue, green, red, unused
    for (int i = 0; copied && i < width * height; ++i, pixel += 4) {
      if (Near(pixel[2], pixel[1], pixel[0], kLinkUpScreen)) ++linkUp;
      if (Near(pixel[2], pixel[1], pixel[0], kNoLinkScreen)) ++noLink;
    }
    SelectObject(memory, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) return TrayPicture::kUnclear;
  if (linkUp >= kPictureMinPixels && noLink <= kNoisePixels) return TrayPicture::kLinkUp;
  if (noLink >= kPictureMinPixels && linkUp <= kNoisePixels) return TrayPicture::kNoLink;
  if (linkUp <= kNoisePixels && noLink <= kNoisePixels) return TrayPicture::kAbsent;
  return TrayPicture::kUnclear;
}

bool WaitForTrayPicture(TrayPicture wanted, DWORD ms) {
  const DWORD start = GetTickCount();
  while (ReadTrayPicture() != wanted) {
    if (GetTickCount() - start > ms) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::vector<HWND> ProcessWindows(DWORD pid, const char* className, const char* title, bool visibleOnly) {
  WindowQuery query{pid, className, title, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForProcessWindow(DWORD pid, const char* className, const char* title, bool visibleOnly, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> found = ProcessWindows(pid, className, title, visibleOnly);
    if (!found.empty()) return found.front();
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(kPollMs);
  }
}

std::vector<std::string> ForeignTabTitles(HWND sheet) {
  std::vector<std::string> titles;
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  if (tabs == nullptr) return titles;
  const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  constexpr int kTextSize = 260;
  ForeignBuffer buffer(tabs, sizeof(TCITEMA) + kTextSize);
  if (!buffer.ok()) return titles;
  for (int i = 0; i < count; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buffer.at(sizeof(TCITEMA));
    item.cchTextMax = kTextSize;
    char text[kTextSize] = {};
    if (!buffer.Write(0, &item, sizeof(item)) || !buffer.Write(sizeof(TCITEMA), text, sizeof(text))) break;
    if (!SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(buffer.at(0)))) break;
    if (!buffer.Read(sizeof(TCITEMA), text, sizeof(text))) break;
    text[kTextSize - 1] = '\0';
    titles.push_back(text);
  }
  return titles;
}

std::vector<std::vector<std::string>> ForeignListRows(HWND list) {
  std::vector<std::vector<std::string>> rows;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int columns = header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr int kTextSize = 260;
  ForeignBuffer buffer(list, sizeof(LVITEMA) + kTextSize);
  if (!buffer.ok()) return rows;
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (int column = 0; column < columns; ++column) {
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = buffer.at(sizeof(LVITEMA));
      item.cchTextMax = kTextSize;
      char text[kTextSize] = {};
      if (!buffer.Write(0, &item, sizeof(item)) || !buffer.Write(sizeof(LVITEMA), text, sizeof(text))) return rows;
      SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(buffer.at(0)));
      if (!buffer.Read(sizeof(LVITEMA), text, sizeof(text))) return rows;
      text[kTextSize - 1] = '\0';
      cells.push_back(text);
    }
    rows.push_back(cells);
  }
  return rows;
}

std::vector<int> ForeignListColumnWidths(HWND list) {
  std::vector<int> widths;
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  const int columns = header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int column = 0; column < columns; ++column) {
    widths.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)));
  }
  return widths;
}

namespace {
// The client point of a row's label in a list view of another process.
bool ForeignRowPoint(HWND list, int row, LPARAM& at) {
  ForeignBuffer buffer(list, sizeof(RECT));
  if (!buffer.ok()) return false;
  RECT rect = {};
  rect.left = LVIR_LABEL;
  if (!buffer.Write(0, &rect, sizeof(rect))) return false;
  if (!SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer.at(0)))) return false;
  if (!buffer.Read(0, &rect, sizeof(rect))) return false;
  at = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
  return true;
}
}  // namespace

bool ClickForeignListRow(HWND list, int row) {
  LPARAM at = 0;
  if (!ForeignRowPoint(list, row, at)) return false;
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  return true;
}

bool ClickForeignTab(HWND sheet, int index) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  if (tabs == nullptr) return false;
  ForeignBuffer buffer(tabs, sizeof(RECT));
  RECT rect = {};
  if (!buffer.ok() || !SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(buffer.at(0))) ||
      !buffer.Read(0, &rect, sizeof(rect)))
    return false;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  return true;
}

bool DoubleClickForeignListRow(HWND list, int row) {
  LPARAM at = 0;
  if (!ForeignRowPoint(list, row, at)) return false;
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  return true;
}

std::vector<std::string> ForeignComboItems(HWND box) {
  std::vector<std::string> names;
  const LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Read as wide text: Wine carries an ANSI item read across processes only to its
    // first character.
    wchar_t text[300] = {};
    if (SendMessageW(box, CB_GETLBTEXTLEN, i, 0) < 300) SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    std::string name;
    for (const wchar_t* c = text; *c != 0; ++c) name += static_cast<char>(*c);
    names.push_back(name);
  }
  return names;
}

std::string ForeignText(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  text[sizeof(text) - 1] = '\0';
  return text;
}

HWND VisiblePopupMenu(DWORD pid) {
  std::vector<HWND> menus = ProcessWindows(pid, "#32768", nullptr, true);
  return menus.empty() ? nullptr : menus.front();
}

namespace {

struct MenuReply {
  bool received = false;
  std::string text;
};

LRESULT CALLBACK MenuReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    auto* reply = reinterpret_cast<MenuReply*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (reply != nullptr && data != nullptr && data->dwData == kMenuProbeReplyTag) {
      reply->text.assign(static_cast<const char*>(data->lpData), data->lpData != nullptr ? data->cbData : 0);
      reply->received = true;
      return TRUE;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A menu handle reads only in the process that made the menu: the hook DLL does the reading
// there, on the menu window's thread, and sends the items back to a window of this thread.
std::optional<std::vector<MenuEntry>> ReadForeignMenu(HWND menuWindow) {
  static HMODULE hookDll = LoadLibraryA((ProgramFolder() + "\\" + kMenuProbeHookDll).c_str());
  if (hookDll == nullptr) return std::nullopt;
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookDll, kMenuProbeHookProc)));
  if (proc == nullptr) return std::nullopt;
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MenuReplyProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TallwynMenuProbeReply";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return std::nullopt;
  HWND replyWindow = CreateWindowExA(0, "TallwynMenuProbeReply", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
  if (replyWindow == nullptr) return std::nullopt;
  MenuReply reply;
  SetWindowLongPtrA(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, hookDll, GetWindowThreadProcessId(menuWindow, nullptr));
  if (hook != nullptr) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(menuWindow, RegisterWindowMessageA(kMenuProbeMessage), reinterpret_cast<WPARAM>(replyWindow),
                        0, SMTO_NORMAL, 5000, &ignored);
    UnhookWindowsHookEx(hook);
  }
  DestroyWindow(replyWindow);
  if (!reply.received || reply.text.empty()) return std::nullopt;

  std::vector<MenuEntry> entries;
  std::istringstream lines(reply.text);
  for (std::string line; std::getline(lines, line);) {
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) return std::nullopt;
    MenuEntry entry;
    const UINT state = static_cast<UINT>(std::stoul(line.substr(tab1 + 1, tab2 - tab1 - 1)));
    entry.separator = (state & MF_SEPARATOR) != 0;
    if (!entry.separator) {
      entry.id = static_cast<UINT>(std::stoul(line.substr(0, tab1)));
      entry.text = line.substr(tab2 + 1);
    }
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace

std::optional<std::vector<MenuEntry>> WaitForPopupMenu(DWORD pid, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = VisiblePopupMenu(pid);
    if (window != nullptr) {
      std::optional<std::vector<MenuEntry>> entries = ReadForeignMenu(window);
      if (entries) return entries;
    }
    if (GetTickCount() - start > ms) return std::nullopt;
    Sleep(kPollMs);
  }
}

bool DismissPopupMenu(DWORD pid, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = VisiblePopupMenu(pid);
    if (window == nullptr) return true;
    // The menu's own loop reads the key from its thread's queue.
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    const DWORD posted = GetTickCount();
    while (VisiblePopupMenu(pid) != nullptr && GetTickCount() - posted < 1000) Sleep(kPollMs);
    if (GetTickCount() - start > ms) return VisiblePopupMenu(pid) == nullptr;
  }
}

}  // namespace winetest
