// The Configuration tab's behaviour on the backend of the platform in use (memory natively,
// real dialogs under Wine), with the virtual card's model behind the driver object: the
// profile list and its buttons, the settings controls, what is stored and what is asked of
// the polling thread.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/config_utility.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"
#include "res/product_texts.h"
#include "res/resource.h"
#include "support/page_test_support.h"
#include "support/platform_fixture.h"
#include "support/sheet_test_support.h"
#include "support/user_driver.h"
#include "virtualcard/model/virtual_card_functions.h"

namespace {

constexpr int kConfigurationTab = 1;

class ConfigPageTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    ResetSharedState();
#ifndef _WIN32
    // The texts of the string table the page shows (the Windows build reads the real table).
    sys.strings = {{IDS_INFRASTRUCTURE, "Infrastructure"},
                   {IDS_AD_HOC, "Ad-Hoc"},
                   {IDS_POWER_SAVE_DISABLED, "Disabled"},
                   {IDS_POWER_SAVE_ENABLED, "Enabled"},
                   {IDS_DEFAULT_PROFILE_NAME, "default"},
                   {IDS_PROFILE_EXISTS, "The profile is already exist. Please use a different name."},
                   {IDS_CANNOT_REMOVE_DEFAULT, "You can not remove the 'default' profile."},
                   {IDS_CONFIRM_REMOVE_PROFILE, "Do you want to remove profile: "},
                   {IDS_SSID_ASCII_ONLY, "SSID accepts ASCII characters only."},
                   {AFX_IDS_APP_TITLE, kUtilityTitle}};
#endif
    ResetVirtualCard();
    VirtualCardInstance().SetCallLog([this](const std::string& line) { calls.push_back(line); });
    Nivo().Bind(VirtualCardFunctions());
    Nivo().NIVO_Init("Halden", 0);
    Nivo().NIVO_SetProfileRoot("Tallwyn\\Profile");
    savedIniChannels_ = gIniChannels;
    gIniChannels = 0;
    sheet = std::make_unique<CConfigUtility>(kUtilityTitle, nullptr, kConfigurationTab);
    sheet->FillDefaultProfile(sheet->profile);
    std::strcpy(sheet->profile.profileName, "default");
    steps = std::make_unique<pagetest::Steps>(platform());
    user = std::make_unique<UserDriver>(*sheet, sheet->configPage);
    // No polling thread runs: its side of the hand-shake is always free.
    platform().SetEvent(sheet->forground);
  }
  void TearDown() override {
    user.reset();
    steps.reset();
    sheet.reset();
    gIniChannels = savedIniChannels_;
    ResetVirtualCard();
    PlatformTest::TearDown();
  }

  // A profile stored in the card's library (not active unless made so).
  void StoreProfile(const char* name, const char* ssid, int channel = 6, int mode = 1, int powerSave = 0) {
    ProfileWireless p;
    sheet->FillDefaultProfile(p);
    std::strcpy(p.profileName, name);
    std::strcpy(p.ssid, ssid);
    p.channel = channel;
    p.operatingMode = mode;
    p.powerSaveMode = powerSave;
    ASSERT_EQ(Nivo().NIVO_SetProfileWireless(name, &p), 0);
  }
  // The active profile, loaded into the window's profile as the polling thread leaves it.
  void Activate(const char* name) {
    ASSERT_EQ(Nivo().NIVO_SetActiveProfileByType(name, kProfileTypeWireless), 0);
    ASSERT_EQ(Nivo().NIVO_GetProfileWireless(name, &sheet->profile), 0);
  }
  // "default" (SSID "any") and "Harbour" (SSID "HarbourNet", channel 1), one of them active.
  void DefaultAndHarbour(const char* active) {
    StoreProfile("default", "any");
    StoreProfile("Harbour", "HarbourNet", 1);
    Activate(active);
  }
  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    char name[kProfileNameBufferSize];
    for (int i = 0; Nivo().NIVO_EnumProfilesByType(i, name, kProfileTypeWireless) == 0; ++i) names.push_back(name);
    return names;
  }
  std::string ActiveName() {
    char name[kProfileNameBufferSize] = {};
    return Nivo().NIVO_GetActiveProfileByType(name, kProfileTypeWireless) == 0 ? name : "<none>";
  }
  ProfileWireless Stored(const char* name) {
    ProfileWireless p{};
    Nivo().NIVO_GetProfileWireless(name, &p);
    return p;
  }
  size_t CallCount(const std::string& op) const {
    size_t n = 0;
    for (const std::string& line : calls) n += line.find("\"op\":\"" + op + "\"") != std::string::npos;
    return n;
  }

  // Adds a step; the page and its controls are those of the open window.
  void Step(std::function<void()> step) { steps->Add(std::move(step)); }
  // Opens the window on the Configuration tab, runs the steps and closes it with the Cancel
  // button, or the OK button when `pressOk`.
  void Run(bool pressOk = false) {
    Step([this, pressOk] { user->PressSheetButton(pressOk ? fw::psbtn::kOk : fw::psbtn::kCancel); });
    steps->Start();
    const int result = sheettest::RunGuarded(*sheet);
    EXPECT_EQ(steps->ran(), steps->size()) << "steps left unrun";
    EXPECT_NE(result, sheettest::kWatchdogResult);
  }

  CConfigPage& page() { return sheet->configPage; }
  fw::ComboBox Combo(int id) { return page().Item<fw::ComboBox>(id); }
  std::string Text(int id) { return page().Item(id).GetText(); }
  bool Enabled(int id) { return page().Item(id).IsEnabled(); }
  std::vector<std::string> Items(int id) {
    std::vector<std::string> items;
    const fw::ComboBox box = Combo(id);
    for (int i = 0; i < box.GetCount(); ++i) items.push_back(box.GetLBText(i));
    return items;
  }
  std::string Selected(int id) {
    const fw::ComboBox box = Combo(id);
    return box.GetCurSel() < 0 ? "<none>" : box.GetLBText(box.GetCurSel());
  }
  bool Click(int id) { return user->Click(id); }
  bool Choose(int id, const std::string& item) {
    const std::vector<std::string> items = Items(id);
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == item) return user->Choose(id, static_cast<int>(i));
    return false;
  }
  // Replaces a box's text as the user does: everything selected, then typed.
  void Type(int id, const std::string& text, bool replace = true) {
    if (replace) {
      if (id == IDC_CONFIG_PROFILE)
        Combo(id).SetEditSel(0, -1);
      else
        page().Item<fw::Edit>(id).SetSel(0, -1);
    }
    user->Type(id, text);
  }
  // The enabled states: Create, Activate, Remove, Undo, Apply, channel list, power list.
  std::string Buttons() {
    std::string s;
    for (int id : {IDC_CONFIG_CREATE, IDC_CONFIG_ACTIVATE, IDC_CONFIG_REMOVE, IDC_CONFIG_UNDO_CHANGES,
                   IDC_CONFIG_APPLY_CHANGES, IDC_CONFIG_CHANNEL, IDC_CONFIG_POWER_SAVE})
      s += Enabled(id) ? '1' : '0';
    return s;
  }

  std::unique_ptr<CConfigUtility> sheet;
  std::unique_ptr<pagetest::Steps> steps;
  std::unique_ptr<UserDriver> user;
  std::vector<std::string> calls;

 private:
  std::uint16_t savedIniChannels_ = 0;
};

TEST_F(ConfigPageTest, FirstActivationWithoutProfilesStoresDefaultAndMakesItActiveWithoutAPush) {
  Step([&] {
    EXPECT_EQ(Items(IDC_CONFIG_PROFILE), std::vector<std::string>{"default"});
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "default");
    EXPECT_EQ(Selected(IDC_CONFIG_MODE), "Infrastructure");
    EXPECT_EQ(Selected(IDC_CONFIG_CHANNEL), "6");
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "any");
    EXPECT_EQ(Selected(IDC_CONFIG_POWER_SAVE), "Disabled");
    // Activate on (it pushes), Remove off ("default" stays), nothing to undo or apply.
    EXPECT_EQ(Buttons(), "0100001");
  });
  Run();
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"default"});
  EXPECT_EQ(ActiveName(), "default");
  EXPECT_STREQ(Stored("default").ssid, "any");
  EXPECT_EQ(Stored("default").rateCode, 15);
  EXPECT_EQ(gChangeParametersRequest, 0);
  EXPECT_EQ(CallCount("NIVO_SetWLANConfig"), 0u);
  EXPECT_FALSE(page().m_bListsBuilt) << "closing the window clears it";
}

struct MaskCase {
  const char* name;
  std::uint16_t fileMask;
  std::vector<std::string> channels;
  const char* restoredChannel;  // after "Restore Defaults"
};

class ConfigPageChannels : public ConfigPageTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(ConfigPageChannels, ListFollowsTheMaskAndRestoreDefaultsValidatesChannel6) {
  const MaskCase& c = GetParam();
  gIniChannels = c.fileMask;
  StoreProfile("home", "HomeNet", 11, 0, 0);
  Activate("home");
  Step([&] {
    EXPECT_EQ(Items(IDC_CONFIG_CHANNEL), c.channels);
    EXPECT_EQ(Selected(IDC_CONFIG_CHANNEL), "11");
    EXPECT_TRUE(Click(IDC_CONFIG_RESTORE_DEFAULTS));
    EXPECT_EQ(Selected(IDC_CONFIG_MODE), "Infrastructure");
    EXPECT_EQ(Selected(IDC_CONFIG_CHANNEL), c.restoredChannel);
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "any");
    EXPECT_EQ(Selected(IDC_CONFIG_POWER_SAVE), "Disabled");
    EXPECT_EQ(Buttons(), "0011101");
  });
  Run();
  // Nothing was stored: "Apply Changes" was not pressed.
  EXPECT_STREQ(Stored("home").ssid, "HomeNet");
  EXPECT_EQ(CallCount("NIVO_SetProfileWireless"), 1u);  // the test's own store
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ConfigPageChannels,
    ::testing::Values(
        // No mask in the settings file: the card's own (channels 1 to 11 in its FCC domain).
        MaskCase{"CardDecides", 0x0000, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, "6"},
        MaskCase{"Thirteen", 0x1FFF, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}, "6"},
        MaskCase{"TenAndEleven", 0x0600, {"10", "11"}, "10"}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.name); });

TEST_F(ConfigPageTest, SsidRefusesCharactersAbove127AndWarnsAtMostOncePerSecond) {
  Step([&] { Type(IDC_CONFIG_SSID, "Caf"); });
  Step([&] {
    EXPECT_EQ(Buttons().substr(3, 2), "11") << "an edit enables Undo and Apply";
    Type(IDC_CONFIG_SSID, "\xE9", false);
  });
  Step(steps->AnswerShown());
  Step([&] {
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "Caf") << "cut before the refused character";
    EXPECT_EQ(steps->BoxTexts(), std::vector<std::string>{"SSID accepts ASCII characters only."});
    // Again within the second: no warning, the box keeps what was typed.
    Type(IDC_CONFIG_SSID, "\xE9", false);
  });
  Step(steps->AnswerShown());
  Step([&] {
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "Caf\xE9");
    EXPECT_EQ(steps->BoxTexts().size(), 1u);
    platform().Sleep(1100);
    Type(IDC_CONFIG_SSID, "Caf\xFC");
  });
  Step(steps->AnswerShown());
  Step([&] {
    EXPECT_EQ(steps->BoxTexts().size(), 2u) << "a second later it warns again";
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "Caf");
    EXPECT_TRUE(Click(IDC_CONFIG_APPLY_CHANGES));
  });
  Run();
  EXPECT_STREQ(Stored("default").ssid, "Caf");
}

TEST_F(ConfigPageTest, TypedNamesFindProfilesIgnoringCaseButOnlyDefaultItselfIsProtected) {
  StoreProfile("default", "any");
  StoreProfile("Harbour", "HarbourNet");
  Activate("Harbour");
  Step([&] {
    EXPECT_EQ(Buttons().substr(0, 3), "001") << "Harbour may be removed";
    // The box shows the entry as it is stored. (A real drop-down drops the list's
    // selection again once the typed change is through; the text is what stays.)
    Type(IDC_CONFIG_PROFILE, "DEFAULT");
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "default");
    EXPECT_EQ(Buttons().substr(0, 3), "010") << "the default profile cannot be removed";
    Type(IDC_CONFIG_PROFILE, "harb");
    EXPECT_EQ(Buttons().substr(0, 3), "100") << "a new name can be created";
    Type(IDC_CONFIG_PROFILE, "OUR", false);
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Harbour");
    EXPECT_EQ(Buttons().substr(0, 3), "011");
  });
  Run();
}

TEST_F(ConfigPageTest, AStoredProfileCalledDefaultWithACapitalIsNotProtected) {
  StoreProfile("Default", "any");
  Activate("Default");
  Step([&] {
    EXPECT_TRUE(Enabled(IDC_CONFIG_REMOVE));
    steps->AnswerNext(fw::mb::kIdNo);
    EXPECT_TRUE(Click(IDC_CONFIG_REMOVE));
  });
  Run();
  EXPECT_EQ(steps->BoxTexts(), std::vector<std::string>{"Do you want to remove profile: Default?"});
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"Default"}) << "No keeps it";
}

TEST_F(ConfigPageTest, ProfileNamesAreCutToSixtyFourCharactersWithTheCaretAtTheEnd) {
  Step([&] {
    Type(IDC_CONFIG_PROFILE, std::string(65, 'n'));
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), std::string(64, 'n'));
    int start = 0, end = 0;
    Combo(IDC_CONFIG_PROFILE).GetEditSel(start, end);
    EXPECT_EQ(start, 64);
    EXPECT_EQ(end, 64);
  });
  Run();
}

TEST_F(ConfigPageTest, AdHocEnablesTheChannelListAndTurnsPowerSavingOff) {
  StoreProfile("default", "any", 6, 1, 1);
  Activate("default");
  Step([&] {
    EXPECT_EQ(Selected(IDC_CONFIG_POWER_SAVE), "Enabled");
    EXPECT_EQ(Buttons().substr(3), "0001");
    EXPECT_TRUE(Choose(IDC_CONFIG_MODE, "Ad-Hoc"));
    EXPECT_EQ(Selected(IDC_CONFIG_POWER_SAVE), "Disabled");
    EXPECT_EQ(Buttons().substr(3), "1110");
    EXPECT_TRUE(Choose(IDC_CONFIG_CHANNEL, "3"));
    EXPECT_TRUE(Click(IDC_CONFIG_APPLY_CHANGES));
    EXPECT_EQ(Buttons().substr(3), "0010");
  });
  Run();
  const ProfileWireless stored = Stored("default");
  EXPECT_EQ(stored.operatingMode, 0);
  EXPECT_EQ(stored.channel, 3);
  EXPECT_EQ(stored.powerSaveMode, 0);
  EXPECT_EQ(gChangeParametersRequest, 1) << "the polling thread pushes the new settings";
}

TEST_F(ConfigPageTest, RemovingTheShownProfileMakesDefaultActiveAndShowsIt) {
  DefaultAndHarbour("Harbour");
  Step([&] {
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "HarbourNet");
    steps->AnswerNext(fw::mb::kIdYes);
    EXPECT_TRUE(Click(IDC_CONFIG_REMOVE));
    EXPECT_EQ(Items(IDC_CONFIG_PROFILE), std::vector<std::string>{"default"});
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "default");
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "any");
    EXPECT_EQ(Buttons().substr(0, 3), "010");
  });
  Run();
  EXPECT_EQ(steps->BoxTexts(), std::vector<std::string>{"Do you want to remove profile: Harbour?"});
  EXPECT_EQ(steps->BoxIcons(), std::vector<std::uint32_t>{fw::mb::kIconQuestion}) << "a question";
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"default"});
  EXPECT_EQ(ActiveName(), "default");
  EXPECT_STREQ(sheet->profile.ssid, "any");
}

TEST_F(ConfigPageTest, DefaultCannotBeRemoved) {
  Step([&] {
    // "default" was just created; Remove is off, so the page is asked directly.
    page().Item(IDC_CONFIG_REMOVE).Enable(true);
    steps->AnswerNext(fw::mb::kIdOk);
    EXPECT_TRUE(Click(IDC_CONFIG_REMOVE));
  });
  Run();
  EXPECT_EQ(steps->BoxTexts(), std::vector<std::string>{"You can not remove the 'default' profile."});
  EXPECT_EQ(steps->BoxIcons(), std::vector<std::uint32_t>{fw::mb::kIconExclamation}) << "a warning";
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"default"});
}

TEST_F(ConfigPageTest, PickingAProfileThenUndoForgetsThePickButKeepsItsValues) {
  DefaultAndHarbour("default");
  gReapplyRequest = 0;
  Step([&] {
    EXPECT_TRUE(Choose(IDC_CONFIG_PROFILE, "Harbour"));
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "HarbourNet");
    EXPECT_EQ(Buttons().substr(0, 5), "01100");
    Type(IDC_CONFIG_SSID, "Quay");
    EXPECT_TRUE(Click(IDC_CONFIG_UNDO_CHANGES));
    // The name of the window's profile, which the pick replaced with Harbour's record; the
    // values as they were loaded.
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Harbour");
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "HarbourNet");
    EXPECT_EQ(Buttons().substr(0, 5), "00100");
  });
  Run();
  EXPECT_FALSE(page().m_bProfileSwitched);
  EXPECT_STREQ(sheet->profile.ssid, "HarbourNet");
  EXPECT_EQ(gReapplyRequest, 0);
  EXPECT_EQ(ActiveName(), "default") << "a pick alone activates nothing";
}

TEST_F(ConfigPageTest, PickingAndActivatingAsksForTheWholeProfileToBePushed) {
  DefaultAndHarbour("default");
  gReapplyRequest = 0;
  Step([&] {
    EXPECT_TRUE(Choose(IDC_CONFIG_PROFILE, "Harbour"));
    EXPECT_TRUE(Click(IDC_CONFIG_ACTIVATE));
    EXPECT_EQ(Buttons().substr(0, 5), "00100");
  });
  Run();
  EXPECT_EQ(ActiveName(), "Harbour");
  EXPECT_EQ(gReapplyRequest, 1);
  EXPECT_EQ(gChangeParametersRequest, 1);
  EXPECT_FALSE(page().m_bProfileSwitched);
}

TEST_F(ConfigPageTest, CreateStoresANewProfileMakesItActiveAndPushesNothing) {
  StoreProfile("default", "any");
  Activate("default");
  Step([&] {
    Type(IDC_CONFIG_PROFILE, "Office");
    Type(IDC_CONFIG_SSID, "OfficeNet");
    EXPECT_TRUE(Click(IDC_CONFIG_CREATE));
    EXPECT_EQ(Items(IDC_CONFIG_PROFILE), (std::vector<std::string>{"default", "Office"}));
    EXPECT_EQ(Buttons().substr(0, 5), "01100");
  });
  Run();
  EXPECT_EQ(ActiveName(), "Office");
  EXPECT_STREQ(Stored("Office").ssid, "OfficeNet");
  EXPECT_EQ(gChangeParametersRequest, 0);
}

TEST_F(ConfigPageTest, CreateWithAnEmptyBoxStoresNothing) {
  StoreProfile("default", "any");
  Activate("default");
  const size_t stores = CallCount("NIVO_SetProfileWireless");
  Step([&] {
    Type(IDC_CONFIG_PROFILE, "\b");
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "");
    Click(IDC_CONFIG_CREATE);
    EXPECT_EQ(Items(IDC_CONFIG_PROFILE), std::vector<std::string>{"default"});
  });
  Run();
  EXPECT_EQ(CallCount("NIVO_SetProfileWireless"), stores);
  EXPECT_EQ(StoredNames(), std::vector<std::string>{"default"});
}

TEST_F(ConfigPageTest, WindowOkStoresUnappliedEditsUnderTheActiveProfile) {
  DefaultAndHarbour("Harbour");
  Step([&] { Type(IDC_CONFIG_SSID, "Quay"); });
  Run(true);
  EXPECT_STREQ(Stored("Harbour").ssid, "Quay");
  EXPECT_STREQ(Stored("default").ssid, "any");
  EXPECT_EQ(ActiveName(), "Harbour");
  EXPECT_EQ(gChangeParametersRequest, 1);
  EXPECT_EQ(gSheetOpen, 0);
  EXPECT_FALSE(page().m_bListsBuilt);
}

// "Apply Changes" (false) and the window's OK (true) with the profile box emptied: the edits
// are stored under the profile the page was showing, never under an empty name.
class ConfigPageEmptiedBox : public ConfigPageTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConfigPageEmptiedBox, StoresUnderTheShownProfile) {
  const bool pressOk = GetParam();
  DefaultAndHarbour("Harbour");
  calls.clear();
  Step([&] {
    Type(IDC_CONFIG_SSID, "Quay");
    Type(IDC_CONFIG_PROFILE, "\b");
    ASSERT_EQ(Text(IDC_CONFIG_PROFILE), "");
    if (pressOk) return;
    EXPECT_TRUE(Click(IDC_CONFIG_APPLY_CHANGES));
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Harbour") << "the name comes back into the box";
  });
  Run(pressOk);
  EXPECT_STREQ(Stored("Harbour").ssid, "Quay");
  EXPECT_STREQ(sheet->profile.profileName, "Harbour");
  EXPECT_EQ(ActiveName(), "Harbour");
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"default", "Harbour"}));
  for (const std::string& line : calls) EXPECT_EQ(line.find("\"name\":\"\""), std::string::npos) << line;
  EXPECT_EQ(gChangeParametersRequest, 1);
}

INSTANTIATE_TEST_SUITE_P(StoreButtons, ConfigPageEmptiedBox, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "WindowOk" : "ApplyChanges");
                         });

// The library names no active profile: the box shows the window's profile, whose name the
// page left in the buffer before asking.
TEST_F(ConfigPageTest, WithNoActiveProfileTheBoxShowsTheWindowsProfile) {
  StoreProfile("default", "any");
  StoreProfile("Harbour", "HarbourNet", 1);
  ASSERT_EQ(Nivo().NIVO_GetProfileWireless("Harbour", &sheet->profile), 0);
  ASSERT_EQ(ActiveName(), "<none>");
  Step([&] {
    EXPECT_EQ(Text(IDC_CONFIG_PROFILE), "Harbour");
    EXPECT_EQ(Text(IDC_CONFIG_SSID), "HarbourNet");
    EXPECT_TRUE(Enabled(IDC_CONFIG_REMOVE));
  });
  Run();
  EXPECT_STREQ(sheet->profile.profileName, "Harbour");
}

TEST_F(ConfigPageTest, WindowOkWithoutEditsStoresNothing) {
  StoreProfile("default", "any");
  Activate("default");
  const size_t stores = CallCount("NIVO_SetProfileWireless");
  Run(true);
  EXPECT_EQ(CallCount("NIVO_SetProfileWireless"), stores);
  EXPECT_EQ(gChangeParametersRequest, 0);
}

TEST_F(ConfigPageTest, ContextHelpAsksForTopic103UnlessTheRequestNamesOne) {
  Step([&] {
    const size_t before = user->HelpTopics().size();  // the platform keeps every request
    user->ContextHelp();
    user->ContextHelp(777);
    const std::vector<std::uint32_t> topics = user->HelpTopics();
    EXPECT_EQ(std::vector<std::uint32_t>(topics.begin() + static_cast<std::ptrdiff_t>(before), topics.end()),
              (std::vector<std::uint32_t>{103, 777}));
  });
  Run();
}

TEST_F(ConfigPageTest, ADamagedStoredProfileShowsDefinedStatesAndIsStoredInRange) {
  ProfileWireless damaged;
  sheet->FillDefaultProfile(damaged);
  std::strcpy(damaged.profileName, "Odd");
  damaged.channel = 0;
  damaged.operatingMode = 7;
  damaged.powerSaveMode = -2;
  std::memset(damaged.ssid, 's', sizeof(damaged.ssid));  // no terminator
  ASSERT_EQ(Nivo().NIVO_SetProfileWireless("Odd", &damaged), 0);
  Activate("Odd");
  Step([&] {
    EXPECT_EQ(Selected(IDC_CONFIG_MODE), "Infrastructure");
    EXPECT_EQ(Selected(IDC_CONFIG_CHANNEL), "1");
    EXPECT_EQ(Selected(IDC_CONFIG_POWER_SAVE), "Disabled");
    EXPECT_EQ(Text(IDC_CONFIG_SSID), std::string(32, 's'));
    Type(IDC_CONFIG_SSID, "Quay");
    EXPECT_TRUE(Click(IDC_CONFIG_APPLY_CHANGES));
  });
  Run();
  const ProfileWireless stored = Stored("Odd");
  EXPECT_EQ(stored.channel, 1);
  EXPECT_EQ(stored.operatingMode, 1);
  EXPECT_EQ(stored.powerSaveMode, 0);
  EXPECT_STREQ(stored.ssid, "Quay");
}

}  // namespace
