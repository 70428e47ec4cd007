// How the virtual card reads and writes the fields the program hands it: a text never past a
// bound, since a caller's buffer may lack its terminating zero; a word of a reserved area
// without alignment.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vcard {

// How far a text argument is read (for the call log and for a profile's name).
constexpr std::size_t kMaxTextArgument = 260;

inline std::size_t BoundedLength(const char* text, std::size_t max) {
  std::size_t n = 0;
  while (n < max && text[n] != '\0') ++n;
  return n;
}

// The text of a fixed-size character field, up to its zero or its end.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, BoundedLength(field, N));
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Copies a text into a caller's buffer of `size` bytes, cut to fit, always terminated.
inline void CopyOut(char* out, std::size_t size, const std::string& text) {
  std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

// Fields of the reserved areas that the card gives a meaning to (the program only passes them).
inline void PutWord(std::uint8_t* area, int index, std::uint32_t value) { std::memcpy(area + 4 * index, &value, 4); }
inline std::uint32_t GetWord(const std::uint8_t* area, int index) {
  std::uint32_t v;
  std::memcpy(&v, area + 4 * index, 4);
  return v;
}

}  // namespace vcard
