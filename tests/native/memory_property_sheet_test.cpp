// The memory backend's own behaviour: a sheet left open by a test, the owner's enabled
// state, the recorded draw requests, the fake tab rectangles and the test's buttons.
#include <gtest/gtest.h>

#include "framework/memory/memory_property_sheet.h"
#include "support/memory_platform_fixture.h"
#include "support/sheet_test_support.h"

namespace {

using namespace sheettest;
using fw::DrawOp;
using fw::MemorySheetBackend;

class MemoryPropertySheetTest : public MemoryPlatformTest {
 protected:
  MemorySheetBackend& Backend(fw::PropertySheet& sheet) {
    auto* backend = dynamic_cast<MemorySheetBackend*>(&sheet.backend());
    EXPECT_NE(backend, nullptr);
    return *backend;
  }
};

class NoOpHandler : public fw::WindowHandler {
 public:
  bool OnMessage(fw::Handle, std::uint32_t, fw::WParam, fw::LParam, fw::LResult&) override { return false; }
};

TEST_F(MemoryPropertySheetTest, ASheetNothingEndsIsClosedAndReportedAsLeftOpen) {
  FivePages pages;
  TestSheet sheet;
  for (int i = 0; i < kPageCount; ++i) sheet.AddPage(&pages[i]);
  const std::size_t windowsBefore = sys.liveWindowCount();
  EXPECT_EQ(sheet.DoModal(), fw::PropertySheet::kLeftOpen);
  EXPECT_EQ(sheet.initCalls, 1);
  EXPECT_EQ(sheet.window(), nullptr);
  EXPECT_EQ(pages[0].window(), nullptr);
  EXPECT_EQ(sys.liveWindowCount(), windowsBefore);
  EXPECT_EQ(pages[0].calls.cancel, 0);
}

TEST_F(MemoryPropertySheetTest, TheOwnerIsDisabledWhileOpenAndEndModalStateGivesItBack) {
  FivePages pages;
  TestSheet sheet;
  sheet.AddPage(&pages[0]);
  NoOpHandler handler;
  fw::Handle owner = sys.CreateHiddenWindow(handler, "owner");
  MemorySheetBackend& backend = Backend(sheet);
  bool disabledAtInit = false, enabledAfterEndModalState = false;
  sheet.onInit = [&] {
    disabledAtInit = backend.owner() == owner && !backend.ownerEnabled();
    sheet.EndModalState();
    enabledAfterEndModalState = backend.ownerEnabled();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  EXPECT_EQ(sheet.DoModal(owner), fw::mb::kIdCancel);
  EXPECT_TRUE(disabledAtInit);
  EXPECT_TRUE(enabledAfterEndModalState);
  EXPECT_EQ(backend.endModalStateCalls(), 1);

  // Without EndModalState the owner still comes back when DoModal returns.
  sheet.onInit = [&] {
    disabledAtInit = !backend.ownerEnabled();
    sheet.EndModalLoop(fw::mb::kIdCancel);
  };
  sheet.DoModal(owner);
  EXPECT_TRUE(disabledAtInit);
  EXPECT_TRUE(backend.ownerEnabled());

  // The constructor's parent is the owner when DoModal names none.
  fw::PropertySheet parented("parented", owner, 0);
  parented.AddPage(&pages[1]);
  parented.DoModal();
  EXPECT_EQ(Backend(parented).owner(), owner);
}

// A sheet whose tabs draw their captions, to see what the recording surface keeps.
class DrawingSheet : public TestSheet {
 public:
  void OnDrawItem(fw::DrawSurface& surface, int tabIndex) override {
    fw::Rect rect = TabItemRect(tabIndex);
    surface.SetButtonFaceBackground();
    surface.DrawCentredText(GetPage(tabIndex)->caption(), rect);
    if (tabIndex == SelectedTab()) surface.FillButtonFace({rect.left, rect.bottom, rect.right, rect.bottom + 3});
  }
};

TEST_F(MemoryPropertySheetTest, OwnerDrawnTabsArePaintedAfterShowingAndRecorded) {
  FivePages pages;
  DrawingSheet sheet;
  for (int i = 0; i < 3; ++i) sheet.AddPage(&pages[i]);
  sheet.onInit = [&] {
    sheet.ModifyTabStyle(fw::tcs::kMultiline, fw::tcs::kOwnerDrawFixed);
    sheet.SetActivePage(1);
  };
  MemorySheetBackend& backend = Backend(sheet);
  EXPECT_EQ(sheet.DoModal(), fw::PropertySheet::kLeftOpen);

  // One paint once shown, not one per activation during the initialisation.
  ASSERT_EQ(backend.drawRequests.size(), 3u);
  const fw::Rect tab1{72, 2, 142, 20};
  EXPECT_EQ(MemorySheetBackend::FakeTabRect(1), tab1);
  for (int i = 0; i < 3; ++i) {
    const auto& request = backend.drawRequests[static_cast<std::size_t>(i)];
    EXPECT_EQ(request.tabIndex, i);
    ASSERT_GE(request.ops.size(), 2u);
    EXPECT_EQ(request.ops[0].kind, DrawOp::kButtonFaceBackground);
    EXPECT_EQ(request.ops[1], (DrawOp{DrawOp::kCentredText, kPages[i].caption, MemorySheetBackend::FakeTabRect(i)}));
    EXPECT_EQ(request.ops.size(), i == 1 ? 3u : 2u);
  }
  EXPECT_EQ(backend.drawRequests[1].ops[2], (DrawOp{DrawOp::kFillButtonFace, "", fw::Rect{72, 20, 142, 23}}));
}

TEST_F(MemoryPropertySheetTest, TheTestsButtonsRunThePagesHandling) {
  FivePages pages;
  TestSheet sheet;
  for (int i = 0; i < 2; ++i) sheet.AddPage(&pages[i]);
  MemorySheetBackend& backend = Backend(sheet);
  sheet.onInit = [&] { backend.PressOk(); };
  EXPECT_EQ(sheet.DoModal(), fw::mb::kIdOk);
  EXPECT_EQ(pages[0].calls.ok, 1);
  sheet.onInit = [&] { backend.PressCancel(); };
  EXPECT_EQ(sheet.DoModal(), fw::mb::kIdCancel);
  EXPECT_EQ(pages[0].calls.cancel, 1);
  EXPECT_EQ(pages[1].calls.cancel, 0);  // never shown: no window, no reset

  // The test's presses while closed do nothing.
  backend.PressOk();
  EXPECT_EQ(pages[0].calls.apply, 1);
}

TEST_F(MemoryPropertySheetTest, TheSheetWindowRecordsWhatItWasSentAndPagesGetTheirMessages) {
  struct MessagePage : CountingPage {
    using CountingPage::CountingPage;
    bool OnMessage(std::uint32_t message, fw::WParam wParam, fw::LParam, fw::LResult& result) override {
      if (message != 0x8001) return false;
      received.push_back(wParam);
      result = 42;
      return true;
    }
    std::vector<fw::WParam> received;
  };
  MessagePage page(kPages[0]);
  TestSheet sheet;
  sheet.AddPage(&page);
  fw::LResult answer = 0;
  sheet.onInit = [&] {
    sheet.SendToSheet(fw::psm::kCommandHelp, 0, 0);
    answer = sys.SendMessage(page.window(), 0x8001, 7, 0);
    sys.PostMessage(page.window(), 0x8001, 8, 0);
  };
  sheet.DoModal();
  MemorySheetBackend& backend = Backend(sheet);
  ASSERT_FALSE(backend.sheetMessages.empty());
  bool sawHelp = false;
  for (const auto& m : backend.sheetMessages) sawHelp |= m.message == fw::psm::kCommandHelp;
  EXPECT_TRUE(sawHelp);
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(page.received, (std::vector<fw::WParam>{7, 8}));
}

TEST_F(MemoryPropertySheetTest, AStartPageOutOfRangeOpensOnTheFirstPage) {
  FivePages pages;
  TestSheet sheet(9);
  for (int i = 0; i < 2; ++i) sheet.AddPage(&pages[i]);
  int selected = -1;
  sheet.onInit = [&] { selected = sheet.SelectedTab(); };
  sheet.DoModal();
  EXPECT_EQ(selected, 0);
}

}  // namespace
