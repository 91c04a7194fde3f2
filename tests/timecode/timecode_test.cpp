#include "timecode/timecode.h"

#include <gtest/gtest.h>

namespace tavrin::tc {
namespace {

constexpr uint32_t k24 = 0, k25 = 1, k30 = 2, k60 = 3;

int64_t count(uint32_t fps, uint32_t drop, int h, int m, int s, int f) {
  Timecode t{h, m, s, f};
  return timecode_to_frames(fps, drop, t);
}

TEST(Timecode, DropFrameCountsAtTwentyNineNinetySeven) {
  Timecode skipped{0, 1, 0, 0};
  EXPECT_EQ(timecode_to_frames(k30, 1, skipped), 1800);
  EXPECT_EQ(skipped.frames, 2);  // the label that does not exist is moved to the first that does
  EXPECT_EQ(count(k30, 1, 0, 10, 0, 0), 17982);
  EXPECT_EQ(count(k30, 1, 1, 0, 0, 0), 107892);
  EXPECT_EQ(count(k30, 1, 10, 0, 0, 0), 1078920);
  EXPECT_EQ(actual_to_nominal(k30, 1, 1800), 1802);
  EXPECT_EQ(timecode_text(k30, 1, 1800), "00:01:00.02");
  EXPECT_EQ(timecode_text(k30, 0, 1800), "00:01:00:00");
  EXPECT_EQ(timecode_text(k30, 1, 1800, TimecodeStyle::kDigits), "00010002");
}

TEST(Timecode, DropFrameCountsAtFiftyNineNinetyFour) {
  Timecode skipped{0, 1, 0, 0};
  EXPECT_EQ(timecode_to_frames(k60, 1, skipped), 3600);
  EXPECT_EQ(skipped.frames, 4);
  EXPECT_EQ(count(k60, 1, 1, 0, 0, 0), 215784);
  EXPECT_EQ(frames_per_day(k60, 1), 5178816);
}

TEST(Timecode, FieldsOutOfRangeAreInvalid) {
  EXPECT_EQ(count(k30, 0, 0, 0, 0, 30), kInvalidCount);
  EXPECT_EQ(count(k25, 0, 0, 60, 0, 0), kInvalidCount);
  EXPECT_EQ(count(k24, 0, 0, 0, 60, 0), kInvalidCount);
  EXPECT_EQ(count(k24, 0, 0, 0, 0, 23), 23);
  EXPECT_EQ(count(k25, 0, 30, 0, 0, 0), 30 * 90000);  // hours are not limited
  int64_t result = 0;
  EXPECT_FALSE(timecode_arithmetic(k30, 0, Timecode{0, 0, 0, 30}, Timecode{}, '+', &result));
}

TEST(Timecode, AdditionWrapsOnceAtADay) {
  int64_t result = -1;
  ASSERT_TRUE(timecode_arithmetic(k30, 0, Timecode{23, 59, 59, 29}, Timecode{0, 0, 0, 1}, '+',
                                  &result));
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(timecode_arithmetic(k60, 0, Timecode{23, 59, 59, 59}, Timecode{0, 0, 0, 1}, '+',
                                  &result));
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(timecode_arithmetic(k30, 1, Timecode{23, 59, 59, 29}, Timecode{0, 0, 0, 1}, '+',
                                  &result));
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(timecode_arithmetic(k25, 0, Timecode{0, 0, 0, 0}, Timecode{1, 0, 0, 0}, '-',
                                  &result));
  EXPECT_EQ(result, 2070000);  // 23:00:00:00
  EXPECT_EQ(timecode_text(k25, 0, result), "23:00:00:00");
}

TEST(Timecode, HoursAddedToCountsAndOneHourLater) {
  // 10:00:00;00 plus one hour at 29.97 drop frame is 11:00:00;00.
  EXPECT_EQ(timecode_plus_one_hour(k30, 1, Timecode{10, 0, 0, 0}), 1186812);
  EXPECT_EQ(count_plus_hours(k30, 1, 1188611, 1, '-'), 1080719);
  EXPECT_EQ(timecode_text(k30, 1, 1080719), "10:00:59.29");
  // 23:30:00:00 at 25 fps moves past midnight.
  EXPECT_EQ(timecode_plus_one_hour(k25, 0, Timecode{23, 30, 0, 0}), 45000);
  EXPECT_EQ(count_plus_hours(k25, 0, 134999, 1, '-'), 44999);
  EXPECT_EQ(count_plus_hours(k25, 0, 100, 1, '*'), 1);
  EXPECT_EQ(count_plus_hours(9, 0, 100, 1, '+'), 0);
}

TEST(Timecode, EveryCountOfADayRoundTripsAtEveryRate) {
  for (uint32_t fps = 0; fps < 4; ++fps) {
    for (uint32_t drop = 0; drop < 2; ++drop) {
      const int64_t day = frames_per_day(fps, drop);
      const int64_t step = fps == k60 ? 3 : 1;  // keep the sanitizer run quick
      for (int64_t n = 0; n < day; n += step) {
        Timecode t;
        ASSERT_TRUE(frames_to_timecode(actual_to_nominal(fps, drop, n), fps, &t));
        const Timecode shown = t;
        ASSERT_EQ(timecode_to_frames(fps, drop, t), n) << "fps " << fps << " drop " << drop;
        ASSERT_EQ(shown, t) << "a shown label must exist";
      }
    }
  }
}

TEST(Timecode, UnknownCodesNeverLoopOrIndexOutside) {
  for (const uint32_t fps : {4u, 99u, 0xFFFFFFFFu}) {
    Timecode t{1, 2, 3, 4};
    EXPECT_EQ(timecode_to_frames(fps, 1, t), kInvalidCount);
    EXPECT_EQ(drop_frame_correction(fps, 1, 1000), -1);
    EXPECT_FALSE(frames_to_timecode(1000, fps, &t));
    EXPECT_EQ(timecode_text(fps, 0, 123456), "00:00:00:00");
    EXPECT_EQ(frames_per_day(fps, 0), 0);
    EXPECT_EQ(max_frame_field(fps), 0);
  }
  for (const uint32_t rate : {8u, 99u, 0xFFFFFFFFu}) {
    EXPECT_EQ(samples_in_frame(rate, 3), 0u);
    EXPECT_EQ(frame_to_sample_offset(rate, 1000000), 0u);
    EXPECT_EQ(subframe_unit(rate), 0u);
    EXPECT_EQ(subframe_text(rate, 77), "+000 *0077");
  }
}

TEST(Cadence, FiveFrameGroupsOfEveryRate) {
  const uint32_t expected[] = {1602, 1601, 1602, 1601, 1602, 1602, 1601, 1602, 1601, 1602};
  for (uint64_t k = 0; k < 10; ++k) EXPECT_EQ(samples_in_frame(6, k), expected[k]);
  EXPECT_EQ(frame_to_sample_offset(6, 5), 8008u);
  EXPECT_EQ(frame_to_sample_offset(6, 3), 4805u);
  EXPECT_EQ(samples_per_cadence_group(7), 4004u);
  EXPECT_EQ(samples_per_cadence_group(4), 10010u);
  EXPECT_EQ(samples_per_cadence_group(5), 0u);
  EXPECT_EQ(samples_per_cadence_group(5, CadenceTable::kTimeReference), 9600u);
  EXPECT_EQ(samples_in_frame(7, 2), 800u);
}

TEST(Texts, SubFramesAndSizes) {
  EXPECT_EQ(subframe_text(0, 30), "+001 *0010");
  EXPECT_EQ(subframe_text(1, 1919), "+101 *0000");
  EXPECT_EQ(subframe_text(6, 1601), "+100 *0001");
  EXPECT_EQ(size_text(1023), "1023.00 bytes");
  EXPECT_EQ(size_text(1024), "1.00 KB");
  EXPECT_EQ(size_text(1048576), "1.00 MB");
  EXPECT_EQ(size_text(1073741824), "1.00 GB");
  EXPECT_EQ(size_text(3ull << 30), "3.00 GB");
  EXPECT_EQ(timecode_text(k30, 1, 1800, TimecodeStyle::kSeparated, 6), "00:01");
}

}  // namespace
}  // namespace tavrin::tc
