// What "Apply Changes" on the Encryption tab asks of the driver library, against the
// recording fake on the memory backend: the calls in order, the selector and key elements of
// the set, the hand-shake around it, the re-association, and the messages of a refused or
// failed apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "core/config_utility.h"
#include "driver/nivo_driver.h"
#include "pages/encryption_page.h"
#include "support/memory_platform_fixture.h"
#include "support/recording_nivo.h"
#include "support/sheet_test_support.h"

namespace {

using testing_nivo::NivoCall;
using testing_nivo::RecordingNivo;

constexpr int kEncryptionTab = 3;
constexpr int kDone = 0x3E3E;

class EncryptionApply : public MemoryPlatformTest {
 protected:
  void SetUp() override {
    MemoryPlatformTest::SetUp();
    Nivo().Bind(fake.table());
    lastKeyLevel = 2;
    sys.strings[IDS_PASSPHRASE_MISSING] = "The PassPhrase is not given, please specify the desired PassPhrase.";
    sys.strings[IDS_WEP_CHANGE_FAILED] = "Failed to change WEP configuration.";
    sheet = std::make_unique<CConfigUtility>("Tallwyn TW7720 WLAN card utility", nullptr, 0);
    sheet->FillDefaultProfile(sheet->profile);
    sys.SetEvent(sheet->forground);
  }
  void TearDown() override {
    sheet.reset();
    Nivo().Bind(NivoFunctions{});
    MemoryPlatformTest::TearDown();
  }

  void OnEncryptionTab(const std::function<void()>& steps) {
    sheettest::Later later(sys);
    later.Post([&] {
      ASSERT_TRUE(sheet->SetActivePage(kEncryptionTab));
      from = fake.calls().size();
      steps();
    });
    later.Post([&] { sheet->EndModalLoop(kDone); });
    EXPECT_EQ(sheettest::RunGuarded(*sheet), kDone);
  }

  fw::Handle dialog() { return sheet->encryptionPage.window(); }
  void Type(int id, const std::string& text) {
    for (char c : text) fw::Controls().UserType(dialog(), id, c);
  }
  void Click(int id) { EXPECT_TRUE(fw::Controls().UserClick(dialog(), id)) << id; }
  void Choose(int id, int index) { EXPECT_TRUE(fw::Controls().UserChoose(dialog(), id, index)) << id; }

  // The calls since the Encryption tab came up.
  std::vector<NivoCall> Calls() {
    const std::vector<NivoCall> all = fake.calls();
    return std::vector<NivoCall>(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
  }
  std::vector<std::string> Operations() {
    std::vector<std::string> ops;
    for (const NivoCall& call : Calls()) ops.push_back(call.operation);
    return ops;
  }
  std::vector<NivoCall> Sets() {
    std::vector<NivoCall> sets;
    for (const NivoCall& call : Calls())
      if (call.operation == "NIVO_SetWLANConfig") sets.push_back(call);
    return sets;
  }

  RecordingNivo fake;
  std::unique_ptr<CConfigUtility> sheet;
  std::size_t from = 0;
};

TEST_F(EncryptionApply, StoresSetsUnderTheHandshakeAndReassociates) {
  sheet->profile.encryptionLevel = 1;
  std::strcpy(sheet->profile.ssid, "Harbour");
  OnEncryptionTab([&] {
    Type(IDC_KEY3_HEX64, "0a1b2c3d4e");
    Choose(IDC_DEFAULT_TX_KEY, 2);
    // The polling thread is between cycles: the page waits for nothing.
    fake.duringCall = [&](const char* op) {
      if (std::strcmp(op, "NIVO_SetWLANConfig") == 0) {
        EXPECT_FALSE(sys.WaitForEvent(sheet->background, 0)) << "the polling thread is held off during the set";
      }
      if (std::strcmp(op, "NIVO_SetSSID") == 0 || std::strcmp(op, "NIVO_SetProfileWireless") == 0) {
        EXPECT_TRUE(sys.WaitForEvent(sheet->background, 0)) << op << " runs outside the hand-shake";
      }
    };
    Click(IDC_ENC_APPLY_CHANGES);
    fake.duringCall = nullptr;
  });
  EXPECT_EQ(Operations(), (std::vector<std::string>{"NIVO_SetProfileWireless", "NIVO_SetWLANConfig",
                                                     "NIVO_SetSSID", "NIVO_SetSSID"}));
  const std::vector<NivoCall> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].text, "<null>");
  ASSERT_TRUE(calls[0].profile.has_value());
  EXPECT_STREQ(calls[0].profile->keyText64[2], "0A1B2C3D4E");
  EXPECT_EQ(calls[1].selectorIn, 0x3F000u);
  ASSERT_TRUE(calls[1].config.has_value());
  EXPECT_EQ(calls[1].config->wepStatus, 0);
  EXPECT_EQ(calls[1].config->authMode, 2);
  EXPECT_EQ(calls[1].config->GMode, 1);
  for (int s = 0; s < 4; ++s) {
    ASSERT_TRUE(calls[1].keys[s].has_value()) << s;
    EXPECT_EQ(calls[1].keys[s]->keyIndex, s == 2 ? 0x80000002u : static_cast<std::uint32_t>(s)) << s;
    EXPECT_EQ(calls[1].keys[s]->length, 20u);
    EXPECT_EQ(calls[1].keys[s]->keyLength, 5u);
  }
  EXPECT_EQ(calls[1].keys[2]->material, (std::vector<std::uint8_t>{0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
  EXPECT_EQ(calls[2].number, 26);
  EXPECT_EQ(calls[3].number, 7) << "the profile's SSID \"Harbour\"";
  EXPECT_TRUE(sys.messageBoxes.empty());
}

TEST_F(EncryptionApply, WepOffSendsOnlyStatusAndAuthentication) {
  sheet->profile.encryptionLevel = 2;
  OnEncryptionTab([&] {
    Choose(IDC_WEP_LEVEL, 0);
    Click(IDC_ENC_APPLY_CHANGES);
  });
  const std::vector<NivoCall> sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].selectorIn, 0x30000u);
  EXPECT_EQ(sets[0].config->wepStatus, 1);
  EXPECT_EQ(sets[0].config->authMode, 2);
  for (const auto& key : sets[0].keys) EXPECT_FALSE(key.has_value());
  EXPECT_EQ(sheet->profile.encryptionLevel, 0);
  EXPECT_EQ(Operations().back(), "NIVO_SetSSID");
}

TEST_F(EncryptionApply, ANineDigitKeyShowsTheMessageNamingItAndSendsNothing) {
  sheet->profile.encryptionLevel = 1;
  OnEncryptionTab([&] {
    Type(IDC_KEY3_HEX64, "123456789");
    Click(IDC_ENC_APPLY_CHANGES);
    EXPECT_TRUE(sheet->encryptionPage.Item(IDC_ENC_APPLY_CHANGES).IsEnabled()) << "the changes are still pending";
  });
  EXPECT_TRUE(Calls().empty());
  ASSERT_EQ(sys.messageBoxes.size(), 1u);
  EXPECT_EQ(sys.messageBoxes[0].text, "Invalid WEP key length. They should be 10 characters.( Key3)");
  EXPECT_EQ(sys.messageBoxes[0].style, fw::mb::kOk | fw::mb::kIconExclamation);
}

TEST_F(EncryptionApply, BitsLeftAfterTwoSetsAreTracedAndReportedAndTheCardStillReassociates) {
  sheet->profile.encryptionLevel = 1;
  fake.setLeftover = {0x2000, 0x2000};
  OnEncryptionTab([&] {
    Type(IDC_KEY1_HEX64, "1122334455");
    sys.clearDebugLines();
    Click(IDC_ENC_APPLY_CHANGES);
  });
  const std::vector<NivoCall> sets = Sets();
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[1].selectorIn, 0x2000u) << "the second set asks again for what failed";
  ASSERT_EQ(sys.messageBoxes.size(), 1u);
  EXPECT_EQ(sys.messageBoxes[0].text, "Failed to change WEP configuration.");
  const std::vector<std::string> lines = sys.debugLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Failed to change WEP configuration : 0x2000"), lines.end());
  for (const std::string& line : lines) EXPECT_EQ(line.find("1122334455"), std::string::npos) << line;
  EXPECT_EQ(Operations().back(), "NIVO_SetSSID");
  EXPECT_TRUE(sys.WaitForEvent(sheet->background, 0)) << "the polling thread is free again";
}

TEST_F(EncryptionApply, AnEmptyPassphraseIsReportedAndTheKeysAsTheyAreAreSent) {
  sheet->profile.encryptionLevel = 1;
  sheet->profile.keyEntryMethod = 1;
  OnEncryptionTab([&] { Click(IDC_ENC_RESTORE_DEFAULTS); Choose(IDC_WEP_LEVEL, 1);
                        Click(IDC_CREATE_WITH_PASSPHRASE); Click(IDC_ENC_APPLY_CHANGES); });
  ASSERT_EQ(sys.messageBoxes.size(), 1u);
  EXPECT_EQ(sys.messageBoxes[0].text, "The PassPhrase is not given, please specify the desired PassPhrase.");
  const std::vector<NivoCall> sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  ASSERT_TRUE(sets[0].keys[0].has_value());
  EXPECT_EQ(sets[0].keys[0]->material, (std::vector<std::uint8_t>{0x5C, 0x3E, 0x1A, 0x7B, 0x90}));
}

// The window's OK applies pending changes, Cancel drops them, and either way the Encryption
// page itself clears the open flag: the window holds, besides it, only pages that leave the
// flag alone (Link Info and Configuration, which clear it too, are taken out).
TEST_F(EncryptionApply, OkAppliesPendingChangesCancelDropsThemAndBothClearTheOpenFlag) {
  sheet->RemovePage(&sheet->linkInfoPage);
  sheet->RemovePage(&sheet->configPage);
  const int encryptionTab = sheet->GetPageIndex(&sheet->encryptionPage);
  sheet->profile.encryptionLevel = 1;
  struct Case {
    fw::WParam button;
    const char* typed;
    std::size_t sets;       // NIVO_SetWLANConfig calls
    const char* keptKey;    // the profile's first 64-bit key afterwards
  };
  const Case cases[] = {{fw::psbtn::kOk, "9988776655", 1, "9988776655"},
                        {fw::psbtn::kCancel, "1122334455", 0, "9988776655"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button == fw::psbtn::kOk ? "OK" : "Cancel");
    sheettest::Later later(sys);
    later.Post([&] {
      ASSERT_EQ(gSheetOpen, 1);
      ASSERT_TRUE(sheet->SetActivePage(encryptionTab));
      from = fake.calls().size();
      Type(IDC_KEY1_HEX64, c.typed);
      sheet->SendToSheet(fw::psm::kPressButton, c.button, 0);
    });
    sheettest::RunGuarded(*sheet);
    EXPECT_EQ(Sets().size(), c.sets);
    EXPECT_STREQ(sheet->profile.keyText64[0], c.keptKey);
    EXPECT_EQ(gSheetOpen, 0);
  }
}

}  // namespace
