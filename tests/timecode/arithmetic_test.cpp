// Timecode addition and subtraction across midnight, and the hour shifts built on them.
#include <gtest/gtest.h>

#include "timecode/timecode.h"

namespace tavrin::tc {
namespace {

constexpr uint32_t k24 = 0, k25 = 1, k30 = 2, k60 = 3;

int64_t apply(uint32_t fps, uint32_t drop, Timecode a, Timecode b, char op) {
  int64_t s = -1;
  EXPECT_TRUE(timecode_arithmetic(fps, drop, a, b, op, &s));
  return s;
}

TEST(TimecodeArithmetic, AdditionWrapsOnceAtADay) {
  const Timecode oneFrame{0, 0, 0, 1};
  EXPECT_EQ(apply(k30, 0, {23, 59, 59, 29}, oneFrame, '+'), 0);
  EXPECT_EQ(apply(k30, 0, {23, 59, 59, 28}, oneFrame, '+'), 2591999);
  EXPECT_EQ(apply(k60, 0, {23, 59, 59, 59}, oneFrame, '+'), 0);
  EXPECT_EQ(apply(k30, 1, {23, 59, 59, 29}, oneFrame, '+'), 0);
  EXPECT_EQ(apply(k30, 1, {23, 59, 59, 28}, oneFrame, '+'), 2589407);
  EXPECT_EQ(apply(k60, 1, {23, 59, 59, 59}, oneFrame, '+'), 0);
  EXPECT_EQ(apply(k24, 0, {23, 59, 59, 23}, oneFrame, '+'), 0);
  EXPECT_EQ(apply(k25, 0, {23, 59, 59, 24}, {0, 0, 0, 2}, '*'), 1);         // any op but '-' adds
  EXPECT_EQ(apply(k25, 0, {30, 0, 0, 0}, {30, 0, 0, 0}, '+'), 36 * 90000);  // one day only
}

TEST(TimecodeArithmetic, SubtractionBorrowsADay) {
  EXPECT_EQ(apply(k25, 0, {0, 0, 0, 0}, {1, 0, 0, 0}, '-'), 2070000);
  EXPECT_EQ(timecode_text(k25, 0, 2070000), "23:00:00:00");
  EXPECT_EQ(apply(k30, 1, {0, 0, 0, 0}, {1, 0, 0, 0}, '-'), 2589408 - 107892);
  EXPECT_EQ(apply(k25, 0, {1, 0, 0, 0}, {1, 0, 0, 0}, '-'), 0);
  // A huge hours field borrows without overflowing.
  EXPECT_EQ(apply(k25, 0, {INT32_MAX, 0, 0, 0}, {INT32_MAX, 0, 0, 1}, '-'), 2160000 - 1);
}

TEST(TimecodeArithmetic, InvalidOperandsFail) {
  int64_t s = 77;
  EXPECT_FALSE(timecode_arithmetic(k30, 0, {0, 0, 0, 30}, {0, 0, 0, 1}, '+', &s));
  EXPECT_FALSE(timecode_arithmetic(k30, 0, {0, 0, 0, 1}, {0, 0, 0, 30}, '-', &s));
  EXPECT_FALSE(timecode_arithmetic(k25, 0, {0, 60, 0, 0}, {0, 0, 0, 0}, '+', &s));
  EXPECT_EQ(s, 77);
  EXPECT_TRUE(timecode_arithmetic(k25, 0, {0, 0, 0, 1}, {0, 0, 0, 1}, '+', nullptr));
}

TEST(HourShifts, CountPlusHoursAndPlusOneHour) {
  EXPECT_EQ(count_plus_hours(k30, 1, 1800, 1, '+'), 1800 + 107892);
  EXPECT_EQ(count_plus_hours(k25, 0, 0, 1, '-'), 2070000);
  EXPECT_EQ(count_plus_hours(k25, 0, 2115000, 1, '+'), 45000);
  EXPECT_EQ(count_plus_hours(k25, 0, 100, 1, '*'), 1);
  EXPECT_EQ(count_plus_hours(k25, 0, 100, 0, '+'), 100);
  // A skipped label is counted as the label that follows it.
  EXPECT_EQ(timecode_plus_one_hour(k30, 1, {0, 1, 0, 0}), 107892 + 1800);
  EXPECT_EQ(timecode_plus_one_hour(k25, 0, {23, 30, 0, 0}), 45000);
  EXPECT_EQ(timecode_plus_one_hour(k25, 0, {0, 0, 0, 25}), 0);
}

// The frame numbers of a loaded file: start, start + 1 h, its last frame and that frame - 1 h.
TEST(HourShifts, MediaRangeOfALoadedFile) {
  struct Case {
    uint32_t fps, drop;
    int64_t startFrame, duration, shiftedStart, shiftedEnd, endFrame;
    Timecode shiftedStartTc, endTc;
  };
  const Case cases[] = {
      {k30, 1, 1078920, 1800, 1186812, 1188611, 1080719, {11, 0, 0, 0}, {10, 0, 59, 29}},
      {k25, 0, 2115000, 90000, 45000, 134999, 44999, {0, 30, 0, 0}, {0, 29, 59, 24}},
  };
  for (const Case& c : cases) {
    const Timecode start = frames_to_display_timecode(c.fps, c.drop, c.startFrame);
    const int64_t shiftedStart = timecode_plus_one_hour(c.fps, c.drop, start);
    EXPECT_EQ(shiftedStart, c.shiftedStart);
    EXPECT_EQ(frames_to_display_timecode(c.fps, c.drop, shiftedStart), c.shiftedStartTc);
    const int64_t shiftedEnd = shiftedStart + c.duration - 1;
    EXPECT_EQ(shiftedEnd, c.shiftedEnd);
    const int64_t endFrame = count_plus_hours(c.fps, c.drop, shiftedEnd, 1, '-');
    EXPECT_EQ(endFrame, c.endFrame);
    EXPECT_EQ(frames_to_display_timecode(c.fps, c.drop, endFrame), c.endTc);
  }
}

}  // namespace
}  // namespace tavrin::tc
