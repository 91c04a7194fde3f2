#include "wrap/job_range.h"

namespace tavrin {

bool resolve_job_range(const MXF_TIMECODE_INFO& timecode, const std::array<uint32_t, 2>& in,
                       const std::array<uint32_t, 2>& out, size_t entryCount, JobRange* range) {
  const size_t base = active_base(timecode);
  const uint32_t first = base == 0 ? timecode.startFrame : timecode.shiftedStart;
  const uint32_t last = base == 0 ? timecode.endFrame : timecode.shiftedEnd;
  if (out[base] < in[base] || in[base] < first || out[base] > last) return false;
  const uint64_t rel = in[base] - first;
  const uint64_t total = uint64_t{out[base]} - in[base] + 1;
  if (rel + total > entryCount) return false;
  range->firstEntry = rel;
  range->totalFrames = total;
  return true;
}

}  // namespace tavrin
