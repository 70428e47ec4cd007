#include "framework/version_resource.h"

#include <cstring>

namespace fw {

bool FixedFileInfoFromResource(const std::uint8_t* data, std::size_t size, FixedFileInfo& out) {
  // WORD wLength, WORD wValueLength, WORD wType, WCHAR szKey[] "VS_VERSION_INFO", padding to
  // 32 bits, then the value: the fixed block.
  auto word = [&](std::size_t at) -> std::uint16_t {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
  };
  if (data == nullptr || size < 6) return false;
  const std::size_t length = word(0);
  const std::size_t valueLength = word(2);
  if (length > size || length < 6) return false;
  static const char kKey[] = "VS_VERSION_INFO";
  std::size_t at = 6;
  for (std::size_t i = 0; i < sizeof(kKey); ++i, at += 2) {
    if (at + 2 > length) return false;
    if (word(at) != static_cast<unsigned char>(kKey[i])) return false;  // includes the final zero
  }
  at = (at + 3) & ~std::size_t{3};
  if (valueLength < sizeof(FixedFileInfo) || at + sizeof(FixedFileInfo) > length) return false;
  FixedFileInfo info;
  std::memcpy(&info, data + at, sizeof(info));
  if (info.signature != kFixedFileInfoSignature) return false;
  out = info;
  return true;
}

}  // namespace fw
