// The memory backend's controls: each page window gets the controls of its dialog template
// (framework/dialog_template.h), held in memory with the behaviour the logic depends on, as
// measured on Win32 and Wine: a text write to an edit sends EN_UPDATE and EN_CHANGE (even
// when the text stays the same); a selection made by the program sends no CBN_SELCHANGE;
// sorted combo boxes insert in order; exact finds ignore case; disabled or hidden controls
// take no user input; a dropped keystroke beeps; a focused control that is disabled hands the
// focus to the next tab stop.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/page_events.h"

namespace fw {

class MemoryPlatform;
struct DialogTemplate;

class MemoryControls : public ControlAccess {
 public:
  explicit MemoryControls(MemoryPlatform& platform) : platform_(platform) {}

  // Makes the controls of template `templateId` for `dialog` (none when there is no such
  // template); their notifications go to `target`.
  void CreateDialogControls(Handle dialog, std::uint32_t templateId, EventTarget* target);
  void DestroyDialogControls(Handle dialog);
  // The ids of a dialog's controls, in template order.
  std::vector<int> ControlIds(Handle dialog) const;
  // How often a control was repainted with RepaintNow.
  int RepaintCount(Handle dialog, int id) const;

  // --- ControlAccess
  bool Exists(Handle dialog, int id) override;
  std::string ClassName(Handle dialog, int id) override;
  std::uint32_t Style(Handle dialog, int id) override;
  std::string GetText(Handle dialog, int id) override;
  void SetText(Handle dialog, int id, const std::string& text) override;
  void Enable(Handle dialog, int id, bool enable) override;
  bool IsEnabled(Handle dialog, int id) override;
  void Show(Handle dialog, int id, bool show) override;
  bool IsVisible(Handle dialog, int id) override;
  void SetFocus(Handle dialog, int id) override;
  int FocusedId(Handle dialog) override;
  FocusToken FocusedWindow(Handle dialog) override;
  void RestoreFocus(const FocusToken& token) override;
  void RepaintNow(Handle dialog, int id) override;
  LResult Send(Handle dialog, int id, std::uint32_t message, WParam wParam, LParam lParam) override;
  LResult SendWithText(Handle dialog, int id, std::uint32_t message, WParam wParam,
                       const std::string& text) override;
  std::string ItemText(Handle dialog, int id, int index) override;
  int InsertColumn(Handle dialog, int id, int index, const std::string& text, int width,
                   int format) override;
  int ColumnCount(Handle dialog, int id) override;
  int InsertRow(Handle dialog, int id, int index, const std::string& text) override;
  bool SetCellText(Handle dialog, int id, int row, int column, const std::string& text) override;
  std::string CellText(Handle dialog, int id, int row, int column) override;
  bool SetRowSelected(Handle dialog, int id, int row, bool selected) override;
  bool UserClick(Handle dialog, int id) override;
  bool UserType(Handle dialog, int id, char ch) override;
  bool UserPaste(Handle dialog, int id, const std::string& text) override;
  bool UserChoose(Handle dialog, int id, int index) override;
  bool UserClickRow(Handle dialog, int id, int row) override;
  bool UserDoubleClickRow(Handle dialog, int id, int row) override;
  void UserMouseMove(Handle dialog, int x, int y, bool ctrl, bool shift) override;
  void UserContextHelp(Handle dialog, std::uint32_t helpContext) override;
  ColourAnswer AskColour(Handle dialog, int id) override;
  bool FireTimer(Handle window, std::uintptr_t timerId) override;

 private:
  struct Control {
    int id = 0;
    std::string className;
    std::uint32_t style = 0;
    std::string text;
    int limit = 30000;  // the edit control's initial limit
    char passwordChar = 0;
    int selStart = 0, selEnd = 0;
    int check = 0;
    std::vector<std::string> items;  // combo and list box
    int curSel = -1;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> rowSelected;
    std::uint32_t exStyle = 0;  // list view extended style
    int low = 0, high = 100, pos = 0;
    int repaints = 0;

    bool enabled() const;
    bool visible() const;
    bool readOnly() const;
    bool isEdit() const { return className == "Edit"; }
    bool isCombo() const { return className == "ComboBox"; }
    bool isListBox() const { return className == "ListBox"; }
    bool isButton() const { return className == "Button"; }
    bool isListView() const { return className == "SysListView32"; }
    bool isProgress() const { return className == "msctls_progress32"; }
    bool comboHasEdit() const;  // CBS_SIMPLE or CBS_DROPDOWN
    std::uint32_t buttonType() const { return style & 0xF; }
  };
  struct Dialog {
    EventTarget* target = nullptr;
    std::vector<Control> controls;
    int focus = 0;
  };

  Dialog* FindDialog(Handle dialog);
  Control* Find(Handle dialog, int id);
  bool Deliver(Handle dialog, PageEvent& event);
  // The page judges the user's input (a typed character, a paste) first: false when it
  // dropped it, with the beep.
  bool PageLetsInput(Handle dialog, PageEvent& input);
  void Command(Handle dialog, int id, std::uint32_t code);
  void NotifyRow(Handle dialog, int id, std::uint32_t code, int row, std::uint32_t newState,
                 std::uint32_t oldState);
  // The edit text changed: EN_UPDATE and EN_CHANGE, or their combo box counterparts.
  void TextChanged(Handle dialog, Control& control);
  // The focused control `id` was disabled: the focus moves on to the next tab stop.
  void HandOnFocus(Handle dialog, int id);
  // Replaces the selection, within the limit when `honourLimit`; false when nothing fitted.
  bool ReplaceSelection(Handle dialog, Control& control, const std::string& text, bool honourLimit);
  int AddItem(Control& control, const std::string& text, bool sorted);
  int FindExact(const Control& control, int startAfter, const std::string& text) const;
  void SelectItem(Control& control, int index);
  void ChangeRowSelection(Handle dialog, Control& control, int row, bool selected);
  LResult SendEdit(Control& c, std::uint32_t message, WParam wParam, LParam lParam);
  LResult SendCombo(Control& c, std::uint32_t message, WParam wParam, LParam lParam);
  LResult SendListBox(Control& c, std::uint32_t message, WParam wParam, LParam lParam);
  LResult SendListView(Handle dialog, Control& c, std::uint32_t message, WParam wParam, LParam lParam);

  MemoryPlatform& platform_;
  std::map<Handle, Dialog> dialogs_;
};

}  // namespace fw
