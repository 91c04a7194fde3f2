// The frame grid of a loaded MXF file, set by hand for the WAV tests.
#pragma once

#include <cstdint>

#include "mxf/records.h"

namespace tavrin::test {

struct Grid {
  MXF_TIMECODE_INFO timecode;
  Grid(uint32_t rateCode, uint32_t fpsCode, uint32_t dropFrame) {
    timecode.rateCode = rateCode;
    timecode.fpsCode = fpsCode;
    timecode.dropFrame = dropFrame;
  }
  const MXF_TIMECODE_INFO* get() const { return &timecode; }
};

// 24 frames per second (rate code 0): 2000 samples a frame.
inline Grid grid24() {
  return Grid(0, 0, 0);
}

}  // namespace tavrin::test
