// The memory backend of the property sheet: tabs, pages and buttons held in memory, with
// the notification order of the common controls' sheet (PSN_KILLACTIVE before a page change
// or OK, PSN_APPLY to the pages that have a window, PSN_RESET on Cancel, a refused
// activation skipping on to the next page). The sheet and each created page are windows of
// the MemoryPlatform, so FindWindow, IsWindowVisible, SendMessage and PostMessage see them.
//
// DoModal never blocks: it pumps the platform's posted messages and, when they run out
// while the sheet is still open, closes it and returns PropertySheet::kLeftOpen. Tests post
// what the user or another window would do (a tray click, a hide command, WM_COMMAND IDOK
// to the sheet) before calling DoModal, or from OnInitDialog.
#pragma once
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/memory/memory_platform.h"
#include "framework/property_sheet.h"

namespace fw {

// One call a tab-drawing routine made on its surface.
struct DrawOp {
  enum Kind { kFillButtonFace, kButtonFaceBackground, kCentredText };
  Kind kind = kFillButtonFace;
  std::string text;  // kCentredText only
  Rect rect;         // kFillButtonFace and kCentredText
  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

class RecordingDrawSurface : public DrawSurface {
 public:
  void FillButtonFace(const Rect& rect) override { ops.push_back({DrawOp::kFillButtonFace, "", rect}); }
  void SetButtonFaceBackground() override { ops.push_back({DrawOp::kButtonFaceBackground, "", {}}); }
  void DrawCentredText(const std::string& text, const Rect& rect) override {
    ops.push_back({DrawOp::kCentredText, text, rect});
  }
  std::vector<DrawOp> ops;
};

// One WM_DRAWITEM the sheet received: the tab (item id) and what was drawn for it.
struct DrawRequest {
  int tabIndex = 0;
  std::vector<DrawOp> ops;
};

struct SheetMessage {
  std::uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
};

class MemorySheetBackend : public SheetBackend, private WindowHandler {
 public:
  // The tab control's style when the sheet opens (as the common controls make it):
  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP | TCS_MULTILINE.
  static constexpr std::uint32_t kInitialTabStyle = 0x54030200;
  // Tab i occupies a fixed 70 x 18 cell from (2 + 70 i, 2).
  static Rect FakeTabRect(int index);

  MemorySheetBackend(PropertySheet& sheet, MemoryPlatform& platform);
  ~MemorySheetBackend() override;

  // --- what a test does as the user (the pages' handling runs, as with the real buttons)
  void PressOk();
  void PressCancel();
  void PressApply();
  void PressHelp();

  // --- what a test reads back
  Handle owner() const { return owner_; }
  bool ownerEnabled() const { return !ownerDisabled_; }
  int endModalStateCalls() const { return endModalStateCalls_; }
  std::vector<std::string> tabTexts() const { return tabTexts_; }
  std::vector<DrawRequest> drawRequests;   // every draw request the sheet answered
  std::vector<SheetMessage> sheetMessages;  // every message the sheet's window received

  // --- SheetBackend
  int RunModal(Handle owner) override;
  void EndModalLoop(int result) override;
  void EndModalState() override;
  bool IsOpen() const override { return open_; }
  Handle window() const override { return window_; }
  bool IsVisible() const override;
  void PageAdded(int index) override;
  void PageRemoving(int index) override;
  bool SetActivePage(int index) override;
  int ActiveIndex() const override { return active_; }
  bool HasTabControl() const override { return open_; }
  void ModifyTabStyle(std::uint32_t remove, std::uint32_t add) override;
  std::uint32_t TabStyle() const override { return tabStyle_; }
  int TabCount() const override { return static_cast<int>(tabTexts_.size()); }
  int SelectedTab() const override { return active_; }
  Rect TabItemRect(int index) const override;
  void RedrawTabs() override;
  std::string CurrentPageWindowText(std::size_t maxBytes) const override;
  void EnableSheetButton(int itemId, bool enable) override;
  bool SheetButtonShown(int itemId) const override;
  bool SheetButtonEnabled(int itemId) const override;
  LResult SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) override;

 private:
  struct PageWindow : WindowHandler {
    PropertyPage* page = nullptr;
    bool OnMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam,
                   LResult& result) override;
  };
  struct Button {
    bool shown = true;
    bool enabled = true;
  };

  bool OnMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam,
                 LResult& result) override;
  // Makes page `index` current: PSN_KILLACTIVE to the current page when `askCurrent`, then
  // the page's window is made if needed and PSN_SETACTIVE asked; a refusing page passes the
  // activation on in the direction of travel.
  bool Activate(int index, bool askCurrent);
  void CreatePageWindow(PropertyPage& page);
  void DestroyPageWindow(PropertyPage& page);
  void Paint();
  void Close();

  MemoryPlatform& platform_;
  bool open_ = false;
  Handle window_ = nullptr;
  bool destroyed_ = false;
  Handle owner_ = nullptr;
  std::atomic<bool> ownerDisabled_{false};
  std::atomic<int> endModalStateCalls_{0};
  std::atomic<bool> armed_{false};
  std::atomic<bool> endRequested_{false};
  std::atomic<int> endResult_{0};
  bool userEnded_ = false;
  int userResult_ = 0;
  int active_ = -1;
  std::uint32_t tabStyle_ = kInitialTabStyle;
  std::vector<std::string> tabTexts_;
  bool needsPaint_ = false;
  std::map<int, Button> buttons_;
  std::map<PropertyPage*, std::unique_ptr<PageWindow>> pageWindows_;
};

}  // namespace fw
