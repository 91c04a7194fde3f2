// The timecode verification of a one-hour 29.97 drop-frame file by mapping and by file I/O,
// against the floor of one pread of one byte at every edit unit's filePosition, warm cache. The
// word reading of each method is also timed on its own, so that the share of the counting and
// the comparison shows.
//
// With --delivery the file is the 50 Mb/s delivery file of the wrap and export benchmarks (two
// minutes unless --minutes says otherwise), and the whole load is timed as well: every analysis
// step and then the timecode check, by mapping and by file I/O, against the floor of reading
// exactly the bytes the load must read (partition packs, header metadata, index areas, the
// Random Index Pack and each system item's timecode word) with one pread each.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/mxf_loading.h"
#include "bench_files.h"
#include "bench_support.h"
#include "mxf/analysis.h"
#include "mxf/verify_timecode.h"
#include "platform/mapping.h"

namespace tavrin::bench {
namespace {

// One byte at each edit unit's first byte; the sum keeps the reads from being dropped.
bool read_one_byte_each(int fd, const std::vector<INDEX_ENTRY_ARRAY>& entries, uint32_t n,
                        unsigned* sum) {
  unsigned s = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t byte = 0;
    if (::pread(fd, &byte, 1, static_cast<off_t>(entries[i].filePosition)) != 1) return false;
    s += byte;
  }
  *sum += s;
  return true;
}

int verify(const ByteSource& source, MXF_BASE_INFO* mxf, bool fileApi) {
  mxf->timecode->useFileApi = fileApi ? 1 : 0;
  mxf->timecode->errorList = nullptr;
  platform::NullJobControl unwatched;
  return verify_sdti_timecode(&source, mxf, unwatched);
}

// The words alone, as the verification reads them.
int read_words(const ByteSource& source, MXF_BASE_INFO* mxf, bool fileApi,
               std::vector<uint32_t>* words) {
  words->assign(mxf->timecode->indexEntryCount, 0);
  platform::NullJobControl unwatched;
  return fileApi ? read_timecode_words_by_file(source, *mxf->indexEntries, mxf->timecode, words,
                                               unwatched)
                 : read_timecode_words_by_view(source, *mxf, *mxf->indexEntries, mxf->timecode,
                                               words, unwatched);
}

// What a load must read: every partition pack with the fill behind it, the header metadata, every
// index area and the Random Index Pack (the timecode words are read apart, one per edit unit).
std::vector<Area> load_areas(const test::MxfFixtureLayout& layout) {
  std::vector<Area> areas;
  for (const test::FixturePartition& p : layout.partitions) {
    areas.push_back({p.offset, p.contentStart - p.offset});
    if (p.headerByteCount + p.indexByteCount > 0) {
      areas.push_back({p.contentStart, p.headerByteCount + p.indexByteCount});
    }
  }
  if (layout.ripOffset > 0) areas.push_back({layout.ripOffset, layout.fileSize - layout.ripOffset});
  return areas;
}

// The floor of a load: one pread of each area, then one of the four bytes of each timecode word.
bool read_load_floor(int fd, const std::vector<Area>& areas, const test::MxfFixtureLayout& layout,
                     std::vector<uint8_t>* buffer, unsigned* sum) {
  if (!read_areas(fd, areas, buffer)) return false;
  unsigned s = 0;
  for (const test::FixtureFrame& f : layout.frames) {
    uint8_t word[kTimecodeWordSize];
    if (::pread(fd, word, sizeof word,
                static_cast<off_t>(f.contentPackage + kTimecodeWordOffset)) !=
        static_cast<ssize_t>(sizeof word)) {
      return false;
    }
    s += word[0];
  }
  *sum += s;
  return true;
}

// What any reading through a mapping must pay: one view of the whole file, one byte touched in
// each timecode word's page, the view released.
bool touch_mapped_words(const platform::File& file, const test::MxfFixtureLayout& layout,
                        unsigned* sum) {
  const platform::MappedView view =
      platform::MappedView::map(file, 0, layout.fileSize, platform::ViewAccess::kRead, nullptr);
  if (!view.valid()) return false;
  unsigned s = 0;
  for (const test::FixtureFrame& f : layout.frames) {
    s +=
        *static_cast<volatile const uint8_t*>(view.data() + f.contentPackage + kTimecodeWordOffset);
  }
  *sum += s;
  return true;
}

// The whole load on fresh records: the analysis steps in the runner's order, then the timecode
// check by the chosen method. 0, or the code of the step that refused the file.
int load(const ByteSource& source, bool fileApi) {
  MxfRecords records;
  MXF_BASE_INFO* base = &records.base;
  base->fileSize = source.size();
  int code = read_partitions(&source, base->fileSize, base);
  if (code == 0) code = read_preface(&source, base);
  if (code == 0) code = read_timecode_component(&source, base);
  if (code == 0) code = read_file_package(&source, base);
  if (code == 0) code = read_index_table(&source, base);
  if (code == 0) code = read_audio_descriptor(&source, base);
  if (code == 0) code = read_video_descriptor(&source, base);
  if (code != 0) return code;
  read_identification(&source, base);  // never stops a load
  return verify(source, base, fileApi);
}

// The load of the delivery file: analysis and timecode check, by mapping and by file I/O.
int run_load(const BenchMxf& mxf, const platform::File& file, const ByteSource& source) {
  const std::vector<Area> areas = load_areas(mxf.layout);
  uint64_t total = 0;
  std::vector<uint8_t> buffer = area_buffer(areas, &total);
  unsigned sum = 0;
  if (!read_load_floor(file.fd(), areas, mxf.layout, &buffer, &sum)) {
    std::printf("the load floor's reads failed\n");
    return 1;
  }
  for (const bool fileApi : {false, true}) {
    if (const int code = load(source, fileApi); code != 0) {
      std::printf("the load by %s gave %d\n", fileApi ? "file I/O" : "mapping", code);
      return 1;
    }
  }
  enum { kFloor, kTouch, kMapping, kFile, kCount };
  std::vector<std::vector<double>> times(kCount);
  const int rounds = 7;
  for (int r = 0; r < rounds; ++r) {
    times[kFloor].push_back(
        time_call([&] { read_load_floor(file.fd(), areas, mxf.layout, &buffer, &sum); }));
    times[kTouch].push_back(time_call([&] { touch_mapped_words(file, mxf.layout, &sum); }));
    times[kMapping].push_back(time_call([&] { load(source, false); }));
    times[kFile].push_back(time_call([&] { load(source, true); }));
  }
  std::vector<double> m(kCount);
  for (int i = 0; i < kCount; ++i) m[i] = median(times[i]);
  std::printf("\nthe load: %zu areas (%s) and %zu timecode words, median of %d rounds\n",
              areas.size(), format_mib(static_cast<double>(total)).c_str(),
              mxf.layout.frames.size(), rounds);
  print_row("floor: pread of the areas and words", m[kFloor], m[kFloor]);
  print_row("reference: a view touched at every word", m[kTouch], m[kFloor]);
  print_row("analysis + timecode check, mapping", m[kMapping], m[kFloor]);
  print_row("analysis + timecode check, file I/O", m[kFile], m[kFloor]);
  const double worst = std::max(m[kMapping], m[kFile]) / m[kFloor];
  std::printf(
      "Goal: analysis + timecode check within 2x of its floor by both methods: %.2fx, %s."
      " (checksum %u)\n",
      worst, worst <= 2.0 ? "met" : "missed", sum & 0xFF);
  std::printf(
      "The reference row is the least any reading through a mapping pays here: one page fault per\n"
      "edit unit instead of one system call. The mapping method's ratio cannot fall below it.\n");
  return 0;
}

int run(const BenchArgs& args, bool delivery) {
  const uint64_t frames = bench_frames(args, delivery ? 2 : 60);  // an hour: 107892 frames
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_verify: timecode verification of a 29.97 DF file, 8 tracks of 24 bit\n");
  BenchMxf mxf;
  const test::MxfFixtureOptions options =
      delivery ? ten_minute_options(frames) : one_hour_options(frames);
  if (!write_bench_mxf(dir.file("hour.mxf"), options, &mxf)) return 1;
  if (!load_bench_mxf(&mxf)) return 1;

  platform::Status status;
  const platform::File file = app::open_mxf_for_analysis(mxf.path, &status);
  if (!file.valid()) {
    std::printf("cannot open %s (errno %d)\n", mxf.path.c_str(), status.error);
    return 1;
  }
  const platform::FileSource source(file);
  MXF_BASE_INFO* base = &mxf.records->base;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *base->indexEntries;
  const uint32_t n = base->timecode->indexEntryCount;

  // Warm-up: every method once, each must find the run unbroken.
  unsigned sum = 0;
  std::vector<uint32_t> words;
  if (!read_one_byte_each(file.fd(), entries, n, &sum)) {
    std::printf("the floor's reads failed\n");
    return 1;
  }
  for (const bool fileApi : {false, true}) {
    const int code = verify(source, base, fileApi);
    if (code != 0) {
      std::printf("verification by %s gave %d\n", fileApi ? "file I/O" : "mapping", code);
      return 1;
    }
  }

  enum { kFloor, kMapping, kFile, kViewWords, kFileWords, kCount };
  std::vector<std::vector<double>> times(kCount);
  for (int r = 0; r < args.rounds; ++r) {
    times[kFloor].push_back(time_call([&] { read_one_byte_each(file.fd(), entries, n, &sum); }));
    times[kMapping].push_back(time_call([&] { verify(source, base, false); }));
    times[kFile].push_back(time_call([&] { verify(source, base, true); }));
    times[kViewWords].push_back(time_call([&] { read_words(source, base, false, &words); }));
    times[kFileWords].push_back(time_call([&] { read_words(source, base, true, &words); }));
  }
  std::vector<double> m(kCount);
  for (int i = 0; i < kCount; ++i) m[i] = median(times[i]);

  std::printf("\n%u edit units, median of %d rounds (warm cache)   time        / floor\n", n,
              args.rounds);
  print_row("floor: pread 1 byte per edit unit", m[kFloor], m[kFloor]);
  print_row("verification by mapping", m[kMapping], m[kFloor]);
  print_row("verification by file I/O", m[kFile], m[kFloor]);
  print_row("  words only, by views", m[kViewWords], m[kFloor]);
  print_row("  words only, by pread", m[kFileWords], m[kFloor]);
  const double ratio = m[kMapping] / m[kFloor];
  std::printf("\nGoal: the mapping method within 2x of the floor: %.2fx, %s.\n", ratio,
              ratio <= 2.0 ? "met" : "missed");
  std::printf(
      "The floor is one system call per edit unit; the mapping method instead maps one view per\n"
      "index table segment and takes a page fault per edit unit it touches. The words-only rows\n"
      "leave out the counting and the comparison of the counts. (checksum %u)\n",
      sum & 0xFF);
  return delivery ? run_load(mxf, file, source) : 0;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  // --delivery is this program's own; the rest are every benchmark's arguments.
  bool delivery = false;
  int kept = 0;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--delivery") == 0) {
      delivery = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(kept, argv, 7, &args)) return 2;
  return tavrin::bench::run(args, delivery);
}
