// The message map of a top-level window: which row takes a message, what each handler is
// given, what the window procedure answers and whether the default processing follows.
#include "framework/message_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::uint32_t gLateRegistered = 0;  // registered after the table was built

class Recorder : public fw::MessageMapWindow<Recorder> {
 public:
  static std::span<const fw::MessageRow<Recorder>> MessageMap() {
    static const fw::MessageRow<Recorder> kMap[] = {
        fw::OnMessage<&Recorder::OnCreate>(fw::msg::kCreate),
        fw::OnMenuCommand<&Recorder::OnCommand>(),
        fw::OnMessage<&Recorder::OnTimer>(fw::msg::kTimer, fw::After::kDefault),
        fw::OnMessage<&Recorder::OnDeviceChange>(fw::msg::kDeviceChange),
        fw::OnMessage<&Recorder::OnClose>(fw::msg::kClose),
        fw::OnMessage<&Recorder::OnCloseAgain>(fw::msg::kClose),  // never reached: first row wins
        fw::OnRegisteredMessage<&Recorder::OnLate>(&gLateRegistered),
    };
    return kMap;
  }
  int OnCreate(fw::Handle window) {
    calls.push_back("create " + std::to_string(window == kWindow));
    return -1;
  }
  void OnCommand(std::uint32_t id) { calls.push_back("command " + std::to_string(id)); }
  void OnTimer(std::uintptr_t id) { calls.push_back("timer " + std::to_string(id)); }
  int OnDeviceChange(std::uint32_t event, fw::LParam data) {
    calls.push_back("device " + std::to_string(event) + " " + std::to_string(data));
    return 1;
  }
  void OnClose() { calls.push_back("close"); }
  void OnCloseAgain() { calls.push_back("close again"); }
  void OnLate(fw::LParam data) { calls.push_back("late " + std::to_string(data)); }

  static inline fw::Handle const kWindow = reinterpret_cast<fw::Handle>(0x1234);
  std::vector<std::string> calls;
};

struct Delivery {
  const char* name;
  std::uint32_t message;
  fw::WParam wParam;
  fw::LParam lParam;
  bool handled;         // false: the default processing follows
  fw::LResult answer;
  const char* call;     // what the handler was given; "" for no call
};

TEST(MessageMapTest, EachRowUnpacksItsMessageAndGivesTheAnswer) {
  const Delivery cases[] = {
      {"create gets the window, its return is the answer", fw::msg::kCreate, 0, 0, true, -1, "create 1"},
      {"menu command is the wParam's low word", fw::msg::kCommand, 0x10007D4, 99, true, 0, "command 2004"},
      {"timer, then the default processing", fw::msg::kTimer, 7, 0, false, 0, "timer 7"},
      {"wParam and lParam both", fw::msg::kDeviceChange, 0x8004, -5, true, 1, "device 32772 -5"},
      {"the first matching row takes it", fw::msg::kClose, 0, 0, true, 0, "close"},
      {"no row: default processing, no call", fw::msg::kSettingChange, 0, 0, false, 0, ""},
      {"an unregistered id 0 matches nothing", 0, 0, 3, false, 0, ""},
  };
  for (const Delivery& c : cases) {
    Recorder window;
    fw::LResult answer = 42;
    EXPECT_EQ(window.OnMessage(Recorder::kWindow, c.message, c.wParam, c.lParam, answer), c.handled) << c.name;
    EXPECT_EQ(answer, c.answer) << c.name;
    EXPECT_EQ(window.calls, std::string(c.call).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call})
        << c.name;
  }
}

TEST(MessageMapTest, ARegisteredMessageIsRecognisedByTheIdItHasWhenItArrives) {
  Recorder window;
  fw::LResult answer = 0;
  Recorder::MessageMap();  // the table exists before the registration
  gLateRegistered = 0xC123;
  EXPECT_TRUE(window.OnMessage(Recorder::kWindow, 0xC123, 0, 9, answer));
  gLateRegistered = 0;
  EXPECT_EQ(window.calls, std::vector<std::string>{"late 9"});
}

}  // namespace
