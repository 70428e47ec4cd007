// Page tests on the configuration window itself: a CConfigUtility with its five real pages,
// opened on the platform in use (memory natively, a real property sheet under Wine), with
// the virtual card's model behind the driver on a clock of the test's own. The polling
// thread does not run: `forground` is set, so each page's hand-shake goes on at once.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"
#include "pages/link_info_page.h"
#include "pages/site_survey_page.h"
#include "res/product_texts.h"
#include "support/page_fixture.h"
#include "virtualcard/model/virtual_card_functions.h"

// One open access point, Harbour on channel 6, joined at once after each new configuration.
inline constexpr char kHarbour[] =
    "[card]\n"
    "association_delay_ms=0\n"
    "[network]\n"
    "ssid=Harbour\n"
    "bssid=00-1A-2B-3C-4D-01\n"
    "channel=6\n"
    "signal=-60\n";

class ConfigWindowTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ResetSharedState();
    ResetVirtualCard();
    SetVirtualCardClock([this] { return cardNow; });
    Nivo().Bind(VirtualCardFunctions());
    gLinkStatus = WlanConfig{};
    gDevicePresent = 1;
#ifndef _WIN32
    // The texts of the string table these pages show (under Wine they come from the .rc).
    sys.strings = {{AFX_IDS_APP_TITLE, kUtilityTitle},     {IDS_SCANNING, "Scanning ..."},
                   {IDS_CONNECTED_BSSID, "Connected - BSSID = "}, {IDS_SIGNAL_NONE, "No Signal"},
                   {IDS_SIGNAL_POOR, "Poor"},                {IDS_SIGNAL_GOOD, "Good"},
                   {IDS_SIGNAL_VERY_GOOD, "Very Good"},      {IDS_SIGNAL_EXCELLENT, "Excellent"}};
#endif
  }
  void TearDown() override {
    Nivo().Bind(NivoFunctions{});
    ResetVirtualCard();
    ResetSharedState();
    gLinkStatus = WlanConfig{};
    PageTest::TearDown();
  }

  // Starts the card with this world (and its call log kept in `calls`).
  void World(const char* scenario) {
    std::vector<std::string> errors;
    ASSERT_TRUE(LoadVirtualCardScenario(scenario, &errors)) << (errors.empty() ? "" : errors.front());
    VirtualCardInstance().SetCallLog([this](const std::string& line) { calls.push_back(line); });
    Nivo().NIVO_Init("Halden", 0);
  }
  // Time passes for the card.
  void Wait(std::uint64_t ms) { cardNow += ms; }
  // A virtualcard-ctl command.
  void Ctl(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char ch : line + " ") {
      if (ch != ' ') {
        word += ch;
      } else if (!word.empty()) {
        words.push_back(word);
        word.clear();
      }
    }
    ASSERT_EQ(VirtualCardInstance().Control(words).status, 0) << line;
  }

  // The operations of the calls logged since `from`, in order.
  std::vector<std::string> Operations(std::size_t from = 0) const {
    std::vector<std::string> ops;
    for (std::size_t i = from; i < calls.size(); ++i) {
      const std::size_t at = calls[i].find("\"op\":\"");
      if (at == std::string::npos) continue;
      ops.push_back(calls[i].substr(at + 6, calls[i].find('"', at + 6) - at - 6));
    }
    return ops;
  }
  // The logged calls of one operation since `from`.
  std::vector<std::string> CallsOf(const std::string& op, std::size_t from = 0) const {
    std::vector<std::string> found;
    for (std::size_t i = from; i < calls.size(); ++i)
      if (calls[i].find("\"op\":\"" + op + "\"") != std::string::npos) found.push_back(calls[i]);
    return found;
  }

  // Opens the configuration window on `page`, runs `body` from its modal loop and ends it.
  // The window's opening makes every page current once, as it captures the tab titles.
  int RunOnWindow(int page, const std::function<void(CConfigUtility&)>& body) {
    CConfigUtility sheet(kUtilityTitle, nullptr, 0);
    platform().SetEvent(sheet.forground);
    sheettest::Later later(platform());
    later.Post([&] {
      sheet.SetActivePage(page);
      body(sheet);
      sheet.EndModalLoop(kBodyDone);
    });
    return sheettest::RunGuarded(sheet);
  }

  std::uint64_t cardNow = 1000000;
  std::vector<std::string> calls;
};
