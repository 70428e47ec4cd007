// The virtual card's radio: association after the delay, WEP matching, link status, frame
// counters, removal and insertion, regulatory domains and channel arithmetic.
#include <gtest/gtest.h>

#include "support/virtual_card_fixture.h"

namespace {

const std::vector<std::string> kKeys64 = {"1111111111", "2222222222", "0A0B0C0D0E", "4444444444"};
const std::string kDefault128 = "5C3E1A7B90D24F68A13B7C9E05";

using VirtualCardLink = VirtualCardTest;

TEST_F(VirtualCardLink, BuiltInCardJoinsTheStrongestOpenNetworkAfterTheDelay) {
  DetectInfo info{};
  std::strcpy(info.hardwareId, "PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7");
  EXPECT_EQ(f.NIVO_Detect(&info), 1);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(999);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(1);
  EXPECT_EQ(ConnectStatus(), 0);

  WlanConfig c{};
  EXPECT_EQ(Get(0x1000E33, c), 0u);
  const std::uint8_t harbour[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x01};
  EXPECT_EQ(std::memcmp(c.bssid, harbour, 6), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.ssid), c.ssidLength), "Harbour");
  EXPECT_EQ(c.configuration.DSConfig, 2412000u);  // channel 1
  EXPECT_EQ(c.rssi, -48);
  EXPECT_EQ(c.supportedRates[0], 108);  // 54 Mbit/s on a strong 802.11g network
  EXPECT_EQ(c.infrastructureMode, 1);
}

TEST_F(VirtualCardLink, WepMustMatchTheNetworkForALink) {
  struct Case {
    const char* what;
    std::string ssid;
    std::vector<std::string> keys;
    int tx;
    bool links;
  } cases[] = {
      {"right 64-bit key at the transmit index", "Lighthouse64", kKeys64, 2, true},
      {"right key, but another transmit index", "Lighthouse64", kKeys64, 0, false},
      {"WEP off towards a WEP network", "Lighthouse64", {}, 0, false},
      {"right 128-bit key", "Quayside128", {kDefault128, kDefault128, kDefault128, kDefault128}, 3, true},
      {"WEP on towards an open network", "Harbour", kKeys64, 2, false},
      {"WEP off, open network", "Harbour", {}, 0, true},
      {"unknown network", "Nowhere", {}, 0, false},
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_EQ(Join(c.ssid, 1, 6, c.keys, c.tx), 0u) << c.what;
    Wait(5000);
    EXPECT_EQ(ConnectStatus(), c.links ? 0 : 1) << c.what;
    if (c.links) {
      WlanConfig w{};
      EXPECT_EQ(Get(wlflag::kSsid, w), 0u);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(w.ssid), w.ssidLength), c.ssid) << c.what;
    }
    TearDown();
  }
}

TEST_F(VirtualCardLink, ANewConfigurationDropsTheLinkUntilTheDelayHasPassed) {
  Wait(1000);
  ASSERT_EQ(ConnectStatus(), 0);
  ASSERT_EQ(Join("Lighthouse64", 1, 6, kKeys64, 2), 0u);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(999);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(1);
  EXPECT_EQ(ConnectStatus(), 0);
  WlanConfig c{};
  EXPECT_EQ(Get(0xE23, c), 0u);
  EXPECT_EQ(c.rssi, -63);
  EXPECT_EQ(c.configuration.DSConfig, 2437000u);
}

TEST_F(VirtualCardLink, AdHocCellNeedsAdHocMode) {
  ASSERT_EQ(Join("Skiff", 1, 3), 0u);
  Wait(3000);
  EXPECT_EQ(ConnectStatus(), 1) << "an ad hoc cell is not joined in infrastructure mode";

  // The site survey's join: mode, channel, then the SSID.
  std::int32_t mode = 0, channel = 3;
  EXPECT_EQ(f.NIVO_SetOperatingMode(&mode), 0);
  EXPECT_EQ(f.NIVO_SetChannel(&channel), 0);
  NdisSsid ssid{5, {'S', 'k', 'i', 'f', 'f'}};
  EXPECT_EQ(f.NIVO_SetSSID(&ssid), 0);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0);
  WlanConfig c{};
  EXPECT_EQ(Get(0xE23, c), 0u);
  EXPECT_EQ(c.infrastructureMode, 0);
  EXPECT_EQ(c.supportedRates[0], kBasicRateBit | 22) << "an 802.11b cell runs at 11 Mbit/s at most, a basic rate";
}

TEST_F(VirtualCardLink, FrameCountersGrowOnlyWhileLinked) {
  auto counter = [&](std::uint32_t oid) {
    std::uint32_t value = 0, written = 0;
    EXPECT_EQ(f.NIVO_QueryOID(oid, &value, 4, &written), 0);
    EXPECT_EQ(written, 4u);
    return value;
  };
  Wait(999);
  EXPECT_EQ(counter(kOidGenXmitOk), 0u);
  Wait(1);  // linked from here
  Wait(4000);
  std::uint32_t tx = counter(kOidGenXmitOk), rx = counter(kOidGenRcvOk);
  EXPECT_GT(tx, 0u);
  EXPECT_GT(rx, 0u);
  ASSERT_EQ(Ctl("link-down").status, 0);
  Wait(10000);
  EXPECT_EQ(counter(kOidGenXmitOk), tx);
  EXPECT_EQ(counter(kOidGenRcvOk), rx);
  EXPECT_EQ(ConnectStatus(), 1) << "link-down holds the link down";
  ASSERT_EQ(Ctl("link-up").status, 0);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0);
  Wait(1000);
  EXPECT_GT(counter(kOidGenXmitOk), tx);
}

TEST_F(VirtualCardLink, QueryOidFailsForUnknownOidsShortBuffersAndFaults) {
  Wait(1000);
  std::uint8_t buffer[8];
  std::memset(buffer, 0xCC, sizeof buffer);
  std::uint32_t written = 99;
  EXPECT_EQ(f.NIVO_QueryOID(0x10101, buffer, 4, &written), vcard::kNdisStatusNotSupported);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(f.NIVO_QueryOID(kOidGenMediaConnectStatus, buffer, 3, &written), vcard::kNdisStatusInvalidLength);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(f.NIVO_QueryOID(kOidGenMediaConnectStatus, nullptr, 4, &written), vcard::kNdisStatusInvalidData);
  for (std::uint8_t b : buffer) EXPECT_EQ(b, 0xCC) << "nothing written on failure";

  ASSERT_EQ(Ctl("fault query-connect on").status, 0);
  EXPECT_EQ(ConnectStatus(), -1);
  std::uint32_t value = 0;
  EXPECT_EQ(f.NIVO_QueryOID(kOidGenXmitOk, &value, 4, &written), 0) << "counters are another fault";
  ASSERT_EQ(Ctl("fault query-counters on").status, 0);
  EXPECT_EQ(f.NIVO_QueryOID(kOidGenXmitOk, &value, 4, &written), vcard::kNdisStatusFailure);
  ASSERT_EQ(Ctl("fault query-connect off").status, 0);
  EXPECT_EQ(ConnectStatus(), 0);
}

TEST_F(VirtualCardLink, RemovedCardFailsItsCallsAndComesBackAfterInsertion) {
  Wait(1000);
  ASSERT_EQ(ConnectStatus(), 0);
  vcard::ControlResult removed = Ctl("remove");
  EXPECT_EQ(removed.status, 0);
  EXPECT_TRUE(removed.deviceChanged);
  EXPECT_EQ(f.NIVO_Detect(nullptr), 0);
  std::uint32_t value = 0, written = 0;
  EXPECT_EQ(f.NIVO_QueryOID(kOidGenMediaConnectStatus, &value, 4, &written), vcard::kNdisStatusAdapterNotFound);
  WlanConfig c{};
  EXPECT_EQ(Get(0x207F6EE, c), 0x207F6EEu) << "every bit is left when there is no card";
  EXPECT_EQ(Join("Harbour", 1, 1), 0x30422u);
  char path[kDriverPathBufferSize];
  EXPECT_EQ(f.NIVO_GetWLANDriverPath(path), 1) << "the installed driver's path stays known";
  EXPECT_FALSE(Ctl("remove").deviceChanged) << "a second removal changes nothing";

  vcard::ControlResult inserted = Ctl("insert");
  EXPECT_TRUE(inserted.deviceChanged);
  EXPECT_EQ(f.NIVO_Detect(nullptr), 1);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0);
}

TEST_F(VirtualCardLink, DetectionFailsOnTheFaultAndForAnotherCardsIdentifier) {
  DetectInfo other{};
  std::strcpy(other.hardwareId, "PCI\\VEN_8086&DEV_1043");
  EXPECT_EQ(f.NIVO_Detect(&other), 0);
  DetectInfo ours{};
  std::strcpy(ours.hardwareId, "pci\\ven_1260&dev_3890&subsys_4e2a10d7");
  EXPECT_EQ(f.NIVO_Detect(&ours), 1) << "identifiers compare without regard to case";
  ASSERT_EQ(Ctl("fault detect on").status, 0);
  EXPECT_EQ(f.NIVO_Detect(&ours), 0);
}

TEST_F(VirtualCardLink, WeakOrDroppedNetworkLosesTheLink) {
  Wait(1000);
  ASSERT_EQ(ConnectStatus(), 0);
  ASSERT_EQ(Ctl("signal Harbour -80").status, 0);
  WlanConfig c{};
  EXPECT_EQ(Get(wlflag::kStatus800 | wlflag::kSupportedRates, c), 0u);
  EXPECT_EQ(c.rssi, -80);
  EXPECT_EQ(c.supportedRates[0], 22) << "the rate steps down with the signal";
  ASSERT_EQ(Ctl("signal 00-1A-2B-3C-4D-01 -100").status, 0);
  EXPECT_EQ(ConnectStatus(), 1);
  ASSERT_EQ(Ctl("signal Harbour -50").status, 0);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0);
  ASSERT_EQ(Ctl("drop-network Harbour").status, 0);
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(5000);
  EXPECT_EQ(ConnectStatus(), 1) << "no other open infrastructure network";
  ASSERT_EQ(Ctl("add-network ssid=Harbour bssid=00-1A-2B-3C-4D-09 channel=4 signal=-70").status, 0);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0) << "a network that appears is joined at the next attempt";
}

TEST_F(VirtualCardLink, ChannelFrequencyConversionAgreesBothWays) {
  struct Case {
    std::int32_t channel, khz;
  } cases[] = {{1, 2412000}, {6, 2437000}, {11, 2462000}, {13, 2472000}, {14, 2484000}};
  for (const Case& c : cases) {
    EXPECT_EQ(f.NIVO_ChannelToFrequency(c.channel), c.khz);
    EXPECT_EQ(f.NIVO_FrequencyToChannel(c.khz), c.channel);
  }
  for (std::int32_t bad : {0, 15, -1, 255}) EXPECT_EQ(f.NIVO_ChannelToFrequency(bad), 0) << bad;
  for (std::int32_t bad : {0, 2437, 2437001, 2477000, 2407000, 2489000, -2412000})
    EXPECT_EQ(f.NIVO_FrequencyToChannel(bad), 0) << bad;
}

TEST_F(VirtualCardLink, RegulatoryDomainSetsTheChannelMask) {
  struct Case {
    std::int32_t domain;
    std::uint16_t mask;
    int lowest, highest;
  } cases[] = {{0, 0x07FF, 1, 11}, {1, 0x1FFF, 1, 13}, {2, 0x0600, 10, 11}, {3, 0x1E00, 10, 13}, {4, 0x3FFF, 1, 14}};
  for (const Case& c : cases) {
    EXPECT_EQ(f.NIVO_SetWLDomain(c.domain), 0);
    WlanConfig w{};
    EXPECT_EQ(Get(wlflag::kChannelMask, w), 0u);
    EXPECT_EQ(w.channelMask, c.mask) << c.domain;
    for (std::int32_t ch = 1; ch <= 14; ++ch) {
      std::int32_t channel = ch;
      bool allowed = ch >= c.lowest && ch <= c.highest;
      EXPECT_EQ(f.NIVO_SetChannel(&channel), allowed ? 0 : -1) << "domain " << c.domain << " channel " << ch;
    }
  }
  EXPECT_EQ(f.NIVO_SetWLDomain(5), -1);
  EXPECT_EQ(f.NIVO_SetWLDomain(-1), -1);
  WlanConfig w{};
  Get(wlflag::kChannelMask, w);
  EXPECT_EQ(w.channelMask, 0x3FFF) << "a refused domain changes nothing";
}

TEST_F(VirtualCardLink, DomainThatForbidsTheChannelDropsTheLink) {
  Wait(1000);
  ASSERT_EQ(ConnectStatus(), 0);  // Harbour, channel 1
  EXPECT_EQ(f.NIVO_SetWLDomain(3), 0);  // France: 10-13
  EXPECT_EQ(ConnectStatus(), 1);
  Wait(10000);
  EXPECT_EQ(ConnectStatus(), 1) << "no open network on channels 10-13";
}

TEST_F(VirtualCardLink, AnySsidJoinsTheStrongestAdmissibleNetwork) {
  ASSERT_EQ(Ctl("add-network ssid=Loud bssid=02-11-22-33-44-55 channel=9 signal=-30 wep=64 key=0A0B0C0D0E").status, 0);
  ASSERT_EQ(Join("any", 1, 6), 0u);
  Wait(1000);
  WlanConfig c{};
  Get(wlflag::kSsid, c);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.ssid), c.ssidLength), "Harbour")
      << "with WEP off the strongest open network, not the louder WEP one";
  ASSERT_EQ(Join("", 1, 6, kKeys64, 2), 0u);
  Wait(1000);
  Get(wlflag::kSsid, c);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.ssid), c.ssidLength), "Loud");
}

}  // namespace
