// In-place wrapping on a two-minute 29.97 file (and with --long also a ten-minute one of about
// 4.5 GB): 8 mono 24-bit WAVs over all 8 tracks (the heaviest job) and one stereo WAV over tracks
// 1-2 (the usual job), by both engines, with and without the undo journal, against (a) the
// floor: pwrite of the same sample bytes at the same offsets and an fdatasync, (b) the journal
// floor: the floor after the original bytes were written to a journal file and flushed, and (c)
// ffmpeg re-muxing the file with the 8 WAVs (video copied), which reads and writes the whole file
// and is flushed too. Every engine runs in a forked child so that its peak memory is its own.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
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
#include "wrap/undo_journal.h"
#include "wrap/wrap_plan.h"

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

// What the file-I/O engine may hold: one batch of samples per WAV and two element values. A batch
// is the buffer setting's duration, shortened where its WAV samples would pass 64 MiB.
uint64_t file_engine_allowance(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                               const WrapCase& job, uint32_t bufferIndex) {
  const MXF_TIMECODE_INFO& tc = mxf.records->timecode;
  const std::vector<test::FixtureFrame>& frames = mxf.layout.frames;
  uint32_t maxSamples = 0;
  for (const test::FixtureFrame& f : frames) maxSamples = std::max(maxSamples, f.samples);
  uint64_t wavBytesPerFrame = 0;
  for (const size_t w : wavs_of(job)) {
    wavBytesPerFrame += uint64_t{maxSamples} * wavs[w].info.block_align;
  }
  const uint64_t batch = std::min<uint64_t>(
      wav_buffer_frames(bufferIndex, tc.fpsCode, tc.dropFrame),
      std::max<uint64_t>(1, kRunWavBytes / std::max<uint64_t>(1, wavBytesPerFrame)));
  uint64_t largest = 0;
  for (size_t first = 0; batch > 0 && first < frames.size(); first += batch) {
    uint64_t samples = 0;
    for (size_t k = first; k < std::min<size_t>(first + batch, frames.size()); ++k) {
      samples += frames[k].samples;
    }
    largest = std::max(largest, samples);
  }
  uint64_t bytes = 2 * (uint64_t{maxSamples} * kSlot + 1);
  for (const size_t w : wavs_of(job)) bytes += largest * wavs[w].info.block_align + 1;
  return bytes;
}

// The mapping engine's bound: the WAV views of its longest run, which ends at its index table
// segment's end or where its views would pass 64 MiB.
uint64_t run_views_bound(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                         const WrapCase& job) {
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *mxf.records->base.indexEntries;
  uint64_t longestSegment = 0;
  uint32_t maxSamples = 0;
  for (const INDEX_ENTRY_ARRAY& e : entries) {
    longestSegment = std::max<uint64_t>(longestSegment, e.segmentDuration);
    maxSamples = std::max(maxSamples, e.samplesInFrame);
  }
  uint64_t perFrame = 0;
  for (const size_t w : wavs_of(job)) perFrame += uint64_t{maxSamples} * wavs[w].info.block_align;
  if (perFrame == 0) return 0;
  const uint64_t cap = std::max<uint64_t>(1, kRunWavBytes / perFrame);
  return std::min(cap, longestSegment) * perFrame;
}

// The floor of a journaled job: the original sample bytes appended to a journal file in one
// sequential write and made durable (fdatasync) before the floor's own writes and flush. No
// journaled wrapper can do less than this: it writes every sample byte twice and flushes twice.
ChildWork journal_floor_job(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                            const WrapCase& job, const std::string& journalPath) {
  std::vector<std::vector<uint8_t>> data(job.tracks.size());
  for (size_t t = 0; t < job.tracks.size(); ++t) {
    if (!track_samples(wavs[job.tracks[t].wav], job.tracks[t].channel, &data[t])) return {1};
  }
  uint64_t total = 0;
  for (const std::vector<uint8_t>& d : data) total += d.size();
  std::vector<uint8_t> original(static_cast<size_t>(total));
  const TimedPart timed;
  const int fd = ::open(mxf.path.c_str(), O_RDWR | O_CLOEXEC);
  const int journal = ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && journal >= 0;
  size_t at = 0;
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; ok && t < data.size(); ++t) {
      ok = pread_all(fd, original.data() + at, n, f.soundValue[t]);
      at += n;
    }
  }
  ok = ok && pwrite_all(journal, original.data(), at, 0) && ::fdatasync(journal) == 0;
  uint64_t sample = 0;
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; ok && t < data.size(); ++t) {
      ok = pwrite_all(fd, data[t].data() + sample * kSlot, n, f.soundValue[t]);
    }
    sample += f.samples;
  }
  ok = ok && ::fdatasync(fd) == 0;
  const ChildWork work = timed.finish(ok ? 0 : 3);
  if (fd >= 0) ::close(fd);
  if (journal >= 0) ::close(journal);
  return work;
}

// The full-range element check alone, as both engines run it before their first write.
ChildWork precheck_job(BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& wavs,
                       const WrapCase& c) {
  AUDIOTRACK_IO_INFO job;
  std::vector<WAV_LIBRARY_ENTRY> none;
  prepare_wrap_job(mxf, none, &job);
  for (size_t t = 0; t < c.tracks.size(); ++t) {
    job.wavEntry[t] = &wavs[c.tracks[t].wav];
    job.trackSwitch[t] = kTrackOn;
  }
  WrapPlan plan;
  if (plan_wrap(mxf.path, &job, &mxf.records->base, kFileApiWrapCodes, &plan) != 0) return {1};
  const TimedPart timed;
  platform::Status status;
  const platform::File file = platform::File::open(mxf.path, platform::Access::kReadExisting,
                                                   platform::Sharing::kAny, &status);
  uint64_t size = 0;
  if (!file.valid() || !file.size(&size).ok()) return {2};
  return timed.finish(check_range_elements(plan, file, size, kFileApiWrapCodes));
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
    std::printf("  %-34s %s %7.2fx %s %10s %9ld %10s\n", r.name.c_str(), format_seconds(t).c_str(),
                floorTime > 0 ? t / floorTime : 0, format_seconds(minimum(r.times)).c_str(),
                r.engine ? format_mib(static_cast<double>(r.peakKib) * 1024).c_str() : "-",
                r.faults, format_mib(static_cast<double>(r.diskBytes)).c_str());
  }
}

const WrapCase kCases[] = {
    {"8 mono WAVs on tracks 1-8", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}}},
    {"a stereo WAV on tracks 1-2", {{kTracks, 0}, {kTracks, 1}}},
};
constexpr size_t kCaseCount = std::size(kCases);

// The rows of each case, in this order.
enum { kFloor, kMapping, kFile, kJournalFloor, kMappingJournal, kFileJournal, kPrecheck, kKinds };
const char* const kKindNames[kKinds] = {
    "floor (pwrite + fdatasync)",      "wrap by mapping",           "wrap by file I/O",
    "journal floor (+ journal write)", "wrap by mapping + journal", "wrap by file I/O + journal",
    "element pre-check alone",
};

// Everything measured on one file length.
struct SizeResult {
  uint64_t frames = 0;
  double minutes = 0;
  std::vector<std::vector<Row>> rows;  // [case][kind]
  Row remux;
  std::string ffmpegNote;
  bool probesOk = true;
  bool ok = false;
};

double ratio(const SizeResult& r, size_t c, int kind, int over = kFloor) {
  const double base = median(r.rows[c][over].times);
  const double t = median(r.rows[c][kind].times);
  return base > 0 && t > 0 ? t / base : 0;
}

SizeResult measure(const BenchArgs& args, uint64_t frames) {
  SizeResult result;
  result.frames = frames;
  result.minutes = static_cast<double>(frames) * 1001.0 / 30000.0 / 60.0;
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return result;
  }
  std::printf("\n=== %.1f minutes ===\n", result.minutes);
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("in.mxf"), ten_minute_options(frames), &mxf)) return result;
  if (!load_bench_mxf(&mxf)) return result;
  const uint64_t samples = total_samples(mxf.layout);
  std::vector<WAV_LIBRARY_ENTRY> wavs;
  if (!write_bench_wavs(dir.path(), kTracks, samples, mxf.records->timecode, &wavs)) return result;
  {
    std::vector<WAV_LIBRARY_ENTRY> stereo;
    if (!write_bench_wavs(dir.path(), 1, samples, mxf.records->timecode, &stereo, 2, 's')) {
      return result;
    }
    wavs.push_back(std::move(stereo[0]));
  }
  std::printf("WAVs: %zu mono x %s and one stereo; the 8-track job writes %s of samples\n", kTracks,
              format_mib(static_cast<double>(wavs[0].info.data_available)).c_str(),
              format_mib(static_cast<double>(samples * kSlot * kTracks)).c_str());
  settle_disk();  // the file a job starts from is durable before any timing

  const std::optional<uint64_t> diskProbe = device_bytes_written(dir.path());
  auto disk_now = [&] { return device_bytes_written(dir.path()).value_or(0); };
  const bool haveFfmpeg = tool_on_path("ffmpeg");
  const std::string remuxed = dir.file("remux.mxf");
  const std::string ffmpegLog = dir.file("ffmpeg.log");
  result.ffmpegNote = haveFfmpeg ? "" : "ffmpeg is not on PATH";
  const std::string journalFolder = dir.path();
  const std::string journal = journal_path(mxf.path, journalFolder);
  const std::string floorJournal = dir.file("floor.undo");
  result.rows.assign(kCaseCount, std::vector<Row>(kKinds));
  for (size_t c = 0; c < kCaseCount; ++c) {
    for (int k = 0; k < kKinds; ++k) result.rows[c][k].name = kKindNames[k];
    result.rows[c][kFloor].engine = false;
    result.rows[c][kJournalFloor].engine = false;
  }
  result.remux.name = "ffmpeg re-mux + fsync";
  // Round 0 warms the caches and is not counted.
  for (int r = 0; r <= args.rounds; ++r) {
    for (size_t c = 0; c < kCaseCount; ++c) {
      for (int k = 0; k < kKinds; ++k) {
        Row& row = result.rows[c][k];
        if (row.failed) continue;
        const bool writes = k != kPrecheck;
        if (writes) result.probesOk = reset_probes(mxf) && result.probesOk;
        settle_disk();
        const uint64_t diskBefore = disk_now();
        const ChildRun run = run_in_child([&, c, k] {
          const bool journaled = k == kMappingJournal || k == kFileJournal;
          switch (k) {
            case kFloor:
              return floor_job(mxf, wavs, kCases[c]);
            case kJournalFloor:
              return journal_floor_job(mxf, wavs, kCases[c], floorJournal);
            case kPrecheck:
              return precheck_job(mxf, wavs, kCases[c]);
            default:
              return engine_job(mxf, wavs, kCases[c], k == kFile || k == kFileJournal,
                                journaled ? journalFolder : std::string());
          }
        });
        const uint64_t diskAfter = disk_now();
        // Each journaled run starts without a journal. Freed here, untimed, with a moment for
        // the device's discards (see the re-mux below).
        if (k == kJournalFloor || k == kMappingJournal || k == kFileJournal) {
          ::unlink(journal.c_str());
          ::unlink(floorJournal.c_str());
          settle_disk();
          ::sleep(1);
        }
        if (!run.ran || run.code != 0) {
          std::printf("%s, %s failed (code %d)\n", kCases[c].name, row.name.c_str(), run.code);
          row.failed = true;
          continue;
        }
        if (writes) result.probesOk = probes_hold_wavs(mxf, wavs, kCases[c]) && result.probesOk;
        record(row, {run.seconds, run.peakKib, run.faults, diskAfter - diskBefore}, r > 0);
      }
    }
    if (haveFfmpeg && result.ffmpegNote.empty()) {
      // The last round's copy is freed here, untimed, and given a moment: on a file system
      // mounted with online discard, freeing gigabytes sends the device work that would
      // otherwise land on whatever runs next (the floor of the next round).
      ::unlink(remuxed.c_str());
      settle_disk();
      ::sleep(1);
      const uint64_t diskBefore = disk_now();
      const Timer timer;
      const ToolRun t = run_tool(remux_command(mxf, wavs, remuxed), ffmpegLog);
      const bool flushed = t.exitStatus == 0 && flush_file(remuxed);
      const double seconds = timer.seconds();
      if (!flushed) {
        result.ffmpegNote = "ffmpeg refused the job (exit " + std::to_string(t.exitStatus) +
                            "):\n" + tail_of(ffmpegLog, 5);
      } else {
        record(result.remux, {seconds, t.peakKib, 0, disk_now() - diskBefore}, r > 0);
      }
    }
  }

  std::printf(
      "\nmedian of %d rounds (warm cache)        time      / floor    fastest    peak RSS    "
      "faults disk write\n",
      args.rounds);
  AUDIOTRACK_IO_INFO defaults;
  for (size_t c = 0; c < kCaseCount; ++c) {
    const double floorTime = median(result.rows[c][kFloor].times);
    std::printf("%s:\n", kCases[c].name);
    print_rows(result.rows[c], floorTime);
    if (c == 0 && !result.remux.times.empty()) print_rows({result.remux}, floorTime);
    std::printf(
        "    memory bounds: file I/O buffer setting %u allows %s; mapping: one run's WAV "
        "views %s\n",
        defaults.wavBufferIndex,
        format_mib(static_cast<double>(
                       file_engine_allowance(mxf, wavs, kCases[c], defaults.wavBufferIndex)))
            .c_str(),
        format_mib(static_cast<double>(run_views_bound(mxf, wavs, kCases[c]))).c_str());
  }
  if (!result.ffmpegNote.empty())
    std::printf("ffmpeg re-mux skipped: %s\n", result.ffmpegNote.c_str());
  if (!diskProbe) std::printf("disk writes unknown (no block device)\n");
  result.ok = true;
  return result;
}

// One line of the side-by-side table: the ratio at every length.
void print_ratio_line(const std::vector<SizeResult>& sizes, const char* label,
                      const std::function<double(const SizeResult&)>& value, double goal) {
  std::printf("  %-42s", label);
  bool met = true;
  bool any = false;
  for (const SizeResult& s : sizes) {
    const double v = value(s);
    if (v > 0) {
      std::printf(" %8.2fx", v);
      met = met && v <= goal;
      any = true;
    } else {
      std::printf(" %9s", "-");
    }
  }
  if (goal > 0 && any) std::printf("   goal <= %.1fx: %s", goal, met ? "met" : "missed");
  std::printf("\n");
}

int run(const BenchArgs& args, const std::vector<uint64_t>& lengths) {
  std::printf("bench_wrap: in-place wrapping of a 29.97 DF file with 8 tracks of 24 bit\n");
  std::vector<SizeResult> sizes;
  for (const uint64_t frames : lengths) {
    sizes.push_back(measure(args, frames));
    if (!sizes.back().ok) return 1;
  }
  const ChildRun idle = run_in_child([] { return ChildWork{}; });
  const double faultCost = fresh_page_fault_seconds();

  std::printf("\nratios side by side (median time / median floor of the same length and job)\n");
  std::printf("  %-42s", "");
  for (const SizeResult& s : sizes) std::printf(" %6.1f min", s.minutes);
  std::printf("\n");
  bool probesOk = true;
  for (const SizeResult& s : sizes) probesOk = probesOk && s.probesOk;
  for (size_t c = 0; c < kCaseCount; ++c) {
    std::printf("%s:\n", kCases[c].name);
    const struct {
      const char* label;
      int kind;
      int over;
      double goal;
    } lines[] = {
        {"mapping / floor", kMapping, kFloor, 1.3},
        {"file I/O / floor", kFile, kFloor, 1.3},
        {"mapping + journal / floor", kMappingJournal, kFloor, 1.6},
        {"file I/O + journal / floor", kFileJournal, kFloor, 1.6},
        {"journal floor / floor (the least a journal costs)", kJournalFloor, kFloor, 0},
        {"mapping + journal / journal floor", kMappingJournal, kJournalFloor, 0},
        {"file I/O + journal / journal floor", kFileJournal, kJournalFloor, 0},
        {"mapping + journal / mapping", kMappingJournal, kMapping, 1.6},
        {"file I/O + journal / file I/O", kFileJournal, kFile, 1.6},
        {"element pre-check alone / floor", kPrecheck, kFloor, 0},
    };
    for (const auto& l : lines) {
      print_ratio_line(
          sizes, l.label, [&](const SizeResult& s) { return ratio(s, c, l.kind, l.over); }, l.goal);
    }
    if (c == 1) {
      const struct {
        const char* label;
        int row;
      } speedUps[] = {{"re-mux / mapping (speed-up, 8 WAVs re-muxed)", kMapping},
                      {"re-mux / file I/O (speed-up)", kFile},
                      {"re-mux / floor (the ceiling)", kFloor}};
      for (const auto& u : speedUps) {
        print_ratio_line(
            sizes, u.label,
            [&](const SizeResult& s) {
              const double t = median(s.rows[c][u.row].times);
              return t > 0 && !s.remux.times.empty() ? median(s.remux.times) / t : 0;
            },
            0);
      }
    }
  }
  std::printf(
      "an idle forked child peaks at %s (the peaks include it); a fresh page costs "
      "%.2f us to fault in here\n",
      format_mib(static_cast<double>(idle.peakKib) * 1024).c_str(), faultCost * 1e6);
  std::printf("samples checked in frames 0, middle and last of every track after every run: %s\n",
              probesOk ? "as the job must leave them" : "MISMATCH");
  std::printf(
      "The floor only writes the sample bytes and flushes them. The engines add the element\n"
      "checks (the full-range check before the first write is also shown alone), the WAV reads\n"
      "and their buffers or views: 'faults' counts the page faults of each run and 'disk write'\n"
      "what the device took during it (every process counts). A journaled job first copies the\n"
      "original samples of each run or batch to the undo journal and flushes it, so it writes\n"
      "about twice the sample bytes and flushes once more per run: the journal floor does just\n"
      "that with one flush. The re-mux reads and writes the whole file, so its ratio grows with\n"
      "the share of picture bytes.\n");
  return probesOk ? 0 : 1;
}

}  // namespace
}  // namespace tavrin::bench

// Besides the arguments every benchmark takes, --long (or TAVRIN_BENCH_LONG=1 in the
// environment) adds the ten-minute file after the first length, which is two minutes unless
// --minutes, --frames or --small say otherwise.
int main(int argc, char** argv) {
  std::vector<char*> rest;
  const char* env = std::getenv("TAVRIN_BENCH_LONG");
  bool longRun = env != nullptr && std::string(env) == "1";
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::string(argv[i]) == "--long") {
      longRun = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(static_cast<int>(rest.size()), rest.data(), 3, &args)) {
    std::fprintf(stderr, "  --long     also the ten-minute file (or TAVRIN_BENCH_LONG=1)\n");
    return 2;
  }
  std::vector<uint64_t> lengths = {tavrin::bench::bench_frames(args, 2)};
  const uint64_t tenMinutes = tavrin::bench::frames_of_minutes(10);
  if (longRun && lengths[0] != tenMinutes) lengths.push_back(tenMinutes);
  return tavrin::bench::run(args, lengths);
}
