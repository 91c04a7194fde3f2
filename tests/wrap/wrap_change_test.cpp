// Files that change under a wrapping job: an MXF file or a WAV shortened by another program
// while the engines write, and WAVs replaced or cut between adding them and the job. No write may
// grow the MXF file back, no SIGBUS may end the process, and no changed WAV may be read as if it
// were the file that was added.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "platform/file.h"
#include "support/job_controls.h"
#include "synthetic_essence.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

using namespace wrap_codes;

constexpr uint64_t kPage = 4096;

uint64_t page_floor(uint64_t offset) {
  return offset / kPage * kPage;
}

uint64_t file_size(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

// A 24 fps, 16-bit file of one track, a little longer than one batch of the file-I/O engine's
// shortest buffer (1440 frames), in index segments of 500 frames (the mapping engine's runs).
class ChangeUnderJobTest : public ::testing::TestWithParam<Engine> {
 protected:
  static constexpr uint32_t kBatch = 1440;
  static constexpr uint32_t kFrames = kBatch + 5;
  void SetUp() override {
    EssenceParams p;
    p.frames = kFrames;
    p.tracks = 1;
    p.bits = 16;
    p.rateCode = 0;
    p.fpsCode = 0;
    p.dropFrame = 0;
    p.segmentFrames = 500;
    p.valueTail = 0;
    f = make_synthetic_essence(p, dir.file("a.mxf"));
    ASSERT_NE(f, nullptr);
    wav = make_test_wav(dir.file("w.wav"), 1, 16, uint64_t{kFrames} * 2000, f->records.timecode);
    ASSERT_NE(wav, nullptr);
    prepare_job(*f, 0, kFrames - 1, &job);
    job.wavBufferIndex = 0;
    job.wavEntry[0] = &wav->entry;
    job.trackSwitch[0] = kTrackOn;
  }
  int run(platform::JobControl& control) { return run_engine(GetParam(), *f, &job, &control); }
  int code(int mapping, int fileApi) const { return code_of(GetParam(), mapping, fileApi); }

  // The file as it must be after frames 0 .. last were written and it was cut to `size` bytes.
  std::vector<uint8_t> written_then_cut(uint32_t last, uint64_t size) const {
    std::vector<uint8_t> want = expected_file(*f, 0, last, {from_wav(*wav)});
    want.resize(size);
    return want;
  }

  ScratchDir dir;
  std::unique_ptr<SyntheticEssence> f;
  std::unique_ptr<TestWav> wav;
  AUDIOTRACK_IO_INFO job;
};

// The MXF file cut by another program inside a batch or run, and at the start of the second
// batch: the job stops with the file-changed code, the file keeps the size the other program
// left (no write grows it back), and every byte before the cut is the frames written before it.
TEST_P(ChangeUnderJobTest, MxfFileCutDuringTheJobIsNeverGrownBack) {
  for (const uint32_t frame : {7u, 500u, kBatch, kBatch + 2}) {
    SCOPED_TRACE(frame);
    ASSERT_TRUE(write_file(f->path, f->original));
    const uint64_t cut = page_floor(f->element_offset(frame, 0));
    ActAtFrame control(frame, [&] { ASSERT_EQ(::truncate(f->path.c_str(), cut), 0); });
    EXPECT_EQ(run(control), code(kMapMxfChanged, kFileMxfChanged));
    EXPECT_EQ(file_size(f->path), cut);
    EXPECT_EQ(first_difference(read_file(f->path), written_then_cut(frame - 1, cut)), -1);
  }
}

// A WAV cut by another program while the job reads it: an error, never silence reported as a
// finished wrap, and never a SIGBUS. The mapping engine meets the cut at the start of a run (its
// size check) or inside one (through a view made before the cut); the file-I/O engine when a
// batch reads the WAV. Every frame before the one the job stopped in is written.
TEST_P(ChangeUnderJobTest, WavCutDuringTheJobIsAnError) {
  struct Case {
    uint32_t cutAt;      // frames done when the WAV is cut
    uint32_t writtenTo;  // frames written whole before the stop
  };
  const std::vector<Case> cases =
      GetParam() == Engine::kMapping
          ? std::vector<Case>{{600, 600}, {1000, 1000}, {kBatch + 2, kBatch + 2}}
          // The first batch read its samples before a cut inside it and is written whole.
          : std::vector<Case>{{600, kBatch}, {kBatch, kBatch}};
  const uint64_t dataOffset = wav->entry.info.data_offset;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cutAt);
    ASSERT_TRUE(write_file(f->path, f->original));
    auto fresh =
        make_test_wav(wav->entry.file_path, 1, 16, uint64_t{kFrames} * 2000, f->records.timecode);
    ASSERT_NE(fresh, nullptr);
    wav->entry.find_data = fresh->entry.find_data;
    const uint64_t cut = page_floor(dataOffset + uint64_t{c.cutAt} * 2000 * 2);
    ActAtFrame control(c.cutAt,
                       [&] { ASSERT_EQ(::truncate(wav->entry.file_path.c_str(), cut), 0); });
    EXPECT_EQ(run(control), code(kMapWavShortened, kFileWavShortened));
    std::vector<uint8_t> after = read_file(f->path);
    std::vector<uint8_t> want = expected_file(*f, 0, c.writtenTo - 1, {from_wav(*wav)});
    ASSERT_EQ(after.size(), want.size());
    // The frame the job stopped in may hold part of its samples; nothing after it is touched.
    const auto stopFrame = [&](std::vector<uint8_t>& bytes) {
      std::fill(bytes.begin() + static_cast<ptrdiff_t>(f->value_offset(c.writtenTo, 0)),
                bytes.begin() + static_cast<ptrdiff_t>(f->value_offset(c.writtenTo, 0) +
                                                       uint64_t{f->samples(c.writtenTo)} * 2),
                0);
    };
    stopFrame(after);
    stopFrame(want);
    EXPECT_EQ(first_difference(after, want), -1);
  }
}

// WAVs that are not the files that were added are refused before anything is written: rewritten
// in place, replaced under the same name with the same size and time, cut, or (without a
// directory record) holding less data than the reader found.
TEST_P(ChangeUnderJobTest, WavChangedSinceItWasAddedIsRefused) {
  const std::string path = wav->entry.file_path;
  const std::vector<uint8_t> bytes = read_file(path);
  const auto expect_refused = [&] {
    ActAtFrame control(0, nullptr);
    EXPECT_EQ(run(control), code(kMapWavChanged, kFileWavChanged));
    EXPECT_EQ(first_difference(read_file(f->path), f->original), -1);
  };
  const auto set_time = [&](int64_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };

  // Written anew in place (16-bit stereo over 16-bit mono would be read with the old header).
  set_time(1500000000);
  ASSERT_TRUE(platform::stat_file(path, &wav->entry.find_data).ok());
  std::vector<uint8_t> other = bytes;
  other[other.size() - 1] ^= 0xFF;
  ASSERT_TRUE(write_file(path, other));
  expect_refused();

  // Replaced by another file renamed over it, with the old size and time put back.
  ASSERT_TRUE(write_file(path, bytes));
  set_time(1500000000);
  ASSERT_TRUE(platform::stat_file(path, &wav->entry.find_data).ok());
  ASSERT_TRUE(write_file(path + ".new", bytes));
  ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
  set_time(1500000000);
  expect_refused();

  // Cut: fewer sample bytes than when it was added, with or without a directory record.
  ASSERT_TRUE(platform::stat_file(path, &wav->entry.find_data).ok());
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(bytes.size() - 2)), 0);
  expect_refused();
  wav->entry.find_data = platform::DirectoryRecord{};
  expect_refused();

  // The file as added again: the job runs.
  ASSERT_TRUE(write_file(path, bytes));
  ASSERT_TRUE(platform::stat_file(path, &wav->entry.find_data).ok());
  ActAtFrame control(0, nullptr);
  EXPECT_EQ(run(control), 0);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ChangeUnderJobTest,
                         ::testing::Values(Engine::kMapping, Engine::kFileApi),
                         [](const auto& info) { return engine_name(info.param); });

}  // namespace
}  // namespace tavrin::test
