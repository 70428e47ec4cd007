// MD5 message digest (RFC 1321). Used to derive 128-bit WEP keys from a passphrase.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

using Md5Digest = std::array<std::uint8_t, 16>;

// The digest of `size` bytes at `data` (`data` may be null when `size` is 0).
Md5Digest Md5(const std::uint8_t* data, std::size_t size);

// The digest of the text's bytes, taken as unsigned 8-bit values.
Md5Digest Md5(std::string_view text);
