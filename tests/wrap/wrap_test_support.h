// What the wrap tests share: the two engines behind one switch, WAV files read into library
// entries, the job record of a range, and the expected file after a job, computed from the
// placement rules alone (not from the engines' code).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/job_control.h"
#include "support/wav_fixture.h"
#include "synthetic_essence.h"
#include "wrap/track_job.h"

namespace tavrin::test {

enum class Engine { kMapping, kFileApi };
const char* engine_name(Engine engine);
// Runs the engine with `control` (none: nobody watching).
int run_engine(Engine engine, const std::string& path, AUDIOTRACK_IO_INFO* job, MXF_BASE_INFO* mxf,
               platform::JobControl* control = nullptr);
inline int run_engine(Engine engine, SyntheticEssence& f, AUDIOTRACK_IO_INFO* job,
                      platform::JobControl* control = nullptr) {
  return run_engine(engine, f.path, job, &f.records.base, control);
}
// The engine's code for a condition both engines report: mapping code, file-I/O code.
inline int code_of(Engine engine, int mappingCode, int fileApiCode) {
  return engine == Engine::kMapping ? mappingCode : fileApiCode;
}

// A WAV file written by the WAV fixture and read by the program's reader.
struct TestWav {
  WAV_LIBRARY_ENTRY entry;
  uint64_t sampleFrames = 0;  // sample frames the file really holds in full
};
// Writes `layout` to `path` and reads it at the rate of `timecode`; null when either fails.
std::unique_ptr<TestWav> make_test_wav(const std::string& path, const WavLayout& layout,
                                       const MXF_TIMECODE_INFO& timecode);
std::unique_ptr<TestWav> make_test_wav(const std::string& path, uint16_t channels, uint16_t bits,
                                       uint64_t sampleFrames, const MXF_TIMECODE_INFO& timecode);

// Every existing track OFF, the others absent; IN and OUT at file frames `first` and `last` in
// both counting bases.
void prepare_job(const SyntheticEssence& f, uint32_t first, uint32_t last, AUDIOTRACK_IO_INFO* job);
void set_range(const SyntheticEssence& f, uint32_t first, uint32_t last, AUDIOTRACK_IO_INFO* job);

// What a track is expected to receive.
struct TrackExpectation {
  enum Kind { kKeep, kSilence, kWav } kind = kKeep;
  const TestWav* wav = nullptr;
  uint16_t channel = 0;
};
TrackExpectation keep();
TrackExpectation silence();
TrackExpectation from_wav(const TestWav& wav, uint16_t channel = 0);

// Where the samples of a file lie.
struct SampleGeometry {
  std::function<uint64_t(uint32_t frame, uint32_t track)> valueOffset;
  std::function<uint32_t(uint32_t frame)> samples;
  uint32_t slot = 3;      // bytes of one sample slot
  uint32_t mxfBits = 24;  // quantization of the MXF audio
};

// `original` with frames first .. last of each track replaced as expected.
std::vector<uint8_t> expected_bytes(std::vector<uint8_t> original, const SampleGeometry& geometry,
                                    uint32_t first, uint32_t last,
                                    const std::vector<TrackExpectation>& tracks);
std::vector<uint8_t> expected_file(const SyntheticEssence& f, uint32_t first, uint32_t last,
                                   const std::vector<TrackExpectation>& tracks);

// The first byte offset where two files differ, or -1 when they are equal (a size difference
// counts at the end of the shorter one).
int64_t first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace tavrin::test
