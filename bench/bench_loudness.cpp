// Loudness of 8 tracks of the ten-minute 29.97 file (about 4.5 GB), each track a mono programme
// (integrated loudness, range, true peak, momentary and short-term maxima), against:
//   - the floor: pread of each element's samples at its offset, as the export reads them, and
//     nothing else;
//   - libebur128 alone on the same samples already decoded in memory, on as many threads as the
//     measurement uses: the cost of the loudness arithmetic itself;
//   - ffmpeg measuring the same 8 tracks with its ebur128 filter (peak=true) in one run.
// Every run is a forked child so that its memory is its own.
#include <ebur128.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench_files.h"
#include "bench_support.h"
#include "loudness/meter.h"
#include "loudness/mxf_loudness.h"
#include "loudness/parallel.h"
#include "loudness/pcm_samples.h"

namespace tavrin::bench {
namespace {

constexpr size_t kTracks = 8;
constexpr uint16_t kSlot = 3;

ChildWork floor_job(const BenchMxf& mxf) {
  const TimedPart timed;
  const int fd = ::open(mxf.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {1};
  std::vector<uint8_t> buffer(size_t{2002} * kSlot);
  bool ok = true;
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; t < kTracks && ok; ++t) {
      ok = ::pread(fd, buffer.data(), n, static_cast<off_t>(f.soundValue[t])) ==
           static_cast<ssize_t>(n);
    }
  }
  ::close(fd);
  return timed.finish(ok ? 0 : 2);
}

std::vector<loudness::Programme> eight_tracks() {
  std::vector<loudness::Programme> programmes;
  for (size_t t = 0; t < kTracks; ++t) programmes.push_back(loudness::mono_programme(t));
  return programmes;
}

loudness::MxfLoudnessJob whole_file_job(const BenchMxf& mxf) {
  loudness::MxfLoudnessJob job;
  job.mxfPath = mxf.path;
  job.mxf = &mxf.records->base;
  job.in = loudness::whole_file_in(mxf.records->timecode);
  job.out = loudness::whole_file_out(mxf.records->timecode);
  job.programmes = eight_tracks();
  return job;
}

// The samples of every track, decoded to floats: not timed.
std::vector<std::vector<float>> decoded_tracks(const BenchMxf& mxf) {
  std::vector<std::vector<float>> tracks(kTracks);
  const uint64_t samples = total_samples(mxf.layout);
  for (auto& t : tracks) t.reserve(samples);
  const int fd = ::open(mxf.path.c_str(), O_RDONLY | O_CLOEXEC);
  std::vector<uint8_t> bytes(size_t{2002} * kSlot);
  std::vector<float> floats(2002);
  for (const test::FixtureFrame& f : mxf.layout.frames) {
    const size_t n = size_t{f.samples} * kSlot;
    for (size_t t = 0; t < kTracks; ++t) {
      if (::pread(fd, bytes.data(), n, static_cast<off_t>(f.soundValue[t])) !=
          static_cast<ssize_t>(n)) {
        tracks.clear();
        ::close(fd);
        return tracks;
      }
      loudness::pcm_to_float(bytes.data(), f.samples, kSlot, floats.data());
      tracks[t].insert(tracks[t].end(), floats.begin(), floats.begin() + f.samples);
    }
  }
  ::close(fd);
  return tracks;
}

// libebur128 on the decoded samples: one state per track making the calls the measurement makes
// (the gated blocks and the true peak, the energy of every 100 ms), read out at the end; the
// tracks spread over `workers` threads.
ChildWork library_job(const BenchMxf& mxf, unsigned workers, std::vector<double>* integrated) {
  const std::vector<std::vector<float>> tracks = decoded_tracks(mxf);
  if (tracks.size() != kTracks) return {1};
  integrated->assign(kTracks, 0);
  const TimedPart timed;
  loudness::run_parallel(kTracks, workers, [&](size_t t, unsigned) {
    ebur128_state* st =
        ebur128_init(1, 48000, EBUR128_MODE_M | EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    const std::vector<float>& samples = tracks[t];
    for (size_t at = 0; at < samples.size(); at += loudness::kStepFrames) {
      const size_t n = std::min(loudness::kStepFrames, samples.size() - at);
      ebur128_add_frames_float(st, samples.data() + at, n);
      double step = 0;
      ebur128_loudness_window(st, 100, &step);
    }
    double peak = 0;
    ebur128_true_peak(st, 0, &peak);
    ebur128_loudness_global(st, &(*integrated)[t]);
    ebur128_destroy(&st);
  });
  return timed.finish(0);
}

std::vector<std::string> ffmpeg_command(const BenchMxf& mxf) {
  std::vector<std::string> argv = {"ffmpeg",   "-nostdin", "-hide_banner",
                                   "-nostats", "-i",       mxf.path};
  std::string graph;
  for (size_t t = 0; t < kTracks; ++t) {
    if (t) graph += ";";
    graph += "[0:a:" + std::to_string(t) + "]ebur128=peak=true[m" + std::to_string(t) + "]";
  }
  argv.insert(argv.end(), {"-filter_complex", graph});
  for (size_t t = 0; t < kTracks; ++t) {
    argv.insert(argv.end(), {"-map", "[m" + std::to_string(t) + "]", "-f", "null", "-"});
  }
  return argv;
}

struct Row {
  const char* name = "";
  std::vector<double> times;
  long peakKib = 0;
  bool failed = false;
};

int run(const BenchArgs& args) {
  const uint64_t frames = bench_frames(args, 10);
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  const unsigned workers = loudness::available_workers();
  std::printf("bench_loudness: 8 mono tracks of a 29.97 DF file, 24 bit, %u worker thread(s)\n",
              workers);
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("in.mxf"), ten_minute_options(frames), &mxf)) return 1;
  if (!load_bench_mxf(&mxf)) return 1;
  std::printf("each track: %s of samples\n",
              format_mib(static_cast<double>(total_samples(mxf.layout) * kSlot)).c_str());

  const bool haveFfmpeg = tool_on_path("ffmpeg");
  std::string ffmpegNote = haveFfmpeg ? "" : "ffmpeg is not on PATH";
  const std::string ffmpegLog = dir.file("ffmpeg.log");

  enum { kFloor, kEngine, kLibrary, kFfmpeg, kCount };
  std::vector<Row> rows(kCount);
  rows[kFloor].name = "floor (pread of the samples)";
  rows[kEngine].name = "loudness measurement";
  rows[kLibrary].name = "libebur128 on samples in memory";
  rows[kFfmpeg].name = "ffmpeg ebur128";
  // The engine's integrated loudness against libebur128's on the same samples.
  double largestDifference = 0;
  std::vector<double> engineIntegrated(kTracks, 0);
  bool agreementKnown = false;
  for (int r = 0; r <= args.rounds; ++r) {
    for (int k = kFloor; k <= kLibrary; ++k) {
      Row& row = rows[k];
      if (row.failed) continue;
      // Integrated loudness of each track travels back through a pipe as the child's seconds
      // cannot carry it: the engine's and the library's are compared in this process below.
      int fds[2];
      if (::pipe(fds) != 0) return 1;
      const ChildRun run = run_in_child([&, k] {
        ::close(fds[0]);
        std::vector<double> integrated(kTracks, NAN);
        ChildWork work;
        if (k == kFloor) {
          work = floor_job(mxf);
        } else if (k == kEngine) {
          platform::NullJobControl control;
          const TimedPart timed;
          const loudness::LoudnessOutcome outcome =
              loudness::measure_mxf_loudness(whole_file_job(mxf), control);
          work = timed.finish(outcome.code);
          for (size_t t = 0; t < outcome.measurements.size(); ++t) {
            integrated[t] = outcome.measurements[t].integrated;
          }
        } else {
          work = library_job(mxf, workers, &integrated);
        }
        const ssize_t put = ::write(fds[1], integrated.data(), kTracks * sizeof(double));
        ::close(fds[1]);
        if (put != static_cast<ssize_t>(kTracks * sizeof(double))) work.code = 3;
        return work;
      });
      ::close(fds[1]);
      std::vector<double> integrated(kTracks, NAN);
      const bool got = ::read(fds[0], integrated.data(), kTracks * sizeof(double)) ==
                       static_cast<ssize_t>(kTracks * sizeof(double));
      ::close(fds[0]);
      if (!run.ran || run.code != 0 || !got) {
        std::printf("%s failed (code %d)\n", row.name, run.code);
        row.failed = true;
        continue;
      }
      if (r > 0) row.times.push_back(run.seconds);
      row.peakKib = std::max(row.peakKib, run.peakKib);
      if (k == kEngine) engineIntegrated = integrated;
      if (k == kLibrary) {
        for (size_t t = 0; t < kTracks; ++t) {
          largestDifference =
              std::max(largestDifference, std::fabs(integrated[t] - engineIntegrated[t]));
        }
        agreementKnown = true;
      }
    }
    if (haveFfmpeg && ffmpegNote.empty()) {
      const ToolRun t = run_tool(ffmpeg_command(mxf), ffmpegLog);
      if (t.exitStatus != 0) {
        ffmpegNote = "ffmpeg refused the job (exit " + std::to_string(t.exitStatus) + "):\n" +
                     tail_of(ffmpegLog, 5);
      } else {
        if (r > 0) rows[kFfmpeg].times.push_back(t.seconds);
        rows[kFfmpeg].peakKib = std::max(rows[kFfmpeg].peakKib, t.peakKib);
      }
    }
  }

  const double floorTime = median(rows[kFloor].times);
  std::printf(
      "\nmedian of %d rounds (warm cache)        time       / floor    fastest    "
      "peak RSS\n",
      args.rounds);
  for (int k = 0; k < kCount; ++k) {
    const Row& row = rows[k];
    if (row.times.empty()) continue;
    const double t = median(row.times);
    std::printf("  %-34s %s %8.2fx %s %10s\n", row.name, format_seconds(t).c_str(),
                floorTime > 0 ? t / floorTime : 0, format_seconds(minimum(row.times)).c_str(),
                format_mib(static_cast<double>(row.peakKib) * 1024).c_str());
  }
  if (!ffmpegNote.empty()) std::printf("  ffmpeg skipped: %s\n", ffmpegNote.c_str());
  const double engine = median(rows[kEngine].times);
  const double library = median(rows[kLibrary].times);
  if (engine > 0 && library > 0) {
    std::printf("goals: within 1.5x of libebur128 alone: %.2fx %s", engine / library,
                engine / library <= 1.5 ? "met" : "missed");
    if (!rows[kFfmpeg].times.empty()) {
      const double peer = median(rows[kFfmpeg].times);
      std::printf("; >= 5x faster than ffmpeg: %.1fx %s", peer / engine,
                  peer / engine >= 5 ? "met" : "missed");
      // No measurement built on libebur128 can be faster than libebur128 alone.
      std::printf("\nceiling: ffmpeg against libebur128 alone on %u thread(s): %.1fx", workers,
                  peer / library);
    }
    std::printf("\n");
  }
  if (agreementKnown) {
    std::printf(
        "integrated loudness of the measurement and of libebur128 alone differ by at "
        "most %.2g LU\n",
        largestDifference);
  }
  std::printf(
      "The floor reads just the sample bytes of every element. The measurement adds the element\n"
      "checks, the conversion to floating point and the meters; libebur128 alone is the meters'\n"
      "arithmetic on samples already decoded in memory, on the same number of threads. ffmpeg\n"
      "demuxes the whole file, picture included, and runs its own ebur128 filter per track.\n");
  return agreementKnown && largestDifference < 1e-6 ? 0 : 1;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 2, &args)) return 2;
  return tavrin::bench::run(args);
}
