// The Encryption tab's rules that need no controls: the key fields' keystroke filter, which
// key fields show and which controls are enabled for a level and entry method, which
// controls are drawn in the key colours, the page's key texts with their conversions, the
// storing of key texts into the profile, and the part of an apply that decides what is
// stored. The page (pages/encryption_page.*) moves these between its controls and the card.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/nivo_records.h"
#include "pages/wep_keys.h"
#include "res/resource.h"

// ---------------------------------------------------------------- control groups
// Keys 1 to 4 of each of the four field sets.
inline constexpr std::array<std::uint32_t, 4> kHexKeyFields64 = {IDC_KEY1_HEX64, IDC_KEY2_HEX64,
                                                                 IDC_KEY3_HEX64, IDC_KEY4_HEX64};
inline constexpr std::array<std::uint32_t, 4> kAsciiKeyFields64 = {IDC_KEY1_ASCII64, IDC_KEY2_ASCII64,
                                                                   IDC_KEY3_ASCII64, IDC_KEY4_ASCII64};
inline constexpr std::array<std::uint32_t, 4> kHexKeyFields128 = {IDC_KEY1_HEX128, IDC_KEY2_HEX128,
                                                                  IDC_KEY3_HEX128, IDC_KEY4_HEX128};
inline constexpr std::array<std::uint32_t, 4> kAsciiKeyFields128 = {
    IDC_KEY1_ASCII128, IDC_KEY2_ASCII128, IDC_KEY3_ASCII128, IDC_KEY4_ASCII128};
inline constexpr std::array<std::uint32_t, 4> kKeyLabels = {IDC_KEY1_LABEL, IDC_KEY2_LABEL,
                                                            IDC_KEY3_LABEL, IDC_KEY4_LABEL};

// The sixteen key fields: the eight hexadecimal ones, then the eight ASCII ones (the order in
// which the page masks them).
inline constexpr std::array<std::uint32_t, 16> kAllKeyFields = {
    IDC_KEY1_HEX64,    IDC_KEY2_HEX64,    IDC_KEY3_HEX64,    IDC_KEY4_HEX64,
    IDC_KEY1_HEX128,   IDC_KEY2_HEX128,   IDC_KEY3_HEX128,   IDC_KEY4_HEX128,
    IDC_KEY1_ASCII64,  IDC_KEY2_ASCII64,  IDC_KEY3_ASCII64,  IDC_KEY4_ASCII64,
    IDC_KEY1_ASCII128, IDC_KEY2_ASCII128, IDC_KEY3_ASCII128, IDC_KEY4_ASCII128};

// What one key field accepts as typed: any character or hexadecimal digits only, and how many
// characters (0: no limit); and the asterisk text it shows in place of its key (ASCII key
// fields only, else empty).
struct KeyFieldKind {
  bool asciiMode;
  int maxLength;
  std::string_view asteriskMask;
};
// The kind of the passphrase field or of one of the sixteen key fields; nothing for any
// other control.
std::optional<KeyFieldKind> KeyFieldKindOf(std::uint32_t controlId);

// ---------------------------------------------------------------- keystroke filter
// The state of a key field when a character is typed or a text pasted into it.
struct KeyFieldState {
  std::string_view text;      // what the field holds
  bool masked = false;        // its password character is '*'
  std::size_t selStart = 0;   // the selection (the caret when both are equal)
  std::size_t selEnd = 0;
  bool hasSelection() const { return selStart != selEnd; }
};

// What becomes of one typed character.
struct KeystrokeVerdict {
  bool startFresh = false;  // select the whole text and clear it first
  bool unmask = false;      // then remove the password character, so the new text shows
  bool pass = false;        // the character reaches the field
  bool beep = false;        // the exclamation beep sounds (the character is dropped)
  friend bool operator==(const KeystrokeVerdict&, const KeystrokeVerdict&) = default;
};

constexpr char kBackspace = 8;

// The keystroke filter of a key field: the control characters other than backspace (Ctrl+A,
// Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z ...) are commands to the field, not typing, and pass as
// they are. Any other typing into a masked field, or into one that shows exactly its
// asterisk text, starts a fresh text; backspace passes; at the length limit the character is
// dropped with a beep unless text is selected (it then replaces the selection); a
// hexadecimal field drops everything but '0'-'9', 'A'-'F' and 'a'-'f' with a beep.
KeystrokeVerdict FilterKeystroke(const KeyFieldKind& kind, const KeyFieldState& state, char typed);

// The paste filter of a key field (`pasted` is the line the field would take in): into a
// masked field, or one that shows exactly its asterisk text, the pasted text replaces the
// whole text (startFresh, and unmask when masked); elsewhere it replaces the selection.
// The text that results obeys the field's rules: hexadecimal digits only where the field is
// hexadecimal, at most maxLength characters. A paste that would break them is refused
// whole with the beep, and the field stays as it was.
KeystrokeVerdict FilterPaste(const KeyFieldKind& kind, const KeyFieldState& state, std::string_view pasted);

// ---------------------------------------------------------------- key layout
// Controls whose enabling the key layout decides: the sixteen key fields, the key entry's
// group box, both radio buttons, the passphrase field and its label, the ASCII box, the four
// key labels, the transmit key list and its label.
extern const std::array<std::uint32_t, 28> kKeyLayoutControls;

// Which key fields show and which controls are enabled for a level.
struct KeyLayout {
  std::vector<std::uint32_t> shownKeyFields;   // of kAllKeyFields; the others are hidden
  std::vector<std::uint32_t> enabledControls;  // of kKeyLayoutControls; the others disabled
  int lastKeyLevel = 2;        // the level whose key set level 0 shows next time
  bool showAsciiMasks = false; // the ASCII fields get their asterisk texts
  bool Shows(std::uint32_t id) const;
  bool Enables(std::uint32_t id) const;
};

// The key layout of `level` (0 off, 1 64-bit, 2 128-bit) with "Manual Entry" checked or not,
// the ASCII box checked or not, and the last non-zero level chosen. Level 0 shows the
// key set of the last level, disabled, with the transmit key list disabled too; levels 1
// and 2 show their set: enabled for manual entry, and as the (disabled) hexadecimal set
// with the passphrase field enabled for passphrase entry. Any other level shows no key set.
KeyLayout ComputeKeyLayout(int level, bool manualEntry, bool asciiForm, int lastKeyLevel);

// ---------------------------------------------------------------- colours
// COLORREF values (0x00BBGGRR).
inline constexpr std::uint32_t kKeyTextColour = 0xFF0000;       // pure blue
inline constexpr std::uint32_t kKeyBackgroundColour = 0xFFFFFF;  // white

// True for the controls drawn in the key colours: the passphrase field, the transmit key list
// and the sixteen key fields. Every other control keeps the standard colours.
bool UsesKeyColours(std::uint32_t controlId);

// ---------------------------------------------------------------- key texts
// Asterisk texts the ASCII fields show in place of their keys.
inline constexpr char kAsciiMask64[] = "*****";
inline constexpr char kAsciiMask128[] = "*************";

// The passphrase field holds at most this many characters when typed; the live generation
// reads at most kLiveGenerationLength of them; the profile keeps at most kStoredPassphraseLength.
constexpr int kPassphraseTypedLength = 127;
constexpr std::size_t kLiveGenerationLength = 99;
constexpr std::size_t kStoredPassphraseLength = kPassphraseSize - 1;

// The page's copies of the passphrase and of the four keys of each size in both forms.
struct EncryptionKeyTexts {
  std::string passphraseText;
  WepKeyTexts hexKey128;
  WepKeyTexts hexKey64;
  WepKeyTexts asciiKey128;
  WepKeyTexts asciiKey64;

  // The eight hexadecimal texts into the matching ASCII texts.
  void ConvertKeysToAscii();
  // The eight ASCII texts into the matching hexadecimal texts.
  void AsciiKeysToHex();
  // The hexadecimal texts of both sizes from the profile's key texts.
  void LoadKeyTexts(const ProfileWireless& profile);
  // The passphrase emptied and the default key texts of both sizes (the ASCII texts are not
  // touched: the caller converts).
  void RestoreDefaultKeyTexts();
  // Generated keys of a level in place of that size's hexadecimal texts (level 2: 128-bit,
  // any other: 64-bit), then ConvertKeysToAscii. False for an empty passphrase: nothing
  // changes then.
  bool TakeGeneratedKeys(int level, std::string_view passphrase);
};

// The four texts into keyText64 / keyText128 of the profile, upper-cased, and then the same
// four texts into activeKeyText. A text longer than its field is cut to fit.
void StoreKeyTexts64(ProfileWireless& profile, const WepKeyTexts& hexKey64);
void StoreKeyTexts128(ProfileWireless& profile, const WepKeyTexts& hexKey128);

// ---------------------------------------------------------------- apply
// The keyEntryMethod values of a profile.
namespace keyentry {
constexpr std::int32_t kPassphrase = 1;
constexpr std::int32_t kManualHex = 2;
constexpr std::int32_t kManualAscii = 3;
}  // namespace keyentry

// What the page shows when Apply is pressed.
struct EncryptionChoices {
  int level = 0;                 // selected index of the level list (-1: none)
  int transmitKey = 0;           // selected index of the transmit key list (-1: none)
  bool passphraseEntry = false;  // "Create with Passphrase" is checked
  bool asciiForm = false;        // the ASCII box is checked
};

// What the decision part of an apply found.
struct EncryptionApplyDecision {
  int level = 0;                        // the level applied (0, 1 or 2)
  bool passphraseMissing = false;       // passphrase entry with an empty passphrase: tell the
                                        // user (the apply went on with the texts as they were)
  std::optional<KeyLengthMessage> refused;  // show it; nothing was stored or may be sent
};

// The part of an apply that decides what the profile holds, from texts already read from the
// fields and converted to hexadecimal where the ASCII form is used: the level and the transmit
// key into the profile; with passphrase entry the keys generated from the whole passphrase
// (cut to what the profile keeps); the length check; on success the key texts of the level
// stored upper-cased, the passphrase and the entry method. A length failure returns at once
// with the level and transmit key already in the profile and nothing else changed. A missing
// selection counts as level 0 or key 1.
EncryptionApplyDecision DecideEncryptionApply(EncryptionKeyTexts& texts, const EncryptionChoices& choices,
                                              ProfileWireless& profile);

// The record of an encryption set: every field zero but the 802.11g mode, which the card
// takes from every set whatever the selector bits say, so it stays as the profile has it.
WlanConfig EncryptionConfigFor(const ProfileWireless& profile);

// The text the card re-associates through before it returns to the profile's SSID.
inline constexpr char kReassociationSsid[] = "abcdefghijklmnopqrstuvwxyz";
