// The virtual card's call log (one JSON object per call, fields by name, hex where it says
// so), its scenario text and its control commands.
#include <gtest/gtest.h>

#include "support/call_log_json.h"
#include "support/virtual_card_fixture.h"
#include "virtualcard/model/control_commands.h"

namespace {

using VirtualCardLog = VirtualCardTest;
using calllog::Json;

Json MembersOf(const std::string& line) {
  auto members = calllog::ParseObject(line);
  EXPECT_TRUE(members.has_value()) << "not a JSON object: " << line;
  return members.value_or(Json::object());
}

TEST_F(VirtualCardLog, EveryCallIsOneJsonLineWithTimeThreadOperationAndResult) {
  Wait(250);
  f.NIVO_Init("Halden", 0);
  DetectInfo info{};
  std::strcpy(info.deviceName, "TW77MBPS");
  info.detectKind = 2;
  f.NIVO_Detect(&info);
  Wait(1000);
  ConnectStatus();
  ASSERT_EQ(log.size(), 3u);
  for (const std::string& line : log) {
    EXPECT_EQ(line.find('\n'), std::string::npos);
    auto m = MembersOf(line);
    for (const char* key : {"t", "thread", "op", "result"}) EXPECT_EQ(m.count(key), 1u) << key << " in " << line;
  }
  auto init = MembersOf(log[0]);
  EXPECT_EQ(init["t"], 250) << "milliseconds since the card was loaded";
  EXPECT_EQ(init["op"], "NIVO_Init");
  EXPECT_EQ(init["applicationName"], "Halden");
  EXPECT_EQ(init["result"], 0);
  auto detect = MembersOf(log[1]);
  EXPECT_EQ(detect["deviceName"], "TW77MBPS");
  EXPECT_EQ(detect["detectKind"], 2);
  EXPECT_EQ(detect["result"], 1);
  auto query = MembersOf(log[2]);
  EXPECT_EQ(query["t"], 1250);
  EXPECT_EQ(query["oid"], "0x10114");
  EXPECT_EQ(query["value"], 0);
  EXPECT_EQ(query["bytesWritten"], 4);
}

TEST_F(VirtualCardLog, WlanConfigSetDecodesSelectorFieldsAndKeysInHex) {
  KeyedConfig k;
  k.Ssid("Lighthouse64");
  k.Mode(1);
  k.Frequency(2437000);
  k.WepOn({"1111111111", "2222222222", "0A0B0C0D0E", "4444444444"}, 2);
  k.config().GMode = 1;
  ASSERT_EQ(Set(k), 0u);
  auto m = MembersOf(LastLine("NIVO_SetWLANConfig"));
  EXPECT_EQ(m["dwWLFlag_in"], "0x3F422");
  EXPECT_EQ(m["dwWLFlag_out"], "0x0");
  EXPECT_EQ(m["ssid"], "Lighthouse64");
  EXPECT_EQ(m["ssidLength"], 12);
  EXPECT_EQ(m["dsFrequency"], 2437000);
  EXPECT_EQ(m["wepStatus"], 0);
  EXPECT_EQ(m["GMode"], 1);
  const Json& keys = m["wepKey"];
  ASSERT_TRUE(keys.is_array());
  ASSERT_EQ(keys.size(), 4u);
  Json third = keys[2];
  EXPECT_EQ(third["keyIndex"], "0x80000002");
  EXPECT_EQ(third["keyLength"], 5);
  EXPECT_EQ(third["length"], 20);
  EXPECT_EQ(third["keyMaterial"], "0A0B0C0D0E");
  EXPECT_EQ(keys[0].value("keyIndex", ""), "0x0");

  // A get lists what it served, and the bits it left.
  ASSERT_EQ(Ctl("fault get-bits on 0x400 1").status, 0);
  std::uint32_t flags = 0x207F6EE;
  WlanConfig c{};
  f.NIVO_GetWLANConfig(&flags, &c);
  auto get = MembersOf(LastLine("NIVO_GetWLANConfig"));
  EXPECT_EQ(get["dwWLFlag_in"], "0x207F6EE");
  EXPECT_EQ(get["dwWLFlag_out"], "0x400");
  EXPECT_EQ(get.count("dsFrequency"), 0u);
  EXPECT_EQ(get.count("wepKey"), 0u) << "keys are never read back";
  EXPECT_EQ(get["supportedRates"], "6C60483024181612");
  EXPECT_EQ(get["result"], -1);
}

TEST_F(VirtualCardLog, TextsAreEscaped) {
  NdisSsid ssid{};
  const char raw[] = {'a', '"', 'b', '\\', 'c', '\x01', '\xE9', '\n'};
  ssid.SsidLength = sizeof raw;
  std::memcpy(ssid.Ssid, raw, sizeof raw);
  f.NIVO_SetSSID(&ssid);
  std::string line = LastLine("NIVO_SetSSID");
  EXPECT_NE(line.find(R"("ssid":"a\"b\\c\u0001\u00E9\n")"), std::string::npos) << line;
  auto m = MembersOf(line);
  EXPECT_EQ(calllog::Text(m, "ssid"), std::string(raw, sizeof raw));

  // Empty and full-length SSIDs; a length beyond the field logs the field's 32 bytes.
  std::string high;
  for (int b = 0xE0; b < 0x100; ++b) high += static_cast<char>(b);
  for (auto [length, logged] : {std::pair<std::uint32_t, std::string>{0, ""}, {32, high}, {40, high}}) {
    std::memcpy(ssid.Ssid, high.data(), high.size());
    ssid.SsidLength = length;
    f.NIVO_SetSSID(&ssid);
    Json set = MembersOf(LastLine("NIVO_SetSSID"));
    EXPECT_EQ(set["ssidLength"], length);
    EXPECT_EQ(calllog::Text(set, "ssid"), logged) << length;
  }

  // A text argument without an end is read only so far.
  std::vector<char> unterminated(400, 'R');
  unterminated.push_back('\0');
  f.NIVO_SetProfileRoot(unterminated.data());
  auto root = MembersOf(LastLine("NIVO_SetProfileRoot"));
  EXPECT_EQ(calllog::Text(root, "root").size(), 260u);
  EXPECT_EQ(root["result"], -1);
}

TEST_F(VirtualCardLog, ProfileAndSurveyCallsAreDecoded) {
  f.NIVO_SetProfileRoot("Tallwyn\\Profile");
  ProfileWireless p;
  std::memset(&p, 0, sizeof p);
  std::strcpy(p.profileName, "Default");
  std::strcpy(p.ssid, "any");
  std::strcpy(p.activeKeyText[0], "5C3E1A7B90");
  p.fragThreshold = 2346;
  f.NIVO_SetProfileWireless("Default", &p);
  auto m = MembersOf(LastLine("NIVO_SetProfileWireless"));
  EXPECT_EQ(m["name"], "Default");
  EXPECT_EQ(m["profileName"], "Default");
  EXPECT_EQ(m["fragThreshold"], 2346);
  const Json& keys = m["activeKeyText"];
  ASSERT_TRUE(keys.is_array() && !keys.empty()) << keys;
  EXPECT_EQ(keys[0], "5C3E1A7B90");

  std::vector<std::uint8_t> buffer(kSurveyBufferSize);
  std::uint32_t size = kSurveyBufferSize;
  f.NIVO_SiteSurveyGet(buffer.data(), &size);
  auto survey = MembersOf(LastLine("NIVO_SiteSurveyGet"));
  EXPECT_EQ(survey["count"], 5);
  EXPECT_EQ(survey["sizeIn"], 3332);
  EXPECT_EQ(survey["sizeOut"], 524);
  const Json& entries = survey["entries"];
  ASSERT_TRUE(entries.is_array());
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[2].value("bssid", ""), "00-1A-2B-3C-4D-02");
}

// ---------------------------------------------------------------- scenario

TEST(VirtualCardScenario, ReadsCardFaultsAndNetworks) {
  vcard::ScenarioResult r = vcard::ParseScenario(
      "; a test world\r\n"
      "[card]\r\n"
      "present = 0\r\n"
      "firmware=FW 2.0\r\n"
      "driver_path=C:\\drivers\\tw.sys\r\n"
      "zero_config=yes\r\n"
      "association_delay_ms=250\r\n"
      "ssid=Cove\r\n"
      "mode=adhoc\r\n"
      "channel=13\r\n"
      "domain=1\r\n"
      "[faults]\r\n"
      "detect=1\r\n"
      "set_bits=0x2000000\r\n"
      "[Network]\r\n"
      "ssid=Cove\r\n"
      "bssid=02:aa:bb:cc:dd:ee\r\n"
      "channel=13\r\n"
      "signal=-40\r\n"
      "type=adhoc\r\n"
      "wep=128\r\n"
      "key=00112233445566778899AABBCC\r\n"
      "band=b\r\n"
      "repeat=3\r\n");
  EXPECT_TRUE(r.errors.empty()) << r.errors[0];
  const vcard::World& w = r.world;
  EXPECT_FALSE(w.present);
  EXPECT_EQ(w.firmware, "FW 2.0");
  EXPECT_EQ(w.driverPath, "C:\\drivers\\tw.sys");
  EXPECT_TRUE(w.zeroConfig);
  EXPECT_EQ(w.associationDelayMs, 250);
  EXPECT_EQ(w.config.ssid, "Cove");
  EXPECT_EQ(w.config.infrastructureMode, 0);
  EXPECT_EQ(w.config.channel, 13);
  EXPECT_EQ(w.config.domain, 1);
  EXPECT_TRUE(w.faults.detect);
  EXPECT_EQ(w.faults.setBits, 0x2000000u);
  ASSERT_EQ(w.networks.size(), 1u);
  const vcard::Network& n = w.networks[0];
  EXPECT_EQ(n.ssid, "Cove");
  EXPECT_EQ(vcard::FormatBssid(n.bssid), "02-AA-BB-CC-DD-EE");
  EXPECT_EQ(n.channel, 13);
  EXPECT_EQ(n.signalDbm, -40);
  EXPECT_FALSE(n.infrastructure);
  EXPECT_EQ(n.wep, vcard::Wep::Wep128);
  EXPECT_EQ(vcard::HexBytes(n.key.data(), n.key.size()), "00112233445566778899AABBCC");
  EXPECT_FALSE(n.gBand);
  EXPECT_EQ(n.repeat, 3);
}

TEST(VirtualCardScenario, DamagedTextIsSkippedLineByLineWithReasons) {
  std::string text =
      "ssid=outside\n"                                  // 1
      "[card]\n"                                        // 2
      "channel=15\n"                                    // 3
      "present=maybe\n"                                 // 4
      "colour=blue\n"                                   // 5
      "no equals sign\n"                                // 6
      "[weather]\n"                                     // 7
      "rain=1\n"                                        // 8
      "[network]\n"                                     // 9
      "ssid=NoBssid\n"                                  // 10
      "[network]\n"                                     // 11
      "ssid=BadKey\nbssid=00-00-00-00-00-07\nwep=64\nkey=0A0B\n"  // 12-15
      "[network]\n"                                     // 16
      "ssid=" + std::string(33, 'x') + "\n"             // 17
      "[network\n"                                      // 18
      "bin?ary=1\n"                                     // 19 (a NUL byte, see below)
      + std::string(2000, 'z') + "\n"                   // 20
      "[network]\nssid=Good\nbssid=00-00-00-00-00-09\n";  // 21-23
  text[text.find("bin?") + 3] = '\0';
  vcard::ScenarioResult r = vcard::ParseScenario(text);
  std::vector<std::string> expected = {
      "line 1: key outside a section: skipped",
      "line 3: channel must be 1..14: skipped",
      "line 4: present must be 0 or 1: skipped",
      "line 5: unknown key 'colour' in [card]: skipped",
      "line 6: not a key=value line: skipped",
      "line 7: unknown section [weather]: its keys are skipped",
      "line 9: network without bssid: network skipped",
      "line 15: key must be 10 or 26 hexadecimal digits: skipped",
      "line 11: 64-bit WEP network needs a 10-digit key: network skipped",
      "line 17: ssid must be 1..32 bytes: skipped",
      "line 18: section header without ']': skipped",
      "line 19: not text: skipped",
      "line 20: line longer than 1024 characters: skipped",
      "line 16: network without ssid: network skipped",
  };
  EXPECT_EQ(r.errors, expected);
  EXPECT_TRUE(r.world.present);
  EXPECT_EQ(r.world.config.channel, 6);
  ASSERT_EQ(r.world.networks.size(), 1u);
  EXPECT_EQ(r.world.networks[0].ssid, "Good");
}

// Sixteen hexadecimal digits reach past the largest number: such a number is refused, in a
// scenario line and in a control command alike, and never wraps round to another value.
TEST(VirtualCardScenario, NumbersBeyondTheLargestAreRefusedNotWrapped) {
  struct Case {
    const char* text;
    bool read;
    long long value;
  } cases[] = {
      {"0x7FFFFFFFFFFFFFFF", true, 0x7FFFFFFFFFFFFFFFll},
      {"0x8000000000000000", false, 0},
      {"0xFFFFFFFFFFFFFFFF", false, 0},
      {"-0xFFFFFFFFFFFFFFFF", false, 0},
      {"9999999999999999", true, 9999999999999999ll},
      {"-0x10", true, -16},
  };
  for (const Case& c : cases) {
    long long value = 0;
    EXPECT_EQ(vcard::ParseInteger(c.text, value), c.read) << c.text;
    if (c.read) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }

  vcard::ScenarioResult r = vcard::ParseScenario("[faults]\nget_bits=0xFFFFFFFFFFFFFFFF\n[card]\nchannel=0x1000000000000003\n");
  EXPECT_EQ(r.errors, (std::vector<std::string>{"line 2: get_bits must be a 32-bit mask: skipped",
                                                "line 4: channel must be 1..14: skipped"}));
  EXPECT_EQ(r.world.faults.getBits, 0u);
  EXPECT_EQ(r.world.config.channel, 6);

  vcard::VirtualCard card;
  EXPECT_EQ(card.Control({"fault", "get-bits", "on", "0x8000000000000001"}).status, 1);
  EXPECT_EQ(card.Control({"signal", "Harbour", "-0xFFFFFFFFFFFFFFC4"}).status, 1);
  EXPECT_EQ(card.State().faults.getBits, 0u);
}

TEST(VirtualCardScenario, OversizedOrEmptyScenario) {
  vcard::ScenarioResult big = vcard::ParseScenario(std::string((1 << 20) + 1, ';'));
  ASSERT_EQ(big.errors.size(), 1u);
  EXPECT_EQ(big.world.networks.size(), vcard::BuiltInWorld().networks.size()) << "the built-in world instead";
  vcard::ScenarioResult empty = vcard::ParseScenario("");
  EXPECT_TRUE(empty.errors.empty());
  EXPECT_TRUE(empty.world.networks.empty()) << "a scenario describes the whole world";
  EXPECT_TRUE(empty.world.present);
}

TEST_F(VirtualCardLog, LoadedScenarioDecidesWhatTheCardDoes) {
  std::vector<std::string> errors;
  EXPECT_FALSE(LoadVirtualCardScenario(
      "[card]\npresent=0\nzero_config=1\nbogus=1\n[network]\nssid=A\nbssid=00-00-00-00-00-01\n", &errors));
  EXPECT_EQ(errors, std::vector<std::string>{"line 4: unknown key 'bogus' in [card]: skipped"});
  EXPECT_EQ(f.NIVO_Detect(nullptr), 0);
  std::int32_t active = 0;
  EXPECT_EQ(f.NIVO_Get_XPWZC(&active), 1);
  EXPECT_EQ(active, 1);
  auto scenarioLine = MembersOf(LastLine("scenario"));
  EXPECT_EQ(scenarioLine["result"], 1);
  EXPECT_NE(Ctl("status").text.find("scenario-errors: 1\n  line 4: unknown key 'bogus' in [card]: skipped\n"),
            std::string::npos);
}

// ---------------------------------------------------------------- control

TEST_F(VirtualCardLog, StatusDescribesTheCard) {
  Wait(1000);
  std::string status = Ctl("status").text;
  for (const char* line : {"present: yes\n", "linked: yes\n", "ssid: Harbour\n", "bssid: 00-1A-2B-3C-4D-01\n",
                           "channel: 1\n", "rssi: -48 dBm\n", "rate: 54 Mbit/s\n", "wep: off\n", "zero-config: off\n",
                           "faults: none\n", "networks: 4\n",
                           "  ssid=Lighthouse64 bssid=00-1A-2B-3C-4D-02 channel=6 signal=-63 type=infrastructure "
                           "wep=64 key=0A0B0C0D0E band=g repeat=2\n"})
    EXPECT_NE(status.find(line), std::string::npos) << line << " in\n" << status;
  ASSERT_EQ(Ctl("remove").status, 0);
  status = Ctl("status").text;
  EXPECT_NE(status.find("present: no\nlinked: no\n"), std::string::npos) << status;
}

// The control window receives the words each ended by a zero byte.
TEST(VirtualCardControl, RequestBytesSplitIntoWordsAtEachZeroByte) {
  using Words = std::vector<std::string>;
  struct Case {
    std::string request;
    Words words;
  } cases[] = {
      {std::string("fault\0store\0on\0", 15), {"fault", "store", "on"}},
      {std::string("a\0\0b", 4), {"a", "", "b"}},
      {std::string("\0", 1), {""}},
      {"", {}},
      {std::string("status\0\xff\x01", 9), {"status", "\xff\x01"}},
  };
  for (const Case& c : cases) EXPECT_EQ(vcard::ControlRequestWords(c.request), c.words) << c.request.size();
}

TEST_F(VirtualCardLog, ControlCommandsChangeTheWorldAndRefuseNonsense) {
  EXPECT_EQ(Ctl("zeroconfig on").status, 0);
  std::int32_t active = 0;
  EXPECT_EQ(f.NIVO_Get_XPWZC(&active), 1);
  EXPECT_EQ(Ctl("zeroconfig off").status, 0);
  EXPECT_EQ(f.NIVO_Get_XPWZC(nullptr), 0);

  EXPECT_EQ(Ctl("add-network ssid=Cafe bssid=02-00-00-00-00-09 channel=3 signal=-55 type=adhoc").status, 0);
  EXPECT_EQ(VirtualCardInstance().State().networks.size(), 5u);
  EXPECT_EQ(Ctl("drop-network 02-00-00-00-00-09").status, 0);
  EXPECT_EQ(VirtualCardInstance().State().networks.size(), 4u);

  for (const char* bad : {"", "dance", "signal Harbour", "signal Harbour loud", "signal Nowhere -50", "signal Harbour 5",
                          "add-network ssid=NoBssid", "add-network ssid=X bssid=1", "add-network junk",
                          "add-network ssid=W bssid=02-00-00-00-00-01 wep=64", "drop-network Nowhere", "zeroconfig maybe",
                          "fault gremlins on", "fault get-bits on", "fault get-bits on 0", "fault set-bits on 0x2 0",
                          "fault detect on 0x1", "status now"}) {
    vcard::ControlResult r = Ctl(bad);
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_FALSE(r.text.empty()) << bad;
    EXPECT_FALSE(r.deviceChanged) << bad;
  }
  EXPECT_EQ(VirtualCardInstance().State().networks.size(), 4u) << "refused commands change nothing";
  auto m = MembersOf(LastLine("control"));
  EXPECT_EQ(m["command"], Json::array({"status", "now"}));
  EXPECT_EQ(m["result"], 1);
}

}  // namespace
