// WEP key arithmetic behind the Encryption tab: the key sizes and their text forms, the two
// passphrase generators, the conversions between hexadecimal and ASCII key texts, the reading
// of a key text into key bytes for the driver, and the key length check with its message.
//
// Key sizes follow the profile's encryption level: level 1 ("64 Bits") has 5 key bytes, shown
// as 10 hexadecimal digits or 5 ASCII characters; level 2 ("128 Bits") has 13 key bytes, 26
// digits or 13 characters. Level 0 is WEP off and has no keys.
//
// Texts are 8-bit ANSI strings; every character is taken as an unsigned byte. A text ends at
// its first zero character, as in the edit fields and profile fields it comes from; positions
// at or beyond that end count as the zero character and are never read.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a key is typed: hexadecimal digits, two per key byte, or ASCII characters, one per byte.
enum class KeyForm { Hexadecimal, Ascii };

// The texts of keys 1 to 4.
using WepKeyTexts = std::array<std::string, 4>;

constexpr std::size_t kWepKeyBytes64 = 5;
constexpr std::size_t kWepKeyBytes128 = 13;

// Key bytes per key at an encryption level: 5 for level 1, 13 for level 2, 0 for any other
// level (0 is WEP off; other values name no key size).
std::size_t WepKeyBytesForLevel(int level);

// The exact text length a key needs at a level in a form: 10, 5, 26 or 13; 0 for a level
// without keys.
std::size_t RequiredKeyTextLength(int level, KeyForm form);

// The four hexadecimal key texts (upper-case digits) generated from a passphrase.
// Level 1: the passphrase bytes are folded by XOR into a 32-bit seed (byte i into seed byte
// i mod 4, least significant first); the seed starts the sequence x = x * 214013 + 2531011
// (mod 2^32), whose next twenty values give (x >> 16) & 0xFF as the five bytes of key 1, then
// key 2, key 3 and key 4.
// Level 2: the MD5 digest of 64 bytes of the passphrase repeated (a longer passphrase gives only
// its first 64 bytes); its first 13 bytes are the key, the same for all four keys.
// Returns nothing for an empty passphrase (the caller asks the user for one instead) and for a
// level other than 1 or 2.
std::optional<WepKeyTexts> GenerateWepKeys(int level, std::string_view passphrase);

// The byte of a pair of hexadecimal digits, high four bits first. '0'-'9', 'a'-'f' and 'A'-'F'
// count their value; any other character (the zero character included) counts 0.
std::uint8_t HexPairToByte(char high, char low);

// The ASCII key text of a hexadecimal key text of `keyBytes` bytes: byte j comes from the
// characters at 2j and 2j+1 by HexPairToByte, and the text ends before the first byte of value 0
// (a key byte 0 cannot be shown as a character). At most `keyBytes` characters.
std::string HexTextToAsciiText(std::string_view hexText, std::size_t keyBytes);

// The hexadecimal key text of an ASCII key text: the code (0..255) of each of the first
// `keyBytes` characters as two upper-case digits, a missing character giving "00". Always
// 2 * `keyBytes` digits.
std::string AsciiTextToHexText(std::string_view asciiText, std::size_t keyBytes);

// The `keyBytes` key bytes of a hexadecimal key text, for the driver. Each two-character pair is
// read the way strtol reads base 16, and the byte is the low eight bits of the number: two digits
// give their value; a digit followed by a non-digit gives that digit alone; a leading blank
// (any C-locale white space) or sign is passed over and a sign applies ("-5" gives 0xFB); a
// pair that starts with anything else gives 0. A pair beyond the end of a shorter text reads as
// the zero character and gives 0.
std::vector<std::uint8_t> KeyTextToBytes(std::string_view hexText, std::size_t keyBytes);

// The message that refuses key texts of the wrong length: the string-table id of its base text
// and the full text to show ("<base text>( Key1 Key3)").
struct KeyLengthMessage {
  std::uint32_t stringId;
  std::string text;
};

// Checks that each of the four texts has exactly the length its level and form require (the
// characters themselves are not examined). Returns nothing when all four pass or the level has
// no keys; otherwise the message naming every failing key in key order.
std::optional<KeyLengthMessage> CheckKeyTextLengths(int level, KeyForm form, const WepKeyTexts& texts);
