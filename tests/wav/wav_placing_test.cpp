// Placing start and end of a file on the frame grid of the loaded MXF file.
#include <gtest/gtest.h>

#include "wav/wav_placing.h"
#include "wav_test_grid.h"

namespace tavrin {
namespace {

// A record as the reader leaves it: start, data size and block.
WAV_FILE_INFO record(uint64_t startSample, uint64_t sampleFrames, uint16_t blockAlign = 4) {
  WAV_FILE_INFO info;
  info.start_sample = startSample;
  info.block_align = blockAlign;
  info.data_size = static_cast<uint32_t>(sampleFrames * blockAlign);
  return info;
}

struct Placed {
  uint32_t frame, subframe, remainder;
  friend bool operator==(const Placed&, const Placed&) = default;
};
Placed start_of(const WAV_FILE_INFO& i) {
  return {i.start_frame, i.start_subframe, i.start_remainder};
}
Placed end_of(const WAV_FILE_INFO& i) {
  return {i.end_frame, i.end_subframe, i.end_remainder};
}
std::ostream& operator<<(std::ostream& out, const Placed& p) {
  return out << p.frame << " +" << p.subframe << " *" << p.remainder;
}

TEST(WavPlacing, WorkedCasesAt24FramesPerSecond) {
  const test::Grid grid = test::grid24();
  WAV_FILE_INFO plain = record(0, 96000);
  ASSERT_EQ(place_wav_timecodes(&plain, grid.get()), 0);
  EXPECT_EQ(plain.end_sample, 96000u);
  EXPECT_EQ(start_of(plain), (Placed{0, 0, 0}));
  EXPECT_EQ(end_of(plain), (Placed{48, 0, 0}));
  EXPECT_EQ(plain.duration_frames, 48u);

  WAV_FILE_INFO bwf = record(2030, 96000);
  ASSERT_EQ(place_wav_timecodes(&bwf, grid.get()), 0);
  EXPECT_EQ(start_of(bwf), (Placed{1, 1, 10}));
  EXPECT_EQ(end_of(bwf), (Placed{49, 1, 10}));
  EXPECT_EQ(bwf.duration_frames, 48u);
}

TEST(WavPlacing, SubframeUnitsFollowTheRate) {
  // One frame and 39 samples in: units of 19 at 25 and 25000/1001 (1920 samples a frame at
  // both), 16 at 30000/1001, 8 at 60000/1001.
  struct Case {
    uint32_t rateCode, fpsCode;
    uint64_t start;
    Placed expected;
  };
  for (const Case& c : {Case{1, 1, 1920 + 39, {1, 2, 1}}, Case{5, 1, 1920 + 39, {1, 2, 1}},
                        Case{6, 2, 1602 + 39, {1, 2, 7}}, Case{7, 3, 801 + 39, {1, 4, 7}},
                        Case{6, 2, 8008 * 3 + 1602 + 1601, {2 + 15, 0, 0}}}) {
    const test::Grid grid(c.rateCode, c.fpsCode, 0);
    WAV_FILE_INFO info = record(c.start, 0);
    ASSERT_EQ(place_wav_timecodes(&info, grid.get()), 0);
    EXPECT_EQ(start_of(info), c.expected) << "rate code " << c.rateCode;
  }
}

TEST(WavPlacing, AnEndOneSampleShortOfABoundaryIsRoundedAt2997And5994Only) {
  // 29.97: five frames hold 8008 samples; an end at 8007 lies on frame 5, a start there does not.
  const test::Grid ntsc(6, 2, 1);
  WAV_FILE_INFO a = record(8007, 0);
  ASSERT_EQ(place_wav_timecodes(&a, ntsc.get()), 0);
  EXPECT_EQ(start_of(a), (Placed{4, 100, 1}));
  EXPECT_EQ(end_of(a), (Placed{5, 0, 0}));
  EXPECT_EQ(a.end_sample, 8007u);
  WAV_FILE_INFO twoShort = record(0, 8006);
  ASSERT_EQ(place_wav_timecodes(&twoShort, ntsc.get()), 0);
  EXPECT_EQ(end_of(twoShort), (Placed{4, 100, 0}));

  // 59.94: 801, 801, 800, 801, 801. One short of the end of an 801-sample frame rounds; one
  // short of the end of the 800-sample frame does not.
  const test::Grid ntsc60(7, 3, 1);
  WAV_FILE_INFO long801 = record(0, 800);
  ASSERT_EQ(place_wav_timecodes(&long801, ntsc60.get()), 0);
  EXPECT_EQ(end_of(long801), (Placed{1, 0, 0}));
  WAV_FILE_INFO short800 = record(0, 2401);
  ASSERT_EQ(place_wav_timecodes(&short800, ntsc60.get()), 0);
  EXPECT_EQ(end_of(short800), (Placed{2, 99, 7}));

  // No rounding at 30 frames per second.
  const test::Grid thirty(2, 2, 0);
  WAV_FILE_INFO exact = record(0, 1599);
  ASSERT_EQ(place_wav_timecodes(&exact, thirty.get()), 0);
  EXPECT_EQ(end_of(exact), (Placed{0, 99, 15}));
}

TEST(WavPlacing, PositionsPastADayFoldOnceAndPastTheWalkBoundAreNotPlaced) {
  const test::Grid grid = test::grid24();
  const uint64_t day = 2'073'600ULL * 2000;  // samples in 24 hours at 24 frames per second
  WAV_FILE_INFO next = record(day + 2030, 0);
  ASSERT_EQ(place_wav_timecodes(&next, grid.get()), 0);
  EXPECT_EQ(start_of(next), (Placed{1, 1, 10}));
  WAV_FILE_INFO twoDays = record(2 * day + 2030, 0);  // within 5,184,000 frames: folded once only
  ASSERT_EQ(place_wav_timecodes(&twoDays, grid.get()), 0);
  EXPECT_EQ(start_of(twoDays), (Placed{2'073'600 + 1, 1, 10}));

  // At 60 frames per second (800 samples) the bound is exactly 24 hours.
  const test::Grid sixty(3, 3, 0);
  const uint64_t bound = uint64_t{kPlacingFrameBound} * 800;
  WAV_FILE_INFO atBound = record(bound, 0);
  ASSERT_EQ(place_wav_timecodes(&atBound, sixty.get()), 0);
  EXPECT_EQ(start_of(atBound), (Placed{0, 0, 0}));  // 24:00:00:00 folds to midnight
  EXPECT_EQ(atBound.end_sample, bound);

  WAV_FILE_INFO past = record(bound + 1, 10);
  past.start_frame = 7;  // fields of a position that is not placed keep their value
  ASSERT_EQ(place_wav_timecodes(&past, sixty.get()), 0);
  EXPECT_EQ(start_of(past), (Placed{7, 0, 0}));
  EXPECT_EQ(end_of(past), (Placed{0, 0, 0}));
  EXPECT_EQ(past.end_sample, 0u);
  EXPECT_EQ(past.start_sample, bound + 1);
}

TEST(WavPlacing, AFileStartingInHour23CountsItsLengthAcrossMidnight) {
  const test::Grid pal(1, 1, 0);  // 25 frames per second, 1920 samples a frame
  const uint64_t start = (23ULL * 3600 + 59 * 60) * 25;    // 23:59:00:00
  WAV_FILE_INFO info = record(start * 1920, 3000 * 1920);  // two minutes
  ASSERT_EQ(place_wav_timecodes(&info, pal.get()), 0);
  EXPECT_EQ(info.starts_in_hour_23, 1u);
  EXPECT_EQ(info.start_frame, start);
  EXPECT_EQ(info.end_frame, 1500u);  // 00:01:00:00 after folding
  EXPECT_EQ(info.duration_frames, 3000u);

  WAV_FILE_INFO before23 = record((22ULL * 3600) * 25 * 1920, 0);
  ASSERT_EQ(place_wav_timecodes(&before23, pal.get()), 0);
  EXPECT_EQ(before23.starts_in_hour_23, 0u);
}

TEST(WavPlacing, DropFrameDaysFoldByTheirActualLength) {
  // 29.97 drop frame: a day holds 2,589,408 frames, so frame 2,589,412 is 24:00:00.04 and folds
  // to frame 4. Frames start at (k div 5) x 8008 + the cadence entries before k mod 5.
  const test::Grid ntsc(6, 2, 1);
  const uint64_t frame = 2'589'412;
  WAV_FILE_INFO info = record((frame / 5) * 8008 + 1602 + 1601, 0);
  ASSERT_EQ(place_wav_timecodes(&info, ntsc.get()), 0);
  EXPECT_EQ(start_of(info), (Placed{4, 0, 0}));
  EXPECT_EQ(info.starts_in_hour_23, 0u);
}

TEST(WavPlacing, MissingRecordsAndUnknownRates) {
  const test::Grid grid = test::grid24();
  WAV_FILE_INFO info = record(0, 10);
  EXPECT_EQ(place_wav_timecodes(nullptr, grid.get()), 1);
  EXPECT_EQ(place_wav_timecodes(&info, nullptr), 1);
  const test::Grid unknown(8, 0, 0);
  EXPECT_EQ(place_wav_timecodes(&info, unknown.get()), 3);
  WAV_FILE_INFO noBlock = record(0, 10);
  noBlock.block_align = 0;
  ASSERT_EQ(place_wav_timecodes(&noBlock, grid.get()), 0);
  EXPECT_EQ(noBlock.end_sample, 0u);
}

}  // namespace
}  // namespace tavrin
