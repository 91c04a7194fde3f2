// The five-frame 48 kHz sample cadence of each edit rate, and sample positions of frames.
#include "timecode/timecode.h"

namespace tavrin::tc {

namespace {

// Samples per track in frames 0..4 of a group, by rateCode. rateCode 5 (25000/1001) carries no
// samples in the index entries; for WAV placing and BWF time references it is taken as 25 fps.
constexpr uint32_t kCadence[8][5] = {
    {2000, 2000, 2000, 2000, 2000}, {1920, 1920, 1920, 1920, 1920},
    {1600, 1600, 1600, 1600, 1600}, {800, 800, 800, 800, 800},
    {2002, 2002, 2002, 2002, 2002}, {0, 0, 0, 0, 0},
    {1602, 1601, 1602, 1601, 1602}, {801, 801, 800, 801, 801},
};

constexpr uint32_t kSubframeUnit[8] = {20, 19, 16, 8, 20, 19, 16, 8};

}  // namespace

uint32_t samples_in_frame(uint32_t rateCode, uint64_t frameIndex, CadenceTable table) {
  if (rateCode > 7) return 0;
  if (rateCode == 5 && table == CadenceTable::kTimeReference) return 1920;
  return kCadence[rateCode][frameIndex % 5];
}

uint32_t samples_per_cadence_group(uint32_t rateCode, CadenceTable table) {
  uint32_t sum = 0;
  for (uint64_t k = 0; k < 5; ++k) sum += samples_in_frame(rateCode, k, table);
  return sum;
}

uint64_t frame_to_sample_offset(uint32_t rateCode, uint64_t frameIndex, CadenceTable table) {
  uint64_t offset = frameIndex / 5 * samples_per_cadence_group(rateCode, table);
  for (uint64_t k = 0; k < frameIndex % 5; ++k) offset += samples_in_frame(rateCode, k, table);
  return offset;
}

uint32_t subframe_unit(uint32_t rateCode) { return rateCode > 7 ? 0 : kSubframeUnit[rateCode]; }

}  // namespace tavrin::tc
