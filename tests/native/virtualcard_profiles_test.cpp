// The virtual card's profile keeping: enumeration, the active profile, whole-record stores,
// separate roots, and the driver settings an inserted card starts from.
#include <gtest/gtest.h>

#include "support/virtual_card_fixture.h"

namespace {

using VirtualCardProfiles = VirtualCardTest;

ProfileWireless Profile(const char* name, const char* ssid, std::uint8_t fill) {
  ProfileWireless p;
  std::memset(&p, 0, sizeof p);
  std::strcpy(p.profileName, name);
  std::strcpy(p.ssid, ssid);
  p.channel = 6;
  p.operatingMode = 1;
  // Reserved areas too: a store must keep the record byte for byte.
  std::memset(p.reserved2, fill, sizeof p.reserved2);
  p.reserved1[1] = fill;
  return p;
}

std::vector<std::string> Names(const NivoFunctions& f) {
  std::vector<std::string> names;
  char name[kProfileNameBufferSize];
  for (std::int32_t i = 0; f.NIVO_EnumProfilesByType(i, name, 1) == 0 && i < 100; ++i) names.push_back(name);
  return names;
}

TEST_F(VirtualCardProfiles, NothingAnswersBeforeARootIsSet) {
  char name[kProfileNameBufferSize];
  EXPECT_EQ(f.NIVO_EnumProfilesByType(0, name, 1), 3);
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27);
  ProfileWireless p = Profile("Default", "any", 0);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Default", &p), -1);
  for (const char* bad : {"", "\\Tallwyn", "Tallwyn\\", "Tallwyn\\\\Profile"}) EXPECT_EQ(f.NIVO_SetProfileRoot(bad), -1) << bad;
  EXPECT_EQ(f.NIVO_SetProfileRoot(nullptr), -1);
  EXPECT_EQ(f.NIVO_SetProfileRoot(std::string(201, 'r').c_str()), -1);
  EXPECT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\Profile"), 0);
}

TEST_F(VirtualCardProfiles, EnumerationActiveProfileAndDeletion) {
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\Profile"), 0);
  char name[kProfileNameBufferSize];
  EXPECT_EQ(f.NIVO_EnumProfilesByType(0, name, 1), 3);
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27);

  ProfileWireless office = Profile("office", "Harbour", 1), home = Profile("Default", "any", 2);
  EXPECT_EQ(f.NIVO_SetProfileWireless("office", &office), 0);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Default", &home), 0);
  EXPECT_EQ(Names(f), (std::vector<std::string>{"Default", "office"})) << "sorted without regard to case";
  EXPECT_EQ(f.NIVO_EnumProfilesByType(2, name, 1), 3);
  EXPECT_EQ(f.NIVO_EnumProfilesByType(-1, name, 1), 3);
  EXPECT_EQ(f.NIVO_EnumProfilesByType(0, name, 2), 3) << "only type 1 holds profiles";

  // A name may be made active before it is stored (the utility's first start does so); it
  // is reported active only once stored.
  EXPECT_EQ(f.NIVO_SetActiveProfileByType("Fresh", 1), 0);
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27);
  ProfileWireless fresh = Profile("Fresh", "any", 6);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Fresh", &fresh), 0);
  ASSERT_EQ(f.NIVO_GetActiveProfileByType(name, 1), 0);
  EXPECT_STREQ(name, "Fresh");
  EXPECT_EQ(f.NIVO_DeleteProfileByType("Fresh", 1), 0);
  EXPECT_EQ(f.NIVO_SetActiveProfileByType("Nope", 2), 3) << "only type 1 holds profiles";
  EXPECT_EQ(f.NIVO_SetActiveProfileByType("OFFICE", 1), 0);
  ASSERT_EQ(f.NIVO_GetActiveProfileByType(name, 1), 0);
  EXPECT_STREQ(name, "office") << "the name as the profile was stored";

  // A null name means the active profile.
  ProfileWireless changed = Profile("office", "Quayside128", 3);
  EXPECT_EQ(f.NIVO_SetProfileWireless(nullptr, &changed), 0);
  ProfileWireless loaded;
  ASSERT_EQ(f.NIVO_GetProfileWireless("office", &loaded), 0);
  EXPECT_EQ(std::memcmp(&loaded, &changed, sizeof loaded), 0);

  EXPECT_EQ(f.NIVO_DeleteProfileByType("office", 1), 0);
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27) << "the deleted profile was the active one";
  EXPECT_EQ(f.NIVO_SetProfileWireless(nullptr, &changed), -27);
  EXPECT_EQ(f.NIVO_DeleteProfileByType("office", 1), 3);
  EXPECT_EQ(f.NIVO_GetProfileWireless("office", &loaded), 3);
  EXPECT_EQ(Names(f), (std::vector<std::string>{"Default"}));
}

TEST_F(VirtualCardProfiles, StoreIsWholeOrNothing) {
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\Profile"), 0);
  ProfileWireless first = Profile("Default", "Harbour", 0x11);
  ASSERT_EQ(f.NIVO_SetProfileWireless("Default", &first), 0);
  ASSERT_EQ(f.NIVO_SetActiveProfileByType("Default", 1), 0);

  ASSERT_EQ(Ctl("fault store on").status, 0);
  ProfileWireless second = Profile("Default", "Lighthouse64", 0x22);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Default", &second), -1);
  EXPECT_EQ(f.NIVO_SetProfileWireless("Other", &second), -1);
  EXPECT_EQ(f.NIVO_DeleteProfileByType("Default", 1), -1);
  ProfileWireless loaded;
  ASSERT_EQ(f.NIVO_GetProfileWireless("Default", &loaded), 0);
  EXPECT_EQ(std::memcmp(&loaded, &first, sizeof loaded), 0) << "the failed store left the old record whole";
  EXPECT_EQ(Names(f), (std::vector<std::string>{"Default"}));

  ASSERT_EQ(Ctl("fault store off").status, 0);
  ASSERT_EQ(f.NIVO_SetProfileWireless("Default", &second), 0);
  ASSERT_EQ(f.NIVO_GetProfileWireless(nullptr, &loaded), 0);
  EXPECT_EQ(std::memcmp(&loaded, &second, sizeof loaded), 0);
}

TEST_F(VirtualCardProfiles, RootsAreKeptApartAndNamesAreBounded) {
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\A"), 0);
  ProfileWireless p = Profile("One", "Harbour", 0);
  ASSERT_EQ(f.NIVO_SetProfileWireless("One", &p), 0);
  ASSERT_EQ(f.NIVO_SetActiveProfileByType("One", 1), 0);
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\B"), 0);
  EXPECT_TRUE(Names(f).empty());
  char name[kProfileNameBufferSize];
  EXPECT_EQ(f.NIVO_GetActiveProfileByType(name, 1), -27);
  EXPECT_EQ(f.NIVO_SetProfileWireless(std::string(65, 'n').c_str(), &p), -1);
  EXPECT_EQ(f.NIVO_SetProfileWireless(std::string(64, 'n').c_str(), &p), 0);
  EXPECT_EQ(f.NIVO_SetProfileWireless("", &p), -1);
  EXPECT_EQ(f.NIVO_SetProfileWireless("tab\there", &p), -1);
  EXPECT_EQ(f.NIVO_SetProfileWireless("x", nullptr), -1);
  EXPECT_EQ(f.NIVO_EnumProfilesByType(0, nullptr, 1), -1);
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\A"), 0);
  EXPECT_EQ(Names(f), (std::vector<std::string>{"One"}));
}

TEST_F(VirtualCardProfiles, InsertedCardStartsFromTheDriverSettings) {
  ASSERT_EQ(f.NIVO_SetProfileRoot("Tallwyn\\Profile"), 0);
  ProfileWireless p = Profile("Default", "Quayside128", 0);
  p.encryptionLevel = 2;
  p.defaultKeyIndex = 1;
  for (auto& text : p.activeKeyText) std::strcpy(text, "5C3E1A7B90D24F68A13B7C9E05");
  EXPECT_EQ(f.NIVO_SetDriverReg(&p), 0);
  EXPECT_NE(LastLine("NIVO_SetDriverReg").find("\"ssid\":\"Quayside128\""), std::string::npos);
  ASSERT_EQ(Ctl("remove").status, 0);
  ASSERT_EQ(Ctl("insert").status, 0);
  Wait(1000);
  EXPECT_EQ(ConnectStatus(), 0);
  WlanConfig c{};
  Get(wlflag::kSsid | wlflag::kWepStatus, c);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(c.ssid), c.ssidLength), "Quayside128");
  EXPECT_EQ(c.wepStatus, 0);
}

}  // namespace
