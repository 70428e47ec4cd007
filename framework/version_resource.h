// A file's version resource (VS_VERSIONINFO): its fixed block, as VerQueryValue with the
// root block "\" gives it. The memory backend reads it from bytes a test provides; the
// reading is defensive, since a damaged file's resource is outside input.
#pragma once
#include <cstddef>
#include <cstdint>

namespace fw {

// VS_FIXEDFILEINFO, 52 bytes.
struct FixedFileInfo {
  std::uint32_t signature = 0;  // 0xFEEF04BD
  std::uint32_t strucVersion = 0;
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOS = 0;
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;
  std::uint32_t fileDateMS = 0;
  std::uint32_t fileDateLS = 0;
};
static_assert(sizeof(FixedFileInfo) == 52);
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// The fixed block of a VS_VERSIONINFO resource of `size` bytes; false when the resource is
// truncated, has no fixed block or a wrong signature. Never reads past `size`.
bool FixedFileInfoFromResource(const std::uint8_t* data, std::size_t size, FixedFileInfo& out);

}  // namespace fw
