// Loudness of the tracks of the loaded MXF file over a range of frames. The samples are read
// through the index exactly as the export reads them (export_job.h): per frame one positioned read
// of the bytes from the first measured element to the end of the last one's samples, every
// element checked (key, 4-byte length, a value that holds the frame's samples, inside the file)
// before any of its samples is measured. A fault stops the job with no number reported.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "loudness/measurement.h"
#include "mxf/records.h"
#include "platform/job_control.h"
#include "wrap/element_check.h"

namespace tavrin::loudness {

struct MxfLoudnessJob {
  std::string mxfPath;
  const MXF_BASE_INFO* mxf = nullptr;
  // IN and OUT as frame counts in both counting bases, as the working set keeps them.
  std::array<uint32_t, 2> in{};
  std::array<uint32_t, 2> out{};
  std::vector<Programme> programmes;
  unsigned workers = 0;  // threads for the meters; 0: one per available core
};

struct LoudnessOutcome {
  int code = 0;                                   // 0, 99 cancelled, or a code of loudness_codes.h
  ElementFault fault = ElementFault::kNone;       // what the element check found (code kElement)
  uint64_t faultFrame = 0;                        // the frame of the range (0 = IN) it was found in
  std::vector<Programme> programmes;              // what was measured, in the order asked
  std::vector<LoudnessMeasurement> measurements;  // one per programme; only when code is 0
  uint64_t frames = 0;                            // frames (MXF) or sample frames (WAV) measured
};

// The frames IN .. OUT of the whole file, in both counting bases.
std::array<uint32_t, 2> whole_file_in(const MXF_TIMECODE_INFO& timecode);
std::array<uint32_t, 2> whole_file_out(const MXF_TIMECODE_INFO& timecode);

// Measures every programme of the job. Progress counts the frames of the range read so far; a
// stop request is honoured before each frame is read.
LoudnessOutcome measure_mxf_loudness(const MxfLoudnessJob& job, platform::JobControl& control);

}  // namespace tavrin::loudness
