#include "diag/trace.h"

#include <gtest/gtest.h>

#include "support/memory_platform_fixture.h"

namespace {

using TraceTest = MemoryPlatformTest;

TEST_F(TraceTest, TraceMessageFormatsOneLine) {
  TraceMessage("<M> targetid = <%s> ", "PCI\\VEN_1260");
  TraceMessage("dwWLFlag=(0x%X)", 0x1000E33u);
  EXPECT_EQ(sys.debugLines(),
            (std::vector<std::string>{"<M> targetid = <PCI\\VEN_1260> ", "dwWLFlag=(0x1000E33)"}));
}

TEST_F(TraceTest, TraceMessageIfWritesOnlyWhenCategoryMeetsMask) {
  TraceMessageIf(kTraceCategoryPolling, 0, "<t> Before PreventBlue");
  EXPECT_TRUE(sys.debugLines().empty());
  TraceMessageIf(kTraceCategoryPolling, 0x8000, "<t> pHostInfo->GMode =%i", 1);
  EXPECT_EQ(sys.debugLines(), std::vector<std::string>{"<t> pHostInfo->GMode =1"});
}

TEST_F(TraceTest, OverlongLinesAreCutToTheirBuffers) {
  const std::string longText(3000, 'x');
  TraceMessage("%s", longText.c_str());
  EXPECT_EQ(sys.debugLines().at(0), std::string(kTraceLineBufferSize - 1, 'x'));

  sys.foreignWindows.insert({kViewerWindowClass, kViewerWindowTitle});
  TraceToViewer("%s", longText.c_str());
  ASSERT_EQ(sys.copyDataSent.size(), 1u);
  EXPECT_EQ(sys.copyDataSent[0].cbData, kViewerLineBufferSize);
  EXPECT_EQ(sys.copyDataSent[0].bytes, std::string(kViewerLineBufferSize - 1, 'x') + '\0');
}

TEST_F(TraceTest, ViewerLineCarriesItsTerminatingZeroAndIsDroppedWithoutViewer) {
  TraceToViewer("%d", 2);
  EXPECT_TRUE(sys.copyDataSent.empty());

  sys.foreignWindows.insert({kViewerWindowClass, kViewerWindowTitle});
  TraceToViewer("%d", 2);
  ASSERT_EQ(sys.copyDataSent.size(), 1u);
  const fw::CopyDataRecord& record = sys.copyDataSent[0];
  EXPECT_EQ(record.cbData, 2u);
  EXPECT_EQ(record.bytes, std::string("2\0", 2));
  EXPECT_EQ(record.dwData, 0u);
  EXPECT_EQ(record.wParam, 0u);
}

}  // namespace
