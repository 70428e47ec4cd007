// The record operations of the configuration window against a recording library: what each
// push selects and sends, the key elements, the retries and the trace lines.
#include "core/config_utility.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/settings_file.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"
#include "support/memory_platform_fixture.h"
#include "support/recording_nivo.h"

namespace {

using testing_nivo::KeySnapshot;
using testing_nivo::NivoCall;
using testing_nivo::RecordingNivo;
using Bytes = std::vector<std::uint8_t>;

// Key elements from a counting heap: a test can make allocation n fail and see what is left.
struct CountingHeap {
  static inline int allocations = 0;
  static inline int live = 0;
  static inline int failAt = 0;  // 1-based allocation that fails; 0 = none
  static void Reset(int failOn = 0) {
    allocations = 0;
    live = 0;
    failAt = failOn;
  }
  static void* Allocate(std::size_t bytes) {
    if (++allocations == failAt) return nullptr;
    ++live;
    return std::malloc(bytes);
  }
  static void Release(void* element) {
    --live;
    std::free(element);
  }
};

class ConfigUtilityTest : public MemoryPlatformTest {
 protected:
  void SetUp() override {
    MemoryPlatformTest::SetUp();
    Nivo().Bind(fake.table());
    gIniDomain = 0;
    CountingHeap::Reset();
    util.keyAllocator = {&CountingHeap::Allocate, &CountingHeap::Release};
    util.FillDefaultProfile(util.profile);
  }
  void TearDown() override {
    EXPECT_EQ(CountingHeap::live, 0) << "key elements left allocated";
    Nivo().Bind(NivoFunctions{});
    gIniDomain = 0;
    MemoryPlatformTest::TearDown();
  }
  // Each slot holds `text`, its NUL, and then hexadecimal digits that a reader running past
  // the NUL would take for key bytes.
  void SetKeyTexts(const char* text) {
    for (auto& slot : util.profile.activeKeyText) {
      std::memset(slot, 'F', sizeof(slot));
      std::memcpy(slot, text, std::strlen(text) + 1);
    }
  }

  RecordingNivo fake;
  CConfigUtility util{"test sheet", nullptr, 0};
};

// ---------------------------------------------------------------- FillDefaultProfile

void Put32(Bytes& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutText(Bytes& b, std::size_t offset, const char* text) {
  for (std::size_t i = 0; text[i] != '\0'; ++i) b[offset + i] = static_cast<std::uint8_t>(text[i]);
}

TEST_F(ConfigUtilityTest, DefaultProfileIsTheDocumentedRecordByteForByte) {
  // The record written out by offset, independent of the structure's field names.
  Bytes expected(1760, 0);
  Put32(expected, 0, 6);
  Put32(expected, 4, 15);
  Put32(expected, 8, 1);
  Put32(expected, 12, 1);
  PutText(expected, 16, "Default");
  PutText(expected, 81, "any");
  for (int s = 0; s < 4; ++s) {
    PutText(expected, 381 + 27 * s, "5C3E1A7B90D24F68A13B7C9E05");
    PutText(expected, 489 + 11 * s, "5C3E1A7B90");
    PutText(expected, 533 + 27 * s, "5C3E1A7B90");
  }
  Put32(expected, 648, 2346);
  Put32(expected, 652, 2347);
  Put32(expected, 664, 2);
  Put32(expected, 668, 2);

  ProfileWireless filled;
  std::memset(&filled, 0xAB, sizeof(filled));  // every byte must be written
  util.FillDefaultProfile(filled);
  Bytes actual(sizeof(filled));
  std::memcpy(actual.data(), &filled, sizeof(filled));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(actual[i], expected[i]) << "byte " << i;
  }
}

// ---------------------------------------------------------------- RateCodeToRates

TEST(RateCodeToRates, GivesTheRateBytesOfEachCode) {
  struct Case {
    std::int32_t code;
    Bytes rates;
  };
  const Case cases[] = {
      {1, {2}},
      {2, {4}},
      {3, {4, 2}},
      {4, {11}},
      {8, {22}},
      {15, {108, 96, 72, 48, 36, 24, 22, 18}},
      {5, {5}},      // any other code: its low byte
      {0, {0}},
      {300, {44}},   // 300 = 0x12C
      {-1, {255}},
  };
  for (const Case& c : cases) {
    std::uint8_t rates[8];
    std::memset(rates, 0xEE, sizeof(rates));
    RateCodeToRates(c.code, rates);
    Bytes want = c.rates;
    want.resize(8, 0);
    EXPECT_EQ(Bytes(rates, rates + 8), want) << "rate code " << c.code;
  }
}

// ---------------------------------------------------------------- BuildWepKeys

TEST_F(ConfigUtilityTest, WepOffSendsStatusAndAutomaticAuthenticationWithoutKeys) {
  WlanConfig config{};
  for (auto& key : config.wepKey) key = reinterpret_cast<WepKeyElement*>(0x10);  // stale
  std::uint32_t flag = 0x626;
  util.profile.authType = 0;  // stored with the profile, never sent
  ASSERT_TRUE(util.BuildWepKeys(config, flag));
  EXPECT_EQ(flag, 0x626u | 0x10000u | 0x20000u);
  EXPECT_EQ(config.wepStatus, 1);
  EXPECT_EQ(config.authMode, 2);
  for (auto* key : config.wepKey) EXPECT_EQ(key, nullptr);
  EXPECT_EQ(CountingHeap::allocations, 0);
  EXPECT_EQ(sys.debugLines(), std::vector<std::string>{" reg.encryptionLevel=0"});
}

struct KeyCase {
  const char* what;
  std::int32_t encryptionLevel;
  std::int32_t defaultKeyIndex;
  const char* keyText;
  std::uint32_t keyLength;
  Bytes material;
  int transmitSlot;
};

TEST_F(ConfigUtilityTest, WepOnBuildsFourKeyElementsFromTheActiveKeyTexts) {
  const KeyCase cases[] = {
      {"64-bit, transmit key 3", 1, 2, "0Aff1B2c3D", 5, {0x0A, 0xFF, 0x1B, 0x2C, 0x3D}, 2},
      {"128-bit", 2, 0, "0Aff1B2c3D4e5F60718293a4b5", 13,
       {0x0A, 0xFF, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71, 0x82, 0x93, 0xA4, 0xB5}, 0},
      {"any other level is 128-bit", 7, 3, "00112233445566778899AABBCC", 13,
       {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}, 3},
      // strtol's rule: reading stops at the first non-hexadecimal character (a leading
      // blank is skipped, as strtol does).
      {"non-digits", 1, 1, "zz1zG0 8x7", 5, {0x00, 0x01, 0x00, 0x08, 0x00}, 1},
      // A short text: the missing characters read as nothing, the next field is not read.
      {"short text", 2, 0, "0A1", 13, {0x0A, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {"empty text", 1, 0, "", 5, {0, 0, 0, 0, 0}, 0},
      // A damaged transmit key index marks key 1 instead of pointing past the slots.
      {"transmit index 7", 1, 7, "0102030405", 5, {1, 2, 3, 4, 5}, 0},
      {"transmit index -1", 1, -1, "0102030405", 5, {1, 2, 3, 4, 5}, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    util.profile.encryptionLevel = c.encryptionLevel;
    util.profile.defaultKeyIndex = c.defaultKeyIndex;
    SetKeyTexts(c.keyText);
    WlanConfig config{};
    std::uint32_t flag = 0x626;
    ASSERT_TRUE(util.BuildWepKeys(config, flag));
    EXPECT_EQ(flag, 0x626u | 0xF000u | 0x10000u | 0x20000u);
    EXPECT_EQ(config.wepStatus, 0);
    EXPECT_EQ(config.authMode, 2);
    for (int s = 0; s < 4; ++s) {
      const WepKeyElement* e = config.wepKey[s];
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->length, c.keyLength + 15);
      EXPECT_EQ(e->keyLength, c.keyLength);
      EXPECT_EQ(e->keyIndex, static_cast<std::uint32_t>(s) | (s == c.transmitSlot ? 0x80000000u : 0u));
      EXPECT_EQ(Bytes(e->keyMaterial, e->keyMaterial + e->keyLength), c.material) << "slot " << s;
    }
    util.FreeWepKeys(config);
    for (auto* key : config.wepKey) EXPECT_EQ(key, nullptr);
    EXPECT_EQ(CountingHeap::live, 0);
  }
}

TEST_F(ConfigUtilityTest, KeyTextWithoutTerminatorIsReadWithinItsField) {
  util.profile.encryptionLevel = 2;
  std::memset(util.profile.activeKeyText, 'f', sizeof(util.profile.activeKeyText));  // no NUL
  WlanConfig config{};
  std::uint32_t flag = 0;
  ASSERT_TRUE(util.BuildWepKeys(config, flag));
  for (const auto* e : config.wepKey) {
    EXPECT_EQ(Bytes(e->keyMaterial, e->keyMaterial + 13), Bytes(13, 0xFF));
  }
  util.FreeWepKeys(config);
}

TEST_F(ConfigUtilityTest, FailedKeyAllocationLeavesNoElementAndNoKeyBits) {
  util.profile.encryptionLevel = 2;
  for (int failAt = 1; failAt <= 4; ++failAt) {
    SCOPED_TRACE(failAt);
    CountingHeap::Reset(failAt);
    WlanConfig config{};
    std::uint32_t flag = 0x626;
    EXPECT_FALSE(util.BuildWepKeys(config, flag));
    EXPECT_EQ(flag, 0x626u);
    for (auto* key : config.wepKey) EXPECT_EQ(key, nullptr);
    EXPECT_EQ(CountingHeap::live, 0);
  }
}

// ---------------------------------------------------------------- ApplyProfileToDriver

TEST_F(ConfigUtilityTest, FullPushSetsTheDomainReadsTheDriverAndSendsTheProfileOnce) {
  gIniDomain = 3;
  std::strcpy(util.profile.ssid, "TestNet");
  util.profile.channel = 11;
  util.profile.operatingMode = 0;
  util.profile.encryptionLevel = 1;
  util.profile.defaultKeyIndex = 1;
  SetKeyTexts("1122334455");
  util.profile.powerSaveMode = 2;
  util.profile.fragThreshold = 1500;
  util.profile.rtsThreshold = 500;
  util.profile.GMode = 0;
  util.profile.rateCode = 3;
  util.profile.preambleType = 1;
  // The driver's current values: what the push does not select must reach the set as read.
  fake.onGet = [](std::uint32_t, WlanConfig& config) {
    config.configuration.Length = 32;
    config.configuration.BeaconPeriod = 100;
    config.configuration.ATIMWindow = 7;
    std::memcpy(config.ssid, "PreviousNetworkNameLongerThanIt", 31);
    config.ssidLength = 31;
    config.reserved5[0] = 0x5E;
  };
  fake.setLeftover = {0x4};  // ignored: no second set

  util.ApplyProfileToDriver();

  EXPECT_EQ(fake.operations(),
            (std::vector<std::string>{"NIVO_SetWLDomain", "NIVO_GetWLANConfig",
                                      "NIVO_ChannelToFrequency", "NIVO_SetDriverReg",
                                      "NIVO_SetWLANConfig"}));
  const auto calls = fake.calls();
  EXPECT_EQ(calls[0].number, 3);
  EXPECT_EQ(calls[1].selectorIn, 0x207F6EEu);
  EXPECT_EQ(calls[2].number, 11);
  ASSERT_TRUE(calls[3].profile.has_value());
  EXPECT_EQ(std::memcmp(&*calls[3].profile, &util.profile, sizeof(ProfileWireless)), 0);

  const NivoCall& set = calls[4];
  EXPECT_EQ(set.selectorIn, 0x2u | 0x20u | 0x400u | 0xF000u | 0x10000u | 0x20000u | 0x4u |
                                0x40u | 0x80u | 0x2000000u);
  const WlanConfig& sent = *set.config;
  EXPECT_EQ(sent.ssidLength, 7u);
  EXPECT_EQ(Bytes(sent.ssid, sent.ssid + 32), Bytes({'T', 'e', 's', 't', 'N', 'e', 't', 0, 0, 0, 0, 0, 0,
                                                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(sent.infrastructureMode, 0);
  EXPECT_EQ(sent.configuration.DSConfig, 2462000u);
  EXPECT_EQ(sent.configuration.BeaconPeriod, 100u);
  EXPECT_EQ(sent.configuration.ATIMWindow, 7u);
  EXPECT_EQ(sent.reserved5[0], 0x5E);
  EXPECT_EQ(sent.powerMode, 2);
  EXPECT_EQ(sent.fragThreshold, 1500);
  EXPECT_EQ(sent.rtsThreshold, 500);
  EXPECT_EQ(sent.GMode, 0);
  EXPECT_EQ(Bytes(sent.supportedRates, sent.supportedRates + 8), Bytes({4, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(sent.preambleType, 1);
  EXPECT_EQ(sent.wepStatus, 0);
  EXPECT_EQ(sent.authMode, 2);
  for (int s = 0; s < 4; ++s) {
    ASSERT_TRUE(set.keys[s].has_value());
    EXPECT_EQ(set.keys[s]->length, 20u);
    EXPECT_EQ(set.keys[s]->keyIndex, s == 1 ? 0x80000001u : static_cast<std::uint32_t>(s));
    EXPECT_EQ(set.keys[s]->material, Bytes({0x11, 0x22, 0x33, 0x44, 0x55}));
  }
  EXPECT_EQ(CountingHeap::allocations, 4);
  EXPECT_EQ(sys.debugLines(),
            (std::vector<std::string>{"\n\n##### Setting domain 3\n", " reg.encryptionLevel=1"}));
}

TEST_F(ConfigUtilityTest, FullPushWithWepOffSendsNoKeys) {
  util.ApplyProfileToDriver();
  const auto sets = fake.callsOf("NIVO_SetWLANConfig");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].selectorIn, 0x20304E6u);
  EXPECT_EQ(sets[0].config->wepStatus, 1);
  for (const auto& key : sets[0].keys) EXPECT_FALSE(key.has_value());
  EXPECT_EQ(sets[0].config->ssidLength, 3u);
  EXPECT_EQ(Bytes(sets[0].config->supportedRates, sets[0].config->supportedRates + 8),
            Bytes({108, 96, 72, 48, 36, 24, 22, 18}));
}

TEST_F(ConfigUtilityTest, FullPushUnderZeroConfigurationOnlySetsTheDomain) {
  gIniDomain = 1;
  gZeroConfigActive = 1;
  util.ApplyProfileToDriver();
  EXPECT_EQ(fake.operations(), std::vector<std::string>{"NIVO_SetWLDomain"});
  EXPECT_EQ(sys.debugLines(), (std::vector<std::string>{"\n\n##### Setting domain 1\n",
                                                        "Skip WLAN Config due to zero config"}));
}

TEST_F(ConfigUtilityTest, StoredNameLongerThanTheExchangeIsCutTo32) {
  struct Case {
    const char* what;
    std::size_t fill;  // bytes of 'N' from the start of the field
  };
  for (const Case c : {Case{"38 characters", 38}, Case{"no terminator in the field", 39},
                       Case{"exactly 32", 32}}) {
    SCOPED_TRACE(c.what);
    RecordingNivo local;
    Nivo().Bind(local.table());
    std::memset(util.profile.ssid, 0, sizeof(util.profile.ssid));
    std::memset(util.profile.ssid, 'N', c.fill);
    util.ApplyProfileToDriver();
    const auto sets = local.callsOf("NIVO_SetWLANConfig");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].config->ssidLength, 32u);
    EXPECT_EQ(Bytes(sets[0].config->ssid, sets[0].config->ssid + 32), Bytes(32, 'N'));
  }
}

TEST_F(ConfigUtilityTest, FullPushWithoutKeyMemorySendsNothing) {
  util.profile.encryptionLevel = 1;
  CountingHeap::Reset(3);
  util.ApplyProfileToDriver();
  EXPECT_TRUE(fake.callsOf("NIVO_SetWLANConfig").empty());
  EXPECT_TRUE(fake.callsOf("NIVO_SetDriverReg").empty());
}

// ---------------------------------------------------------------- ApplyChangedConfig

TEST_F(ConfigUtilityTest, ChangedPushRetriesOnceWithTheLeftoverBits) {
  struct Case {
    const char* what;
    std::deque<std::uint32_t> leftover;
    std::vector<std::uint32_t> selectors;  // of each set
    bool succeeds;
  };
  const std::uint32_t first = 0x626 | 0xF000 | 0x10000 | 0x20000;
  const Case cases[] = {
      {"all written at once", {}, {first}, true},
      {"second try writes the rest", {0x400 | 0x2000, 0}, {first, 0x2400}, true},
      {"still failing after the retry", {0x200, 0x200}, {first, 0x200}, false},
      {"retry fails part of it", {0x6, 0x4}, {first, 0x6}, false},
  };
  util.profile.encryptionLevel = 2;
  util.profile.defaultKeyIndex = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingNivo local;
    Nivo().Bind(local.table());
    local.setLeftover = c.leftover;
    WlanConfig config{};
    config.infrastructureMode = 1;
    config.ssidLength = 4;
    std::memcpy(config.ssid, "Home", 4);
    config.powerMode = 1;
    config.configuration.DSConfig = 2412000;
    config.supportedRates[0] = 22;
    EXPECT_EQ(util.ApplyChangedConfig(config), c.succeeds);
    const auto sets = local.callsOf("NIVO_SetWLANConfig");
    ASSERT_EQ(sets.size(), c.selectors.size());
    for (std::size_t i = 0; i < sets.size(); ++i) {
      EXPECT_EQ(sets[i].selectorIn, c.selectors[i]);
      // The keys are alive for every set of the push.
      ASSERT_TRUE(sets[i].keys[3].has_value());
      EXPECT_EQ(sets[i].keys[3]->keyIndex, 0x80000003u);
      EXPECT_EQ(sets[i].keys[3]->length, 28u);
      EXPECT_EQ(sets[i].config->ssidLength, 4u);
      EXPECT_EQ(sets[i].config->infrastructureMode, 1);
      EXPECT_EQ(sets[i].config->configuration.DSConfig, 2412000u);
      EXPECT_EQ(sets[i].config->supportedRates[0], 22);
    }
    for (auto* key : config.wepKey) EXPECT_EQ(key, nullptr);
    EXPECT_EQ(CountingHeap::live, 0);
  }
}

TEST_F(ConfigUtilityTest, ChangedPushWithoutKeyMemoryFailsWithoutSending) {
  util.profile.encryptionLevel = 1;
  CountingHeap::Reset(2);
  WlanConfig config{};
  EXPECT_FALSE(util.ApplyChangedConfig(config));
  EXPECT_TRUE(fake.calls().empty());
}

TEST_F(ConfigUtilityTest, ChangedPushNeverAnnouncesMoreThan32SsidBytes) {
  WlanConfig config{};
  config.ssidLength = 200;
  EXPECT_TRUE(util.ApplyChangedConfig(config));
  EXPECT_EQ(fake.callsOf("NIVO_SetWLANConfig").at(0).config->ssidLength, 32u);
}

// ---------------------------------------------------------------- ReadLinkStatus

TEST_F(ConfigUtilityTest, LinkReadAsksTheFieldsOfEachMode) {
  struct Case {
    int mode;
    std::int32_t infrastructureMode;
    std::uint32_t selector;
  };
  // Ticks other than 0-2 ask for nothing: no field read, no call, success.
  const Case cases[] = {
      {0, 0, 0xE23},  {0, 1, 0x1000E33}, {1, 0, 0xC03}, {1, 1, 0x1000C13},
      {2, 0, 0x802},  {2, 1, 0x1000812}, {3, 1, 0x0},   {-1, 1, 0x0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " infrastructure " << c.infrastructureMode);
    RecordingNivo local;
    Nivo().Bind(local.table());
    sys.clearDebugLines();
    WlanConfig config{};
    config.infrastructureMode = c.infrastructureMode;
    EXPECT_EQ(util.ReadLinkStatus(config, c.mode), 1);
    ASSERT_FALSE(local.calls().empty());
    EXPECT_EQ(local.calls()[0].number, 0x10114);
    std::vector<std::string> operations{"NIVO_QueryOID"};
    std::vector<std::string> trace{" OID_GEN_MEDIA_CONNECT_STATUS ", "->Succeed  "};
    if (c.selector != 0) {
      operations.push_back("NIVO_GetWLANConfig");
      trace.push_back(" . ");
    }
    trace.push_back("dwWLFlag=(0x0)");
    EXPECT_EQ(local.operations(), operations);
    if (c.selector != 0) {
      EXPECT_EQ(local.calls()[1].selectorIn, c.selector);
    }
    EXPECT_EQ(sys.debugLines(), trace);
  }
}

TEST_F(ConfigUtilityTest, LinkReadRetriesOnceWithTheLeftoverBits) {
  struct Case {
    std::deque<std::uint32_t> leftover;
    std::vector<std::uint32_t> selectors;
    const char* lastLine;
    int result;
  };
  const Case cases[] = {
      {{0x800 | 0x1, 0}, {0xE23, 0x801}, "dwWLFlag=(0x0)", 1},
      {{0x800, 0x800}, {0xE23, 0x800}, "dwWLFlag=(0x800)", 0},
      {{0xE23, 0x20}, {0xE23, 0xE23}, "dwWLFlag=(0x20)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lastLine);
    RecordingNivo local;
    Nivo().Bind(local.table());
    local.getLeftover = c.leftover;
    sys.clearDebugLines();
    WlanConfig config{};
    EXPECT_EQ(util.ReadLinkStatus(config, 0), c.result);
    const auto gets = local.callsOf("NIVO_GetWLANConfig");
    ASSERT_EQ(gets.size(), c.selectors.size());
    for (std::size_t i = 0; i < gets.size(); ++i) EXPECT_EQ(gets[i].selectorIn, c.selectors[i]);
    EXPECT_EQ(sys.debugLines(), (std::vector<std::string>{" OID_GEN_MEDIA_CONNECT_STATUS ", "->Succeed  ",
                                                          " . ", " . ", c.lastLine}));
  }
}

TEST_F(ConfigUtilityTest, LinkReadOfADisconnectedCardReadsOnlyTheStatus) {
  fake.mediaConnectStatus = kMediaDisconnected;
  WlanConfig config{};
  EXPECT_EQ(util.ReadLinkStatus(config, 0), 1);
  EXPECT_EQ(config.mediaConnectStatus, 1u);
  EXPECT_EQ(fake.operations(), std::vector<std::string>{"NIVO_QueryOID"});
  EXPECT_EQ(sys.debugLines(), (std::vector<std::string>{" OID_GEN_MEDIA_CONNECT_STATUS ", "->Succeed  "}));
}

TEST_F(ConfigUtilityTest, LinkReadStopsWhenTheStatusQueryFails) {
  struct Case {
    std::int32_t result;
    std::uint32_t bytesWritten;
  };
  for (const Case c : {Case{-1, 4}, Case{1, 4}, Case{0, 2}, Case{0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.result << " " << c.bytesWritten);
    RecordingNivo local;
    Nivo().Bind(local.table());
    local.queryResult = c.result;
    local.queryBytesWritten = c.bytesWritten;
    sys.clearDebugLines();
    WlanConfig config{};
    EXPECT_EQ(util.ReadLinkStatus(config, 0), 0);
    EXPECT_EQ(local.operations(), std::vector<std::string>{"NIVO_QueryOID"});
    EXPECT_EQ(sys.debugLines(), (std::vector<std::string>{" OID_GEN_MEDIA_CONNECT_STATUS ", "->Failed  "}));
  }
}

TEST_F(ConfigUtilityTest, AfterTerminateThePushesReachNothingAndReportFailure) {
  Nivo().NIVO_Terminate();
  WlanConfig config{};
  EXPECT_FALSE(util.ApplyChangedConfig(config));
  EXPECT_EQ(util.ReadLinkStatus(config, 0), 0);
  util.ApplyProfileToDriver();
  EXPECT_EQ(fake.operations(), std::vector<std::string>{"NIVO_Terminate"});
}

}  // namespace
