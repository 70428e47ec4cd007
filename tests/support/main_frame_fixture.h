// The main frame on the memory backend with a recording library behind Nivo(): the string
// table texts the frame shows, helpers to send it messages, and the library calls since a
// mark. FrameFixture leaves the frame's creation to the test; MainFrameTest creates it (the
// polling thread it starts is recorded, not run).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/quorvel_app.h"
#include "core/config_utility.h"
#include "driver/nivo_driver.h"
#include "framework/memory/memory_property_sheet.h"
#include "res/resource.h"
#include "support/app_fixture.h"
#include "support/recording_nivo.h"

class FrameFixture : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Nivo().Bind(fake.table());
    sys.strings = {{IDS_MENU_HIDE, "Hide Config Utility"},
                   {IDS_MENU_SHOW, "Show Config Utility"},
                   {IDS_MENU_EXIT, "Exit"},
                   {IDS_CARD_NOT_PRESENT, "The card is NOT present!"},
                   {IDS_DEVICE_CHANGE_FAILED, "Failed to change device configuration."},
                   {AFX_IDS_APP_TITLE, kUtilityTitle}};
  }
  void TearDown() override {
    Nivo().Bind(NivoFunctions{});
    AppTest::TearDown();
  }

  // The recorded calls since the last Mark.
  void Mark() { mark_ = fake.calls().size(); }
  std::vector<std::string> OperationsSinceMark() const {
    std::vector<std::string> out;
    const auto all = fake.calls();
    for (std::size_t i = mark_; i < all.size(); ++i) out.push_back(all[i].operation);
    return out;
  }
  std::vector<testing_nivo::NivoCall> CallsSinceMark(const std::string& operation) const {
    std::vector<testing_nivo::NivoCall> out;
    const auto all = fake.calls();
    for (std::size_t i = mark_; i < all.size(); ++i)
      if (all[i].operation == operation) out.push_back(all[i]);
    return out;
  }

  fw::MemorySheetBackend& SheetBackend() {
    return dynamic_cast<fw::MemorySheetBackend&>(gConfigSheet->backend());
  }

  testing_nivo::RecordingNivo fake;

 private:
  std::size_t mark_ = 0;
};

class MainFrameTest : public FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->Create(kUtilityTitle));
    sys.clearDebugLines();
    Mark();
  }
  void TearDown() override {
    if (frame != nullptr && frame->window() != nullptr) sys.DestroyWindow(frame->window());
    frame.reset();
    FrameFixture::TearDown();
  }

  fw::Handle Window() const { return frame->window(); }
  fw::LResult Send(std::uint32_t message, fw::WParam wParam = 0, fw::LParam lParam = 0) {
    return sys.SendMessage(Window(), message, wParam, lParam);
  }
  void Post(std::uint32_t message, fw::WParam wParam = 0, fw::LParam lParam = 0) {
    sys.PostMessage(Window(), message, wParam, lParam);
  }
  // A mouse message on the tray icon (first parameter: the icon id, ignored).
  void Tray(std::uint32_t mouseMessage) {
    Send(gIconPressedMessage, kTrayIconUid, static_cast<fw::LParam>(mouseMessage));
  }
  // Whether the configuration window was initialised (it captures the tab titles then).
  bool SheetWasShown() const { return gConfigSheet->tabTitles[0][0] != '\0'; }

  std::unique_ptr<CMainFrame> frame;
};
