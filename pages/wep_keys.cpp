#include "pages/wep_keys.h"

#include "pages/md5.h"
#include "res/resource.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::uint32_t kGeneratorMultiplier = 214013;  // 0x343FD
constexpr std::uint32_t kGeneratorIncrement = 2531011;  // 0x269EC3
constexpr std::size_t kSeedBytes = 4;
constexpr std::size_t kHashedPassphraseBytes = 64;

// The text up to its first zero character: what an edit field or a profile field holds.
std::string_view UpToTerminator(std::string_view text) {
  const std::size_t end = text.find('\0');
  return end == std::string_view::npos ? text : text.substr(0, end);
}

// The character at a position, or the zero character at or beyond the end.
char CharAt(std::string_view text, std::size_t position) {
  return position < text.size() ? text[position] : '\0';
}

// The value of a hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// White space as strtol passes over it in the C locale.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void AppendHexByte(std::string& out, std::uint8_t byte) {
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) AppendHexByte(text, bytes[i]);
  return text;
}

WepKeyTexts GenerateKeys64(std::string_view passphrase) {
  std::uint8_t seed[kSeedBytes] = {};
  for (std::size_t i = 0; i < passphrase.size(); ++i) seed[i % kSeedBytes] ^= static_cast<std::uint8_t>(passphrase[i]);
  std::uint32_t x = static_cast<std::uint32_t>(seed[0]) | static_cast<std::uint32_t>(seed[1]) << 8 |
                    static_cast<std::uint32_t>(seed[2]) << 16 | static_cast<std::uint32_t>(seed[3]) << 24;

  WepKeyTexts keys;
  for (std::string& key : keys) {
    std::uint8_t bytes[kWepKeyBytes64];
    for (std::uint8_t& byte : bytes) {
      x = x * kGeneratorMultiplier + kGeneratorIncrement;  // unsigned: wraps modulo 2^32
      byte = static_cast<std::uint8_t>(x >> 16);
    }
    key = BytesToHexText(bytes, kWepKeyBytes64);
  }
  return keys;
}

WepKeyTexts GenerateKeys128(std::string_view passphrase) {
  std::uint8_t repeated[kHashedPassphraseBytes];
  for (std::size_t i = 0; i < kHashedPassphraseBytes; ++i) {
    repeated[i] = static_cast<std::uint8_t>(passphrase[i % passphrase.size()]);
  }
  const Md5Digest digest = Md5(repeated, kHashedPassphraseBytes);
  const std::string key = BytesToHexText(digest.data(), kWepKeyBytes128);
  return {key, key, key, key};
}

}  // namespace

std::size_t WepKeyBytesForLevel(int level) {
  switch (level) {
    case 1:
      return kWepKeyBytes64;
    case 2:
      return kWepKeyBytes128;
    default:
      return 0;
  }
}

std::size_t RequiredKeyTextLength(int level, KeyForm form) {
  const std::size_t keyBytes = WepKeyBytesForLevel(level);
  return form == KeyForm::Hexadecimal ? 2 * keyBytes : keyBytes;
}

std::optional<WepKeyTexts> GenerateWepKeys(int level, std::string_view passphraseText) {
  const std::string_view passphrase = UpToTerminator(passphraseText);
  if (passphrase.empty()) return std::nullopt;
  switch (level) {
    case 1:
      return GenerateKeys64(passphrase);
    case 2:
      return GenerateKeys128(passphrase);
    default:
      return std::nullopt;
  }
}

std::uint8_t HexPairToByte(char high, char low) {
  const int h = HexDigitValue(high);
  const int l = HexDigitValue(low);
  return static_cast<std::uint8_t>((h < 0 ? 0 : h) * 16 + (l < 0 ? 0 : l));
}

std::string HexTextToAsciiText(std::string_view hexText, std::size_t keyBytes) {
  const std::string_view text = UpToTerminator(hexText);
  std::string ascii;
  for (std::size_t j = 0; j < keyBytes; ++j) {
    const std::uint8_t byte = HexPairToByte(CharAt(text, 2 * j), CharAt(text, 2 * j + 1));
    if (byte == 0) break;
    ascii += static_cast<char>(byte);
  }
  return ascii;
}

std::string AsciiTextToHexText(std::string_view asciiText, std::size_t keyBytes) {
  const std::string_view text = UpToTerminator(asciiText);
  std::string hex;
  hex.reserve(2 * keyBytes);
  for (std::size_t j = 0; j < keyBytes; ++j) AppendHexByte(hex, static_cast<std::uint8_t>(CharAt(text, j)));
  return hex;
}

std::vector<std::uint8_t> KeyTextToBytes(std::string_view hexText, std::size_t keyBytes) {
  const std::string_view text = UpToTerminator(hexText);
  std::vector<std::uint8_t> bytes(keyBytes);
  for (std::size_t j = 0; j < keyBytes; ++j) {
    const char first = CharAt(text, 2 * j);
    const char second = CharAt(text, 2 * j + 1);
    int value = 0;
    if (const int high = HexDigitValue(first); high >= 0) {
      const int low = HexDigitValue(second);
      value = low >= 0 ? high * 16 + low : high;
    } else if (IsBlank(first) || first == '+' || first == '-') {
      // Only one character is left after the blank or sign: a digit or nothing.
      const int digit = HexDigitValue(second);
      value = digit < 0 ? 0 : (first == '-' ? -digit : digit);
    }
    bytes[j] = static_cast<std::uint8_t>(value & 0xFF);
  }
  return bytes;
}

std::optional<KeyLengthMessage> CheckKeyTextLengths(int level, KeyForm form, const WepKeyTexts& texts) {
  const std::size_t required = RequiredKeyTextLength(level, form);
  if (required == 0) return std::nullopt;

  std::string failing;
  for (std::size_t key = 0; key < texts.size(); ++key) {
    if (UpToTerminator(texts[key]).size() != required) failing += " Key" + std::to_string(key + 1);
  }
  if (failing.empty()) return std::nullopt;

  // The base texts are those of the string table under the same ids.
  KeyLengthMessage message;
  if (level == 1) {
    message = form == KeyForm::Hexadecimal
                  ? KeyLengthMessage{IDS_WEP_LENGTH_10_HEX, "Invalid WEP key length. They should be 10 characters."}
                  : KeyLengthMessage{IDS_WEP_LENGTH_5_ASCII, "Invalid WEP key length. They should be 5 ASCII characters."};
  } else {
    message = form == KeyForm::Hexadecimal
                  ? KeyLengthMessage{IDS_WEP_LENGTH_26_HEX, "Invalid WEP key length. They should be 26 characters."}
                  : KeyLengthMessage{IDS_WEP_LENGTH_13_ASCII, "Invalid WEP key length. They should be 13 ASCII characters."};
  }
  message.text += '(';
  message.text += failing;
  message.text += ')';
  return message;
}
