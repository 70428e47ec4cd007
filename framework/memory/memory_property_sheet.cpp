#include "framework/memory/memory_property_sheet.h"

namespace fw {

namespace {
std::uint32_t LowWord(WParam w) { return static_cast<std::uint32_t>(w & 0xFFFF); }
std::uint32_t HighWord(WParam w) { return static_cast<std::uint32_t>((w >> 16) & 0xFFFF); }
}  // namespace

Rect MemorySheetBackend::FakeTabRect(int index) {
  return Rect{2 + 70 * index, 2, 2 + 70 * (index + 1), 20};
}

MemorySheetBackend::MemorySheetBackend(PropertySheet& sheet, MemoryPlatform& platform)
    : SheetBackend(sheet), platform_(platform) {}

MemorySheetBackend::~MemorySheetBackend() {
  if (open_) Close();
}

bool MemorySheetBackend::PageWindow::OnMessage(Handle window, std::uint32_t message,
                                               WParam wParam, LParam lParam, LResult& result) {
  if (message == msg::kCreate || message == msg::kDestroy) return false;
  // The messages that carry only numbers are unpacked here as the win32 backend does;
  // the controls deliver their other events to the page directly.
  if (message == msg::kCommand || message == msg::kTimer) {
    PageEvent event;
    if (message == msg::kCommand) {
      event.kind = EventKind::kCommand;
      event.id = static_cast<int>(LowWord(wParam));
      event.code = HighWord(wParam);
    } else {
      event.kind = EventKind::kTimer;
      event.timerId = wParam;
    }
    if (page->OnEvent(event)) {
      result = 0;
      return true;
    }
  }
  return page->OnMessage(message, wParam, lParam, result);
}

int MemorySheetBackend::RunModal(Handle owner) {
  endRequested_ = false;
  armed_ = true;
  userEnded_ = false;
  destroyed_ = false;
  owner_ = owner;
  ownerDisabled_ = owner != nullptr;

  window_ = platform_.CreateTitledWindow(*this, sheet().caption().c_str(), false);
  if (window_ == nullptr) {
    armed_ = false;
    ownerDisabled_ = false;
    return PropertySheet::kCreateFailed;
  }
  open_ = true;
  active_ = -1;
  tabStyle_ = kInitialTabStyle;
  tabTexts_.clear();
  for (int i = 0; i < sheet().GetPageCount(); ++i) tabTexts_.push_back(sheet().GetPage(i)->caption());
  buttons_.clear();
  buttons_[sheetitem::kOk] = Button{true, true};
  buttons_[sheetitem::kCancel] = Button{true, true};
  buttons_[sheetitem::kApply] = Button{(sheet().headerFlags & psh::kNoApplyNow) == 0, false};
  buttons_[sheetitem::kHelp] = Button{(sheet().headerFlags & psh::kHasHelp) != 0, false};

  // The base initialisation: tabs, then the start page (the first one when out of range).
  if (sheet().GetPageCount() > 0) {
    int start = static_cast<int>(sheet().startPage());
    if (start >= sheet().GetPageCount()) start = 0;
    Activate(start, false);
  }
  sheet().OnInitDialog();
  if (!destroyed_) {
    platform_.SetWindowVisible(window_, true);
    needsPaint_ = true;
  }

  int result = PropertySheet::kLeftOpen;
  for (;;) {
    if (endRequested_) {
      result = endResult_;
      break;
    }
    if (userEnded_) {
      result = userResult_;
      break;
    }
    if (destroyed_) {
      result = mb::kIdCancel;
      break;
    }
    if (platform_.PumpOneMessage()) continue;
    if (needsPaint_) {
      // Painting comes after the posted messages, as WM_PAINT does.
      Paint();
      continue;
    }
    if (platform_.quitPending()) {
      result = mb::kIdCancel;  // the quit request stays queued for the outer loop
      break;
    }
    break;  // nothing left that could end the sheet: kLeftOpen
  }
  Close();
  return result;
}

void MemorySheetBackend::Close() {
  armed_ = false;
  for (int i = 0; i < sheet().GetPageCount(); ++i) DestroyPageWindow(*sheet().GetPage(i));
  pageWindows_.clear();
  ownerDisabled_ = false;
  if (!destroyed_) platform_.DestroyWindow(window_);
  window_ = nullptr;
  open_ = false;
  active_ = -1;
  tabTexts_.clear();
  needsPaint_ = false;
}

void MemorySheetBackend::EndModalLoop(int result) {
  if (!armed_) return;
  endResult_ = result;
  endRequested_ = true;
}

void MemorySheetBackend::EndModalState() {
  ++endModalStateCalls_;
  ownerDisabled_ = false;
}

bool MemorySheetBackend::IsVisible() const { return open_ && platform_.IsWindowVisible(window_); }

void MemorySheetBackend::CreatePageWindow(PropertyPage& page) {
  auto handler = std::make_unique<PageWindow>();
  handler->page = &page;
  Handle h = platform_.CreateTitledWindow(*handler, page.caption().c_str(), false);
  pageWindows_[&page] = std::move(handler);
  platform_.memoryControls().CreateDialogControls(h, page.templateId(), &page);
  SetPageWindow(page, h);
  page.OnInitDialog();
}

void MemorySheetBackend::DestroyPageWindow(PropertyPage& page) {
  if (page.window() == nullptr) return;
  Handle h = page.window();
  SetPageWindow(page, nullptr);
  platform_.DestroyWindow(h);
  platform_.memoryControls().DestroyDialogControls(h);
  pageWindows_.erase(&page);
}

bool MemorySheetBackend::Activate(int index, bool askCurrent) {
  const int count = sheet().GetPageCount();
  if (index < 0 || index >= count) return false;
  const int from = active_;
  if (askCurrent && from >= 0 && !sheet().GetPage(from)->OnKillActive()) return false;
  int target = index;
  for (;;) {
    PropertyPage& page = *sheet().GetPage(target);
    if (page.window() == nullptr) CreatePageWindow(page);
    if (page.OnSetActive()) break;
    target += target > from ? 1 : -1;
    if (target < 0 || target >= count) return false;  // every page on the way refused
  }
  if (from >= 0 && from != target) {
    if (Handle old = sheet().GetPage(from)->window()) platform_.SetWindowVisible(old, false);
  }
  PropertyPage& page = *sheet().GetPage(target);
  platform_.SetWindowVisible(page.window(), true);
  active_ = target;
  buttons_[sheetitem::kHelp].enabled = (page.flags & psp::kHasHelp) != 0;
  needsPaint_ = true;
  return true;
}

bool MemorySheetBackend::SetActivePage(int index) { return Activate(index, true); }

void MemorySheetBackend::PageAdded(int index) {
  tabTexts_.push_back(sheet().GetPage(index)->caption());
  needsPaint_ = true;
  if (active_ < 0) Activate(index, false);
}

void MemorySheetBackend::PageRemoving(int index) {
  const int count = sheet().GetPageCount();
  if (index == active_) {
    // The common controls move to the previous page, or the next when the first goes.
    const int neighbour = index > 0 ? index - 1 : (count > 1 ? index + 1 : -1);
    if (neighbour < 0 || !Activate(neighbour, false)) {
      if (Handle h = sheet().GetPage(index)->window()) platform_.SetWindowVisible(h, false);
      active_ = -1;
    }
  }
  DestroyPageWindow(*sheet().GetPage(index));
  tabTexts_.erase(tabTexts_.begin() + index);
  if (active_ > index) --active_;
  needsPaint_ = true;
}

void MemorySheetBackend::ModifyTabStyle(std::uint32_t remove, std::uint32_t add) {
  tabStyle_ = (tabStyle_ & ~remove) | add;
}

Rect MemorySheetBackend::TabItemRect(int index) const {
  if (index < 0 || index >= TabCount()) return Rect{};
  return FakeTabRect(index);
}

void MemorySheetBackend::Paint() {
  needsPaint_ = false;
  if (!IsVisible()) return;
  if (PropertyPage* page = sheet().GetPage(active_); page != nullptr && page->window() != nullptr) {
    PageEvent paint;
    paint.kind = EventKind::kPaint;
    page->OnEvent(paint);
  }
  if ((tabStyle_ & tcs::kOwnerDrawFixed) == 0) return;
  for (int i = 0; i < TabCount(); ++i) {
    RecordingDrawSurface surface;
    sheet().OnDrawItem(surface, i);
    drawRequests.push_back({i, std::move(surface.ops)});
  }
}

void MemorySheetBackend::RedrawTabs() {
  needsPaint_ = true;
  if (IsVisible()) Paint();
}

std::string MemorySheetBackend::CurrentPageWindowText(std::size_t maxBytes) const {
  PropertyPage* page = sheet().GetPage(active_);
  if (page == nullptr || page->window() == nullptr || maxBytes == 0) return std::string();
  std::string text = platform_.WindowTitle(page->window());
  if (text.size() > maxBytes - 1) text.resize(maxBytes - 1);
  return text;
}

void MemorySheetBackend::EnableSheetButton(int itemId, bool enable) {
  auto it = buttons_.find(itemId);
  if (it != buttons_.end()) it->second.enabled = enable;
}

bool MemorySheetBackend::SheetButtonShown(int itemId) const {
  auto it = buttons_.find(itemId);
  return it != buttons_.end() && it->second.shown;
}

bool MemorySheetBackend::SheetButtonEnabled(int itemId) const {
  auto it = buttons_.find(itemId);
  return it != buttons_.end() && it->second.enabled;
}

LResult MemorySheetBackend::SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) {
  return platform_.SendMessage(window_, message, wParam, lParam);
}

void MemorySheetBackend::PressApply() {
  if (!open_) return;
  if (active_ >= 0 && !sheet().GetPage(active_)->OnKillActive()) return;
  for (int i = 0; i < sheet().GetPageCount(); ++i) {
    PropertyPage& page = *sheet().GetPage(i);
    if (page.window() != nullptr && !page.OnApply()) return;
  }
}

void MemorySheetBackend::PressOk() {
  if (!open_) return;
  if (active_ >= 0 && !sheet().GetPage(active_)->OnKillActive()) return;
  for (int i = 0; i < sheet().GetPageCount(); ++i) {
    PropertyPage& page = *sheet().GetPage(i);
    // PSNRET_INVALID_NOCHANGEPAGE: the sheet stays open on the current page.
    if (page.window() != nullptr && !page.OnApply()) return;
  }
  userResult_ = mb::kIdOk;
  userEnded_ = true;
}

void MemorySheetBackend::PressHelp() {
  // The Help button's notification, which no memory page answers, comes back as ID_HELP.
  if (open_) sheet().OnCommand(sheetitem::kHelpCommand, 0);
}

void MemorySheetBackend::PressCancel() {
  if (!open_) return;
  for (int i = 0; i < sheet().GetPageCount(); ++i) {
    PropertyPage& page = *sheet().GetPage(i);
    if (page.window() != nullptr) page.OnCancel();
  }
  userResult_ = mb::kIdCancel;
  userEnded_ = true;
}

bool MemorySheetBackend::OnMessage(Handle window, std::uint32_t message, WParam wParam,
                                   LParam lParam, LResult& result) {
  sheetMessages.push_back({message, wParam, lParam});
  result = 0;
  switch (message) {
    case msg::kCreate:
      return false;
    case msg::kDestroy:
      destroyed_ = true;
      return true;
    case msg::kCommand: {
      const std::uint32_t id = LowWord(wParam);
      if (sheet().OnCommand(id, HighWord(wParam))) return true;
      if (id == sheetitem::kOk) PressOk();
      if (id == sheetitem::kCancel) PressCancel();
      if (id == sheetitem::kApply && SheetButtonEnabled(sheetitem::kApply)) PressApply();
      if (id == static_cast<std::uint32_t>(sheetitem::kHelp)) PressHelp();
      return true;
    }
    case msg::kClose:
      PressCancel();
      return true;
    case psm::kSetCurSel:
      result = Activate(static_cast<int>(wParam), true) ? 1 : 0;
      return true;
    case psm::kPressButton:
      if (wParam == psbtn::kOk) PressOk();
      if (wParam == psbtn::kCancel) PressCancel();
      if (wParam == psbtn::kApplyNow) PressApply();
      if (wParam == psbtn::kHelp) PressHelp();
      return true;
    case psm::kCommandHelp:
      sheet().OnCommandHelp();
      return true;
    default:
      return false;
  }
}

}  // namespace fw
