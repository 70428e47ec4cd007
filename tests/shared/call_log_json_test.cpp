// The call log's writer against an independent JSON reader (nlohmann-json): awkward texts,
// numbers at the edges of their types and key material each come back as they went in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "support/call_log_json.h"
#include "virtualcard/model/json_line.h"
#include "virtualcard/model/world.h"

namespace {

using calllog::Json;

Json Parsed(const std::string& line) {
  auto parsed = calllog::ParseObject(line);
  EXPECT_TRUE(parsed.has_value()) << "not one JSON object: " << line;
  return parsed.value_or(Json::object());
}

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(CallLogJson, TextsOfAnyBytesComeBackUnchanged) {
  const std::string all = AllBytes();
  const std::string reversed(all.rbegin(), all.rend());
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"every byte 0..255", all},
      {"every byte 255..0", reversed},
      {"empty SSID", ""},
      {"32-byte SSID of 0x80..0x9F", all.substr(0x80, 32)},
      {"32-byte SSID of 0xFF", std::string(32, '\xFF')},
      {"32-byte SSID of NUL", std::string(32, '\0')},
      {"quotes, backslashes, solidus, DEL", "\"\\/\x7F\"\\"},
      {"bytes that look like UTF-8", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"text that looks like an escape", "\\u00E9\\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string line = vcard::JsonObject().Str("ssid", c.text).str();
    for (char ch : line) EXPECT_TRUE(ch >= 0x20 && ch <= 0x7E) << "the line is printable ASCII only: " << line;
    Json m = Parsed(line);
    EXPECT_EQ(calllog::Text(m, "ssid"), c.text) << line;

    // The same text as an element of an array and as a key.
    Json a = Parsed(vcard::JsonObject().Raw("list", vcard::JsonArray().Add(vcard::JsonString(c.text)).str()).str());
    ASSERT_TRUE(a["list"].is_array() && a["list"].size() == 1u) << a;
    EXPECT_EQ(calllog::Bytes(a["list"][0]), c.text);
    Json k = Parsed(vcard::JsonObject().Int(c.text, 7).str());
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(calllog::Bytes(Json(k.begin().key())), c.text);
  }
}

TEST(CallLogJson, NumbersAtTheEdgesOfTheirTypes) {
  const long long ints[] = {0,
                            -1,
                            std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max(),
                            std::numeric_limits<std::uint32_t>::max(),
                            std::numeric_limits<long long>::min(),
                            std::numeric_limits<long long>::max()};
  for (long long value : ints) {
    Json m = Parsed(vcard::JsonObject().Int("value", value).str());
    ASSERT_TRUE(m["value"].is_number_integer()) << value;
    EXPECT_EQ(m["value"].get<long long>(), value);
  }
  const std::uint64_t hexes[] = {0, 0x1F, 0x80000002, std::numeric_limits<std::uint32_t>::max(),
                                 std::numeric_limits<std::uint64_t>::max()};
  for (std::uint64_t value : hexes) {
    Json m = Parsed(vcard::JsonObject().Hex("flags", value).str());
    const std::string text = calllog::Text(m, "flags");
    ASSERT_EQ(text.rfind("0x", 0), 0u) << text;
    EXPECT_EQ(std::strtoull(text.c_str() + 2, nullptr, 16), value) << text;
  }
}

TEST(CallLogJson, KeyMaterialAndStructureComeBack) {
  const std::vector<std::vector<std::uint8_t>> keys = {
      {},
      {0x00, 0x7F, 0x80, 0xFE, 0xFF},
      {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC},
  };
  vcard::JsonArray elements;
  for (const auto& key : keys)
    elements.Add(vcard::JsonObject().Int("keyLength", static_cast<long long>(key.size()))
                     .HexBytes("keyMaterial", key.data(), key.size()).str());
  Json m = Parsed(vcard::JsonObject().Raw("wepKey", elements.str()).Bool("on", true).Bool("off", false).Null("none").str());
  ASSERT_TRUE(m["wepKey"].is_array());
  ASSERT_EQ(m["wepKey"].size(), keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const Json& element = m["wepKey"][i];
    EXPECT_EQ(element.value("keyLength", -1), static_cast<long long>(keys[i].size()));
    std::vector<std::uint8_t> back = {0xEE};
    EXPECT_TRUE(vcard::ParseHexBytes(calllog::Text(element, "keyMaterial"), back));
    EXPECT_EQ(back, keys[i]);
  }
  EXPECT_EQ(m["on"], true);
  EXPECT_EQ(m["off"], false);
  EXPECT_TRUE(m["none"].is_null());
}

// The reader the tests use refuses what a faulty writer could produce.
TEST(CallLogJson, ReaderRefusesDamagedLines) {
  for (const char* bad : {"", "{", "{}x", "[1]", "\"text\"", R"({"a":1,"a":2})", R"({"o":{"k":1,"k":1}})",
                          "{\"t\":\"\x01\"}", "{\"t\":\"\xE9\"}", R"({"t":01})", R"({"t":"\u01"})"})
    EXPECT_FALSE(calllog::ParseObject(bad).has_value()) << bad;
  EXPECT_TRUE(calllog::ParseObject(R"({"o":{"k":1},"p":{"k":1}})").has_value()) << "one key in two objects";
  EXPECT_FALSE(calllog::Bytes(Json("\xC4\x80")).has_value()) << "U+0100 is never written";
}

}  // namespace
