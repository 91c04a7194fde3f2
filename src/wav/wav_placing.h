// Placing a WAV/BWF file on the frame grid of the loaded MXF file: start and end position (in
// 48 kHz samples since midnight) become a frame number, sub-frame units and a sample remainder,
// and the length in frames.
#pragma once

#include <cstdint>

#include "mxf/records.h"
#include "wav/wav_records.h"

namespace tavrin {

// Frames walked from midnight at most before a position counts as not placeable: a day at 60
// frames per second.
inline constexpr uint32_t kPlacingFrameBound = 5'184'000;

// Fills end_sample, the frame, sub-frame, remainder and duration fields and starts_in_hour_23
// from start_sample, data_size and block_align. A position that lies more than
// kPlacingFrameBound frames after midnight keeps the values its fields had. Returns 0; 1 when
// `info` or `timecode` is missing; 3 when timecode->rateCode is above 7.
int32_t place_wav_timecodes(WAV_FILE_INFO* info, const MXF_TIMECODE_INFO* timecode);

}  // namespace tavrin
