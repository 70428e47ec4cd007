// The virtual card's world: the card itself, its live configuration, the networks around
// it and the faults ordered for it, as read from a scenario (INI text) or built in.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vcard {

enum class Wep { Off, Wep64, Wep128 };

// One access point or ad hoc cell the card can hear.
struct Network {
  std::string ssid;                      // 1..32 bytes
  std::array<std::uint8_t, 6> bssid{};
  int channel = 1;                       // 1..14
  int signalDbm = -60;                   // below kAudibleDbm the card does not hear it
  bool infrastructure = true;            // false: ad hoc cell
  Wep wep = Wep::Off;
  std::vector<std::uint8_t> key;         // 5 bytes (64-bit) or 13 bytes (128-bit)
  bool gBand = true;                     // 802.11g (up to 54 Mbit/s) or b only (11 Mbit/s)
  int repeat = 1;                        // how often one survey reports it (1..4)
};

// Networks weaker than this are not heard: not surveyed, not joined, and a link drops.
constexpr int kAudibleDbm = -95;
constexpr int kMaxNetworks = 64;

// One WEP key slot of the live configuration.
struct WepKeySlot {
  bool set = false;
  std::vector<std::uint8_t> material;
};

// The card's live configuration (what NIVO_SetWLANConfig and friends change).
struct LiveConfig {
  std::string ssid;                 // empty or "any": join the strongest admissible network
  int infrastructureMode = 1;       // 0 ad hoc, 1 infrastructure
  int channel = 6;
  int wepStatus = 1;                // 0 enabled, 1 disabled
  std::array<WepKeySlot, 4> keys{};
  int txKey = 0;                    // transmit key slot
  int authMode = 2;
  int powerMode = 0;
  int fragThreshold = 2346;
  int rtsThreshold = 2347;
  int preambleType = 0;
  std::array<std::uint8_t, 8> rates{108, 96, 72, 48, 36, 24, 22, 18};
  int gMode = 1;
  int domain = 0;
  std::uint32_t networkTypeInUse = 2;  // selector 0x8 (1 DS, 2 OFDM 2.4 GHz)
  std::uint32_t privacyFilter = 0;     // selector 0x40000 (0 accept all, 1 802.1X WEP)
};

// Faults ordered for the card. A bit fault with a count affects only that many calls.
struct Faults {
  bool detect = false;         // NIVO_Detect reports no card
  bool queryConnect = false;   // OID_GEN_MEDIA_CONNECT_STATUS query fails
  bool queryCounters = false;  // the frame counter queries fail
  bool survey = false;         // NIVO_SiteSurveyGet fails
  bool store = false;          // profile and driver settings stores fail (nothing written)
  std::uint32_t getBits = 0;   // selector bits NIVO_GetWLANConfig leaves unserved
  int getBitsCount = -1;       // calls still affected; -1 = until switched off
  std::uint32_t setBits = 0;   // selector bits NIVO_SetWLANConfig leaves unserved
  int setBitsCount = -1;
};

// The on/off fault of that name ("detect", "query_connect", "query_counters", "survey",
// "store"; a "-" counts as "_", as the control commands write them); null for any other.
bool* FaultFlagNamed(Faults& faults, std::string_view name);

struct World {
  bool present = true;
  std::string firmware = "TW7720 firmware 1.7.4 (virtual card)";
  std::string driverPath = "system32\\drivers\\TW77MBPS.sys";  // relative to the Windows directory
  std::string hardwareId = "PCI\\VEN_1260&DEV_3890&SUBSYS_4E2A10D7";
  bool zeroConfig = false;
  int associationDelayMs = 1000;
  LiveConfig config;
  std::vector<Network> networks;
  Faults faults;
};

// A scenario read from INI text: the world and what was wrong with the text. Every line that
// cannot be used is skipped and reported; the world is always complete.
struct ScenarioResult {
  World world;
  std::vector<std::string> errors;  // "line N: ..." texts
};
ScenarioResult ParseScenario(std::string_view text);

// The world a card has without a scenario: four networks of every kind, one of them reported
// twice by a survey.
World BuiltInWorld();

// Regulatory domain 0..4 to its channel mask (bit n-1 = channel n); 0 for any other domain.
std::uint16_t ChannelMaskForDomain(int domain);
// Channel 1..14 to its centre frequency in kHz (0 outside); the exact inverse (0 otherwise).
std::int32_t ChannelToFrequencyKHz(std::int32_t channel);
std::int32_t FrequencyKHzToChannel(std::int32_t frequency);

// "00-1A-2B-3C-4D-5E" (also ':' separated) to bytes; false on any other text.
bool ParseBssid(std::string_view text, std::array<std::uint8_t, 6>& out);
std::string FormatBssid(const std::array<std::uint8_t, 6>& bssid);
// An even number of hexadecimal digits to bytes; false on any other text.
bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& out);
std::string HexBytes(const std::uint8_t* data, std::size_t size);
// Signed or hexadecimal ("0x...") integer; false on any other text or overflow.
bool ParseInteger(std::string_view text, long long& out);

// The network's settings written as "key=value" words (the add-network and scenario keys).
std::string DescribeNetwork(const Network& network);
// Applies one "key=value" of a network; an error text when the key or value is not valid.
std::string ApplyNetworkKey(Network& network, std::string_view key, std::string_view value);
// An error text when the network is not usable (missing ssid or bssid, key not matching).
std::string CheckNetwork(const Network& network);

}  // namespace vcard
