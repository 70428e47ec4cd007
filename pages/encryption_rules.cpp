#include "pages/encryption_rules.h"

#include <algorithm>
#include <cstring>

#include "core/config_utility.h"

namespace {

constexpr KeyFieldKind kPassphraseKind{true, kPassphraseTypedLength, {}};
constexpr KeyFieldKind kHexKind64{false, 2 * static_cast<int>(kWepKeyBytes64), {}};
constexpr KeyFieldKind kHexKind128{false, 2 * static_cast<int>(kWepKeyBytes128), {}};
constexpr KeyFieldKind kAsciiKind64{true, static_cast<int>(kWepKeyBytes64), kAsciiMask64};
constexpr KeyFieldKind kAsciiKind128{true, static_cast<int>(kWepKeyBytes128), kAsciiMask128};

bool Contains(const std::array<std::uint32_t, 4>& ids, std::uint32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The key fields of one size in one form.
const std::array<std::uint32_t, 4>& KeyFieldSet(int level, bool ascii) {
  if (level == 2) return ascii ? kAsciiKeyFields128 : kHexKeyFields128;
  return ascii ? kAsciiKeyFields64 : kHexKeyFields64;
}

// A text into a fixed profile field, upper-cased, cut to leave room for the NUL, the rest of
// the field cleared.
template <std::size_t N>
void StoreUpperCased(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  const std::size_t length = std::min(text.size(), N - 1);
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    field[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
}

}  // namespace

std::optional<KeyFieldKind> KeyFieldKindOf(std::uint32_t controlId) {
  if (controlId == IDC_PASSPHRASE) return kPassphraseKind;
  if (Contains(kHexKeyFields64, controlId)) return kHexKind64;
  if (Contains(kHexKeyFields128, controlId)) return kHexKind128;
  if (Contains(kAsciiKeyFields64, controlId)) return kAsciiKind64;
  if (Contains(kAsciiKeyFields128, controlId)) return kAsciiKind128;
  return std::nullopt;
}

namespace {

// A field whose text is hidden (masked, or its asterisk text shown) is never edited in place.
bool StartsFresh(const KeyFieldKind& kind, const KeyFieldState& state) {
  return state.masked || (!kind.asteriskMask.empty() && state.text == kind.asteriskMask);
}

bool IsControlCharacter(char c) { return (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) && c != kBackspace; }

}  // namespace

KeystrokeVerdict FilterKeystroke(const KeyFieldKind& kind, const KeyFieldState& state, char typed) {
  KeystrokeVerdict verdict;
  if (IsControlCharacter(typed)) {
    verdict.pass = true;
    return verdict;
  }
  std::size_t length = state.text.size();
  bool hasSelection = state.hasSelection();
  // Typing replaces a hidden text with a fresh text in clear.
  if (StartsFresh(kind, state)) {
    verdict.startFresh = true;
    verdict.unmask = state.masked;
    length = 0;
    hasSelection = false;
  }
  if (typed == kBackspace) {
    verdict.pass = true;
    return verdict;
  }
  if (kind.maxLength != 0 && length >= static_cast<std::size_t>(kind.maxLength) && !hasSelection) {
    verdict.beep = true;
    return verdict;
  }
  if (!kind.asciiMode && !IsHexDigit(typed)) {
    verdict.beep = true;
    return verdict;
  }
  verdict.pass = true;
  return verdict;
}

KeystrokeVerdict FilterPaste(const KeyFieldKind& kind, const KeyFieldState& state, std::string_view pasted) {
  KeystrokeVerdict verdict;
  const bool fresh = StartsFresh(kind, state);
  std::size_t kept = 0;  // characters of the present text that stay
  if (!fresh) {
    const std::size_t start = std::min(state.selStart, state.text.size());
    const std::size_t end = std::clamp(state.selEnd, start, state.text.size());
    kept = state.text.size() - (end - start);
  }
  const bool fits = kind.maxLength == 0 || kept + pasted.size() <= static_cast<std::size_t>(kind.maxLength);
  const bool allowed = kind.asciiMode || std::all_of(pasted.begin(), pasted.end(), IsHexDigit);
  if (!fits || !allowed) {
    verdict.beep = true;
    return verdict;
  }
  verdict.startFresh = fresh;
  verdict.unmask = fresh && state.masked;
  verdict.pass = true;
  return verdict;
}

const std::array<std::uint32_t, 28> kKeyLayoutControls = {
    IDC_KEY1_HEX64,    IDC_KEY2_HEX64,    IDC_KEY3_HEX64,    IDC_KEY4_HEX64,
    IDC_KEY1_HEX128,   IDC_KEY2_HEX128,   IDC_KEY3_HEX128,   IDC_KEY4_HEX128,
    IDC_KEY1_ASCII64,  IDC_KEY2_ASCII64,  IDC_KEY3_ASCII64,  IDC_KEY4_ASCII64,
    IDC_KEY1_ASCII128, IDC_KEY2_ASCII128, IDC_KEY3_ASCII128, IDC_KEY4_ASCII128,
    IDC_KEY_ENTRY_GROUP, IDC_CREATE_WITH_PASSPHRASE, IDC_MANUAL_ENTRY, IDC_PASSPHRASE,
    IDC_PASSPHRASE_LABEL, IDC_ASCII_FORM, IDC_KEY1_LABEL, IDC_KEY2_LABEL,
    IDC_KEY3_LABEL, IDC_KEY4_LABEL, IDC_DEFAULT_TX_KEY, IDC_DEFAULT_TX_KEY_LABEL};

bool KeyLayout::Shows(std::uint32_t id) const {
  return std::find(shownKeyFields.begin(), shownKeyFields.end(), id) != shownKeyFields.end();
}

bool KeyLayout::Enables(std::uint32_t id) const {
  return std::find(enabledControls.begin(), enabledControls.end(), id) != enabledControls.end();
}

KeyLayout ComputeKeyLayout(int level, bool manualEntry, bool asciiForm, int lastKeyLevel) {
  KeyLayout layout;
  layout.lastKeyLevel = lastKeyLevel;
  auto show = [&](const std::array<std::uint32_t, 4>& ids) {
    layout.shownKeyFields.assign(ids.begin(), ids.end());
  };
  auto enable = [&](std::initializer_list<std::uint32_t> ids) {
    layout.enabledControls.insert(layout.enabledControls.end(), ids);
  };

  if (level == 0) {
    // WEP off: the last level's keys stay in view, nothing of the key entry can be used.
    show(KeyFieldSet(lastKeyLevel == 2 ? 2 : 1, asciiForm));
  } else {
    enable({IDC_DEFAULT_TX_KEY, IDC_DEFAULT_TX_KEY_LABEL});
    if (level == 1 || level == 2) {
      if (manualEntry) {
        show(KeyFieldSet(level, asciiForm));
        layout.enabledControls.insert(layout.enabledControls.end(), layout.shownKeyFields.begin(),
                                      layout.shownKeyFields.end());
        enable({IDC_ASCII_FORM, IDC_KEY1_LABEL, IDC_KEY2_LABEL, IDC_KEY3_LABEL, IDC_KEY4_LABEL});
      } else {
        // Generated keys always show in hexadecimal form.
        show(KeyFieldSet(level, false));
        enable({IDC_PASSPHRASE, IDC_PASSPHRASE_LABEL});
      }
      enable({IDC_CREATE_WITH_PASSPHRASE, IDC_MANUAL_ENTRY, IDC_KEY_ENTRY_GROUP});
      layout.lastKeyLevel = level;
    }
  }
  layout.showAsciiMasks = asciiForm;
  return layout;
}

bool UsesKeyColours(std::uint32_t controlId) {
  return controlId == IDC_PASSPHRASE || controlId == IDC_DEFAULT_TX_KEY ||
         std::find(kAllKeyFields.begin(), kAllKeyFields.end(), controlId) != kAllKeyFields.end();
}

void EncryptionKeyTexts::ConvertKeysToAscii() {
  for (std::size_t i = 0; i < 4; ++i) {
    asciiKey128[i] = HexTextToAsciiText(hexKey128[i], kWepKeyBytes128);
    asciiKey64[i] = HexTextToAsciiText(hexKey64[i], kWepKeyBytes64);
  }
}

void EncryptionKeyTexts::AsciiKeysToHex() {
  for (std::size_t i = 0; i < 4; ++i) {
    hexKey128[i] = AsciiTextToHexText(asciiKey128[i], kWepKeyBytes128);
    hexKey64[i] = AsciiTextToHexText(asciiKey64[i], kWepKeyBytes64);
  }
}

void EncryptionKeyTexts::LoadKeyTexts(const ProfileWireless& profile) {
  for (std::size_t i = 0; i < 4; ++i) {
    hexKey128[i] = FieldText(profile.keyText128[i]);
    hexKey64[i] = FieldText(profile.keyText64[i]);
  }
}

void EncryptionKeyTexts::RestoreDefaultKeyTexts() {
  passphraseText.clear();
  hexKey128.fill(kDefaultKeyText128);
  hexKey64.fill(kDefaultKeyText64);
}

bool EncryptionKeyTexts::TakeGeneratedKeys(int level, std::string_view passphrase) {
  std::optional<WepKeyTexts> keys = GenerateWepKeys(level == 2 ? 2 : 1, passphrase);
  if (!keys) return false;
  (level == 2 ? hexKey128 : hexKey64) = *keys;
  ConvertKeysToAscii();
  return true;
}

void StoreKeyTexts64(ProfileWireless& profile, const WepKeyTexts& hexKey64) {
  for (std::size_t i = 0; i < 4; ++i) {
    StoreUpperCased(profile.keyText64[i], hexKey64[i]);
    StoreUpperCased(profile.activeKeyText[i], FieldText(profile.keyText64[i]));
  }
}

void StoreKeyTexts128(ProfileWireless& profile, const WepKeyTexts& hexKey128) {
  for (std::size_t i = 0; i < 4; ++i) {
    StoreUpperCased(profile.keyText128[i], hexKey128[i]);
    StoreUpperCased(profile.activeKeyText[i], FieldText(profile.keyText128[i]));
  }
}

EncryptionApplyDecision DecideEncryptionApply(EncryptionKeyTexts& texts, const EncryptionChoices& choices,
                                              ProfileWireless& profile) {
  EncryptionApplyDecision decision;
  decision.level = choices.level >= 0 && choices.level <= 2 ? choices.level : 0;
  profile.encryptionLevel = decision.level;

  // A pasted passphrase longer than the profile can keep is cut once, here, so the keys
  // generated now are the keys the stored passphrase gives again.
  if (texts.passphraseText.size() > kStoredPassphraseLength) texts.passphraseText.resize(kStoredPassphraseLength);
  if (decision.level != 0 && choices.passphraseEntry) {
    decision.passphraseMissing = !texts.TakeGeneratedKeys(decision.level, texts.passphraseText);
  }

  profile.defaultKeyIndex = choices.transmitKey >= 0 && choices.transmitKey < kWepKeyCount ? choices.transmitKey : 0;

  if (decision.level != 0) {
    // Typed ASCII keys are checked as typed; generated keys (always sent from their
    // hexadecimal form) and typed hexadecimal keys as hexadecimal texts.
    const bool asciiTexts = choices.asciiForm && !choices.passphraseEntry;
    const WepKeyTexts& checked = decision.level == 2 ? (asciiTexts ? texts.asciiKey128 : texts.hexKey128)
                                                     : (asciiTexts ? texts.asciiKey64 : texts.hexKey64);
    decision.refused =
        CheckKeyTextLengths(decision.level, asciiTexts ? KeyForm::Ascii : KeyForm::Hexadecimal, checked);
    if (decision.refused) return decision;
    if (decision.level == 2) {
      StoreKeyTexts128(profile, texts.hexKey128);
    } else {
      StoreKeyTexts64(profile, texts.hexKey64);
    }
  }

  std::memset(profile.passphrase, 0, sizeof(profile.passphrase));
  std::memcpy(profile.passphrase, texts.passphraseText.data(), texts.passphraseText.size());
  profile.keyEntryMethod = choices.passphraseEntry ? keyentry::kPassphrase
                           : choices.asciiForm     ? keyentry::kManualAscii
                                                   : keyentry::kManualHex;
  return decision;
}

WlanConfig EncryptionConfigFor(const ProfileWireless& profile) {
  WlanConfig config;
  std::memset(&config, 0, sizeof(config));
  config.GMode = profile.GMode;
  return config;
}
