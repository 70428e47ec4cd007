// The events of a page's window, unpacked once by the backend into portable values: a page
// sees control ids, notification codes, coordinates and colours, never a window handle, a
// device context or a pointer from a message parameter.
#pragma once
#include <cstdint>
#include <string>

#include "framework/messages.h"

namespace fw {

enum class EventKind : std::uint8_t {
  kCommand,      // WM_COMMAND from a control: id, code
  kNotify,       // WM_NOTIFY from a control: id, code, item (list-view row)
  kTimer,        // WM_TIMER: timerId
  kColour,       // WM_CTLCOLOR...: id of the asking control, colourKind; answered in `colour`
  kPaint,        // WM_PAINT of the page itself (begin and end paint are the backend's)
  kMouseMove,    // WM_MOUSEMOVE over the page: x, y (client), ctrl, shift
  kContextHelp,  // WM_HELP: helpContext (0 when the request has none)
  kKeyChar,      // a character typed into an edit of the page: id, ch; answered in `verdict`
  kPaste,        // a paste into an edit of the page (Ctrl+V, Shift+Insert, the edit menu's
                 // Paste): id, text (what the edit would insert); answered in `verdict`
};

// Which WM_CTLCOLOR... message asked. A disabled or read-only edit asks as a static.
enum class ColourKind : std::uint8_t { kEdit, kStatic, kListBox, kButton, kDialog };

// The answer to a colour request. Unanswered requests get the system's colours.
struct ColourAnswer {
  bool answered = false;
  std::uint32_t textColor = 0;    // COLORREF: 0x00BBGGRR
  bool transparent = false;       // background mode TRANSPARENT
  std::uint32_t brushColor = 0;   // the background brush, a solid brush of this COLORREF

  void Answer(std::uint32_t text, bool transparentBackground, std::uint32_t brush) {
    answered = true;
    textColor = text;
    transparent = transparentBackground;
    brushColor = brush;
  }
};

// What happens to a character typed, or a text pasted, into a filtered edit.
enum class KeyVerdict : std::uint8_t { kPass, kDropWithBeep };

struct PageEvent {
  EventKind kind = EventKind::kCommand;
  int id = 0;                     // control id: command, notify, colour, key char
  std::uint32_t code = 0;         // notification code: command, notify
  int item = -1;                  // notify from a list view: the row, -1 for none
  std::uint32_t newState = 0;     // LVN_ITEMCHANGED: the row's state after and before
  std::uint32_t oldState = 0;
  std::uintptr_t timerId = 0;
  int x = 0, y = 0;               // mouse move, client coordinates
  bool ctrl = false, shift = false;
  std::uint32_t helpContext = 0;  // context help
  char ch = 0;                    // key char
  std::string text;               // paste
  ColourKind colourKind = ColourKind::kStatic;

  // Answers the handler gives.
  LResult result = 0;             // notify: the value returned to the control
  ColourAnswer colour;
  KeyVerdict verdict = KeyVerdict::kPass;
};

// Something that receives page events: every property page.
class EventTarget {
 public:
  virtual ~EventTarget() = default;
  // True when a handler took the event (its answers are then in the event).
  virtual bool OnEvent(PageEvent& event) = 0;
};

// Notification codes with their Win32 values.
namespace en {  // edit, in WM_COMMAND
constexpr std::uint32_t kSetFocus = 0x0100;
constexpr std::uint32_t kKillFocus = 0x0200;
constexpr std::uint32_t kChange = 0x0300;
constexpr std::uint32_t kUpdate = 0x0400;
constexpr std::uint32_t kMaxText = 0x0501;
}  // namespace en
namespace bn {  // button
constexpr std::uint32_t kClicked = 0;
}  // namespace bn
namespace cbn {  // combo box
constexpr std::uint32_t kSelChange = 1;
constexpr std::uint32_t kDblClk = 2;
constexpr std::uint32_t kSetFocus = 3;
constexpr std::uint32_t kKillFocus = 4;
constexpr std::uint32_t kEditChange = 5;
constexpr std::uint32_t kEditUpdate = 6;
constexpr std::uint32_t kDropDown = 7;
constexpr std::uint32_t kCloseUp = 8;
}  // namespace cbn
namespace lbn {  // list box
constexpr std::uint32_t kSelChange = 1;
}  // namespace lbn
namespace nm {  // common notifications, in WM_NOTIFY
constexpr std::uint32_t kClick = static_cast<std::uint32_t>(-2);
constexpr std::uint32_t kDblClk = static_cast<std::uint32_t>(-3);
constexpr std::uint32_t kRClick = static_cast<std::uint32_t>(-5);
}  // namespace nm
namespace lvn {  // list view
constexpr std::uint32_t kItemChanging = static_cast<std::uint32_t>(-100);
constexpr std::uint32_t kItemChanged = static_cast<std::uint32_t>(-101);
}  // namespace lvn
namespace lvis {
constexpr std::uint32_t kFocused = 0x1;
constexpr std::uint32_t kSelected = 0x2;
}  // namespace lvis
// Message beep kinds (MessageBeep).
namespace beep {
constexpr std::uint32_t kDefault = 0x0;
constexpr std::uint32_t kExclamation = 0x30;  // MB_ICONEXCLAMATION
}  // namespace beep

// Key state bits of mouse messages.
namespace mk {
constexpr WParam kShift = 0x4;
constexpr WParam kControl = 0x8;
}  // namespace mk

}  // namespace fw
