// Property sheet and property page: the configuration window's frame. Shaped like the
// classic framework's CPropertySheet/CPropertyPage, with both backends behind it: win32
// (a real PropertySheetA run modeless under our own modal loop, pages from the dialog
// templates in res/) and memory (pages and tabs held in memory, for native tests).
//
// INTERFACE CONTRACT (used by core/config_utility and app/main_frame; keep these names):
//   PropertyPage(templateId, caption), flags (PSP_*), templateId(), caption(), window()
//   PropertySheet(caption, parent, startPage), headerFlags (PSH_*),
//   AddPage, RemovePage, GetPageCount, GetPage, SetActivePage, GetActiveIndex,
//   DoModal, EndModalLoop, EndModalState, window(), IsVisible(),
//   overridables OnInitDialog, OnDrawItem, OnCommand.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

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

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
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

class PropertyPage {
 public:
  PropertyPage(std::uint32_t templateId, const char* caption);
  virtual ~PropertyPage();
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  std::uint32_t templateId() const { return templateId_; }
  const std::string& caption() const { return caption_; }
  std::uint32_t flags = 0;  // psp:: bits
  Handle window() const { return window_; }  // the page's dialog while it exists
  PropertySheet* sheet() const { return sheet_; }

  // Overridables, as the classic framework calls them.
  virtual bool OnInitDialog() { return true; }
  virtual bool OnSetActive() { return true; }
  virtual bool OnKillActive() { return true; }
  virtual void OnOK() {}
  virtual void OnCancel() {}
  virtual bool OnApply() {
    OnOK();
    return true;
  }

 private:
  friend class PropertySheet;
  friend struct SheetBackend;
  std::uint32_t templateId_;
  std::string caption_;
  Handle window_ = nullptr;
  PropertySheet* sheet_ = nullptr;
};

class PropertySheet {
 public:
  PropertySheet(const char* caption, Handle parent, std::uint32_t startPage);
  virtual ~PropertySheet();
  PropertySheet(const PropertySheet&) = delete;
  PropertySheet& operator=(const PropertySheet&) = delete;

  std::uint32_t headerFlags = 0;  // psh:: bits
  const std::string& caption() const { return caption_; }

  void AddPage(PropertyPage* page);
  void RemovePage(PropertyPage* page);
  int GetPageCount() const;
  PropertyPage* GetPage(int index) const;
  bool SetActivePage(int index);
  int GetActiveIndex() const;

  // Creates the sheet modeless, disables the owner and runs a message loop until
  // EndModalLoop is called or the user closes the sheet; returns the result (mb::kIdOk,
  // mb::kIdCancel or the EndModalLoop value).
  int DoModal(Handle owner = nullptr);
  // Sets the result and wakes the modal loop; callable from any thread. Never runs the
  // pages' OK, Cancel or Apply handling.
  void EndModalLoop(int result);
  // Re-enables the owner of the modal loop.
  void EndModalState();

  Handle window() const;  // the sheet's window while shown, else null
  bool IsVisible() const;

  // Overridables.
  virtual bool OnInitDialog();                                    // base initialisation
  virtual void OnDrawItem(DrawSurface& surface, int tabIndex);    // an owner-drawn tab
  virtual bool OnCommand(std::uint32_t id, std::uint32_t code);   // true when handled

  // The tab strip, for OnInitDialog and OnDrawItem.
  bool HasTabControl() const;
  void ModifyTabStyle(std::uint32_t remove, std::uint32_t add);
  std::uint32_t TabStyle() const;
  int TabCount() const;
  int SelectedTab() const;
  Rect TabItemRect(int index) const;
  // The current page window's text (at most `maxBytes` - 1 characters).
  std::string CurrentPageWindowText(std::size_t maxBytes) const;
  // Enables or disables a button of the sheet by its dialog item id (9 = Help).
  void EnableSheetButton(int itemId, bool enable);
  // Sends a message to the sheet's own window.
  LResult SendToSheet(std::uint32_t message, WParam wParam, LParam lParam);

 private:
  friend struct SheetBackend;
  std::string caption_;
  Handle parent_;
  std::uint32_t startPage_;
  std::vector<PropertyPage*> pages_;
  struct State;
  State* state_;  // backend state
};

}  // namespace fw
