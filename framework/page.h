// The shape of a page: a handler table per page class, (control id, notification code) ->
// member function, declared once in the order of the page's event table; and a data
// exchange declared once (DoDataExchange) and run in both directions by UpdateData.
//
//   class CAboutPage : public fw::Page<CAboutPage> {
//    public:
//     static std::span<const fw::Handler<CAboutPage>> Handlers();
//     ...
//   };
//   std::span<const fw::Handler<CAboutPage>> CAboutPage::Handlers() {
//     static const fw::Handler<CAboutPage> kTable[] = {
//         fw::OnCommand(IDC_X, fw::bn::kClicked, &CAboutPage::OnClickedX),
//         fw::OnMouseMove(&CAboutPage::OnMouseMove),
//     };
//     return kTable;
//   }
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "framework/controls.h"
#include "framework/page_events.h"
#include "framework/property_sheet.h"

namespace fw {

// Any timer id, in a timer row.
constexpr std::uintptr_t kAnyTimer = ~std::uintptr_t{0};

struct MouseMove {
  int x = 0, y = 0;
  bool ctrl = false, shift = false;
};

// One row of a page class's handler table.
template <class T>
struct Handler {
  using CommandFn = void (T::*)();
  using NotifyFn = void (T::*)(PageEvent& notification);  // item, states; set result
  using TimerFn = void (T::*)(std::uintptr_t timerId);
  using ColourFn = void (T::*)(int controlId, ColourKind kind, ColourAnswer& answer);
  using PaintFn = void (T::*)();
  using MouseMoveFn = void (T::*)(const MouseMove& move);
  using ContextHelpFn = void (T::*)(std::uint32_t helpContext);
  using KeyCharFn = KeyVerdict (T::*)(int editId, char ch);
  using PasteFn = KeyVerdict (T::*)(int editId, const std::string& text);

  EventKind kind;
  int id = 0;                // control id (command, notify, key char); 0 in the other rows
  std::uint32_t code = 0;    // notification code (command, notify)
  std::uintptr_t timerId = kAnyTimer;
  // Addressed by index: in the 32-bit build std::uintptr_t and std::uint32_t are one type, so
  // TimerFn and ContextHelpFn may be the same alternative twice.
  using Fn = std::variant<CommandFn, NotifyFn, TimerFn, ColourFn, MouseMoveFn, ContextHelpFn, KeyCharFn, PasteFn>;
  static constexpr std::size_t kCommandFn = 0, kNotifyFn = 1, kTimerFn = 2, kColourFn = 3, kMouseMoveFn = 4,
                               kContextHelpFn = 5, kKeyCharFn = 6, kPasteFn = 7;
  Fn fn;

  bool Matches(const PageEvent& e) const {
    if (e.kind != kind) return false;
    switch (kind) {
      case EventKind::kCommand:
      case EventKind::kNotify:
        return e.id == id && e.code == code;
      case EventKind::kKeyChar:
      case EventKind::kPaste:
        return e.id == id;
      case EventKind::kTimer:
        return timerId == kAnyTimer || e.timerId == timerId;
      default:
        return true;
    }
  }

  void Call(T& page, PageEvent& e) const {
    switch (kind) {
      case EventKind::kCommand:
      case EventKind::kPaint:
        (page.*std::get<kCommandFn>(fn))();
        break;
      case EventKind::kNotify:
        (page.*std::get<kNotifyFn>(fn))(e);
        break;
      case EventKind::kTimer:
        (page.*std::get<kTimerFn>(fn))(e.timerId);
        break;
      case EventKind::kColour:
        (page.*std::get<kColourFn>(fn))(e.id, e.colourKind, e.colour);
        break;
      case EventKind::kMouseMove:
        (page.*std::get<kMouseMoveFn>(fn))(MouseMove{e.x, e.y, e.ctrl, e.shift});
        break;
      case EventKind::kContextHelp:
        (page.*std::get<kContextHelpFn>(fn))(e.helpContext);
        break;
      case EventKind::kKeyChar:
        e.verdict = (page.*std::get<kKeyCharFn>(fn))(e.id, e.ch);
        break;
      case EventKind::kPaste:
        e.verdict = (page.*std::get<kPasteFn>(fn))(e.id, e.text);
        break;
    }
  }
};

// The rows, one maker per event kind.
template <class T>
Handler<T> OnCommand(int id, std::uint32_t code, void (T::*fn)()) {
  return Handler<T>{EventKind::kCommand, id, code, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kCommandFn>, fn)};
}
template <class T>
Handler<T> OnNotify(int id, std::uint32_t code, void (T::*fn)(PageEvent&)) {
  return Handler<T>{EventKind::kNotify, id, code, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kNotifyFn>, fn)};
}
template <class T>
Handler<T> OnTimer(void (T::*fn)(std::uintptr_t), std::uintptr_t timerId = kAnyTimer) {
  return Handler<T>{EventKind::kTimer, 0, 0, timerId, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kTimerFn>, fn)};
}
template <class T>
Handler<T> OnCtlColor(void (T::*fn)(int, ColourKind, ColourAnswer&)) {
  return Handler<T>{EventKind::kColour, 0, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kColourFn>, fn)};
}
template <class T>
Handler<T> OnPaint(void (T::*fn)()) {
  return Handler<T>{EventKind::kPaint, 0, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kCommandFn>, fn)};
}
template <class T>
Handler<T> OnMouseMove(void (T::*fn)(const MouseMove&)) {
  return Handler<T>{EventKind::kMouseMove, 0, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kMouseMoveFn>, fn)};
}
template <class T>
Handler<T> OnContextHelp(void (T::*fn)(std::uint32_t)) {
  return Handler<T>{EventKind::kContextHelp, 0, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kContextHelpFn>, fn)};
}
// Subclasses the edit `id`: each typed character is passed or dropped with a beep.
template <class T>
Handler<T> OnKeyChar(int id, KeyVerdict (T::*fn)(int, char)) {
  return Handler<T>{EventKind::kKeyChar, id, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kKeyCharFn>, fn)};
}

// Sees each paste into the edit `id` first: the text goes in, or nothing does and a beep sounds.
template <class T>
Handler<T> OnPaste(int id, KeyVerdict (T::*fn)(int, const std::string&)) {
  return Handler<T>{EventKind::kPaste, id, 0, kAnyTimer, typename Handler<T>::Fn(std::in_place_index<Handler<T>::kPasteFn>, fn)};
}

// A page class with a handler table: T::Handlers() gives the rows; the first row that
// matches an event takes it.
template <class T>
class Page : public PropertyPage {
 public:
  using PropertyPage::PropertyPage;

  bool OnEvent(PageEvent& event) override {
    for (const Handler<T>& row : T::Handlers()) {
      if (row.Matches(event)) {
        row.Call(static_cast<T&>(*this), event);
        return true;
      }
    }
    return false;
  }
};

}  // namespace fw
