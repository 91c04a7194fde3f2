// What one loudness measurement of a programme gives: the gated integrated loudness of ITU-R
// BS.1770-4, the loudness range of EBU Tech 3342, the maximum true peak, and the largest momentary
// (400 ms) and short-term (3 s) loudness of EBU Tech 3341, taken every 100 ms.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tavrin::loudness {

// Loudness values are in LUFS (LKFS), the range in LU, the true peak in dBTP. A programme whose
// every block lies below the absolute gate has an integrated loudness of minus infinity; digital
// silence has a true peak of minus infinity.
struct LoudnessMeasurement {
  double integrated = 0;
  double range = 0;
  double truePeak = 0;
  double maxMomentary = 0;
  double maxShortTerm = 0;
};

// A programme: one track measured alone (a mono programme, the channel weighted 1.0) or two tracks
// measured as the left and right channel of a stereo programme. Tracks count from 0.
enum class ProgrammeKind { kMono, kStereo };
struct Programme {
  ProgrammeKind kind = ProgrammeKind::kMono;
  std::array<size_t, 2> tracks{};  // [1] only for stereo

  size_t channels() const { return kind == ProgrammeKind::kStereo ? 2 : 1; }
  bool operator==(const Programme&) const = default;
};

inline Programme mono_programme(size_t track) {
  return {ProgrammeKind::kMono, {track, track}};
}
inline Programme stereo_programme(size_t left, size_t right) {
  return {ProgrammeKind::kStereo, {left, right}};
}

// The operator's default: every track alone, then tracks 1 and 2 as a pair when the file has two.
std::vector<Programme> default_programmes(size_t trackCount);

// "Track-1" for a mono programme, "Track-1+2" for a pair (numbers from 1, the label prefix given).
std::string programme_name(const Programme& programme, const std::string& prefix = "Track-");

}  // namespace tavrin::loudness
