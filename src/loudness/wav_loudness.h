// Loudness of a WAV/BWF file of the library: a mono file is a mono programme, a stereo file a
// stereo programme (left, right). Only the data the file really holds is measured.
#pragma once

#include <string>

#include "loudness/mxf_loudness.h"
#include "platform/job_control.h"
#include "wav/wav_records.h"

namespace tavrin::loudness {

// Sample frames read and measured at a time: one second. Progress counts these blocks; a stop
// request is honoured before each.
inline constexpr uint64_t kWavBlockFrames = 48000;

// Measures the file at `path`. `info`, when given, receives what the WAV reader found.
LoudnessOutcome measure_wav_loudness(const std::string& path, platform::JobControl& control,
                                     WAV_FILE_INFO* info = nullptr);

}  // namespace tavrin::loudness
