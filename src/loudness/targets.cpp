#include "loudness/targets.h"

#include <cmath>

namespace tavrin::loudness {

namespace {

// The three documents' numbers; see targets.h for where each comes from.
const std::vector<LoudnessTarget> kTargets = {
    {.id = TargetId::kArib,
     .key = "arib",
     .name = "ARIB TR-B32",
     .unit = "LKFS",
     .integrated = -24.0,
     .tolerance = 1.0,
     .maxTruePeak = -1.0},
    {.id = TargetId::kEbu,
     .key = "ebu",
     .name = "EBU R 128",
     .unit = "LUFS",
     .integrated = -23.0,
     .tolerance = 0.5,
     .maxTruePeak = -1.0},
    {.id = TargetId::kAtsc,
     .key = "atsc",
     .name = "ATSC A/85",
     .unit = "LKFS",
     .integrated = -24.0,
     .tolerance = 2.0,
     .maxTruePeak = -2.0},
};

// Comparisons at the limits are made on values rounded to 0.1 (as meters show them), so that a
// programme shown as -25.0 LKFS meets a -24 +/-1 target and one shown as -25.1 does not.
double tenths(double value) {
  return std::round(value * 10.0) / 10.0;
}

}  // namespace

const std::vector<LoudnessTarget>& all_targets() {
  return kTargets;
}

const LoudnessTarget& target_of(TargetId id) {
  for (const LoudnessTarget& target : kTargets) {
    if (target.id == id) return target;
  }
  return kTargets.front();
}

std::optional<TargetId> target_by_key(std::string_view key) {
  for (const LoudnessTarget& target : kTargets) {
    if (target.key == key) return target.id;
  }
  return std::nullopt;
}

TargetCheck check_against(const LoudnessMeasurement& m, const LoudnessTarget& target) {
  TargetCheck check;
  if (std::isnan(m.integrated) || std::isinf(m.integrated)) {
    check.deviation = -INFINITY;
    check.loudness = LoudnessVerdict::kTooQuiet;
  } else {
    check.deviation = m.integrated - target.integrated;
    const double shown = tenths(m.integrated);
    if (shown < tenths(target.integrated - target.tolerance)) {
      check.loudness = LoudnessVerdict::kTooQuiet;
    } else if (shown > tenths(target.integrated + target.tolerance)) {
      check.loudness = LoudnessVerdict::kTooLoud;
    }
  }
  check.truePeakOk = std::isnan(m.truePeak) ? false : tenths(m.truePeak) <= target.maxTruePeak;
  return check;
}

}  // namespace tavrin::loudness
