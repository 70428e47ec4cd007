// Controls inside a page, addressed by the page's window and the control's id: one small
// wrapper per control kind, one message per method, on either backend. The backend's
// ControlAccess (fw::Sys().Controls()) carries the messages: SendDlgItemMessageA on win32,
// controls held in memory (made from the same dialog templates) on the memory backend.
//
// A control that does not exist (no page window yet, or no such id) answers neutrally:
// empty texts, 0 counts, -1 indexes, and ignores what it is told.
#pragma once
#include <cstdint>
#include <string>

#include "framework/messages.h"
#include "framework/page_events.h"

namespace fw {

using Handle = void*;

// Control messages with their Win32 values; those that carry only numbers pass through
// ControlAccess::Send.
namespace em {
constexpr std::uint32_t kGetSel = 0x00B0;
constexpr std::uint32_t kSetSel = 0x00B1;
constexpr std::uint32_t kReplaceSel = 0x00C2;  // text
constexpr std::uint32_t kLimitText = 0x00C5;
constexpr std::uint32_t kSetPasswordChar = 0x00CC;
constexpr std::uint32_t kSetReadOnly = 0x00CF;
constexpr std::uint32_t kGetPasswordChar = 0x00D2;
constexpr std::uint32_t kGetLimitText = 0x00D5;
}  // namespace em
namespace bm {
constexpr std::uint32_t kGetCheck = 0x00F0;
constexpr std::uint32_t kSetCheck = 0x00F1;
constexpr WParam kUnchecked = 0;
constexpr WParam kChecked = 1;
}  // namespace bm
namespace cb {
constexpr std::uint32_t kGetEditSel = 0x0140;
constexpr std::uint32_t kLimitText = 0x0141;
constexpr std::uint32_t kSetEditSel = 0x0142;
constexpr std::uint32_t kAddString = 0x0143;      // text
constexpr std::uint32_t kDeleteString = 0x0144;
constexpr std::uint32_t kGetCount = 0x0146;
constexpr std::uint32_t kGetCurSel = 0x0147;
constexpr std::uint32_t kInsertString = 0x014A;   // text
constexpr std::uint32_t kResetContent = 0x014B;
constexpr std::uint32_t kSetCurSel = 0x014E;
constexpr std::uint32_t kFindStringExact = 0x0158;  // text
constexpr LResult kErr = -1;
}  // namespace cb
namespace lb {
constexpr std::uint32_t kAddString = 0x0180;      // text
constexpr std::uint32_t kInsertString = 0x0181;   // text
constexpr std::uint32_t kDeleteString = 0x0182;
constexpr std::uint32_t kResetContent = 0x0184;
constexpr std::uint32_t kSetCurSel = 0x0186;
constexpr std::uint32_t kGetCurSel = 0x0188;
constexpr std::uint32_t kGetCount = 0x018B;
constexpr std::uint32_t kFindStringExact = 0x01A2;  // text
}  // namespace lb
namespace pbm {
constexpr std::uint32_t kSetPos = 0x0402;
constexpr std::uint32_t kGetRangeLimit = 0x0407;  // wParam 1: low limit, 0: high limit
constexpr std::uint32_t kGetPos = 0x0408;
constexpr std::uint32_t kSetRange32 = 0x0406;
}  // namespace pbm
namespace lvm {
constexpr std::uint32_t kGetItemCount = 0x1004;
constexpr std::uint32_t kDeleteItem = 0x1008;
constexpr std::uint32_t kDeleteAllItems = 0x1009;
constexpr std::uint32_t kGetNextItem = 0x100C;
constexpr std::uint32_t kSetExtendedStyle = 0x1036;  // wParam mask, lParam style
constexpr std::uint32_t kGetExtendedStyle = 0x1037;
constexpr LParam kNextSelected = 0x0002;  // LVNI_SELECTED
constexpr LParam kFullRowSelect = 0x0020;  // LVS_EX_FULLROWSELECT
}  // namespace lvm
// Column alignment (LVCFMT_*).
namespace lvcfmt {
constexpr int kLeft = 0;
constexpr int kRight = 1;
constexpr int kCenter = 2;
}  // namespace lvcfmt

// Where the keyboard focus was: a token a page keeps and gives back without looking inside
// (it may name a window that is not the page's: the tab strip, a button of the sheet).
class FocusToken {
 public:
  FocusToken() = default;
  bool empty() const { return window_ == nullptr; }

 private:
  friend class Win32Controls;
  friend class MemoryControls;
  FocusToken(Handle window, int id) : window_(window), id_(id) {}
  Handle window_ = nullptr;  // the window with the focus (memory backend: its dialog)
  int id_ = 0;               // memory backend: the control of that dialog
};

// The messages of the controls of one backend.
class ControlAccess {
 public:
  virtual ~ControlAccess() = default;

  // --- every control
  virtual bool Exists(Handle dialog, int id) = 0;
  virtual std::string ClassName(Handle dialog, int id) = 0;  // "Edit", "Button", ...
  virtual std::uint32_t Style(Handle dialog, int id) = 0;
  virtual std::string GetText(Handle dialog, int id) = 0;                    // WM_GETTEXT
  virtual void SetText(Handle dialog, int id, const std::string& text) = 0;  // WM_SETTEXT
  virtual void Enable(Handle dialog, int id, bool enable) = 0;
  virtual bool IsEnabled(Handle dialog, int id) = 0;
  virtual void Show(Handle dialog, int id, bool show) = 0;
  virtual bool IsVisible(Handle dialog, int id) = 0;
  virtual void SetFocus(Handle dialog, int id) = 0;
  virtual int FocusedId(Handle dialog) = 0;  // 0 when no control of the dialog has it
  // Whichever window holds the keyboard focus now (empty when none does); the memory
  // backend, which keeps a focus per dialog only, answers for `dialog`.
  virtual FocusToken FocusedWindow(Handle dialog) = 0;
  // Gives the focus back to the window of the token, if it is still there.
  virtual void RestoreFocus(const FocusToken& token) = 0;
  // Invalidates the control with erase and updates it at once.
  virtual void RepaintNow(Handle dialog, int id) = 0;

  // --- messages: numbers only; a text in lParam; an item's text (CB_GETLBTEXT, LB_GETTEXT)
  virtual LResult Send(Handle dialog, int id, std::uint32_t message, WParam wParam, LParam lParam) = 0;
  virtual LResult SendWithText(Handle dialog, int id, std::uint32_t message, WParam wParam,
                               const std::string& text) = 0;
  virtual std::string ItemText(Handle dialog, int id, int index) = 0;

  // --- list view in report mode
  virtual int InsertColumn(Handle dialog, int id, int index, const std::string& text, int width,
                           int format) = 0;
  virtual int ColumnCount(Handle dialog, int id) = 0;
  virtual int InsertRow(Handle dialog, int id, int index, const std::string& text) = 0;
  virtual bool SetCellText(Handle dialog, int id, int row, int column, const std::string& text) = 0;
  virtual std::string CellText(Handle dialog, int id, int row, int column) = 0;
  virtual bool SetRowSelected(Handle dialog, int id, int row, bool selected) = 0;

  // --- what a user does (for tests: the same calls on both backends). False when the
  // control cannot take the action (missing, disabled, hidden, wrong kind).
  virtual bool UserClick(Handle dialog, int id) = 0;
  virtual bool UserType(Handle dialog, int id, char ch) = 0;  // through the keystroke filter
  virtual bool UserPaste(Handle dialog, int id, const std::string& text) = 0;
  virtual bool UserChoose(Handle dialog, int id, int index) = 0;  // a combo or list box item
  virtual bool UserClickRow(Handle dialog, int id, int row) = 0;
  // A double click on a row: the first click as UserClickRow, then NM_DBLCLK.
  virtual bool UserDoubleClickRow(Handle dialog, int id, int row) = 0;
  virtual void UserMouseMove(Handle dialog, int x, int y, bool ctrl, bool shift) = 0;
  virtual void UserContextHelp(Handle dialog, std::uint32_t helpContext) = 0;
  // Asks the dialog for a control's colours as the control would when it paints.
  virtual ColourAnswer AskColour(Handle dialog, int id) = 0;
  // Lets a running timer of `window` fire now; false when there is no such timer.
  virtual bool FireTimer(Handle window, std::uintptr_t timerId) = 0;
};

ControlAccess& Controls();  // of the platform in use

// --- the wrappers

class Control {
 public:
  Control(Handle dialog, int id) : dialog_(dialog), id_(id) {}
  Handle dialog() const { return dialog_; }
  int id() const { return id_; }
  bool Exists() const { return Controls().Exists(dialog_, id_); }
  std::string GetText() const { return Controls().GetText(dialog_, id_); }
  void SetText(const std::string& text) const { Controls().SetText(dialog_, id_, text); }
  // Writes the text only when the control shows another: an edit box's write moves its caret
  // to the start and notifies a change, and any write repaints. True when it wrote.
  bool ChangeText(const std::string& text) const {
    if (GetText() == text) return false;
    SetText(text);
    return true;
  }
  void Enable(bool enable = true) const { Controls().Enable(dialog_, id_, enable); }
  bool IsEnabled() const { return Controls().IsEnabled(dialog_, id_); }
  void Show(bool show = true) const { Controls().Show(dialog_, id_, show); }
  bool IsVisible() const { return Controls().IsVisible(dialog_, id_); }
  void SetFocus() const { Controls().SetFocus(dialog_, id_); }
  void RepaintNow() const { Controls().RepaintNow(dialog_, id_); }
  std::uint32_t Style() const { return Controls().Style(dialog_, id_); }

 protected:
  LResult Send(std::uint32_t message, WParam wParam = 0, LParam lParam = 0) const {
    return Controls().Send(dialog_, id_, message, wParam, lParam);
  }
  LResult SendWithText(std::uint32_t message, WParam wParam, const std::string& text) const {
    return Controls().SendWithText(dialog_, id_, message, wParam, text);
  }

 private:
  Handle dialog_;
  int id_;
};

class Static : public Control {
 public:
  using Control::Control;
};

class Edit : public Control {
 public:
  using Control::Control;
  void SetLimitText(int maxChars) const { Send(em::kLimitText, static_cast<WParam>(maxChars)); }
  int GetLimitText() const { return static_cast<int>(Send(em::kGetLimitText)); }
  void SetPasswordChar(char ch) const { Send(em::kSetPasswordChar, static_cast<unsigned char>(ch)); }
  char GetPasswordChar() const { return static_cast<char>(Send(em::kGetPasswordChar)); }
  void SetSel(int start, int end) const { Send(em::kSetSel, static_cast<WParam>(start), end); }
  void GetSel(int& start, int& end) const {
    const auto packed = static_cast<std::uint32_t>(Send(em::kGetSel));
    start = static_cast<int>(packed & 0xFFFF);
    end = static_cast<int>(packed >> 16);
  }
  void SetReadOnly(bool readOnly) const { Send(em::kSetReadOnly, readOnly ? 1 : 0); }
  // Replaces the selection (as a paste does): EN_UPDATE and EN_CHANGE follow.
  void ReplaceSel(const std::string& text) const { SendWithText(em::kReplaceSel, 1, text); }
};

class Button : public Control {
 public:
  using Control::Control;
  void SetCheck(bool checked) const { Send(bm::kSetCheck, checked ? bm::kChecked : bm::kUnchecked); }
  bool GetCheck() const { return Send(bm::kGetCheck) == static_cast<LResult>(bm::kChecked); }
};

// A drop-down list (CBS_DROPDOWNLIST) or an editable drop-down (CBS_DROPDOWN) combo box.
// Selecting from the program sends no CBN_SELCHANGE; only the user's choice does.
class ComboBox : public Control {
 public:
  using Control::Control;
  // Sorted boxes (CBS_SORT) place the text in order; the index where it went, or -1.
  int AddString(const std::string& text) const { return static_cast<int>(SendWithText(cb::kAddString, 0, text)); }
  int InsertString(int index, const std::string& text) const {
    return static_cast<int>(SendWithText(cb::kInsertString, static_cast<WParam>(index), text));
  }
  bool DeleteString(int index) const { return Send(cb::kDeleteString, static_cast<WParam>(index)) >= 0; }
  // The item equal to `text` regardless of case, searching after `startAfter` (-1: from the top).
  int FindStringExact(int startAfter, const std::string& text) const {
    return static_cast<int>(SendWithText(cb::kFindStringExact, static_cast<WParam>(startAfter), text));
  }
  int SetCurSel(int index) const { return static_cast<int>(Send(cb::kSetCurSel, static_cast<WParam>(index))); }
  int GetCurSel() const { return static_cast<int>(Send(cb::kGetCurSel)); }
  int GetCount() const { return static_cast<int>(Send(cb::kGetCount)); }
  void ResetContent() const { Send(cb::kResetContent); }
  std::string GetLBText(int index) const { return Controls().ItemText(dialog(), id(), index); }
  void LimitText(int maxChars) const { Send(cb::kLimitText, static_cast<WParam>(maxChars)); }
  void SetEditSel(int start, int end) const {
    Send(cb::kSetEditSel, 0, static_cast<LParam>((static_cast<std::uint32_t>(end) << 16) | (static_cast<std::uint32_t>(start) & 0xFFFF)));
  }
  void GetEditSel(int& start, int& end) const {
    const auto packed = static_cast<std::uint32_t>(Send(cb::kGetEditSel));
    start = static_cast<int>(packed & 0xFFFF);
    end = static_cast<int>(packed >> 16);
  }
};

class ListBox : public Control {
 public:
  using Control::Control;
  int AddString(const std::string& text) const { return static_cast<int>(SendWithText(lb::kAddString, 0, text)); }
  int SetCurSel(int index) const { return static_cast<int>(Send(lb::kSetCurSel, static_cast<WParam>(index))); }
  int GetCurSel() const { return static_cast<int>(Send(lb::kGetCurSel)); }
  int GetCount() const { return static_cast<int>(Send(lb::kGetCount)); }
  void ResetContent() const { Send(lb::kResetContent); }
  std::string GetText(int index) const { return Controls().ItemText(dialog(), id(), index); }
};

// A list view in report mode.
class ListView : public Control {
 public:
  using Control::Control;
  int InsertColumn(int index, const std::string& text, int width, int format = lvcfmt::kLeft) const {
    return Controls().InsertColumn(dialog(), id(), index, text, width, format);
  }
  int GetColumnCount() const { return Controls().ColumnCount(dialog(), id()); }
  int InsertItem(int index, const std::string& text) const { return Controls().InsertRow(dialog(), id(), index, text); }
  bool SetItemText(int row, int column, const std::string& text) const {
    return Controls().SetCellText(dialog(), id(), row, column, text);
  }
  std::string GetItemText(int row, int column) const { return Controls().CellText(dialog(), id(), row, column); }
  int GetItemCount() const { return static_cast<int>(Send(lvm::kGetItemCount)); }
  bool DeleteItem(int row) const { return Send(lvm::kDeleteItem, static_cast<WParam>(row)) != 0; }
  void DeleteAllItems() const { Send(lvm::kDeleteAllItems); }
  // The first selected row, -1 when none.
  int GetFirstSelected() const { return static_cast<int>(Send(lvm::kGetNextItem, static_cast<WParam>(-1), lvm::kNextSelected)); }
  bool SetSelected(int row, bool selected = true) const { return Controls().SetRowSelected(dialog(), id(), row, selected); }
  void SetFullRowSelect() const { Send(lvm::kSetExtendedStyle, lvm::kFullRowSelect, lvm::kFullRowSelect); }
  std::uint32_t GetExtendedStyle() const { return static_cast<std::uint32_t>(Send(lvm::kGetExtendedStyle)); }
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  void SetRange(int low, int high) const { Send(pbm::kSetRange32, static_cast<WParam>(low), high); }
  int GetLow() const { return static_cast<int>(Send(pbm::kGetRangeLimit, 1)); }
  int GetHigh() const { return static_cast<int>(Send(pbm::kGetRangeLimit, 0)); }
  void SetPos(int pos) const { Send(pbm::kSetPos, static_cast<WParam>(pos)); }
  int GetPos() const { return static_cast<int>(Send(pbm::kGetPos)); }
};

}  // namespace fw
