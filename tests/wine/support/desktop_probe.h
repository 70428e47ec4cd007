// Looking at another program from outside, as a user sees it: the picture in the task bar's
// notification area, the top-level windows of a process, the tab titles of its property
// sheet and the items of its pop-up menu (read across the process boundary).
#pragma once
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace winetest {

// What the notification area shows of the utility's icon, told apart by the screen colour of
// the two pictures: 186 (link up) has a green screen, 187 (no link) a red one.
enum class TrayPicture { kNoTaskBar, kAbsent, kLinkUp, kNoLink, kUnclear };
const char* TrayPictureName(TrayPicture picture);

// The right end of the task bar, where the notification area's icons are drawn (screen
// coordinates); false when no task bar exists (no Wine desktop with a shell).
bool NotificationArea(RECT& area);
// Reads the screen pixels of the notification area and classifies them.
TrayPicture ReadTrayPicture();
// Polls until the notification area shows `wanted`; false on time-out.
bool WaitForTrayPicture(TrayPicture wanted, DWORD ms);

// The top-level windows of a process (every process for pid 0) with this title, of this
// class unless className is null, visible ones only when `visibleOnly`.
std::vector<HWND> ProcessWindows(DWORD pid, const char* className, const char* title, bool visibleOnly);
// Polls until ProcessWindows finds one; null on time-out.
HWND WaitForProcessWindow(DWORD pid, const char* className, const char* title, bool visibleOnly, DWORD ms);

// The tab titles of a property sheet of another process, in tab order; empty when the sheet
// has no tab control or the process cannot be read.
std::vector<std::string> ForeignTabTitles(HWND sheet);

// The rows of a report-mode list view of another process, each with the texts of every
// column; empty when the process cannot be read.
std::vector<std::vector<std::string>> ForeignListRows(HWND list);
// The column widths of such a list view, in pixels.
std::vector<int> ForeignListColumnWidths(HWND list);
// Clicks a row of such a list view as a user does (button down and up posted at the row):
// the list selects it and tells its parent with NM_CLICK. False when the row has no place.
bool ClickForeignListRow(HWND list, int row);
// Clicks tab `index` of a property sheet of another process as a user does (button down and
// up posted at the tab): the tab strip takes the focus and changes the page itself. False
// when the tab has no place.
bool ClickForeignTab(HWND sheet, int index);
// Double-clicks a row the same way (down, up, double click, up): the list tells its parent
// NM_CLICK, then NM_DBLCLK.
bool DoubleClickForeignListRow(HWND list, int row);
// The items of a combo box of another process, in list order (ASCII texts).
std::vector<std::string> ForeignComboItems(HWND box);
// A window's text as WM_GETTEXT gives it (what an edit or static of another process shows).
std::string ForeignText(HWND window);

struct MenuEntry {
  UINT id = 0;
  std::string text;
  bool separator = false;
  bool operator==(const MenuEntry& other) const {
    return id == other.id && text == other.text && separator == other.separator;
  }
};
inline std::ostream& operator<<(std::ostream& out, const MenuEntry& entry) {
  if (entry.separator) return out << "(separator)";
  return out << entry.id << " \"" << entry.text << "\"";
}
// The visible pop-up menu window (class "#32768") of a process; null if none shows.
HWND VisiblePopupMenu(DWORD pid);
// Waits for a pop-up menu of the process and reads its items; nullopt on time-out or when
// the items cannot be read.
std::optional<std::vector<MenuEntry>> WaitForPopupMenu(DWORD pid, DWORD ms);
// Closes the process's pop-up menu as the Escape key does; true once none shows.
bool DismissPopupMenu(DWORD pid, DWORD ms);

}  // namespace winetest
