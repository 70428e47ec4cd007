#include "framework/property_sheet.h"

#include <algorithm>

namespace fw {

PropertyPage::PropertyPage(std::uint32_t templateId, const char* caption)
    : templateId_(templateId), caption_(caption != nullptr ? caption : "") {}

PropertyPage::~PropertyPage() {
  if (sheet_ != nullptr) sheet_->RemovePage(this);
}

bool PropertyPage::UpdateData(bool saveAndValidate) {
  if (window_ == nullptr) return true;
  DataExchange dx(window_, saveAndValidate);
  DoDataExchange(dx);
  return dx.ok();
}

PropertySheet::PropertySheet(const char* caption, Handle parent, std::uint32_t startPage)
    : caption_(caption != nullptr ? caption : ""),
      parent_(parent),
      startPage_(startPage),
      backend_(Sys().CreateSheetBackend(*this)) {}

PropertySheet::~PropertySheet() {
  for (PropertyPage* page : pages_) page->sheet_ = nullptr;
  pages_.clear();
}

void PropertySheet::AddPage(PropertyPage* page) {
  if (page == nullptr || page->sheet_ == this) return;
  if (page->sheet_ != nullptr) page->sheet_->RemovePage(page);
  pages_.push_back(page);
  page->sheet_ = this;
  if (backend_->IsOpen()) backend_->PageAdded(static_cast<int>(pages_.size()) - 1);
}

void PropertySheet::RemovePage(PropertyPage* page) { RemovePage(GetPageIndex(page)); }

void PropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  if (backend_->IsOpen()) backend_->PageRemoving(index);
  PropertyPage* page = pages_[static_cast<std::size_t>(index)];
  pages_.erase(pages_.begin() + index);
  page->sheet_ = nullptr;
  page->window_ = nullptr;
}

int PropertySheet::GetPageCount() const { return static_cast<int>(pages_.size()); }

PropertyPage* PropertySheet::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int PropertySheet::GetPageIndex(const PropertyPage* page) const {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

bool PropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return false;
  if (backend_->IsOpen()) return backend_->SetActivePage(index);
  startPage_ = static_cast<std::uint32_t>(index);
  return true;
}

int PropertySheet::GetActiveIndex() const {
  if (backend_->IsOpen()) return backend_->ActiveIndex();
  return static_cast<int>(startPage_);
}

int PropertySheet::DoModal(Handle owner) {
  if (backend_->IsOpen()) return kCreateFailed;
  return backend_->RunModal(owner != nullptr ? owner : parent_);
}

void PropertySheet::EndModalLoop(int result) { backend_->EndModalLoop(result); }

void PropertySheet::EndModalState() { backend_->EndModalState(); }

Handle PropertySheet::window() const { return backend_->window(); }

bool PropertySheet::IsVisible() const { return backend_->IsVisible(); }

bool PropertySheet::OnInitDialog() { return true; }

void PropertySheet::OnDrawItem(DrawSurface& surface, int tabIndex) {}

bool PropertySheet::OnCommand(std::uint32_t id, std::uint32_t code) { return false; }

void PropertySheet::OnCommandHelp() {
  const PropertyPage* page = GetPage(GetActiveIndex());
  if (page != nullptr && page->helpTopic != 0) Sys().ShowHelp(page->helpTopic);
}

bool PropertySheet::HasTabControl() const { return backend_->IsOpen() && backend_->HasTabControl(); }

void PropertySheet::ModifyTabStyle(std::uint32_t remove, std::uint32_t add) {
  if (backend_->IsOpen()) backend_->ModifyTabStyle(remove, add);
}

std::uint32_t PropertySheet::TabStyle() const {
  return backend_->IsOpen() ? backend_->TabStyle() : 0;
}

int PropertySheet::TabCount() const { return backend_->IsOpen() ? backend_->TabCount() : 0; }

int PropertySheet::SelectedTab() const { return backend_->IsOpen() ? backend_->SelectedTab() : -1; }

Rect PropertySheet::TabItemRect(int index) const {
  return backend_->IsOpen() ? backend_->TabItemRect(index) : Rect{};
}

void PropertySheet::RedrawTabs() {
  if (backend_->IsOpen()) backend_->RedrawTabs();
}

std::string PropertySheet::CurrentPageWindowText(std::size_t maxBytes) const {
  if (!backend_->IsOpen() || maxBytes == 0) return std::string();
  return backend_->CurrentPageWindowText(maxBytes);
}

void PropertySheet::EnableSheetButton(int itemId, bool enable) {
  if (backend_->IsOpen()) backend_->EnableSheetButton(itemId, enable);
}

bool PropertySheet::SheetButtonShown(int itemId) const {
  return backend_->IsOpen() && backend_->SheetButtonShown(itemId);
}

bool PropertySheet::SheetButtonEnabled(int itemId) const {
  return backend_->IsOpen() && backend_->SheetButtonEnabled(itemId);
}

LResult PropertySheet::SendToSheet(std::uint32_t message, WParam wParam, LParam lParam) {
  return backend_->IsOpen() ? backend_->SendToSheet(message, wParam, lParam) : 0;
}

}  // namespace fw
