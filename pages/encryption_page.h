// The "Encryption" tab: WEP off, 64 or 128 bits; the four keys generated from a passphrase or
// typed as hexadecimal digits or ASCII characters; the transmit key. It edits the WEP part of
// the configuration window's profile, and "Apply Changes" stores the profile, pushes the keys
// to the card under the hand-shake with the polling thread and makes the card re-associate.
// Key texts are masked on screen; the ASCII fields show rows of asterisks while the real
// texts live in the page's members. The rules without controls are in encryption_rules.h.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "framework/page.h"
#include "pages/encryption_rules.h"
#include "res/resource.h"

class CConfigUtility;

// The last non-zero level chosen on the page: which key set level 0 shows. Starts at 2 and
// lives as long as the process.
extern std::uint8_t lastKeyLevel;

class CEncryptionPage : public fw::Page<CEncryptionPage>, public EncryptionKeyTexts {
 public:
  explicit CEncryptionPage(CConfigUtility& owner);
  static std::span<const fw::Handler<CEncryptionPage>> Handlers();

  // 1 once the passphrase and the generated keys have been shown in clear since the last
  // masking.
  int passphraseShown = 0;
  // The ground of the coloured fields (the backend keeps the solid brush of this colour).
  const std::uint32_t whiteBrush = kKeyBackgroundColour;

  void DoDataExchange(fw::DataExchange& dx) override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnApply() override;
  bool OnSetActive() override;

  // The page's operations, in the order the page's behaviour is told.
  void LoadSequence();
  void UpdateKeyLayout(int level);
  void MaskKeyFields();
  void ShowAsciiMasks();
  void RestoreAsciiTexts();
  void ExchangeWithFields(bool fromFields);
  void ReadAsciiFields(int size);
  void GeneratePassphraseKeys(int level, const std::string& passphrase);
  void ConvertKeysToHex();
  void RestoreDefaults();
  void UndoChanges();
  void ApplyEncryption();

 private:
  // Handlers, in the order of the handler table.
  void OnApplyChanges() { ApplyEncryption(); }
  void OnRestoreDefaults() { RestoreDefaults(); }
  void OnUndoChanges() { UndoChanges(); }
  void OnLevelChange();
  void OnPassphraseEntry();
  void OnManualEntry();
  void SwitchAsciiForm();
  void OnTransmitKeyChange() { EnableUndoAndApply(true); }
  void RevealPassphrase();
  void GenerateLiveKeys();
  void OnKeyFieldUpdate();
  fw::KeyVerdict FilterKeyField(int id, char typed);
  fw::KeyVerdict FilterKeyFieldPaste(int id, const std::string& pasted);
  void OnCtlColor(int id, fw::ColourKind kind, fw::ColourAnswer& answer);
  void OnPaint() {}
  void OnContextHelp(std::uint32_t helpContext);

  // Runs a key field's filter on the field as it stands and prepares the field as the verdict
  // says (a fresh text, in clear); whether the input goes in.
  fw::KeyVerdict ApplyKeyFieldVerdict(
      int id, const std::function<KeystrokeVerdict(const KeyFieldKind&, const KeyFieldState&)>& filter);
  void EnableUndoAndApply(bool enable);
  void SetEntryFromProfile();
  void ShowProfileLevel();
  void EntryRadioClicked(int uncheckId);
  int SelectedLevel() const;
  // Writes a field's text when it differs; the notifications of the page's own writes are
  // not taken for the user's edits.
  void WriteField(int id, const std::string& text);
  void ShowMessage(const std::string& text);

  CConfigUtility& owner_;
  int ownWrites_ = 0;
};
