// BWF export of all 8 tracks of the ten-minute 29.97 file (about 4.5 GB) by both engines, against
// ffmpeg extracting the same 8 tracks to WAV files and against the floor: pread of each element's
// samples at its offset, written to 8 files through 1 MiB buffers. Nothing is flushed, as export
// does not flush. Every run is a forked child so that its peak memory is its own.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench_files.h"
#include "bench_support.h"
#include "export/bwf_export.h"
#include "export/bwf_header.h"
#include "platform/file.h"
#include "platform/mapping.h"
#include "support/temp_dir.h"
#include "wrap/buffer_duration.h"

namespace tavrin::bench {
namespace {

constexpr size_t kTracks = 8;
constexpr uint16_t kSlot = 3;
constexpr size_t kWriteBuffer = size_t{1} << 20;

std::string track_path(const std::string& folder, const std::string& prefix, size_t t) {
  return folder + "/" + prefix + std::to_string(t + 1) + ".wav";
}

// One output file of the floor: samples gathered in a buffer and written when it is full.
class FloorTrack {
 public:
  explicit FloorTrack(const std::string& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)),
        buffer_(new uint8_t[kWriteBuffer]) {}
  ~FloorTrack() {
    if (fd_ >= 0) ::close(fd_);
  }
  FloorTrack(const FloorTrack&) = delete;
  FloorTrack& operator=(const FloorTrack&) = delete;

  bool ok() const { return fd_ >= 0 && ok_; }
  // Room for n bytes, draining the buffer first when they do not fit.
  uint8_t* reserve(size_t n) {
    if (used_ + n > kWriteBuffer) drain();
    return buffer_.get() + used_;
  }
  void commit(size_t n) { used_ += n; }
  void drain() {
    if (used_ > 0 && ::write(fd_, buffer_.get(), used_) != static_cast<ssize_t>(used_)) {
      ok_ = false;
    }
    used_ = 0;
  }

 private:
  int fd_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  bool ok_ = true;
};

ChildWork floor_job(const BenchMxf& mxf, const std::string& folder) {
  const TimedPart timed;
  const int fd = ::open(mxf.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {1};
  std::vector<std::unique_ptr<FloorTrack>> tracks;
  for (size_t t = 0; t < kTracks; ++t) {
    tracks.push_back(std::make_unique<FloorTrack>(track_path(folder, "floor", t)));
  }
  bool ok = true;
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; t < kTracks && ok; ++t) {
      uint8_t* into = tracks[t]->reserve(n);
      ok = ::pread(fd, into, n, static_cast<off_t>(f.soundValue[t])) == static_cast<ssize_t>(n);
      tracks[t]->commit(n);
    }
  }
  for (auto& t : tracks) {
    t->drain();
    ok = ok && t->ok();
  }
  tracks.clear();  // closes the files inside the timed part
  ::close(fd);
  return timed.finish(ok ? 0 : 2);
}

// What any export through views pays on this machine before it copies a byte: the file mapped in
// views of at most 256 MiB (as the mapping engine's), one byte read in every page of each frame's
// audio elements, each view released. Nothing is written.
ChildWork touch_job(const BenchMxf& mxf) {
  constexpr uint64_t kView = uint64_t{256} << 20;
  const TimedPart timed;
  platform::Status status;
  const platform::File file = platform::File::open(mxf.path, platform::Access::kReadExisting,
                                                   platform::Sharing::kAny, &status);
  if (!file.valid()) return {1};
  const uint64_t page = platform::allocation_granularity();
  unsigned sum = 0;
  const std::vector<test::FixtureFrame>& frames = mxf.layout.frames;
  for (size_t i = 0; i < frames.size();) {
    const uint64_t begin = frames[i].soundKey[0];
    size_t j = i;
    uint64_t end = begin;
    for (; j < frames.size(); ++j) {
      const uint64_t e = frames[j].soundValue[kTracks - 1] + uint64_t{frames[j].samples} * kSlot;
      if (j > i && e - begin > kView) break;
      end = e;
    }
    const platform::MappedView view =
        platform::MappedView::map(file, begin, end - begin, platform::ViewAccess::kRead, &status);
    if (!view.valid()) return {2};
    for (size_t k = i; k < j; ++k) {
      const uint64_t from = frames[k].soundKey[0];
      const uint64_t to = frames[k].soundValue[kTracks - 1] + uint64_t{frames[k].samples} * kSlot;
      for (uint64_t at = from; at < to; at = (at / page + 1) * page) {
        sum += *static_cast<volatile const uint8_t*>(view.data() + (at - begin));
      }
    }
    i = j;
  }
  return timed.finish(sum == 0xFFFFFFFFu ? 3 : 0);
}

// The file-I/O engine also runs at a smaller buffer setting, to show what its batch buffer costs.
ChildWork engine_job(BenchMxf& mxf, const std::string& folder, bool fileApi, uint32_t bufferIndex) {
  AUDIOTRACK_IO_INFO job;
  prepare_export_job(mxf, kTracks, folder, fileApi ? "file" : "map", &job);
  job.wavBufferIndex = bufferIndex;
  platform::NullJobControl unwatched;
  const TimedPart timed;
  const int code = fileApi ? export_bwf_by_file_api(mxf.path, &job, &mxf.records->base, unwatched)
                           : export_bwf_by_mapping(mxf.path, &job, &mxf.records->base, unwatched);
  return timed.finish(code);
}

std::vector<std::string> extract_command(const BenchMxf& mxf, const std::string& folder) {
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel",
                                   "error",  "-y",       "-i",           mxf.path};
  for (size_t t = 0; t < kTracks; ++t) {
    argv.insert(argv.end(), {"-map", "0:a:" + std::to_string(t), "-c:a", "pcm_s24le",
                             track_path(folder, "ffmpeg", t)});
  }
  return argv;
}

// The engines' files hold the floor's bytes right behind their header (`header`); ffmpeg's end
// with them, before the pad byte of an odd-sized chunk (`header` SIZE_MAX).
bool same_samples(const std::string& folder, const char* prefix, size_t header) {
  for (size_t t = 0; t < kTracks; ++t) {
    const std::vector<uint8_t> floor = test::read_file(track_path(folder, "floor", t));
    const std::vector<uint8_t> other = test::read_file(track_path(folder, prefix, t));
    const size_t tail = header == SIZE_MAX ? floor.size() % 2 : 0;
    if (floor.empty() || other.size() < floor.size() + tail) return false;
    const size_t at = header == SIZE_MAX ? other.size() - floor.size() - tail : header;
    if (other.size() - at != floor.size() + tail ||
        !std::equal(floor.begin(), floor.end(), other.begin() + static_cast<ptrdiff_t>(at))) {
      return false;
    }
  }
  return true;
}

void remove_tracks(const std::string& folder, const char* prefix) {
  for (size_t t = 0; t < kTracks; ++t) ::unlink(track_path(folder, prefix, t).c_str());
}

// What the file-I/O engine may hold: a batch of frames, each slot the span from the first exported
// element to the end of the last one's samples; the batch is the buffer setting's duration, no
// longer than the range, and no larger than the engine's 8 MiB step (at least one frame).
uint64_t file_engine_allowance(const BenchMxf& mxf, uint32_t bufferIndex) {
  const MXF_TIMECODE_INFO& tc = mxf.records->timecode;
  const std::vector<test::FixtureFrame>& frames = mxf.layout.frames;
  uint64_t batch =
      std::min<uint64_t>(wav_buffer_frames(bufferIndex, tc.fpsCode, tc.dropFrame), frames.size());
  uint64_t slot = 0;
  for (const test::FixtureFrame& f : frames) {
    slot = std::max(slot, f.soundValue[kTracks - 1] + uint64_t{f.samples} * kSlot - f.soundKey[0]);
  }
  constexpr uint64_t kEngineStep = uint64_t{8} << 20;
  if (slot > 0 && batch * slot > kEngineStep) batch = std::max<uint64_t>(kEngineStep / slot, 1);
  return batch * slot;
}

struct Row {
  const char* name = "";
  std::vector<double> times;
  long peakKib = 0;
  long faults = 0;
  bool failed = false;
};

int run(const BenchArgs& args) {
  const uint64_t frames = bench_frames(args, 10);
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_export: BWF export of all 8 tracks of a 29.97 DF file, 24 bit\n");
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("in.mxf"), ten_minute_options(frames), &mxf)) return 1;
  if (!load_bench_mxf(&mxf)) return 1;
  const std::string out = dir.file("out");
  std::filesystem::create_directory(out);
  std::printf("each track file: %s of samples\n",
              format_mib(static_cast<double>(total_samples(mxf.layout) * kSlot)).c_str());
  settle_disk();

  const bool haveFfmpeg = tool_on_path("ffmpeg");
  const std::string ffmpegLog = dir.file("ffmpeg.log");
  std::string ffmpegNote = haveFfmpeg ? "" : "ffmpeg is not on PATH";
  const ChildRun idle = run_in_child([] { return ChildWork{}; });
  const double faultCost = fresh_page_fault_seconds();

  enum { kFloor, kTouch, kMapping, kFile, kFileSmall, kFfmpeg, kCount };
  constexpr uint32_t kSmallBuffer = 0;  // 1 minute
  std::vector<Row> rows(kCount);
  rows[kFloor].name = "floor (pread + write)";
  rows[kTouch].name = "reference: views touched, no copy";
  rows[kMapping].name = "export by mapping";
  rows[kFile].name = "export by file I/O";
  rows[kFileSmall].name = "export by file I/O, 1-minute buffer";
  rows[kFfmpeg].name = "ffmpeg extraction";
  const AUDIOTRACK_IO_INFO defaults;
  bool samplesOk = true;
  bool ffmpegSame = false;
  // Round 0 warms the caches and is not counted. The floor's files stay until the end of the
  // round, to compare the others with.
  for (int r = 0; r <= args.rounds; ++r) {
    for (int k = kFloor; k <= kFileSmall; ++k) {
      Row& row = rows[k];
      if (row.failed) continue;
      settle_disk();
      const ChildRun run = run_in_child([&, k] {
        if (k == kFloor) return floor_job(mxf, out);
        if (k == kTouch) return touch_job(mxf);
        const uint32_t buffer = k == kFileSmall ? kSmallBuffer : defaults.wavBufferIndex;
        return engine_job(mxf, out, k != kMapping, buffer);
      });
      if (!run.ran || run.code != 0) {
        std::printf("%s failed (code %d)\n", row.name, run.code);
        row.failed = true;
        continue;
      }
      if (r > 0) row.times.push_back(run.seconds);
      row.peakKib = std::max(row.peakKib, run.peakKib);
      row.faults = std::max(row.faults, run.faults);
      if (k != kFloor && k != kTouch) {
        const char* prefix = k == kMapping ? "map" : "file";
        samplesOk = same_samples(out, prefix, kBwfHeaderSize) && samplesOk;
        remove_tracks(out, prefix);
      }
    }
    if (haveFfmpeg && ffmpegNote.empty()) {
      settle_disk();
      const ToolRun t = run_tool(extract_command(mxf, out), ffmpegLog);
      if (t.exitStatus != 0) {
        ffmpegNote = "ffmpeg refused the job (exit " + std::to_string(t.exitStatus) + "):\n" +
                     tail_of(ffmpegLog, 5);
      } else {
        if (r > 0) rows[kFfmpeg].times.push_back(t.seconds);
        rows[kFfmpeg].peakKib = std::max(rows[kFfmpeg].peakKib, t.peakKib);
        if (r == 0) ffmpegSame = same_samples(out, "ffmpeg", SIZE_MAX);
      }
      remove_tracks(out, "ffmpeg");
    }
    remove_tracks(out, "floor");
  }

  const double floorTime = median(rows[kFloor].times);
  std::printf(
      "\nmedian of %d rounds (warm cache)          time       / floor    fastest    "
      "peak RSS    faults\n",
      args.rounds);
  for (int k = 0; k < kCount; ++k) {
    const Row& row = rows[k];
    if (row.times.empty()) continue;
    const double t = median(row.times);
    std::printf("  %-36s %s %7.2fx %s %10s %9ld\n", row.name, format_seconds(t).c_str(),
                floorTime > 0 ? t / floorTime : 0, format_seconds(minimum(row.times)).c_str(),
                format_mib(static_cast<double>(row.peakKib) * 1024).c_str(), row.faults);
  }
  if (!ffmpegNote.empty()) std::printf("  ffmpeg extraction skipped: %s\n", ffmpegNote.c_str());
  std::printf(
      "  memory bound: the file-I/O engine's batch holds at most %s at buffer setting %u, %s at "
      "setting %u\n",
      format_mib(static_cast<double>(file_engine_allowance(mxf, defaults.wavBufferIndex))).c_str(),
      defaults.wavBufferIndex,
      format_mib(static_cast<double>(file_engine_allowance(mxf, kSmallBuffer))).c_str(),
      kSmallBuffer);
  const double mapping = median(rows[kMapping].times);
  const double file = median(rows[kFile].times);
  if (floorTime > 0 && mapping > 0 && file > 0) {
    std::printf("goals: within 1.3x of the floor: mapping %.2fx %s, file I/O %.2fx %s",
                mapping / floorTime, mapping / floorTime <= 1.3 ? "met" : "missed",
                file / floorTime, file / floorTime <= 1.3 ? "met" : "missed");
    if (!rows[kFfmpeg].times.empty()) {
      const double peer = median(rows[kFfmpeg].times);
      std::printf("; >= 3x faster than ffmpeg: mapping %.1fx, file I/O %.1fx, %s", peer / mapping,
                  peer / file, std::min(peer / mapping, peer / file) >= 3 ? "met" : "missed");
    }
    std::printf("\n");
  }
  std::printf(
      "an idle forked child peaks at %s (the peaks include it); a fresh page costs "
      "%.2f us to fault in here\n",
      format_mib(static_cast<double>(idle.peakKib) * 1024).c_str(), faultCost * 1e6);
  std::printf(
      "both engines' files hold the floor's samples behind the %zu-byte header: %s; "
      "ffmpeg's end with the same samples: %s\n",
      kBwfHeaderSize, samplesOk ? "yes" : "NO", ffmpegSame ? "yes" : "no");
  std::printf(
      "The floor reads just the sample bytes of every element and appends them to 8 files; the\n"
      "engines add the element checks, the header and their buffers or views ('faults' counts\n"
      "the page faults of a run; the goals are judged at the default buffer setting). ffmpeg\n"
      "demuxes the whole file, picture included. The reference row is the page faults and\n"
      "unmapping that any reading through views pays here, with no copy and no write: the\n"
      "mapping engine's time cannot fall below the floor's writes plus that row.\n");
  return samplesOk ? 0 : 1;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 3, &args)) return 2;
  return tavrin::bench::run(args);
}
