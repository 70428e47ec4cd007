// The win32 property sheet where only real windows can tell: the loop blocked in
// GetMessage woken by another thread, the owner disabled and given back, the sheet's
// initialisation before it shows, the page templates of res/, and the GDI drawing surface.
#include <gtest/gtest.h>

#include "framework/win32/windows_h.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "framework/memory/memory_property_sheet.h"
#include "framework/win32/win32_property_sheet.h"
#include "res/resource.h"
#include "support/sheet_test_support.h"

namespace {

using namespace sheettest;

class NoOpHandler : public fw::WindowHandler {
 public:
  bool OnMessage(fw::Handle, std::uint32_t, fw::WParam, fw::LParam, fw::LResult&) override { return false; }
};

// A top-level window that owns the sheet, as the hidden main frame does.
struct Owner {
  Owner() { window = static_cast<HWND>(fw::Sys().CreateHiddenWindow(handler, "Tallwyn sheet test owner")); }
  ~Owner() { fw::Sys().DestroyWindow(window); }
  NoOpHandler handler;
  HWND window = nullptr;
};

TEST(Win32PropertySheet, AnotherThreadEndsTheRunningLoopAndGivesTheOwnerBack) {
  FivePages pages;
  TestSheet sheet;
  for (int i = 0; i < kPageCount; ++i) sheet.AddPage(&pages[i]);
  Owner owner;
  ASSERT_NE(owner.window, nullptr);
  ASSERT_TRUE(IsWindowEnabled(owner.window));

  std::atomic<bool> ownerEnabledWhileOpen{true};
  std::atomic<bool> sawSheet{false};
  // The "polling thread": finds the shown sheet by its title while the loop waits for
  // messages, then ends it as the product does on card loss.
  std::thread poller([&] {
    HWND found = nullptr;
    for (int i = 0; i < 1500 && found == nullptr; ++i) {
      HWND h = FindWindowA(nullptr, kSheetCaption);
      if (h != nullptr && IsWindowVisible(h)) found = h;
      else Sleep(10);
    }
    if (found == nullptr || found != sheet.window()) return;  // the watchdog ends the sheet
    sawSheet = true;
    ownerEnabledWhileOpen = IsWindowEnabled(owner.window) != FALSE;
    sheet.EndModalLoop(1);
    sheet.EndModalState();
  });
  const int result = RunGuarded(sheet, owner.window);
  poller.join();

  EXPECT_EQ(result, 1);
  EXPECT_TRUE(sawSheet);
  EXPECT_FALSE(ownerEnabledWhileOpen);
  EXPECT_TRUE(IsWindowEnabled(owner.window));
  EXPECT_EQ(FindWindowA(nullptr, kSheetCaption), nullptr);
  for (int i = 0; i < kPageCount; ++i) {
    EXPECT_EQ(pages[i].calls.ok + pages[i].calls.apply + pages[i].calls.cancel, 0) << i;
  }
}

TEST(Win32PropertySheet, EndModalStateOnTheWindowThreadEnablesTheOwnerAtOnce) {
  FivePages pages;
  TestSheet sheet;
  sheet.AddPage(&pages[0]);
  Owner owner;
  bool disabledFirst = false, enabledAfter = false;
  sheet.onInit = [&] {
    disabledFirst = !IsWindowEnabled(owner.window);
    sheet.EndModalState();
    enabledAfter = IsWindowEnabled(owner.window) != FALSE;
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  EXPECT_EQ(RunGuarded(sheet, owner.window), fw::mb::kIdCancel);
  EXPECT_TRUE(disabledFirst);
  EXPECT_TRUE(enabledAfter);
  EXPECT_TRUE(IsWindowEnabled(owner.window));
}

TEST(Win32PropertySheet, TheSheetInitialisesBeforeItShowsWithTheTabStyleTheMemoryBackendCopies) {
  FivePages pages;
  TestSheet sheet;
  for (int i = 0; i < kPageCount; ++i) sheet.AddPage(&pages[i]);
  bool visibleAtInit = true;
  std::uint32_t style = 0;
  sheet.onInit = [&] {
    visibleAtInit = IsWindowVisible(static_cast<HWND>(sheet.window())) != FALSE;
    style = sheet.TabStyle();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  RunGuarded(sheet);
  EXPECT_FALSE(visibleAtInit);
  EXPECT_EQ(style, fw::MemorySheetBackend::kInitialTabStyle);
}

TEST(Win32PropertySheet, PagesComeFromTheTemplatesOfTheProgram) {
  // Without a caption of their own the tabs and page windows carry the templates' captions.
  struct Untitled : fw::PropertyPage {
    explicit Untitled(std::uint32_t id) : PropertyPage(id, "") {}
  };
  std::vector<std::unique_ptr<Untitled>> pages;
  TestSheet sheet;
  for (const PageSpec& spec : kPages) {
    pages.push_back(std::make_unique<Untitled>(spec.templateId));
    sheet.AddPage(pages.back().get());
  }
  std::vector<std::string> titles, lines;
  sheet.onInit = [&] {
    for (int i = 0; i < sheet.TabCount(); ++i) {
      sheet.SetActivePage(i);
      titles.push_back(sheet.CurrentPageWindowText(256));
      char text[128] = {};
      // The Encryption template has its controls; the others still show one line of text.
      const int lineId = sheet.GetPage(i)->templateId() == IDD_ENCRYPTION ? IDC_ENCRYPTION_NOTICE : -1;
      GetWindowTextA(GetDlgItem(static_cast<HWND>(sheet.GetPage(i)->window()), lineId), text, sizeof(text));
      lines.push_back(text);
    }
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  RunGuarded(sheet);
  EXPECT_EQ(titles, (std::vector<std::string>{"Link Info", "Configuration", "Site Survey", "Encryption", "About"}));
  EXPECT_EQ(lines, (std::vector<std::string>{"Link Info page (template 183)", "Configuration page (template 182)",
                                             "Site Survey page (template 188)",
                                             "Your encryption settings must match those of your network, or your "
                                             "computer will be unable to communicate.",
                                             "About page (template 181)"}));
}

TEST(Win32PropertySheet, TheCloseBoxCancels) {
  FivePages pages;
  TestSheet sheet;
  sheet.AddPage(&pages[0]);
  sheet.onInit = [&] { PostMessageA(static_cast<HWND>(sheet.window()), WM_SYSCOMMAND, SC_CLOSE, 0); };
  EXPECT_EQ(RunGuarded(sheet), fw::mb::kIdCancel);
  EXPECT_EQ(pages[0].calls.cancel, 1);
}

TEST(Win32PropertySheet, AMissingTemplateFailsCleanly) {
  fw::PropertyPage missing(4999, "Missing");
  TestSheet sheet;
  sheet.AddPage(&missing);
  Owner owner;
  const int result = RunGuarded(sheet, owner.window);
  // Whatever the common controls make of it, the call returns and gives the owner back.
  EXPECT_NE(result, kWatchdogResult);
  EXPECT_TRUE(IsWindowEnabled(owner.window));
  EXPECT_EQ(sheet.window(), nullptr);
}

// The drawing surface on a memory bitmap: the button face fills exactly its rectangle, and
// text lands in the middle of its rectangle.
TEST(Win32PropertySheet, TheDrawSurfaceFillsTheButtonFaceAndCentresText) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 40);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all = {0, 0, 200, 40};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(face, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  {
    fw::GdiDrawSurface surface(dc);
    surface.FillButtonFace({0, 0, 50, 40});
    surface.SetButtonFaceBackground();
    EXPECT_EQ(GetBkColor(dc), face);
    SetBkMode(dc, TRANSPARENT);
    surface.DrawCentredText("II", {100, 0, 200, 40});
  }
  EXPECT_EQ(GetPixel(dc, 0, 0), face);
  EXPECT_EQ(GetPixel(dc, 49, 39), face);
  EXPECT_EQ(GetPixel(dc, 50, 20), RGB(255, 255, 255));
  // The text's dark pixels sit around the centre (150, 20) of its rectangle.
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 50; x < 200; ++x) {
      if (GetPixel(dc, x, y) == RGB(255, 255, 255)) continue;
      minX = std::min(minX, x), maxX = std::max(maxX, x);
      minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
  }
  ASSERT_GE(maxX, 0) << "no text drawn";
  EXPECT_GE(minX, 100);
  EXPECT_NEAR((minX + maxX) / 2.0, 150.0, 4.0);
  EXPECT_NEAR((minY + maxY) / 2.0, 20.0, 4.0);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
