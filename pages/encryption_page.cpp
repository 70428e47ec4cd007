#include "pages/encryption_page.h"

#include <cstring>
#include <functional>
#include <vector>

#include "core/config_utility.h"
#include "core/shared_state.h"
#include "diag/trace.h"
#include "driver/nivo_driver.h"

std::uint8_t lastKeyLevel = 2;

namespace {

constexpr std::uint32_t kEncryptionHelpContext = IDH_ENCRYPTION;
constexpr int kSetAttempts = 2;
// Where the caret goes when the passphrase is revealed: after the text the live generation
// reads.
constexpr int kRevealCaret = static_cast<int>(kLiveGenerationLength);

// The four fields of one size and form.
const std::array<std::uint32_t, 4>& AsciiFields(int size) { return size == 128 ? kAsciiKeyFields128 : kAsciiKeyFields64; }

}  // namespace

CEncryptionPage::CEncryptionPage(CConfigUtility& owner)
    : fw::Page<CEncryptionPage>(IDD_ENCRYPTION, "Encryption"), owner_(owner) {
  helpTopic = kEncryptionHelpContext;
}

std::span<const fw::Handler<CEncryptionPage>> CEncryptionPage::Handlers() {
  using P = CEncryptionPage;
  static const std::vector<fw::Handler<P>> kTable = [] {
    std::vector<fw::Handler<P>> rows = {
        fw::OnCommand(IDC_ENC_APPLY_CHANGES, fw::bn::kClicked, &P::OnApplyChanges),
        fw::OnCommand(IDC_ENC_RESTORE_DEFAULTS, fw::bn::kClicked, &P::OnRestoreDefaults),
        fw::OnCommand(IDC_ENC_UNDO_CHANGES, fw::bn::kClicked, &P::OnUndoChanges),
        fw::OnCommand(IDC_WEP_LEVEL, fw::cbn::kSelChange, &P::OnLevelChange),
        fw::OnCommand(IDC_CREATE_WITH_PASSPHRASE, fw::bn::kClicked, &P::OnPassphraseEntry),
        fw::OnCommand(IDC_MANUAL_ENTRY, fw::bn::kClicked, &P::OnManualEntry),
        fw::OnCommand(IDC_ASCII_FORM, fw::bn::kClicked, &P::SwitchAsciiForm),
        fw::OnCommand(IDC_DEFAULT_TX_KEY, fw::cbn::kSelChange, &P::OnTransmitKeyChange),
        fw::OnCommand(IDC_PASSPHRASE, fw::en::kUpdate, &P::RevealPassphrase),
        fw::OnCommand(IDC_PASSPHRASE, fw::en::kChange, &P::GenerateLiveKeys),
    };
    for (std::uint32_t id : kAllKeyFields) {
      rows.push_back(fw::OnCommand(static_cast<int>(id), fw::en::kUpdate, &P::OnKeyFieldUpdate));
    }
    rows.push_back(fw::OnKeyChar(IDC_PASSPHRASE, &P::FilterKeyField));
    for (std::uint32_t id : kAllKeyFields) rows.push_back(fw::OnKeyChar(static_cast<int>(id), &P::FilterKeyField));
    rows.push_back(fw::OnPaste(IDC_PASSPHRASE, &P::FilterKeyFieldPaste));
    for (std::uint32_t id : kAllKeyFields) rows.push_back(fw::OnPaste(static_cast<int>(id), &P::FilterKeyFieldPaste));
    rows.push_back(fw::OnContextHelp(&P::OnContextHelp));
    rows.push_back(fw::OnCtlColor(&P::OnCtlColor));
    rows.push_back(fw::OnPaint(&P::OnPaint));
    return rows;
  }();
  return kTable;
}

// ---------------------------------------------------------------- data exchange

void CEncryptionPage::DoDataExchange(fw::DataExchange& dx) {
  auto exchange = [&](int id, std::string& value) {
    if (dx.saving()) {
      dx.Text(id, value);
    } else {
      WriteField(id, value);
    }
  };
  exchange(IDC_PASSPHRASE, passphraseText);
  for (std::size_t i = 0; i < 4; ++i) {
    exchange(static_cast<int>(kHexKeyFields128[i]), hexKey128[i]);
    exchange(static_cast<int>(kHexKeyFields64[i]), hexKey64[i]);
  }
}

void CEncryptionPage::WriteField(int id, const std::string& text) {
  ++ownWrites_;
  Item<fw::Edit>(id).ChangeText(text);
  --ownWrites_;
}

// ---------------------------------------------------------------- overridables

bool CEncryptionPage::OnInitDialog() {
  fw::Page<CEncryptionPage>::OnInitDialog();
  fw::Platform& sys = fw::Sys();
  const fw::ComboBox transmitKey = Item<fw::ComboBox>(IDC_DEFAULT_TX_KEY);
  const std::uint32_t keyNumbers[] = {IDS_KEY_NUMBER_1, IDS_KEY_NUMBER_2, IDS_KEY_NUMBER_3, IDS_KEY_NUMBER_4};
  for (int i = 0; i < 4; ++i) transmitKey.InsertString(i, sys.LoadString(keyNumbers[i]));
  const fw::ComboBox level = Item<fw::ComboBox>(IDC_WEP_LEVEL);
  const std::uint32_t levels[] = {IDS_WEP_DISABLED, IDS_WEP_64_BITS, IDS_WEP_128_BITS};
  for (int i = 0; i < 3; ++i) level.InsertString(i, sys.LoadString(levels[i]));
  return true;
}

bool CEncryptionPage::OnSetActive() {
  LoadSequence();
  return fw::Page<CEncryptionPage>::OnSetActive();
}

void CEncryptionPage::OnOK() {
  if (Item(IDC_ENC_APPLY_CHANGES).IsEnabled()) ApplyEncryption();
  fw::Page<CEncryptionPage>::OnOK();
}

bool CEncryptionPage::OnApply() {
  gSheetOpen = 0;
  return fw::Page<CEncryptionPage>::OnApply();
}

void CEncryptionPage::OnCancel() {
  gSheetOpen = 0;
  fw::Page<CEncryptionPage>::OnCancel();
}

// ---------------------------------------------------------------- load sequence

void CEncryptionPage::SetEntryFromProfile() {
  const ProfileWireless& profile = owner_.profile;
  if (profile.keyEntryMethod == keyentry::kPassphrase) {
    Item<fw::Button>(IDC_CREATE_WITH_PASSPHRASE).SetCheck(true);
    Item<fw::Button>(IDC_MANUAL_ENTRY).SetCheck(false);
  } else {
    Item<fw::Button>(IDC_CREATE_WITH_PASSPHRASE).SetCheck(false);
    Item<fw::Button>(IDC_MANUAL_ENTRY).SetCheck(true);
    Item<fw::Button>(IDC_ASCII_FORM).SetCheck(profile.keyEntryMethod == keyentry::kManualAscii);
  }
}

void CEncryptionPage::ShowProfileLevel() {
  // A damaged level leaves both lists as they are.
  const ProfileWireless& profile = owner_.profile;
  if (profile.encryptionLevel < 0 || profile.encryptionLevel > 2) return;
  Item<fw::ComboBox>(IDC_DEFAULT_TX_KEY).SetCurSel(profile.defaultKeyIndex);
  Item<fw::ComboBox>(IDC_WEP_LEVEL).SetCurSel(profile.encryptionLevel);
  UpdateKeyLayout(profile.encryptionLevel);
}

void CEncryptionPage::LoadSequence() {
  const ProfileWireless& profile = owner_.profile;
  SetEntryFromProfile();
  passphraseText = std::string(profile.passphrase, FieldTextLength(profile.passphrase, kPassphraseSize));
  LoadKeyTexts(profile);
  ConvertKeysToAscii();
  ShowProfileLevel();
  MaskKeyFields();
  ExchangeWithFields(false);
  UpdateKeyLayout(SelectedLevel());
  EnableUndoAndApply(false);
}

// ---------------------------------------------------------------- layout and masking

int CEncryptionPage::SelectedLevel() const { return Item<fw::ComboBox>(IDC_WEP_LEVEL).GetCurSel(); }

void CEncryptionPage::EnableUndoAndApply(bool enable) {
  Item(IDC_ENC_UNDO_CHANGES).Enable(enable);
  Item(IDC_ENC_APPLY_CHANGES).Enable(enable);
}

void CEncryptionPage::UpdateKeyLayout(int level) {
  const KeyLayout layout = ComputeKeyLayout(level, Item<fw::Button>(IDC_MANUAL_ENTRY).GetCheck(),
                                            Item<fw::Button>(IDC_ASCII_FORM).GetCheck(), lastKeyLevel);
  for (std::uint32_t id : kAllKeyFields) {
    if (!layout.Shows(id)) Item(static_cast<int>(id)).Show(false);
  }
  for (std::uint32_t id : kKeyLayoutControls) Item(static_cast<int>(id)).Enable(layout.Enables(id));
  for (std::uint32_t id : layout.shownKeyFields) Item(static_cast<int>(id)).Show(true);
  lastKeyLevel = static_cast<std::uint8_t>(layout.lastKeyLevel);
  if (layout.showAsciiMasks) ShowAsciiMasks();
}

void CEncryptionPage::MaskKeyFields() {
  const fw::FocusToken focused = fw::Controls().FocusedWindow(window());
  auto mask = [&](std::uint32_t id) {
    const fw::Edit field = Item<fw::Edit>(static_cast<int>(id));
    field.SetPasswordChar('*');
    field.SetFocus();
  };
  for (std::uint32_t id : kAllKeyFields) mask(id);
  mask(IDC_PASSPHRASE);
  Item(IDC_WEP_LEVEL).SetFocus();
  passphraseShown = 0;
  fw::Controls().RestoreFocus(focused);
}

void CEncryptionPage::ShowAsciiMasks() {
  for (std::uint32_t id : kAsciiKeyFields64) WriteField(static_cast<int>(id), kAsciiMask64);
  for (std::uint32_t id : kAsciiKeyFields128) WriteField(static_cast<int>(id), kAsciiMask128);
}

void CEncryptionPage::RestoreAsciiTexts() {
  for (std::size_t i = 0; i < 4; ++i) {
    if (Item(static_cast<int>(kAsciiKeyFields64[i])).GetText() == kAsciiMask64) {
      WriteField(static_cast<int>(kAsciiKeyFields64[i]), asciiKey64[i]);
    }
    if (Item(static_cast<int>(kAsciiKeyFields128[i])).GetText() == kAsciiMask128) {
      WriteField(static_cast<int>(kAsciiKeyFields128[i]), asciiKey128[i]);
    }
  }
}

void CEncryptionPage::ExchangeWithFields(bool fromFields) {
  if (fromFields) {
    RestoreAsciiTexts();
    UpdateData(true);
  } else {
    UpdateData(false);
    ShowAsciiMasks();
  }
}

void CEncryptionPage::ReadAsciiFields(int size) {
  WepKeyTexts& texts = size == 128 ? asciiKey128 : asciiKey64;
  const auto& fields = AsciiFields(size);
  for (std::size_t i = 0; i < 4; ++i) texts[i] = Item(static_cast<int>(fields[i])).GetText();
}

void CEncryptionPage::ConvertKeysToHex() {
  RestoreAsciiTexts();
  AsciiKeysToHex();
}

// ---------------------------------------------------------------- passphrase

void CEncryptionPage::ShowMessage(const std::string& text) {
  fw::Platform& sys = fw::Sys();
  sys.MessageBox(sheet() != nullptr ? sheet()->window() : window(), text, sys.LoadString(AFX_IDS_APP_TITLE),
                 fw::mb::kOk);
}

void CEncryptionPage::GeneratePassphraseKeys(int level, const std::string& passphrase) {
  if (passphrase.empty()) {
    ShowMessage(fw::Sys().LoadString(IDS_PASSPHRASE_MISSING));
    return;
  }
  TakeGeneratedKeys(level, passphrase);
  const bool large = level == 2;
  const auto& fields = large ? kHexKeyFields128 : kHexKeyFields64;
  const WepKeyTexts& texts = large ? hexKey128 : hexKey64;
  for (std::size_t i = 0; i < 4; ++i) WriteField(static_cast<int>(fields[i]), texts[i]);
}

void CEncryptionPage::RevealPassphrase() {
  if (ownWrites_ != 0) return;
  if (passphraseShown == 0) {
    passphraseShown = 1;
    const fw::Edit field = Item<fw::Edit>(IDC_PASSPHRASE);
    field.SetPasswordChar(0);
    field.SetFocus();
    field.SetSel(0, -1);
    field.SetSel(kRevealCaret, kRevealCaret);
    const auto& keys = SelectedLevel() == 1 ? kHexKeyFields64 : kHexKeyFields128;
    for (std::uint32_t id : keys) Item<fw::Edit>(static_cast<int>(id)).SetPasswordChar(0);
  }
  EnableUndoAndApply(true);
}

void CEncryptionPage::GenerateLiveKeys() {
  if (ownWrites_ != 0) return;
  std::string text = Item(IDC_PASSPHRASE).GetText();
  if (text.size() > kLiveGenerationLength) text.resize(kLiveGenerationLength);
  if (text.empty()) return;
  GeneratePassphraseKeys(SelectedLevel(), text);
}

// ---------------------------------------------------------------- user choices

void CEncryptionPage::OnLevelChange() {
  passphraseShown = 0;
  UpdateKeyLayout(SelectedLevel());
  MaskKeyFields();
  EnableUndoAndApply(true);
}

void CEncryptionPage::EntryRadioClicked(int uncheckId) {
  Item<fw::Button>(uncheckId).SetCheck(false);
  UpdateKeyLayout(SelectedLevel());
  EnableUndoAndApply(true);
  ExchangeWithFields(false);
}

void CEncryptionPage::OnPassphraseEntry() { EntryRadioClicked(IDC_MANUAL_ENTRY); }
void CEncryptionPage::OnManualEntry() { EntryRadioClicked(IDC_CREATE_WITH_PASSPHRASE); }

void CEncryptionPage::SwitchAsciiForm() {
  ExchangeWithFields(true);
  const int level = SelectedLevel();
  if (Item<fw::Button>(IDC_ASCII_FORM).GetCheck()) {
    ConvertKeysToAscii();
  } else {
    if (level == 1) ReadAsciiFields(64);
    if (level == 2) ReadAsciiFields(128);
    ConvertKeysToHex();
    UpdateData(false);
  }
  UpdateKeyLayout(level);
  EnableUndoAndApply(true);
  ShowAsciiMasks();
}

void CEncryptionPage::OnKeyFieldUpdate() {
  if (ownWrites_ == 0) EnableUndoAndApply(true);
}

fw::KeyVerdict CEncryptionPage::FilterKeyField(int id, char typed) {
  return ApplyKeyFieldVerdict(id, [typed](const KeyFieldKind& kind, const KeyFieldState& state) {
    return FilterKeystroke(kind, state, typed);
  });
}

fw::KeyVerdict CEncryptionPage::FilterKeyFieldPaste(int id, const std::string& pasted) {
  return ApplyKeyFieldVerdict(id, [&pasted](const KeyFieldKind& kind, const KeyFieldState& state) {
    return FilterPaste(kind, state, pasted);
  });
}

fw::KeyVerdict CEncryptionPage::ApplyKeyFieldVerdict(
    int id, const std::function<KeystrokeVerdict(const KeyFieldKind&, const KeyFieldState&)>& filter) {
  const std::optional<KeyFieldKind> kind = KeyFieldKindOf(static_cast<std::uint32_t>(id));
  if (!kind) return fw::KeyVerdict::kPass;
  const fw::Edit field = Item<fw::Edit>(id);
  int start = 0, end = 0;
  field.GetSel(start, end);
  const std::string text = field.GetText();
  const KeystrokeVerdict verdict = filter(
      *kind, {text, field.GetPasswordChar() == '*', static_cast<std::size_t>(start), static_cast<std::size_t>(end)});
  if (verdict.startFresh) {
    field.SetSel(0, -1);
    field.ReplaceSel("");
  }
  if (verdict.unmask) field.SetPasswordChar(0);
  return verdict.pass ? fw::KeyVerdict::kPass : fw::KeyVerdict::kDropWithBeep;
}

void CEncryptionPage::OnCtlColor(int id, fw::ColourKind, fw::ColourAnswer& answer) {
  if (UsesKeyColours(static_cast<std::uint32_t>(id))) answer.Answer(kKeyTextColour, true, whiteBrush);
}

void CEncryptionPage::OnContextHelp(std::uint32_t helpContext) {
  fw::Sys().ShowHelp(helpContext != 0 ? helpContext : kEncryptionHelpContext);
}

// ---------------------------------------------------------------- buttons

void CEncryptionPage::RestoreDefaults() {
  RestoreDefaultKeyTexts();
  ConvertKeysToAscii();
  StoreKeyTexts128(owner_.profile, hexKey128);
  StoreKeyTexts64(owner_.profile, hexKey64);
  Item<fw::Button>(IDC_ASCII_FORM).SetCheck(false);
  Item<fw::Button>(IDC_CREATE_WITH_PASSPHRASE).SetCheck(false);
  ExchangeWithFields(false);
  Item<fw::ComboBox>(IDC_DEFAULT_TX_KEY).SetCurSel(0);
  Item<fw::ComboBox>(IDC_WEP_LEVEL).SetCurSel(0);
  UpdateKeyLayout(0);
  ExchangeWithFields(false);
  EnableUndoAndApply(true);
  MaskKeyFields();
}

void CEncryptionPage::UndoChanges() {
  const ProfileWireless& profile = owner_.profile;
  LoadKeyTexts(profile);
  ConvertKeysToAscii();
  ExchangeWithFields(false);
  SetEntryFromProfile();
  ShowProfileLevel();
  MaskKeyFields();
  ExchangeWithFields(false);
  EnableUndoAndApply(false);
}

void CEncryptionPage::ApplyEncryption() {
  ExchangeWithFields(true);
  const bool asciiForm = Item<fw::Button>(IDC_ASCII_FORM).GetCheck();
  if (asciiForm) {
    ReadAsciiFields(Item(IDC_KEY1_ASCII64).IsVisible() ? 64 : 128);
    ConvertKeysToHex();
  } else {
    ConvertKeysToAscii();
  }

  ProfileWireless& profile = owner_.profile;
  EncryptionChoices choices;
  choices.level = SelectedLevel();
  choices.transmitKey = Item<fw::ComboBox>(IDC_DEFAULT_TX_KEY).GetCurSel();
  choices.passphraseEntry = Item<fw::Button>(IDC_CREATE_WITH_PASSPHRASE).GetCheck();
  choices.asciiForm = asciiForm;
  const EncryptionApplyDecision decision = DecideEncryptionApply(*this, choices, profile);
  fw::Platform& sys = fw::Sys();
  if (decision.passphraseMissing) ShowMessage(sys.LoadString(IDS_PASSPHRASE_MISSING));
  if (decision.refused) {
    ShowMessage(decision.refused->text);
    return;
  }

  // The key elements come from the texts just stored; a set never goes without all four.
  WlanConfig config = EncryptionConfigFor(profile);
  std::uint32_t dwWLFlag = 0;
  const bool keysBuilt = owner_.BuildWepKeys(config, dwWLFlag);

  Nivo().NIVO_SetProfileWireless(nullptr, &profile);

  owner_.BeginLibraryUse();
  if (keysBuilt) {
    for (int attempt = 0; attempt < kSetAttempts && dwWLFlag != 0; ++attempt) {
      Nivo().NIVO_SetWLANConfig(&dwWLFlag, &config);
    }
  }
  if (!keysBuilt) {
    ShowMessage(sys.LoadString(IDS_WEP_CHANGE_FAILED));
  } else if (dwWLFlag != 0) {
    TraceMessage("Failed to change WEP configuration : 0x%X", dwWLFlag);
    ShowMessage(sys.LoadString(IDS_WEP_CHANGE_FAILED));
  }
  owner_.EndLibraryUse();

  MaskKeyFields();
  owner_.FreeWepKeys(config);

  // The card lets go of its network and joins the profile's again with the new keys.
  NdisSsid ssid;
  std::memset(&ssid, 0, sizeof(ssid));
  ssid.SsidLength = static_cast<std::uint32_t>(std::strlen(kReassociationSsid));
  std::memcpy(ssid.Ssid, kReassociationSsid, ssid.SsidLength);
  Nivo().NIVO_SetSSID(&ssid);
  WlanConfig profileSsid;
  std::memset(&profileSsid, 0, sizeof(profileSsid));
  CopySsidToConfig(profile, profileSsid);
  std::memset(&ssid, 0, sizeof(ssid));
  ssid.SsidLength = profileSsid.ssidLength;
  std::memcpy(ssid.Ssid, profileSsid.ssid, profileSsid.ssidLength);
  Nivo().NIVO_SetSSID(&ssid);

  UpdateKeyLayout(SelectedLevel());
  ExchangeWithFields(false);
  EnableUndoAndApply(false);
}
