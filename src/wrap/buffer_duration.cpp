#include "wrap/buffer_duration.h"

#include <cstring>

#include "timecode/timecode.h"

namespace tavrin {

const char* const kWavBufferDurations[kWavBufferDurationCount] = {
    "00010000", "00020000", "00030000", "00040000", "00060000", "00080000", "00100000",
    "00120000", "00160000", "00200000", "00220000", "00240000", "00300000", "00400000",
};

int64_t hhmmssff_to_frames(const char* text, uint32_t fpsCode, uint32_t dropFrame) {
  if (text == nullptr) return tc::kInvalidCount;
  char digits[8] = {'0', '0', '0', '0', '0', '0', '0', '0'};
  const size_t length = std::strlen(text);
  const size_t taken = length < 8 ? length : 8;
  std::memcpy(digits + 8 - taken, text + length - taken, taken);
  int32_t fields[4] = {};
  for (size_t i = 0; i < 8; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return tc::kInvalidCount;
    fields[i / 2] = fields[i / 2] * 10 + (digits[i] - '0');
  }
  const int32_t maxFrame = tc::max_frame_field(fpsCode);
  if (fields[0] > 47 || fields[1] > 59 || fields[2] > 59 || fields[3] > maxFrame ||
      tc::frames_per_second(fpsCode) == 0) {
    return tc::kInvalidCount;
  }
  tc::Timecode duration{fields[0], fields[1], fields[2], fields[3]};
  return tc::timecode_to_frames(fpsCode, dropFrame, duration);
}

uint32_t wav_buffer_frames(uint32_t wavBufferIndex, uint32_t fpsCode, uint32_t dropFrame) {
  if (wavBufferIndex >= kWavBufferDurationCount) return 0;
  const int64_t frames =
      hhmmssff_to_frames(kWavBufferDurations[wavBufferIndex], fpsCode, dropFrame);
  return frames > 0 && frames <= INT32_MAX ? static_cast<uint32_t>(frames) : 0;
}

}  // namespace tavrin
