// The WAV buffer setting of the file-I/O engines: fourteen durations, each an eight-digit HHMMSSFF
// text, and their length in frames at the loaded file's timecode base.
#pragma once

#include <cstdint>

namespace tavrin {

// Durations selectable by wavBufferIndex 0 .. 13: 1, 2, 3, 4, 6, 8, 10, 12, 16, 20, 22, 24, 30
// and 40 minutes.
inline constexpr uint32_t kWavBufferDurationCount = 14;
extern const char* const kWavBufferDurations[kWavBufferDurationCount];

// Frames of a HHMMSSFF text at fpsCode/dropFrame: at most its last eight characters, laid
// right-aligned over "00000000", split into hours, minutes, seconds and frames and counted as a
// timecode (a drop-frame label that does not exist moves to the first one that does). -2 when the
// hours exceed 47, the minutes or seconds 59, the frames the largest frame field of the base, when
// a character is not a digit, or when the base is unknown.
int64_t hhmmssff_to_frames(const char* text, uint32_t fpsCode, uint32_t dropFrame);

// Frames of the buffer duration at wavBufferIndex; 0 when the index is outside the table or the
// duration cannot be counted at this base.
uint32_t wav_buffer_frames(uint32_t wavBufferIndex, uint32_t fpsCode, uint32_t dropFrame);

}  // namespace tavrin
