// The driver object: one lock around every call, refusal after NIVO_Terminate, refusal
// without a library.
#include "driver/nivo_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <thread>

#include "support/recording_nivo.h"

namespace {

using testing_nivo::RecordingNivo;

// Output areas with recognisable contents: a refused call must leave every one as it is.
struct Outputs {
  static constexpr std::uint32_t kSelector = 0x626;
  std::uint32_t selector = kSelector;
  std::uint32_t number = 0xA5A5A5A5;
  std::int32_t value = 0x5A5A5A5A;
  char text[kDriverPathBufferSize];
  WlanConfig config;
  ProfileWireless profile;
  DetectInfo detect;
  NdisSsid ssid;
  unsigned char survey[64];

  Outputs() {
    std::memset(text, 'T', sizeof(text));
    std::memset(&config, 0xC1, sizeof(config));
    std::memset(&profile, 0xC2, sizeof(profile));
    std::memset(&detect, 0xC3, sizeof(detect));
    std::memset(&ssid, 0xC4, sizeof(ssid));
    std::memset(survey, 0xC5, sizeof(survey));
  }
  bool Untouched() const {
    const Outputs fresh;
    return selector == kSelector && number == fresh.number && value == fresh.value &&
           std::memcmp(text, fresh.text, sizeof(text)) == 0 &&
           std::memcmp(&config, &fresh.config, sizeof(config)) == 0 &&
           std::memcmp(&profile, &fresh.profile, sizeof(profile)) == 0 &&
           std::memcmp(&detect, &fresh.detect, sizeof(detect)) == 0 &&
           std::memcmp(&ssid, &fresh.ssid, sizeof(ssid)) == 0 &&
           std::memcmp(survey, fresh.survey, sizeof(survey)) == 0;
  }
};

struct Operation {
  const char* name;
  std::function<std::int32_t(NivoDriver&, Outputs&)> call;
  std::int32_t refusedAnswer;
};

// Every operation except NIVO_Terminate, with the answer of a refused call.
std::vector<Operation> AllOperations() {
  return {
      {"NIVO_Init", [](NivoDriver& d, Outputs&) { return d.NIVO_Init("Halden", 0); }, -1},
      {"NIVO_Detect", [](NivoDriver& d, Outputs& o) { return d.NIVO_Detect(&o.detect); }, 0},
      {"NIVO_SetProfileRoot", [](NivoDriver& d, Outputs&) { return d.NIVO_SetProfileRoot("Tallwyn\\Profile"); }, -1},
      {"NIVO_EnumProfilesByType", [](NivoDriver& d, Outputs& o) { return d.NIVO_EnumProfilesByType(0, o.text, 1); }, kNivoNoProfileAtIndex},
      {"NIVO_GetActiveProfileByType", [](NivoDriver& d, Outputs& o) { return d.NIVO_GetActiveProfileByType(o.text, 1); }, -1},
      {"NIVO_SetActiveProfileByType", [](NivoDriver& d, Outputs&) { return d.NIVO_SetActiveProfileByType("Home", 1); }, -1},
      {"NIVO_DeleteProfileByType", [](NivoDriver& d, Outputs&) { return d.NIVO_DeleteProfileByType("Home", 1); }, -1},
      {"NIVO_GetProfileWireless", [](NivoDriver& d, Outputs& o) { return d.NIVO_GetProfileWireless("Home", &o.profile); }, -1},
      {"NIVO_SetProfileWireless", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetProfileWireless(nullptr, &o.profile); }, -1},
      {"NIVO_SetDriverReg", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetDriverReg(&o.profile); }, -1},
      {"NIVO_GetWLANConfig", [](NivoDriver& d, Outputs& o) { return d.NIVO_GetWLANConfig(&o.selector, &o.config); }, -1},
      {"NIVO_SetWLANConfig", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetWLANConfig(&o.selector, &o.config); }, -1},
      {"NIVO_SetSSID", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetSSID(&o.ssid); }, -1},
      {"NIVO_QueryOID", [](NivoDriver& d, Outputs& o) { return d.NIVO_QueryOID(kOidGenMediaConnectStatus, &o.value, 4, &o.number); }, -1},
      {"NIVO_ChannelToFrequency", [](NivoDriver& d, Outputs&) { return d.NIVO_ChannelToFrequency(6); }, 0},
      {"NIVO_FrequencyToChannel", [](NivoDriver& d, Outputs&) { return d.NIVO_FrequencyToChannel(2437000); }, 0},
      {"NIVO_SetChannel", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetChannel(&o.value); }, -1},
      {"NIVO_SetOperatingMode", [](NivoDriver& d, Outputs& o) { return d.NIVO_SetOperatingMode(&o.value); }, -1},
      {"NIVO_SetWLDomain", [](NivoDriver& d, Outputs&) { return d.NIVO_SetWLDomain(2); }, -1},
      {"NIVO_Get_XPWZC", [](NivoDriver& d, Outputs& o) { return d.NIVO_Get_XPWZC(&o.value); }, -1},
      {"NIVO_SiteSurveyTrigger", [](NivoDriver& d, Outputs&) { return d.NIVO_SiteSurveyTrigger(); }, -1},
      {"NIVO_SiteSurveyGet", [](NivoDriver& d, Outputs& o) { return d.NIVO_SiteSurveyGet(o.survey, &o.number); }, 0},
      {"NIVO_GetWLANDriverPath", [](NivoDriver& d, Outputs& o) { return d.NIVO_GetWLANDriverPath(o.text); }, 0},
  };
}

TEST(NivoDriver, EveryOperationReachesTheLibraryWithItsArguments) {
  RecordingNivo fake;
  NivoDriver driver(fake.table());
  for (const Operation& op : AllOperations()) {
    Outputs out;
    std::memset(&out.config, 0, sizeof(out.config));  // no key elements
    op.call(driver, out);
    ASSERT_FALSE(fake.calls().empty()) << op.name;
    EXPECT_EQ(fake.calls().back().operation, op.name);
  }
  EXPECT_EQ(fake.calls().size(), AllOperations().size());
  EXPECT_EQ(driver.NIVO_ChannelToFrequency(11), 2462000);
  EXPECT_EQ(fake.calls().back().number, 11);
  EXPECT_EQ(driver.NIVO_Init("Halden", 0), 1);
  EXPECT_EQ(fake.calls().back().text, "Halden");
}

// After NIVO_Terminate, and without a library at all, every call answers as a failed one at
// once: nothing reaches the library, no selector bit is cleared, no byte is written.
TEST(NivoDriver, TerminatedOrUnboundDriverRefusesEveryCallWithoutTouchingArguments) {
  RecordingNivo fake;
  NivoDriver terminated(fake.table());
  ASSERT_EQ(terminated.NIVO_Terminate(), 1);
  EXPECT_TRUE(terminated.terminated());
  NivoDriver unbound;
  EXPECT_FALSE(unbound.bound());

  for (NivoDriver* driver : {&terminated, &unbound}) {
    for (const Operation& op : AllOperations()) {
      Outputs out;
      EXPECT_EQ(op.call(*driver, out), op.refusedAnswer) << op.name;
      EXPECT_TRUE(out.Untouched()) << op.name;
    }
  }
  EXPECT_EQ(terminated.NIVO_Terminate(), -1);  // a second terminate is refused too
  EXPECT_EQ(unbound.NIVO_Terminate(), -1);
  EXPECT_EQ(fake.operations(), std::vector<std::string>{"NIVO_Terminate"});

  // Binding again makes the driver usable.
  terminated.Bind(fake.table());
  EXPECT_FALSE(terminated.terminated());
  EXPECT_EQ(terminated.NIVO_ChannelToFrequency(1), 2412000);
}

TEST(NivoDriver, CallsOfTwoThreadsNeverOverlapInTheLibrary) {
  RecordingNivo fake;
  // A slow library makes an overlap likely if the lock were missing.
  fake.duringCall = [](const char*) { std::this_thread::sleep_for(std::chrono::microseconds(50)); };
  NivoDriver driver(fake.table());
  auto hammer = [&driver](int salt) {
    for (int i = 0; i < 200; ++i) {
      std::uint32_t flag = 0x800;
      WlanConfig config{};
      driver.NIVO_GetWLANConfig(&flag, &config);
      driver.NIVO_ChannelToFrequency(salt);
    }
  };
  std::thread window(hammer, 1);
  std::thread polling(hammer, 2);
  window.join();
  polling.join();
  EXPECT_EQ(fake.calls().size(), 800u);
  EXPECT_EQ(fake.maxConcurrentCalls(), 1);
}

TEST(NivoDriver, TerminateWaitsForTheCallInProgressOfTheOtherThread) {
  RecordingNivo fake;
  std::mutex m;
  std::condition_variable changed;
  bool detectEntered = false;
  bool releaseDetect = false;
  fake.duringCall = [&](const char* operation) {
    if (std::strcmp(operation, "NIVO_Detect") != 0) return;
    std::unique_lock<std::mutex> hold(m);
    detectEntered = true;
    changed.notify_all();
    changed.wait(hold, [&] { return releaseDetect; });
  };
  NivoDriver driver(fake.table());

  DetectInfo info{};
  std::thread polling([&] { EXPECT_EQ(driver.NIVO_Detect(&info), kNivoCardPresent); });
  {
    std::unique_lock<std::mutex> hold(m);
    changed.wait(hold, [&] { return detectEntered; });
  }
  std::atomic<bool> terminateReturned{false};
  std::thread exitPath([&] {
    driver.NIVO_Terminate();
    terminateReturned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(terminateReturned);
  EXPECT_TRUE(fake.callsOf("NIVO_Terminate").empty());

  {
    std::lock_guard<std::mutex> hold(m);
    releaseDetect = true;
  }
  changed.notify_all();
  polling.join();
  exitPath.join();
  EXPECT_TRUE(terminateReturned);
  EXPECT_EQ(fake.operations(), (std::vector<std::string>{"NIVO_Detect", "NIVO_Terminate"}));
  EXPECT_EQ(fake.maxConcurrentCalls(), 1);
}

// The window side and the polling side reach the library through the one driver: what is
// bound once is what the configuration window's push and the About page's read call.
TEST(NivoDriver, TheWindowAndThePollingThreadReachTheOneBoundLibrary) {
  RecordingNivo fake;
  Nivo().Bind(fake.table());
  std::thread polling([] {
    std::uint32_t flag = wlflag::kFirmwareVersion;
    WlanConfig config{};
    Nivo().NIVO_GetWLANConfig(&flag, &config);
  });
  polling.join();
  char path[kDriverPathBufferSize] = {};
  Nivo().NIVO_GetWLANDriverPath(path);
  Nivo().Bind(NivoFunctions{});
  Nivo().NIVO_GetWLANDriverPath(path);  // unbound again: refused, not recorded
  EXPECT_EQ(fake.operations(), (std::vector<std::string>{"NIVO_GetWLANConfig", "NIVO_GetWLANDriverPath"}));
}

}  // namespace

namespace {

// A call of another thread that stays inside the library until released.
class HeldCall {
 public:
  explicit HeldCall(RecordingNivo& fake) {
    fake.duringCall = [this](const char* operation) {
      if (std::strcmp(operation, "NIVO_Detect") != 0) return;
      std::unique_lock<std::mutex> hold(m_);
      entered_ = true;
      changed_.notify_all();
      changed_.wait(hold, [this] { return released_; });
    };
  }
  void Start(NivoDriver& driver) {
    thread_ = std::thread([&driver] {
      DetectInfo info{};
      driver.NIVO_Detect(&info);
    });
    std::unique_lock<std::mutex> hold(m_);
    changed_.wait(hold, [this] { return entered_; });
  }
  void Release() {
    {
      std::lock_guard<std::mutex> hold(m_);
      released_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  std::mutex m_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool released_ = false;
  std::thread thread_;
};

TEST(NivoDriverShutdown, WaitsForTheCallUnderWayThenRefusesAndTerminatesOnce) {
  RecordingNivo fake;
  HeldCall held(fake);
  NivoDriver driver(fake.table());
  held.Start(driver);

  std::atomic<bool> begun{false};
  std::thread exitPath([&] {
    EXPECT_TRUE(driver.BeginShutdown(60000));
    begun = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(begun);  // still inside the other thread's call
  held.Release();
  exitPath.join();

  DetectInfo info{};
  EXPECT_EQ(driver.NIVO_Detect(&info), 0);  // refused at once, the lock is held
  EXPECT_TRUE(driver.FinishShutdown());
  EXPECT_FALSE(driver.FinishShutdown());
  EXPECT_EQ(driver.NIVO_Terminate(), -1);
  EXPECT_EQ(fake.operations(), (std::vector<std::string>{"NIVO_Detect", "NIVO_Terminate"}));
}

TEST(NivoDriverShutdown, SkipsTerminateWhenACallNeverReturns) {
  RecordingNivo fake;
  HeldCall held(fake);
  NivoDriver driver(fake.table());
  held.Start(driver);

  EXPECT_FALSE(driver.BeginShutdown(20));
  EXPECT_FALSE(driver.FinishShutdown());
  held.Release();
  EXPECT_EQ(fake.operations(), std::vector<std::string>{"NIVO_Detect"});
}

}  // namespace
