#include "framework/win32/common_controls.h"
#include "framework/win32/win32_property_sheet.h"

#include <climits>
#include <cstring>

#include "framework/win32/win32_controls.h"
#include "framework/win32/win32_platform.h"

#include <map>
#include <mutex>

namespace fw {

namespace {

const char kBackendProperty[] = "TallwynSheetBackend";

// The sheet being created on this thread and the creation hook that subclasses its window.
thread_local Win32SheetBackend* tCreating = nullptr;
thread_local HHOOK tCreationHook = nullptr;

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

thread_local ColourAnswer tLastColour;

// A page edit keeps its class's own procedure in its user data (which the Edit class leaves
// to the program). A window property would do too, but under Wine every property read is a
// round trip to the Wine server, and this is read for every message the edit gets.
WNDPROC OriginalEditProc(HWND edit) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA)); }

PropertyPage* PageOf(HWND page) {
  return page != nullptr ? reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(page, DWLP_USER)) : nullptr;
}

// The clipboard's text as a single-line edit pastes it: up to the first line break.
std::string ClipboardLine(HWND edit) {
  std::string text;
  if (!OpenClipboard(edit)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text.substr(0, text.find_first_of("\r\n"));
}

// A page edit's messages: each typed character and each paste first pass the page's filter.
LRESULT CALLBACK FilteredEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = OriginalEditProc(edit);
  if (original == nullptr) return DefWindowProcA(edit, message, wParam, lParam);
  if (message == WM_CHAR) {
    if (PropertyPage* page = PageOf(GetParent(edit))) {
      PageEvent event;
      event.kind = EventKind::kKeyChar;
      event.id = GetDlgCtrlID(edit);
      event.ch = static_cast<char>(wParam);
      if (page->OnEvent(event) && event.verdict == KeyVerdict::kDropWithBeep) {
        Sys().MessageBeep(beep::kExclamation);
        return 0;
      }
    }
  }
  if (message == WM_KEYDOWN && wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0) {
    // Shift+Insert pastes as Ctrl+V does, through WM_PASTE (the edit would paste directly).
    SendMessageA(edit, WM_PASTE, 0, 0);
    return 0;
  }
  if (message == WM_PASTE && (GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY) == 0) {
    if (PropertyPage* page = PageOf(GetParent(edit))) {
      PageEvent event;
      event.kind = EventKind::kPaste;
      event.id = GetDlgCtrlID(edit);
      event.text = ClipboardLine(edit);
      if (page->OnEvent(event)) {
        // The text the page judged is the text that goes in, whatever the clipboard holds now.
        if (event.verdict == KeyVerdict::kDropWithBeep) {
          Sys().MessageBeep(beep::kExclamation);
        } else {
          CallWindowProcA(original, edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(event.text.c_str()));
        }
        return 0;
      }
    }
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrA(edit, GWLP_USERDATA, 0);
  }
  return CallWindowProcA(original, edit, message, wParam, lParam);
}

// The page's own control that is `child` or holds it (a combo box for its edit part).
HWND PageControlOf(HWND page, HWND child) {
  while (child != nullptr && GetParent(child) != page) child = GetParent(child);
  return child;
}

bool IsListViewItemNotification(UINT code) {
  return code == LVN_ITEMCHANGING || code == LVN_ITEMCHANGED || code == LVN_INSERTITEM ||
         code == LVN_DELETEITEM || code == LVN_COLUMNCLICK;
}

// The portable event of a page message; false for messages that are not one.
bool UnpackPageEvent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, PageEvent& event) {
  switch (message) {
    case WM_COMMAND:
      event.kind = EventKind::kCommand;
      event.id = LOWORD(wParam);
      event.code = HIWORD(wParam);
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr || header->hwndFrom == GetParent(hwnd)) return false;  // the sheet's
      event.kind = EventKind::kNotify;
      event.id = static_cast<int>(header->idFrom);
      event.code = header->code;
      char className[32] = {};
      GetClassNameA(header->hwndFrom, className, sizeof(className));
      if (lstrcmpiA(className, "SysListView32") == 0) {
        if (header->code == NM_CLICK || header->code == NM_DBLCLK || header->code == NM_RCLICK ||
            header->code == LVN_ITEMACTIVATE) {
          event.item = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
        } else if (IsListViewItemNotification(header->code)) {
          const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
          event.item = change->iItem;
          event.newState = change->uNewState;
          event.oldState = change->uOldState;
        }
      }
      return true;
    }
    case WM_TIMER:
      event.kind = EventKind::kTimer;
      event.timerId = wParam;
      return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: {
      event.kind = EventKind::kColour;
      HWND control = PageControlOf(hwnd, reinterpret_cast<HWND>(lParam));
      event.id = control != nullptr ? GetDlgCtrlID(control) : 0;
      event.colourKind = message == WM_CTLCOLOREDIT      ? ColourKind::kEdit
                         : message == WM_CTLCOLORLISTBOX ? ColourKind::kListBox
                         : message == WM_CTLCOLORBTN     ? ColourKind::kButton
                         : message == WM_CTLCOLORDLG     ? ColourKind::kDialog
                                                         : ColourKind::kStatic;
      return true;
    }
    case WM_PAINT:
      event.kind = EventKind::kPaint;
      return true;
    case WM_MOUSEMOVE:
      event.kind = EventKind::kMouseMove;
      event.x = static_cast<short>(LOWORD(lParam));
      event.y = static_cast<short>(HIWORD(lParam));
      event.ctrl = (wParam & MK_CONTROL) != 0;
      event.shift = (wParam & MK_SHIFT) != 0;
      return true;
    case WM_HELP: {
      const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
      event.kind = EventKind::kContextHelp;
      event.helpContext = info != nullptr ? static_cast<std::uint32_t>(info->dwContextId) : 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

namespace win32page {

void SubclassEdits(HWND page) {
  for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Edit") != 0 || OriginalEditProc(child) != nullptr) continue;
    const LONG_PTR original = GetWindowLongPtrA(child, GWLP_WNDPROC);
    SetWindowLongPtrA(child, GWLP_USERDATA, original);
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FilteredEditProc));
  }
}

ColourAnswer LastColourAnswer() { return tLastColour; }
void ResetLastColourAnswer() { tLastColour = ColourAnswer{}; }

HBRUSH SolidBrush(COLORREF colour) {
  static std::mutex lock;
  static std::map<COLORREF, HBRUSH> brushes;
  std::lock_guard<std::mutex> guard(lock);
  HBRUSH& brush = brushes[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

}  // namespace win32page

std::unique_ptr<SheetBackend> Win32Platform::CreateSheetBackend(PropertySheet& sheet) {
  return std::make_unique<Win32SheetBackend>(sheet);
}

// --- drawing

GdiDrawSurface::~GdiDrawSurface() {
  if (brush_ != nullptr) DeleteObject(brush_);
}

void GdiDrawSurface::FillButtonFace(const Rect& rect) {
  if (brush_ == nullptr) brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  RECT r = ToRect(rect);
  if (brush_ != nullptr) FillRect(dc_, &r, brush_);
}

void GdiDrawSurface::SetButtonFaceBackground() { SetBkColor(dc_, GetSysColor(COLOR_BTNFACE)); }

void GdiDrawSurface::DrawCentredText(const std::string& text, const Rect& rect) {
  RECT r = ToRect(rect);
  DrawTextA(dc_, text.data(), static_cast<int>(text.size() < INT_MAX ? text.size() : INT_MAX), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// --- creation and the modal loop

Win32SheetBackend::~Win32SheetBackend() {
  HWND h = Sheet();
  if (h != nullptr && IsWindow(h)) DestroyWindow(h);
  ReenableOwner();
}

LRESULT CALLBACK Win32SheetBackend::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && tCreating != nullptr) {
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof(className));
    // The first dialog made inside PropertySheetA is the sheet itself; its pages come
    // later, from its WM_INITDIALOG.
    if (std::strcmp(className, "#32770") == 0) {
      Win32SheetBackend* self = tCreating;
      tCreating = nullptr;
      self->hwnd_ = hwnd;
      SetPropA(hwnd, kBackendProperty, self);
      self->originalProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SheetProc)));
    }
  }
  return CallNextHookEx(tCreationHook, code, wParam, lParam);
}

PROPSHEETPAGEA Win32SheetBackend::PageRecord(PropertyPage& page) const {
  PROPSHEETPAGEA record = {};
  record.dwSize = sizeof(record);
  record.dwFlags = PSP_DEFAULT | page.flags;
  if (!page.caption().empty()) {
    record.dwFlags |= PSP_USETITLE;
    record.pszTitle = page.caption().c_str();
  }
  record.hInstance = GetModuleHandleA(nullptr);
  record.pszTemplate = MAKEINTRESOURCEA(page.templateId());
  record.pfnDlgProc = &PageProc;
  record.lParam = reinterpret_cast<LPARAM>(&page);
  return record;
}

int Win32SheetBackend::RunModal(Handle owner) {
  endRequested_ = false;
  reenableRequested_ = false;
  armed_ = true;
  userResult_ = 0;
  uiThread_ = GetCurrentThreadId();
  owner_ = static_cast<HWND>(owner);
  if (owner_ != nullptr && IsWindow(owner_) && IsWindowEnabled(owner_)) {
    EnableWindow(owner_, FALSE);
    ownerDisabled_ = true;
  }

  std::vector<PROPSHEETPAGEA> pages;
  for (int i = 0; i < sheet().GetPageCount(); ++i) pages.push_back(PageRecord(*sheet().GetPage(i)));
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | sheet().headerFlags;
  header.hwndParent = owner_;
  header.hInstance = GetModuleHandleA(nullptr);
  header.pszCaption = sheet().caption().c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = sheet().startPage() < pages.size() ? sheet().startPage() : 0;
  header.ppsp = pages.data();

  const CommonControls* controls = LoadCommonControls();
  tCreating = this;
  tCreationHook = SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, uiThread_);
  const INT_PTR created =
      controls != nullptr ? reinterpret_cast<INT_PTR>(controls->PropertySheetA(&header)) : 0;
  if (tCreationHook != nullptr) UnhookWindowsHookEx(tCreationHook);
  tCreationHook = nullptr;
  tCreating = nullptr;

  HWND sheetWindow = created != 0 && created != -1 ? reinterpret_cast<HWND>(created) : nullptr;
  if (sheetWindow == nullptr || !IsWindow(sheetWindow)) {
    if (Sheet() != nullptr && IsWindow(Sheet())) DestroyWindow(Sheet());
    hwnd_ = nullptr;
    armed_ = false;
    ReenableOwner();
    return PropertySheet::kCreateFailed;
  }
  if (Sheet() != sheetWindow) {
    // The creation hook did not see the sheet: subclass it now and initialise late.
    hwnd_ = sheetWindow;
    SetPropA(sheetWindow, kBackendProperty, this);
    originalProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(sheetWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SheetProc)));
    sheet().OnInitDialog();
  }
  if (IsWindow(sheetWindow) && !IsWindowVisible(sheetWindow)) ShowWindow(sheetWindow, SW_SHOW);

  int result = IDCANCEL;
  MSG message;
  for (;;) {
    if (endRequested_) {
      result = endResult_;
      break;
    }
    if (reenableRequested_.exchange(false)) ReenableOwner();
    if (!IsWindow(sheetWindow)) break;  // destroyed behind our back: a cancel
    // After OK, Cancel or the close box a modeless sheet has no current page any more.
    if (PropSheet_GetCurrentPageHwnd(sheetWindow) == nullptr) {
      result = UserResult(sheetWindow);
      break;
    }
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
      break;
    }
    if (got == -1) break;
    // Only keyboard input has a dialog meaning (Tab, the arrows, Enter, Escape, mnemonics,
    // Ctrl+Tab between pages); every other message the sheet would only dispatch, at the
    // price of two messages to the sheet (under Wine, several Wine server round trips)
    // for each timer tick and paint.
    const bool keyboard = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (!keyboard || !PropSheet_IsDialogMessage(sheetWindow, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  armed_ = false;

  // The owner comes back before the sheet goes, so activation returns to it.
  const bool sheetWasActive = GetActiveWindow() == sheetWindow;
  ReenableOwner();
  if (sheetWasActive && owner_ != nullptr && IsWindow(owner_)) SetActiveWindow(owner_);
  if (IsWindow(sheetWindow)) DestroyWindow(sheetWindow);
  hwnd_ = nullptr;
  for (int i = 0; i < sheet().GetPageCount(); ++i) SetPageWindow(*sheet().GetPage(i), nullptr);
  return result;
}

int Win32SheetBackend::UserResult(HWND sheetWindow) const {
  // The last OK or Cancel button command says how the user closed the sheet. A press that
  // did not pass through the window (PSM_PRESSBUTTON) is told by the sheet's own result,
  // positive once OK has applied the pages.
  if (userResult_ != 0) return userResult_;
  return PropSheet_GetResult(sheetWindow) > 0 ? IDOK : IDCANCEL;
}

void Win32SheetBackend::EndModalLoop(int result) {
  if (!armed_) return;
  endResult_ = result;
  endRequested_ = true;
  // Wakes the loop; a message to the window survives nested loops (a message box of a
  // page), where a thread message would be lost.
  if (HWND h = Sheet()) {
    PostMessageA(h, WM_NULL, 0, 0);
  } else if (const DWORD uiThread = uiThread_; uiThread != 0) {
    PostThreadMessageA(uiThread, WM_NULL, 0, 0);
  }
}

void Win32SheetBackend::EndModalState() {
  const DWORD uiThread = uiThread_;
  if (GetCurrentThreadId() == uiThread) {
    ReenableOwner();
    return;
  }
  // EnableWindow from another thread would wait for the window's thread: the loop does it
  // (and gives the owner back when it ends in any case).
  reenableRequested_ = true;
  if (HWND h = Sheet()) {
    PostMessageA(h, WM_NULL, 0, 0);
  } else if (uiThread != 0) {
    PostThreadMessageA(uiThread, WM_NULL, 0, 0);
  }
}

void Win32SheetBackend::ReenableOwner() {
  if (ownerDisabled_.exchange(false) && owner_ != nullptr && IsWindow(owner_)) EnableWindow(owner_, TRUE);
}

// --- the sheet's window

LRESULT CALLBACK Win32SheetBackend::SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<Win32SheetBackend*>(GetPropA(hwnd, kBackendProperty));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->OnSheetMessage(hwnd, message, wParam, lParam);
}

LRESULT Win32SheetBackend::OnSheetMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      // The common controls' initialisation (tabs, start page) first, then the sheet's own.
      const LRESULT handled = CallWindowProcW(originalProc_, hwnd, message, wParam, lParam);
      sheet().OnInitDialog();
      return handled;
    }
    case psm::kCommandHelp:
      sheet().OnCommandHelp();
      return 0;
    case WM_HELP:
      // F1 on the tab strip or on one of the window's own buttons (a page answers F1 on its
      // own controls): the same as pressing the Help button.
      PostMessageA(hwnd, PSM_PRESSBUTTON, PSBTN_HELP, 0);
      return TRUE;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType == ODT_TAB) {
        GdiDrawSurface surface(item->hDC);
        sheet().OnDrawItem(surface, static_cast<int>(item->itemID));
        return TRUE;
      }
      break;
    }
    case WM_COMMAND: {
      if (sheet().OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
      const LRESULT answer = CallWindowProcW(originalProc_, hwnd, message, wParam, lParam);
      const int id = LOWORD(wParam);
      if ((id == IDOK || id == IDCANCEL) && IsWindow(hwnd))
        userResult_ = PropSheet_GetCurrentPageHwnd(hwnd) == nullptr ? id : 0;  // 0: still open
      return answer;
    }
    case WM_NCDESTROY: {
      WNDPROC original = originalProc_;
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(hwnd, kBackendProperty);
      hwnd_ = nullptr;
      for (int i = 0; i < sheet().GetPageCount(); ++i) SetPageWindow(*sheet().GetPage(i), nullptr);
      return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcW(originalProc_, hwnd, message, wParam, lParam);
}

// --- the pages' windows

INT_PTR CALLBACK Win32SheetBackend::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // lParam is the sheet's copy of the page record; its lParam field is the page.
    auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* page = reinterpret_cast<PropertyPage*>(record->lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    SetPageWindow(*page, hwnd);
    win32page::SubclassEdits(hwnd);
    return page->OnInitDialog() ? TRUE : FALSE;
  }
  auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (page == nullptr) return FALSE;

  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->hwndFrom == GetParent(hwnd)) {
      LONG_PTR answer = 0;
      bool sheetNotification = true;
      switch (header->code) {
        case PSN_SETACTIVE:
          answer = page->OnSetActive() ? 0 : -1;
          break;
        case PSN_KILLACTIVE:
          answer = page->OnKillActive() ? FALSE : TRUE;
          break;
        case PSN_APPLY:
          answer = page->OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
          break;
        case PSN_RESET:
          page->OnCancel();
          break;
        default:
          sheetNotification = false;
          break;
      }
      if (sheetNotification) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, answer);
        return TRUE;
      }
    }
  }

  PageEvent event;
  if (UnpackPageEvent(hwnd, message, wParam, lParam, event)) {
    if (event.kind == EventKind::kPaint) {
      // Begin and end paint validate the page; the dialog's background and controls show.
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      page->OnEvent(event);
      EndPaint(hwnd, &paint);
      return TRUE;
    }
    if (page->OnEvent(event)) {
      if (event.kind == EventKind::kColour) {
        if (!event.colour.answered) return FALSE;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, event.colour.textColor);
        if (event.colour.transparent) SetBkMode(dc, TRANSPARENT);
        tLastColour = event.colour;
        return reinterpret_cast<INT_PTR>(win32page::SolidBrush(event.colour.brushColor));
      }
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, event.kind == EventKind::kNotify ? event.result : 0);
      return TRUE;
    }
  }

  LResult result = 0;
  const bool handled = page->OnMessage(message, wParam, lParam, result);
  if (!handled && message == WM_NOTIFY && lParam != 0 &&
      reinterpret_cast<const NMHDR*>(lParam)->code == PSN_HELP &&
      page->sheet() != nullptr) {
    // The Help button: a page that does not answer passes it to the sheet as ID_HELP.
    page->sheet()->OnCommand(sheetitem::kHelpCommand, 0);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    SetPageWindow(*page, nullptr);
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
  }
  if (!handled) return FALSE;
  switch (message) {
    // These answer through the dialog procedure's return value.
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

// --- tabs, buttons, pages while open

HWND Win32SheetBackend::Tabs() const {
  HWND h = Sheet();
  return h != nullptr ? PropSheet_GetTabControl(h) : nullptr;
}

bool Win32SheetBackend::IsVisible() const {
  HWND h = Sheet();
  return h != nullptr && IsWindowVisible(h) != FALSE;
}

void Win32SheetBackend::PageAdded(int index) {
  const CommonControls* controls = LoadCommonControls();
  if (controls == nullptr) return;
  PROPSHEETPAGEA record = PageRecord(*sheet().GetPage(index));
  HPROPSHEETPAGE handle = controls->CreatePropertySheetPageA(&record);
  if (handle != nullptr && !PropSheet_AddPage(Sheet(), handle)) controls->DestroyPropertySheetPage(handle);
}

void Win32SheetBackend::PageRemoving(int index) {
  PropSheet_RemovePage(Sheet(), index, nullptr);
}

bool Win32SheetBackend::SetActivePage(int index) {
  return PropSheet_SetCurSel(Sheet(), nullptr, index) != FALSE;
}

int Win32SheetBackend::ActiveIndex() const {
  HWND tabs = Tabs();
  return tabs != nullptr ? TabCtrl_GetCurSel(tabs) : -1;
}

bool Win32SheetBackend::HasTabControl() const { return Tabs() != nullptr; }

void Win32SheetBackend::ModifyTabStyle(std::uint32_t remove, std::uint32_t add) {
  HWND tabs = Tabs();
  if (tabs == nullptr) return;
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(tabs, GWL_STYLE));
  SetWindowLongPtrW(tabs, GWL_STYLE, static_cast<LONG_PTR>((style & ~remove) | add));
}

std::uint32_t Win32SheetBackend::TabStyle() const {
  HWND tabs = Tabs();
  return tabs != nullptr ? static_cast<std::uint32_t>(GetWindowLongPtrW(tabs, GWL_STYLE)) : 0;
}

int Win32SheetBackend::TabCount() const {
  HWND tabs = Tabs();
  return tabs != nullptr ? TabCtrl_GetItemCount(tabs) : 0;
}

int Win32SheetBackend::SelectedTab() const { return ActiveIndex(); }

Rect Win32SheetBackend::TabItemRect(int index) const {
  HWND tabs = Tabs();
  RECT r = {};
  if (tabs == nullptr || !TabCtrl_GetItemRect(tabs, index, &r)) return Rect{};
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32SheetBackend::RedrawTabs() {
  if (HWND tabs = Tabs()) RedrawWindow(tabs, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::string Win32SheetBackend::CurrentPageWindowText(std::size_t maxBytes) const {
  HWND h = Sheet();
  HWND page = h != nullptr ? PropSheet_GetCurrentPageHwnd(h) : nullptr;
  if (page == nullptr || maxBytes == 0) return std::string();
  const int size = maxBytes < 65536 ? static_cast<int>(maxBytes) : 65536;
  std::vector<char> text(static_cast<std::size_t>(size), '\0');
  const int n = GetWindowTextA(page, text.data(), size);
  return std::string(text.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
}

void Win32SheetBackend::EnableSheetButton(int itemId, bool enable) {
  HWND h = Sheet();
  HWND button = h != nullptr ? GetDlgItem(h, itemId) : nullptr;
  if (button != nullptr) EnableWindow(button, enable ? TRUE : FALSE);
}

bool Win32SheetBackend::SheetButtonShown(int itemId) const {
  HWND h = Sheet();
  HWND button = h != nullptr ? GetDlgItem(h, itemId) : nullptr;
  return button != nullptr && (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Win32SheetBackend::SheetButtonEnabled(int itemId) const {
  HWND h = Sheet();
  HWND button = h != nullptr ? GetDlgItem(h, itemId) : nullptr;
  return button != nullptr && IsWindowEnabled(button) != FALSE;
}

LResult Win32SheetBackend::SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) {
  HWND h = Sheet();
  return h != nullptr ? SendMessageA(h, message, wParam, lParam) : 0;
}

}  // namespace fw
