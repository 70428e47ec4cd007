#include "framework/win32/win32_controls.h"

#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace fw {

namespace {

// A page's controls are looked up by id on every refresh. Under Wine each GetDlgItem asks
// the server for the dialog's children; the window a lookup found is kept per thread and
// checked without the server (its parent and id are read from the window itself) before it
// is used again, so a destroyed or replaced control is looked up afresh.
constexpr std::size_t kRememberedControls = 512;

HWND Item(Handle dialog, int id) {
  if (dialog == nullptr) return nullptr;
  const HWND parent = static_cast<HWND>(dialog);
  thread_local std::map<std::pair<HWND, int>, HWND> found;
  auto known = found.find({parent, id});
  if (known != found.end()) {
    const HWND h = known->second;
    if (IsWindow(h) && GetParent(h) == parent && GetDlgCtrlID(h) == id) return h;
    found.erase(known);
  }
  const HWND h = GetDlgItem(parent, id);
  // Windows closed long ago leave entries behind: the table starts afresh before it grows
  // past a few windows' worth of controls.
  if (found.size() >= kRememberedControls) found.clear();
  if (h != nullptr) found[{parent, id}] = h;
  return h;
}

std::string ClassOf(HWND h) {
  char name[64] = {};
  const int n = h != nullptr ? GetClassNameA(h, name, sizeof(name)) : 0;
  return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool SameClass(HWND h, const char* name) { return h != nullptr && lstrcmpiA(ClassOf(h).c_str(), name) == 0; }

LONG_PTR StyleOf(HWND h) { return GetWindowLongPtrA(h, GWL_STYLE); }

// The edit part of a drop-down combo box, or null.
HWND ComboEdit(HWND combo) {
  if (combo == nullptr || (StyleOf(combo) & 0x3) == CBS_DROPDOWNLIST) return nullptr;
  return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

bool Usable(HWND h) { return h != nullptr && IsWindowEnabled(h) && (StyleOf(h) & WS_VISIBLE) != 0; }

// Makes `text` the clipboard's text; false when the clipboard could not be had.
bool PutOnClipboard(HWND owner, const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block == nullptr) return false;
  if (auto* chars = static_cast<char*>(GlobalLock(block))) {
    std::memcpy(chars, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
  }
  if (!OpenClipboard(owner)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(block);
  return placed;
}

std::string WindowText(HWND h) {
  const LRESULT length = SendMessageA(h, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT n = SendMessageA(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

// A control about to be disabled while it holds the focus (a button that disables itself
// when pressed) hands the focus to the next enabled control in the window's tab order, as Tab
// would, so that the keyboard never sits on a disabled control. (The system would leave the
// focus nowhere.)
void HandOnFocus(HWND control) {
  const HWND focus = GetFocus();
  if (focus == nullptr || (focus != control && IsChild(control, focus) == FALSE)) return;
  const HWND root = GetAncestor(control, GA_ROOT);
  const HWND next = root != nullptr ? GetNextDlgTabItem(root, control, FALSE) : nullptr;
  if (next == nullptr || next == control || IsChild(control, next) != FALSE) return;
  // Through the dialog that holds it, which also moves the default button's frame.
  SendMessageA(GetParent(next), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
}

// What a list view tells its page of a click on `row` (-1: on no row).
void NotifyListClick(Handle dialog, int id, HWND list, UINT code, int row) {
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = static_cast<UINT_PTR>(id);
  click.hdr.code = code;
  click.iItem = row;
  SendMessageA(static_cast<HWND>(dialog), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&click));
}

}  // namespace

bool Win32Controls::Exists(Handle dialog, int id) { return Item(dialog, id) != nullptr; }

std::string Win32Controls::ClassName(Handle dialog, int id) { return ClassOf(Item(dialog, id)); }

std::uint32_t Win32Controls::Style(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  return h != nullptr ? static_cast<std::uint32_t>(StyleOf(h)) : 0;
}

std::string Win32Controls::GetText(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  return h != nullptr ? WindowText(h) : std::string();
}

void Win32Controls::SetText(Handle dialog, int id, const std::string& text) {
  if (HWND h = Item(dialog, id)) SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32Controls::Enable(Handle dialog, int id, bool enable) {
  HWND h = Item(dialog, id);
  if (h == nullptr) return;
  if (!enable) HandOnFocus(h);
  EnableWindow(h, enable ? TRUE : FALSE);
}

bool Win32Controls::IsEnabled(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  return h != nullptr && IsWindowEnabled(h) != FALSE;
}

void Win32Controls::Show(Handle dialog, int id, bool show) {
  if (HWND h = Item(dialog, id)) ShowWindow(h, show ? SW_SHOW : SW_HIDE);
}

bool Win32Controls::IsVisible(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  return h != nullptr && (StyleOf(h) & WS_VISIBLE) != 0;
}

void Win32Controls::SetFocus(Handle dialog, int id) {
  if (HWND h = Item(dialog, id)) ::SetFocus(h);
}

int Win32Controls::FocusedId(Handle dialog) {
  HWND focus = GetFocus();
  HWND page = static_cast<HWND>(dialog);
  while (focus != nullptr && GetParent(focus) != page) focus = GetParent(focus);
  return focus != nullptr ? GetDlgCtrlID(focus) : 0;
}

FocusToken Win32Controls::FocusedWindow(Handle) {
  HWND focus = GetFocus();
  return focus != nullptr ? FocusToken(focus, 0) : FocusToken();
}

void Win32Controls::RestoreFocus(const FocusToken& token) {
  const HWND h = static_cast<HWND>(token.window_);
  if (h != nullptr && IsWindow(h)) ::SetFocus(h);
}

void Win32Controls::RepaintNow(Handle dialog, int id) {
  if (HWND h = Item(dialog, id)) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LResult Win32Controls::Send(Handle dialog, int id, std::uint32_t message, WParam wParam, LParam lParam) {
  HWND h = Item(dialog, id);
  return h != nullptr ? SendMessageA(h, message, wParam, lParam) : 0;
}

LResult Win32Controls::SendWithText(Handle dialog, int id, std::uint32_t message, WParam wParam,
                                    const std::string& text) {
  HWND h = Item(dialog, id);
  return h != nullptr ? SendMessageA(h, message, wParam, reinterpret_cast<LPARAM>(text.c_str())) : 0;
}

std::string Win32Controls::ItemText(Handle dialog, int id, int index) {
  HWND h = Item(dialog, id);
  if (h == nullptr || index < 0) return std::string();
  const bool combo = SameClass(h, "ComboBox");
  if (!combo && !SameClass(h, "ListBox")) return std::string();
  const LRESULT length = SendMessageA(h, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0);
  if (length < 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT n = SendMessageA(h, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

int Win32Controls::InsertColumn(Handle dialog, int id, int index, const std::string& text, int width, int format) {
  HWND h = Item(dialog, id);
  if (h == nullptr || index < 0) return -1;
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<char*>(text.c_str());
  column.iSubItem = index;
  return static_cast<int>(SendMessageA(h, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
}

int Win32Controls::ColumnCount(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  if (h == nullptr || !SameClass(h, "SysListView32")) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int Win32Controls::InsertRow(Handle dialog, int id, int index, const std::string& text) {
  HWND h = Item(dialog, id);
  if (h == nullptr || index < 0) return -1;
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text.c_str());
  return static_cast<int>(SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool Win32Controls::SetCellText(Handle dialog, int id, int row, int column, const std::string& text) {
  HWND h = Item(dialog, id);
  if (h == nullptr || row < 0 || column < 0) return false;
  if (row >= SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) return false;
  if (column > 0 && column >= ColumnCount(dialog, id)) return false;
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  return SendMessageA(h, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

std::string Win32Controls::CellText(Handle dialog, int id, int row, int column) {
  HWND h = Item(dialog, id);
  if (h == nullptr || row < 0 || column < 0 || row >= SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) return std::string();
  char buffer[1024] = {};
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = sizeof(buffer);
  const LRESULT n = SendMessageA(h, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool Win32Controls::SetRowSelected(Handle dialog, int id, int row, bool selected) {
  HWND h = Item(dialog, id);
  if (h == nullptr || row < 0 || row >= SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) return false;
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  return SendMessageA(h, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

// ------------------------------------------------------------------ the user

bool Win32Controls::UserClick(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  if (!Usable(h) || !SameClass(h, "Button") || (StyleOf(h) & 0xF) == BS_GROUPBOX) return false;
  SendMessageA(h, BM_CLICK, 0, 0);
  return true;
}

bool Win32Controls::UserType(Handle dialog, int id, char ch) {
  HWND h = Item(dialog, id);
  if (!Usable(h)) return false;
  HWND target = SameClass(h, "Edit") ? h : ComboEdit(SameClass(h, "ComboBox") ? h : nullptr);
  if (target == nullptr) return false;
  SendMessageA(target, WM_CHAR, static_cast<unsigned char>(ch), 1);
  return true;
}

bool Win32Controls::UserPaste(Handle dialog, int id, const std::string& text) {
  HWND h = Item(dialog, id);
  if (!Usable(h)) return false;
  HWND target = SameClass(h, "Edit") ? h : ComboEdit(SameClass(h, "ComboBox") ? h : nullptr);
  if (target == nullptr) return false;
  // As the edit menu's Paste: the text on the clipboard, then WM_PASTE to the edit, which
  // puts the first line in place of the selection, within the limit.
  if (!PutOnClipboard(target, text)) return false;
  SendMessageA(target, WM_PASTE, 0, 0);
  return true;
}

bool Win32Controls::UserChoose(Handle dialog, int id, int index) {
  HWND h = Item(dialog, id);
  if (!Usable(h) || index < 0) return false;
  const WPARAM command = static_cast<WPARAM>(id & 0xFFFF);
  if (SameClass(h, "ComboBox")) {
    if (index >= SendMessageA(h, CB_GETCOUNT, 0, 0)) return false;
    SendMessageA(h, CB_SETCURSEL, index, 0);
    SendMessageA(static_cast<HWND>(dialog), WM_COMMAND, MAKEWPARAM(command, CBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
    return true;
  }
  if (SameClass(h, "ListBox")) {
    if (index >= SendMessageA(h, LB_GETCOUNT, 0, 0)) return false;
    SendMessageA(h, LB_SETCURSEL, index, 0);
    if ((StyleOf(h) & LBS_NOTIFY) != 0)
      SendMessageA(static_cast<HWND>(dialog), WM_COMMAND, MAKEWPARAM(command, LBN_SELCHANGE), reinterpret_cast<LPARAM>(h));
    return true;
  }
  return false;
}

bool Win32Controls::UserClickRow(Handle dialog, int id, int row) {
  HWND h = Item(dialog, id);
  if (!Usable(h) || !SameClass(h, "SysListView32")) return false;
  const int count = static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0));
  if (row >= count) row = -1;
  // As the list view does for a click: the others lose the selection, the row gets it,
  // then the page hears NM_CLICK.
  for (int i = 0; i < count; ++i) {
    if (i == row) continue;
    if ((SendMessageA(h, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0) SetRowSelected(dialog, id, i, false);
  }
  if (row >= 0) SetRowSelected(dialog, id, row, true);
  NotifyListClick(dialog, id, h, NM_CLICK, row);
  return true;
}

bool Win32Controls::UserDoubleClickRow(Handle dialog, int id, int row) {
  if (!UserClickRow(dialog, id, row)) return false;
  HWND h = Item(dialog, id);
  if (h == nullptr) return true;
  if (row >= SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) row = -1;
  NotifyListClick(dialog, id, h, NM_DBLCLK, row);
  return true;
}

void Win32Controls::UserMouseMove(Handle dialog, int x, int y, bool ctrl, bool shift) {
  const WPARAM keys = (ctrl ? MK_CONTROL : 0) | (shift ? MK_SHIFT : 0);
  SendMessageA(static_cast<HWND>(dialog), WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

void Win32Controls::UserContextHelp(Handle dialog, std::uint32_t helpContext) {
  HELPINFO info = {};
  info.cbSize = sizeof(info);
  info.iContextType = HELPINFO_WINDOW;
  info.hItemHandle = static_cast<HWND>(dialog);
  info.dwContextId = helpContext;
  SendMessageA(static_cast<HWND>(dialog), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

ColourAnswer Win32Controls::AskColour(Handle dialog, int id) {
  HWND h = Item(dialog, id);
  if (h == nullptr) return ColourAnswer{};
  UINT message = WM_CTLCOLORSTATIC;
  HWND sender = h;
  const bool enabled = IsWindowEnabled(h) != FALSE;
  if (SameClass(h, "Edit")) {
    message = enabled && (StyleOf(h) & ES_READONLY) == 0 ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
  } else if (SameClass(h, "ComboBox")) {
    if (!enabled) {
      message = WM_CTLCOLORSTATIC;
    } else if (HWND edit = ComboEdit(h)) {
      message = WM_CTLCOLOREDIT;
      sender = edit;
    } else {
      message = WM_CTLCOLORLISTBOX;
    }
  } else if (SameClass(h, "ListBox")) {
    message = WM_CTLCOLORLISTBOX;
  } else if (SameClass(h, "Button")) {
    const LONG_PTR type = StyleOf(h) & 0xF;
    message = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
  } else if (!SameClass(h, "Static")) {
    return ColourAnswer{};  // list views and progress bars paint without asking
  }
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return ColourAnswer{};
  win32page::ResetLastColourAnswer();
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(static_cast<HWND>(dialog), message,
                                                           reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(sender)));
  ColourAnswer answer;
  if (win32page::LastColourAnswer().answered) {
    // What the device context and the brush really got.
    answer.answered = true;
    answer.textColor = GetTextColor(dc);
    answer.transparent = GetBkMode(dc) == TRANSPARENT;
    LOGBRUSH logBrush = {};
    if (brush != nullptr && GetObjectA(brush, sizeof(logBrush), &logBrush) == sizeof(logBrush))
      answer.brushColor = logBrush.lbColor;
  }
  DeleteDC(dc);
  return answer;
}

bool Win32Controls::FireTimer(Handle window, std::uintptr_t timerId) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (timers_.count({window, timerId}) == 0) return false;
  }
  SendMessageA(static_cast<HWND>(window), WM_TIMER, timerId, 0);
  return true;
}

void Win32Controls::TimerSet(Handle window, std::uintptr_t id) {
  std::lock_guard<std::mutex> guard(lock_);
  timers_[{window, id}] = true;
}

void Win32Controls::TimerKilled(Handle window, std::uintptr_t id) {
  std::lock_guard<std::mutex> guard(lock_);
  timers_.erase({window, id});
}

}  // namespace fw
