// The WEP key texts of the Encryption tab at every length: hexadecimal to ASCII, ASCII to
// hexadecimal, text to key bytes, the length check and the passphrase generators, with any
// text (zero characters and bytes above 127 included) and any key size. Outputs must keep
// their stated lengths and alphabets, the conversions must undo each other, and the key
// bytes must be what strtol reads from each pair of characters.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pages/wep_keys.h"
#include "res/resource.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

bool UpperHexDigits(const std::string& text) {
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
  return true;
}

// The byte strtol gives for two characters read in base 16 (the C locale), low eight bits.
std::uint8_t StrtolByte(char first, char second) {
  const char pair[3] = {first, second, '\0'};
  return static_cast<std::uint8_t>(std::strtol(pair, nullptr, 16) & 0xFF);
}

void CheckLengthMessage(int level, KeyForm form, const WepKeyTexts& texts) {
  const std::size_t required = RequiredKeyTextLength(level, form);
  const std::optional<KeyLengthMessage> message = CheckKeyTextLengths(level, form, texts);
  std::string failing;
  for (std::size_t key = 0; key < texts.size(); ++key)
    if (UpToZero(texts[key]).size() != required) failing += " Key" + std::to_string(key + 1);
  Check(message.has_value() == (required != 0 && !failing.empty()));
  if (!message) return;
  const bool hex = form == KeyForm::Hexadecimal;
  const std::uint32_t id = level == 1 ? (hex ? IDS_WEP_LENGTH_10_HEX : IDS_WEP_LENGTH_5_ASCII)
                                      : (hex ? IDS_WEP_LENGTH_26_HEX : IDS_WEP_LENGTH_13_ASCII);
  Check(message->stringId == id);
  const std::string tail = "(" + failing + ")";
  Check(message->text.size() > tail.size() && message->text.compare(message->text.size() - tail.size(), tail.size(), tail) == 0);
  Check(message->text.compare(0, 26, "Invalid WEP key length. Th") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t keyBytes = input.ConsumeIntegralInRange<std::size_t>(0, 40);
  const int level = input.ConsumeIntegralInRange<int>(-1, 3);
  const KeyForm form = input.ConsumeBool() ? KeyForm::Ascii : KeyForm::Hexadecimal;
  WepKeyTexts texts;
  for (std::string& text : texts) text = input.ConsumeRandomLengthString(64);
  const std::string text = input.ConsumeRemainingBytesAsString();
  const std::string shown = UpToZero(text);

  // Hexadecimal to ASCII: at most one character per key byte, each from its pair, and none
  // of them zero; back to hexadecimal it gives the pairs it came from.
  const std::string ascii = HexTextToAsciiText(text, keyBytes);
  Check(ascii.size() <= keyBytes && ascii.find('\0') == std::string::npos);
  for (std::size_t j = 0; j < ascii.size(); ++j) {
    const char high = 2 * j < shown.size() ? shown[2 * j] : '\0';
    const char low = 2 * j + 1 < shown.size() ? shown[2 * j + 1] : '\0';
    Check(static_cast<std::uint8_t>(ascii[j]) == HexPairToByte(high, low));
  }
  Check(ascii.size() == keyBytes || 2 * ascii.size() >= shown.size() ||
        HexPairToByte(shown[2 * ascii.size()], 2 * ascii.size() + 1 < shown.size() ? shown[2 * ascii.size() + 1] : '\0') == 0);

  // ASCII to hexadecimal: always two upper-case digits per key byte, and back to ASCII it
  // gives the text as far as the key reaches.
  const std::string hex = AsciiTextToHexText(text, keyBytes);
  Check(hex.size() == 2 * keyBytes && UpperHexDigits(hex));
  Check(HexTextToAsciiText(hex, keyBytes) == shown.substr(0, keyBytes));
  Check(AsciiTextToHexText(HexTextToAsciiText(hex, keyBytes), keyBytes) == hex);

  // Text to key bytes: exactly the key size, each byte as strtol reads its pair; from the
  // digits of the ASCII form, the ASCII characters themselves.
  const std::vector<std::uint8_t> bytes = KeyTextToBytes(text, keyBytes);
  Check(bytes.size() == keyBytes);
  for (std::size_t j = 0; j < keyBytes; ++j) {
    const char first = 2 * j < shown.size() ? shown[2 * j] : '\0';
    const char second = first != '\0' && 2 * j + 1 < shown.size() ? shown[2 * j + 1] : '\0';
    Check(bytes[j] == StrtolByte(first, second));
  }
  const std::vector<std::uint8_t> fromHex = KeyTextToBytes(hex, keyBytes);
  for (std::size_t j = 0; j < keyBytes; ++j)
    Check(fromHex[j] == (j < shown.size() ? static_cast<std::uint8_t>(shown[j]) : 0));

  // The length check names exactly the keys whose texts have the wrong length.
  CheckLengthMessage(level, form, texts);

  // Generated keys: four texts of two upper-case digits per key byte, the same four at 128
  // bits; nothing for an empty passphrase or a level without keys.
  const std::optional<WepKeyTexts> generated = GenerateWepKeys(level, text);
  Check(generated.has_value() == (!shown.empty() && (level == 1 || level == 2)));
  if (generated) {
    for (const std::string& key : *generated)
      Check(key.size() == 2 * WepKeyBytesForLevel(level) && UpperHexDigits(key));
    if (level == 2) Check((*generated)[0] == (*generated)[1] && (*generated)[0] == (*generated)[3]);
    Check(CheckKeyTextLengths(level, KeyForm::Hexadecimal, *generated) == std::nullopt);
  }
  return 0;
}
