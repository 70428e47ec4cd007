#include "pages/encryption_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "core/config_utility.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::UnorderedElementsAreArray;

// ---------------------------------------------------------------- keystroke filter

constexpr KeystrokeVerdict kPass{false, false, true, false};
constexpr KeystrokeVerdict kBeep{false, false, false, true};
constexpr KeystrokeVerdict kFreshPass{true, false, true, false};
constexpr KeystrokeVerdict kFreshUnmaskPass{true, true, true, false};
constexpr KeystrokeVerdict kFreshUnmaskBeep{true, true, false, true};

struct KeystrokeCase {
  const char* what;
  std::uint32_t field;
  std::string text;
  bool masked;
  bool selection;
  char typed;
  KeystrokeVerdict expected;
};

TEST(EncryptionKeystrokeFilter, DecidesEachTypedCharacter) {
  const std::string passphrase126(126, 'p');
  const KeystrokeCase cases[] = {
      {"hex digit into an empty hex field", IDC_KEY1_HEX64, "", false, false, 'a', kPass},
      {"upper-case hex digit", IDC_KEY2_HEX128, "12", false, false, 'F', kPass},
      {"letter beyond F into a hex field", IDC_KEY1_HEX64, "", false, false, 'g', kBeep},
      {"blank into a hex field", IDC_KEY3_HEX64, "1", false, false, ' ', kBeep},
      {"a full 64-bit hex field", IDC_KEY1_HEX64, "0123456789", false, false, '1', kBeep},
      {"a full field with a selection: replaces it", IDC_KEY1_HEX64, "0123456789", false, true, '1', kPass},
      {"a selection does not let a non-digit in", IDC_KEY1_HEX64, "0123456789", false, true, 'z', kBeep},
      {"backspace in a full field", IDC_KEY1_HEX64, "0123456789", false, false, kBackspace, kPass},
      {"backspace into a hex field", IDC_KEY4_HEX128, "12", false, false, kBackspace, kPass},
      {"a full 128-bit hex field", IDC_KEY4_HEX128, std::string(26, 'A'), false, false, '0', kBeep},
      {"25 digits: one more fits", IDC_KEY4_HEX128, std::string(25, 'A'), false, false, '0', kPass},
      {"typing into a masked hex field starts afresh in clear", IDC_KEY2_HEX64, "0123456789", true, false, '5',
       kFreshUnmaskPass},
      {"afresh, but still hex only", IDC_KEY1_HEX128, "1", true, false, 'q', kFreshUnmaskBeep},
      {"backspace in a masked field also starts afresh", IDC_KEY1_ASCII64, "abcde", true, false, kBackspace,
       kFreshUnmaskPass},
      {"the asterisk text of an ASCII field is replaced", IDC_KEY3_ASCII64, "*****", false, false, 'x', kFreshPass},
      {"the 128-bit asterisk text too", IDC_KEY2_ASCII128, "*************", false, false, 'x', kFreshPass},
      {"a key that begins with '*' is typed on", IDC_KEY1_ASCII128, "*ab", false, false, 'c', kPass},
      {"five asterisks are not the 128-bit field's mask", IDC_KEY1_ASCII128, "*****", false, false, '*', kPass},
      {"a passphrase that begins with '*' is typed on", IDC_PASSPHRASE, "*****", false, false, 'x', kPass},
      {"an asterisk later in the text is kept", IDC_KEY1_ASCII128, "ab*", false, false, 'c', kPass},
      // Control characters are commands to the field (select all, copy, paste, cut, undo).
      {"Ctrl+C in a masked field keeps the key", IDC_KEY1_HEX64, "0123456789", true, false, '\x03', kPass},
      {"Ctrl+A in a masked field", IDC_KEY1_ASCII64, "abcde", true, false, '\x01', kPass},
      {"Ctrl+V into a full field is no typing", IDC_KEY1_HEX64, "0123456789", false, false, '\x16', kPass},
      {"Ctrl+X in an ASCII field showing its mask", IDC_KEY1_ASCII64, "*****", false, false, '\x18', kPass},
      {"Ctrl+Z in a hex field is no non-digit", IDC_KEY2_HEX128, "12", false, false, '\x1A', kPass},
      {"Ctrl+Backspace in a masked passphrase", IDC_PASSPHRASE, "secret", true, false, '\x7F', kPass},
      {"a full 64-bit ASCII field", IDC_KEY1_ASCII64, "abcde", false, false, 'f', kBeep},
      {"any character into an ASCII field", IDC_KEY1_ASCII64, "abcd", false, false, '!', kPass},
      {"an 8-bit character into an ASCII field", IDC_KEY2_ASCII128, "", false, false, '\xE9', kPass},
      {"a full 128-bit ASCII field", IDC_KEY4_ASCII128, "abcdefghijklm", false, false, 'n', kBeep},
      {"passphrase at 127 characters", IDC_PASSPHRASE, passphrase126 + "p", false, false, 'x', kBeep},
      {"passphrase at 126 characters", IDC_PASSPHRASE, passphrase126, false, false, 'x', kPass},
      {"masked passphrase starts afresh", IDC_PASSPHRASE, passphrase126 + "p", true, false, 'x', kFreshUnmaskPass},
  };
  for (const KeystrokeCase& c : cases) {
    const std::optional<KeyFieldKind> kind = KeyFieldKindOf(c.field);
    ASSERT_TRUE(kind.has_value()) << c.what;
    const KeystrokeVerdict verdict = FilterKeystroke(*kind, {c.text, c.masked, 0, c.selection ? c.text.size() : 0}, c.typed);
    EXPECT_EQ(verdict, c.expected) << c.what;
  }
}

struct PasteCase {
  const char* what;
  std::uint32_t field;
  std::string text;
  bool masked;
  std::size_t selStart, selEnd;
  std::string pasted;
  KeystrokeVerdict expected;
};

TEST(EncryptionKeystrokeFilter, DecidesEachPaste) {
  const std::string passphrase127(127, 'p');
  const std::size_t end = std::string::npos;  // the caret at the end of the text
  const PasteCase cases[] = {
      {"a key into a masked hex field replaces the whole key, in clear", IDC_KEY1_HEX64, "0123456789", true, 3, 3,
       "0A0B0C0D0E", kFreshUnmaskPass},
      {"a key too long for a masked field is refused whole", IDC_KEY1_HEX64, "0123456789", true, 0, 0,
       "0A0B0C0D0E0F", kBeep},
      {"a non-digit refuses the whole paste into a hex field", IDC_KEY2_HEX128, "", false, 0, 0, "12g4", kBeep},
      {"digits after the caret, within the length", IDC_KEY3_HEX64, "12", false, end, end, "34567890", kPass},
      {"one digit too many after the caret", IDC_KEY3_HEX64, "12", false, end, end, "345678901", kBeep},
      {"a paste over a selection counts what stays", IDC_KEY1_HEX64, "0123456789", false, 2, 5, "abc", kPass},
      {"a selection a character short of room", IDC_KEY1_HEX64, "0123456789", false, 2, 4, "abc", kBeep},
      {"the asterisk text of an ASCII field is replaced whole", IDC_KEY1_ASCII64, "*****", false, 5, 5, "k*y12",
       kFreshPass},
      {"a key beginning with '*' is pasted on", IDC_KEY1_ASCII128, "*a", false, 2, 2, "*bc", kPass},
      {"any characters into an ASCII field", IDC_KEY2_ASCII128, "", false, 0, 0, "!\xE9 xyz", kPass},
      {"a long passphrase into the masked field", IDC_PASSPHRASE, "old", true, 0, 0, passphrase127, kFreshUnmaskPass},
      {"a passphrase longer than the field takes", IDC_PASSPHRASE, "", false, 0, 0, passphrase127 + "p", kBeep},
      {"an empty paste into a masked field clears it", IDC_KEY4_HEX128, std::string(26, 'A'), true, 0, 0, "",
       kFreshUnmaskPass},
  };
  for (const PasteCase& c : cases) {
    const std::optional<KeyFieldKind> kind = KeyFieldKindOf(c.field);
    ASSERT_TRUE(kind.has_value()) << c.what;
    const std::size_t start = std::min(c.selStart, c.text.size()), stop = std::min(c.selEnd, c.text.size());
    EXPECT_EQ(FilterPaste(*kind, {c.text, c.masked, start, stop}, c.pasted), c.expected) << c.what;
  }
}

// Each key field filters as the other fields of its size and form do (the table above tries
// one of each); the passphrase has its own kind; no other control is filtered.
TEST(EncryptionKeystrokeFilter, EveryKeyFieldFiltersAsItsFamilyAndNoOtherControlIsFiltered) {
  for (const auto* family : {&kHexKeyFields64, &kHexKeyFields128, &kAsciiKeyFields64, &kAsciiKeyFields128}) {
    const std::optional<KeyFieldKind> first = KeyFieldKindOf((*family)[0]);
    ASSERT_TRUE(first.has_value()) << (*family)[0];
    for (std::uint32_t id : *family) {
      const std::optional<KeyFieldKind> kind = KeyFieldKindOf(id);
      ASSERT_TRUE(kind.has_value()) << id;
      EXPECT_EQ(kind->maxLength, first->maxLength) << id;
      EXPECT_EQ(kind->asciiMode, first->asciiMode) << id;
    }
  }
  EXPECT_TRUE(KeyFieldKindOf(IDC_PASSPHRASE).has_value());
  for (std::uint32_t id : {IDC_WEP_LEVEL, IDC_DEFAULT_TX_KEY, IDC_KEY1_LABEL, IDC_ASCII_FORM, 0, 1030, 1144}) {
    EXPECT_FALSE(KeyFieldKindOf(id).has_value()) << id;
  }
}

// ---------------------------------------------------------------- key layout

std::vector<std::uint32_t> Ids(std::initializer_list<const std::array<std::uint32_t, 4>*> sets,
                               std::initializer_list<std::uint32_t> more = {}) {
  std::vector<std::uint32_t> ids;
  for (const auto* set : sets) ids.insert(ids.end(), set->begin(), set->end());
  ids.insert(ids.end(), more);
  return ids;
}

struct LayoutCase {
  const char* what;
  int level;
  bool manual;
  bool ascii;
  int lastKeyLevel;
  std::vector<std::uint32_t> shown;
  std::vector<std::uint32_t> enabled;
  int lastKeyLevelAfter;
};

TEST(EncryptionKeyLayout, ShowsAndEnablesAsTheLevelAndEntryMethodSay) {
  const std::initializer_list<std::uint32_t> kManualExtras = {
      IDC_ASCII_FORM, IDC_KEY1_LABEL, IDC_KEY2_LABEL, IDC_KEY3_LABEL, IDC_KEY4_LABEL,
      IDC_CREATE_WITH_PASSPHRASE, IDC_MANUAL_ENTRY, IDC_KEY_ENTRY_GROUP, IDC_DEFAULT_TX_KEY,
      IDC_DEFAULT_TX_KEY_LABEL};
  const std::initializer_list<std::uint32_t> kPassphraseEnabled = {
      IDC_PASSPHRASE, IDC_PASSPHRASE_LABEL, IDC_CREATE_WITH_PASSPHRASE, IDC_MANUAL_ENTRY,
      IDC_KEY_ENTRY_GROUP, IDC_DEFAULT_TX_KEY, IDC_DEFAULT_TX_KEY_LABEL};
  const LayoutCase cases[] = {
      {"off after 128 bits, hexadecimal", 0, true, false, 2, Ids({&kHexKeyFields128}), {}, 2},
      {"off after 128 bits, ASCII", 0, false, true, 2, Ids({&kAsciiKeyFields128}), {}, 2},
      {"off after 64 bits, hexadecimal", 0, false, false, 1, Ids({&kHexKeyFields64}), {}, 1},
      {"off after 64 bits, ASCII", 0, true, true, 1, Ids({&kAsciiKeyFields64}), {}, 1},
      {"64 manual hexadecimal", 1, true, false, 2, Ids({&kHexKeyFields64}),
       Ids({&kHexKeyFields64}, kManualExtras), 1},
      {"64 manual ASCII", 1, true, true, 2, Ids({&kAsciiKeyFields64}), Ids({&kAsciiKeyFields64}, kManualExtras), 1},
      {"64 passphrase", 1, false, false, 2, Ids({&kHexKeyFields64}), kPassphraseEnabled, 1},
      {"64 passphrase keeps hexadecimal with the ASCII box on", 1, false, true, 2, Ids({&kHexKeyFields64}),
       kPassphraseEnabled, 1},
      {"128 manual hexadecimal", 2, true, false, 1, Ids({&kHexKeyFields128}),
       Ids({&kHexKeyFields128}, kManualExtras), 2},
      {"128 manual ASCII", 2, true, true, 1, Ids({&kAsciiKeyFields128}),
       Ids({&kAsciiKeyFields128}, kManualExtras), 2},
      {"128 passphrase", 2, false, false, 1, Ids({&kHexKeyFields128}), kPassphraseEnabled, 2},
      {"128 passphrase with the ASCII box on", 2, false, true, 1, Ids({&kHexKeyFields128}), kPassphraseEnabled, 2},
      {"no level selected: no key set, only the transmit key", -1, true, false, 2, {},
       {IDC_DEFAULT_TX_KEY, IDC_DEFAULT_TX_KEY_LABEL}, 2},
  };
  for (const LayoutCase& c : cases) {
    const KeyLayout layout = ComputeKeyLayout(c.level, c.manual, c.ascii, c.lastKeyLevel);
    EXPECT_THAT(layout.shownKeyFields, UnorderedElementsAreArray(c.shown)) << c.what;
    EXPECT_THAT(layout.enabledControls, UnorderedElementsAreArray(c.enabled)) << c.what;
    EXPECT_EQ(layout.lastKeyLevel, c.lastKeyLevelAfter) << c.what;
    EXPECT_EQ(layout.showAsciiMasks, c.ascii) << c.what;
    for (std::uint32_t id : layout.enabledControls) {
      EXPECT_NE(std::find(kKeyLayoutControls.begin(), kKeyLayoutControls.end(), id), kKeyLayoutControls.end())
          << c.what << ": enables a control the layout does not manage: " << id;
    }
  }
}

TEST(EncryptionKeyLayout, ManagesEveryKeyFieldAndOnlyTheKeyEntry) {
  std::set<std::uint32_t> managed(kKeyLayoutControls.begin(), kKeyLayoutControls.end());
  EXPECT_EQ(managed.size(), kKeyLayoutControls.size()) << "no control twice";
  for (std::uint32_t id : kAllKeyFields) EXPECT_TRUE(managed.count(id)) << id;
  for (std::uint32_t id : {IDC_WEP_LEVEL, IDC_WEP_LEVEL_LABEL, IDC_ENC_APPLY_CHANGES, IDC_ENC_UNDO_CHANGES,
                           IDC_ENC_RESTORE_DEFAULTS, IDC_ENCRYPTION_NOTICE}) {
    EXPECT_FALSE(managed.count(id)) << id;
  }
}

// ---------------------------------------------------------------- colours

TEST(EncryptionColours, KeyEntryFieldsAndTransmitKeyListOnly) {
  std::vector<std::uint32_t> coloured = Ids({&kHexKeyFields64, &kAsciiKeyFields64, &kHexKeyFields128,
                                             &kAsciiKeyFields128},
                                            {IDC_PASSPHRASE, IDC_DEFAULT_TX_KEY});
  for (std::uint32_t id : coloured) EXPECT_TRUE(UsesKeyColours(id)) << id;
  for (std::uint32_t id : {IDC_ENCRYPTION_NOTICE, IDC_WEP_LEVEL_LABEL, IDC_WEP_LEVEL, IDC_PASSPHRASE_LABEL,
                           IDC_ENC_RESTORE_DEFAULTS, IDC_ENC_UNDO_CHANGES, IDC_ENC_APPLY_CHANGES,
                           IDC_CREATE_WITH_PASSPHRASE, IDC_MANUAL_ENTRY, IDC_KEY_ENTRY_GROUP, IDC_ASCII_FORM,
                           IDC_KEY1_LABEL, IDC_KEY4_LABEL, IDC_DEFAULT_TX_KEY_LABEL}) {
    EXPECT_FALSE(UsesKeyColours(id)) << id;
  }
}

// ---------------------------------------------------------------- key texts

ProfileWireless DefaultProfile() {
  ProfileWireless profile;
  std::memset(&profile, 0, sizeof(profile));
  for (int s = 0; s < kWepKeyCount; ++s) {
    std::strcpy(profile.keyText128[s], kDefaultKeyText128);
    std::strcpy(profile.keyText64[s], kDefaultKeyText64);
    std::strcpy(profile.activeKeyText[s], kDefaultKeyText64);
  }
  profile.GMode = 1;
  std::strcpy(profile.ssid, "any");
  return profile;
}

TEST(EncryptionKeyTexts, StoredUpperCasedIntoTheirSizeAndTheActiveTexts) {
  ProfileWireless profile = DefaultProfile();
  StoreKeyTexts128(profile, {"0123456789abcdef0123456789", "ABCDEFABCDEFABCDEFABCDEFAB", "aBcDeF0000000000000000000f",
                             "ffffffffffffffffffffffffff"});
  EXPECT_STREQ(profile.keyText128[0], "0123456789ABCDEF0123456789");
  EXPECT_STREQ(profile.keyText128[2], "ABCDEF0000000000000000000F");
  EXPECT_STREQ(profile.activeKeyText[3], "FFFFFFFFFFFFFFFFFFFFFFFFFF");
  EXPECT_STREQ(profile.keyText64[0], kDefaultKeyText64) << "the other size is not touched";

  StoreKeyTexts64(profile, {"abcdef0123", "0000000000", "fedcba9876", "a1b2c3d4e5"});
  EXPECT_STREQ(profile.keyText64[0], "ABCDEF0123");
  EXPECT_STREQ(profile.keyText64[3], "A1B2C3D4E5");
  EXPECT_STREQ(profile.activeKeyText[0], "ABCDEF0123") << "the last store names the active texts";
  EXPECT_STREQ(profile.activeKeyText[2], "FEDCBA9876");
  EXPECT_STREQ(profile.keyText128[0], "0123456789ABCDEF0123456789");
  // Upper-casing changes no key byte.
  EXPECT_EQ(KeyTextToBytes(profile.keyText64[0], 5), KeyTextToBytes("abcdef0123", 5));
}

TEST(EncryptionKeyTexts, ATextLongerThanItsFieldIsCutAndTheNextFieldUntouched) {
  ProfileWireless profile = DefaultProfile();
  StoreKeyTexts64(profile, {std::string(40, 'a'), "1", "", "22"});
  EXPECT_STREQ(profile.keyText64[0], "AAAAAAAAAA");
  EXPECT_STREQ(profile.keyText64[1], "1");
  EXPECT_STREQ(profile.keyText64[2], "");
  EXPECT_STREQ(profile.activeKeyText[0], "AAAAAAAAAA");
  StoreKeyTexts128(profile, {std::string(40, 'b'), "", "", ""});
  EXPECT_STREQ(profile.keyText128[0], "BBBBBBBBBBBBBBBBBBBBBBBBBB");
  EXPECT_STREQ(profile.keyText128[1], "");
}

TEST(EncryptionKeyTexts, LoadConvertAndRestore) {
  ProfileWireless profile = DefaultProfile();
  std::strcpy(profile.keyText64[1], "4142434445");
  std::strcpy(profile.keyText128[2], "41420000000000000000000000");
  // A damaged field without its NUL is read up to its end and no further.
  std::memset(profile.keyText64[3], '7', kKeyText64Size);

  EncryptionKeyTexts texts;
  texts.LoadKeyTexts(profile);
  EXPECT_EQ(texts.hexKey64[1], "4142434445");
  EXPECT_EQ(texts.hexKey64[3], std::string(kKeyText64Size, '7'));
  EXPECT_EQ(texts.hexKey128[0], kDefaultKeyText128);

  texts.ConvertKeysToAscii();
  EXPECT_EQ(texts.asciiKey64[1], "ABCDE");
  EXPECT_EQ(texts.asciiKey128[2], "AB") << "the ASCII text ends before the first zero byte";

  texts.asciiKey64[0] = "hello";
  texts.asciiKey128[0] = "\xE9";
  texts.AsciiKeysToHex();
  EXPECT_EQ(texts.hexKey64[0], "68656C6C6F");
  EXPECT_EQ(texts.hexKey128[0], "E9000000000000000000000000");
  EXPECT_EQ(texts.hexKey64[1], "4142434445");

  texts.passphraseText = "something";
  texts.RestoreDefaultKeyTexts();
  EXPECT_EQ(texts.passphraseText, "");
  EXPECT_THAT(texts.hexKey128, ElementsAre(kDefaultKeyText128, kDefaultKeyText128, kDefaultKeyText128,
                                           kDefaultKeyText128));
  EXPECT_THAT(texts.hexKey64, ElementsAre(kDefaultKeyText64, kDefaultKeyText64, kDefaultKeyText64,
                                          kDefaultKeyText64));
}

TEST(EncryptionKeyTexts, GeneratedKeysReplaceOnlyTheirSize) {
  EncryptionKeyTexts texts;
  texts.hexKey64.fill(kDefaultKeyText64);
  texts.hexKey128.fill(kDefaultKeyText128);

  ASSERT_TRUE(texts.TakeGeneratedKeys(1, "Tallwyn"));
  EXPECT_THAT(texts.hexKey64, ElementsAre("F27C3B96AC", "27F290A8B7", "EFCBA1105F", "52C6B18DD3"));
  EXPECT_EQ(texts.hexKey128[0], kDefaultKeyText128);
  EXPECT_EQ(texts.asciiKey64[0], HexTextToAsciiText("F27C3B96AC", 5)) << "ASCII texts follow";

  ASSERT_TRUE(texts.TakeGeneratedKeys(2, "Tallwyn"));
  EXPECT_THAT(texts.hexKey128, ElementsAre("798B977925DF7D63D55C63936D", "798B977925DF7D63D55C63936D",
                                           "798B977925DF7D63D55C63936D", "798B977925DF7D63D55C63936D"));

  const EncryptionKeyTexts before = texts;
  EXPECT_FALSE(texts.TakeGeneratedKeys(1, ""));
  EXPECT_EQ(texts.hexKey64, before.hexKey64);
  EXPECT_EQ(texts.asciiKey64, before.asciiKey64);
}

// ---------------------------------------------------------------- apply decision

TEST(EncryptionApplyDecision, AWrongKeyLengthNamesTheKeyAndStoresNothingButLevelAndTransmitKey) {
  ProfileWireless profile = DefaultProfile();
  std::strcpy(profile.passphrase, "old");
  profile.keyEntryMethod = keyentry::kManualAscii;
  const ProfileWireless before = profile;

  EncryptionKeyTexts texts;
  texts.hexKey64 = {"1111111111", "2222222222", "333333333", "4444444444"};
  texts.passphraseText = "new";
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {1, 3, false, false}, profile);

  ASSERT_TRUE(decision.refused.has_value());
  EXPECT_EQ(decision.refused->stringId, static_cast<std::uint32_t>(IDS_WEP_LENGTH_10_HEX));
  EXPECT_EQ(decision.refused->text, "Invalid WEP key length. They should be 10 characters.( Key3)");
  EXPECT_EQ(profile.encryptionLevel, 1);
  EXPECT_EQ(profile.defaultKeyIndex, 3);
  EXPECT_EQ(std::memcmp(profile.keyText64, before.keyText64, sizeof(profile.keyText64)), 0);
  EXPECT_EQ(std::memcmp(profile.activeKeyText, before.activeKeyText, sizeof(profile.activeKeyText)), 0);
  EXPECT_STREQ(profile.passphrase, "old");
  EXPECT_EQ(profile.keyEntryMethod, keyentry::kManualAscii);
}

TEST(EncryptionApplyDecision, TypedAsciiKeysAreCheckedAsTyped) {
  ProfileWireless profile = DefaultProfile();
  EncryptionKeyTexts texts;
  texts.asciiKey128 = {"abcdefghijklm", "abcdefghijkl", "abcdefghijklm", "abcdefghijklmn"};
  texts.AsciiKeysToHex();  // hexadecimal texts of full length whatever the ASCII length
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {2, 0, false, true}, profile);
  ASSERT_TRUE(decision.refused.has_value());
  EXPECT_EQ(decision.refused->stringId, static_cast<std::uint32_t>(IDS_WEP_LENGTH_13_ASCII));
  EXPECT_EQ(decision.refused->text, "Invalid WEP key length. They should be 13 ASCII characters.( Key2 Key4)");
}

TEST(EncryptionApplyDecision, StoresTheLevelsKeysUpperCasedWithPassphraseAndEntryMethod) {
  ProfileWireless profile = DefaultProfile();
  EncryptionKeyTexts texts;
  texts.hexKey64.fill(kDefaultKeyText64);
  texts.hexKey128 = {"0123456789abcdef0123456789", "0123456789abcdef0123456789", "0123456789abcdef0123456789",
                     "0123456789abcdef012345678a"};
  texts.passphraseText = "kept as typed";
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {2, 1, false, false}, profile);
  EXPECT_FALSE(decision.refused.has_value());
  EXPECT_FALSE(decision.passphraseMissing);
  EXPECT_EQ(decision.level, 2);
  EXPECT_EQ(profile.encryptionLevel, 2);
  EXPECT_EQ(profile.defaultKeyIndex, 1);
  EXPECT_STREQ(profile.keyText128[3], "0123456789ABCDEF012345678A");
  EXPECT_STREQ(profile.activeKeyText[3], "0123456789ABCDEF012345678A");
  EXPECT_STREQ(profile.passphrase, "kept as typed");
  EXPECT_EQ(profile.keyEntryMethod, keyentry::kManualHex);
}

TEST(EncryptionApplyDecision, EntryMethodFollowsRadioAndAsciiBox) {
  struct {
    bool passphrase, ascii;
    std::int32_t method;
  } const cases[] = {{true, false, 1}, {true, true, 1}, {false, true, 3}, {false, false, 2}};
  for (const auto& c : cases) {
    ProfileWireless profile = DefaultProfile();
    EncryptionKeyTexts texts;
    texts.passphraseText = "x";
    DecideEncryptionApply(texts, {0, 0, c.passphrase, c.ascii}, profile);
    EXPECT_EQ(profile.keyEntryMethod, c.method) << c.passphrase << c.ascii;
  }
}

TEST(EncryptionApplyDecision, WepOffStoresNoKeysAndChecksNone) {
  ProfileWireless profile = DefaultProfile();
  profile.encryptionLevel = 2;
  EncryptionKeyTexts texts;
  texts.hexKey64 = {"bad", "", "", ""};
  texts.hexKey128 = {"bad", "", "", ""};
  texts.passphraseText = "p";
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {0, 2, true, false}, profile);
  EXPECT_FALSE(decision.refused.has_value());
  EXPECT_FALSE(decision.passphraseMissing);
  EXPECT_EQ(profile.encryptionLevel, 0);
  EXPECT_EQ(profile.defaultKeyIndex, 2);
  EXPECT_STREQ(profile.keyText64[0], kDefaultKeyText64);
  EXPECT_STREQ(profile.activeKeyText[0], kDefaultKeyText64);
  EXPECT_STREQ(profile.passphrase, "p");
  EXPECT_EQ(texts.hexKey64[0], "bad") << "no generation at level 0";
}

TEST(EncryptionApplyDecision, PassphraseKeysComeFromTheWholePassphraseNotTheLiveLimit) {
  // 120 characters: the live generation reads 99 of them, the apply all.
  std::string passphrase;
  for (int i = 0; passphrase.size() < 120; ++i) passphrase += static_cast<char>('a' + i % 26);
  ASSERT_NE(GenerateWepKeys(1, passphrase), GenerateWepKeys(1, passphrase.substr(0, kLiveGenerationLength)));

  ProfileWireless profile = DefaultProfile();
  EncryptionKeyTexts texts;
  texts.passphraseText = passphrase;
  texts.hexKey64.fill("");  // what was shown does not matter
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {1, 0, true, false}, profile);
  ASSERT_FALSE(decision.refused.has_value());
  const WepKeyTexts expected = *GenerateWepKeys(1, passphrase);
  EXPECT_EQ(texts.hexKey64, expected);
  EXPECT_STREQ(profile.keyText64[2], expected[2].c_str());
  EXPECT_STREQ(profile.activeKeyText[2], expected[2].c_str());
  EXPECT_EQ(profile.keyEntryMethod, keyentry::kPassphrase);
  EXPECT_EQ(std::string(profile.passphrase), passphrase);
}

TEST(EncryptionApplyDecision, AnOverlongPastedPassphraseIsStoredCutAndGeneratesFromWhatIsStored) {
  std::string passphrase;
  for (int i = 0; passphrase.size() < 300; ++i) passphrase += static_cast<char>('A' + i % 23);
  ProfileWireless profile = DefaultProfile();
  std::memset(profile.reserved2, 0x5A, sizeof(profile.reserved2));
  EncryptionKeyTexts texts;
  texts.passphraseText = passphrase;
  DecideEncryptionApply(texts, {1, 0, true, false}, profile);
  EXPECT_EQ(std::string(profile.passphrase), passphrase.substr(0, 256));
  EXPECT_EQ(texts.passphraseText, passphrase.substr(0, 256));
  EXPECT_EQ(texts.hexKey64, *GenerateWepKeys(1, passphrase.substr(0, 256)));
  EXPECT_EQ(profile.reserved2[0], 0x5A) << "nothing written past the passphrase field";
  EXPECT_EQ(profile.keyText128[0][0], '5');
}

TEST(EncryptionApplyDecision, AnEmptyPassphraseIsReportedAndTheTextsAsTheyAreGoOn) {
  ProfileWireless profile = DefaultProfile();
  EncryptionKeyTexts texts;
  texts.hexKey128.fill("11111111111111111111111111");
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {2, 0, true, false}, profile);
  EXPECT_TRUE(decision.passphraseMissing);
  EXPECT_FALSE(decision.refused.has_value());
  EXPECT_STREQ(profile.keyText128[1], "11111111111111111111111111");
}

TEST(EncryptionApplyDecision, GeneratedKeysWithAZeroByteAreNotRefusedWithTheAsciiBoxOn) {
  // "key17" gives 64-bit key 2 = 8911750027: as ASCII it is three characters long, but the
  // key sent is the hexadecimal one, which is complete.
  ProfileWireless profile = DefaultProfile();
  EncryptionKeyTexts texts;
  texts.passphraseText = "key17";
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {1, 0, true, true}, profile);
  EXPECT_FALSE(decision.refused.has_value()) << decision.refused->text;
  EXPECT_EQ(texts.hexKey64[1], "8911750027");
  EXPECT_STREQ(profile.keyText64[1], "8911750027");
}

TEST(EncryptionApplyDecision, NoSelectionCountsAsWepOffAndKeyOne) {
  ProfileWireless profile = DefaultProfile();
  profile.encryptionLevel = 7;
  profile.defaultKeyIndex = 9;
  EncryptionKeyTexts texts;
  const EncryptionApplyDecision decision = DecideEncryptionApply(texts, {-1, -1, false, false}, profile);
  EXPECT_EQ(decision.level, 0);
  EXPECT_EQ(profile.encryptionLevel, 0);
  EXPECT_EQ(profile.defaultKeyIndex, 0);
}

TEST(EncryptionApplyDecision, TheSetRecordKeepsTheProfiles80211gMode) {
  ProfileWireless profile = DefaultProfile();
  for (std::int32_t gMode : {0, 1}) {
    profile.GMode = gMode;
    const WlanConfig config = EncryptionConfigFor(profile);
    EXPECT_EQ(config.GMode, gMode);
    WlanConfig zero;
    std::memset(&zero, 0, sizeof(zero));
    zero.GMode = gMode;
    EXPECT_EQ(std::memcmp(&config, &zero, sizeof(zero)), 0) << "every other field zero";
  }
}

}  // namespace
