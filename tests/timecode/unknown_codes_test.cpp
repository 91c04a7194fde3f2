// fpsCode and rateCode values outside the tables give the fallbacks and nothing worse.
#include <gtest/gtest.h>

#include "timecode/timecode.h"

namespace tavrin::tc {
namespace {

constexpr uint32_t kUnknownCodes[] = {4, 99, 0xFFFFFFFF};

TEST(UnknownFpsCode, GivesFallbacks) {
  for (uint32_t fps : kUnknownCodes) {
    EXPECT_EQ(max_frame_field(fps), 0);
    EXPECT_EQ(frames_per_second(fps), 0);
    EXPECT_EQ(frames_per_hour(fps), 0);
    EXPECT_EQ(frames_per_day(fps, 1), 0);
    EXPECT_FALSE(is_drop_frame(fps, 1));
    Timecode tc{0, 1, 0, 0};
    EXPECT_EQ(timecode_to_frames(fps, 1, tc), kInvalidCount);
    EXPECT_EQ(tc, (Timecode{0, 1, 0, 0}));
    EXPECT_EQ(drop_frame_correction(fps, 1, 1800), -1);
    Timecode out{1, 2, 3, 4};
    EXPECT_FALSE(frames_to_timecode(1800, fps, &out));
    EXPECT_EQ(out, (Timecode{1, 2, 3, 4}));
    EXPECT_EQ(frames_to_display_timecode(fps, 1, 1800), Timecode{});
    EXPECT_EQ(timecode_text(fps, 0, 1800), "00:00:00:00");
    EXPECT_EQ(timecode_text(fps, 1, 1800, TimecodeStyle::kDigits), "00000000");
    int64_t s = 5;
    EXPECT_FALSE(timecode_arithmetic(fps, 0, Timecode{}, Timecode{}, '+', &s));
    EXPECT_EQ(s, 5);
    EXPECT_EQ(count_plus_hours(fps, 0, 1800, 1, '+'), 0);
    EXPECT_EQ(count_plus_hours(fps, 0, 1800, 1, '?'), 1);
    EXPECT_EQ(timecode_plus_one_hour(fps, 0, Timecode{}), 0);
  }
}

TEST(UnknownRateCode, CarriesNoSamples) {
  for (uint32_t rate : {8u, 99u, 0xFFFFFFFFu}) {
    for (CadenceTable table : {CadenceTable::kIndex, CadenceTable::kTimeReference}) {
      EXPECT_EQ(samples_in_frame(rate, 3, table), 0u);
      EXPECT_EQ(samples_per_cadence_group(rate, table), 0u);
      EXPECT_EQ(frame_to_sample_offset(rate, 1000, table), 0u);
    }
    EXPECT_EQ(subframe_unit(rate), 0u);
    EXPECT_EQ(subframe_text(rate, 37), "+000 *0037");
  }
}

}  // namespace
}  // namespace tavrin::tc
