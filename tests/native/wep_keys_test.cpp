#include "pages/wep_keys.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "pages/md5.h"
#include "res/resource.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Expected generated keys were computed outside this code base with python3: level 1 by a
// direct transcription of the seed folding and x = (x * 214013 + 2531011) % 2**32, key byte
// (x >> 16) & 0xFF, five bytes per key for twenty steps; level 2 as
// hashlib.md5(bytes(p[i % len(p)] for i in range(64))).hexdigest().upper()[:26].
struct GeneratedKeysCase {
  const char* passphrase;
  WepKeyTexts keys64;
  const char* key128;
};

const GeneratedKeysCase kGeneratedKeys[] = {
    {"Tallwyn", {"F27C3B96AC", "27F290A8B7", "EFCBA1105F", "52C6B18DD3"}, "798B977925DF7D63D55C63936D"},
    {"a", {"63CACE42D9", "F201F42A09", "D275059AF9", "B4721C60FD"}, "014842D480B571495A4A036379"},
    {"abcd", {"41192B542A", "6473463AC1", "F33A3D5A83", "BD5C452EBD"}, "386F81FD57366030AE7EA0392A"},
    // Characters of code 0x80 and above are folded and hashed as unsigned bytes.
    {"\xE9t\xE9", {"33377702EE", "304C7CD1D6", "AE9ED6CB03", "423AE8102F"}, "1E2C0D0E4CDD740840BB517EB3"},
    {"secret passphrase", {"01CA8ED76F", "C030A13F07", "76C245F5EB", "E5952060EC"}, "3AFB28CC511BD7A1F817FCB6AE"},
};

TEST(WepKeyGeneration, Level1MatchesIndependentlyComputedKeys) {
  for (const GeneratedKeysCase& c : kGeneratedKeys) {
    const auto keys = GenerateWepKeys(1, c.passphrase);
    ASSERT_TRUE(keys.has_value()) << c.passphrase;
    EXPECT_EQ(*keys, c.keys64) << c.passphrase;
    EXPECT_EQ(GenerateWepKeys(1, c.passphrase), keys) << "generation is repeatable: " << c.passphrase;
  }
}

TEST(WepKeyGeneration, Level2MatchesIndependentlyComputedKeysForAllFourSlots) {
  for (const GeneratedKeysCase& c : kGeneratedKeys) {
    const auto keys = GenerateWepKeys(2, c.passphrase);
    ASSERT_TRUE(keys.has_value()) << c.passphrase;
    EXPECT_THAT(*keys, ElementsAre(c.key128, c.key128, c.key128, c.key128)) << c.passphrase;
  }
}

TEST(WepKeyGeneration, Level1FoldsCharactersFourApartIntoTheSameSeedByte) {
  // Positions 1 and 5 (equal modulo 4) swapped: same seed, same keys.
  EXPECT_EQ(GenerateWepKeys(1, "passphrase"), GenerateWepKeys(1, "phssparase"));
  // Positions 0 and 1 swapped: a different seed.
  EXPECT_NE(GenerateWepKeys(1, "passphrase"), GenerateWepKeys(1, "apssphrase"));
  // A character that appears twice at positions equal modulo 4 cancels out.
  EXPECT_EQ(GenerateWepKeys(1, "abcdaxyz"), GenerateWepKeys(1, "\x01" "bcd\x01" "xyz"));
}

TEST(WepKeyGeneration, Level2HashesExactlySixtyFourRepeatedBytes) {
  // One character: 64 copies of it.
  const auto single = GenerateWepKeys(2, "a");
  ASSERT_TRUE(single.has_value());
  EXPECT_EQ((*single)[0], GenerateWepKeys(2, std::string(64, 'a'))->at(0));
  EXPECT_EQ((*single)[0], GenerateWepKeys(2, std::string(200, 'a'))->at(0));

  // Only the first 64 characters count. Expected key from python3:
  // hashlib.md5(p[:64]).hexdigest().upper()[:26].
  const std::string longer = "The quick brown fox jumps over the lazy dog, then naps under a tree.";
  ASSERT_EQ(longer.size(), 68u);
  EXPECT_EQ(GenerateWepKeys(2, longer)->at(0), "B4DDEFD2ED210118BB1CACCD42");
  EXPECT_EQ(GenerateWepKeys(2, longer.substr(0, 64)), GenerateWepKeys(2, longer));
  EXPECT_EQ(GenerateWepKeys(2, longer.substr(0, 64) + "something else"), GenerateWepKeys(2, longer));
  EXPECT_NE(GenerateWepKeys(2, longer.substr(0, 63) + "X"), GenerateWepKeys(2, longer));
}

TEST(WepKeyGeneration, TextsHaveTheLevelsLengthAndOnlyUpperCaseDigits) {
  const std::string passphrases[] = {"x", "\xFF\xFE\x80", std::string(127, '~'), "Mixed Case 123"};
  for (const std::string& passphrase : passphrases) {
    for (int level : {1, 2}) {
      const auto keys = GenerateWepKeys(level, passphrase);
      ASSERT_TRUE(keys.has_value());
      for (const std::string& key : *keys) {
        EXPECT_EQ(key.size(), level == 1 ? 10u : 26u);
        EXPECT_EQ(key.find_first_not_of("0123456789ABCDEF"), std::string::npos) << key;
      }
    }
  }
}

TEST(WepKeyGeneration, RefusesAnEmptyPassphraseAndLevelsWithoutKeys) {
  EXPECT_EQ(GenerateWepKeys(1, ""), std::nullopt);
  EXPECT_EQ(GenerateWepKeys(2, ""), std::nullopt);
  EXPECT_EQ(GenerateWepKeys(0, "passphrase"), std::nullopt);
  EXPECT_EQ(GenerateWepKeys(3, "passphrase"), std::nullopt);
  EXPECT_EQ(GenerateWepKeys(-1, "passphrase"), std::nullopt);
  // A passphrase ends at its zero character, like every text here.
  EXPECT_EQ(GenerateWepKeys(1, std::string("\0abc", 4)), std::nullopt);
  EXPECT_EQ(GenerateWepKeys(1, std::string("abc\0def", 7)), GenerateWepKeys(1, "abc"));
  EXPECT_EQ(GenerateWepKeys(2, std::string("abc\0def", 7)), GenerateWepKeys(2, "abc"));
}

TEST(WepKeySizes, FollowTheEncryptionLevel) {
  EXPECT_EQ(WepKeyBytesForLevel(0), 0u);
  EXPECT_EQ(WepKeyBytesForLevel(1), 5u);
  EXPECT_EQ(WepKeyBytesForLevel(2), 13u);
  EXPECT_EQ(WepKeyBytesForLevel(3), 0u);
  EXPECT_EQ(RequiredKeyTextLength(1, KeyForm::Hexadecimal), 10u);
  EXPECT_EQ(RequiredKeyTextLength(1, KeyForm::Ascii), 5u);
  EXPECT_EQ(RequiredKeyTextLength(2, KeyForm::Hexadecimal), 26u);
  EXPECT_EQ(RequiredKeyTextLength(2, KeyForm::Ascii), 13u);
  EXPECT_EQ(RequiredKeyTextLength(0, KeyForm::Hexadecimal), 0u);
}

TEST(WepHexPairToByte, ReadsDigitsOfBothCasesAndCountsOtherCharactersAsZero) {
  struct Case {
    char high, low;
    unsigned byte;
  } cases[] = {
      {'0', '0', 0x00}, {'4', '1', 0x41}, {'F', 'F', 0xFF}, {'f', 'f', 0xFF}, {'a', 'B', 0xAB},
      {'9', 'c', 0x9C}, {'4', 'G', 0x40}, {'G', '4', 0x04}, {'4', '\0', 0x40}, {'\0', '\0', 0x00},
      {' ', '7', 0x07}, {'-', '1', 0x01}, {'\xE9', '1', 0x01}, {'g', 'z', 0x00},
  };
  for (const Case& c : cases) EXPECT_EQ(HexPairToByte(c.high, c.low), c.byte) << c.high << c.low;
}

TEST(WepHexTextToAsciiText, ConvertsPairsUntilTheFirstZeroByte) {
  struct Case {
    std::string hex;
    std::size_t keyBytes;
    std::string ascii;
  } cases[] = {
      {"6162636465", 5, "abcde"},
      {"0000000000", 5, ""},                 // first pair zero: empty
      {"4100000000", 5, "A"},                // a letter, then zero pairs
      {"4142004344", 5, "AB"},               // stops at the first zero byte
      {"e9E9e9E9e9", 5, "\xE9\xE9\xE9\xE9\xE9"},
      {"4G42434445", 5, "@BCDE"},            // digit + non-digit: the digit times 16
      {"41424344", 5, "ABCD"},               // short text: the missing pair counts as zero
      {"414", 5, "A@"},                      // a lone last digit counts as its value times 16
      {"", 5, ""},
      {"6162636465666768696A6B6C6D", 13, "abcdefghijklm"},
      {"6162636465666768696A6B6C6D6E", 13, "abcdefghijklm"},  // at most keyBytes characters
      {"6162636465", 2, "ab"},
      {std::string("41\0" "4243", 6), 3, "A"},  // a text ends at its zero character
  };
  for (const Case& c : cases) EXPECT_EQ(HexTextToAsciiText(c.hex, c.keyBytes), c.ascii) << c.hex;
}

TEST(WepAsciiTextToHexText, WritesTwoUpperCaseDigitsPerByteAndPadsWithZeros) {
  struct Case {
    std::string ascii;
    std::size_t keyBytes;
    std::string hex;
  } cases[] = {
      {"abcde", 5, "6162636465"},
      {"abc", 5, "6162630000"},
      {"", 5, "0000000000"},
      {"abcdefg", 5, "6162636465"},
      {"\xE9", 5, "E900000000"},  // unsigned, never a negative value
      {"\x7F\x80\xFF", 5, "7F80FF0000"},
      {"abcdefghijklm", 13, "6162636465666768696A6B6C6D"},
      {"Z", 13, "5A000000000000000000000000"},
      {std::string("a\0b", 3), 5, "6100000000"},  // a text ends at its zero character
  };
  for (const Case& c : cases) EXPECT_EQ(AsciiTextToHexText(c.ascii, c.keyBytes), c.hex) << c.ascii;
}

TEST(WepKeyTextConversions, AsciiAndHexRoundTripForKeysWithoutZeroBytes) {
  const std::string ascii = "Wep-Key!\xE9\x01~ Z";
  ASSERT_EQ(ascii.size(), 13u);
  const std::string hex = AsciiTextToHexText(ascii, 13);
  EXPECT_EQ(hex, "5765702D4B657921E9017E205A");
  EXPECT_EQ(HexTextToAsciiText(hex, 13), ascii);
  EXPECT_THAT(KeyTextToBytes(hex, 13), ElementsAreArray(reinterpret_cast<const std::uint8_t*>(ascii.data()), 13));
}

TEST(WepKeyTextToBytes, ReadsPairsOfDigitsOfEitherCase) {
  EXPECT_THAT(KeyTextToBytes("5C3E1A7B90", 5), ElementsAre(0x5C, 0x3E, 0x1A, 0x7B, 0x90));
  EXPECT_THAT(KeyTextToBytes("5c3e1a7b90", 5), ElementsAre(0x5C, 0x3E, 0x1A, 0x7B, 0x90));
  EXPECT_THAT(KeyTextToBytes("5C3E1A7B90D24F68A13B7C9E05", 13),
              ElementsAre(0x5C, 0x3E, 0x1A, 0x7B, 0x90, 0xD2, 0x4F, 0x68, 0xA1, 0x3B, 0x7C, 0x9E, 0x05));
}

TEST(WepKeyTextToBytes, ReadsOddPairsAsStrtolDoes) {
  struct Case {
    const char* pair;
    unsigned byte;
  } cases[] = {
      {"5G", 0x05},  // digit + non-digit: the digit alone (HexTextToAsciiText gives 0x50)
      {"G5", 0x00},  // starts with a non-digit
      {" 7", 0x07},  // leading blank passed over
      {"\t7", 0x07},
      {"+F", 0x0F},
      {"-5", 0xFB},  // -5, low eight bits
      {"-0", 0x00},
      {"- ", 0x00},
      {"0x", 0x00},
      {"\xE9" "5", 0x00},
  };
  for (const Case& c : cases) EXPECT_THAT(KeyTextToBytes(c.pair, 1), ElementsAre(c.byte)) << c.pair;

  // The same digit + non-digit pair as a whole key text, against HexTextToAsciiText.
  EXPECT_THAT(KeyTextToBytes("4G42434445", 5), ElementsAre(0x04, 0x42, 0x43, 0x44, 0x45));
  EXPECT_EQ(static_cast<unsigned char>(HexTextToAsciiText("4G42434445", 5)[0]), 0x40u);
}

// Every pair of 8-bit characters, against the C library's strtol in the C locale.
TEST(WepKeyTextToBytes, AgreesWithStrtolForEveryPairOfCharacters) {
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const char pair[3] = {static_cast<char>(first), static_cast<char>(second), '\0'};
      const auto expected = static_cast<std::uint8_t>(std::strtol(pair, nullptr, 16) & 0xFF);
      const std::vector<std::uint8_t> bytes = KeyTextToBytes(std::string_view(pair, 2), 1);
      ASSERT_EQ(bytes.size(), 1u);
      ASSERT_EQ(bytes[0], expected) << "pair " << first << ", " << second;
    }
  }
}

TEST(WepKeyTextToBytes, NeverReadsPastTheEndOfAShortText) {
  EXPECT_THAT(KeyTextToBytes("5C3", 5), ElementsAre(0x5C, 0x03, 0x00, 0x00, 0x00));
  EXPECT_THAT(KeyTextToBytes("", 5), ElementsAre(0, 0, 0, 0, 0));
  EXPECT_THAT(KeyTextToBytes(std::string("5C\0" "3E1A", 7), 3), ElementsAre(0x5C, 0x00, 0x00));
  // A heap copy of exactly the characters given, so that AddressSanitizer sees any overread.
  const std::string_view shortText = "AB";
  std::vector<char> exact(shortText.begin(), shortText.end());
  EXPECT_THAT(KeyTextToBytes(std::string_view(exact.data(), exact.size()), 13),
              ElementsAre(0xAB, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(HexTextToAsciiText(std::string_view(exact.data(), 1), 13), "\xA0");
  EXPECT_EQ(AsciiTextToHexText(std::string_view(exact.data(), 1), 2), "4100");
}

TEST(WepCheckKeyTextLengths, AcceptsFourTextsOfTheRequiredLengthWhateverTheirCharacters) {
  EXPECT_EQ(CheckKeyTextLengths(1, KeyForm::Hexadecimal, {"5C3E1A7B90", "0000000000", "ZZZZZZZZZZ", "abcdefabcd"}),
            std::nullopt);
  EXPECT_EQ(CheckKeyTextLengths(1, KeyForm::Ascii, {"abcde", "12345", "     ", "\xE9\xE9\xE9\xE9\xE9"}),
            std::nullopt);
  const std::string hex26(26, 'A'), ascii13(13, 'a');
  EXPECT_EQ(CheckKeyTextLengths(2, KeyForm::Hexadecimal, {hex26, hex26, hex26, hex26}), std::nullopt);
  EXPECT_EQ(CheckKeyTextLengths(2, KeyForm::Ascii, {ascii13, ascii13, ascii13, ascii13}), std::nullopt);
  // WEP off: no keys to check.
  EXPECT_EQ(CheckKeyTextLengths(0, KeyForm::Hexadecimal, {"", "", "", ""}), std::nullopt);
}

TEST(WepCheckKeyTextLengths, NamesEveryFailingKeyAfterTheBaseText) {
  const std::string hex10(10, '1'), hex26(26, '2'), ascii5(5, 'a'), ascii13(13, 'b');
  struct Case {
    int level;
    KeyForm form;
    WepKeyTexts texts;
    std::uint32_t stringId;
    const char* message;
  } cases[] = {
      {2, KeyForm::Hexadecimal, {std::string(25, '2'), hex26, std::string(25, '2'), hex26}, IDS_WEP_LENGTH_26_HEX,
       "Invalid WEP key length. They should be 26 characters.( Key1 Key3)"},
      {2, KeyForm::Hexadecimal, {hex26, hex26, hex26, std::string(27, '2')}, 61534,
       "Invalid WEP key length. They should be 26 characters.( Key4)"},
      {1, KeyForm::Hexadecimal, {hex10, "123456789", hex10, "12345678901"}, IDS_WEP_LENGTH_10_HEX,
       "Invalid WEP key length. They should be 10 characters.( Key2 Key4)"},
      {1, KeyForm::Hexadecimal, {"", "", "", ""}, 61535,
       "Invalid WEP key length. They should be 10 characters.( Key1 Key2 Key3 Key4)"},
      {1, KeyForm::Hexadecimal, {hex26, hex10, hex10, hex10}, 61535,  // a 128-bit text at level 1
       "Invalid WEP key length. They should be 10 characters.( Key1)"},
      {1, KeyForm::Ascii, {ascii5, ascii5, "abcd", ascii5}, IDS_WEP_LENGTH_5_ASCII,
       "Invalid WEP key length. They should be 5 ASCII characters.( Key3)"},
      {2, KeyForm::Ascii, {ascii5, ascii13, ascii13, ascii13}, IDS_WEP_LENGTH_13_ASCII,
       "Invalid WEP key length. They should be 13 ASCII characters.( Key1)"},
      {2, KeyForm::Ascii, {ascii13, ascii13, hex26, ascii13}, 61558,
       "Invalid WEP key length. They should be 13 ASCII characters.( Key3)"},
      // A text ends at its zero character: ten characters with a zero inside are too short.
      {1, KeyForm::Hexadecimal, {hex10, hex10, std::string("12345\0" "7890", 10), hex10}, 61535,
       "Invalid WEP key length. They should be 10 characters.( Key3)"},
  };
  for (const Case& c : cases) {
    const auto message = CheckKeyTextLengths(c.level, c.form, c.texts);
    ASSERT_TRUE(message.has_value()) << c.message;
    EXPECT_EQ(message->stringId, c.stringId);
    EXPECT_EQ(message->text, c.message);
  }
}

// The base texts built into the messages must be the string table's texts under the same ids.
TEST(WepCheckKeyTextLengths, BaseTextsMatchTheStringTable) {
  const std::string rcPath = std::string(TW_SOURCE_DIR) + "/res/tw7720util.rc";
  std::ifstream rc(rcPath);
  ASSERT_TRUE(rc.good()) << rcPath;
  std::stringstream content;
  content << rc.rdbuf();
  const std::string table = content.str();

  struct Case {
    int level;
    KeyForm form;
    const char* idName;
  } cases[] = {
      {1, KeyForm::Hexadecimal, "IDS_WEP_LENGTH_10_HEX"},
      {2, KeyForm::Hexadecimal, "IDS_WEP_LENGTH_26_HEX"},
      {1, KeyForm::Ascii, "IDS_WEP_LENGTH_5_ASCII"},
      {2, KeyForm::Ascii, "IDS_WEP_LENGTH_13_ASCII"},
  };
  for (const Case& c : cases) {
    std::smatch match;
    ASSERT_TRUE(std::regex_search(table, match, std::regex(std::string(c.idName) + " \"([^\"]*)\""))) << c.idName;
    const auto message = CheckKeyTextLengths(c.level, c.form, {"", "", "", ""});
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, match[1].str() + "( Key1 Key2 Key3 Key4)") << c.idName;
  }
}

}  // namespace
