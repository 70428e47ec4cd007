// The virtual card's configuration exchanges (selector bits served and left over, faults)
// and its site survey list.
#include <gtest/gtest.h>

#include "support/virtual_card_fixture.h"

namespace {

using VirtualCardConfig = VirtualCardTest;

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

TEST_F(VirtualCardConfig, ServesEveryBitTheProgramAsksFor) {
  // The pre-read of the full push, the link status reads of every tick in both modes, the
  // About page's firmware and the Configuration page's channel mask.
  for (std::uint32_t mask : {0x207F6EEu, 0xE23u, 0x1000E33u, 0xC03u, 0x1000C13u, 0x802u, 0x1000812u, 0x4000000u,
                             0x8000000u}) {
    WlanConfig c{};
    EXPECT_EQ(Get(mask, c), 0u) << std::hex << mask;
  }
}

TEST_F(VirtualCardConfig, GetNeverTouchesTheKeyPointers) {
  WlanConfig c{};
  std::uint8_t sentinel[4][32];
  for (int s = 0; s < 4; ++s) {
    std::memset(sentinel[s], 0x5A, sizeof sentinel[s]);
    c.wepKey[s] = reinterpret_cast<WepKeyElement*>(sentinel[s]);
  }
  EXPECT_EQ(Get(0x207F6EE, c), 0u);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(c.wepKey[s], reinterpret_cast<WepKeyElement*>(sentinel[s]));
    for (std::uint8_t b : sentinel[s]) EXPECT_EQ(b, 0x5A);
  }
  EXPECT_EQ(c.wepStatus, 1);
  EXPECT_EQ(c.authMode, 2);
  EXPECT_EQ(c.fragThreshold, 2346);
  EXPECT_EQ(c.rtsThreshold, 2347);
  EXPECT_EQ(c.configuration.Length, 32u);
  EXPECT_EQ(c.configuration.DSConfig, 2437000u) << "channel 6 while not linked";
}

TEST_F(VirtualCardConfig, LeavesBitsItCannotServe) {
  struct Case {
    const char* what;
    std::uint32_t in, left;
  } gets[] = {
      {"an unknown bit", 0x100 | 0x2, 0x100},
      {"bits above the known ones", 0xF0000000u | 0x4, 0xF0000000u},
      {"the high reserved area", 0x00F80000u, 0x00F80000u},
  };
  for (const Case& c : gets) {
    WlanConfig w{};
    EXPECT_EQ(Get(c.in, w), c.left) << c.what;
  }
  // Status fields, the firmware text and the channel mask cannot be written.
  KeyedConfig k;
  k.flags() = wlflag::kBssid | wlflag::kStatus10 | wlflag::kStatus800 | wlflag::kStatus1000000 |
              wlflag::kFirmwareVersion | wlflag::kChannelMask | wlflag::kPowerMode;
  EXPECT_EQ(Set(k), k.flags() & ~wlflag::kPowerMode);
}

TEST_F(VirtualCardConfig, SetRefusesValuesOutOfRangeFieldByField) {
  KeyedConfig k;
  k.Ssid("Harbour");
  k.config().ssidLength = 33;
  k.Mode(2);
  k.flags() |= wlflag::kFragThreshold | wlflag::kRtsThreshold | wlflag::kPreambleType | wlflag::kPowerMode;
  k.config().fragThreshold = 100;
  k.config().rtsThreshold = 500;
  k.config().preambleType = 1;
  k.config().powerMode = 7;
  k.Frequency(2437500);
  EXPECT_EQ(Set(k), wlflag::kSsid | wlflag::kInfrastructureMode | wlflag::kFragThreshold | wlflag::kPowerMode |
                        wlflag::kConfiguration);
  WlanConfig c{};
  EXPECT_EQ(Get(wlflag::kRtsThreshold | wlflag::kPreambleType | wlflag::kFragThreshold, c), 0u);
  EXPECT_EQ(c.rtsThreshold, 500);
  EXPECT_EQ(c.preambleType, 1);
  EXPECT_EQ(c.fragThreshold, 2346) << "the refused value was not taken";
}

TEST_F(VirtualCardConfig, MissingOrInconsistentKeyElementIsNotSet) {
  KeyedConfig k;
  k.WepOn({"0A0B0C0D0E", "0A0B0C0D0E", "0A0B0C0D0E", "0A0B0C0D0E"}, 0);
  k.config().wepKey[1] = nullptr;
  k.config().wepKey[2]->length = 99;
  k.config().wepKey[3]->keyIndex = 1;  // element of slot 3 claims slot 1
  EXPECT_EQ(Set(k), 0xE000u);
  std::string line = LastLine("NIVO_SetWLANConfig");
  EXPECT_NE(line.find("{\"slot\":1,\"element\":null}"), std::string::npos) << line;
  EXPECT_NE(line.find("\"slot\":2,\"length\":99,\"keyIndex\":\"0x2\",\"keyLength\":5,\"keyMaterial\":null"),
            std::string::npos)
      << line;
}

TEST_F(VirtualCardConfig, BitFaultsLeaveTheirBitsUnservedForTheOrderedCalls) {
  // A get fault for one call: the link status read's retry then succeeds.
  ASSERT_EQ(Ctl("fault get-bits on 0x400 1").status, 0);
  WlanConfig c{};
  EXPECT_EQ(Get(0xE23, c), 0x400u);
  EXPECT_EQ(Get(0x400, c), 0u);
  // A set fault until switched off: the field keeps its value.
  ASSERT_EQ(Ctl("fault set-bits on 0x2").status, 0);
  for (int attempt = 0; attempt < 2; ++attempt) EXPECT_EQ(Join("Lighthouse64", 1, 6), wlflag::kSsid);
  Wait(2000);
  Get(wlflag::kSsid, c);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.ssid), c.ssidLength), "Harbour");
  ASSERT_EQ(Ctl("fault set-bits off").status, 0);
  EXPECT_EQ(Join("Lighthouse64", 1, 6), 0u);
  // Faults from a scenario.
  ASSERT_TRUE(LoadVirtualCardScenario("[faults]\nget_bits=0x800\nset_bits=0x4\n"));
  EXPECT_EQ(Get(0x802, c), 0x800u);
  KeyedConfig power;
  power.flags() = wlflag::kPowerMode | wlflag::kRtsThreshold;
  power.config().rtsThreshold = 2347;
  EXPECT_EQ(Set(power), wlflag::kPowerMode);
}

TEST_F(VirtualCardConfig, ReservedBitsKeepTheirValuesAcrossASetAndGet) {
  KeyedConfig k;
  k.flags() = wlflag::kReserved8 | wlflag::kReserved40000;
  std::uint32_t typeInUse = 1, filter = 1;
  std::memcpy(k.config().reserved2, &typeInUse, 4);
  std::memcpy(k.config().reserved2 + 4, &filter, 4);
  EXPECT_EQ(Set(k), 0u);
  WlanConfig c{};
  EXPECT_EQ(Get(wlflag::kReserved8 | wlflag::kReserved40000, c), 0u);
  EXPECT_EQ(U32(c.reserved2), 1u);
  EXPECT_EQ(U32(c.reserved2 + 4), 1u);
}

TEST_F(VirtualCardConfig, FirmwareTextIsTerminatedWithinItsField) {
  ASSERT_TRUE(LoadVirtualCardScenario("[card]\nfirmware=" + std::string(79, 'F') + "\n"));
  WlanConfig c;
  std::memset(&c, 0x7E, sizeof c);
  EXPECT_EQ(Get(wlflag::kFirmwareVersion, c), 0u);
  EXPECT_EQ(std::string(c.firmwareVersion), std::string(79, 'F'));
  std::vector<std::string> errors;
  EXPECT_FALSE(LoadVirtualCardScenario("[card]\nfirmware=" + std::string(80, 'F') + "\n", &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "line 2: firmware must be at most 79 printable characters: skipped");
}

// ---------------------------------------------------------------- site survey

TEST_F(VirtualCardConfig, SurveyListsEveryHeardNetworkInTheNdisFormat) {
  std::vector<std::uint8_t> buffer(kSurveyBufferSize, 0xCC);
  std::uint32_t size = kSurveyBufferSize;
  EXPECT_EQ(f.NIVO_SiteSurveyTrigger(), 0);
  ASSERT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), 1);
  ASSERT_EQ(U32(buffer.data()), 5u) << "four networks, one of them reported twice";
  EXPECT_EQ(size, 4u + 5u * 104u);

  struct Expected {
    std::uint8_t bssid[6];
    const char* ssid;
    std::uint32_t privacy;
    std::int32_t rssi;
    std::uint32_t frequency;
    std::uint32_t infrastructure;
  } expected[] = {
      {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x01}, "Harbour", 0, -48, 2412000, 1},
      {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x02}, "Lighthouse64", 1, -63, 2437000, 1},
      {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x02}, "Lighthouse64", 1, -66, 2437000, 1},
      {{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x03}, "Quayside128", 1, -77, 2462000, 1},
      {{0x02, 0x00, 0x5E, 0x10, 0x20, 0x30}, "Skiff", 0, -70, 2422000, 0},
  };
  for (int i = 0; i < 5; ++i) {
    const std::uint8_t* e = buffer.data() + 4 + 104 * i;
    const Expected& x = expected[i];
    EXPECT_EQ(U32(e + 0), 104u) << i;
    EXPECT_EQ(std::memcmp(e + 4, x.bssid, 6), 0) << i;
    EXPECT_EQ(U32(e + 12), std::strlen(x.ssid)) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(e + 16), std::strlen(x.ssid)), x.ssid) << i;
    EXPECT_EQ(U32(e + 48), x.privacy) << i;
    EXPECT_EQ(static_cast<std::int32_t>(U32(e + 52)), x.rssi) << i;
    EXPECT_EQ(U32(e + 72), x.frequency) << i;
    EXPECT_EQ(U32(e + 92), x.infrastructure) << i;
  }
  for (std::size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCC) << "byte " << i;
}

TEST_F(VirtualCardConfig, SurveyNeverWritesPastTheGivenSize) {
  struct Case {
    std::uint32_t size;
    std::int32_t result;
    std::uint32_t count, sizeOut;
  } cases[] = {
      {4 + 2 * 104 + 50, 1, 2, 4 + 2 * 104},
      {4 + 104, 1, 1, 108},
      {4 + 103, 1, 0, 4},
      {4, 1, 0, 4},
      {3, 0, 0, 3},
      {0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> buffer(c.size + 64, 0xCC);
    std::uint32_t size = c.size;
    EXPECT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), c.result) << c.size;
    EXPECT_EQ(size, c.sizeOut) << c.size;
    if (c.result == 1) {
      EXPECT_EQ(U32(buffer.data()), c.count) << c.size;
    }
    for (std::size_t i = c.sizeOut; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCC) << c.size << " byte " << i;
  }
  std::uint32_t size = 100;
  EXPECT_EQ(f.NIVO_SiteSurveyGet(nullptr, &size), 0);
  std::uint8_t one[4];
  EXPECT_EQ(f.NIVO_SiteSurveyGet(one, nullptr), 0);
}

TEST_F(VirtualCardConfig, SurveyOfAManyNetworkWorldFillsTheProgramsBufferExactly) {
  std::string scenario;
  for (int i = 0; i < 40; ++i) {
    char bssid[18];
    std::snprintf(bssid, sizeof bssid, "00-50-00-00-00-%02X", i + 1);
    scenario += "[network]\nssid=Net" + std::to_string(i) + "\nbssid=" + bssid + "\nchannel=" +
                std::to_string(i % 11 + 1) + "\n";
  }
  ASSERT_TRUE(LoadVirtualCardScenario(scenario));
  std::vector<std::uint8_t> buffer(kSurveyBufferSize + 16, 0xCC);
  std::uint32_t size = kSurveyBufferSize;
  ASSERT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), 1);
  EXPECT_EQ(U32(buffer.data()), 32u);
  EXPECT_EQ(size, kSurveyBufferSize);
  for (std::size_t i = kSurveyBufferSize; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xCC);
}

TEST_F(VirtualCardConfig, SurveyLeavesOutWhatTheCardCannotHear) {
  ASSERT_EQ(Ctl("signal Harbour -96").status, 0);
  ASSERT_EQ(f.NIVO_SetWLDomain(2), 0);  // Spain: 10-11, only Quayside128 on 11
  std::vector<std::uint8_t> buffer(kSurveyBufferSize);
  std::uint32_t size = kSurveyBufferSize;
  ASSERT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), 1);
  ASSERT_EQ(U32(buffer.data()), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data() + 20), 11), "Quayside128");
  ASSERT_EQ(Ctl("fault survey on").status, 0);
  size = kSurveyBufferSize;
  EXPECT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), 0);
  ASSERT_EQ(Ctl("remove").status, 0);
  ASSERT_EQ(Ctl("fault survey off").status, 0);
  EXPECT_EQ(f.NIVO_SiteSurveyGet(buffer.data(), &size), 0);
  EXPECT_EQ(f.NIVO_SiteSurveyTrigger(), -1);
}

}  // namespace
