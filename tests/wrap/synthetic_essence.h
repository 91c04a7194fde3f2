// Small frame-wrapped essence files for the engine tests, with the records the analysis would
// give them, written without the header metadata the engines never read. Each content package is
// a system item, a picture element of varying size, one sound element per track (its value: the
// frame's samples and a few bytes behind them, then a KLV fill that keeps the elements evenly
// spaced) and, when asked, an ANC element. Every byte has a value of its own, so a comparison of
// whole files shows any byte an engine should not have written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mxf/records.h"
#include "support/temp_dir.h"

namespace tavrin::test {

struct EssenceParams {
  uint32_t frames = 12;
  uint32_t tracks = 4;
  uint16_t bits = 24;
  uint32_t rateCode = 6;  // 29.97
  uint32_t fpsCode = 2;
  uint32_t dropFrame = 1;
  uint32_t startFrame = 0;  // the start timecode as an actual count
  bool startsInHour23 = false;
  uint32_t segmentFrames = 5;  // edit units per index table segment
  bool anc = false;            // an ANC element behind the sound elements
  uint32_t valueTail = 4;      // bytes of each sound value behind the samples
  uint64_t leading = 256;      // bytes before the first content package
};

struct SyntheticEssence {
  EssenceParams params;
  std::string path;
  std::vector<uint8_t> original;  // the file as written
  MxfRecords records;

  uint32_t slot() const { return params.bits / 8u; }
  uint32_t samples(uint32_t frame) const;
  // File offset of the first sample byte of `track`'s element in `frame`.
  uint64_t value_offset(uint32_t frame, uint32_t track) const;
  // File offset of the key of that element.
  uint64_t element_offset(uint32_t frame, uint32_t track) const {
    return value_offset(frame, track) - 20;
  }
  // The IN/OUT counts of file frame `frame` in both counting bases.
  uint32_t count(uint32_t frame) const { return params.startFrame + frame; }
  uint32_t shifted_count(uint32_t frame) const { return records.timecode.shiftedStart + frame; }
};

// Writes the file to `path` and fills the records; null when the file cannot be written.
std::unique_ptr<SyntheticEssence> make_synthetic_essence(const EssenceParams& params,
                                                         const std::string& path);

}  // namespace tavrin::test
