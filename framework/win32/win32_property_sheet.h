// The win32 backend of the property sheet: a real PropertySheetA created modeless (pages
// from the dialog templates of the program's module) and run under our own modal loop, so
// that EndModalLoop can end it from any thread without the pages' OK or Cancel handling.
// The sheet's window is subclassed from its creation on, so the sheet object sees its
// WM_INITDIALOG (after the common controls' own initialisation), WM_COMMAND and the
// WM_DRAWITEM requests of an owner-drawn tab strip.
#pragma once
#include "framework/win32/windows_h.h"

#include <atomic>
#include <vector>

#include "framework/property_sheet.h"

namespace fw {

// Draws on the device context of one WM_DRAWITEM.
class GdiDrawSurface : public DrawSurface {
 public:
  explicit GdiDrawSurface(HDC dc) : dc_(dc) {}
  ~GdiDrawSurface() override;
  GdiDrawSurface(const GdiDrawSurface&) = delete;
  GdiDrawSurface& operator=(const GdiDrawSurface&) = delete;

  void FillButtonFace(const Rect& rect) override;
  void SetButtonFaceBackground() override;
  void DrawCentredText(const std::string& text, const Rect& rect) override;

 private:
  HDC dc_;
  HBRUSH brush_ = nullptr;  // made on first use, released with the surface
};

class Win32SheetBackend : public SheetBackend {
 public:
  explicit Win32SheetBackend(PropertySheet& sheet) : SheetBackend(sheet) {}
  ~Win32SheetBackend() override;

  int RunModal(Handle owner) override;
  void EndModalLoop(int result) override;
  void EndModalState() override;
  bool IsOpen() const override { return hwnd_.load() != nullptr; }
  Handle window() const override { return hwnd_.load(); }
  bool IsVisible() const override;
  void PageAdded(int index) override;
  void PageRemoving(int index) override;
  bool SetActivePage(int index) override;
  int ActiveIndex() const override;
  bool HasTabControl() const override;
  void ModifyTabStyle(std::uint32_t remove, std::uint32_t add) override;
  std::uint32_t TabStyle() const override;
  int TabCount() const override;
  int SelectedTab() const override;
  Rect TabItemRect(int index) const override;
  void RedrawTabs() override;
  std::string CurrentPageWindowText(std::size_t maxBytes) const override;
  void EnableSheetButton(int itemId, bool enable) override;
  bool SheetButtonShown(int itemId) const override;
  bool SheetButtonEnabled(int itemId) const override;
  LResult SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) override;

 private:
  static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSheetMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  PROPSHEETPAGEA PageRecord(PropertyPage& page) const;
  HWND Sheet() const { return static_cast<HWND>(hwnd_.load()); }
  HWND Tabs() const;
  void ReenableOwner();

  std::atomic<Handle> hwnd_{nullptr};
  WNDPROC originalProc_ = nullptr;
  std::atomic<DWORD> uiThread_{0};
  HWND owner_ = nullptr;
  std::atomic<bool> ownerDisabled_{false};
  std::atomic<bool> reenableRequested_{false};
  std::atomic<bool> armed_{false};
  std::atomic<bool> endRequested_{false};
  std::atomic<int> endResult_{0};
  int UserResult(HWND sheetWindow) const;
  int userResult_ = 0;  // the last OK (IDOK) or Cancel (IDCANCEL) command the sheet received
};

}  // namespace fw
