// The shape of a top-level window that is not a page (the utility's hidden main frame): a
// message map per window class, (message) -> member function, declared once in the order of
// the window's message table. Each row unpacks the message's parameters once, into the types
// the member function takes, and says whether the system's default processing follows.
//
//   class CMainFrame : public fw::MessageMapWindow<CMainFrame> {
//    public:
//     static std::span<const fw::MessageRow<CMainFrame>> MessageMap();
//     ...
//   };
//   std::span<const fw::MessageRow<CMainFrame>> CMainFrame::MessageMap() {
//     static const fw::MessageRow<CMainFrame> kMap[] = {
//         fw::OnMessage<&CMainFrame::OnCreate>(fw::msg::kCreate),
//         fw::OnMenuCommand<&CMainFrame::OnCommand>(),
//         fw::OnMessage<&CMainFrame::OnTimer>(fw::msg::kTimer, fw::After::kDefault),
//         fw::OnRegisteredMessage<&CMainFrame::OnExitRequest>(&gElegantCloseMessage),
//     };
//     return kMap;
//   }
//
// A member function takes what its message carries, by type:
//   ()                      nothing
//   (fw::Handle)            the window (WM_CREATE: the window exists before CreateWindow returns)
//   (fw::LParam)            the lParam
//   (any other integer)     the wParam, converted
//   (integer, fw::LParam)   the wParam converted, then the lParam
// A member function that returns a value gives the message's answer; a void one answers 0.
#pragma once
#include <cstdint>
#include <span>
#include <type_traits>

#include "framework/messages.h"
#include "framework/platform.h"

namespace fw {

// What follows a handled message: nothing (the row's answer is final) or the system's
// default processing (the window procedure then answers what DefWindowProc answers).
enum class After : std::uint8_t { kConsumed, kDefault };

// One message as the window procedure received it.
struct WindowMessage {
  Handle window = nullptr;
  std::uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
};

template <class T>
struct MessageRow {
  std::uint32_t message = 0;                // a fixed message id; unused with `registered`
  const std::uint32_t* registered = nullptr;  // a registered message's id, read on arrival
  After after = After::kConsumed;
  LResult (*dispatch)(T& window, const WindowMessage& m) = nullptr;

  bool Matches(std::uint32_t id) const {
    if (registered == nullptr) return id == message;
    // A message that failed to register has id 0, which matches nothing.
    return *registered != 0 && id == *registered;
  }
};

namespace detail {

template <class F>
struct MemberTraits;
template <class R, class C, class... Args>
struct MemberTraits<R (C::*)(Args...)> {
  using Class = C;
};

template <class P>
P UnpackOne(const WindowMessage& m) {
  if constexpr (std::is_same_v<P, Handle>) {
    return m.window;
  } else if constexpr (std::is_same_v<P, LParam>) {
    return m.lParam;
  } else {
    return static_cast<P>(m.wParam);
  }
}

// Runs a handler and turns what it returns into the message's answer (0 for void).
template <class Invoke>
LResult Answer(Invoke invoke) {
  if constexpr (std::is_void_v<decltype(invoke())>) {
    invoke();
    return 0;
  } else {
    return static_cast<LResult>(invoke());
  }
}

// Calls `Fn` with the parameters its signature asks for, unpacked from `m`.
template <auto Fn, class T, class R>
LResult Call(T& window, const WindowMessage&, R (T::*)()) {
  return Answer([&] { return (window.*Fn)(); });
}
template <auto Fn, class T, class R, class P>
LResult Call(T& window, const WindowMessage& m, R (T::*)(P)) {
  return Answer([&] { return (window.*Fn)(UnpackOne<P>(m)); });
}
template <auto Fn, class T, class R, class W, class L>
LResult Call(T& window, const WindowMessage& m, R (T::*)(W, L)) {
  static_assert(std::is_same_v<L, LParam>, "the second parameter is the lParam");
  return Answer([&] { return (window.*Fn)(static_cast<W>(m.wParam), m.lParam); });
}

template <auto Fn>
using ClassOf = typename MemberTraits<decltype(Fn)>::Class;

template <auto Fn>
LResult Dispatch(ClassOf<Fn>& window, const WindowMessage& m) {
  return Call<Fn>(window, m, Fn);
}

template <auto Fn>
LResult DispatchMenuCommand(ClassOf<Fn>& window, const WindowMessage& m) {
  // WM_COMMAND from a menu or an accelerator: the command id is the wParam's low word.
  (window.*Fn)(static_cast<std::uint32_t>(m.wParam & 0xFFFF));
  return 0;
}

}  // namespace detail

// The rows, one maker per way a message is recognised.
template <auto Fn>
MessageRow<detail::ClassOf<Fn>> OnMessage(std::uint32_t message, After after = After::kConsumed) {
  return {message, nullptr, after, &detail::Dispatch<Fn>};
}
// A message registered at run time (RegisterWindowMessage): `id` is read when a message
// arrives, so the table may be built before the registration.
template <auto Fn>
MessageRow<detail::ClassOf<Fn>> OnRegisteredMessage(const std::uint32_t* id, After after = After::kConsumed) {
  return {0, id, after, &detail::Dispatch<Fn>};
}
// WM_COMMAND from a menu: Fn(std::uint32_t commandId).
template <auto Fn>
MessageRow<detail::ClassOf<Fn>> OnMenuCommand() {
  return {msg::kCommand, nullptr, After::kConsumed, &detail::DispatchMenuCommand<Fn>};
}

// A window whose messages go through T::MessageMap(): the first row that matches takes the
// message. Messages without a row get the default processing.
template <class T>
class MessageMapWindow : public WindowHandler {
 public:
  bool OnMessage(Handle window, std::uint32_t message, WParam wParam, LParam lParam,
                 LResult& result) override {
    result = 0;
    const WindowMessage m{window, message, wParam, lParam};
    for (const MessageRow<T>& row : T::MessageMap()) {
      if (!row.Matches(message)) continue;
      result = row.dispatch(static_cast<T&>(*this), m);
      return row.after == After::kConsumed;
    }
    return false;
  }
};

}  // namespace fw
