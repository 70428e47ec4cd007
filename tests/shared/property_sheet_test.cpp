// The property sheet through its interface, on the backend of the platform in use (memory
// natively, a real PropertySheetA under Wine): page list, modal run, tabs, ending the loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "framework/memory/memory_property_sheet.h"
#include "framework/property_sheet.h"
#include "support/platform_fixture.h"
#include "support/sheet_test_support.h"

namespace {

using namespace sheettest;
using fw::PropertySheet;

constexpr std::uint32_t kWmCommand = fw::msg::kCommand;

class PropertySheetTest : public PlatformTest {
 protected:
  void AddAll(TestSheet& sheet, FivePages& pages, int count = kPageCount) {
    for (int i = 0; i < count; ++i) sheet.AddPage(&pages[i]);
  }
  std::vector<fw::PropertyPage*> Order(const PropertySheet& sheet) {
    std::vector<fw::PropertyPage*> order;
    for (int i = 0; i < sheet.GetPageCount(); ++i) order.push_back(sheet.GetPage(i));
    return order;
  }
};

TEST_F(PropertySheetTest, PagesKeepTheirOrderWhileClosed) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  ASSERT_EQ(sheet.GetPageCount(), 5);
  EXPECT_EQ(Order(sheet), (std::vector<fw::PropertyPage*>{&pages[0], &pages[1], &pages[2], &pages[3], &pages[4]}));
  EXPECT_EQ(pages[3].sheet(), &sheet);
  EXPECT_EQ(sheet.GetPage(-1), nullptr);
  EXPECT_EQ(sheet.GetPage(5), nullptr);

  // A null page and a second add of the same page change nothing.
  sheet.AddPage(nullptr);
  sheet.AddPage(&pages[1]);
  EXPECT_EQ(sheet.GetPageCount(), 5);

  // Removing from the middle keeps the others in order; a re-added page goes last.
  sheet.RemovePage(&pages[2]);
  EXPECT_EQ(Order(sheet), (std::vector<fw::PropertyPage*>{&pages[0], &pages[1], &pages[3], &pages[4]}));
  EXPECT_EQ(pages[2].sheet(), nullptr);
  sheet.RemovePage(&pages[2]);  // no longer here: nothing happens
  EXPECT_EQ(sheet.GetPageCount(), 4);
  sheet.AddPage(&pages[2]);
  EXPECT_EQ(Order(sheet), (std::vector<fw::PropertyPage*>{&pages[0], &pages[1], &pages[3], &pages[4], &pages[2]}));
  EXPECT_EQ(sheet.GetPageIndex(&pages[2]), 4);
  sheet.RemovePage(0);
  EXPECT_EQ(sheet.GetPage(0), &pages[1]);
  sheet.RemovePage(17);
  EXPECT_EQ(sheet.GetPageCount(), 4);

  // A page that goes away leaves the sheet instead of dangling in it.
  {
    CountingPage passing(kPages[4]);
    sheet.AddPage(&passing);
    EXPECT_EQ(sheet.GetPageCount(), 5);
  }
  EXPECT_EQ(sheet.GetPageCount(), 4);

  // A page of another sheet moves over.
  TestSheet other;
  other.AddPage(&pages[1]);
  EXPECT_EQ(pages[1].sheet(), &other);
  EXPECT_EQ(sheet.GetPageIndex(&pages[1]), -1);
}

TEST_F(PropertySheetTest, ClosedSheetHasNoWindowAndSetActivePageChoosesTheStartPage) {
  FivePages pages;
  TestSheet sheet(1);
  AddAll(sheet, pages);
  EXPECT_EQ(sheet.window(), nullptr);
  EXPECT_FALSE(sheet.IsVisible());
  EXPECT_FALSE(sheet.HasTabControl());
  EXPECT_EQ(sheet.TabCount(), 0);
  EXPECT_EQ(sheet.CurrentPageWindowText(256), "");
  EXPECT_EQ(sheet.SendToSheet(kWmCommand, 1, 0), 0);
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_TRUE(sheet.SetActivePage(3));
  EXPECT_EQ(sheet.GetActiveIndex(), 3);
  EXPECT_FALSE(sheet.SetActivePage(5));
  EXPECT_FALSE(sheet.SetActivePage(-1));
  EXPECT_EQ(sheet.GetActiveIndex(), 3);

  // The sheet opens on that page.
  int selected = -1;
  sheet.onInit = [&] {
    selected = sheet.SelectedTab();
    EndFromAnotherThread(sheet, 1);
  };
  RunGuarded(sheet);
  EXPECT_EQ(selected, 3);
  EXPECT_EQ(pages[3].calls.setActive, 1);
  EXPECT_EQ(pages[0].calls.initDialog, 0);
}

TEST_F(PropertySheetTest, DoModalInitialisesTheSheetThenEndModalLoopFromAnotherThreadEndsIt) {
  FivePages pages;
  TestSheet sheet(1);
  AddAll(sheet, pages);
  sheet.EndModalLoop(5);  // no sheet runs yet: ignored

  struct Seen {
    bool hasTabs = false;
    int tabs = 0, selected = -1, active = -1;
    bool startPageWindow = false, otherPageWindow = true;
    PageCalls startPage;
  } seen;
  sheet.onInit = [&] {
    seen.hasTabs = sheet.HasTabControl();
    seen.tabs = sheet.TabCount();
    seen.selected = sheet.SelectedTab();
    seen.active = sheet.GetActiveIndex();
    seen.startPageWindow = pages[1].window() != nullptr;
    seen.otherPageWindow = pages[0].window() != nullptr;
    seen.startPage = pages[1].calls;
    // The polling thread ends the window with result 1, which is also OK's value.
    EndFromAnotherThread(sheet, 1);
  };
  const int result = RunGuarded(sheet);

  EXPECT_EQ(result, 1);
  EXPECT_EQ(sheet.initCalls, 1);
  EXPECT_NE(sheet.windowAtInit, nullptr);
  EXPECT_TRUE(seen.hasTabs);
  EXPECT_EQ(seen.tabs, 5);
  EXPECT_EQ(seen.selected, 1);
  EXPECT_EQ(seen.active, 1);
  // The start page was made and activated before the sheet's own initialisation; the others
  // are made only when first shown.
  EXPECT_TRUE(seen.startPageWindow);
  EXPECT_FALSE(seen.otherPageWindow);
  EXPECT_EQ(seen.startPage.initDialog, 1);
  EXPECT_EQ(seen.startPage.setActive, 1);
  EXPECT_TRUE(pages[1].hadWindowAtInit);

  // Ending the loop is not OK: no page's OK, Apply, Cancel or leave handling ran.
  for (int i = 0; i < kPageCount; ++i) {
    EXPECT_EQ(pages[i].calls.apply, 0) << i;
    EXPECT_EQ(pages[i].calls.ok, 0) << i;
    EXPECT_EQ(pages[i].calls.cancel, 0) << i;
    EXPECT_EQ(pages[i].calls.killActive, 0) << i;
    EXPECT_EQ(pages[i].window(), nullptr) << i;
  }
  EXPECT_EQ(sheet.window(), nullptr);
  EXPECT_FALSE(sheet.IsVisible());
  EXPECT_EQ(platform().FindWindow(nullptr, kSheetCaption), nullptr);
}

// The configuration window's own OnInitDialog (CConfigUtility), shown twice in a row: the
// header and page flags, the tab style, the Help button, the captured titles, and the
// owner-drawn tabs.
TEST_F(PropertySheetTest, TheConfigurationWindowCapturesItsTabTitlesOnEveryShowingAndDrawsEveryTab) {
  CConfigUtility sheet(kSheetCaption, nullptr, 0);
  EXPECT_EQ(sheet.headerFlags & (fw::psh::kNoApplyNow | fw::psh::kHasHelp), fw::psh::kNoApplyNow | fw::psh::kHasHelp);
  for (int i = 0; i < sheet.GetPageCount(); ++i) EXPECT_NE(sheet.GetPage(i)->flags & fw::psp::kHasHelp, 0u) << i;
  platform().SetEvent(sheet.forground);  // the polling thread is between two cycles

  Later later(platform());
  struct Shown {
    fw::Handle found = nullptr;
    bool platformVisible = false, visible = false, helpShown = false, applyShown = true,
         helpEnabled = false;
    int selected = -1;
    std::uint32_t style = 0;
    int sheetOpen = 0;
    std::vector<fw::Rect> rects;
    std::vector<fw::DrawOp> drawn;
  } shown;
  for (int showing = 1; showing <= 2; ++showing) {
    std::memset(sheet.tabTitles, 0, sizeof(sheet.tabTitles));
    later.Post([&] {
      shown.found = platform().FindWindow(nullptr, kSheetCaption);
      shown.platformVisible = shown.found != nullptr && platform().IsWindowVisible(shown.found);
      shown.visible = sheet.IsVisible();
      shown.helpShown = sheet.SheetButtonShown(fw::sheetitem::kHelp);
      shown.applyShown = sheet.SheetButtonShown(fw::sheetitem::kApply);
      shown.helpEnabled = sheet.SheetButtonEnabled(fw::sheetitem::kHelp);
      shown.selected = sheet.SelectedTab();
      shown.style = sheet.TabStyle();
      shown.sheetOpen = gSheetOpen;
      shown.rects.clear();
      for (int i = 0; i < sheet.TabCount(); ++i) shown.rects.push_back(sheet.TabItemRect(i));
      // A draw request for one tab repaints them all; only the selected one gets the strip.
      sheet.SetActivePage(2);
      fw::RecordingDrawSurface surface;
      sheet.OnDrawItem(surface, 4);
      shown.drawn = surface.ops;
      sheet.EndModalLoop(fw::mb::kIdCancel);
    });
    ASSERT_EQ(RunGuarded(sheet), fw::mb::kIdCancel) << showing;
    for (int i = 0; i < kPageCount; ++i) EXPECT_STREQ(sheet.tabTitles[i], kPages[i].caption) << showing;
    EXPECT_EQ(shown.style & fw::tcs::kMultiline, 0u);
    EXPECT_EQ(shown.style & fw::tcs::kOwnerDrawFixed, fw::tcs::kOwnerDrawFixed);
    EXPECT_EQ(shown.sheetOpen, 1);
    EXPECT_NE(shown.found, nullptr);
    EXPECT_TRUE(shown.platformVisible);
    EXPECT_TRUE(shown.visible);
    EXPECT_TRUE(shown.helpShown);
    EXPECT_FALSE(shown.applyShown);
    EXPECT_TRUE(shown.helpEnabled);
    EXPECT_EQ(shown.selected, 0);
    // One row of tabs, left to right.
    ASSERT_EQ(shown.rects.size(), 5u);
    std::vector<fw::DrawOp> expected;
    for (std::size_t i = 0; i < shown.rects.size(); ++i) {
      EXPECT_GT(shown.rects[i].right, shown.rects[i].left) << i;
      EXPECT_GT(shown.rects[i].bottom, shown.rects[i].top) << i;
      if (i > 0) {
        EXPECT_GT(shown.rects[i].left, shown.rects[i - 1].left) << i;
      }
      fw::Rect text = shown.rects[i];
      text.top += 3;
      expected.push_back({fw::DrawOp::kButtonFaceBackground, "", {}});
      expected.push_back({fw::DrawOp::kCentredText, kPages[i].caption, text});
      if (i == 2) expected.push_back({fw::DrawOp::kFillButtonFace, "", {text.left, text.bottom, text.right + 3, text.bottom + 3}});
    }
    EXPECT_EQ(shown.drawn, expected);
  }
}

TEST_F(PropertySheetTest, OwnerDrawnTabsGetOneDrawRequestPerTab) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  sheet.onInit = [&] { sheet.ModifyTabStyle(fw::tcs::kMultiline, fw::tcs::kOwnerDrawFixed); };
  std::vector<int> drawnOnRedraw;
  Later later(platform());
  later.Post([&] {
    sheet.drawn.clear();
    sheet.RedrawTabs();
    drawnOnRedraw = sheet.drawn;
    sheet.EndModalLoop(fw::mb::kIdCancel);
  });
  RunGuarded(sheet);
  EXPECT_EQ(std::set<int>(drawnOnRedraw.begin(), drawnOnRedraw.end()), (std::set<int>{0, 1, 2, 3, 4}));
}

TEST_F(PropertySheetTest, TabsThatAreNotOwnerDrawnAreNotDrawnByTheSheet) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  Later later(platform());
  later.Post([&] {
    sheet.RedrawTabs();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  });
  RunGuarded(sheet);
  EXPECT_TRUE(sheet.drawn.empty());
}

// The user's OK and Cancel (WM_COMMAND IDOK / IDCANCEL to the sheet, as its buttons send)
// run the pages' handling, unlike EndModalLoop.
TEST_F(PropertySheetTest, OkAppliesTheCreatedPagesAndCancelResetsThem) {
  struct Case {
    fw::WParam button;
    int result;
  };
  for (const Case& c : {Case{fw::sheetitem::kOk, fw::mb::kIdOk}, Case{fw::sheetitem::kCancel, fw::mb::kIdCancel}}) {
    FivePages pages;
    TestSheet sheet;
    AddAll(sheet, pages);
    sheet.onInit = [&] {
      sheet.SetActivePage(2);  // pages 0 and 2 have windows now
      platform().PostMessage(sheet.window(), kWmCommand, c.button, 0);
    };
    EXPECT_EQ(RunGuarded(sheet), c.result) << c.button;
    const bool ok = c.button == fw::sheetitem::kOk;
    for (int i : {0, 2}) {
      EXPECT_EQ(pages[i].calls.apply, ok ? 1 : 0) << i;
      EXPECT_EQ(pages[i].calls.ok, ok ? 1 : 0) << i;
      EXPECT_EQ(pages[i].calls.cancel, ok ? 0 : 1) << i;
    }
    // Leaving page 0 for page 2 asked page 0; OK asked the current page once more.
    EXPECT_EQ(pages[0].calls.killActive, 1);
    EXPECT_EQ(pages[2].calls.killActive, ok ? 1 : 0);
    for (int i : {1, 3, 4}) {
      EXPECT_EQ(pages[i].calls.initDialog + pages[i].calls.apply + pages[i].calls.cancel, 0) << i;
    }
    EXPECT_EQ(sheet.window(), nullptr);
  }
}

// The other ways a user or another program closes the sheet: PSM_PRESSBUTTON and WM_CLOSE.
TEST_F(PropertySheetTest, PressedButtonsAndCloseRequestsEndLikeTheUser) {
  struct Case {
    std::uint32_t message;
    fw::WParam wParam;
    int result;
    bool applied;
  };
  const Case cases[] = {
      {fw::psm::kPressButton, fw::psbtn::kOk, fw::mb::kIdOk, true},
      {fw::psm::kPressButton, fw::psbtn::kCancel, fw::mb::kIdCancel, false},
      {fw::msg::kClose, 0, fw::mb::kIdCancel, false},
  };
  for (const Case& c : cases) {
    FivePages pages;
    TestSheet sheet;
    AddAll(sheet, pages);
    sheet.onInit = [&] { platform().PostMessage(sheet.window(), c.message, c.wParam, 0); };
    EXPECT_EQ(RunGuarded(sheet), c.result) << c.message << " " << c.wParam;
    EXPECT_EQ(pages[0].calls.ok, c.applied ? 1 : 0) << c.message << " " << c.wParam;
    EXPECT_EQ(pages[0].calls.cancel, c.applied ? 0 : 1) << c.message << " " << c.wParam;
  }
}

// A page that refuses activation passes it on to the next page in the direction of travel.
TEST_F(PropertySheetTest, ARefusedActivationMovesOnToTheNextPage) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  pages[1].acceptActivation = false;
  bool changed = false;
  int active = -1;
  std::string text;
  sheet.onInit = [&] {
    changed = sheet.SetActivePage(1);
    active = sheet.GetActiveIndex();
    text = sheet.CurrentPageWindowText(256);
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  RunGuarded(sheet);
  EXPECT_TRUE(changed);
  EXPECT_EQ(active, 2);
  EXPECT_EQ(text, "Site Survey");
  EXPECT_EQ(pages[1].calls.initDialog, 1);
  EXPECT_EQ(pages[1].calls.setActive, 1);
  EXPECT_EQ(pages[2].calls.setActive, 1);
}

TEST_F(PropertySheetTest, InvalidChangesKeepTheSheetOpenOnOk) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  pages[0].applyValid = false;
  bool stillOpen = false;
  Later later(platform());
  sheet.onInit = [&] {
    platform().PostMessage(sheet.window(), kWmCommand, fw::sheetitem::kOk, 0);
    later.Post([&] {
      stillOpen = sheet.window() != nullptr && sheet.IsVisible() && sheet.GetActiveIndex() == 0;
      sheet.EndModalLoop(3);
    });
  };
  EXPECT_EQ(RunGuarded(sheet), 3);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(pages[0].calls.apply, 1);
  EXPECT_EQ(pages[0].calls.ok, 0);
}

TEST_F(PropertySheetTest, APageThatMayNotBeLeftKeepsTheSelection) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  pages[0].mayLeave = false;
  bool changed = true;
  int active = -1;
  sheet.onInit = [&] {
    changed = sheet.SetActivePage(1);
    active = sheet.GetActiveIndex();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  RunGuarded(sheet);
  EXPECT_FALSE(changed);
  EXPECT_EQ(active, 0);
  EXPECT_EQ(pages[0].calls.killActive, 1);
  EXPECT_EQ(pages[1].calls.initDialog, 0);
}

TEST_F(PropertySheetTest, PagesAddedAndRemovedWhileOpenFollowTheTabs) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages, 4);  // Link Info, Configuration, Site Survey, Encryption
  struct Seen {
    int tabsAfterRemove = 0, countAfterRemove = 0;
    bool removedWindowGone = false;
    int tabsAfterAdd = 0;
    std::string addedText;
    bool addedMade = false;
    int activeAfterRemovingActive = -1, tabsAtEnd = 0;
  } seen;
  sheet.onInit = [&] { sheet.SetActivePage(2); };
  Later later(platform());
  later.Post([&] {
    sheet.SetActivePage(1);
    sheet.RemovePage(&pages[2]);  // Site Survey, made above, goes
    seen.tabsAfterRemove = sheet.TabCount();
    seen.countAfterRemove = sheet.GetPageCount();
    seen.removedWindowGone = pages[2].window() == nullptr;
    sheet.AddPage(&pages[4]);  // About joins at the end
    seen.tabsAfterAdd = sheet.TabCount();
    seen.addedMade = sheet.SetActivePage(3) && pages[4].window() != nullptr;
    seen.addedText = sheet.CurrentPageWindowText(256);
    // Removing the current page moves to the one before it.
    sheet.RemovePage(3);
    seen.activeAfterRemovingActive = sheet.GetActiveIndex();
    seen.tabsAtEnd = sheet.TabCount();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  });
  RunGuarded(sheet);
  EXPECT_EQ(seen.tabsAfterRemove, 3);
  EXPECT_EQ(seen.countAfterRemove, 3);
  EXPECT_TRUE(seen.removedWindowGone);
  EXPECT_EQ(seen.tabsAfterAdd, 4);
  EXPECT_TRUE(seen.addedMade);
  EXPECT_EQ(seen.addedText, "About");
  EXPECT_EQ(seen.activeAfterRemovingActive, 2);
  EXPECT_EQ(seen.tabsAtEnd, 3);
  EXPECT_EQ(Order(sheet), (std::vector<fw::PropertyPage*>{&pages[0], &pages[1], &pages[3]}));
  EXPECT_EQ(pages[4].sheet(), nullptr);
}

TEST_F(PropertySheetTest, CommandsToTheSheetReachOnCommand) {
  FivePages pages;
  TestSheet sheet;
  sheet.headerFlags = fw::psh::kHasHelp;
  pages[0].flags = fw::psp::kHasHelp;
  AddAll(sheet, pages);
  Later later(platform());
  later.Post([&] {
    sheet.SendToSheet(kWmCommand, 4242, 0);
    // The Help button: its own command first, then ID_HELP through the current page.
    sheet.SendToSheet(kWmCommand, fw::sheetitem::kHelp, 0);
    sheet.EndModalLoop(fw::mb::kIdCancel);
  });
  RunGuarded(sheet);
  EXPECT_EQ(sheet.commands, (std::vector<std::uint32_t>{4242, 9, 57670}));
}

TEST_F(PropertySheetTest, QuitEndsTheLoopAndStaysForTheOuterLoop) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  Later later(platform());
  later.Post([&] { platform().PostQuit(5); });
  EXPECT_EQ(RunGuarded(sheet), fw::mb::kIdCancel);
  EXPECT_EQ(sheet.window(), nullptr);
  EXPECT_EQ(platform().RunMessageLoop(), 5);
  for (int i = 0; i < kPageCount; ++i) EXPECT_EQ(pages[i].calls.cancel, 0) << i;
}

TEST_F(PropertySheetTest, ASheetDestroyedBehindTheLoopsBackEndsIt) {
  FivePages pages;
  TestSheet sheet;
  AddAll(sheet, pages);
  Later later(platform());
  later.Post([&] { platform().DestroyWindow(sheet.window()); });
  EXPECT_EQ(RunGuarded(sheet), fw::mb::kIdCancel);
  EXPECT_EQ(sheet.window(), nullptr);
  EXPECT_EQ(pages[0].window(), nullptr);
  EXPECT_EQ(pages[0].calls.cancel, 0);

  // The sheet opens again afterwards.
  later.Post([&] { sheet.EndModalLoop(9); });
  EXPECT_EQ(RunGuarded(sheet), 9);
  EXPECT_EQ(sheet.initCalls, 2);
}

}  // namespace
