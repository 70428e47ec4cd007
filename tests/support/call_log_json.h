// Reading the virtual card's call log in tests with nlohmann-json: one line as one JSON
// object, and the bytes of a logged text.
#pragma once
#include <nlohmann/json.hpp>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace calllog {

using Json = nlohmann::json;

// The line as a JSON object; nullopt when it is not exactly one well-formed object, or when
// an object in it names a key twice (the library would keep the last silently, hiding a
// fault of the writer).
inline std::optional<Json> ParseObject(const std::string& line) {
  std::vector<std::set<std::string>> keys;  // the keys seen in each open object
  bool repeated = false;
  auto watch = [&](int, Json::parse_event_t event, Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start: keys.emplace_back(); break;
      case Json::parse_event_t::object_end: keys.pop_back(); break;
      case Json::parse_event_t::key:
        repeated = repeated || !keys.back().insert(parsed.get<std::string>()).second;
        break;
      default: break;
    }
    return true;
  };
  Json value = Json::parse(line, watch, /*allow_exceptions=*/false);
  if (value.is_discarded() || repeated || !value.is_object()) return std::nullopt;
  return value;
}

// The bytes of a text the card logged. The log writes every byte outside printable ASCII as
// \u00XX; the library hands those back as the code points U+0000..U+00FF in UTF-8, which this
// maps back to one byte each. nullopt when the value is not a string or holds a code point
// the writer never makes.
inline std::optional<std::string> Bytes(const Json& value) {
  if (!value.is_string()) return std::nullopt;
  const std::string& utf8 = value.get_ref<const std::string&>();
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      unsigned char next = static_cast<unsigned char>(utf8[++i]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      bytes += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

// The member `key` of an object as a text's bytes; `otherwise` when it is missing or not a
// text.
inline std::string Text(const Json& object, const char* key, const std::string& otherwise = "<none>") {
  auto found = object.find(key);
  if (found == object.end()) return otherwise;
  return Bytes(*found).value_or(otherwise);
}

}  // namespace calllog
