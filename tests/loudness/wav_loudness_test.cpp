// Measuring WAV/BWF files: mono and stereo, 16 and 24 bits, the same numbers as the samples in
// memory; files the program cannot take are refused by their code.
#include <gtest/gtest.h>

#include <vector>

#include "loudness/loudness_codes.h"
#include "loudness/wav_loudness.h"
#include "support/loudness_signals.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::loudness {
namespace {

TEST(WavLoudness, MonoAndStereoAtBothWidths) {
  test::TempDir dir;
  const std::vector<float> left = test::tone_sequence({{-20, 2.5}, {-30, 3.25}});
  const std::vector<float> right = test::tone_sequence({{-26, 5.75}}, 500);
  for (const uint16_t bits : {uint16_t{16}, uint16_t{24}}) {
    const uint16_t width = bits / 8;
    const std::string mono = dir.file("mono" + std::to_string(bits) + ".wav");
    const std::string stereo = dir.file("stereo" + std::to_string(bits) + ".wav");
    ASSERT_TRUE(test::write_signal_wav(mono, 1, bits, left));
    ASSERT_TRUE(test::write_signal_wav(stereo, 2, bits, test::interleave(left, right)));
    platform::NullJobControl control;
    const LoudnessOutcome m = measure_wav_loudness(mono, control);
    ASSERT_EQ(m.code, 0) << bits;
    ASSERT_EQ(m.programmes, std::vector<Programme>{mono_programme(0)});
    EXPECT_EQ(m.frames, left.size());
    const LoudnessMeasurement expected =
        test::reference_measurement(1, test::quantised(left, width));
    EXPECT_NEAR(m.measurements[0].integrated, expected.integrated, 1e-6) << bits;
    EXPECT_NEAR(m.measurements[0].truePeak, expected.truePeak, 1e-6) << bits;
    EXPECT_NEAR(m.measurements[0].maxShortTerm, expected.maxShortTerm, 1e-6) << bits;

    const LoudnessOutcome s = measure_wav_loudness(stereo, control);
    ASSERT_EQ(s.code, 0) << bits;
    ASSERT_EQ(s.programmes, std::vector<Programme>{stereo_programme(0, 1)});
    const LoudnessMeasurement both = test::reference_measurement(
        2, test::interleave(test::quantised(left, width), test::quantised(right, width)));
    EXPECT_NEAR(s.measurements[0].integrated, both.integrated, 1e-6) << bits;
    EXPECT_NEAR(s.measurements[0].range, both.range, 1e-6) << bits;
    EXPECT_NEAR(s.measurements[0].maxMomentary, both.maxMomentary, 1e-6) << bits;
  }
}

TEST(WavLoudness, ProgressCountsSecondsAndAStopEndsWithoutNumbers) {
  test::TempDir dir;
  const std::string path = dir.file("long.wav");
  ASSERT_TRUE(test::write_signal_wav(path, 1, 24, test::tone_sequence({{-23, 3.5}})));
  platform::AtomicJobControl control;
  ASSERT_EQ(measure_wav_loudness(path, control).code, 0);
  EXPECT_EQ(control.total(), 4u);
  EXPECT_EQ(control.done(), 4u);
  control.reset();
  control.request_cancel();
  const LoudnessOutcome stopped = measure_wav_loudness(path, control);
  EXPECT_EQ(stopped.code, loudness_codes::kCancelled);
  EXPECT_TRUE(stopped.measurements.empty());
  EXPECT_EQ(control.done(), 0u);
}

TEST(WavLoudness, RefusalsByCode) {
  test::TempDir dir;
  platform::NullJobControl control;
  EXPECT_EQ(measure_wav_loudness("", control).code, loudness_codes::kWavNoPath);
  EXPECT_EQ(measure_wav_loudness(dir.file("missing.wav"), control).code, loudness_codes::kWavOpen);
  ASSERT_TRUE(test::write_bytes(dir.file("text.wav"), {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(measure_wav_loudness(dir.file("text.wav"), control).code,
            loudness_codes::kWavNotUsable);
  test::WavParams six;
  six.channels = 6;
  ASSERT_TRUE(test::write_wav(dir.file("six.wav"), test::make_wav(six)));
  EXPECT_EQ(measure_wav_loudness(dir.file("six.wav"), control).code, loudness_codes::kWavFormat);
  test::WavParams slow;
  slow.sampleRate = 44100;
  ASSERT_TRUE(test::write_wav(dir.file("slow.wav"), test::make_wav(slow)));
  EXPECT_EQ(measure_wav_loudness(dir.file("slow.wav"), control).code, loudness_codes::kWavFormat);
}

}  // namespace
}  // namespace tavrin::loudness
