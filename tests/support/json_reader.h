// A small strict JSON reader for tests: checks that a text is exactly one JSON value and
// gives the members of an object (raw JSON text of each value) and the elements of an array.
#pragma once
#include <cctype>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace jsontest {

class Reader {
 public:
  explicit Reader(const std::string& text) : s_(text) {}
  // True when the whole text is one well-formed JSON value.
  bool Valid() {
    pos_ = 0;
    if (!Value()) return false;
    Space();
    return pos_ == s_.size();
  }

 private:
  friend std::optional<std::map<std::string, std::string>> Members(const std::string&);
  friend std::optional<std::vector<std::string>> Elements(const std::string&);
  friend std::optional<std::string> StringValue(const std::string&);
  void Space() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
  }
  bool Literal(const char* word) {
    std::string w(word);
    if (s_.compare(pos_, w.size(), w) != 0) return false;
    pos_ += w.size();
    return true;
  }
  bool String(std::string* out = nullptr) {
    if (pos_ >= s_.size() || s_[pos_] != '"') return false;
    ++pos_;
    std::string value;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++pos_ >= s_.size()) return false;
        char e = s_[pos_];
        if (e == 'u') {
          if (pos_ + 4 >= s_.size()) return false;
          std::string hex = s_.substr(pos_ + 1, 4);
          for (char h : hex)
            if (!std::isxdigit(static_cast<unsigned char>(h))) return false;
          value += static_cast<char>(std::strtol(hex.c_str(), nullptr, 16) & 0xFF);
          pos_ += 4;
        } else {
          const std::string from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
          auto k = from.find(e);
          if (k == std::string::npos) return false;
          value += to[k];
        }
      } else {
        value += static_cast<char>(c);
      }
      ++pos_;
    }
    if (pos_ >= s_.size()) return false;
    ++pos_;
    if (out) *out = value;
    return true;
  }
  bool Number() {
    std::size_t start = pos_;
    if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
    std::size_t digits = pos_;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    if (pos_ == digits) return false;
    if (s_[digits] == '0' && pos_ - digits > 1) return false;
    return pos_ > start;
  }
  bool Value() {
    Space();
    if (pos_ >= s_.size()) return false;
    char c = s_[pos_];
    if (c == '"') return String();
    if (c == '{') return Object(nullptr);
    if (c == '[') return Array(nullptr);
    if (c == 't') return Literal("true");
    if (c == 'f') return Literal("false");
    if (c == 'n') return Literal("null");
    return Number();
  }
  bool Object(std::map<std::string, std::string>* members) {
    ++pos_;
    Space();
    if (pos_ < s_.size() && s_[pos_] == '}') return ++pos_, true;
    for (;;) {
      Space();
      std::string key;
      if (!String(&key)) return false;
      Space();
      if (pos_ >= s_.size() || s_[pos_] != ':') return false;
      ++pos_;
      Space();
      std::size_t start = pos_;
      if (!Value()) return false;
      if (members) {
        if (members->count(key)) return false;  // a key twice is a fault of the writer
        (*members)[key] = s_.substr(start, pos_ - start);
      }
      Space();
      if (pos_ < s_.size() && s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < s_.size() && s_[pos_] == '}') return ++pos_, true;
      return false;
    }
  }
  bool Array(std::vector<std::string>* elements) {
    ++pos_;
    Space();
    if (pos_ < s_.size() && s_[pos_] == ']') return ++pos_, true;
    for (;;) {
      Space();
      std::size_t start = pos_;
      if (!Value()) return false;
      if (elements) elements->push_back(s_.substr(start, pos_ - start));
      Space();
      if (pos_ < s_.size() && s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < s_.size() && s_[pos_] == ']') return ++pos_, true;
      return false;
    }
  }

  std::string s_;
  std::size_t pos_ = 0;
};

// The members of a JSON object text, each value as raw JSON; nullopt when not a valid object.
inline std::optional<std::map<std::string, std::string>> Members(const std::string& text) {
  Reader r(text);
  if (!r.Valid()) return std::nullopt;
  r.pos_ = 0;
  r.Space();
  std::map<std::string, std::string> members;
  if (r.pos_ >= r.s_.size() || r.s_[r.pos_] != '{' || !r.Object(&members)) return std::nullopt;
  return members;
}

// The elements of a JSON array text, each as raw JSON; nullopt when not a valid array.
inline std::optional<std::vector<std::string>> Elements(const std::string& text) {
  Reader r(text);
  if (!r.Valid()) return std::nullopt;
  r.pos_ = 0;
  r.Space();
  std::vector<std::string> elements;
  if (r.pos_ >= r.s_.size() || r.s_[r.pos_] != '[' || !r.Array(&elements)) return std::nullopt;
  return elements;
}

// The text of a JSON string value (raw JSON with quotes); nullopt when not a string.
inline std::optional<std::string> StringValue(const std::string& json) {
  Reader r(json);
  if (!r.Valid() || json.empty() || json.front() != '"') return std::nullopt;
  r.pos_ = 0;
  std::string decoded;
  if (!r.String(&decoded)) return std::nullopt;
  return decoded;
}

}  // namespace jsontest
