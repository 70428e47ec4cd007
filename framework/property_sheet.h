// Property sheet and property page: the configuration window's frame. Shaped like the
// classic framework's CPropertySheet/CPropertyPage, with both backends behind it: win32
// (a real PropertySheetA run modeless under our own modal loop, pages from the dialog
// templates in res/) and memory (pages and tabs held in memory, for native tests). The
// backend follows the platform in use: fw::Sys().CreateSheetBackend picks it when the sheet
// is constructed.
//
// INTERFACE CONTRACT (used by core/config_utility and app/main_frame; keep these names):
//   PropertyPage(templateId, caption), flags (PSP_*), templateId(), caption(), window()
//   PropertySheet(caption, parent, startPage), headerFlags (PSH_*),
//   AddPage, RemovePage, GetPageCount, GetPage, SetActivePage, GetActiveIndex,
//   DoModal, EndModalLoop, EndModalState, window(), IsVisible(),
//   overridables OnInitDialog, OnDrawItem, OnCommand.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/data_exchange.h"
#include "framework/page_events.h"
#include "framework/platform.h"

namespace fw {

namespace psh {
constexpr std::uint32_t kNoApplyNow = 0x80;
constexpr std::uint32_t kHasHelp = 0x200;
}  // namespace psh
namespace psp {
constexpr std::uint32_t kHasHelp = 0x20;
}  // namespace psp
namespace tcs {
constexpr std::uint32_t kMultiline = 0x200;
constexpr std::uint32_t kOwnerDrawFixed = 0x2000;
}  // namespace tcs

// Messages and item ids of the sheet's own window, with their Win32 values.
namespace psm {
constexpr std::uint32_t kSetCurSel = 0x0465;      // PSM_SETCURSEL: wParam = page index
constexpr std::uint32_t kPressButton = 0x0471;    // PSM_PRESSBUTTON: wParam = psbtn::
constexpr std::uint32_t kCommandHelp = 0x0365;    // WM_COMMANDHELP
}  // namespace psm
namespace psbtn {
constexpr WParam kOk = 3;
constexpr WParam kApplyNow = 4;
constexpr WParam kCancel = 5;
constexpr WParam kHelp = 6;
}  // namespace psbtn
namespace sheetitem {
constexpr int kOk = 1;          // IDOK
constexpr int kCancel = 2;      // IDCANCEL
constexpr int kHelp = 9;        // IDHELP
constexpr int kApply = 0x3021;  // the Apply button
// The command a press of the Help button becomes when the current page does not answer
// the sheet's help notification itself (ID_HELP): it reaches the sheet's OnCommand.
constexpr std::uint32_t kHelpCommand = 57670;
}  // namespace sheetitem

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// What an owner-drawn tab strip is drawn on: the device context of one WM_DRAWITEM.
class DrawSurface {
 public:
  virtual ~DrawSurface() = default;
  // A solid brush in the system's button-face colour fills `rect`.
  virtual void FillButtonFace(const Rect& rect) = 0;
  // The text background becomes the button-face colour.
  virtual void SetButtonFaceBackground() = 0;
  // Draws `text` centred horizontally and vertically (DT_CENTER | DT_VCENTER) in `rect`.
  virtual void DrawCentredText(const std::string& text, const Rect& rect) = 0;
};

class PropertySheet;
class SheetBackend;

class PropertyPage : public EventTarget {
 public:
  PropertyPage(std::uint32_t templateId, const char* caption);
  // A page still in a sheet leaves it first, so the sheet never holds a dead page.
  ~PropertyPage() override;
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  std::uint32_t templateId() const { return templateId_; }
  // The tab's title; empty means the dialog template's own caption.
  const std::string& caption() const { return caption_; }
  std::uint32_t flags = 0;  // psp:: bits
  // The page's help topic: what the sheet's Help button opens while the page is current
  // (0: none).
  std::uint32_t helpTopic = 0;
  Handle window() const { return window_; }  // the page's dialog while it exists
  PropertySheet* sheet() const { return sheet_; }

  // A control of the page by id (any wrapper of framework/controls.h).
  template <class C = Control>
  C Item(int id) const {
    return C(window_, id);
  }

  // Overridables, as the classic framework calls them. OnInitDialog writes the members to
  // the controls (UpdateData(false)); OnKillActive reads them back (UpdateData(true)) and
  // answers whether the page may be left. OnSetActive answers whether the page accepts
  // activation (PSN_SETACTIVE 0 / -1), OnApply whether the changes are valid (else the
  // sheet stays open on this page). OnCancel runs when the user cancels the sheet
  // (PSN_RESET) for every page that has a window.
  virtual bool OnInitDialog() {
    UpdateData(false);
    return true;
  }
  virtual bool OnSetActive() { return true; }
  virtual bool OnKillActive() { return UpdateData(true); }
  virtual void OnOK() {}
  virtual void OnCancel() {}
  virtual bool OnApply() {
    OnOK();
    return true;
  }
  // The page's data exchange, run by UpdateData in either direction.
  virtual void DoDataExchange(DataExchange& dx) {}
  // true: controls -> members; false: members -> controls. False when a read failed. Does
  // nothing without a window.
  bool UpdateData(bool saveAndValidate = true);

  // The portable events of the page's window (framework/page_events.h); a page with a
  // handler table (fw::Page) answers them from its table.
  bool OnEvent(PageEvent& event) override { return false; }
  // Every other message of the page's window (the product's own messages). True when
  // handled; `result` is then the answer.
  virtual bool OnMessage(std::uint32_t message, WParam wParam, LParam lParam, LResult& result) {
    return false;
  }

 private:
  friend class PropertySheet;
  friend class SheetBackend;
  std::uint32_t templateId_;
  std::string caption_;
  Handle window_ = nullptr;
  PropertySheet* sheet_ = nullptr;
};

class PropertySheet {
 public:
  // What DoModal returns besides mb::kIdOk, mb::kIdCancel and EndModalLoop values.
  static constexpr int kCreateFailed = -1;  // no window could be made (or already open)
  // Memory backend only: the posted messages ran out while the sheet was still open (a
  // real sheet would wait for the user). The sheet is closed before DoModal returns.
  static constexpr int kLeftOpen = -2;

  PropertySheet(const char* caption, Handle parent, std::uint32_t startPage);
  virtual ~PropertySheet();
  PropertySheet(const PropertySheet&) = delete;
  PropertySheet& operator=(const PropertySheet&) = delete;

  std::uint32_t headerFlags = 0;  // psh:: bits
  const std::string& caption() const { return caption_; }
  Handle parent() const { return parent_; }

  // Pages, in tab order. Work while the sheet is closed (the list) and while it is open
  // (the tabs follow). A null page, or one already in this sheet, is ignored; a page of
  // another sheet leaves that sheet first. Removing a page that is not here does nothing.
  void AddPage(PropertyPage* page);
  void RemovePage(PropertyPage* page);
  void RemovePage(int index);
  int GetPageCount() const;
  PropertyPage* GetPage(int index) const;  // null when out of range
  int GetPageIndex(const PropertyPage* page) const;  // -1 when not here
  // Open: makes the page current (false when out of range or refused by the pages).
  // Closed: sets the page the next DoModal starts on.
  bool SetActivePage(int index);
  int GetActiveIndex() const;

  // Creates the sheet modeless, disables the owner (or the parent when no owner is given)
  // and runs a message loop until EndModalLoop is called, the user closes the sheet, the
  // window is destroyed or WM_QUIT arrives (re-posted for the outer loop); then destroys
  // the window, re-enables the owner and returns the result: mb::kIdOk (OK), mb::kIdCancel
  // (Cancel, the close box, a destroyed window, WM_QUIT), the EndModalLoop value, or
  // kCreateFailed / kLeftOpen.
  int DoModal(Handle owner = nullptr);
  // Sets the result and wakes the modal loop; callable from any thread. Never runs the
  // pages' OK, Cancel or Apply handling. Ignored when no DoModal is running.
  void EndModalLoop(int result);
  // Re-enables the owner of the modal loop; callable from any thread.
  void EndModalState();

  Handle window() const;  // the sheet's window while shown, else null
  bool IsVisible() const;

  // Overridables. They run on the window's thread with the sheet's window existing.
  virtual bool OnInitDialog();                                    // base initialisation
  virtual void OnDrawItem(DrawSurface& surface, int tabIndex);    // an owner-drawn tab
  virtual bool OnCommand(std::uint32_t id, std::uint32_t code);   // true when handled
  // WM_COMMANDHELP to the sheet: the current page's help topic through the help route.
  virtual void OnCommandHelp();

  // The tab strip, for OnInitDialog and OnDrawItem. Neutral answers while closed.
  bool HasTabControl() const;
  void ModifyTabStyle(std::uint32_t remove, std::uint32_t add);
  std::uint32_t TabStyle() const;
  int TabCount() const;
  int SelectedTab() const;
  Rect TabItemRect(int index) const;
  // Repaints the tab strip now (an owner-drawn strip gets a draw request per tab).
  void RedrawTabs();
  // The current page window's text (at most `maxBytes` - 1 characters).
  std::string CurrentPageWindowText(std::size_t maxBytes) const;
  // Enables or disables a button of the sheet by its dialog item id (9 = Help).
  void EnableSheetButton(int itemId, bool enable);
  // Whether the sheet shows that button, and whether it is enabled.
  bool SheetButtonShown(int itemId) const;
  bool SheetButtonEnabled(int itemId) const;
  // Sends a message to the sheet's own window; 0 while closed.
  LResult SendToSheet(std::uint32_t message, WParam wParam, LParam lParam);

  // The backend behind this sheet (tests of one backend reach its extras through it).
  SheetBackend& backend() const { return *backend_; }
  std::uint32_t startPage() const { return startPage_; }

 private:
  std::string caption_;
  Handle parent_;
  std::uint32_t startPage_;
  std::vector<PropertyPage*> pages_;
  std::unique_ptr<SheetBackend> backend_;
};

// The window side of one sheet: made by the platform in use (Platform::CreateSheetBackend).
// The page list lives in PropertySheet; a backend builds tabs and windows from it while open
// and is told of each change.
class SheetBackend {
 public:
  explicit SheetBackend(PropertySheet& sheet) : sheet_(sheet) {}
  virtual ~SheetBackend() = default;
  SheetBackend(const SheetBackend&) = delete;
  SheetBackend& operator=(const SheetBackend&) = delete;

  virtual int RunModal(Handle owner) = 0;
  virtual void EndModalLoop(int result) = 0;
  virtual void EndModalState() = 0;
  virtual bool IsOpen() const = 0;
  virtual Handle window() const = 0;
  virtual bool IsVisible() const = 0;
  // While open: the page just appended at `index`; the page at `index` about to leave.
  virtual void PageAdded(int index) = 0;
  virtual void PageRemoving(int index) = 0;
  virtual bool SetActivePage(int index) = 0;
  virtual int ActiveIndex() const = 0;
  virtual bool HasTabControl() const = 0;
  virtual void ModifyTabStyle(std::uint32_t remove, std::uint32_t add) = 0;
  virtual std::uint32_t TabStyle() const = 0;
  virtual int TabCount() const = 0;
  virtual int SelectedTab() const = 0;
  virtual Rect TabItemRect(int index) const = 0;
  virtual void RedrawTabs() = 0;
  virtual std::string CurrentPageWindowText(std::size_t maxBytes) const = 0;
  virtual void EnableSheetButton(int itemId, bool enable) = 0;
  virtual bool SheetButtonShown(int itemId) const = 0;
  virtual bool SheetButtonEnabled(int itemId) const = 0;
  virtual LResult SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) = 0;

 protected:
  PropertySheet& sheet() const { return sheet_; }
  static void SetPageWindow(PropertyPage& page, Handle window) { page.window_ = window; }

 private:
  PropertySheet& sheet_;
};

}  // namespace fw
