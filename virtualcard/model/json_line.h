// One JSON object written as one line of the call log: members in the order they are
// added, strings escaped (control characters and bytes above 0x7E as \u00XX, so any SSID
// byte gives valid JSON).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vcard {

// A JSON string literal of the bytes, quotes included.
std::string JsonString(std::string_view bytes);

class JsonObject {
 public:
  JsonObject() = default;
  // A muted object takes every field and keeps none: a call-log entry nobody will read
  // costs no formatting.
  static JsonObject Muted() {
    JsonObject e;
    e.muted_ = true;
    return e;
  }
  bool muted() const { return muted_; }
  JsonObject& Str(std::string_view key, std::string_view value);
  JsonObject& Int(std::string_view key, long long value);
  JsonObject& Hex(std::string_view key, std::uint64_t value);  // "0x1F"
  JsonObject& HexBytes(std::string_view key, const std::uint8_t* data, std::size_t size);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Null(std::string_view key);
  JsonObject& Raw(std::string_view key, std::string_view json);  // a value already in JSON
  bool empty() const { return body_.empty(); }
  std::string str() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
  bool muted_ = false;
};

// Builds a JSON array from values already in JSON.
class JsonArray {
 public:
  JsonArray& Add(std::string_view json);
  std::string str() const { return "[" + body_ + "]"; }

 private:
  std::string body_;
};

std::string HexNumber(std::uint64_t value);  // "0x1F"

}  // namespace vcard
