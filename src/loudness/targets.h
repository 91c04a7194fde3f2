// The delivery targets an operator checks a programme against, as data: the target programme
// loudness, the deviation the document permits around it, and the highest true peak it allows.
//
//   ARIB TR-B32 (Japan)   -24 LKFS, +/-1 dB, true peak at most -1 dBTP
//   EBU R 128 (Europe)    -23 LUFS, +/-0.5 LU (the deviation allowed where normalisation is
//                         practicable; live programmes may take +/-1 LU), at most -1 dBTP
//   ATSC A/85 (USA)       -24 LKFS, +/-2 dB, true peak at most -2 dBTP
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "loudness/measurement.h"

namespace tavrin::loudness {

enum class TargetId { kArib, kEbu, kAtsc };

struct LoudnessTarget {
  TargetId id = TargetId::kArib;
  std::string_view key;    // as the command line names it: "arib", "ebu", "atsc"
  std::string_view name;   // "ARIB TR-B32", "EBU R 128", "ATSC A/85"
  std::string_view unit;   // the unit the document writes loudness in: "LKFS" or "LUFS"
  double integrated = 0;   // target programme loudness
  double tolerance = 0;    // permitted deviation either side of the target, LU
  double maxTruePeak = 0;  // dBTP
};

const LoudnessTarget& target_of(TargetId id);
const std::vector<LoudnessTarget>& all_targets();
// The target a command-line key names ("arib", "ebu", "atsc"), case as written.
std::optional<TargetId> target_by_key(std::string_view key);

// How a measurement stands against a target. A programme meets the target when its integrated
// loudness lies within the tolerance (ends included) and its true peak does not exceed the limit.
// A silent programme (integrated loudness minus infinity) is too quiet.
enum class LoudnessVerdict { kWithin, kTooQuiet, kTooLoud };
struct TargetCheck {
  LoudnessVerdict loudness = LoudnessVerdict::kWithin;
  bool truePeakOk = true;
  double deviation = 0;  // integrated - target, LU (minus infinity for silence)

  bool meets() const { return loudness == LoudnessVerdict::kWithin && truePeakOk; }
};
TargetCheck check_against(const LoudnessMeasurement& m, const LoudnessTarget& target);

}  // namespace tavrin::loudness
