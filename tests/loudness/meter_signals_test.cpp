// The meter against the test signals of EBU Tech 3341 (loudness, momentary and short-term
// maxima, true peak) and EBU Tech 3342 (loudness range) that can be generated in code: 1 kHz
// sines at stated levels, stepped levels, and sines whose samples miss their peaks. Each result
// must lie within the tolerance the documents give: +/-0.1 LU for loudness, +/-1 LU for the
// range, +0.2/-0.4 dB for the true peak.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "loudness/meter.h"
#include "loudness/targets.h"
#include "support/loudness_signals.h"

namespace tavrin::loudness {
namespace {

using test::both_channels;
using test::reference_measurement;
using test::sine;
using test::tone_sequence;

LoudnessMeasurement stereo_tones(const std::vector<test::Tone>& tones) {
  return reference_measurement(2, both_channels(tone_sequence(tones)));
}

TEST(MeterLoudness, SteadySinesReadTheirLevelInEveryMeasure) {
  for (const double level : {-23.0, -33.0}) {
    const LoudnessMeasurement m = stereo_tones({{level, 20}});
    EXPECT_NEAR(m.integrated, level, 0.1) << level;
    EXPECT_NEAR(m.maxMomentary, level, 0.1) << level;
    EXPECT_NEAR(m.maxShortTerm, level, 0.1) << level;
  }
}

TEST(MeterLoudness, GatesLeaveOutQuietPassages) {
  // The relative gate drops the -36 dBFS stretches; the absolute gate the -72 dBFS ones.
  EXPECT_NEAR(stereo_tones({{-36, 10}, {-23, 60}, {-36, 10}}).integrated, -23.0, 0.1);
  EXPECT_NEAR(stereo_tones({{-72, 10}, {-36, 10}, {-23, 60}, {-36, 10}, {-72, 10}}).integrated,
              -23.0, 0.1);
  // Both louder and quieter parts above the relative gate count.
  EXPECT_NEAR(stereo_tones({{-26, 20}, {-20, 20.1}, {-26, 20}}).integrated, -23.0, 0.1);
}

TEST(MeterLoudness, MaximaOfTheSlidingWindows) {
  // Levels alternating within one window's length give a steady reading of -23 in that window.
  std::vector<test::Tone> shortTerm;
  for (int i = 0; i < 20; ++i) shortTerm.insert(shortTerm.end(), {{-20, 1.34}, {-30, 1.66}});
  EXPECT_NEAR(stereo_tones(shortTerm).maxShortTerm, -23.0, 0.1);
  std::vector<test::Tone> momentary;
  for (int i = 0; i < 50; ++i) momentary.insert(momentary.end(), {{-20, 0.18}, {-30, 0.22}});
  EXPECT_NEAR(stereo_tones(momentary).maxMomentary, -23.0, 0.1);
}

TEST(MeterLoudness, LoudnessRangeOfSteppedLevels) {
  EXPECT_NEAR(stereo_tones({{-20, 20}, {-30, 20}}).range, 10.0, 1.0);
  EXPECT_NEAR(stereo_tones({{-20, 20}, {-15, 20}}).range, 5.0, 1.0);
  EXPECT_NEAR(stereo_tones({{-40, 20}, {-20, 20}}).range, 20.0, 1.0);
  EXPECT_NEAR(stereo_tones({{-50, 20}, {-35, 20}, {-20, 20}, {-35, 20}, {-50, 20}}).range, 15.0,
              1.0);
}

TEST(MeterLoudness, RangeStatisticGatesAndRanks) {
  // Twenty values from -30 to -11 LUFS: the 10th percentile is the 2nd smallest, the 95th the
  // 19th; the quiet values below the relative gate and the silent ones count for nothing.
  std::vector<double> values;
  for (int i = 0; i < 20; ++i) values.push_back(-30.0 + i);
  EXPECT_DOUBLE_EQ(loudness_range(values), -12.0 - -29.0);
  values.insert(values.end(), {-80.0, -75.0, -60.0, -HUGE_VAL});
  EXPECT_DOUBLE_EQ(loudness_range(values), -12.0 - -29.0);
  EXPECT_EQ(loudness_range({}), 0);
  EXPECT_EQ(loudness_range({-90.0, -HUGE_VAL}), 0);
  EXPECT_EQ(loudness_range({-23.0}), 0);
}

TEST(MeterLoudness, RangeCountsOnlyFullShortTermWindows) {
  // A steady tone has no range, though the first windows, not yet full, read lower.
  EXPECT_NEAR(stereo_tones({{-23, 12}}).range, 0.0, 0.05);
  // Shorter than one window: nothing to take a range of.
  EXPECT_EQ(stereo_tones({{-20, 1}, {-40, 1}}).range, 0);
}

TEST(MeterTruePeak, FindsPeaksBetweenTheSamples) {
  struct Case {
    double frequency;
    double phase;
    double amplitude;
    double expected;  // dBTP
  };
  // Sines at a quarter, sixth and eighth of the sample rate whose samples fall beside the peak;
  // the last one's samples reach full scale while the waveform goes 3 dB above it.
  const Case cases[] = {{12000, 0, 0.5, -6.02},
                        {12000, 45, 0.5, -6.02},
                        {8000, 60, 0.5, -6.02},
                        {6000, 67.5, 0.5, -6.02},
                        {12000, 45, std::sqrt(2.0), 3.01}};
  for (const Case& c : cases) {
    // A sine switched on at full level is a step, and the reconstructed waveform of a step does
    // overshoot: the tone fades in over 100 ms so that only the steady sine's peak is measured.
    std::vector<float> samples = sine(c.amplitude, c.frequency, c.phase, 48000 * 2);
    for (size_t i = 0; i < 4800; ++i) {
      samples[i] *= static_cast<float>(0.5 - 0.5 * std::cos(M_PI * static_cast<double>(i) / 4800));
    }
    float samplePeak = 0;
    for (const float s : samples) samplePeak = std::max(samplePeak, std::fabs(s));
    const double truePeak = reference_measurement(1, samples).truePeak;
    EXPECT_LE(truePeak, c.expected + 0.2) << c.frequency << " Hz at " << c.phase << " degrees";
    EXPECT_GE(truePeak, c.expected - 0.4) << c.frequency << " Hz at " << c.phase << " degrees";
    EXPECT_GE(truePeak, peak_to_db(samplePeak) - 0.01);
  }
}

TEST(MeterEdges, SilenceHasNoLoudnessAndNoPeak) {
  const LoudnessMeasurement m = reference_measurement(2, std::vector<float>(48000 * 4, 0.0f));
  EXPECT_TRUE(std::isinf(m.integrated) && m.integrated < 0);
  EXPECT_TRUE(std::isinf(m.truePeak) && m.truePeak < 0);
  EXPECT_EQ(m.range, 0);
  EXPECT_FALSE(check_against(m, target_of(TargetId::kEbu)).meets());
}

TEST(MeterEdges, ResultDoesNotDependOnHowSamplesArrive) {
  // The 100 ms steps of the sliding windows count from the programme's first sample: frames of
  // 1601 and 1602 samples and one block must give the same maxima.
  std::vector<test::Tone> tones;
  for (int i = 0; i < 12; ++i) tones.insert(tones.end(), {{-18, 0.37}, {-31, 0.91}});
  const std::vector<float> mono = tone_sequence(tones);
  const LoudnessMeasurement whole = reference_measurement(1, mono);
  ProgrammeMeter meter(1, TruePeakMode::kMeasure);
  size_t at = 0;
  for (size_t frame = 0; at < mono.size(); ++frame) {
    const size_t n = std::min<size_t>(frame % 5 % 2 == 0 ? 1602 : 1601, mono.size() - at);
    ASSERT_TRUE(meter.add(mono.data() + at, n));
    at += n;
  }
  const LoudnessMeasurement pieces = meter.result();
  EXPECT_DOUBLE_EQ(pieces.integrated, whole.integrated);
  EXPECT_DOUBLE_EQ(pieces.range, whole.range);
  EXPECT_DOUBLE_EQ(pieces.truePeak, whole.truePeak);
  EXPECT_DOUBLE_EQ(pieces.maxMomentary, whole.maxMomentary);
  EXPECT_DOUBLE_EQ(pieces.maxShortTerm, whole.maxShortTerm);
}

TEST(MeterEdges, RefusesChannelCountsItIsNotBuiltFor) {
  EXPECT_FALSE(ProgrammeMeter(0, TruePeakMode::kMeasure).valid());
  EXPECT_FALSE(ProgrammeMeter(3, TruePeakMode::kMeasure).valid());
  ProgrammeMeter none;
  const float sample = 0;
  EXPECT_FALSE(none.add(&sample, 1));
}

}  // namespace
}  // namespace tavrin::loudness
