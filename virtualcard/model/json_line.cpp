#include "virtualcard/model/json_line.h"

#include <cstdio>

#include "virtualcard/model/world.h"

namespace vcard {

std::string JsonString(std::string_view bytes) {
  std::string out = "\"";
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c > 0x7E) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string HexNumber(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

void JsonObject::Key(std::string_view key) {
  if (!body_.empty()) body_ += ',';
  body_ += JsonString(key);
  body_ += ':';
}

JsonObject& JsonObject::Str(std::string_view key, std::string_view value) {
  if (muted_) return *this;
  Key(key);
  body_ += JsonString(value);
  return *this;
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
  if (muted_) return *this;
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Hex(std::string_view key, std::uint64_t value) {
  if (muted_) return *this;
  Key(key);
  body_ += '"' + HexNumber(value) + '"';
  return *this;
}

JsonObject& JsonObject::HexBytes(std::string_view key, const std::uint8_t* data, std::size_t size) {
  if (muted_) return *this;
  Key(key);
  body_ += '"' + vcard::HexBytes(data, size) + '"';
  return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  if (muted_) return *this;
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Null(std::string_view key) {
  if (muted_) return *this;
  Key(key);
  body_ += "null";
  return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  if (muted_) return *this;
  Key(key);
  body_ += json;
  return *this;
}

JsonArray& JsonArray::Add(std::string_view json) {
  if (!body_.empty()) body_ += ',';
  body_ += json;
  return *this;
}

}  // namespace vcard
