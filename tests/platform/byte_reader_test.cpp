#include "platform/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace tavrin::platform {
namespace {

const std::array<uint8_t, 11> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                        0x07, 0x08, 0x09, 0x0A, 0x0B};

TEST(ByteReader, ReadsInTheByteOrderItWasMadeWith) {
  ByteReader big(kBytes, ByteOrder::kBig);
  EXPECT_EQ(big.u16(), 0x0102);
  EXPECT_EQ(big.u32(), 0x03040506u);
  ByteReader little(kBytes, ByteOrder::kLittle);
  EXPECT_EQ(little.u16(), 0x0201);
  EXPECT_EQ(little.u32(), 0x06050403u);
  ByteReader wide(kBytes, ByteOrder::kBig);
  EXPECT_EQ(wide.u64(), 0x0102030405060708ull);
  EXPECT_EQ(wide.offset(), 8u);
  EXPECT_TRUE(wide.ok());
}

TEST(ByteReader, AFailedReadLeavesTheOffsetAndIsSticky) {
  ByteReader r(kBytes, ByteOrder::kBig);
  r.skip(8);
  EXPECT_EQ(r.u32(), 0u);  // only three bytes left
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.offset(), 8u);
  EXPECT_EQ(r.u8(), 0u);  // sticky: even a read that fits now fails
  EXPECT_EQ(r.offset(), 8u);
  r.clear_error();
  EXPECT_EQ(r.u8(), 0x09);
}

TEST(ByteReader, TakeAndSeekStayInsideTheSpan) {
  ByteReader r(kBytes, ByteOrder::kBig);
  EXPECT_EQ(r.take(4).size(), 4u);
  EXPECT_TRUE(r.take(100).empty());
  EXPECT_FALSE(r.ok());
  r.clear_error();
  EXPECT_TRUE(r.seek(11));
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_FALSE(r.seek(12));
  std::array<uint8_t, 2> out{0xAA, 0xAA};
  r.clear_error();
  r.seek(10);
  EXPECT_FALSE(r.bytes(out));
  EXPECT_EQ(out[0], 0xAA);  // nothing written on failure
}

TEST(ByteReader, EmptySpanFailsEveryRead) {
  ByteReader r(std::span<const uint8_t>(), ByteOrder::kLittle);
  EXPECT_EQ(r.u8(), 0u);
  EXPECT_FALSE(r.ok());
}

}  // namespace
}  // namespace tavrin::platform
