// In-place wrapping on a ten-minute 29.97 file (about 3.7 GB): 8 mono 24-bit WAVs over all 8
// tracks (the heaviest job) and one stereo WAV over tracks 1-2 (the usual job), by both engines,
// against (a) the floor: pwrite of the same sample bytes at the same offsets and an fdatasync,
// and (b) ffmpeg re-muxing the file with the 8 WAVs (video copied), which reads and writes the
// whole file and is flushed too. Every engine runs in a forked child so that its peak memory is
// its own.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <set>
#include <vector>

#include "bench_files.h"
#include "bench_support.h"
#include "support/wav_fixture.h"
#include "wrap/buffer_duration.h"
#include "wrap/journaled_wrap.h"
#include "wrap/track_job.h"

namespace tavrin::bench {
namespace {

constexpr size_t kTracks = 8;
constexpr uint16_t kSlot = 3;  // bytes of a 24-bit sample

// Where track t's samples come from: channel `channel` of WAV `wav`.
struct TrackSource {
  size_t wav;
  uint16_t channel;
};
// One job: tracks 1..tracks.size() ON, every other track OFF.
struct WrapCase {
  const char* name;
  std::vector<TrackSource> tracks;
};

bool pwrite_all(int fd, const uint8_t* bytes, size_t n, uint64_t offset) {
  while (n > 0) {
    const ssize_t put = ::pwrite(fd, bytes, n, static_cast<off_t>(offset));
    if (put <= 0) return false;
    bytes += put;
    n -= static_cast<size_t>(put);
    offset += static_cast<uint64_t>(put);
  }
  return true;
}

bool pread_all(int fd, uint8_t* bytes, size_t n, uint64_t offset) {
  while (n > 0) {
    const ssize_t got = ::pread(fd, bytes, n, static_cast<off_t>(offset));
    if (got <= 0) return false;
    bytes += got;
    n -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

// Channel `channel` of a WAV's data, as the 24-bit slots of one track take it.
bool track_samples(const WAV_LIBRARY_ENTRY& wav, uint16_t channel, std::vector<uint8_t>* out) {
  const WAV_FILE_INFO& info = wav.info;
  std::vector<uint8_t> data(static_cast<size_t>(info.data_available));
  const int fd = ::open(wav.file_path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool read = fd >= 0 && pread_all(fd, data.data(), data.size(), info.data_offset);
  if (fd >= 0) ::close(fd);
  if (!read) return false;
  const size_t frames = data.size() / info.block_align;
  out->resize(frames * kSlot);
  for (size_t i = 0; i < frames; ++i) {
    for (size_t b = 0; b < kSlot; ++b) {
      (*out)[i * kSlot + b] = data[i * info.block_align + channel * kSlot + b];
    }
  }
  return true;
}

// The floor: the samples are laid out per track in memory first (not timed); then every element
// value gets its samples with one pwrite, and the file is flushed.
ChildWork floor_job(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                    const WrapCase& job) {
  std::vector<std::vector<uint8_t>> data(job.tracks.size());
  for (size_t t = 0; t < job.tracks.size(); ++t) {
    if (!track_samples(wavs[job.tracks[t].wav], job.tracks[t].channel, &data[t])) return {1};
  }
  const TimedPart timed;
  const int fd = ::open(mxf.path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return {2};
  uint64_t sample = 0;
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; t < data.size(); ++t) {
      if (!pwrite_all(fd, data[t].data() + sample * kSlot, n, f.soundValue[t])) {
        ::close(fd);
        return {3};
      }
    }
    sample += f.samples;
  }
  const bool flushed = ::fdatasync(fd) == 0;
  ::close(fd);
  return timed.finish(flushed ? 0 : 4);
}

// `journalFolder` empty: the engine alone; otherwise the job with its undo journal there.
ChildWork engine_job(BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs, const WrapCase& c,
                     bool fileApi, const std::string& journalFolder) {
  AUDIOTRACK_IO_INFO job;
  std::vector<WAV_LIBRARY_ENTRY> none;
  prepare_wrap_job(mxf, none, &job);  // every track OFF over the whole file
  for (size_t t = 0; t < c.tracks.size(); ++t) {
    job.wavEntry[t] = &wavs[c.tracks[t].wav];
    job.trackSwitch[t] = kTrackOn;
  }
  platform::NullJobControl unwatched;
  const TimedPart timed;
  const int code = !journalFolder.empty()
                       ? wrap_with_journal(mxf.path, &job, &mxf.records->base, unwatched, fileApi,
                                           {true, journalFolder})
                   : fileApi ? wrap_audio_by_file_api(mxf.path, &job, &mxf.records->base, unwatched)
                             : wrap_audio_by_mapping(mxf.path, &job, &mxf.records->base, unwatched);
  return timed.finish(code);
}

// Frames whose samples are set back to the fixture's own before each run and compared with the
// WAVs' after it, so that every run is seen to write what it must.
std::vector<size_t> probe_frames(size_t frames) {
  return {0, frames / 2, frames - 1};
}

bool reset_probes(const BenchMxf& mxf) {
  const int fd = ::open(mxf.path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  for (const size_t k : probe_frames(mxf.layout.frames.size())) {
    const test::FixtureFrame& f = mxf.layout.frames[k];
    for (uint32_t t = 0; t < kTracks; ++t) {
      const std::vector<uint8_t> original = test::fixture_samples(t, k, f.samples, kSlot);
      ok = ok && pwrite_all(fd, original.data(), original.size(), f.soundValue[t]);
    }
  }
  ok = ::fdatasync(fd) == 0 && ok;
  ::close(fd);
  return ok;
}

bool probes_hold_wavs(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                      const WrapCase& job) {
  const int fd = ::open(mxf.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  uint64_t sample = 0;
  const std::vector<size_t> probes = probe_frames(mxf.layout.frames.size());
  for (size_t k = 0; k < mxf.layout.frames.size(); ++k) {
    const test::FixtureFrame& f = mxf.layout.frames[k];
    if (std::find(probes.begin(), probes.end(), k) != probes.end()) {
      std::vector<uint8_t> got(size_t{f.samples} * kSlot);
      for (uint32_t t = 0; t < kTracks; ++t) {
        ok = ok && pread_all(fd, got.data(), got.size(), f.soundValue[t]);
        std::vector<uint8_t> want = test::fixture_samples(t, k, f.samples, kSlot);
        if (t < job.tracks.size()) {
          const uint16_t channels = wavs[job.tracks[t].wav].info.channels;
          const std::vector<uint8_t> all =
              test::expected_sample_bytes(channels, 24, sample, f.samples);
          for (size_t i = 0; i < want.size(); ++i) {
            want[i] = all[i / kSlot * kSlot * channels + job.tracks[t].channel * kSlot + i % kSlot];
          }
        }
        ok = ok && got == want;
      }
    }
    sample += f.samples;
  }
  ::close(fd);
  return ok;
}

std::vector<std::string> remux_command(const BenchMxf& mxf,
                                       const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                                       const std::string& out) {
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel",
                                   "error",  "-y",       "-i",           mxf.path};
  for (size_t t = 0; t < kTracks; ++t) {
    argv.push_back("-i");
    argv.push_back(wavs[t].file_path);
  }
  argv.insert(argv.end(), {"-map", "0:v"});
  for (size_t t = 0; t < kTracks; ++t) {
    argv.push_back("-map");
    argv.push_back(std::to_string(t + 1) + ":a");
  }
  argv.insert(argv.end(), {"-c:v", "copy", "-c:a", "pcm_s24le", "-f", "mxf", out});
  return argv;
}

// The distinct WAV files of a job.
std::set<size_t> wavs_of(const WrapCase& job) {
  std::set<size_t> used;
  for (const TrackSource& s : job.tracks) used.insert(s.wav);
  return used;
}

// What the file-I/O engine's buffer setting allows: one batch of samples per WAV and two element
// values.
uint64_t file_engine_allowance(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                               const WrapCase& job, uint32_t bufferIndex) {
  const MXF_TIMECODE_INFO& tc = mxf.records->timecode;
  const uint64_t batch = wav_buffer_frames(bufferIndex, tc.fpsCode, tc.dropFrame);
  const std::vector<test::FixtureFrame>& frames = mxf.layout.frames;
  uint64_t largest = 0;
  uint32_t maxSamples = 0;
  for (size_t first = 0; batch > 0 && first < frames.size(); first += batch) {
    uint64_t samples = 0;
    for (size_t k = first; k < std::min<size_t>(first + batch, frames.size()); ++k) {
      samples += frames[k].samples;
      maxSamples = std::max(maxSamples, frames[k].samples);
    }
    largest = std::max(largest, samples);
  }
  uint64_t bytes = 2 * (uint64_t{maxSamples} * kSlot + 1);
  for (const size_t w : wavs_of(job)) bytes += largest * wavs[w].info.block_align + 1;
  return bytes;
}

// The mapping engine's bound: the views of the largest index table segment, the MXF bytes from
// its first written element to the end of its last, and each WAV's samples of it.
uint64_t segment_views_bound(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                             const WrapCase& job) {
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *mxf.records->base.indexEntries;
  const std::vector<test::FixtureFrame>& frames = mxf.layout.frames;
  const size_t last = job.tracks.size() - 1;
  uint64_t bound = 0;
  for (size_t k = 0; k < frames.size();) {
    const size_t end = std::min<size_t>(
        frames.size(), static_cast<size_t>(entries[k].segmentStart + entries[k].segmentDuration));
    uint64_t samples = 0;
    for (size_t j = k; j < end; ++j) samples += frames[j].samples;
    uint64_t views = frames[end - 1].soundValue[last] + uint64_t{frames[end - 1].samples} * kSlot -
                     frames[k].soundKey[0];
    for (const size_t w : wavs_of(job)) views += samples * wavs[w].info.block_align;
    bound = std::max(bound, views);
    k = std::max(end, k + 1);
  }
  return bound;
}

struct Row {
  std::string name;
  std::vector<double> times;
  long peakKib = 0;
  long faults = 0;
  uint64_t diskBytes = 0;  // the largest a run wrote to the device
  bool failed = false;
  bool engine = true;
};

struct Measured {
  double seconds = 0;
  long peakKib = 0;
  long faults = 0;
  uint64_t diskBytes = 0;
};

void record(Row& row, const Measured& m, bool counted) {
  if (counted) row.times.push_back(m.seconds);
  row.peakKib = std::max(row.peakKib, m.peakKib);
  row.faults = std::max(row.faults, m.faults);
  row.diskBytes = std::max(row.diskBytes, m.diskBytes);
}

void print_rows(const std::vector<Row>& rows, double floorTime) {
  for (const Row& r : rows) {
    if (r.times.empty()) continue;
    const double t = median(r.times);
    std::printf("  %-30s %s %7.2fx %s %10s %9ld %10s\n", r.name.c_str(), format_seconds(t).c_str(),
                floorTime > 0 ? t / floorTime : 0, format_seconds(minimum(r.times)).c_str(),
                r.engine ? format_mib(static_cast<double>(r.peakKib) * 1024).c_str() : "-",
                r.faults, format_mib(static_cast<double>(r.diskBytes)).c_str());
  }
}

int run(const BenchArgs& args) {
  const uint64_t frames = bench_frames(args, 10);
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_wrap: in-place wrapping of a 29.97 DF file with 8 tracks of 24 bit\n");
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("in.mxf"), ten_minute_options(frames), &mxf)) return 1;
  if (!load_bench_mxf(&mxf)) return 1;
  const uint64_t samples = total_samples(mxf.layout);
  std::vector<WAV_LIBRARY_ENTRY> wavs;
  if (!write_bench_wavs(dir.path(), kTracks, samples, mxf.records->timecode, &wavs)) return 1;
  {
    std::vector<WAV_LIBRARY_ENTRY> stereo;
    if (!write_bench_wavs(dir.path(), 1, samples, mxf.records->timecode, &stereo, 2, 's')) {
      return 1;
    }
    wavs.push_back(std::move(stereo[0]));
  }
  const WrapCase cases[] = {
      {"8 mono WAVs on tracks 1-8",
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
      {"a stereo WAV on tracks 1-2", {{kTracks, 0}, {kTracks, 1}}},
  };
  std::printf("WAVs: %zu mono x %s and one stereo; the 8-track job writes %s of samples\n", kTracks,
              format_mib(static_cast<double>(wavs[0].info.data_available)).c_str(),
              format_mib(static_cast<double>(samples * kSlot * kTracks)).c_str());
  settle_disk();  // the file a job starts from is durable before any timing

  const std::optional<uint64_t> diskProbe = device_bytes_written(dir.path());
  auto disk_now = [&] { return device_bytes_written(dir.path()).value_or(0); };
  const bool haveFfmpeg = tool_on_path("ffmpeg");
  const std::string remuxed = dir.file("remux.mxf");
  const std::string ffmpegLog = dir.file("ffmpeg.log");
  std::string ffmpegNote = haveFfmpeg ? "" : "ffmpeg is not on PATH";
  const ChildRun idle = run_in_child([] { return ChildWork{}; });
  const double faultCost = fresh_page_fault_seconds();

  // Per case: floor, mapping, file I/O; then the re-mux.
  enum { kFloor, kMapping, kFile, kMappingJournal, kFileJournal, kKinds };
  const char* const kindNames[kKinds] = {"floor (pwrite + fdatasync)", "wrap by mapping",
                                         "wrap by file I/O", "wrap by mapping + journal",
                                         "wrap by file I/O + journal"};
  const std::string journalFolder = dir.path();
  const std::string journal = journal_path(mxf.path, journalFolder);
  std::vector<std::vector<Row>> rows(std::size(cases), std::vector<Row>(kKinds));
  for (size_t c = 0; c < std::size(cases); ++c) {
    for (int k = 0; k < kKinds; ++k) rows[c][k].name = kindNames[k];
    rows[c][kFloor].engine = false;
  }
  Row remux;
  remux.name = "ffmpeg re-mux + fsync";
  bool probesOk = true;
  // Round 0 warms the caches and is not counted.
  for (int r = 0; r <= args.rounds; ++r) {
    for (size_t c = 0; c < std::size(cases); ++c) {
      for (int k = 0; k < kKinds; ++k) {
        Row& row = rows[c][k];
        if (row.failed) continue;
        probesOk = reset_probes(mxf) && probesOk;
        settle_disk();
        const uint64_t diskBefore = disk_now();
        const ChildRun run = run_in_child([&, c, k] {
          const bool journaled = k == kMappingJournal || k == kFileJournal;
          return k == kFloor ? floor_job(mxf, wavs, cases[c])
                             : engine_job(mxf, wavs, cases[c], k == kFile || k == kFileJournal,
                                          journaled ? journalFolder : std::string());
        });
        ::unlink(journal.c_str());  // each journaled run starts without a journal
        const uint64_t diskAfter = disk_now();
        if (!run.ran || run.code != 0) {
          std::printf("%s, %s failed (code %d)\n", cases[c].name, row.name.c_str(), run.code);
          row.failed = true;
          continue;
        }
        probesOk = probes_hold_wavs(mxf, wavs, cases[c]) && probesOk;
        record(row, {run.seconds, run.peakKib, run.faults, diskAfter - diskBefore}, r > 0);
      }
    }
    if (haveFfmpeg && ffmpegNote.empty()) {
      settle_disk();
      const uint64_t diskBefore = disk_now();
      const Timer timer;
      const ToolRun t = run_tool(remux_command(mxf, wavs, remuxed), ffmpegLog);
      const bool flushed = t.exitStatus == 0 && flush_file(remuxed);
      const double seconds = timer.seconds();
      if (!flushed) {
        ffmpegNote = "ffmpeg refused the job (exit " + std::to_string(t.exitStatus) + "):\n" +
                     tail_of(ffmpegLog, 5);
      } else {
        record(remux, {seconds, t.peakKib, 0, disk_now() - diskBefore}, r > 0);
      }
      ::unlink(remuxed.c_str());
    }
  }

  std::printf(
      "\nmedian of %d rounds (warm cache)    time      / floor    fastest    peak RSS    "
      "faults disk write\n",
      args.rounds);
  AUDIOTRACK_IO_INFO defaults;
  for (size_t c = 0; c < std::size(cases); ++c) {
    const double floorTime = median(rows[c][kFloor].times);
    std::printf("%s:\n", cases[c].name);
    print_rows(rows[c], floorTime);
    if (c == 0 && !remux.times.empty()) print_rows({remux}, floorTime);
    std::printf(
        "    memory bounds: file I/O buffer setting %u allows %s; mapping: one segment's "
        "views %s\n",
        defaults.wavBufferIndex,
        format_mib(static_cast<double>(
                       file_engine_allowance(mxf, wavs, cases[c], defaults.wavBufferIndex)))
            .c_str(),
        format_mib(static_cast<double>(segment_views_bound(mxf, wavs, cases[c]))).c_str());
    const double mapping = median(rows[c][kMapping].times);
    const double file = median(rows[c][kFile].times);
    if (!remux.times.empty() && floorTime > 0 && mapping > 0 && file > 0) {
      const double peer = median(remux.times);
      std::printf(
          "    speed-up over the 8-track re-mux: mapping %.1fx, file I/O %.1fx (ceiling, "
          "floor vs re-mux: %.1fx)\n",
          peer / mapping, peer / file, peer / floorTime);
    }
    const double mappingJournal = median(rows[c][kMappingJournal].times);
    const double fileJournal = median(rows[c][kFileJournal].times);
    if (mapping > 0 && file > 0 && mappingJournal > 0 && fileJournal > 0) {
      std::printf("    undo journal: mapping %.2fx, file I/O %.2fx of the job without it%s\n",
                  mappingJournal / mapping, fileJournal / file,
                  c == 1 ? (std::max(mappingJournal / mapping, fileJournal / file) <= 1.6
                                ? " (goal <= 1.6x on this job: met)"
                                : " (goal <= 1.6x on this job: missed)")
                         : "");
    }
    if (c == 0 && floorTime > 0) {
      std::printf("    goals: within 1.5x of the floor: mapping %.2fx %s, file I/O %.2fx %s",
                  mapping / floorTime, mapping / floorTime <= 1.5 ? "met" : "missed",
                  file / floorTime, file / floorTime <= 1.5 ? "met" : "missed");
      if (!remux.times.empty() && mapping > 0 && file > 0) {
        const double slower = std::max(mapping, file);
        std::printf("; >= 10x faster than the re-mux: %s",
                    median(remux.times) / slower >= 10 ? "met" : "missed");
      }
      std::printf("\n");
    }
  }
  if (!ffmpegNote.empty()) std::printf("ffmpeg re-mux skipped: %s\n", ffmpegNote.c_str());
  std::printf(
      "an idle forked child peaks at %s (the peaks include it); a fresh page costs "
      "%.2f us to fault in here%s\n",
      format_mib(static_cast<double>(idle.peakKib) * 1024).c_str(), faultCost * 1e6,
      diskProbe ? "" : "; disk writes unknown (no block device)");
  std::printf("samples checked in frames 0, middle and last of every track after every run: %s\n",
              probesOk ? "as the job must leave them" : "MISMATCH");
  std::printf(
      "The floor only writes the sample bytes and flushes them. The engines add the element\n"
      "checks, the WAV reads and their buffers or views: 'faults' counts the page faults of each\n"
      "run and 'disk write' what the device took during it (every process counts). A journaled\n"
      "job first copies the original samples of each run or batch to the undo journal and\n"
      "flushes it, so it writes about twice the sample bytes and flushes once more per run.\n"
      "The re-mux\n"
      "reads and writes the whole file, so its ratio grows with the share of picture bytes.\n");
  return probesOk ? 0 : 1;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 3, &args)) return 2;
  return tavrin::bench::run(args);
}
