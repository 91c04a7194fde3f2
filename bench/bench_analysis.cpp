// The analysis of a one-hour 29.97 drop-frame file, step by step (everything up to, not
// including, the timecode verification), against the floor of reading the areas the analysis
// needs once: the header partition's header metadata and every partition's index area, by pread.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/mxf_loading.h"
#include "bench_files.h"
#include "bench_support.h"
#include "mxf/analysis.h"

namespace tavrin::bench {
namespace {

struct Step {
  const char* name;
  int (*run)(const ByteSource*, MXF_BASE_INFO*);
};

int partitions_step(const ByteSource* file, MXF_BASE_INFO* mxf) {
  return read_partitions(file, mxf->fileSize, mxf);
}

// The runner's order; identification never stops the analysis, its code is not checked.
const Step kSteps[] = {
    {"200 partitions", partitions_step},
    {"300 preface", read_preface},
    {"400 timecode component", read_timecode_component},
    {"500 file package", read_file_package},
    {"600 index table", read_index_table},
    {"700 audio descriptor", read_audio_descriptor},
    {"800 video descriptor", read_video_descriptor},
    {"900 identification", read_identification},
};
constexpr size_t kStepCount = sizeof kSteps / sizeof kSteps[0];

// The header metadata of the header partition, then every partition's index area.
std::vector<Area> floor_areas(const test::MxfFixtureLayout& layout) {
  std::vector<Area> areas;
  for (const test::FixturePartition& p : layout.partitions) {
    if (p.kind == 0 && p.headerByteCount > 0) areas.push_back({p.contentStart, p.headerByteCount});
  }
  for (const test::FixturePartition& p : layout.partitions) {
    if (p.indexByteCount > 0) {
      areas.push_back({p.contentStart + p.headerByteCount, p.indexByteCount});
    }
  }
  return areas;
}

// One analysis on fresh records; the seconds of each step, or false when a step refuses.
bool analyse(const ByteSource& source, std::vector<double>* seconds) {
  MxfRecords records;
  records.base.fileSize = source.size();
  for (size_t i = 0; i < kStepCount; ++i) {
    const Timer timer;
    const int code = kSteps[i].run(&source, &records.base);
    (*seconds)[i] = timer.seconds();
    if (code > 0 && i + 1 < kStepCount) {
      std::printf("step %s refused the file with code %d\n", kSteps[i].name, code);
      return false;
    }
  }
  return true;
}

int run(const BenchArgs& args) {
  const uint64_t frames = bench_frames(args, 60);  // an hour: 107892 frames
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_analysis: the analysis steps of a 29.97 DF file, 8 tracks of 24 bit\n");
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("hour.mxf"), one_hour_options(frames), &mxf)) return 1;

  platform::Status status;
  const platform::File file = app::open_mxf_for_analysis(mxf.path, &status);
  if (!file.valid()) {
    std::printf("cannot open %s (errno %d)\n", mxf.path.c_str(), status.error);
    return 1;
  }
  const platform::FileSource source(file);

  const std::vector<Area> areas = floor_areas(mxf.layout);
  uint64_t total = 0;
  std::vector<uint8_t> buffer = area_buffer(areas, &total);
  size_t segments = 0;
  for (const test::FixturePartition& p : mxf.layout.partitions) segments += p.indexSegments.size();
  std::printf("layout: %zu partitions, %zu index segments; floor reads %zu areas, %s\n",
              mxf.layout.partitions.size(), segments, areas.size(),
              format_mib(static_cast<double>(total)).c_str());

  // Warm the cache for both sides, then interleave the rounds.
  std::vector<double> once(kStepCount);
  if (!read_areas(file.fd(), areas, &buffer) || !analyse(source, &once)) return 1;
  std::vector<double> floorTimes;
  std::vector<double> arrayTimes;
  std::vector<std::vector<double>> stepTimes(kStepCount);
  std::vector<double> totals;
  for (int r = 0; r < args.rounds; ++r) {
    const Timer timer;
    read_areas(file.fd(), areas, &buffer);
    floorTimes.push_back(timer.seconds());
    arrayTimes.push_back(time_call([frames] {
      std::vector<INDEX_ENTRY_ARRAY> array(static_cast<size_t>(frames));
      asm volatile("" : : "r"(array.data()) : "memory");  // keep the zeroing
    }));
    if (!analyse(source, &once)) return 1;
    double sum = 0;
    for (size_t i = 0; i < kStepCount; ++i) {
      stepTimes[i].push_back(once[i]);
      sum += once[i];
    }
    totals.push_back(sum);
  }

  const double floorTime = median(floorTimes);
  std::printf("\nmedian of %d rounds (warm cache)          time        / floor\n", args.rounds);
  print_row("floor: pread header metadata + index", floorTime, floorTime);
  print_row("reference: zeroed per-frame array", median(arrayTimes), floorTime);
  for (size_t i = 0; i < kStepCount; ++i)
    print_row(kSteps[i].name, median(stepTimes[i]), floorTime);
  print_row("all steps (200..900)", median(totals), floorTime);
  std::printf("  peak RSS of this process: %s\n",
              format_mib(static_cast<double>(peak_rss_kib()) * 1024).c_str());
  std::printf(
      "\nEach ratio is a step's time over the floor: one pread pass over the bytes the analysis\n"
      "must read (header metadata and index areas). The index step parses %llu entries into\n"
      "the per-frame array of %zu bytes an entry (%s): the reference row is the cost of just\n"
      "allocating and zeroing that array, the part of the index step no parser can avoid.\n",
      static_cast<unsigned long long>(frames), sizeof(INDEX_ENTRY_ARRAY),
      format_mib(static_cast<double>(frames * sizeof(INDEX_ENTRY_ARRAY))).c_str());
  return 0;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 7, &args)) return 2;
  return tavrin::bench::run(args);
}
