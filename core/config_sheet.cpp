// The window side of the configuration window: construction with its pages and events,
// tab titles, owner-drawn tabs, help, and the page side of the hand-shake.
#include <algorithm>
#include <cstring>

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "framework/platform.h"

namespace {
constexpr std::size_t kTabTitleCapture = 256;  // bytes copied, terminating zero included
constexpr int kTabTextDrop = 3;                // titles sit 3 pixels lower than the item
constexpr int kSelectedStripHeight = 3;
}  // namespace

CConfigUtility::CConfigUtility(const char* caption, fw::Handle parent, std::uint32_t startPage)
    : fw::PropertySheet(caption, parent, startPage) {
  headerFlags |= fw::psh::kNoApplyNow | fw::psh::kHasHelp;
  fw::PropertyPage* const pages[] = {&linkInfoPage, &configPage, &siteSurveyPage, &encryptionPage, &aboutPage};
  for (fw::PropertyPage* page : pages) page->flags |= fw::psp::kHasHelp;
  for (fw::PropertyPage* page : pages) AddPage(page);
  fw::Platform& sys = fw::Sys();
  background = sys.CreateEvent(true, true);
  forground = sys.CreateEvent(true, false);
}

CConfigUtility::~CConfigUtility() {
  fw::Platform& sys = fw::Sys();
  sys.CloseHandle(background);
  sys.CloseHandle(forground);
}

bool CConfigUtility::OnInitDialog() {
  const bool result = fw::PropertySheet::OnInitDialog();
  if (HasTabControl()) ModifyTabStyle(fw::tcs::kMultiline, 0);  // all tabs in one row
  EnableSheetButton(fw::sheetitem::kHelp, true);
  gSheetOpen = 1;

  ModifyTabStyle(0, fw::tcs::kOwnerDrawFixed);
  const int tabs = std::min(TabCount(), kMaxTabTitles);
  for (int i = 0; i < tabs; ++i) {
    SetActivePage(i);
    const std::string title = CurrentPageWindowText(kTabTitleCapture);
    std::memset(tabTitles[i], 0, kTabTitleSize);
    std::memcpy(tabTitles[i], title.data(), std::min(title.size(), kTabTitleCapture - 1));
  }
  SetActivePage(0);
  (void)result;
  return true;
}

void CConfigUtility::OnDrawItem(fw::DrawSurface& surface, int /*tabIndex*/) {
  // Every draw request repaints every tab, so the titles never go stale.
  const int tabs = TabCount();
  const int selected = SelectedTab();
  for (int i = 0; i < tabs; ++i) {
    fw::Rect rect = TabItemRect(i);
    surface.SetButtonFaceBackground();
    rect.top += kTabTextDrop;
    surface.DrawCentredText(i < kMaxTabTitles ? tabTitles[i] : "", rect);
    if (i == selected) {
      surface.FillButtonFace({rect.left, rect.bottom, rect.right + kTabTextDrop, rect.bottom + kSelectedStripHeight});
    }
  }
}

bool CConfigUtility::OnCommand(std::uint32_t id, std::uint32_t code) {
  if (id == fw::sheetitem::kHelpCommand) {
    OnHelp();
    return true;
  }
  return fw::PropertySheet::OnCommand(id, code);
}

void CConfigUtility::OnHelp() { SendToSheet(fw::psm::kCommandHelp, 0, 0); }

void CConfigUtility::BeginLibraryUse() {
  fw::Platform& sys = fw::Sys();
  sys.ResetEvent(background);
  // A time-out is not an error: the page goes on after 2000 ms.
  sys.WaitForEvent(forground, kHandshakeWaitMs);
}

void CConfigUtility::EndLibraryUse() { fw::Sys().SetEvent(background); }
