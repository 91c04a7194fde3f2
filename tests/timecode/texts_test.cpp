// Timecode and size texts.
#include <gtest/gtest.h>

#include "timecode/timecode.h"

namespace tavrin::tc {
namespace {

TEST(TimecodeText, StylesSeparatorsAndCapacity) {
  EXPECT_EQ(timecode_text(2, 1, 1800), "00:01:00.02");
  EXPECT_EQ(timecode_text(2, 0, 1800), "00:01:00:00");
  EXPECT_EQ(timecode_text(2, 1, 1800, TimecodeStyle::kDigits), "00010002");
  EXPECT_EQ(timecode_text(2, 1, 1800, TimecodeStyle::kSeparated, 6), "00:01");
  EXPECT_EQ(timecode_text(1, 0, 2115000), "23:30:00:00");
  EXPECT_EQ(timecode_text(3, 0, 215999, TimecodeStyle::kDigits), "00595959");
  EXPECT_EQ(timecode_text(1, 0, 2115000, TimecodeStyle::kSeparated, 9), "23:30:00");
  EXPECT_EQ(timecode_text(1, 0, 2115000, TimecodeStyle::kSeparated, 1), "");
  EXPECT_EQ(timecode_text(1, 0, 2115000, TimecodeStyle::kSeparated, 0), "");
  EXPECT_EQ(timecode_text_with(Timecode{1, 2, 3, 4}, ','), "01:02:03,04");
}

TEST(SizeText, UnitBoundariesInSinglePrecision) {
  EXPECT_EQ(size_text(0), "0.00 bytes");
  EXPECT_EQ(size_text(1023), "1023.00 bytes");
  EXPECT_EQ(size_text(1024), "1.00 KB");
  EXPECT_EQ(size_text(1048575), "1024.00 KB");
  EXPECT_EQ(size_text(1048576), "1.00 MB");
  EXPECT_EQ(size_text(1073741823), "1024.00 MB");
  EXPECT_EQ(size_text(1073741824), "1.00 GB");
  EXPECT_EQ(size_text(3ull << 30), "3.00 GB");
  // 1000000.3 GB: a float holds 1000000.3125, a double would print 1000000.30.
  EXPECT_EQ(size_text(1073741824ull * 1000000 + 322122547), "1000000.31 GB");
}

}  // namespace
}  // namespace tavrin::tc
