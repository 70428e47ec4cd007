#include "pages/md5.h"

#include <cstring>

namespace {

constexpr std::size_t kBlockSize = 64;

// Per-step additive constants: floor(abs(sin(i + 1)) * 2^32).
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

// Left-rotation amounts, four per round.
constexpr unsigned kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr std::uint32_t RotateLeft(std::uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

struct State {
  std::uint32_t a = 0x67452301, b = 0xefcdab89, c = 0x98badcfe, d = 0x10325476;
};

void ProcessBlock(State& state, const std::uint8_t* block) {
  std::uint32_t m[16];
  for (std::size_t i = 0; i < 16; ++i) {
    m[i] = static_cast<std::uint32_t>(block[4 * i]) | static_cast<std::uint32_t>(block[4 * i + 1]) << 8 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 16 | static_cast<std::uint32_t>(block[4 * i + 3]) << 24;
  }
  std::uint32_t a = state.a, b = state.b, c = state.c, d = state.d;
  for (unsigned i = 0; i < 64; ++i) {
    const unsigned round = i / 16;
    std::uint32_t f;
    unsigned g;
    switch (round) {
      case 0:
        f = (b & c) | (~b & d);
        g = i;
        break;
      case 1:
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
        break;
      case 2:
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
        break;
      default:
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
        break;
    }
    const std::uint32_t rotated = RotateLeft(a + f + kSine[i] + m[g], kShift[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state.a += a;
  state.b += b;
  state.c += c;
  state.d += d;
}

void StoreLittleEndian(std::uint32_t value, std::uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

Md5Digest Md5(const std::uint8_t* data, std::size_t size) {
  State state;
  std::size_t offset = 0;
  for (; size - offset >= kBlockSize; offset += kBlockSize) ProcessBlock(state, data + offset);

  // Padding: a 0x80 byte, zeros up to 56 bytes modulo 64, then the message length in bits as a
  // 64-bit little-endian number. The tail needs one block, or two when it leaves no room.
  std::uint8_t tail[2 * kBlockSize] = {};
  const std::size_t rest = size - offset;
  if (rest > 0) std::memcpy(tail, data + offset, rest);
  tail[rest] = 0x80;
  const std::size_t tailSize = rest < kBlockSize - 8 ? kBlockSize : 2 * kBlockSize;
  const std::uint64_t bitCount = static_cast<std::uint64_t>(size) * 8;
  for (int i = 0; i < 8; ++i) tail[tailSize - 8 + i] = static_cast<std::uint8_t>(bitCount >> (8 * i));
  for (std::size_t block = 0; block < tailSize; block += kBlockSize) ProcessBlock(state, tail + block);

  Md5Digest digest;
  StoreLittleEndian(state.a, &digest[0]);
  StoreLittleEndian(state.b, &digest[4]);
  StoreLittleEndian(state.c, &digest[8]);
  StoreLittleEndian(state.d, &digest[12]);
  return digest;
}

Md5Digest Md5(std::string_view text) {
  return Md5(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
