// Measuring the tracks of an analysed MXF fixture whose tracks carry known signals: the numbers
// equal those of the same samples measured in memory (so every sample came from the right
// element of the right frame), over ranges that cross partitions, at 16 and 24 bits; damaged
// elements, bad requests and a stop at an exact frame end the job without a number.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

#include "loudness/loudness_codes.h"
#include "loudness/mxf_loudness.h"
#include "support/job_controls.h"
#include "support/loudness_signals.h"
#include "support/temp_dir.h"

namespace tavrin::loudness {
namespace {

using test::AnalysedFixture;
using test::CancelAtFrame;
using test::Tone;

void expect_same(const LoudnessMeasurement& a, const LoudnessMeasurement& b, const char* what) {
  EXPECT_NEAR(a.integrated, b.integrated, 1e-6) << what;
  EXPECT_NEAR(a.range, b.range, 1e-6) << what;
  EXPECT_NEAR(a.truePeak, b.truePeak, 1e-6) << what;
  EXPECT_NEAR(a.maxMomentary, b.maxMomentary, 1e-6) << what;
  EXPECT_NEAR(a.maxShortTerm, b.maxShortTerm, 1e-6) << what;
}

test::MxfFixtureOptions small_options(uint64_t frames) {
  test::MxfFixtureOptions options;
  options.trackCount = 4;
  options.pictureSize = 256;
  options.frameCount = frames;
  return options;
}

// Four tracks of different programme: steady tones at -23 and -30, a stepped one, and a tone on
// track 4 that is loud only in the first and last two seconds.
std::vector<std::vector<float>> four_signals(double seconds) {
  return {test::tone_sequence({{-23, seconds}}, 1000), test::tone_sequence({{-30, seconds}}, 440),
          test::tone_sequence({{-20, seconds / 2}, {-32, seconds / 2}}, 2000),
          test::tone_sequence({{-6, 2}, {-40, seconds - 4}, {-6, 2}}, 700)};
}

class MxfLoudness : public ::testing::Test {
 protected:
  test::TempDir dir;

  std::unique_ptr<AnalysedFixture> fixture(const test::MxfFixtureOptions& options,
                                           const std::vector<std::vector<float>>& signals) {
    auto f = test::make_signal_fixture(dir.file("loud.mxf"), options, signals);
    EXPECT_TRUE(f && f->loaded()) << (f ? f->failureText : "not written");
    return f;
  }

  MxfLoudnessJob job_of(const AnalysedFixture& f, uint32_t first, uint32_t last,
                        std::vector<Programme> programmes) {
    MxfLoudnessJob job;
    job.mxfPath = f.path;
    job.mxf = &f.records.base;
    job.in = {f.records.timecode.startFrame + first, f.records.timecode.shiftedStart + first};
    job.out = {f.records.timecode.startFrame + last, f.records.timecode.shiftedStart + last};
    job.programmes = std::move(programmes);
    return job;
  }
};

TEST_F(MxfLoudness, WholeFileEveryTrackAndThePairAsInMemory) {
  const uint64_t frames = 360;  // about 12 s
  const std::vector<std::vector<float>> signals = four_signals(12.1);
  const auto f = fixture(small_options(frames), signals);
  ASSERT_TRUE(f && f->loaded());
  MxfLoudnessJob job;
  job.mxfPath = f->path;
  job.mxf = &f->records.base;
  job.in = whole_file_in(f->records.timecode);
  job.out = whole_file_out(f->records.timecode);
  job.programmes = default_programmes(4);
  ASSERT_EQ(job.programmes.size(), 5u);
  CancelAtFrame control;
  const LoudnessOutcome outcome = measure_mxf_loudness(job, control);
  ASSERT_EQ(outcome.code, 0);
  ASSERT_EQ(outcome.measurements.size(), 5u);
  EXPECT_EQ(outcome.frames, frames);
  EXPECT_EQ(control.total(), frames);
  EXPECT_EQ(control.done(), frames);
  EXPECT_EQ(control.totals_set(), 1u);
  EXPECT_EQ(control.went_backwards(), 0u);

  std::vector<std::vector<float>> tracks;
  for (size_t t = 0; t < 4; ++t) {
    tracks.push_back(test::fixture_track_samples(*f, signals[t], 0, frames - 1));
    expect_same(outcome.measurements[t], test::reference_measurement(1, tracks[t]),
                ("track " + std::to_string(t + 1)).c_str());
  }
  expect_same(outcome.measurements[4],
              test::reference_measurement(2, test::interleave(tracks[0], tracks[1])), "pair 1+2");
  // A mono sine at -23 dBFS reads 3 dB below the same sine on both channels of a pair.
  EXPECT_NEAR(outcome.measurements[0].integrated, -26.0, 0.1);
  EXPECT_NEAR(outcome.measurements[0].truePeak, -23.0, 0.2);
}

TEST_F(MxfLoudness, RangeAcrossPartitionsAndWorkerCountsGiveTheSameNumbers) {
  test::MxfFixtureOptions options = small_options(300);
  options.framesPerPartition = 70;  // frames 65 .. 234 cross two partition boundaries
  const std::vector<std::vector<float>> signals = four_signals(10.1);
  const auto f = fixture(options, signals);
  ASSERT_TRUE(f && f->loaded());
  ASSERT_GE(f->layout.partitions.size(), 6u);
  const std::vector<Programme> programmes = {mono_programme(3), stereo_programme(2, 0)};
  MxfLoudnessJob job = job_of(*f, 65, 234, programmes);
  platform::NullJobControl control;
  job.workers = 1;
  const LoudnessOutcome one = measure_mxf_loudness(job, control);
  job.workers = 3;
  const LoudnessOutcome three = measure_mxf_loudness(job, control);
  ASSERT_EQ(one.code, 0);
  ASSERT_EQ(three.code, 0);
  const std::vector<float> t4 = test::fixture_track_samples(*f, signals[3], 65, 234);
  const std::vector<float> t3 = test::fixture_track_samples(*f, signals[2], 65, 234);
  const std::vector<float> t1 = test::fixture_track_samples(*f, signals[0], 65, 234);
  expect_same(one.measurements[0], test::reference_measurement(1, t4), "track 4");
  expect_same(one.measurements[1], test::reference_measurement(2, test::interleave(t3, t1)),
              "pair 3+1");
  for (size_t m = 0; m < 2; ++m) expect_same(one.measurements[m], three.measurements[m], "workers");
  // The loud seconds at the ends of track 4 lie outside the range.
  EXPECT_LT(one.measurements[0].truePeak, -30.0);
}

TEST_F(MxfLoudness, SixteenBitTracks) {
  test::MxfFixtureOptions options = small_options(200);
  options.quantizationBits = 16;
  options.blockAlign = 2;
  const std::vector<std::vector<float>> signals = {test::tone_sequence({{-20, 7}})};
  const auto f = fixture(options, signals);
  ASSERT_TRUE(f && f->loaded());
  ASSERT_EQ(f->records.audio.blockAlign, 2);
  platform::NullJobControl control;
  const LoudnessOutcome outcome =
      measure_mxf_loudness(job_of(*f, 0, 199, {mono_programme(0), mono_programme(1)}), control);
  ASSERT_EQ(outcome.code, 0);
  expect_same(outcome.measurements[0],
              test::reference_measurement(1, test::fixture_track_samples(*f, signals[0], 0, 199)),
              "16-bit track 1");
  EXPECT_NEAR(outcome.measurements[0].integrated, -23.0, 0.1);
  EXPECT_TRUE(std::isinf(outcome.measurements[1].integrated));  // a silent track
}

TEST_F(MxfLoudness, DamagedElementsAreRefusedWithTheElementCheck) {
  {
    // In frame 57 the elements of tracks 1 and 2 change places: measuring track 2 finds track
    // 1's element where the index points.
    test::MxfFixtureOptions options = small_options(120);
    options.swapSoundFrame = 57;
    const auto f = fixture(options, {});
    ASSERT_TRUE(f && f->loaded());
    platform::NullJobControl control;
    const LoudnessOutcome outcome =
        measure_mxf_loudness(job_of(*f, 0, 119, {mono_programme(1)}), control);
    EXPECT_EQ(outcome.code, loudness_codes::kElement);
    EXPECT_EQ(outcome.fault, ElementFault::kOtherElement);
    EXPECT_EQ(outcome.faultFrame, 57u);
    EXPECT_TRUE(outcome.measurements.empty());
    // Outside the range the damage is not read.
    EXPECT_EQ(measure_mxf_loudness(job_of(*f, 60, 119, {mono_programme(1)}), control).code, 0);
  }
  {
    // A key byte of track 3's element in frame 9 overwritten on disk.
    const auto f = fixture(small_options(60), {});
    ASSERT_TRUE(f && f->loaded());
    std::fstream file(f->path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(f->layout.frames[9].soundKey[2] + 4));
    file.put('\x55');
    file.close();
    platform::NullJobControl control;
    const LoudnessOutcome outcome =
        measure_mxf_loudness(job_of(*f, 0, 59, {stereo_programme(2, 3)}), control);
    EXPECT_EQ(outcome.code, loudness_codes::kElement);
    EXPECT_EQ(outcome.fault, ElementFault::kNotSound);
    EXPECT_EQ(outcome.faultFrame, 9u);
    EXPECT_TRUE(outcome.measurements.empty());
  }
}

TEST_F(MxfLoudness, StopAtAnExactFrame) {
  const auto f = fixture(small_options(300), four_signals(10.1));
  ASSERT_TRUE(f && f->loaded());
  for (const uint32_t k : {0u, 1u, 127u, 128u, 211u}) {
    CancelAtFrame control(k);
    const LoudnessOutcome outcome =
        measure_mxf_loudness(job_of(*f, 0, 299, default_programmes(4)), control);
    EXPECT_EQ(outcome.code, loudness_codes::kCancelled) << k;
    EXPECT_TRUE(outcome.measurements.empty()) << k;
    EXPECT_EQ(control.times_asked(), k + 1) << "asked again after the stop at " << k;
    EXPECT_EQ(control.done(), k) << "frames read before the stop at " << k;
    EXPECT_EQ(control.total(), 300u);
  }
}

TEST_F(MxfLoudness, RefusesWhatItCannotMeasure) {
  const auto f = fixture(small_options(40), {});
  ASSERT_TRUE(f && f->loaded());
  platform::NullJobControl control;
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 0, 39, {}), control).code,
            loudness_codes::kNoProgramme);
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 0, 39, {mono_programme(4)}), control).code,
            loudness_codes::kNoProgramme);
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 0, 39, {stereo_programme(1, 1)}), control).code,
            loudness_codes::kNoProgramme);
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 10, 9, {mono_programme(0)}), control).code,
            loudness_codes::kBadRange);
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 0, 40, {mono_programme(0)}), control).code,
            loudness_codes::kBadRange);
  MxfLoudnessJob job = job_of(*f, 0, 39, {mono_programme(0)});
  job.mxf = nullptr;
  EXPECT_EQ(measure_mxf_loudness(job, control).code, loudness_codes::kNoBase);
  job = job_of(*f, 0, 39, {mono_programme(0)});
  job.mxfPath.clear();
  EXPECT_EQ(measure_mxf_loudness(job, control).code, loudness_codes::kNoPath);
  // A file that grew since the analysis.
  std::ofstream(f->path, std::ios::app | std::ios::binary).put('\0');
  EXPECT_EQ(measure_mxf_loudness(job_of(*f, 0, 39, {mono_programme(0)}), control).code,
            loudness_codes::kFileChanged);
}

TEST_F(MxfLoudness, PairTakesItsTruePeakFromItsTracksOrMeasuresIt) {
  // Track 2 peaks higher than track 1; a pair measured with and without its tracks alone has the
  // same true peak, the larger of the two.
  const std::vector<std::vector<float>> signals = {test::tone_sequence({{-12, 4}}, 997),
                                                   test::tone_sequence({{-4, 4}}, 5000)};
  const auto f = fixture(small_options(130), signals);
  ASSERT_TRUE(f && f->loaded());
  platform::NullJobControl control;
  const LoudnessOutcome alone =
      measure_mxf_loudness(job_of(*f, 0, 129, {stereo_programme(0, 1)}), control);
  const LoudnessOutcome with =
      measure_mxf_loudness(job_of(*f, 0, 129, default_programmes(2)), control);
  ASSERT_EQ(alone.code, 0);
  ASSERT_EQ(with.code, 0);
  EXPECT_NEAR(alone.measurements[0].truePeak, with.measurements[2].truePeak, 1e-9);
  EXPECT_NEAR(with.measurements[2].truePeak, with.measurements[1].truePeak, 1e-9);
  EXPECT_NEAR(with.measurements[2].truePeak, -4.0, 0.3);
}

}  // namespace
}  // namespace tavrin::loudness
