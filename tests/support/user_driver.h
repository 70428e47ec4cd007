// The user of a page, for tests: the same calls on both backends (memory controls natively,
// real controls under Wine), each doing what the user's input does to the control.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/controls.h"
#include "framework/property_sheet.h"

#ifdef _WIN32
#include "framework/win32/win32_platform.h"
#else
#include "framework/memory/memory_platform.h"
#endif

class UserDriver {
 public:
  UserDriver(fw::PropertySheet& sheet, fw::PropertyPage& page) : sheet_(sheet), page_(page) {}

  // A click on a button: false (and nothing happens) when it is disabled or hidden.
  bool Click(int id) { return fw::Controls().UserClick(page_.window(), id); }
  // Characters typed one by one into an edit (or a drop-down's edit part), each through
  // the page's keystroke filter.
  void Type(int id, std::string_view chars) {
    for (char ch : chars) fw::Controls().UserType(page_.window(), id, ch);
  }
  bool Paste(int id, const std::string& text) { return fw::Controls().UserPaste(page_.window(), id, text); }
  // Chooses an item of a combo box or list box: selected, then CBN_SELCHANGE.
  bool Choose(int id, int index) { return fw::Controls().UserChoose(page_.window(), id, index); }
  // A click on a row of a list view (a row past the last: on empty space).
  bool ClickRow(int id, int row) { return fw::Controls().UserClickRow(page_.window(), id, row); }
  bool DoubleClickRow(int id, int row) { return fw::Controls().UserDoubleClickRow(page_.window(), id, row); }
  // Lets the page's timer fire; false when it is not running.
  bool FireTimer(std::uintptr_t id) { return fw::Controls().FireTimer(page_.window(), id); }
  void MouseMove(int x, int y, bool ctrl, bool shift) {
    fw::Controls().UserMouseMove(page_.window(), x, y, ctrl, shift);
  }
  void ContextHelp(std::uint32_t context = 0) { fw::Controls().UserContextHelp(page_.window(), context); }
  // A button of the sheet (fw::psbtn::).
  void PressSheetButton(fw::WParam button) { sheet_.SendToSheet(fw::psm::kPressButton, button, 0); }
  fw::ColourAnswer Colour(int id) { return fw::Controls().AskColour(page_.window(), id); }

  std::string Text(int id) { return fw::Controls().GetText(page_.window(), id); }

  // What the platform was asked for: beeps and help topics.
  std::size_t Beeps() const { return Backend().beeps.size(); }
  std::vector<std::uint32_t> HelpTopics() const { return Backend().helpShown; }

 private:
#ifdef _WIN32
  static fw::Win32Platform& Backend() { return dynamic_cast<fw::Win32Platform&>(fw::Sys()); }
#else
  static fw::MemoryPlatform& Backend() { return dynamic_cast<fw::MemoryPlatform&>(fw::Sys()); }
#endif
  fw::PropertySheet& sheet_;
  fw::PropertyPage& page_;
};
