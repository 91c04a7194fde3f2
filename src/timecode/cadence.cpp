// The five-frame 48 kHz sample cadence of each edit rate, frame-to-sample offsets and the
// sub-frame unit.
#include "timecode/timecode.h"

#include <array>

namespace tavrin::tc {

namespace {

constexpr uint32_t kRateCount = 8;
constexpr uint64_t kGroupFrames = 5;
using CadenceRows = std::array<std::array<uint32_t, kGroupFrames>, kRateCount>;

// Samples per track in frames 0..4 of a group, by rateCode, for the index entries. 25000/1001
// has no whole-frame cadence at 48 kHz and carries no samples there.
constexpr CadenceRows kIndexCadence = {{
    {2000, 2000, 2000, 2000, 2000},
    {1920, 1920, 1920, 1920, 1920},
    {1600, 1600, 1600, 1600, 1600},
    {800, 800, 800, 800, 800},
    {2002, 2002, 2002, 2002, 2002},
    {0, 0, 0, 0, 0},
    {1602, 1601, 1602, 1601, 1602},
    {801, 801, 800, 801, 801},
}};

// The same for placing WAV files and for BWF time references, where 25000/1001 is laid out on
// the 25 fps grid.
constexpr CadenceRows kTimeReferenceCadence = {{
    {2000, 2000, 2000, 2000, 2000},
    {1920, 1920, 1920, 1920, 1920},
    {1600, 1600, 1600, 1600, 1600},
    {800, 800, 800, 800, 800},
    {2002, 2002, 2002, 2002, 2002},
    {1920, 1920, 1920, 1920, 1920},
    {1602, 1601, 1602, 1601, 1602},
    {801, 801, 800, 801, 801},
}};

// About a hundredth of a frame's samples, rounded down, by rateCode.
constexpr std::array<uint32_t, kRateCount> kSubframeUnit = {20, 19, 16, 8, 20, 19, 16, 8};

// The cadence row of a rateCode, or none above 7.
const std::array<uint32_t, kGroupFrames>* cadence_row(uint32_t rateCode, CadenceTable table) {
  if (rateCode >= kRateCount) return nullptr;
  const CadenceRows& rows =
      table == CadenceTable::kTimeReference ? kTimeReferenceCadence : kIndexCadence;
  return &rows[rateCode];
}

}  // namespace

uint32_t samples_in_frame(uint32_t rateCode, uint64_t frameIndex, CadenceTable table) {
  const auto* row = cadence_row(rateCode, table);
  return row ? (*row)[frameIndex % kGroupFrames] : 0;
}

uint32_t samples_per_cadence_group(uint32_t rateCode, CadenceTable table) {
  const auto* row = cadence_row(rateCode, table);
  if (row == nullptr) return 0;
  uint32_t sum = 0;
  for (uint32_t samples : *row) sum += samples;
  return sum;
}

uint64_t frame_to_sample_offset(uint32_t rateCode, uint64_t frameIndex, CadenceTable table) {
  const auto* row = cadence_row(rateCode, table);
  if (row == nullptr) return 0;
  uint64_t offset = frameIndex / kGroupFrames * samples_per_cadence_group(rateCode, table);
  for (uint64_t k = 0; k < frameIndex % kGroupFrames; ++k) offset += (*row)[k];
  return offset;
}

uint32_t subframe_unit(uint32_t rateCode) {
  return rateCode < kRateCount ? kSubframeUnit[rateCode] : 0;
}

}  // namespace tavrin::tc
