#include "pages/config_page.h"

#include <cstring>

#include "core/config_utility.h"
#include "core/settings_file.h"
#include "core/shared_state.h"
#include "driver/nivo_driver.h"

namespace {

// A library that never ends its enumeration would hang the page: no list is longer.
constexpr int kMaxListedProfiles = 1024;
// Caret after the last character of a box (EM_SETSEL / CB_SETEDITSEL 99..99).
constexpr int kCaretToEnd = 99;

// A name the library wrote into a buffer: up to its terminator, never past the buffer.
std::string BufferName(const char (&buffer)[kProfileNameBufferSize]) {
  return std::string(buffer, FieldTextLength(buffer, sizeof(buffer)));
}

}  // namespace

CConfigPage::CConfigPage() : fw::Page<CConfigPage>(IDD_CONFIGURATION, "Configuration") {
  helpTopic = IDH_CONFIGURATION;
  m_strDefaultName = fw::Sys().LoadString(IDS_DEFAULT_PROFILE_NAME);
}

std::span<const fw::Handler<CConfigPage>> CConfigPage::Handlers() {
  static const fw::Handler<CConfigPage> kTable[] = {
      fw::OnCommand(IDC_CONFIG_MODE, fw::cbn::kSelChange, &CConfigPage::OnModeChanged),
      fw::OnCommand(IDC_CONFIG_CHANNEL, fw::cbn::kSelChange, &CConfigPage::OnChannelOrPowerChanged),
      fw::OnCommand(IDC_CONFIG_POWER_SAVE, fw::cbn::kSelChange, &CConfigPage::OnChannelOrPowerChanged),
      fw::OnCommand(IDC_CONFIG_SSID, fw::en::kChange, &CConfigPage::OnSsidChanged),
      fw::OnCommand(IDC_CONFIG_PROFILE, fw::cbn::kSelChange, &CConfigPage::OnProfileSelected),
      fw::OnCommand(IDC_CONFIG_PROFILE, fw::cbn::kEditUpdate, &CConfigPage::OnProfileNameTyped),
      fw::OnCommand(IDC_CONFIG_CREATE, fw::bn::kClicked, &CConfigPage::OnCreate),
      fw::OnCommand(IDC_CONFIG_REMOVE, fw::bn::kClicked, &CConfigPage::OnRemove),
      fw::OnCommand(IDC_CONFIG_ACTIVATE, fw::bn::kClicked, &CConfigPage::OnActivate),
      fw::OnCommand(IDC_CONFIG_RESTORE_DEFAULTS, fw::bn::kClicked, &CConfigPage::OnRestoreDefaults),
      fw::OnCommand(IDC_CONFIG_UNDO_CHANGES, fw::bn::kClicked, &CConfigPage::OnUndoChanges),
      fw::OnCommand(IDC_CONFIG_APPLY_CHANGES, fw::bn::kClicked, &CConfigPage::Store),
      fw::OnContextHelp(&CConfigPage::OnContextHelp),
      fw::OnPaint(&CConfigPage::OnPaint),
  };
  return kTable;
}

void CConfigPage::DoDataExchange(fw::DataExchange& dx) {
  // The page writes its members after every edit; the exchange writes a text only when it
  // differs, so the caret stays where the user is typing.
  dx.ComboIndex(IDC_CONFIG_CHANNEL, m_nChannelIndex);
  dx.Text(IDC_CONFIG_SSID, m_strSsid);
  if (dx.saving()) dx.MaxChars(IDC_CONFIG_SSID, m_strSsid, kMaxSsidLength);
  dx.ComboIndex(IDC_CONFIG_POWER_SAVE, m_nPowerSaveIndex);
  dx.ComboText(IDC_CONFIG_PROFILE, m_strProfileName);
}

CConfigUtility& CConfigPage::Sheet() const { return *static_cast<CConfigUtility*>(sheet()); }

const std::string& CConfigPage::DefaultName() {
  if (m_strDefaultName.empty()) m_strDefaultName = fw::Sys().LoadString(IDS_DEFAULT_PROFILE_NAME);
  return m_strDefaultName;
}

// ---------------------------------------------------------------- dialog creation

bool CConfigPage::OnInitDialog() {
  // A new dialog has empty lists, whatever an earlier opening left in m_bListsBuilt (the
  // page may come back into the window after zero configuration let go of the card).
  m_bListsBuilt = false;
  ReadChannelMask();
  Item<fw::Edit>(IDC_CONFIG_SSID).SetLimitText(static_cast<int>(kMaxSsidLength));
  return fw::Page<CConfigPage>::OnInitDialog();
}

// The channels this opening offers: the settings file's mask, else the card's.
void CConfigPage::ReadChannelMask() {
  WlanConfig scratch{};
  std::uint32_t selector = wlflag::kChannelMask;
  Nivo().NIVO_GetWLANConfig(&selector, &scratch);
  m_wChannelMask = ChannelMaskAtCreation(gIniChannels, scratch.channelMask);
}

// ---------------------------------------------------------------- activation

bool CConfigPage::OnSetActive() {
  if (!m_bListsBuilt) BuildLists();
  LoadControls();
  if (Item<fw::ComboBox>(IDC_CONFIG_PROFILE).GetCount() == 0) {
    // No profile at all: "default" is made from the window's profile, stored and made
    // active, but not pushed.
    m_bCreatingProfile = true;
    m_strProfileName = DefaultName();
    WriteControls();
    Store();
  }
  SetButtons(ConfigEvent::EndOfActivation, ContextFor(m_strProfileName));
  return fw::Page<CConfigPage>::OnSetActive();
}

void CConfigPage::BuildLists() {
  ProfileWireless& profile = Sheet().profile;
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  profiles.ResetContent();
  char name[kProfileNameBufferSize] = {};
  for (int i = 0; i < kMaxListedProfiles; ++i) {
    std::memset(name, 0, sizeof(name));
    if (Nivo().NIVO_EnumProfilesByType(i, name, kProfileTypeWireless) == kNivoNoProfileAtIndex) break;
    profiles.AddString(BufferName(name));
  }
  // A failed read leaves the buffer as it was: holding the window's profile's name.
  SetFieldText(name, FieldText(profile.profileName));
  Nivo().NIVO_GetActiveProfileByType(name, kProfileTypeWireless);
  m_strProfileName = CutProfileName(BufferName(name));
  SetFieldText(profile.profileName, m_strProfileName);

  const fw::ComboBox modes = Item<fw::ComboBox>(IDC_CONFIG_MODE);
  modes.ResetContent();
  modes.InsertString(kModeAdHoc, fw::Sys().LoadString(IDS_AD_HOC));
  modes.InsertString(kModeInfrastructure, fw::Sys().LoadString(IDS_INFRASTRUCTURE));

  m_channels = BuildChannelList(m_wChannelMask);
  const fw::ComboBox channels = Item<fw::ComboBox>(IDC_CONFIG_CHANNEL);
  channels.ResetContent();
  for (int i = 0; i < m_channels.size(); ++i) channels.InsertString(i, m_channels.texts[i]);

  const fw::ComboBox power = Item<fw::ComboBox>(IDC_CONFIG_POWER_SAVE);
  power.ResetContent();
  power.InsertString(kPowerSaveDisabled, fw::Sys().LoadString(IDS_POWER_SAVE_DISABLED));
  power.InsertString(kPowerSaveEnabled, fw::Sys().LoadString(IDS_POWER_SAVE_ENABLED));
  m_bListsBuilt = true;
}

// The controls from the window's profile. A damaged profile shows defined states; a channel
// the mask does not allow is replaced in the profile by the validated one.
void CConfigPage::LoadControls() {
  ProfileWireless& profile = Sheet().profile;
  const ProfileControls shown = ControlsFromProfile(profile, m_channels);
  Item<fw::ComboBox>(IDC_CONFIG_MODE).SetCurSel(shown.modeIndex);
  m_nSavedMode = static_cast<std::int16_t>(shown.modeIndex);
  profile.channel = shown.channel;
  m_nChannelIndex = shown.channelIndex;
  m_nSavedChannelIndex = static_cast<std::int16_t>(shown.channelIndex);
  m_strSsid = m_strSavedSsid = shown.ssid;
  m_nPowerSaveIndex = m_nSavedPowerSaveIndex = shown.powerSaveIndex;
  SetButtons(ConfigEvent::Load, {false, false, shown.modeIndex});
  WriteControls();
}

// ---------------------------------------------------------------- store

void CConfigPage::Store() {
  ProfileWireless& profile = Sheet().profile;
  ReadControlsForStore();
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  if (FindProfileName(ListedNames(), m_strProfileName) < 0) {
    // A new profile: every field the page does not show comes from the window's profile.
    profiles.AddString(m_strProfileName);
  } else {
    // A stored profile is the base for every field the page does not show.
    Nivo().NIVO_GetProfileWireless(m_strProfileName.c_str(), &profile);
    if (m_bProfileSwitched) {
      ProfileSwitchHandShake();
      m_bProfileSwitched = false;
    }
  }
  StorePageValues(profile, {m_strProfileName, SelectedMode(), m_nChannelIndex, m_strSsid, m_nPowerSaveIndex},
                  m_channels);
  m_strProfileName = ProfileNameOf(profile);
  m_nSavedMode = static_cast<std::int16_t>(profile.operatingMode);
  m_nSavedChannelIndex = static_cast<std::int16_t>(m_nChannelIndex);
  m_strSsid = m_strSavedSsid = std::string(FieldText(profile.ssid));
  m_nPowerSaveIndex = m_nSavedPowerSaveIndex = profile.powerSaveMode;

  Nivo().NIVO_SetProfileWireless(m_strProfileName.c_str(), &profile);
  Nivo().NIVO_SetActiveProfileByType(profile.profileName, kProfileTypeWireless);

  const bool creating = m_bCreatingProfile;
  if (creating) {
    gChangeParametersRequest = 0;
    m_bCreatingProfile = false;
  } else {
    gChangeParametersRequest = 1;  // the polling thread pushes the settings next cycle
  }
  SetButtons(ConfigEvent::Store, {false, creating, profile.operatingMode});
  WriteControls();
}

// After a switch to another profile the polling thread pushes the whole profile: taken
// between two of its cycles (waiting at most 2000 ms).
void CConfigPage::ProfileSwitchHandShake() {
  CConfigUtility& sheet = Sheet();
  sheet.BeginLibraryUse();
  gReapplyRequest = 1;
  sheet.EndLibraryUse();
}

// ---------------------------------------------------------------- edits

void CConfigPage::OnModeChanged() {
  ReadControls();
  const int mode = SelectedMode() == kModeInfrastructure ? kModeInfrastructure : kModeAdHoc;
  if (mode == kModeAdHoc) {
    // Ad hoc cells run without power saving.
    Sheet().profile.powerSaveMode = kPowerSaveDisabled;
    m_nPowerSaveIndex = kPowerSaveDisabled;
  }
  SetButtons(ConfigEvent::ModeEdited, {false, false, mode});
  WriteControls();
}

void CConfigPage::OnChannelOrPowerChanged() {
  ReadControls();
  SetButtons(ConfigEvent::ValueEdited);
  WriteControls();
}

void CConfigPage::OnSsidChanged() {
  if (m_bWritingControls) return;
  const SsidCheck check = CheckSsid(Item<fw::Edit>(IDC_CONFIG_SSID).GetText());
  if (check.refused) {
    m_strRejectedSsid = check.kept;
    fw::Sys().PostMessage(window(), kSsidRejectedMessage, 1, 1);
    return;
  }
  ReadControls();
  SetButtons(ConfigEvent::ValueEdited);
  WriteControls();
}

bool CConfigPage::OnMessage(std::uint32_t message, fw::WParam, fw::LParam, fw::LResult& result) {
  if (message != kSsidRejectedMessage) return false;
  ShowSsidWarning();
  result = 0;
  return true;
}

void CConfigPage::ShowSsidWarning() {
  if (!m_ssidWarning.Due(fw::Sys().TickCount())) return;
  const fw::Edit ssid = Item<fw::Edit>(IDC_CONFIG_SSID);
  ssid.SetText(m_strRejectedSsid);
  ssid.SetSel(kCaretToEnd, kCaretToEnd);
  fw::Sys().MessageBox(window(), fw::Sys().LoadString(IDS_SSID_ASCII_ONLY), std::string(), fw::mb::kOk);
}

// ---------------------------------------------------------------- profiles

void CConfigPage::OnProfileSelected() {
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  const int selected = profiles.GetCurSel();
  if (selected < 0) return;
  m_strProfileName = CutProfileName(profiles.GetLBText(selected));
  // The picked profile becomes the window's profile (the other pages show it too); it is
  // made active only by "Activate" or "Apply Changes".
  Nivo().NIVO_GetProfileWireless(m_strProfileName.c_str(), &Sheet().profile);
  m_bProfileSwitched = true;
  LoadControls();
  SetButtons(ConfigEvent::ProfilePicked, ContextFor(m_strProfileName));
  WriteControls();
}

void CConfigPage::OnProfileNameTyped() {
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  const std::string typed = profiles.GetText();
  if (typed.size() > kMaxProfileNameLength) {
    profiles.SetText(CutProfileName(typed));
    profiles.SetEditSel(kCaretToEnd, kCaretToEnd);
    return;
  }
  const int found = FindProfileName(ListedNames(), typed);
  if (found >= 0) {
    profiles.SetCurSel(found);
    profiles.SetEditSel(static_cast<int>(typed.size()), -1);
    SetButtons(ConfigEvent::TypedNameMatches, ContextFor(profiles.GetLBText(found)));
  } else {
    SetButtons(ConfigEvent::TypedNameMatchesNone);
  }
}

void CConfigPage::OnCreate() {
  ReadControls();
  if (m_strProfileName.empty()) return;  // an empty box names no profile
  m_bCreatingProfile = true;
  if (FindProfileName(ListedNames(), m_strProfileName) < 0)
    Store();  // stored and made active in the library; "Activate" pushes it
  else
    ShowMessage(fw::Sys().LoadString(IDS_PROFILE_EXISTS), fw::mb::kOk);
  SetButtons(ConfigEvent::CreatePressed);
}

void CConfigPage::OnRemove() {
  const std::string name = m_strProfileName;
  if (IsProtectedProfileName(name, DefaultName())) {
    ShowMessage(fw::Sys().LoadString(IDS_CANNOT_REMOVE_DEFAULT), fw::mb::kOk);
    return;
  }
  if (ShowMessage(fw::Sys().LoadString(IDS_CONFIRM_REMOVE_PROFILE) + name + "?", fw::mb::kYesNo) != fw::mb::kIdYes)
    return;
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  const int found = FindProfileName(ListedNames(), name);
  if (found < 0) return;
  profiles.DeleteString(found);
  Nivo().NIVO_DeleteProfileByType(name.c_str(), kProfileTypeWireless);
  Nivo().NIVO_SetActiveProfileByType(DefaultName().c_str(), kProfileTypeWireless);
  profiles.SetCurSel(FindProfileNamePrefix(ListedNames(), DefaultName()));
  OnProfileSelected();
}

void CConfigPage::OnActivate() {
  Store();
  SetButtons(ConfigEvent::ActivatePressed);
}

void CConfigPage::OnRestoreDefaults() {
  Item<fw::ComboBox>(IDC_CONFIG_MODE).SetCurSel(kModeInfrastructure);
  m_nChannelIndex = m_channels.IndexOf(ValidateChannel(kRestoreDefaultsChannel, m_wChannelMask));
  m_strSsid = kRestoreDefaultsSsid;
  m_nPowerSaveIndex = kPowerSaveDisabled;
  SetButtons(ConfigEvent::RestoreDefaults);
  WriteControls();
}

void CConfigPage::OnUndoChanges() {
  m_bProfileSwitched = false;
  m_strProfileName = ProfileNameOf(Sheet().profile);
  Item<fw::ComboBox>(IDC_CONFIG_MODE).SetCurSel(m_nSavedMode);
  m_nChannelIndex = m_nSavedChannelIndex;
  m_strSsid = m_strSavedSsid;
  m_nPowerSaveIndex = m_nSavedPowerSaveIndex;
  SetButtons(ConfigEvent::UndoChanges, {false, false, m_nSavedMode});
  WriteControls();
}

// ---------------------------------------------------------------- window OK and Cancel

bool CConfigPage::OnApply() {
  gSheetOpen = 0;
  m_bListsBuilt = false;
  return fw::Page<CConfigPage>::OnApply();
}

// Unstored edits are stored under the profile just made active and pushed by the polling
// thread; the OK path adds no name to the list.
void CConfigPage::OnOK() {
  gSheetOpen = 0;
  if (!Item<fw::Button>(IDC_CONFIG_APPLY_CHANGES).IsEnabled()) return;
  if (!ReadControlsForStore()) return;
  ProfileWireless& profile = Sheet().profile;
  StorePageValues(profile, {m_strProfileName, SelectedMode(), m_nChannelIndex, m_strSsid, m_nPowerSaveIndex},
                  m_channels);
  m_strProfileName = ProfileNameOf(profile);
  Nivo().NIVO_SetActiveProfileByType(m_strProfileName.c_str(), kProfileTypeWireless);
  Nivo().NIVO_SetProfileWireless(nullptr, &profile);
  WriteControls();
  gChangeParametersRequest = 1;
}

void CConfigPage::OnCancel() {
  gSheetOpen = 0;
  m_bListsBuilt = false;
  fw::Page<CConfigPage>::OnCancel();
}

void CConfigPage::OnContextHelp(std::uint32_t helpContext) {
  fw::Sys().ShowHelp(helpContext != 0 ? helpContext : IDH_CONFIGURATION);
}

// ---------------------------------------------------------------- helpers

std::vector<std::string> CConfigPage::ListedNames() const {
  const fw::ComboBox profiles = Item<fw::ComboBox>(IDC_CONFIG_PROFILE);
  std::vector<std::string> names;
  const int count = profiles.GetCount();
  for (int i = 0; i < count; ++i) names.push_back(profiles.GetLBText(i));
  return names;
}

int CConfigPage::SelectedMode() const { return Item<fw::ComboBox>(IDC_CONFIG_MODE).GetCurSel(); }

// The controls into the members before a store. An emptied profile box names the profile the
// page was showing; the store's write of the members puts that name back into the box.
bool CConfigPage::ReadControlsForStore() {
  const bool read = UpdateData(true);
  m_strProfileName = NameToStoreUnder(m_strProfileName, ProfileNameOf(Sheet().profile), DefaultName());
  return read;
}

void CConfigPage::WriteControls() {
  m_bWritingControls = true;
  UpdateData(false);
  m_bWritingControls = false;
}

ButtonContext CConfigPage::ContextFor(const std::string& name) const {
  ButtonContext context;
  context.nameProtected = IsProtectedProfileName(name, m_strDefaultName);
  context.mode = SelectedMode() == kModeAdHoc ? kModeAdHoc : kModeInfrastructure;
  return context;
}

void CConfigPage::SetButtons(ConfigEvent event, const ButtonContext& context) {
  const auto enabled = [this](int id) { return Item(id).IsEnabled(); };
  ConfigButtons before;
  before.create = enabled(IDC_CONFIG_CREATE);
  before.activate = enabled(IDC_CONFIG_ACTIVATE);
  before.remove = enabled(IDC_CONFIG_REMOVE);
  before.undo = enabled(IDC_CONFIG_UNDO_CHANGES);
  before.apply = enabled(IDC_CONFIG_APPLY_CHANGES);
  before.channelList = enabled(IDC_CONFIG_CHANNEL);
  before.powerList = enabled(IDC_CONFIG_POWER_SAVE);
  const ConfigButtons after = ButtonsAfter(event, before, context);
  Item(IDC_CONFIG_CREATE).Enable(after.create);
  Item(IDC_CONFIG_ACTIVATE).Enable(after.activate);
  Item(IDC_CONFIG_REMOVE).Enable(after.remove);
  Item(IDC_CONFIG_UNDO_CHANGES).Enable(after.undo);
  Item(IDC_CONFIG_APPLY_CHANGES).Enable(after.apply);
  Item(IDC_CONFIG_CHANNEL).Enable(after.channelList);
  Item(IDC_CONFIG_POWER_SAVE).Enable(after.powerList);
}

int CConfigPage::ShowMessage(const std::string& text, std::uint32_t style) {
  return fw::Sys().MessageBox(window(), text, fw::Sys().LoadString(AFX_IDS_APP_TITLE), style);
}
