// Jobs the engines must refuse before they write, layouts that change inside the range, a disk
// that fills, cancellation, and the file times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "jobs/messages.h"
#include "support/job_controls.h"
#include "synthetic_essence.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

using namespace wrap_codes;

class SafetyTest : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    EssenceParams p;
    p.frames = 15;
    p.tracks = 4;
    p.segmentFrames = 5;
    f = make_synthetic_essence(p, dir.file("a.mxf"));
    ASSERT_NE(f, nullptr);
    mono = make_test_wav(dir.file("mono.wav"), 1, 24, 48000, f->records.timecode);
    stereo = make_test_wav(dir.file("stereo.wav"), 2, 24, 48000, f->records.timecode);
    ASSERT_TRUE(mono && stereo);
    prepare_job(*f, 0, 14, &job);
  }
  int code(int mapping, int fileApi) const { return code_of(GetParam(), mapping, fileApi); }
  int run() { return run_engine(GetParam(), *f, &job); }
  void expect_untouched() { EXPECT_EQ(first_difference(read_file(f->path), f->original), -1); }
  // Swaps the keys of tracks a and b in `frame`, in the file and in the expectation's original.
  void swap_element_keys(uint32_t frame, uint32_t a, uint32_t b) {
    std::vector<uint8_t> bytes = f->original;
    std::swap(bytes[f->element_offset(frame, a) + 15], bytes[f->element_offset(frame, b) + 15]);
    f->original = bytes;
    ASSERT_TRUE(write_file(f->path, bytes));
  }

  ScratchDir dir;
  std::unique_ptr<SyntheticEssence> f;
  std::unique_ptr<TestWav> mono;
  std::unique_ptr<TestWav> stereo;
  AUDIOTRACK_IO_INFO job;
};

TEST_P(SafetyTest, RangeOutsideTheFileOrReversed) {
  job.trackSwitch[0] = kTrackOn;
  set_range(*f, 6, 5, &job);
  EXPECT_EQ(run(), code(kMapBadRange, kFileBadRange));
  set_range(*f, 0, 15, &job);
  EXPECT_EQ(run(), code(kMapBadRange, kFileBadRange));
  job.inFrame[0] = f->count(0) - 1;
  job.outFrame[0] = f->count(3);
  EXPECT_EQ(run(), code(kMapBadRange, kFileBadRange));
  expect_untouched();
}

TEST_P(SafetyTest, AssignmentsThatBreakTheRules) {
  // A stereo file on the last track has no track for its second channel.
  job.wavEntry[3] = &stereo->entry;
  job.trackSwitch[3] = kTrackOn;
  job.trackSwitch[0] = kTrackOn;
  EXPECT_EQ(run(), code(kMapStereoLastTrack, kFileStereoLastTrack));
  expect_untouched();

  // A 24-bit file on 16-bit audio; a file of three channels.
  ScratchDir other;
  EssenceParams p;
  p.tracks = 2;
  p.bits = 16;
  auto f16 = make_synthetic_essence(p, other.file("b.mxf"));
  ASSERT_NE(f16, nullptr);
  AUDIOTRACK_IO_INFO job16;
  prepare_job(*f16, 0, 3, &job16);
  job16.wavEntry[1] = &mono->entry;
  job16.trackSwitch[1] = kTrackOn;
  EXPECT_EQ(run_engine(GetParam(), *f16, &job16), code(kMapWavFormat, kFileWavFormat));
  auto three = make_test_wav(dir.file("three.wav"), 3, 16, 4800, f16->records.timecode);
  ASSERT_NE(three, nullptr);
  job16.wavEntry[1] = &three->entry;
  EXPECT_EQ(run_engine(GetParam(), *f16, &job16), code(kMapWavFormat, kFileWavFormat));
  EXPECT_EQ(first_difference(read_file(f16->path), f16->original), -1);
}

TEST_P(SafetyTest, SecondHalfOfAStereoPairOnItsOwn) {
  job.wavEntry[0] = job.wavEntry[1] = &stereo->entry;
  job.trackSwitch[1] = kTrackOn;
  EXPECT_EQ(run(), code(kMapStereoPair, kFileStereoPair));
  expect_untouched();
}

// The audio delta entries of a file without a system item point at the picture element.
TEST_P(SafetyTest, DeltaEntriesPointingAtThePicture) {
  for (INDEX_ENTRY_ARRAY& e : f->records.indexEntrySlot) {
    e.sliceOffset = 0;
    e.deltas[2].elementDelta = e.deltas[1].elementDelta;
  }
  job.trackSwitch[0] = kTrackOn;
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  expect_untouched();
}

// Two sound elements swapped in one content package in a later segment of the range: every
// element of IN..OUT is checked before the first write, so both engines refuse with the file as
// it was.
TEST_P(SafetyTest, LayoutChangingInsideTheRange) {
  swap_element_keys(7, 1, 2);
  job.wavEntry[1] = &mono->entry;
  job.trackSwitch[1] = job.trackSwitch[2] = kTrackOn;
  set_range(*f, 2, 12, &job);
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  expect_untouched();
  // The same fault in the last frame of the range.
  f->original = read_file(f->path);
  swap_element_keys(7, 1, 2);
  swap_element_keys(12, 0, 2);
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  expect_untouched();
}

// Elements that are not what the index says in other ways: a value too short for the frame's
// samples, a length in another BER form, an edit unit without the track's delta entry.
TEST_P(SafetyTest, ElementsThatDoNotHoldTheSamples) {
  job.trackSwitch[3] = kTrackOn;
  const std::vector<uint8_t> original = f->original;
  std::vector<uint8_t> bytes = original;
  bytes[f->element_offset(3, 3) + 19] = 1;  // value length far below the samples
  ASSERT_TRUE(write_file(f->path, bytes));
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  EXPECT_EQ(first_difference(read_file(f->path), bytes), -1);

  bytes = original;
  bytes[f->element_offset(0, 3) + 16] = 0x84;
  ASSERT_TRUE(write_file(f->path, bytes));
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  EXPECT_EQ(first_difference(read_file(f->path), bytes), -1);

  ASSERT_TRUE(write_file(f->path, original));
  f->records.indexEntrySlot[4].deltaCount = 4;
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  expect_untouched();
}

// The last element reaching past the end of a file that lost its tail after the analysis.
// A file shorter than the analysis saw is refused as changed by another program; without a size
// in the records, the element that no longer fits stops the job. Either way nothing is written.
TEST_P(SafetyTest, FileCutAfterTheAnalysis) {
  std::vector<uint8_t> bytes = f->original;
  bytes.resize(f->value_offset(14, 0) + 100);
  ASSERT_TRUE(write_file(f->path, bytes));
  job.trackSwitch[0] = kTrackOn;
  set_range(*f, 11, 14, &job);
  EXPECT_EQ(run(), code(kMapMxfChanged, kFileMxfChanged));
  EXPECT_EQ(first_difference(read_file(f->path), bytes), -1);
  f->records.base.fileSize = 0;
  EXPECT_EQ(run(), code(kMapLayoutUntouched, kFileLayoutUntouched));
  EXPECT_EQ(first_difference(read_file(f->path), bytes), -1);
}

TEST_P(SafetyTest, SegmentThatDoesNotHoldItsEditUnit) {
  f->records.indexEntrySlot[6].segmentStart = 9;
  job.trackSwitch[0] = kTrackOn;
  set_range(*f, 5, 8, &job);
  if (GetParam() == Engine::kMapping) {
    EXPECT_EQ(run(), kMapSegmentBounds);
    expect_untouched();
  } else {
    EXPECT_EQ(run(), 0);  // the file-I/O engine addresses frames without the segments
  }
}

TEST_P(SafetyTest, MissingWavFile) {
  TestWav gone = *mono;
  gone.entry.file_path = dir.file("gone.wav");
  job.wavEntry[0] = &gone.entry;
  job.trackSwitch[0] = kTrackOn;
  EXPECT_EQ(run(), code(kMapOpenWav, kFileOpenWav));
  expect_untouched();
}

TEST_P(SafetyTest, MxfFileHeldByAnotherJob) {
  platform::Status status;
  const platform::File holder = platform::File::open(f->path, platform::Access::kReadExisting,
                                                     platform::Sharing::kRead, &status);
  ASSERT_TRUE(holder.valid());
  job.trackSwitch[0] = kTrackOn;
  EXPECT_EQ(run(), code(kMapOpenMxf, kFileOpenMxf));
}

TEST(WrapCodes, EveryCodeHasAMessage) {
  for (int code = 2001; code <= kMapJournalFailed; ++code) {
    EXPECT_NE(jobs::section_message(2000, code), jobs::kUndefinedMessage) << code;
  }
  for (int code = 3001; code <= kFileJournalFailed; ++code) {
    EXPECT_NE(jobs::section_message(3000, code), jobs::kUndefinedMessage) << code;
  }
}

struct stat stat_of(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info;
}

// A stop asked for at frame k, at every kind of place (before the first frame, inside a segment,
// at a segment's first frame, before the last frame): frames 0 .. k - 1 are new, frame k and every
// later one as they were. The request is left set for whoever asked, and a stopped mapping job
// leaves the file times as they were.
TEST_P(SafetyTest, CancelAtFrameKWritesTheFramesBeforeItAndNoneAfter) {
  const struct timespec old[2] = {{1000000000, 123456789}, {1000000000, 987654321}};
  job.trackSwitch[0] = kTrackOn;
  for (const uint32_t k : {0u, 3u, 5u, 14u}) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(write_file(f->path, f->original));
    ASSERT_EQ(::utimensat(AT_FDCWD, f->path.c_str(), old, 0), 0);
    CancelAtFrame control(k);
    ASSERT_EQ(run_engine(GetParam(), *f, &job, &control), kCancelled);
    EXPECT_EQ(control.total(), 15u);
    EXPECT_EQ(control.done(), k);
    EXPECT_TRUE(control.cancel_requested());
    if (GetParam() == Engine::kMapping) {
      const struct stat after = stat_of(f->path);  // before the file is read again
      EXPECT_EQ(after.st_mtim.tv_sec, old[1].tv_sec);
      EXPECT_EQ(after.st_mtim.tv_nsec, old[1].tv_nsec);
    }
    const std::vector<uint8_t> expected =
        k == 0 ? f->original : expected_file(*f, 0, k - 1, {silence()});
    EXPECT_EQ(first_difference(read_file(f->path), expected), -1);
  }
  // Without a stop the job reports every frame, counting up from 0 once.
  ASSERT_TRUE(write_file(f->path, f->original));
  CancelAtFrame watched;
  ASSERT_EQ(run_engine(GetParam(), *f, &job, &watched), 0);
  EXPECT_EQ(watched.done(), 15u);
  EXPECT_EQ(watched.totals_set(), 1u);
  EXPECT_EQ(watched.went_backwards(), 0u);
  EXPECT_GE(watched.times_asked(), 15u);
}

TEST_P(SafetyTest, FileTimesAfterAJob) {
  const struct timespec old[2] = {{1000000000, 5000}, {1000000000, 6000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, f->path.c_str(), old, 0), 0);
  job.trackSwitch[0] = kTrackOn;
  const time_t before = ::time(nullptr);
  ASSERT_EQ(run(), 0);
  const struct stat after = stat_of(f->path);
  EXPECT_GE(after.st_mtim.tv_sec, before);
  if (GetParam() == Engine::kMapping) {
    // Now, in whole seconds, for both last-access and last-write.
    EXPECT_EQ(after.st_mtim.tv_nsec, 0);
    EXPECT_EQ(after.st_atim.tv_nsec, 0);
    EXPECT_EQ(after.st_atim.tv_sec, after.st_mtim.tv_sec);
  }
}

INSTANTIATE_TEST_SUITE_P(BothEngines, SafetyTest,
                         ::testing::Values(Engine::kMapping, Engine::kFileApi),
                         [](const auto& info) { return std::string(engine_name(info.param)); });

// Runs `body` in a child process whose file size limit is `limit` bytes: writes at or beyond it
// fail with EFBIG, as on a full disk. Returns 0 when the child's result was `expected`.
int in_child_with_file_limit(uint64_t limit, int expected, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit rl = {limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    const int result = body();
    ::_exit(result == expected ? 0 : result == 0 ? 1 : 2);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Both engines write the samples with positioned writes, so a full disk fails a write of either
// in the middle of the job.
class WriteFailureTest : public ::testing::TestWithParam<Engine> {};

TEST_P(WriteFailureTest, DiskFullEndsTheJobWithAnError) {
  ScratchDir dir;
  EssenceParams p;
  p.frames = 15;
  p.tracks = 2;
  auto f = make_synthetic_essence(p, dir.file("a.mxf"));
  ASSERT_NE(f, nullptr);
  AUDIOTRACK_IO_INFO job;
  prepare_job(*f, 0, 14, &job);
  job.trackSwitch[0] = job.trackSwitch[1] = kTrackOn;
  const uint64_t limit = f->value_offset(9, 1) + 10;  // inside track 2's samples of frame 9
  const int expected = GetParam() == Engine::kFileApi ? kFileWriteFailed : kMapFlushFailed;
  EXPECT_EQ(
      in_child_with_file_limit(limit, expected, [&] { return run_engine(GetParam(), *f, &job); }),
      0);
  // Frames 0 .. 8 are new; nothing at or behind the limit changed.
  const std::vector<uint8_t> after = read_file(f->path);
  const std::vector<uint8_t> want = expected_file(*f, 0, 8, {silence(), silence()});
  EXPECT_EQ(
      first_difference(std::vector<uint8_t>(after.begin(), after.begin() + f->value_offset(9, 0)),
                       std::vector<uint8_t>(want.begin(), want.begin() + f->value_offset(9, 0))),
      -1);
  EXPECT_TRUE(std::equal(after.begin() + static_cast<int64_t>(limit), after.end(),
                         f->original.begin() + static_cast<int64_t>(limit)));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, WriteFailureTest,
                         ::testing::Values(Engine::kMapping, Engine::kFileApi),
                         [](const auto& info) { return std::string(engine_name(info.param)); });

}  // namespace
}  // namespace tavrin::test
