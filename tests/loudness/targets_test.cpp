// The delivery targets: each document's numbers, the key the command line names it by, and the
// verdict at the limits (values compared as meters show them, to a tenth).
#include <gtest/gtest.h>

#include <cmath>

#include "loudness/targets.h"

namespace tavrin::loudness {
namespace {

LoudnessMeasurement at(double integrated, double truePeak) {
  LoudnessMeasurement m;
  m.integrated = integrated;
  m.truePeak = truePeak;
  return m;
}

TEST(LoudnessTargets, EachDocumentsNumbersAndKey) {
  const LoudnessTarget& arib = target_of(TargetId::kArib);
  EXPECT_EQ(arib.integrated, -24.0);
  EXPECT_EQ(arib.tolerance, 1.0);
  EXPECT_EQ(arib.maxTruePeak, -1.0);
  const LoudnessTarget& ebu = target_of(TargetId::kEbu);
  EXPECT_EQ(ebu.integrated, -23.0);
  EXPECT_EQ(ebu.tolerance, 0.5);
  EXPECT_EQ(ebu.maxTruePeak, -1.0);
  const LoudnessTarget& atsc = target_of(TargetId::kAtsc);
  EXPECT_EQ(atsc.integrated, -24.0);
  EXPECT_EQ(atsc.tolerance, 2.0);
  EXPECT_EQ(atsc.maxTruePeak, -2.0);
  for (const LoudnessTarget& t : all_targets()) EXPECT_EQ(target_by_key(t.key), t.id);
  EXPECT_FALSE(target_by_key("ARIB").has_value());
  EXPECT_FALSE(target_by_key("").has_value());
}

TEST(LoudnessTargets, VerdictAtTheLimits) {
  const LoudnessTarget& arib = target_of(TargetId::kArib);
  EXPECT_TRUE(check_against(at(-25.0, -1.0), arib).meets());
  EXPECT_TRUE(check_against(at(-23.04, -1.04), arib).meets());  // shown as -23.0 and -1.0
  EXPECT_EQ(check_against(at(-25.1, -3), arib).loudness, LoudnessVerdict::kTooQuiet);
  EXPECT_EQ(check_against(at(-22.9, -3), arib).loudness, LoudnessVerdict::kTooLoud);
  const TargetCheck peak = check_against(at(-24.0, -0.9), arib);
  EXPECT_EQ(peak.loudness, LoudnessVerdict::kWithin);
  EXPECT_FALSE(peak.truePeakOk);
  EXPECT_FALSE(peak.meets());

  const LoudnessTarget& ebu = target_of(TargetId::kEbu);
  EXPECT_TRUE(check_against(at(-23.5, -1.0), ebu).meets());
  EXPECT_FALSE(check_against(at(-23.6, -1.0), ebu).meets());
  EXPECT_NEAR(check_against(at(-23.6, -1.0), ebu).deviation, -0.6, 1e-9);

  const LoudnessTarget& atsc = target_of(TargetId::kAtsc);
  EXPECT_TRUE(check_against(at(-26.0, -2.0), atsc).meets());
  EXPECT_FALSE(check_against(at(-24.0, -1.9), atsc).meets());
}

TEST(LoudnessTargets, SilenceIsTooQuietAndHasNoPeak) {
  const TargetCheck check = check_against(at(-HUGE_VAL, -HUGE_VAL), target_of(TargetId::kEbu));
  EXPECT_EQ(check.loudness, LoudnessVerdict::kTooQuiet);
  EXPECT_TRUE(check.truePeakOk);
  EXPECT_FALSE(check.meets());
  EXPECT_FALSE(check_against(at(NAN, -10), target_of(TargetId::kEbu)).meets());
}

}  // namespace
}  // namespace tavrin::loudness
