// The virtual card over a damaged profile store: names no call could use, an active name that
// names nothing or cannot be a name, records full of garbage. Every call answers a defined
// result, and the utility's start (make "Default" active, store it) still works.
#include <gtest/gtest.h>

#include <random>

#include "support/call_log_json.h"
#include "support/virtual_card_fixture.h"

namespace {

constexpr char kRoot[] = "Tallwyn\\Profile";

class VirtualCardDamagedStore : public VirtualCardTest {
 protected:
  void SetUp() override {
    VirtualCardTest::SetUp();
    auto store = std::make_unique<vcard::MemoryProfileStore>();
    store_ = store.get();
    VirtualCardInstance().SetProfileStore(std::move(store));
    ASSERT_EQ(f.NIVO_SetProfileRoot(kRoot), 0);
  }

  // What another program (or a damaged registry) left: stored past the card's own checks.
  void Plant(const std::string& name, const ProfileWireless& record) { ASSERT_TRUE(store_->Store(kRoot, name, record)); }
  void PlantActive(const std::string& name) { ASSERT_TRUE(store_->SetActive(kRoot, name)); }

  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    char name[kProfileNameBufferSize];
    for (std::int32_t i = 0; i < 100 && f.NIVO_EnumProfilesByType(i, name, 1) == 0; ++i) names.push_back(name);
    return names;
  }

  static ProfileWireless Record(const char* name, std::uint8_t fill) {
    ProfileWireless p;
    std::memset(&p, fill, sizeof p);
    std::strcpy(p.profileName, name);
    p.channel = 6;
    return p;
  }

  vcard::MemoryProfileStore* store_ = nullptr;
};

TEST_F(VirtualCardDamagedStore, NamesNoCallCouldUseAreNeitherListedNorActive) {
  Plant("Office", Record("Office", 0));
  const std::string unusable[] = {"", std::string(65, 'n'), "\x01start", "tab\there", std::string("\x7f\x1f", 2)};
  for (const std::string& name : unusable) Plant(name, Record("x", 0x33));
  EXPECT_EQ(Listed(), std::vector<std::string>{"Office"});

  for (const std::string& name : unusable) {
    SCOPED_TRACE(name.size());
    PlantActive(name);
    char active[kProfileNameBufferSize] = {};
    EXPECT_EQ(f.NIVO_GetActiveProfileByType(active, 1), -27);
    ProfileWireless loaded = Record("before", 0x44);
    EXPECT_EQ(f.NIVO_GetProfileWireless(nullptr, &loaded), -27);
    EXPECT_STREQ(loaded.profileName, "before") << "nothing was written";
    ProfileWireless stored = Record("new", 0x55);
    EXPECT_EQ(f.NIVO_SetProfileWireless(nullptr, &stored), -27);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Office"});
  }
}

TEST_F(VirtualCardDamagedStore, ActiveNameOfNoProfileIsNoActiveProfileAndTheUtilitysStartRepairsIt) {
  Plant("Office", Record("Office", 0));
  PlantActive("Ghost");
  char active[kProfileNameBufferSize] = {};
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(active, 1), -27);
  ProfileWireless loaded{};
  EXPECT_EQ(f.NIVO_GetProfileWireless(nullptr, &loaded), 3);

  // What the utility does when it finds no active profile.
  ProfileWireless fresh = Record("Default", 0);
  EXPECT_EQ(f.NIVO_SetActiveProfileByType("Default", 1), 0);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Default", &fresh), 0);
  ASSERT_EQ(f.NIVO_GetActiveProfileByType(active, 1), 0);
  EXPECT_STREQ(active, "Default");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Default", "Office"}));
}

TEST_F(VirtualCardDamagedStore, GarbageRecordIsServedByteForByteAndLoggedAsValidJson) {
  ProfileWireless noise;
  std::mt19937 random(7720);
  auto* bytes = reinterpret_cast<std::uint8_t*>(&noise);
  for (std::size_t i = 0; i < sizeof noise; ++i) bytes[i] = static_cast<std::uint8_t>(random() | 0x80);  // no terminator anywhere
  Plant("Noise", noise);
  PlantActive("Noise");

  char active[kProfileNameBufferSize] = {};
  ASSERT_EQ(f.NIVO_GetActiveProfileByType(active, 1), 0);
  ProfileWireless loaded{};
  ASSERT_EQ(f.NIVO_GetProfileWireless(nullptr, &loaded), 0);
  EXPECT_EQ(std::memcmp(&loaded, &noise, sizeof noise), 0);
  const auto entry = calllog::ParseObject(LastLine("NIVO_GetProfileWireless"));
  ASSERT_TRUE(entry.has_value()) << LastLine("NIVO_GetProfileWireless");

  // The same record as the driver settings: stored, and an inserted card answers every field
  // from it within range.
  EXPECT_EQ(f.NIVO_SetDriverReg(&noise), 0);
  ASSERT_TRUE(calllog::ParseObject(LastLine("NIVO_SetDriverReg")).has_value());
  ASSERT_EQ(Ctl("remove").status, 0);
  ASSERT_EQ(Ctl("insert").status, 0);
  WlanConfig c{};
  EXPECT_EQ(Get(vcard::kServedGetBits, c), 0u);
  EXPECT_EQ(f.NIVO_FrequencyToChannel(static_cast<std::int32_t>(c.configuration.DSConfig)), 6)
      << "the record's channel is no channel: the card keeps its own";
  EXPECT_LE(c.ssidLength, kMaxSsidLength);
  EXPECT_TRUE(c.infrastructureMode == 0 || c.infrastructureMode == 1);
}

}  // namespace
