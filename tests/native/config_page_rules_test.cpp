#include "pages/config_page_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

using ::testing::ElementsAre;

// ---------------------------------------------------------------- channels

TEST(ConfigChannels, SettingsFileMaskWinsUnlessZero) {
  struct Case { std::uint16_t file, card, expected; };
  const Case cases[] = {
      {0x0000, 0x07FF, 0x07FF},  // no restriction in the file: the card decides
      {0x1FFF, 0x07FF, 0x1FFF},
      {0x0600, 0x3FFF, 0x0600},
      {0x0000, 0x0000, 0x0000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChannelMaskAtCreation(c.file, c.card), c.expected) << std::hex << c.file << " " << c.card;
}

TEST(ConfigChannels, ValidationKeepsAllowedChannelsAndOtherwiseTakesTheLowestAllowed) {
  struct Case { int channel; std::uint16_t mask; int expected; };
  const Case cases[] = {
      {6, 0x07FF, 6},
      {6, 0x0600, 10},     // 6 not allowed: lowest of 10 and 11
      {12, 0x07FF, 1},
      {14, 0x2000, 14},
      {0, 0x3FFF, 1},      // 0 is never a channel
      {15, 0xFFFF, 1},     // bits 14 and 15 allow nothing
      {-3, 0x0600, 10},
      {INT_MIN, 0x0004, 3},
      {INT_MAX, 0x0004, 3},
      {5, 0x0000, 5},      // nothing allowed: unchanged
      {15, 0xC000, 15},    // only bits above channel 14: nothing allowed
      {-1, 0x0000, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ValidateChannel(c.channel, c.mask), c.expected) << c.channel << " mask " << std::hex << c.mask;
}

TEST(ConfigChannels, ListHasOneEntryPerAllowedChannelWithBothIndexTables) {
  const ChannelList list = BuildChannelList(0x0600);
  EXPECT_THAT(list.texts, ElementsAre("10", "11"));
  EXPECT_EQ(list.IndexOf(10), 0);
  EXPECT_EQ(list.IndexOf(11), 1);
  EXPECT_EQ(list.ChannelAt(0), 10);
  EXPECT_EQ(list.ChannelAt(1), 11);
  for (int n = 1; n <= 14; ++n) {
    if (n == 10 || n == 11) continue;
    EXPECT_EQ(list.IndexOf(n), -1) << n;
  }
  // Positions past the list and numbers outside 1..14 name nothing.
  EXPECT_EQ(list.ChannelAt(2), 0);
  EXPECT_EQ(list.ChannelAt(-1), 0);
  EXPECT_EQ(list.ChannelAt(INT_MAX), 0);
  EXPECT_EQ(list.IndexOf(0), -1);
  EXPECT_EQ(list.IndexOf(15), -1);
  EXPECT_EQ(list.IndexOf(INT_MIN), -1);
}

TEST(ConfigChannels, ListsOfWholeAndEmptyMasks) {
  const ChannelList thirteen = BuildChannelList(0x1FFF);
  ASSERT_EQ(thirteen.size(), 13);
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(thirteen.texts[i], std::to_string(i + 1));
    EXPECT_EQ(thirteen.ChannelAt(i), i + 1);
    EXPECT_EQ(thirteen.IndexOf(i + 1), i);
  }
  EXPECT_EQ(thirteen.IndexOf(14), -1);

  // Bits 14 and 15 add nothing: fourteen channels at most.
  EXPECT_EQ(BuildChannelList(0xFFFF).size(), 14);
  EXPECT_EQ(BuildChannelList(0xFFFF).texts.back(), "14");

  const ChannelList none = BuildChannelList(0x0000);
  EXPECT_EQ(none.size(), 0);
  EXPECT_EQ(none.ChannelAt(0), 0);
  for (int n = 1; n <= 14; ++n) EXPECT_EQ(none.IndexOf(n), -1);
}

// ---------------------------------------------------------------- texts

TEST(ConfigTexts, SsidIsCutBeforeTheFirstCharacterOf128OrAbove) {
  struct Case { std::string text; bool refused; std::string kept; };
  const Case cases[] = {
      {"Home", false, "Home"},
      {"", false, ""},
      {"Caf\xE9 net", true, "Caf"},
      {"\x80" "abc", true, ""},
      {"ab\xFF", true, "ab"},
      {"tab\x7F", false, "tab\x7F"},  // 127 is still ASCII
      {std::string(40, 's'), false, std::string(32, 's')},
      // Only the first 32 characters count: a refused byte after them is not seen.
      {std::string(32, 's') + "\xE9", false, std::string(32, 's')},
      {std::string(31, 's') + "\xE9", true, std::string(31, 's')},
  };
  for (const Case& c : cases) {
    const SsidCheck check = CheckSsid(c.text);
    EXPECT_EQ(check.refused, c.refused) << c.text;
    EXPECT_EQ(check.kept, c.kept) << c.text;
  }
}

TEST(ConfigTexts, SsidWarningShowsAtMostOncePerSecond) {
  struct Step { std::uint32_t now; bool due; };
  const std::vector<std::vector<Step>> runs = {
      {{5000, true}, {5400, false}, {6000, false}, {6001, true}, {6002, false}},
      // Right after the system started: the first warning still shows.
      {{0, true}, {1000, false}, {1001, true}},
      // Across the tick count's wrap-around.
      {{0xFFFFFF00u, true}, {0x00000100u, false}, {0x000002E9u, true}},
  };
  for (const auto& run : runs) {
    SsidWarningThrottle throttle;
    for (const Step& s : run) EXPECT_EQ(throttle.Due(s.now), s.due) << s.now;
  }
}

TEST(ConfigTexts, ProfileNamesHoldSixtyFourCharacters) {
  EXPECT_EQ(CutProfileName(std::string(65, 'p')), std::string(64, 'p'));
  EXPECT_EQ(CutProfileName(std::string(64, 'p')), std::string(64, 'p'));
  EXPECT_EQ(CutProfileName("home"), "home");
  EXPECT_EQ(CutProfileName(""), "");
}

TEST(ConfigTexts, ProfileLookupIgnoresCaseButMatchesWholeNames) {
  const std::vector<std::string> names = {"default", "Home", "office 2"};
  struct Case { const char* typed; int expected; };
  const Case cases[] = {
      {"DEFAULT", 0}, {"default", 0}, {"hOmE", 1}, {"OFFICE 2", 2},
      {"hom", -1}, {"home ", -1}, {"", -1}, {"defaults", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindProfileName(names, c.typed), c.expected) << c.typed;

  // Letters beyond ASCII are compared as they are, whatever the system's locale.
  EXPECT_EQ(FindProfileName({"caf\xE9"}, "CAF\xC9"), -1);
  EXPECT_EQ(FindProfileName({"caf\xE9"}, "CAF\xE9"), 0);
  // With two names equal but for case, the first listed is found.
  EXPECT_EQ(FindProfileName({"Default", "default"}, "DEFAULT"), 0);
  EXPECT_EQ(FindProfileName({}, "default"), -1);
}

TEST(ConfigTexts, PrefixLookupFindsTheFirstEntryBeginningWithTheName) {
  EXPECT_EQ(FindProfileNamePrefix({"alpha", "DEFAULT lab", "default"}, "default"), 1);
  EXPECT_EQ(FindProfileNamePrefix({"alpha", "def"}, "default"), -1);
  EXPECT_EQ(FindProfileNamePrefix({}, "default"), -1);
}

TEST(ConfigTexts, OnlyTheExactDefaultNameIsProtected) {
  EXPECT_TRUE(IsProtectedProfileName("default", "default"));
  EXPECT_FALSE(IsProtectedProfileName("Default", "default"));
  EXPECT_FALSE(IsProtectedProfileName("DEFAULT", "default"));
  EXPECT_FALSE(IsProtectedProfileName("default ", "default"));
  EXPECT_FALSE(IsProtectedProfileName("", "default"));
}

// ---------------------------------------------------------------- profile <-> controls

ProfileWireless Profile(std::int32_t mode, std::int32_t channel, const char* ssid, std::int32_t powerSave) {
  ProfileWireless p{};
  p.operatingMode = mode;
  p.channel = channel;
  std::strcpy(p.ssid, ssid);
  p.powerSaveMode = powerSave;
  std::strcpy(p.profileName, "home");
  return p;
}

TEST(ConfigLoad, DamagedProfilesShowDefinedStates) {
  const ChannelList eleven = BuildChannelList(0x07FF);
  const ChannelList tenEleven = BuildChannelList(0x0600);
  const ChannelList none = BuildChannelList(0x0000);
  struct Case {
    const char* what;
    ProfileWireless profile;
    const ChannelList* channels;
    ProfileControls expected;
  };
  const Case cases[] = {
      {"sound profile", Profile(0, 4, "net", 1), &eleven, {0, 4, 3, "net", 1}},
      {"channel 0", Profile(1, 0, "net", 0), &eleven, {1, 1, 0, "net", 0}},
      {"channel 15", Profile(1, 15, "net", 0), &eleven, {1, 1, 0, "net", 0}},
      {"negative channel", Profile(1, -6, "net", 0), &tenEleven, {1, 10, 0, "net", 0}},
      {"channel not allowed", Profile(1, 6, "net", 0), &tenEleven, {1, 10, 0, "net", 0}},
      {"no channel allowed", Profile(1, 6, "net", 0), &none, {1, 6, -1, "net", 0}},
      {"mode 2", Profile(2, 1, "net", 0), &eleven, {1, 1, 0, "net", 0}},
      {"mode -1", Profile(-1, 1, "net", 0), &eleven, {1, 1, 0, "net", 0}},
      {"power saving 2", Profile(1, 1, "net", 2), &eleven, {1, 1, 0, "net", 0}},
      {"power saving -1", Profile(1, 1, "net", -1), &eleven, {1, 1, 0, "net", 0}},
      {"SSID with a character above 127", Profile(1, 1, "Caf\xE9", 0), &eleven, {1, 1, 0, "Caf", 0}},
  };
  for (const Case& c : cases) {
    const ProfileControls got = ControlsFromProfile(c.profile, *c.channels);
    EXPECT_EQ(got.modeIndex, c.expected.modeIndex) << c.what;
    EXPECT_EQ(got.channel, c.expected.channel) << c.what;
    EXPECT_EQ(got.channelIndex, c.expected.channelIndex) << c.what;
    EXPECT_EQ(got.ssid, c.expected.ssid) << c.what;
    EXPECT_EQ(got.powerSaveIndex, c.expected.powerSaveIndex) << c.what;
  }
}

TEST(ConfigLoad, UnterminatedTextsAreReadWithinTheirFields) {
  ProfileWireless p{};
  std::memset(p.profileName, 'n', sizeof(p.profileName));  // 65 letters, no terminator
  std::memset(p.ssid, 's', sizeof(p.ssid));                // 39 letters, no terminator
  p.encryptionLevel = 0x78787878;                          // "xxxx" right behind the SSID

  EXPECT_EQ(FieldText(p.profileName), std::string(65, 'n'));
  EXPECT_EQ(FieldText(p.ssid), std::string(39, 's'));
  EXPECT_EQ(ProfileNameOf(p), std::string(64, 'n'));
  EXPECT_EQ(ControlsFromProfile(p, BuildChannelList(0x07FF)).ssid, std::string(32, 's'));
}

TEST(ConfigStore, WritesThePageValuesAndKeepsEveryOtherField) {
  ProfileWireless p = Profile(1, 6, "old network name", 0);
  p.GMode = 1;
  p.rateCode = 3;
  p.encryptionLevel = 2;
  std::strcpy(p.passphrase, "secret");
  p.fragThreshold = 2346;
  const ProfileWireless before = p;

  const ChannelList channels = BuildChannelList(0x07FF);
  StorePageValues(p, {"Office", 0, channels.IndexOf(11), "corp", 1}, channels);

  EXPECT_STREQ(p.profileName, "Office");
  EXPECT_EQ(p.operatingMode, 0);
  EXPECT_EQ(p.channel, 11);
  EXPECT_STREQ(p.ssid, "corp");
  EXPECT_EQ(p.rateCode, 15);
  EXPECT_EQ(p.powerSaveMode, 1);
  // The old, longer SSID leaves no byte behind the new one.
  for (std::size_t i = 4; i < sizeof(p.ssid); ++i) EXPECT_EQ(p.ssid[i], 0) << i;
  // Fields the page does not show are carried through.
  EXPECT_EQ(p.GMode, before.GMode);
  EXPECT_EQ(p.encryptionLevel, before.encryptionLevel);
  EXPECT_STREQ(p.passphrase, "secret");
  EXPECT_EQ(p.fragThreshold, before.fragThreshold);
  EXPECT_EQ(std::memcmp(p.keyText128, before.keyText128, sizeof(p.keyText128)), 0);
}

TEST(ConfigStore, TextsAreCutToTheirLimits) {
  ProfileWireless p{};
  std::memset(&p, 'x', sizeof(p));
  const ChannelList channels = BuildChannelList(0x07FF);
  StorePageValues(p, {std::string(70, 'n'), 1, 0, std::string(40, 's'), 0}, channels);
  EXPECT_EQ(std::string(p.profileName), std::string(64, 'n'));
  EXPECT_EQ(std::string(p.ssid), std::string(32, 's'));
  for (std::size_t i = 32; i < sizeof(p.ssid); ++i) EXPECT_EQ(p.ssid[i], 0) << i;

  StorePageValues(p, {"n", 1, 0, "Caf\xE9", 0}, channels);
  EXPECT_STREQ(p.ssid, "Caf");
}

TEST(ConfigStore, EmptySelectionsNeverWriteMinusOne) {
  const ChannelList channels = BuildChannelList(0x0600);
  // A sound profile keeps its values.
  ProfileWireless sound = Profile(0, 11, "net", 1);
  StorePageValues(sound, {"home", -1, -1, "net", -1}, channels);
  EXPECT_EQ(sound.operatingMode, 0);
  EXPECT_EQ(sound.channel, 11);
  EXPECT_EQ(sound.powerSaveMode, 1);

  // Every combination of selection and stored value ends in range.
  for (int selection = -2; selection <= 3; ++selection) {
    for (int stored : {INT_MIN, -1, 0, 1, 2, 15, INT_MAX}) {
      ProfileWireless p = Profile(stored, stored, "net", stored);
      StorePageValues(p, {"home", selection, selection, "net", selection}, channels);
      EXPECT_TRUE(p.operatingMode == 0 || p.operatingMode == 1) << selection << " " << stored;
      EXPECT_TRUE(p.powerSaveMode == 0 || p.powerSaveMode == 1) << selection << " " << stored;
      EXPECT_TRUE(p.channel == 10 || p.channel == 11) << selection << " " << stored;
    }
  }
  // A damaged profile with nothing selected gets the defaults.
  ProfileWireless damaged = Profile(7, 0, "net", -3);
  StorePageValues(damaged, {"home", -1, -1, "net", -1}, channels);
  EXPECT_EQ(damaged.operatingMode, 1);
  EXPECT_EQ(damaged.channel, 10);
  EXPECT_EQ(damaged.powerSaveMode, 0);

  // With no channel allowed the channel is left alone.
  ProfileWireless noChannels = Profile(1, 6, "net", 0);
  StorePageValues(noChannels, {"home", 1, -1, "net", 0}, BuildChannelList(0));
  EXPECT_EQ(noChannels.channel, 6);
}

// ---------------------------------------------------------------- buttons

// create, activate, remove, undo, apply, channel list, power list
ConfigButtons B(bool c, bool a, bool r, bool u, bool p, bool ch, bool pw) { return {c, a, r, u, p, ch, pw}; }
const ConfigButtons kAllOn = B(1, 1, 1, 1, 1, 1, 1);
const ConfigButtons kAllOff = B(0, 0, 0, 0, 0, 0, 0);

TEST(ConfigButtonTable, EachEventSetsItsRowAndKeepsTheRest) {
  const ButtonContext infra{false, false, kModeInfrastructure};
  const ButtonContext adHoc{false, false, kModeAdHoc};
  const ButtonContext protectedName{true, false, kModeInfrastructure};
  const ButtonContext creating{false, true, kModeInfrastructure};
  struct Case {
    const char* what;
    ConfigEvent event;
    ButtonContext context;
    ConfigButtons before, expected;
  };
  const Case cases[] = {
      {"load, Infrastructure", ConfigEvent::Load, infra, kAllOn, B(1, 1, 1, 0, 0, 0, 1)},
      {"load, Ad-Hoc", ConfigEvent::Load, adHoc, kAllOff, B(0, 0, 0, 0, 0, 1, 0)},
      {"end of activation", ConfigEvent::EndOfActivation, infra, kAllOff, B(0, 0, 1, 0, 0, 0, 0)},
      {"end of activation on default", ConfigEvent::EndOfActivation, protectedName, kAllOn, B(1, 1, 0, 1, 1, 1, 1)},
      {"mode edited to Ad-Hoc", ConfigEvent::ModeEdited, adHoc, kAllOff, B(0, 0, 0, 1, 1, 1, 0)},
      {"SSID edited", ConfigEvent::ValueEdited, adHoc, B(0, 0, 0, 0, 0, 0, 1), B(0, 0, 0, 1, 1, 0, 1)},
      {"profile picked", ConfigEvent::ProfilePicked, infra, B(1, 0, 0, 1, 1, 1, 0), B(0, 1, 1, 0, 0, 0, 1)},
      {"default picked", ConfigEvent::ProfilePicked, protectedName, kAllOn, B(0, 1, 0, 0, 0, 0, 1)},
      {"typed name listed", ConfigEvent::TypedNameMatches, infra, B(1, 0, 0, 1, 0, 1, 0), B(0, 1, 1, 1, 0, 1, 0)},
      {"typed default", ConfigEvent::TypedNameMatches, protectedName, kAllOff, B(0, 1, 0, 0, 0, 0, 0)},
      {"typed name new", ConfigEvent::TypedNameMatchesNone, infra, B(0, 1, 1, 1, 1, 1, 1), B(1, 0, 0, 1, 1, 1, 1)},
      {"store", ConfigEvent::Store, infra, kAllOn, B(0, 0, 1, 0, 0, 1, 1)},
      {"store keeps Remove off", ConfigEvent::Store, infra, kAllOff, kAllOff},
      {"creating store", ConfigEvent::Store, creating, kAllOff, B(0, 1, 1, 0, 0, 0, 0)},
      {"Create pressed", ConfigEvent::CreatePressed, infra, B(1, 0, 0, 0, 0, 0, 0), B(0, 0, 1, 0, 0, 0, 0)},
      {"Activate pressed", ConfigEvent::ActivatePressed, infra, kAllOn, B(1, 0, 1, 1, 1, 1, 1)},
      // Restore Defaults selects Infrastructure whatever the mode was.
      {"Restore Defaults", ConfigEvent::RestoreDefaults, adHoc, B(1, 1, 1, 0, 0, 1, 0), B(0, 0, 1, 1, 1, 0, 1)},
      {"Undo, saved Ad-Hoc", ConfigEvent::UndoChanges, adHoc, kAllOn, B(0, 0, 1, 0, 0, 1, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(ButtonsAfter(c.event, c.before, c.context), c.expected) << c.what;
}

TEST(ConfigButtonTable, FirstActivationWithoutProfilesLeavesActivateOnAndRemoveOff) {
  // Template state, then: load, the creating store of "default", the end of activation.
  ConfigButtons b;
  b = ButtonsAfter(ConfigEvent::Load, b, {false, false, kModeInfrastructure});
  b = ButtonsAfter(ConfigEvent::Store, b, {false, true, kModeInfrastructure});
  b = ButtonsAfter(ConfigEvent::EndOfActivation, b, {true, false, kModeInfrastructure});
  EXPECT_EQ(b, B(0, 1, 0, 0, 0, 0, 1));
}

}  // namespace
