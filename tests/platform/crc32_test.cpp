// CRC-32 of the journal's records: the check value of ISO/IEC 3309, and every length and
// alignment (the folded path takes whole 16-byte blocks of 64 bytes or more, the table the rest)
// against a bit-at-a-time reference, also when a checksum is continued piece by piece.
#include "platform/crc32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tavrin::platform {
namespace {

uint32_t bitwise_crc32(const uint8_t* p, size_t n, uint32_t crc) {
  uint32_t c = ~crc;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

TEST(Crc32, CheckValue) {
  const char text[] = "123456789";
  EXPECT_EQ(crc32(text, 9), 0xCBF43926u);
  EXPECT_EQ(crc32(text, 0), 0u);
}

TEST(Crc32, EveryLengthAndAlignmentMatchesTheBitwiseDefinition) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(8192 + 16);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t n = 0; n <= 300; ++n) {
      ASSERT_EQ(crc32(bytes.data() + offset, n, 0x1234u),
                bitwise_crc32(bytes.data() + offset, n, 0x1234u))
          << "offset " << offset << ", length " << n;
    }
  }
  for (const size_t n : {1023u, 4806u, 8192u}) {
    EXPECT_EQ(crc32(bytes.data() + 3, n), bitwise_crc32(bytes.data() + 3, n, 0)) << n;
  }
  // Continued in pieces of every size, it equals the checksum of the whole.
  const uint32_t whole = crc32(bytes.data(), 5000);
  for (const size_t cut : {1u, 63u, 64u, 65u, 1000u, 4999u}) {
    EXPECT_EQ(crc32(bytes.data() + cut, 5000 - cut, crc32(bytes.data(), cut)), whole) << cut;
  }
}

}  // namespace
}  // namespace tavrin::platform
