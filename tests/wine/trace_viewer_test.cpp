// The viewer route of the trace, against the real Brisken Debug View program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "diag/trace.h"
#include "framework/platform.h"
#include "support/wine_process.h"

namespace {

using namespace winetest;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(TraceToViewer, ReachesARunningViewerWithTheZeroCounted) {
  ScratchFolder folder;
  const std::string log = folder.File("viewer.log");
  std::string command = ProgramFolder();
  command.insert(0, 1, '"');
  command += "\\brisken-view.exe\" --log ";
  command += log;
  DebuggedProcess viewer(command);
  HWND window = WaitForWindow(kViewerWindowClass, kViewerWindowTitle);
  ASSERT_NE(window, nullptr);

  TraceToViewer("%d", 2);  // SendMessage: returns once the viewer has handled it
  TraceToViewer("link %s", "down");
  EXPECT_EQ(ReadFile(log), "cbData=2 dwData=0 text=2\ncbData=10 dwData=0 text=link down\n");

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(viewer.WaitForExit());
}

TEST(TraceToViewer, DoesNothingWithoutAViewer) {
  ASSERT_TRUE(WaitForNoWindow(kViewerWindowClass, kViewerWindowTitle));
  TraceToViewer("%d", 2);  // must return at once, with no window to send to
  // The route the trace takes finds no viewer, and the call made none.
  EXPECT_FALSE(fw::Sys().SendCopyDataToWindow(kViewerWindowClass, kViewerWindowTitle, 0, 0, "2", 2));
  EXPECT_EQ(FindWindowA(kViewerWindowClass, kViewerWindowTitle), nullptr);
}

}  // namespace
