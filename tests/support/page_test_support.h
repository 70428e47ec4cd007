// Pieces for page behaviour tests that run on both backends: steps run one after the other
// from a sheet's modal loop, and message boxes answered the same way natively (the memory
// backend's scripted answer) and under Wine (the real box found and its button pressed).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "framework/platform.h"

#ifndef _WIN32
#include "framework/memory/memory_platform.h"
#endif

namespace pagetest {

#ifdef _WIN32
// Presses `button` of the message box the calling thread shows and gives its text and icon
// (the MB_ICON... style bits it shows, 0 for none); false when none shows
// (tests/wine/support/message_box_win32.cpp).
bool PressThreadMessageBox(int button, std::string& text, std::uint32_t& icon);
#endif

// Runs steps from the modal loop of a sheet, each once the previous step has returned and
// the messages it posted have been handled. Message boxes: AnswerNext before a step that
// opens one at once; a step AnswerShown right after a step whose box opens from a message
// it posted (under Wine that step then runs inside the box's own loop).
class Steps : public fw::WindowHandler {
 public:
  static constexpr std::uint32_t kRun = 0x8000 + 0x78;     // WM_APP + 0x78
  static constexpr std::uint32_t kAnswer = 0x8000 + 0x79;  // wParam: the button

  explicit Steps(fw::Platform& platform) : platform_(platform) {
    window_ = platform_.CreateHiddenWindow(*this, "Tallwyn page test steps");
  }
  ~Steps() override {
    if (window_ != nullptr) platform_.DestroyWindow(window_);
  }
  Steps(const Steps&) = delete;
  Steps& operator=(const Steps&) = delete;

  void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }
  // Posts the first step; call before the sheet's DoModal.
  void Start() {
    if (!steps_.empty()) platform_.PostMessage(window_, kRun, 0, 0);
  }
  std::size_t ran() const { return ran_; }
  std::size_t size() const { return steps_.size(); }

  // The next message box is answered with `button` (fw::mb::kIdYes ...). Call inside the
  // step that opens it, before the action.
  void AnswerNext(int button) {
#ifdef _WIN32
    platform_.PostMessage(window_, kAnswer, static_cast<fw::WParam>(button), 0);
#else
    static_cast<fw::MemoryPlatform&>(platform_).messageBoxAnswer = button;
#endif
  }
  // A step: answers the box showing now (if any) with OK.
  std::function<void()> AnswerShown() {
    return [this] {
#ifdef _WIN32
      PressBox(fw::mb::kIdOk);
#endif
    };
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> BoxTexts() const {
#ifdef _WIN32
    return boxTexts_;
#else
    std::vector<std::string> texts;
    for (const auto& box : static_cast<fw::MemoryPlatform&>(platform_).messageBoxes) texts.push_back(box.text);
    return texts;
#endif
  }
  // Their icons, as the fw::mb::kIcon... bits they show (0 for none).
  std::vector<std::uint32_t> BoxIcons() const {
#ifdef _WIN32
    return boxIcons_;
#else
    std::vector<std::uint32_t> icons;
    for (const auto& box : static_cast<fw::MemoryPlatform&>(platform_).messageBoxes)
      icons.push_back(box.style & fw::mb::kIconMask);
    return icons;
#endif
  }

  bool OnMessage(fw::Handle, std::uint32_t message, fw::WParam wParam, fw::LParam lParam, fw::LResult& result) override {
    result = 0;
    if (message == kAnswer) {
#ifdef _WIN32
      // The box may not show yet when the first try runs: a few more tries, 20 ms apart.
      if (!PressBox(static_cast<int>(wParam)) && lParam < 50) {
        platform_.Sleep(20);
        platform_.PostMessage(window_, kAnswer, wParam, lParam + 1);
      }
#endif
      return true;
    }
    if (message != kRun || wParam >= steps_.size()) return false;
    ++ran_;
    steps_[wParam]();
    if (wParam + 1 < steps_.size()) platform_.PostMessage(window_, kRun, wParam + 1, 0);
    return true;
  }

 private:
#ifdef _WIN32
  bool PressBox(int button) {
    std::string text;
    std::uint32_t icon = 0;
    if (!PressThreadMessageBox(button, text, icon)) return false;
    boxTexts_.push_back(text);
    boxIcons_.push_back(icon);
    return true;
  }
  std::vector<std::string> boxTexts_;
  std::vector<std::uint32_t> boxIcons_;
#endif

  fw::Platform& platform_;
  fw::Handle window_ = nullptr;
  std::vector<std::function<void()>> steps_;
  std::size_t ran_ = 0;
};

}  // namespace pagetest
