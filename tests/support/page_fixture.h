// Page behaviour tests written once for both backends: the page opens in a sheet on the
// platform in use (memory natively, a real property sheet under Wine), the test body runs
// inside the sheet's modal loop with the page's window and controls up, then the sheet is
// ended. The body plays the user through a UserDriver.
#pragma once
#include <functional>
#include <string>

#include "framework/dialog_template.h"
#include "support/platform_fixture.h"
#include "support/sheet_test_support.h"
#include "support/user_driver.h"

namespace fw {
extern const EmbeddedText kTestTemplateTexts[];
extern const std::size_t kTestTemplateTextsCount;
}  // namespace fw

class PageTest : public PlatformTest {
 protected:
  static constexpr int kBodyDone = 0x600D;

  void SetUp() override {
    PlatformTest::SetUp();
    // The test templates join the program's for the memory backend (once per process).
    static const bool added = [] {
      std::string header, rc, error;
      for (std::size_t i = 0; i < fw::kTestTemplateTextsCount; ++i) {
        const std::string path = fw::kTestTemplateTexts[i].path;
        (path.size() > 2 && path.substr(path.size() - 2) == ".h" ? header : rc) += fw::kTestTemplateTexts[i].text;
      }
      return fw::AddDialogTemplateSource(header, rc, error);
    }();
    ASSERT_TRUE(added);
  }

  // Opens `page` alone in a test sheet, runs `body` from the sheet's modal loop, and ends
  // the sheet. Returns the sheet's result: kBodyDone when the body ran.
  int RunOnPage(fw::PropertyPage& page, const std::function<void(UserDriver&)>& body) {
    sheettest::TestSheet sheet;
    sheet.AddPage(&page);
    return RunInSheet(sheet, page, body);
  }

  // The same in a given sheet (the configuration window, for a page that reaches its
  // sheet): the sheet opens on `page`; the body runs once the sheet's own initialisation is
  // done (which may have moved to another page: the page's window stays).
  int RunInSheet(fw::PropertySheet& sheet, fw::PropertyPage& page, const std::function<void(UserDriver&)>& body) {
    sheet.SetActivePage(sheet.GetPageIndex(&page));
    sheettest::Later later(platform());
    UserDriver user(sheet, page);
    later.Post([&] {
      body(user);
      sheet.EndModalLoop(kBodyDone);
    });
    return sheettest::RunGuarded(sheet);
  }
};
