// The Encryption tab's behaviour, the same tests on both backends: natively on the memory
// backend, under Wine on real windows from template 184. The configuration window is opened
// on its Encryption tab and played as a user: typing, pasting, clicking and choosing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"
#include "pages/encryption_page.h"
#include "pages/wep_keys.h"
#include "support/platform_fixture.h"
#include "support/sheet_test_support.h"
#include "support/user_driver.h"

namespace {

constexpr int kEncryptionTab = 3;
constexpr int kDone = 0x3E3E;

// A library that takes every store and set (what was sent is the apply tests' business).
std::int32_t NIVO_CALL TakeProfile(const char*, ProfileWireless*) { return 0; }
std::int32_t NIVO_CALL TakeSet(std::uint32_t* dwWLFlag, WlanConfig*) {
  *dwWLFlag = 0;
  return 0;
}
std::int32_t NIVO_CALL TakeSsid(NdisSsid*) { return 0; }

class EncryptionPageBehaviour : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    lastKeyLevel = 2;
    NivoFunctions library{};
    library.NIVO_SetProfileWireless = &TakeProfile;
    library.NIVO_SetWLANConfig = &TakeSet;
    library.NIVO_SetSSID = &TakeSsid;
    Nivo().Bind(library);
#ifndef _WIN32
    // The memory backend has no string table of its own: the texts this page loads.
    fw::MemoryPlatform& memory = dynamic_cast<fw::MemoryPlatform&>(platform());
    memory.strings = {{IDS_KEY_NUMBER_1, "1"}, {IDS_KEY_NUMBER_2, "2"}, {IDS_KEY_NUMBER_3, "3"},
                      {IDS_KEY_NUMBER_4, "4"}, {IDS_WEP_DISABLED, "Disabled"}, {IDS_WEP_64_BITS, "64 Bits"},
                      {IDS_WEP_128_BITS, "128 Bits"}};
#endif
    sheet_ = std::make_unique<CConfigUtility>("Tallwyn TW7720 WLAN card utility", nullptr, 0);
    user_ = std::make_unique<UserDriver>(*sheet_, sheet_->encryptionPage);
    sheet_->FillDefaultProfile(sheet_->profile);
    // No polling thread here: its side of the hand-shake is always free.
    platform().SetEvent(sheet_->forground);
  }
  void TearDown() override {
    user_.reset();
    sheet_.reset();
    Nivo().Bind(NivoFunctions{});
    ResetSharedState();
  }

  // Opens the window on the Encryption tab, runs `steps` there, closes it.
  void OnEncryptionTab(const std::function<void()>& steps) {
    sheettest::Later later(platform());
    later.Post([&] {
      ASSERT_TRUE(sheet_->SetActivePage(kEncryptionTab));
      steps();
    });
    later.Post([&] { sheet_->EndModalLoop(kDone); });
    EXPECT_EQ(sheettest::RunGuarded(*sheet_), kDone);
    EXPECT_EQ(later.ran(), 2);
  }

  ProfileWireless& profile() { return sheet_->profile; }
  CEncryptionPage& page() { return sheet_->encryptionPage; }
  fw::Handle dialog() { return page().window(); }

  // --- what a user does
  void Type(int id, const std::string& text) {
    for (char c : text) EXPECT_TRUE(fw::Controls().UserType(dialog(), id, c)) << id;
  }
  void Paste(int id, const std::string& text) { EXPECT_TRUE(fw::Controls().UserPaste(dialog(), id, text)) << id; }
  void Click(int id) { EXPECT_TRUE(fw::Controls().UserClick(dialog(), id)) << id; }
  void Choose(int id, int index) { EXPECT_TRUE(fw::Controls().UserChoose(dialog(), id, index)) << id; }

  // --- what the page shows
  std::string Text(int id) { return page().Item(id).GetText(); }
  bool Shown(int id) { return page().Item(id).IsVisible(); }
  bool Enabled(int id) { return page().Item(id).IsEnabled(); }
  char PasswordChar(int id) { return page().Item<fw::Edit>(id).GetPasswordChar(); }
  bool Checked(int id) { return page().Item<fw::Button>(id).GetCheck(); }
  int Selected(int id) { return page().Item<fw::ComboBox>(id).GetCurSel(); }
  WepKeyTexts Texts(const std::array<std::uint32_t, 4>& ids) {
    return {Text(static_cast<int>(ids[0])), Text(static_cast<int>(ids[1])), Text(static_cast<int>(ids[2])),
            Text(static_cast<int>(ids[3]))};
  }

  void StoreProfileKeys(int level, std::int32_t method) {
    profile().encryptionLevel = level;
    profile().keyEntryMethod = method;
  }

  void CheckLiveGeneration(int level, const std::array<std::uint32_t, 4>& fields) {
    EXPECT_TRUE(Enabled(IDC_PASSPHRASE));
    Type(IDC_PASSPHRASE, "Tall");
    EXPECT_EQ(Texts(fields), *GenerateWepKeys(level, "Tall"));
    Type(IDC_PASSPHRASE, "wyn");
    EXPECT_EQ(Texts(fields), *GenerateWepKeys(level, "Tallwyn")) << "regenerated after every change";
    EXPECT_EQ(Text(IDC_PASSPHRASE), "Tallwyn") << "typing into the masked field started afresh";
    EXPECT_EQ(PasswordChar(IDC_PASSPHRASE), 0);
    for (std::uint32_t id : fields) EXPECT_EQ(PasswordChar(static_cast<int>(id)), 0) << id;
    EXPECT_TRUE(Enabled(IDC_ENC_APPLY_CHANGES));
    EXPECT_TRUE(Enabled(IDC_ENC_UNDO_CHANGES));
  }

  std::unique_ptr<CConfigUtility> sheet_;
  std::unique_ptr<UserDriver> user_;
};

TEST_F(EncryptionPageBehaviour, LoadsTheProfileMaskedWithApplyAndUndoDisabled) {
  StoreProfileKeys(1, keyentry::kManualHex);
  profile().defaultKeyIndex = 2;
  std::strcpy(profile().keyText64[1], "0011223344");
  OnEncryptionTab([&] {
    EXPECT_EQ(Selected(IDC_WEP_LEVEL), 1);
    EXPECT_EQ(Selected(IDC_DEFAULT_TX_KEY), 2);
    EXPECT_EQ(page().Item<fw::ComboBox>(IDC_WEP_LEVEL).GetLBText(2), "128 Bits");
    EXPECT_EQ(page().Item<fw::ComboBox>(IDC_DEFAULT_TX_KEY).GetLBText(3), "4");
    EXPECT_TRUE(Checked(IDC_MANUAL_ENTRY));
    EXPECT_FALSE(Checked(IDC_CREATE_WITH_PASSPHRASE));
    EXPECT_EQ(Text(IDC_KEY2_HEX64), "0011223344");
    for (std::uint32_t id : kAllKeyFields) EXPECT_EQ(PasswordChar(static_cast<int>(id)), '*') << id;
    EXPECT_EQ(PasswordChar(IDC_PASSPHRASE), '*');
    for (std::uint32_t id : kHexKeyFields64) EXPECT_TRUE(Shown(static_cast<int>(id)) && Enabled(static_cast<int>(id)));
    for (std::uint32_t id : kHexKeyFields128) EXPECT_FALSE(Shown(static_cast<int>(id)));
    EXPECT_FALSE(Enabled(IDC_PASSPHRASE));
    EXPECT_FALSE(Enabled(IDC_ENC_APPLY_CHANGES));
    EXPECT_FALSE(Enabled(IDC_ENC_UNDO_CHANGES));
  });
}

// Types a passphrase at a level: after every change the level's hexadecimal keys are the
// passphrase's, shown in clear with the passphrase itself.
TEST_F(EncryptionPageBehaviour, ComingBackToTheTabShowsTheStoredKeysNotKeysMadeFromTheStoredPassphrase) {
  // Keys typed by hand while an older passphrase is stored. The user tries a passphrase and
  // leaves the tab without applying; on return the page reloads the profile, and writing the
  // stored passphrase back into its field is not taken for the user typing it.
  StoreProfileKeys(1, keyentry::kManualHex);
  std::strcpy(profile().passphrase, "an older passphrase");
  for (int s = 0; s < 4; ++s) std::strcpy(profile().keyText64[s], "1234567890");
  const WepKeyTexts stored{"1234567890", "1234567890", "1234567890", "1234567890"};
  OnEncryptionTab([&] {
    EXPECT_EQ(Texts(kHexKeyFields64), stored);
    Click(IDC_CREATE_WITH_PASSPHRASE);
    Type(IDC_PASSPHRASE, "new");
    EXPECT_EQ(Texts(kHexKeyFields64), *GenerateWepKeys(1, "new"));
    ASSERT_TRUE(sheet_->SetActivePage(0));
    ASSERT_TRUE(sheet_->SetActivePage(kEncryptionTab));
    EXPECT_EQ(Text(IDC_PASSPHRASE), "an older passphrase");
    EXPECT_TRUE(Checked(IDC_MANUAL_ENTRY));
    EXPECT_EQ(Texts(kHexKeyFields64), stored);
    EXPECT_EQ(PasswordChar(IDC_PASSPHRASE), '*');
    EXPECT_EQ(PasswordChar(IDC_KEY1_HEX64), '*');
    EXPECT_FALSE(Enabled(IDC_ENC_APPLY_CHANGES));
  });
}

TEST_F(EncryptionPageBehaviour, TypingAPassphraseAt64BitsGivesFourDifferentKeys) {
  StoreProfileKeys(1, keyentry::kPassphrase);
  OnEncryptionTab([&] {
    CheckLiveGeneration(1, kHexKeyFields64);
    const WepKeyTexts keys = *GenerateWepKeys(1, "Tallwyn");
    EXPECT_NE(keys[0], keys[1]);
    EXPECT_NE(keys[2], keys[3]);
  });
}

TEST_F(EncryptionPageBehaviour, TypingAPassphraseAt128BitsGivesFourEqualKeys) {
  StoreProfileKeys(2, keyentry::kPassphrase);
  OnEncryptionTab([&] {
    CheckLiveGeneration(2, kHexKeyFields128);
    const WepKeyTexts shown = Texts(kHexKeyFields128);
    EXPECT_EQ(shown[0], shown[3]);
    for (std::uint32_t id : kHexKeyFields64) EXPECT_FALSE(Shown(static_cast<int>(id)));
  });
}

TEST_F(EncryptionPageBehaviour, LiveKeysUseNinetyNineCharactersApplyTheWholePassphrase) {
  StoreProfileKeys(1, keyentry::kPassphrase);
  std::string passphrase;
  for (int i = 0; passphrase.size() < 120; ++i) passphrase += static_cast<char>('a' + (i * 7) % 26);
  const WepKeyTexts live = *GenerateWepKeys(1, passphrase.substr(0, 99));
  const WepKeyTexts whole = *GenerateWepKeys(1, passphrase);
  ASSERT_NE(live, whole);
  OnEncryptionTab([&] {
    Paste(IDC_PASSPHRASE, passphrase);
    EXPECT_EQ(Text(IDC_PASSPHRASE), passphrase) << "shown in full";
    EXPECT_EQ(Texts(kHexKeyFields64), live);
    Click(IDC_ENC_APPLY_CHANGES);
    EXPECT_EQ(Texts(kHexKeyFields64), whole) << "the applied keys show after the apply";
    EXPECT_FALSE(Enabled(IDC_ENC_APPLY_CHANGES));
  });
  for (int s = 0; s < 4; ++s) EXPECT_EQ(std::string(profile().keyText64[s]), whole[s]);
  EXPECT_EQ(std::string(profile().passphrase), passphrase);
  EXPECT_EQ(profile().keyEntryMethod, keyentry::kPassphrase);
}

TEST_F(EncryptionPageBehaviour, TheAsciiFormShowsMasksAndAppliesTheConvertedKeys) {
  StoreProfileKeys(1, keyentry::kManualHex);
  std::strcpy(profile().keyText64[0], "4142434445");
  OnEncryptionTab([&] {
    Click(IDC_ASCII_FORM);
    for (std::uint32_t id : kAsciiKeyFields64) {
      EXPECT_TRUE(Shown(static_cast<int>(id))) << id;
      EXPECT_EQ(Text(static_cast<int>(id)), "*****") << id;
    }
    for (std::uint32_t id : kHexKeyFields64) EXPECT_FALSE(Shown(static_cast<int>(id))) << id;
    EXPECT_EQ(page().asciiKey64[0], "ABCDE");

    // Typing into an asterisk field starts a fresh text.
    Type(IDC_KEY1_ASCII64, "hello");
    Type(IDC_KEY3_ASCII64, "\xE9t\xE9!!");
    EXPECT_EQ(Text(IDC_KEY1_ASCII64), "hello");
    Click(IDC_ASCII_FORM);
    EXPECT_TRUE(Shown(IDC_KEY1_HEX64));
    EXPECT_EQ(Text(IDC_KEY1_HEX64), "68656C6C6F");
    EXPECT_EQ(Text(IDC_KEY3_HEX64), "E974E92121");
    EXPECT_EQ(Text(IDC_KEY2_HEX64), kDefaultKeyText64) << "an untouched key converts back to itself";

    Click(IDC_ASCII_FORM);
    Type(IDC_KEY4_ASCII64, "zyxwv");
    Click(IDC_ENC_APPLY_CHANGES);
  });
  EXPECT_STREQ(profile().keyText64[0], "68656C6C6F");
  EXPECT_STREQ(profile().keyText64[3], "7A79787776");
  EXPECT_STREQ(profile().activeKeyText[3], "7A79787776");
  EXPECT_EQ(profile().keyEntryMethod, keyentry::kManualAscii);
}

TEST_F(EncryptionPageBehaviour, RestoreDefaultsWritesTheProfileAtOnceAndUndoShowsIt) {
  StoreProfileKeys(2, keyentry::kManualHex);
  for (int s = 0; s < 4; ++s) std::strcpy(profile().keyText128[s], "0123456789ABCDEF0123456789");
  for (int s = 0; s < 4; ++s) std::strcpy(profile().keyText64[s], "0123456789");
  OnEncryptionTab([&] {
    Click(IDC_ENC_RESTORE_DEFAULTS);
    EXPECT_STREQ(profile().keyText128[0], kDefaultKeyText128) << "before any apply";
    EXPECT_STREQ(profile().keyText64[3], kDefaultKeyText64);
    EXPECT_STREQ(profile().activeKeyText[2], kDefaultKeyText64);
    EXPECT_EQ(profile().encryptionLevel, 2) << "the level stays";
    EXPECT_EQ(Selected(IDC_WEP_LEVEL), 0);
    EXPECT_FALSE(Enabled(IDC_DEFAULT_TX_KEY));
    EXPECT_TRUE(Enabled(IDC_ENC_UNDO_CHANGES));

    Click(IDC_ENC_UNDO_CHANGES);
    EXPECT_EQ(Selected(IDC_WEP_LEVEL), 2);
    EXPECT_EQ(Texts(kHexKeyFields128)[1], kDefaultKeyText128);
    EXPECT_TRUE(Shown(IDC_KEY1_HEX128));
    EXPECT_FALSE(Enabled(IDC_ENC_UNDO_CHANGES));
    EXPECT_FALSE(Enabled(IDC_ENC_APPLY_CHANGES));
    EXPECT_EQ(PasswordChar(IDC_KEY1_HEX128), '*');
  });
}

TEST_F(EncryptionPageBehaviour, LowerCaseKeysAreStoredUpperCased) {
  StoreProfileKeys(1, keyentry::kManualHex);
  OnEncryptionTab([&] {
    Type(IDC_KEY1_HEX64, "abcdef0123");
    Type(IDC_KEY2_HEX64, "fedcba9876");
    Choose(IDC_DEFAULT_TX_KEY, 1);
    Click(IDC_ENC_APPLY_CHANGES);
  });
  EXPECT_STREQ(profile().keyText64[0], "ABCDEF0123");
  EXPECT_STREQ(profile().keyText64[1], "FEDCBA9876");
  EXPECT_STREQ(profile().activeKeyText[0], "ABCDEF0123");
  EXPECT_EQ(profile().defaultKeyIndex, 1);
  EXPECT_EQ(profile().encryptionLevel, 1);
}

TEST_F(EncryptionPageBehaviour, TheKeystrokeFilterDropsWhatAFieldCannotTake) {
  StoreProfileKeys(2, keyentry::kManualHex);
  OnEncryptionTab([&] {
    const std::size_t beeps = user_->Beeps();
    Type(IDC_KEY1_HEX128, "12g4");
    EXPECT_EQ(Text(IDC_KEY1_HEX128), "124") << "not a hexadecimal digit";
    EXPECT_EQ(user_->Beeps(), beeps + 1);
    Type(IDC_KEY1_HEX128, std::string(30, 'a'));
    EXPECT_EQ(Text(IDC_KEY1_HEX128).size(), 26u) << "the length limit";
    EXPECT_EQ(user_->Beeps(), beeps + 1 + 7);
    Type(IDC_KEY1_HEX128, "\b");
    EXPECT_EQ(Text(IDC_KEY1_HEX128).size(), 25u) << "backspace passes";
    EXPECT_FALSE(fw::Controls().UserType(dialog(), IDC_KEY4_ASCII128, 'x')) << "a hidden field takes no typing";
    EXPECT_EQ(user_->Beeps(), beeps + 8);
    // A masked field starts afresh and shows the new text in clear.
    EXPECT_EQ(PasswordChar(IDC_KEY2_HEX128), '*');
    Type(IDC_KEY2_HEX128, "F");
    EXPECT_EQ(Text(IDC_KEY2_HEX128), "F");
    EXPECT_EQ(PasswordChar(IDC_KEY2_HEX128), 0);
    // A paste obeys the field's rules too: refused whole, with the beep.
    const std::string key3 = Text(IDC_KEY3_HEX128);
    Paste(IDC_KEY3_HEX128, "not hex at all");
    EXPECT_EQ(Text(IDC_KEY3_HEX128), key3);
    EXPECT_EQ(PasswordChar(IDC_KEY3_HEX128), '*');
    EXPECT_EQ(user_->Beeps(), beeps + 9);
  });
}

TEST_F(EncryptionPageBehaviour, ControlKeysKeepAMaskedKeyAPasteReplacesItWhole) {
  StoreProfileKeys(1, keyentry::kManualHex);
  std::strcpy(profile().keyText64[0], "0A0B0C0D0E");
  OnEncryptionTab([&] {
    const std::size_t beeps = user_->Beeps();
    ASSERT_EQ(PasswordChar(IDC_KEY1_HEX64), '*');
    Type(IDC_KEY1_HEX64, "\x01\x03");  // Ctrl+A, Ctrl+C
    EXPECT_EQ(Text(IDC_KEY1_HEX64), "0A0B0C0D0E") << "the key stays";
    EXPECT_EQ(PasswordChar(IDC_KEY1_HEX64), '*') << "and stays masked";
    EXPECT_EQ(user_->Beeps(), beeps);
    EXPECT_FALSE(Enabled(IDC_ENC_APPLY_CHANGES)) << "nothing changed";

    Paste(IDC_KEY1_HEX64, "1122334455");
    EXPECT_EQ(Text(IDC_KEY1_HEX64), "1122334455") << "the whole key replaced, wherever the caret was";
    EXPECT_EQ(PasswordChar(IDC_KEY1_HEX64), 0) << "shown in clear";
    EXPECT_TRUE(Enabled(IDC_ENC_APPLY_CHANGES));
    // Too long for the field: refused whole, nothing half pasted, the key still masked.
    const std::string key2 = Text(IDC_KEY2_HEX64);
    Paste(IDC_KEY2_HEX64, "112233445566");
    EXPECT_EQ(Text(IDC_KEY2_HEX64), key2);
    EXPECT_EQ(PasswordChar(IDC_KEY2_HEX64), '*');
    EXPECT_EQ(user_->Beeps(), beeps + 1);
    Click(IDC_ENC_APPLY_CHANGES);
  });
  EXPECT_STREQ(profile().keyText64[0], "1122334455");
}

TEST_F(EncryptionPageBehaviour, ThePagesOwnWorkLeavesTheFocusWhereItWas) {
  StoreProfileKeys(1, keyentry::kManualHex);
  OnEncryptionTab([&] {
    // Restore Defaults masks the key fields, which passes the focus through every field and
    // the level list.
    Click(IDC_ENC_RESTORE_DEFAULTS);
    EXPECT_EQ(fw::Controls().FocusedId(dialog()), IDC_ENC_RESTORE_DEFAULTS);
  });
}

TEST_F(EncryptionPageBehaviour, AnAsciiKeyMayBeginWithAnAsterisk) {
  StoreProfileKeys(1, keyentry::kManualAscii);
  OnEncryptionTab([&] {
    ASSERT_EQ(Text(IDC_KEY1_ASCII64), "*****");
    Type(IDC_KEY1_ASCII64, "*a*b*");
    EXPECT_EQ(Text(IDC_KEY1_ASCII64), "*a*b*");
    Paste(IDC_KEY2_ASCII64, "*KEY*");
    EXPECT_EQ(Text(IDC_KEY2_ASCII64), "*KEY*") << "in place of the asterisk text";
    for (int id : {IDC_KEY3_ASCII64, IDC_KEY4_ASCII64}) Type(id, "abcde");
    Click(IDC_ENC_APPLY_CHANGES);
  });
  EXPECT_STREQ(profile().keyText64[0], "2A612A622A");
  EXPECT_STREQ(profile().keyText64[1], "2A4B45592A");
}

TEST_F(EncryptionPageBehaviour, KeyFieldsPassphraseAndTransmitKeyAreBlueOnWhite) {
  StoreProfileKeys(1, keyentry::kManualHex);
  OnEncryptionTab([&] {
    for (std::uint32_t id : kAllKeyFields) {
      const fw::ColourAnswer answer = fw::Controls().AskColour(dialog(), static_cast<int>(id));
      EXPECT_TRUE(answer.answered) << id << " (shown or hidden, enabled or not)";
      EXPECT_EQ(answer.textColor, 0xFF0000u) << id;
      EXPECT_EQ(answer.brushColor, 0xFFFFFFu) << id;
      EXPECT_TRUE(answer.transparent) << id;
    }
    for (int id : {IDC_PASSPHRASE, IDC_DEFAULT_TX_KEY}) {
      EXPECT_TRUE(fw::Controls().AskColour(dialog(), id).answered) << id;
    }
    for (int id : {IDC_WEP_LEVEL, IDC_WEP_LEVEL_LABEL, IDC_ENCRYPTION_NOTICE, IDC_ASCII_FORM, IDC_MANUAL_ENTRY,
                   IDC_KEY1_LABEL, IDC_ENC_APPLY_CHANGES, IDC_KEY_ENTRY_GROUP}) {
      EXPECT_FALSE(fw::Controls().AskColour(dialog(), id).answered) << id;
    }
  });
}

TEST_F(EncryptionPageBehaviour, ContextHelpOpensTheRequestedTopicOrTheEncryptionTopic) {
  OnEncryptionTab([&] {
    const std::size_t before = user_->HelpTopics().size();
    user_->ContextHelp(0);
    user_->ContextHelp(77);
    const std::vector<std::uint32_t> topics = user_->HelpTopics();
    ASSERT_EQ(topics.size(), before + 2);
    EXPECT_EQ(topics[before], 105u);
    EXPECT_EQ(topics[before + 1], 77u);
  });
}

}  // namespace
