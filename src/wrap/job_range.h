// The frames a wrapping or export job covers: IN and OUT in the active counting base, checked
// against the loaded file's first and last frame and against its index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "mxf/records.h"

namespace tavrin {

struct JobRange {
  uint64_t firstEntry = 0;  // the index entry of the IN frame
  uint64_t totalFrames = 0;
};

// The active counting base: plain counts, or counts one hour later for a file that starts in
// hour 23 and so may run across midnight.
inline size_t active_base(const MXF_TIMECODE_INFO& timecode) {
  return timecode.startsInHour23 != 0 ? 1 : 0;
}

// False when OUT lies before IN (refused in both bases: in the shifted base the frame count
// would wrap around), IN before the file's first frame, OUT after its last, or when the index
// does not hold every frame of the range.
bool resolve_job_range(const MXF_TIMECODE_INFO& timecode, const std::array<uint32_t, 2>& in,
                       const std::array<uint32_t, 2>& out, size_t entryCount, JobRange* range);

}  // namespace tavrin
