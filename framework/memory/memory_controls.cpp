#include "framework/memory/memory_controls.h"

#include <algorithm>
#include <cctype>

#include "framework/dialog_template.h"
#include "framework/memory/memory_platform.h"

namespace fw {

namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kEsPassword = 0x20;
constexpr std::uint32_t kEsReadOnly = 0x800;
constexpr std::uint32_t kCbsTypeMask = 0x3;
constexpr std::uint32_t kCbsDropDownList = 0x3;
constexpr std::uint32_t kCbsSort = 0x100;
constexpr std::uint32_t kLbsNotify = 0x1;
constexpr std::uint32_t kLbsSort = 0x2;
constexpr std::uint32_t kBsPushButton = 0x0, kBsDefPushButton = 0x1, kBsCheckBox = 0x2,
                        kBsAutoCheckBox = 0x3, kBsRadioButton = 0x4, kBs3State = 0x5,
                        kBsAuto3State = 0x6, kBsGroupBox = 0x7, kBsAutoRadioButton = 0x9;
constexpr int kMaxEditLimit = 0x7FFFFFFE;

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// What a single-line edit takes from a pasted text: its first line.
std::string FirstLine(const std::string& text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

// ------------------------------------------------------------------ state

bool MemoryControls::Control::enabled() const { return (style & kWsDisabled) == 0; }
bool MemoryControls::Control::visible() const { return (style & kWsVisible) != 0; }
bool MemoryControls::Control::readOnly() const { return (style & kEsReadOnly) != 0; }
bool MemoryControls::Control::comboHasEdit() const {
  return isCombo() && (style & kCbsTypeMask) != kCbsDropDownList;
}

void MemoryControls::CreateDialogControls(Handle dialog, std::uint32_t templateId, EventTarget* target) {
  Dialog& d = dialogs_[dialog];
  d.target = target;
  d.controls.clear();
  d.focus = 0;
  const DialogTemplate* t = FindDialogTemplate(templateId);
  if (t == nullptr) return;
  for (const ControlTemplate& ct : t->controls) {
    Control c;
    c.id = ct.id;
    c.className = ct.className;
    c.style = ct.style;
    c.text = ct.text;
    if (c.isEdit() && (c.style & kEsPassword) != 0) c.passwordChar = '*';
    if (c.isCombo()) c.text.clear();
    d.controls.push_back(std::move(c));
  }
}

void MemoryControls::DestroyDialogControls(Handle dialog) { dialogs_.erase(dialog); }

std::vector<int> MemoryControls::ControlIds(Handle dialog) const {
  std::vector<int> ids;
  auto it = dialogs_.find(dialog);
  if (it != dialogs_.end())
    for (const Control& c : it->second.controls) ids.push_back(c.id);
  return ids;
}

int MemoryControls::RepaintCount(Handle dialog, int id) const {
  auto it = dialogs_.find(dialog);
  if (it == dialogs_.end()) return 0;
  for (const Control& c : it->second.controls)
    if (c.id == id) return c.repaints;
  return 0;
}

MemoryControls::Dialog* MemoryControls::FindDialog(Handle dialog) {
  if (dialog == nullptr) return nullptr;
  auto it = dialogs_.find(dialog);
  return it == dialogs_.end() ? nullptr : &it->second;
}

MemoryControls::Control* MemoryControls::Find(Handle dialog, int id) {
  Dialog* d = FindDialog(dialog);
  if (d == nullptr) return nullptr;
  for (Control& c : d->controls)
    if (c.id == id) return &c;
  return nullptr;
}

bool MemoryControls::Deliver(Handle dialog, PageEvent& event) {
  Dialog* d = FindDialog(dialog);
  if (d == nullptr || d->target == nullptr) return false;
  return d->target->OnEvent(event);
}

void MemoryControls::Command(Handle dialog, int id, std::uint32_t code) {
  // As WM_COMMAND through the page's window, so that what the page does there (a message
  // box, a nested loop) happens as it would for a real notification.
  platform_.SendMessage(dialog, msg::kCommand, (static_cast<WParam>(code) << 16) | (static_cast<WParam>(id) & 0xFFFF), 0);
}

void MemoryControls::NotifyRow(Handle dialog, int id, std::uint32_t code, int row,
                               std::uint32_t newState, std::uint32_t oldState) {
  PageEvent e;
  e.kind = EventKind::kNotify;
  e.id = id;
  e.code = code;
  e.item = row;
  e.newState = newState;
  e.oldState = oldState;
  Deliver(dialog, e);
}

void MemoryControls::TextChanged(Handle dialog, Control& c) {
  if (c.isCombo()) {
    Command(dialog, c.id, cbn::kEditUpdate);
    Command(dialog, c.id, cbn::kEditChange);
  } else {
    Command(dialog, c.id, en::kUpdate);
    Command(dialog, c.id, en::kChange);
  }
}

// ------------------------------------------------------------------ every control

bool MemoryControls::Exists(Handle dialog, int id) { return Find(dialog, id) != nullptr; }

std::string MemoryControls::ClassName(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  return c != nullptr ? c->className : std::string();
}

std::uint32_t MemoryControls::Style(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  return c != nullptr ? c->style : 0;
}

std::string MemoryControls::GetText(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return std::string();
  if (c->isCombo() && !c->comboHasEdit())
    return c->curSel >= 0 && c->curSel < static_cast<int>(c->items.size()) ? c->items[static_cast<std::size_t>(c->curSel)] : std::string();
  return c->text;
}

void MemoryControls::SetText(Handle dialog, int id, const std::string& text) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return;
  if (c->isCombo()) {
    if (c->comboHasEdit()) {
      c->text = text;  // the edit part; no notification
    } else {
      const int found = FindExact(*c, -1, text);
      if (found >= 0) c->curSel = found;
    }
    return;
  }
  c->text = text;
  if (c->isEdit()) {
    // The limit is for the user's input only; the caret goes to the start.
    c->selStart = c->selEnd = 0;
    TextChanged(dialog, *c);
  }
}

void MemoryControls::Enable(Handle dialog, int id, bool enable) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return;
  c->style = enable ? (c->style & ~kWsDisabled) : (c->style | kWsDisabled);
  if (!enable && FocusedId(dialog) == id) HandOnFocus(dialog, id);
}

void MemoryControls::HandOnFocus(Handle dialog, int id) {
  // The next enabled, visible tab stop after the control in template order, round to the
  // start of the page (the sheet's own buttons are not modelled); no focus when there is none.
  Dialog* d = FindDialog(dialog);
  const auto& all = d->controls;
  const auto self = static_cast<std::size_t>(
      std::find_if(all.begin(), all.end(), [id](const Control& c) { return c.id == id; }) - all.begin());
  for (std::size_t n = 1; n < all.size(); ++n) {
    const Control& next = all[(self + n) % all.size()];
    if (next.enabled() && next.visible() && (next.style & kWsTabStop) != 0) {
      SetFocus(dialog, next.id);
      return;
    }
  }
  d->focus = 0;
}

bool MemoryControls::IsEnabled(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  return c != nullptr && c->enabled();
}

void MemoryControls::Show(Handle dialog, int id, bool show) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return;
  c->style = show ? (c->style | kWsVisible) : (c->style & ~kWsVisible);
}

bool MemoryControls::IsVisible(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  return c != nullptr && c->visible();
}

void MemoryControls::SetFocus(Handle dialog, int id) {
  Dialog* d = FindDialog(dialog);
  Control* next = Find(dialog, id);
  if (d == nullptr || next == nullptr || d->focus == id) return;
  const int previous = d->focus;
  d->focus = id;
  if (Control* old = Find(dialog, previous)) {
    if (old->isEdit()) Command(dialog, old->id, en::kKillFocus);
    if (old->isCombo()) Command(dialog, old->id, cbn::kKillFocus);
  }
  if (next->isEdit()) Command(dialog, next->id, en::kSetFocus);
  if (next->isCombo()) Command(dialog, next->id, cbn::kSetFocus);
}

int MemoryControls::FocusedId(Handle dialog) {
  Dialog* d = FindDialog(dialog);
  return d != nullptr ? d->focus : 0;
}

FocusToken MemoryControls::FocusedWindow(Handle dialog) {
  const int id = FocusedId(dialog);
  return id != 0 ? FocusToken(dialog, id) : FocusToken();
}

void MemoryControls::RestoreFocus(const FocusToken& token) {
  if (!token.empty()) SetFocus(token.window_, token.id_);
}

void MemoryControls::RepaintNow(Handle dialog, int id) {
  if (Control* c = Find(dialog, id)) ++c->repaints;
}

// ------------------------------------------------------------------ messages

LResult MemoryControls::Send(Handle dialog, int id, std::uint32_t message, WParam wParam, LParam lParam) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return 0;
  if (c->isEdit()) return SendEdit(*c, message, wParam, lParam);
  if (c->isCombo()) return SendCombo(*c, message, wParam, lParam);
  if (c->isListBox()) return SendListBox(*c, message, wParam, lParam);
  if (c->isListView()) return SendListView(dialog, *c, message, wParam, lParam);
  if (c->isButton()) {
    if (message == bm::kGetCheck) return c->check;
    if (message == bm::kSetCheck) {
      c->check = static_cast<int>(wParam);
      return 0;
    }
    return 0;
  }
  if (c->isProgress()) {
    switch (message) {
      case pbm::kSetRange32: {
        const LResult previous = static_cast<LResult>((static_cast<std::uint32_t>(c->high) << 16) | (static_cast<std::uint32_t>(c->low) & 0xFFFF));
        c->low = static_cast<int>(wParam);
        c->high = static_cast<int>(lParam);
        c->pos = std::clamp(c->pos, std::min(c->low, c->high), std::max(c->low, c->high));
        return previous;
      }
      case pbm::kSetPos: {
        const int previous = c->pos;
        c->pos = std::clamp(static_cast<int>(wParam), std::min(c->low, c->high), std::max(c->low, c->high));
        return previous;
      }
      case pbm::kGetPos:
        return c->pos;
      case pbm::kGetRangeLimit:
        return wParam != 0 ? c->low : c->high;
      default:
        return 0;
    }
  }
  return 0;
}

LResult MemoryControls::SendEdit(Control& c, std::uint32_t message, WParam wParam, LParam lParam) {
  const int length = static_cast<int>(c.text.size());
  switch (message) {
    case em::kGetSel:
      return static_cast<LResult>((static_cast<std::uint32_t>(c.selEnd) << 16) | static_cast<std::uint32_t>(c.selStart));
    case em::kSetSel: {
      int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
      int end = static_cast<int>(lParam);
      if (start == -1) {  // removes the selection, the caret stays
        c.selStart = c.selEnd;
        return 0;
      }
      if (start < 0 || start > length) start = length;
      if (end < 0 || end > length) end = length;
      c.selStart = std::min(start, end);
      c.selEnd = std::max(start, end);
      return 0;
    }
    case em::kLimitText:
      c.limit = wParam == 0 || wParam > static_cast<WParam>(kMaxEditLimit) ? kMaxEditLimit : static_cast<int>(wParam);
      return 0;
    case em::kGetLimitText:
      return c.limit;
    case em::kSetPasswordChar:
      c.passwordChar = static_cast<char>(wParam);
      c.style = wParam != 0 ? (c.style | kEsPassword) : (c.style & ~kEsPassword);
      return 0;
    case em::kGetPasswordChar:
      return static_cast<unsigned char>(c.passwordChar);
    case em::kSetReadOnly:
      c.style = wParam != 0 ? (c.style | kEsReadOnly) : (c.style & ~kEsReadOnly);
      return 1;
    default:
      return 0;
  }
}

int MemoryControls::AddItem(Control& c, const std::string& text, bool sorted) {
  std::size_t at = c.items.size();
  if (sorted) {
    at = 0;
    while (at < c.items.size() && CompareNoCase(c.items[at], text) < 0) ++at;
  }
  c.items.insert(c.items.begin() + static_cast<std::ptrdiff_t>(at), text);
  if (c.curSel >= static_cast<int>(at)) ++c.curSel;
  return static_cast<int>(at);
}

int MemoryControls::FindExact(const Control& c, int startAfter, const std::string& text) const {
  const int count = static_cast<int>(c.items.size());
  if (count == 0) return -1;
  // From the item after `startAfter` to the end, then from the top round to it.
  const int first = startAfter < -1 || startAfter >= count ? 0 : startAfter + 1;
  for (int n = 0; n < count; ++n) {
    const int i = (first + n) % count;
    if (CompareNoCase(c.items[static_cast<std::size_t>(i)], text) == 0) return i;
  }
  return -1;
}

void MemoryControls::SelectItem(Control& c, int index) {
  c.curSel = index;
  if (c.comboHasEdit()) {
    c.text = index >= 0 ? c.items[static_cast<std::size_t>(index)] : std::string();
    c.selStart = 0;
    c.selEnd = static_cast<int>(c.text.size());
  }
}

LResult MemoryControls::SendCombo(Control& c, std::uint32_t message, WParam wParam, LParam lParam) {
  const int count = static_cast<int>(c.items.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (message) {
    case cb::kGetCount:
      return count;
    case cb::kGetCurSel:
      return c.curSel;
    case cb::kSetCurSel:
      // No CBN_SELCHANGE: only the user's choice sends one. -1 clears the selection; another
      // index out of range leaves it (as Wine's combo box does).
      if (index == -1) {
        SelectItem(c, -1);
        return cb::kErr;
      }
      if (index < 0 || index >= count) return cb::kErr;
      SelectItem(c, index);
      return index;
    case cb::kDeleteString:
      if (index < 0 || index >= count) return cb::kErr;
      c.items.erase(c.items.begin() + index);
      if (c.curSel == index) c.curSel = -1;
      else if (c.curSel > index) --c.curSel;
      return count - 1;
    case cb::kResetContent:
      c.items.clear();
      c.curSel = -1;
      c.text.clear();
      return 0;
    case cb::kLimitText:
      c.limit = wParam == 0 ? kMaxEditLimit : static_cast<int>(wParam);
      return 1;
    case cb::kSetEditSel: {
      if (!c.comboHasEdit()) return cb::kErr;
      const int length = static_cast<int>(c.text.size());
      int start = static_cast<std::int16_t>(lParam & 0xFFFF);
      int end = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
      if (start < 0 || start > length) start = length;
      if (end < 0 || end > length) end = length;
      c.selStart = std::min(start, end);
      c.selEnd = std::max(start, end);
      return 1;
    }
    case cb::kGetEditSel:
      if (!c.comboHasEdit()) return cb::kErr;
      return static_cast<LResult>((static_cast<std::uint32_t>(c.selEnd) << 16) | static_cast<std::uint32_t>(c.selStart));
    default:
      return 0;
  }
}

LResult MemoryControls::SendListBox(Control& c, std::uint32_t message, WParam wParam, LParam lParam) {
  const int count = static_cast<int>(c.items.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (message) {
    case lb::kGetCount:
      return count;
    case lb::kGetCurSel:
      return c.curSel;
    case lb::kSetCurSel:
      if (index == -1) {
        c.curSel = -1;
        return -1;
      }
      if (index < 0 || index >= count) return -1;
      c.curSel = index;
      return index;
    case lb::kDeleteString:
      if (index < 0 || index >= count) return -1;
      c.items.erase(c.items.begin() + index);
      if (c.curSel == index) c.curSel = -1;
      else if (c.curSel > index) --c.curSel;
      return count - 1;
    case lb::kResetContent:
      c.items.clear();
      c.curSel = -1;
      return 0;
    default:
      return 0;
  }
}

LResult MemoryControls::SendListView(Handle dialog, Control& c, std::uint32_t message, WParam wParam, LParam lParam) {
  const int count = static_cast<int>(c.rows.size());
  switch (message) {
    case lvm::kGetItemCount:
      return count;
    case lvm::kDeleteItem: {
      const int row = static_cast<int>(static_cast<std::intptr_t>(wParam));
      if (row < 0 || row >= count) return 0;
      c.rows.erase(c.rows.begin() + row);
      c.rowSelected.erase(c.rowSelected.begin() + row);
      return 1;
    }
    case lvm::kDeleteAllItems:
      c.rows.clear();
      c.rowSelected.clear();
      return 1;
    case lvm::kGetNextItem: {
      if ((lParam & lvm::kNextSelected) == 0) return -1;
      const int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
      for (int i = start < 0 ? 0 : start + 1; i < count; ++i)
        if (c.rowSelected[static_cast<std::size_t>(i)]) return i;
      return -1;
    }
    case lvm::kSetExtendedStyle: {
      const std::uint32_t previous = c.exStyle;
      const auto mask = wParam == 0 ? ~std::uint32_t{0} : static_cast<std::uint32_t>(wParam);
      c.exStyle = (c.exStyle & ~mask) | (static_cast<std::uint32_t>(lParam) & mask);
      return previous;
    }
    case lvm::kGetExtendedStyle:
      return c.exStyle;
    default:
      return 0;
  }
}

LResult MemoryControls::SendWithText(Handle dialog, int id, std::uint32_t message, WParam wParam,
                                     const std::string& text) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return 0;
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  if (c->isCombo() || c->isListBox()) {
    const bool combo = c->isCombo();
    const bool sorted = combo ? (c->style & kCbsSort) != 0 : (c->style & kLbsSort) != 0;
    if (message == (combo ? cb::kAddString : lb::kAddString)) return AddItem(*c, text, sorted);
    if (message == (combo ? cb::kInsertString : lb::kInsertString)) {
      const int count = static_cast<int>(c->items.size());
      if (index > count) return cb::kErr;
      const int at = index < 0 ? count : index;
      c->items.insert(c->items.begin() + at, text);
      if (c->curSel >= at) ++c->curSel;
      return at;
    }
    if (message == (combo ? cb::kFindStringExact : lb::kFindStringExact)) return FindExact(*c, index, text);
    return 0;
  }
  if (c->isEdit() && message == em::kReplaceSel) {
    ReplaceSelection(dialog, *c, text, true);
    return 0;
  }
  return 0;
}

std::string MemoryControls::ItemText(Handle dialog, int id, int index) {
  Control* c = Find(dialog, id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return std::string();
  return c->items[static_cast<std::size_t>(index)];
}

// ------------------------------------------------------------------ list view

int MemoryControls::InsertColumn(Handle dialog, int id, int index, const std::string& text, int width, int format) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->isListView() || index < 0) return -1;
  const int at = std::min(index, static_cast<int>(c->columns.size()));
  c->columns.insert(c->columns.begin() + at, text);
  return at;
}

int MemoryControls::ColumnCount(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  return c != nullptr && c->isListView() ? static_cast<int>(c->columns.size()) : 0;
}

int MemoryControls::InsertRow(Handle dialog, int id, int index, const std::string& text) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->isListView() || index < 0) return -1;
  const int at = std::min(index, static_cast<int>(c->rows.size()));
  c->rows.insert(c->rows.begin() + at, std::vector<std::string>{text});
  c->rowSelected.insert(c->rowSelected.begin() + at, false);
  return at;
}

bool MemoryControls::SetCellText(Handle dialog, int id, int row, int column, const std::string& text) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->isListView() || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0)
    return false;
  auto& cells = c->rows[static_cast<std::size_t>(row)];
  if (column > 0 && column >= static_cast<int>(c->columns.size())) return false;
  if (static_cast<int>(cells.size()) <= column) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
  return true;
}

std::string MemoryControls::CellText(Handle dialog, int id, int row, int column) {
  Control* c = Find(dialog, id);
  if (c == nullptr || row < 0 || row >= static_cast<int>(c->rows.size()) || column < 0) return std::string();
  const auto& cells = c->rows[static_cast<std::size_t>(row)];
  return column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)] : std::string();
}

void MemoryControls::ChangeRowSelection(Handle dialog, Control& c, int row, bool selected) {
  if (c.rowSelected[static_cast<std::size_t>(row)] == selected) return;
  c.rowSelected[static_cast<std::size_t>(row)] = selected;
  NotifyRow(dialog, c.id, lvn::kItemChanged, row, selected ? lvis::kSelected : 0, selected ? 0 : lvis::kSelected);
}

bool MemoryControls::SetRowSelected(Handle dialog, int id, int row, bool selected) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->isListView() || row < 0 || row >= static_cast<int>(c->rows.size())) return false;
  ChangeRowSelection(dialog, *c, row, selected);
  return true;
}

// ------------------------------------------------------------------ the user

bool MemoryControls::UserClick(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->enabled() || !c->visible() || !c->isButton()) return false;
  const std::uint32_t type = c->buttonType();
  if (type == kBsGroupBox) return false;
  SetFocus(dialog, id);
  c = Find(dialog, id);  // the focus change may have run page code
  if (c == nullptr) return false;
  switch (type) {
    case kBsAutoCheckBox:
      c->check = c->check == 0 ? 1 : 0;
      break;
    case kBsAuto3State:
      c->check = (c->check + 1) % 3;
      break;
    case kBsAutoRadioButton: {
      // Unchecks the other automatic radio buttons of its group (from the control with
      // WS_GROUP at or before it, to the next one with WS_GROUP).
      Dialog* d = FindDialog(dialog);
      auto& all = d->controls;
      std::size_t self = 0;
      while (all[self].id != id) ++self;
      std::size_t first = self;
      while (first > 0 && (all[first].style & kWsGroup) == 0) --first;
      std::size_t last = self + 1;
      while (last < all.size() && (all[last].style & kWsGroup) == 0) ++last;
      for (std::size_t i = first; i < last; ++i)
        if (all[i].isButton() && all[i].buttonType() == kBsAutoRadioButton) all[i].check = 0;
      all[self].check = 1;
      break;
    }
    case kBsPushButton:
    case kBsDefPushButton:
    case kBsCheckBox:
    case kBsRadioButton:
    case kBs3State:
    default:
      break;
  }
  Command(dialog, id, bn::kClicked);
  return true;
}

bool MemoryControls::ReplaceSelection(Handle dialog, Control& c, const std::string& text, bool honourLimit) {
  const int length = static_cast<int>(c.text.size());
  const int start = std::clamp(c.selStart, 0, length);
  const int end = std::clamp(c.selEnd, start, length);
  std::string insert = text;
  if (honourLimit) {
    const int room = c.limit - (length - (end - start));
    if (room < static_cast<int>(insert.size())) {
      insert.resize(static_cast<std::size_t>(std::max(room, 0)));
      Command(dialog, c.id, c.isCombo() ? 0 : en::kMaxText);
      if (insert.empty() && start == end) return false;
    }
  }
  c.text = c.text.substr(0, static_cast<std::size_t>(start)) + insert + c.text.substr(static_cast<std::size_t>(end));
  c.selStart = c.selEnd = start + static_cast<int>(insert.size());
  if (c.isCombo()) c.curSel = -1;  // the box's choice no longer stands
  TextChanged(dialog, c);
  return true;
}

bool MemoryControls::PageLetsInput(Handle dialog, PageEvent& input) {
  if (Deliver(dialog, input) && input.verdict == KeyVerdict::kDropWithBeep) {
    platform_.MessageBeep(beep::kExclamation);
    return false;
  }
  return true;
}

bool MemoryControls::UserType(Handle dialog, int id, char ch) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->enabled() || !c->visible()) return false;
  if (!c->isEdit() && !c->comboHasEdit()) return false;
  if (c->isEdit()) {
    PageEvent e;
    e.kind = EventKind::kKeyChar;
    e.id = id;
    e.ch = ch;
    if (!PageLetsInput(dialog, e)) return true;
    c = Find(dialog, id);
    if (c == nullptr) return true;
    if (c->readOnly()) return true;
  }
  if (ch == '\b') {
    if (c->selStart == c->selEnd) {
      if (c->selStart == 0) return true;
      --c->selStart;
    }
    ReplaceSelection(dialog, *c, std::string(), false);
    return true;
  }
  if (static_cast<unsigned char>(ch) < 0x20) return true;  // other control characters
  ReplaceSelection(dialog, *c, std::string(1, ch), true);
  return true;
}

bool MemoryControls::UserPaste(Handle dialog, int id, const std::string& text) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->enabled() || !c->visible()) return false;
  if (!c->isEdit() && !c->comboHasEdit()) return false;
  if (c->isEdit() && c->readOnly()) return true;
  std::string line = FirstLine(text);
  if (c->isEdit()) {
    // The page sees the paste first, as with a typed character.
    PageEvent e;
    e.kind = EventKind::kPaste;
    e.id = id;
    e.text = line;
    if (!PageLetsInput(dialog, e)) return true;
    c = Find(dialog, id);
    if (c == nullptr) return true;
  }
  ReplaceSelection(dialog, *c, line, true);
  return true;
}

bool MemoryControls::UserChoose(Handle dialog, int id, int index) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->enabled() || !c->visible()) return false;
  if (index < 0 || index >= static_cast<int>(c->items.size())) return false;
  if (c->isCombo()) {
    SelectItem(*c, index);
    Command(dialog, id, cbn::kSelChange);
    return true;
  }
  if (c->isListBox()) {
    c->curSel = index;
    if ((c->style & kLbsNotify) != 0) Command(dialog, id, lbn::kSelChange);
    return true;
  }
  return false;
}

bool MemoryControls::UserClickRow(Handle dialog, int id, int row) {
  Control* c = Find(dialog, id);
  if (c == nullptr || !c->enabled() || !c->visible() || !c->isListView()) return false;
  const int count = static_cast<int>(c->rows.size());
  if (row >= count) row = -1;  // below the last row: on no row
  for (int i = 0; i < count; ++i)
    if (i != row) ChangeRowSelection(dialog, *c, i, false);
  if (row >= 0) ChangeRowSelection(dialog, *c, row, true);
  NotifyRow(dialog, id, nm::kClick, row, 0, 0);
  return true;
}

bool MemoryControls::UserDoubleClickRow(Handle dialog, int id, int row) {
  if (!UserClickRow(dialog, id, row)) return false;
  Control* c = Find(dialog, id);  // the click may have run page code
  if (c == nullptr) return true;
  if (row >= static_cast<int>(c->rows.size())) row = -1;
  NotifyRow(dialog, id, nm::kDblClk, row, 0, 0);
  return true;
}

void MemoryControls::UserMouseMove(Handle dialog, int x, int y, bool ctrl, bool shift) {
  PageEvent e;
  e.kind = EventKind::kMouseMove;
  e.x = x;
  e.y = y;
  e.ctrl = ctrl;
  e.shift = shift;
  Deliver(dialog, e);
}

void MemoryControls::UserContextHelp(Handle dialog, std::uint32_t helpContext) {
  PageEvent e;
  e.kind = EventKind::kContextHelp;
  e.helpContext = helpContext;
  Deliver(dialog, e);
}

ColourAnswer MemoryControls::AskColour(Handle dialog, int id) {
  Control* c = Find(dialog, id);
  if (c == nullptr) return ColourAnswer{};
  PageEvent e;
  e.kind = EventKind::kColour;
  e.id = id;
  // Which message the control would send: disabled and read-only edits ask as statics.
  if (c->isEdit()) {
    e.colourKind = c->enabled() && !c->readOnly() ? ColourKind::kEdit : ColourKind::kStatic;
  } else if (c->isCombo()) {
    if (!c->enabled()) e.colourKind = ColourKind::kStatic;
    else e.colourKind = c->comboHasEdit() ? ColourKind::kEdit : ColourKind::kListBox;
  } else if (c->isListBox()) {
    e.colourKind = ColourKind::kListBox;
  } else if (c->isButton()) {
    const std::uint32_t type = c->buttonType();
    e.colourKind = type == kBsPushButton || type == kBsDefPushButton ? ColourKind::kButton : ColourKind::kStatic;
  } else if (c->isListView() || c->isProgress()) {
    return ColourAnswer{};  // they paint without asking
  } else {
    e.colourKind = ColourKind::kStatic;
  }
  if (!Deliver(dialog, e)) return ColourAnswer{};
  return e.colour;
}

bool MemoryControls::FireTimer(Handle window, std::uintptr_t timerId) {
  return platform_.FireTimer(window, timerId);
}

}  // namespace fw
