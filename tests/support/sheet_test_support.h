// Pieces for property sheet tests on either backend: pages that count what the sheet asks
// of them, a sheet that records its overridables, "later" actions that run from the sheet's
// modal loop, and a watchdog that ends a sheet nobody ended (so a broken test fails instead
// of hanging under Wine).
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/property_sheet.h"

namespace sheettest {

constexpr char kSheetCaption[] = "Tallwyn sheet under test";

// The five pages of the configuration window: real dialog templates under Wine.
struct PageSpec {
  std::uint32_t templateId;
  const char* caption;
};
constexpr PageSpec kPages[] = {
    {183, "Link Info"}, {182, "Configuration"}, {188, "Site Survey"}, {184, "Encryption"}, {181, "About"}};
constexpr int kPageCount = 5;

struct PageCalls {
  int initDialog = 0, setActive = 0, killActive = 0, apply = 0, ok = 0, cancel = 0;
};

class CountingPage : public fw::PropertyPage {
 public:
  explicit CountingPage(const PageSpec& spec) : PropertyPage(spec.templateId, spec.caption) {}
  bool OnInitDialog() override {
    ++calls.initDialog;
    hadWindowAtInit = window() != nullptr;
    return true;
  }
  bool OnSetActive() override {
    ++calls.setActive;
    return acceptActivation;
  }
  bool OnKillActive() override {
    ++calls.killActive;
    return mayLeave;
  }
  bool OnApply() override {
    ++calls.apply;
    return applyValid ? PropertyPage::OnApply() : false;
  }
  void OnOK() override { ++calls.ok; }
  void OnCancel() override { ++calls.cancel; }

  PageCalls calls;
  bool acceptActivation = true;
  bool mayLeave = true;
  bool applyValid = true;
  bool hadWindowAtInit = false;
};

// The five pages, owned together.
struct FivePages {
  FivePages() {
    for (const PageSpec& spec : kPages) pages.push_back(std::make_unique<CountingPage>(spec));
  }
  CountingPage& operator[](int i) { return *pages[static_cast<std::size_t>(i)]; }
  std::vector<std::unique_ptr<CountingPage>> pages;
};

class TestSheet : public fw::PropertySheet {
 public:
  explicit TestSheet(std::uint32_t startPage = 0) : PropertySheet(kSheetCaption, nullptr, startPage) {}

  bool OnInitDialog() override {
    PropertySheet::OnInitDialog();
    ++initCalls;
    windowAtInit = window();
    if (onInit) onInit();
    return true;
  }
  void OnDrawItem(fw::DrawSurface& surface, int tabIndex) override { drawn.push_back(tabIndex); }
  bool OnCommand(std::uint32_t id, std::uint32_t code) override {
    commands.push_back(id);
    return false;
  }

  std::function<void()> onInit;  // runs in OnInitDialog, after the base initialisation
  int initCalls = 0;
  fw::Handle windowAtInit = nullptr;
  std::vector<int> drawn;
  std::vector<std::uint32_t> commands;
};

// Runs actions from the sheet's modal loop: each Post queues one message to a hidden window
// of the platform in use, whose handler runs the action when the loop dispatches it.
class Later : public fw::WindowHandler {
 public:
  static constexpr std::uint32_t kRun = 0x8000 + 0x77;  // WM_APP + 0x77

  explicit Later(fw::Platform& platform) : platform_(platform) {
    window_ = platform_.CreateHiddenWindow(*this, "Tallwyn sheet test helper");
  }
  ~Later() override {
    if (window_ != nullptr) platform_.DestroyWindow(window_);
  }
  void Post(std::function<void()> action) {
    actions_.push_back(std::move(action));
    platform_.PostMessage(window_, kRun, actions_.size() - 1, 0);
  }
  int ran() const { return ran_; }

  bool OnMessage(fw::Handle window, std::uint32_t message, fw::WParam wParam, fw::LParam lParam,
                 fw::LResult& result) override {
    if (message != kRun || wParam >= actions_.size()) return false;
    ++ran_;
    actions_[wParam]();
    result = 0;
    return true;
  }

 private:
  fw::Platform& platform_;
  fw::Handle window_ = nullptr;
  std::vector<std::function<void()>> actions_;
  int ran_ = 0;
};

// DoModal with a watchdog: a sheet still open after 20 s is ended with kWatchdogResult, so
// the test fails on the result instead of hanging.
constexpr int kWatchdogResult = 0x5A5A;
inline int RunGuarded(fw::PropertySheet& sheet, fw::Handle owner = nullptr) {
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> guard(lock);
    if (!done.wait_for(guard, std::chrono::seconds(20), [&] { return finished; }))
      sheet.EndModalLoop(kWatchdogResult);
  });
  const int result = sheet.DoModal(owner);
  {
    std::lock_guard<std::mutex> guard(lock);
    finished = true;
  }
  done.notify_all();
  watchdog.join();
  return result;
}

// Ends the sheet from a thread of its own, as the polling thread does, and waits for that
// thread: the call itself runs on another thread than the sheet's.
inline void EndFromAnotherThread(fw::PropertySheet& sheet, int result) {
  std::thread poller([&sheet, result] { sheet.EndModalLoop(result); });
  poller.join();
}

}  // namespace sheettest
