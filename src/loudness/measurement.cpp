#include "loudness/measurement.h"

namespace tavrin::loudness {

std::vector<Programme> default_programmes(size_t trackCount) {
  std::vector<Programme> programmes;
  for (size_t t = 0; t < trackCount; ++t) programmes.push_back(mono_programme(t));
  if (trackCount >= 2) programmes.push_back(stereo_programme(0, 1));
  return programmes;
}

std::string programme_name(const Programme& programme, const std::string& prefix) {
  // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about "+" + std::to_string().
  std::string name = prefix;
  name += std::to_string(programme.tracks[0] + 1);
  if (programme.kind == ProgrammeKind::kStereo) {
    name += '+';
    name += std::to_string(programme.tracks[1] + 1);
  }
  return name;
}

}  // namespace tavrin::loudness
