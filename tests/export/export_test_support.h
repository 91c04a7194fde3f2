// Helpers of the export tests: running either engine on an analysed fixture, setting up the job,
// and the bytes a track file must hold.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "export/bwf_export.h"
#include "export/bwf_header.h"
#include "support/analysed_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {

enum class Engine { kMapping, kFileApi };

inline const char* engine_name(Engine engine) {
  return engine == Engine::kMapping ? "Mapping" : "FileApi";
}

// Runs the engine with `control` (none: nobody watching).
inline int run_export(Engine engine, AnalysedFixture& f, AUDIOTRACK_IO_INFO* job,
                      platform::JobControl* control = nullptr) {
  platform::NullJobControl unwatched;
  platform::JobControl& c = control != nullptr ? *control : unwatched;
  return engine == Engine::kMapping ? export_bwf_by_mapping(f.path, job, &f.records.base, c)
                                    : export_bwf_by_file_api(f.path, job, &f.records.base, c);
}

// File frames inFrame .. outFrame of the tracks (0-based) into folder/prefix<n>.wav.
inline void prepare_export(const AnalysedFixture& f, uint32_t inFrame, uint32_t outFrame,
                           std::initializer_list<size_t> tracks, const std::string& folder,
                           const std::string& prefix, AUDIOTRACK_IO_INFO* job) {
  job->exportIn = {f.records.timecode.startFrame + inFrame,
                   f.records.timecode.shiftedStart + inFrame};
  job->exportOut = {f.records.timecode.startFrame + outFrame,
                    f.records.timecode.shiftedStart + outFrame};
  job->exportMark.fill(0);
  for (const size_t t : tracks) job->exportMark[t] = 1;
  job->exportFolder = folder;
  job->exportPrefix = prefix;
  job->exportCounter = 2;
  job->wavBufferIndex = 0;
}

inline std::string track_file(const std::string& folder, const std::string& prefix, size_t track) {
  return folder + "/" + prefix + std::to_string(track + 1) + ".wav";
}

// The original samples of a track over file frames inFrame .. outFrame.
inline std::vector<uint8_t> expected_samples(const AnalysedFixture& f, size_t track,
                                             uint32_t inFrame, uint32_t outFrame) {
  std::vector<uint8_t> bytes;
  for (uint32_t frame = inFrame; frame <= outFrame; ++frame) {
    const std::vector<uint8_t> s = fixture_samples(
        static_cast<uint32_t>(track), frame, f.layout.frames[frame].samples, f.options.blockAlign);
    bytes.insert(bytes.end(), s.begin(), s.end());
  }
  return bytes;
}

inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}

inline uint64_t time_reference_of(const std::vector<uint8_t>& b) {
  return le32(b, kBwfTimeReferenceOffset) | uint64_t{le32(b, kBwfTimeReferenceOffset + 4)} << 32;
}

// The samples behind the header.
inline std::vector<uint8_t> samples_of(const std::vector<uint8_t>& file) {
  if (file.size() < kBwfHeaderSize) return {};
  return std::vector<uint8_t>(file.begin() + kBwfHeaderSize, file.end());
}

}  // namespace tavrin::test
