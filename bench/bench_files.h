// The synthetic files the benchmarks work on: the one-hour 29.97 drop-frame file of the analysis
// and verification benchmarks, the ten-minute file of about 4.5 GB that wrapping and export work
// on, mono 24-bit WAV files that cover a whole file, and the program's analysis of a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "mxf/records.h"
#include "support/mxf_fixture.h"
#include "wav/wav_records.h"
#include "wrap/track_job.h"

namespace tavrin::bench {

// Frames of `minutes` at 30000/1001 (10 minutes: 17982, an hour: 107892).
uint64_t frames_of_minutes(double minutes);
// The length of a benchmark's file: --frames, else one minute with --small, else --minutes, else
// `defaultMinutes`.
uint64_t bench_frames(const BenchArgs& args, double defaultMinutes);

// 29.97 drop frame from 10:00:00;00, 8 tracks of 24 bit, 4 KiB picture filler.
test::MxfFixtureOptions one_hour_options(uint64_t frames);
// The same rate and tracks with picture elements sized so that 17982 frames make about 4.5 GB
// (about 211 KB a frame, the rest of the ~250 KB content package is system item and audio).
test::MxfFixtureOptions ten_minute_options(uint64_t frames);

// A fixture file on disk with its layout and, once loaded, the records the analysis filled.
struct BenchMxf {
  std::string path;
  test::MxfFixtureOptions options;
  test::MxfFixtureLayout layout;
  std::unique_ptr<MxfRecords> records = std::make_unique<MxfRecords>();
};

// Writes the file (printing its size and the time it took). False, with a message, on failure.
bool write_bench_mxf(const std::string& path, const test::MxfFixtureOptions& options,
                     BenchMxf* out);
// Runs the program's whole analysis (the job runner's analysis job) on the file; false, with the
// runner's text printed, when it does not load.
bool load_bench_mxf(BenchMxf* mxf);

// Samples per track over all frames of the file.
uint64_t total_samples(const test::MxfFixtureLayout& layout);
// The IN/OUT count of file frame `frame` in both counting bases.
std::array<uint32_t, 2> frame_counts(const MXF_TIMECODE_INFO& timecode, uint32_t frame);

// `count` 24-bit WAVs of `channels` channels named folder/<stem><n>.wav, each `samples` sample
// frames long, read by the program's WAV reader on the grid of `timecode`. False, with a
// message, when one cannot be written or is refused.
bool write_bench_wavs(const std::string& folder, size_t count, uint64_t samples,
                      const MXF_TIMECODE_INFO& timecode, std::vector<WAV_LIBRARY_ENTRY>* out,
                      uint16_t channels = 1, char stem = 'w');

// A job that switches tracks 1..count ON with entries[t] over the whole file.
void prepare_wrap_job(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& entries,
                      AUDIOTRACK_IO_INFO* job);
// A job that exports tracks 1..count over the whole file into folder/prefix<n>.wav.
void prepare_export_job(const BenchMxf& mxf, size_t count, const std::string& folder,
                        const std::string& prefix, AUDIOTRACK_IO_INFO* job);

// A byte range of a file that a floor reads.
struct Area {
  uint64_t offset;
  uint64_t bytes;
};

// A buffer as large as the largest area; `total` gets the bytes of all of them.
std::vector<uint8_t> area_buffer(const std::vector<Area>& areas, uint64_t* total);

// pread of every area into `buffer` (from area_buffer); false on a short read.
bool read_areas(int fd, const std::vector<Area>& areas, std::vector<uint8_t>* buffer);

}  // namespace tavrin::bench
