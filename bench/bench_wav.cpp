// Reading a WAV file whose data chunk lies behind a 64 MiB JUNK chunk, by read_wav_file_info,
// against one sequential read of the bytes in front of the samples (1 MiB blocks), warm cache.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench_files.h"
#include "bench_support.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"

namespace tavrin::bench {
namespace {

constexpr uint64_t kJunkBytes = uint64_t{64} << 20;
constexpr size_t kBlockBytes = size_t{1} << 20;

// open, read [0, end) in blocks, close: what any reader of those bytes must pay.
bool read_front(const std::string& path, uint64_t end, std::vector<char>* block) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  uint64_t done = 0;
  while (done < end) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(block->size(), end - done));
    const ssize_t got = ::read(fd, block->data(), want);
    if (got <= 0) break;
    done += static_cast<uint64_t>(got);
  }
  ::close(fd);
  return done == end;
}

int run(const BenchArgs& args) {
  ScratchFolder dir(args.dir);
  if (!dir.ok()) {
    std::printf("cannot make a folder under %s\n", args.dir.c_str());
    return 1;
  }
  std::printf("bench_wav: a WAV with a 64 MiB JUNK chunk in front of its data\n");
  // A short loaded MXF file gives the reader the frame grid it places the WAV on.
  BenchMxf mxf;
  if (!write_bench_mxf(dir.file("grid.mxf"), one_hour_options(30), &mxf)) return 1;
  if (!load_bench_mxf(&mxf)) return 1;

  test::WavParams params;
  params.sampleFrames = 48000;
  params.timeReference = uint64_t{48000} * 3600 * 10;
  test::WavLayout layout = test::make_wav(params);
  const int data = layout.find("data");
  layout.chunks.insert(layout.chunks.begin() + data, test::filler_chunk("JUNK", kJunkBytes));
  const uint64_t dataOffset = layout.payload_offset(static_cast<size_t>(data) + 1);
  const std::string path = dir.file("junk.wav");
  if (!test::write_wav(path, layout)) {
    std::printf("cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("file: %s, samples at offset %llu\n",
              format_mib(static_cast<double>(layout.file_size())).c_str(),
              static_cast<unsigned long long>(dataOffset));

  std::vector<char> block(kBlockBytes);
  auto read_info = [&] {
    WAV_FILE_INFO info;
    const int32_t code = read_wav_file_info(path, &info, &mxf.records->timecode);
    return code == kWavAccepted && info.data_offset == dataOffset;
  };
  if (!read_front(path, dataOffset, &block) || !read_info()) {
    std::printf("the reader does not find the data at %llu\n",
                static_cast<unsigned long long>(dataOffset));
    return 1;
  }
  std::vector<double> floorTimes;
  std::vector<double> readerTimes;
  for (int r = 0; r < args.rounds; ++r) {
    floorTimes.push_back(time_call([&] { read_front(path, dataOffset, &block); }));
    readerTimes.push_back(time_call([&] { read_info(); }));
  }
  const double floorTime = median(floorTimes);
  const double readerTime = median(readerTimes);
  std::printf("\nmedian of %d rounds (warm cache)          time        / floor\n", args.rounds);
  print_row("floor: sequential read to the data", floorTime, floorTime);
  print_row("read_wav_file_info", readerTime, floorTime);
  const double ratio = readerTime / floorTime;
  std::printf("\nGoal: under 2x of the floor: %.2fx, %s.\n", ratio, ratio < 2.0 ? "met" : "missed");
  std::printf(
      "The reader searches chunk ids byte by byte up to the samples; through its block buffer\n"
      "that costs one sequential pass over the JUNK bytes plus the comparisons per byte.\n");
  return 0;
}

}  // namespace
}  // namespace tavrin::bench

int main(int argc, char** argv) {
  tavrin::bench::BenchArgs args;
  if (!tavrin::bench::parse_bench_args(argc, argv, 15, &args)) return 2;
  return tavrin::bench::run(args);
}
