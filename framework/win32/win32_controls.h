// The win32 backend's controls: each method is the control message of the same meaning,
// sent to the dialog item; the user's actions are the messages a user's input produces.
#pragma once
#include "framework/win32/windows_h.h"

#include <map>
#include <mutex>
#include <utility>

#include "framework/controls.h"

namespace fw {

class Win32Controls : public ControlAccess {
 public:
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

  // The timers set through the platform, so that a test can let one fire.
  void TimerSet(Handle window, std::uintptr_t id);
  void TimerKilled(Handle window, std::uintptr_t id);

 private:
  std::mutex lock_;
  std::map<std::pair<Handle, std::uintptr_t>, bool> timers_;
};

// Page windows: the portable events of one page dialog's messages (in
// win32_property_sheet_win32.cpp, used by the controls' colour request too).
namespace win32page {
// Subclasses the page's edit controls so that typed characters pass the page's filter.
void SubclassEdits(HWND page);
// The answer the last colour request of this thread got from its page, as the page gave it.
ColourAnswer LastColourAnswer();
void ResetLastColourAnswer();
// A solid brush of the colour, made once and kept for the life of the process.
HBRUSH SolidBrush(COLORREF colour);
}  // namespace win32page

}  // namespace fw
