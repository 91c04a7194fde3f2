// The timecode verification of a one-hour 29.97 drop-frame file by mapping and by file I/O,
// against the floor of one pread of one byte at every edit unit's filePosition, warm cache. The
// word reading of each method is also timed on its own, so that the share of the counting and
// the comparison shows.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/mxf_loading.h"
#include "bench_files.h"
#include "bench_support.h"
#include "mxf/analysis.h"
#include "mxf/verify_timecode.h"

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

int run(const BenchArgs& args) {
  const uint64_t frames = bench_frames(args, 60);  // an hour: 107892 frames
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_verify: timecode verification of a 29.97 DF file, 8 tracks of 24 bit\n");
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("hour.mxf"), one_hour_options(frames), &mxf)) return 1;
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
  return 0;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 7, &args)) return 2;
  return tavrin::bench::run(args);
}
