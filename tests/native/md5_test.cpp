#include "pages/md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string ToHex(const Md5Digest& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t byte : digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0x0F];
  }
  return hex;
}

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, MatchesTheRfc1321TestSuite) {
  struct Case {
    const char* message;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToHex(Md5(c.message)), c.digest) << '"' << c.message << '"';
}

// Lengths around the padding boundaries (one or two final blocks, several full blocks), over
// the bytes 0, 1, 2, ... so that values of 0x80 and above are hashed unsigned. Expected digests
// from python3: hashlib.md5(bytes(range(n))).hexdigest().
TEST(Md5, HandlesEveryPaddingCaseAndUnsignedBytes) {
  struct Case {
    std::size_t length;
    const char* digest;
  } cases[] = {
      {55, "6912ee65fff2d9f9ce2508cddf8bcda0"},  {56, "51fdd1acda72405dfdfa03fcb85896d7"},
      {63, "48a6295221902e8e0938f773a7185e72"},  {64, "b2d3f56bc197fd985d5965079b5e7148"},
      {65, "8bd7053801c768420faf816fadba971c"},  {119, "1c772251899a7ff007400b888d6b2042"},
      {120, "b7ba1efc6022e9ed272f00b8831e26e6"}, {128, "37eff01866ba3f538421b30b7cbefcac"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes(c.length);
    for (std::size_t i = 0; i < c.length; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(ToHex(Md5(bytes.data(), bytes.size())), c.digest) << c.length << " bytes";
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(ToHex(Md5(text)), c.digest) << c.length << " bytes as text";
  }
}

TEST(Md5, EmptyInputMayComeWithoutABuffer) {
  EXPECT_EQ(ToHex(Md5(nullptr, 0)), "d41d8cd98f00b204e9800998ecf8427e");
}

}  // namespace
