// Timecode <-> frame count conversion, drop frame and the rate constants.
#include <gtest/gtest.h>

#include "timecode/timecode.h"

namespace tavrin::tc {
namespace {

constexpr uint32_t k24 = 0, k25 = 1, k30 = 2, k60 = 3;

TEST(TimecodeToFrames, DropFrameCorrectsSkippedLabels) {
  struct Case {
    uint32_t fps;
    Timecode in;
    Timecode corrected;
    int64_t count;
  };
  const Case cases[] = {
      {k30, {0, 1, 0, 0}, {0, 1, 0, 2}, 1800},    {k30, {0, 1, 0, 1}, {0, 1, 0, 2}, 1800},
      {k30, {0, 10, 0, 0}, {0, 10, 0, 0}, 17982}, {k30, {1, 0, 0, 0}, {1, 0, 0, 0}, 107892},
      {k30, {0, 1, 1, 0}, {0, 1, 1, 0}, 1828},    {k30, {10, 0, 0, 0}, {10, 0, 0, 0}, 1078920},
      {k60, {0, 1, 0, 0}, {0, 1, 0, 4}, 3600},    {k60, {0, 1, 0, 3}, {0, 1, 0, 4}, 3600},
      {k60, {1, 0, 0, 0}, {1, 0, 0, 0}, 215784},
  };
  for (const Case& c : cases) {
    Timecode tc = c.in;
    EXPECT_EQ(timecode_to_frames(c.fps, 1, tc), c.count) << c.in.minutes << ":" << c.in.frames;
    EXPECT_EQ(tc, c.corrected);
  }
}

TEST(TimecodeToFrames, NonDropAndFlagIgnoredBelow30) {
  Timecode tc{0, 1, 0, 0};
  EXPECT_EQ(timecode_to_frames(k30, 0, tc), 1800);
  EXPECT_EQ(tc.frames, 0);
  EXPECT_EQ(timecode_to_frames(k25, 1, tc), 1500);
  EXPECT_EQ(timecode_to_frames(k24, 1, tc), 1440);
  Timecode late{100, 0, 0, 0};  // hours are not limited
  EXPECT_EQ(timecode_to_frames(k25, 0, late), 9000000);
}

TEST(TimecodeToFrames, OutOfRangeFieldsAreRefusedUntouched) {
  const uint32_t fpsCodes[] = {k24, k25, k30, k60};
  for (uint32_t fps : fpsCodes) {
    const int32_t top = max_frame_field(fps);
    Timecode ok{0, 0, 0, top};
    EXPECT_EQ(timecode_to_frames(fps, 0, ok), top);
    for (Timecode bad :
         {Timecode{0, 0, 0, top + 1}, Timecode{0, 60, 0, 0}, Timecode{0, 1, 60, 0}}) {
      const Timecode before = bad;
      EXPECT_EQ(timecode_to_frames(fps, 1, bad), kInvalidCount);
      EXPECT_EQ(bad, before);
    }
  }
}

TEST(DropFrame, CorrectionAndNominalCount) {
  EXPECT_EQ(drop_frame_correction(k30, 1, 1799), 0);
  EXPECT_EQ(drop_frame_correction(k30, 1, 1800), 2);
  EXPECT_EQ(drop_frame_correction(k30, 1, 17982), 18);
  EXPECT_EQ(drop_frame_correction(k60, 1, 3600), 4);
  EXPECT_EQ(drop_frame_correction(k30, 0, 1800), 0);
  EXPECT_EQ(drop_frame_correction(k25, 1, 1800), 0);
  EXPECT_EQ(actual_to_nominal(k30, 1, 1800), 1802);
  EXPECT_EQ(actual_to_nominal(k30, 1, 17982), 18000);
  EXPECT_EQ(actual_to_nominal(k30, 1, 2589407), 2591999);
  EXPECT_EQ(actual_to_nominal(k60, 1, 5178815), 5183999);
  EXPECT_EQ(frames_to_display_timecode(k30, 1, 1800), (Timecode{0, 1, 0, 2}));
  EXPECT_EQ(frames_to_display_timecode(k30, 1, 1080719), (Timecode{10, 0, 59, 29}));
  // Extreme counts stay defined (held at the int64 limits).
  EXPECT_EQ(actual_to_nominal(k60, 1, INT64_MAX), INT64_MAX);
  EXPECT_EQ(actual_to_nominal(k60, 1, INT64_MIN), INT64_MIN);
}

// Every actual count of a day shows a label inside the day that counts back to it.
TEST(RoundTrip, EveryCountOfADayAtEveryBase) {
  for (uint32_t fps : {k24, k25, k30, k60}) {
    for (uint32_t drop : {0u, 1u}) {
      if (fps < k30 && drop == 1) continue;  // the flag changes nothing below 30
      const int64_t day = frames_per_day(fps, drop);
      int64_t failures = 0, firstFailure = -1;
      for (int64_t n = 0; n < day; ++n) {
        Timecode tc;
        frames_to_timecode(actual_to_nominal(fps, drop, n), fps, &tc);
        const Timecode shown = tc;
        if (timecode_to_frames(fps, drop, tc) != n || !(tc == shown) || tc.hours > 23) {
          if (failures++ == 0) firstFailure = n;
        }
      }
      EXPECT_EQ(failures, 0) << "fps " << fps << " drop " << drop << " first " << firstFailure;
    }
  }
}

// Every drop-frame label of a day, skipped ones included, counts to the frame that shows it (or
// for a skipped label, the label after it).
TEST(RoundTrip, EveryDropFrameLabelOfADay) {
  for (uint32_t fps : {k30, k60}) {
    const int64_t day = frames_per_day(fps, 1);
    int64_t failures = 0, firstFailure = -1;
    for (int64_t label = 0; label < int64_t{frames_per_hour(fps)} * 24; ++label) {
      Timecode tc;
      frames_to_timecode(label, fps, &tc);
      const int64_t n = timecode_to_frames(fps, 1, tc);
      if (n < 0 || n >= day || !(frames_to_display_timecode(fps, 1, n) == tc)) {
        if (failures++ == 0) firstFailure = label;
      }
    }
    EXPECT_EQ(failures, 0) << "fps " << fps << " first label " << firstFailure;
  }
}

}  // namespace
}  // namespace tavrin::tc
