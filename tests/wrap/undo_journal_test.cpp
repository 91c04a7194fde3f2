// The undo journal of wrapping jobs: a completed, a cancelled and a failed job are taken back to
// the original bytes by both engines at KAG 1 and 512, mono and stereo 16-bit WAVs into 24-bit
// audio; a journal that cannot be written stops the job and still restores; undo refuses, writing
// nothing, when the file or the journal is not as the job left them; one level of undo; the
// torn end of a journal cut off in a flush.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <tuple>

#include "platform/crc32.h"
#include "support/analysed_fixture.h"
#include "support/job_controls.h"
#include "support/temp_dir.h"
#include "wrap/journaled_wrap.h"
#include "wrap/undo_restore.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

using namespace wrap_codes;

struct stat stat_of(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info;
}

bool same_mtime(const struct stat& a, const struct stat& b) {
  return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Asks to stop at no frame; at frame `frame` puts a read-only descriptor of the same file in
// place of the one the engine writes through, so that the engine's next write (or view) fails.
// Every descriptor of this process open for writing on `path` now refers to the file opened
// read-only: writes through it fail from here on.
void reopen_read_only(const std::string& path) {
  char real[PATH_MAX];
  if (::realpath(path.c_str(), real) == nullptr) return;
  DIR* fds = ::opendir("/proc/self/fd");
  if (fds == nullptr) return;
  std::vector<int> writers;
  while (const dirent* e = ::readdir(fds)) {
    char target[PATH_MAX] = {};
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0 || std::strcmp(target, real) != 0) continue;
    const int fd = std::atoi(e->d_name);
    if ((::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY) writers.push_back(fd);
  }
  ::closedir(fds);
  for (const int fd : writers) {
    const int readOnly = ::open(real, O_RDONLY | O_CLOEXEC);
    ::dup2(readOnly, fd);
    ::close(readOnly);
  }
}

class FailWritesAtFrame final : public platform::JobControl {
 public:
  FailWritesAtFrame(std::string path, uint32_t frame) : path_(std::move(path)), frame_(frame) {}
  void set_total(uint32_t) override {}
  void set_done(uint32_t frames) override {
    if (frames != frame_ || swapped_) return;
    swapped_ = true;
    reopen_read_only(path_);
  }
  bool cancel_requested() override { return false; }

 private:
  std::string path_;
  uint32_t frame_;
  bool swapped_ = false;
};

using UndoParam = std::tuple<Engine, uint32_t /*kag*/, uint16_t /*channels*/>;

class UndoTest : public ::testing::TestWithParam<UndoParam> {
 protected:
  void SetUp() override {
    MxfFixtureOptions o;
    o.trackCount = 4;
    o.frameCount = 40;
    o.pictureSize = 600;
    o.kagSize = std::get<1>(GetParam());
    o.maxSegmentDuration = 10;  // runs of the mapping engine end every ten frames
    f = make_analysed_fixture(dir.file("pgm.mxf"), o);
    ASSERT_TRUE(f && f->loaded()) << (f ? f->failureText : "no fixture");
    wav =
        make_test_wav(dir.file("in.wav"), std::get<2>(GetParam()), 16, 48000, f->records.timecode);
    ASSERT_TRUE(wav);
    before = stat_of(f->path);
    prepare(5, 34);
  }
  Engine engine() const { return std::get<0>(GetParam()); }
  void prepare(uint32_t first, uint32_t last) {
    for (size_t t = 0; t < kTrackSlots; ++t) {
      job.wavEntry[t] = nullptr;
      job.trackSwitch[t] = t < f->records.audio.trackCount ? kTrackOff : kTrackAbsent;
    }
    job.wavEntry[0] = &wav->entry;
    if (wav->entry.info.channels == 2) job.wavEntry[1] = &wav->entry;
    job.trackSwitch[0] = kTrackOn;
    job.trackSwitch[3] = kTrackOn;  // silence
    const size_t sel = f->records.timecode.startsInHour23 ? 1 : 0;
    job.inFrame[sel] = f->count(first);
    job.outFrame[sel] = f->count(last);
  }
  int wrap(platform::JobControl& control, const std::string& folder = {}) {
    return wrap_with_journal(f->path, &job, &f->records.base, control, engine() == Engine::kFileApi,
                             {true, folder});
  }
  int wrap() {
    CancelAtFrame none;
    return wrap(none);
  }
  // Undoes and expects the original bytes and last-write time back, and the journal gone.
  void expect_undo_restores(const std::vector<uint8_t>& original, const struct stat& then) {
    const UndoResult r = undo_wrap(f->path, "");
    ASSERT_EQ(r.fault, UndoFault::kNone);
    EXPECT_GT(r.records, 0u);
    EXPECT_EQ(first_difference(read_file(f->path), original), -1);
    EXPECT_TRUE(same_mtime(stat_of(f->path), then));
    EXPECT_EQ(find_journal(f->path, "").state, JournalState::kNone);
  }
  int code(int mapping, int fileApi) const { return code_of(engine(), mapping, fileApi); }

  TempDir dir;
  std::unique_ptr<AnalysedFixture> f;
  std::unique_ptr<TestWav> wav;
  AUDIOTRACK_IO_INFO job;
  struct stat before {};
};

TEST_P(UndoTest, CompletedCancelledAndFailedWrapsGoBackToTheOriginalBytes) {
  // Completed.
  ASSERT_EQ(wrap(), 0);
  JournalFound found = find_journal(f->path, "");
  EXPECT_EQ(found.state, JournalState::kCompleted);
  EXPECT_EQ(found.closing.framesWritten, 30u);
  EXPECT_EQ(found.header.job.totalFrames, 30u);
  EXPECT_EQ(found.header.job.trackMask, wav->entry.info.channels == 2 ? 0b1011u : 0b1001u);
  EXPECT_NE(first_difference(read_file(f->path), f->original), -1);
  expect_undo_restores(f->original, before);

  // Cancelled at frame 12 of the range: frames 0 .. 11 were written.
  CancelAtFrame stop(12);
  ASSERT_EQ(wrap(stop), kCancelled);
  found = find_journal(f->path, "");
  EXPECT_EQ(found.state, JournalState::kCancelled);
  EXPECT_EQ(found.closing.framesWritten, 12u);
  EXPECT_NE(first_difference(read_file(f->path), f->original), -1);
  expect_undo_restores(f->original, before);

  // A write that fails at frame 17, after frames were written.
  FailWritesAtFrame fail(f->path, 17);
  const int failed = wrap(fail);
  EXPECT_EQ(failed, code(kMapFlushFailed, kFileWriteFailed));
  found = find_journal(f->path, "");
  EXPECT_EQ(found.state, JournalState::kFailed);
  EXPECT_EQ(found.closing.code, failed);
  EXPECT_NE(first_difference(read_file(f->path), f->original), -1);
  expect_undo_restores(f->original, before);
}

// The journal's path the mapping case makes unwritable after the first run's records.
std::string journalToBreak;

// The journal cannot be written after the first run: the mapping engine stops before the second
// run, the journal stays without its closing record and restores the first run. The file-I/O
// engine journals its one batch first and, when the journal reaches its size limit (RLIMIT_FSIZE
// in a child), writes nothing at all. (The limit would stop the mapping engine's own positioned
// writes too, so its journal fails through a descriptor that turns read-only after the first
// run's records are written.)
TEST_P(UndoTest, AJournalThatCannotBeWrittenStopsTheJobAndStillRestores) {
  const uint64_t firstRun = 5 * 2 * 3 * 1602 + (wav->entry.info.channels == 2 ? 5 * 3 * 1602 : 0);
  journalToBreak = pending_journal_path(journal_path(f->path, ""));
  const bool fileApi = engine() == Engine::kFileApi;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (fileApi) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{firstRun + 4096, firstRun + 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    } else {
      set_journal_writer_hook([](UndoJournalWriter& journal) {
        journal.beforeSync = [commits = 0]() mutable {
          if (commits++ == 0) reopen_read_only(journalToBreak);
        };
      });
    }
    CancelAtFrame none;
    const int result = wrap(none);
    ::_exit(result == kMapJournalFailed ? 10 : result == kFileJournalFailed ? 11 : 12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), code(10, 11));
  if (engine() == Engine::kFileApi) {
    EXPECT_EQ(first_difference(read_file(f->path), f->original), -1);
    EXPECT_EQ(find_journal(f->path, "").state, JournalState::kNone);
    return;
  }
  EXPECT_NE(first_difference(read_file(f->path), f->original), -1);
  EXPECT_EQ(find_journal(f->path, "").state, JournalState::kInterrupted);
  const UndoResult r = undo_wrap(f->path, "");
  ASSERT_EQ(r.fault, UndoFault::kNone);
  EXPECT_EQ(first_difference(read_file(f->path), f->original), -1);
}

// Undo refuses, and writes nothing, when the file is not as the job left it, when a record is
// damaged, and when the journal was written for another file.
TEST_P(UndoTest, RefusesAFileChangedSinceTheJobADamagedRecordAndAnotherFilesJournal) {
  ASSERT_EQ(wrap(), 0);
  const std::vector<uint8_t> wrapped = read_file(f->path);
  const std::string journal = journal_path(f->path, "");
  const std::vector<uint8_t> journalBytes = read_file(journal);
  auto refused = [&](UndoFault fault, const std::vector<uint8_t>& file) {
    const UndoResult r = undo_wrap(f->path, "");
    EXPECT_EQ(r.fault, fault);
    EXPECT_EQ(r.records, 0u);
    EXPECT_EQ(first_difference(read_file(f->path), file), -1);
    return r;
  };

  // A byte appended.
  std::vector<uint8_t> longer = wrapped;
  longer.push_back(0);
  ASSERT_TRUE(write_file(f->path, longer));
  const UndoResult sized = refused(UndoFault::kSizeChanged, longer);
  EXPECT_EQ(sized.now.size, wrapped.size() + 1);

  // The same bytes, another last-write time.
  ASSERT_TRUE(write_file(f->path, wrapped));
  refused(UndoFault::kTimeChanged, wrapped);

  // A byte of the header partition changed; the time put back as the job left it.
  std::vector<uint8_t> header = wrapped;
  header[40] ^= 0xFF;
  const JournalFound found = find_journal(f->path, "");
  auto set_job_time = [&] {
    const timespec times[2] = {{found.closing.lastWriteAfter.seconds, 0},
                               {found.closing.lastWriteAfter.seconds,
                                static_cast<long>(found.closing.lastWriteAfter.nanoseconds)}};
    ASSERT_EQ(::utimensat(AT_FDCWD, f->path.c_str(), times, 0), 0);
  };
  ASSERT_TRUE(write_file(f->path, header));
  set_job_time();
  refused(UndoFault::kHeaderChanged, header);

  // The file as the job left it, a byte of the third record's samples damaged.
  ASSERT_TRUE(write_file(f->path, wrapped));
  set_job_time();
  uint64_t third = 0;
  {
    platform::Status status;
    UndoJournalReader reader = UndoJournalReader::open(journal, &status);
    JournalHeader h;
    ASSERT_TRUE(reader.read_header(&h));
    for (int i = 0; i < 3; ++i) ASSERT_EQ(reader.next(nullptr, nullptr), JournalItem::kData);
    third = reader.item_offset();
  }
  std::vector<uint8_t> damaged = journalBytes;
  damaged[third + kJournalDataHeadSize + 7] ^= 0x01;
  ASSERT_TRUE(write_file(journal, damaged));
  const UndoResult bad = refused(UndoFault::kRecordDamaged, wrapped);
  EXPECT_EQ(bad.faultOffset, third);

  // A copy of the file with the journal beside it: same bytes, another inode.
  ASSERT_TRUE(write_file(journal, journalBytes));
  const std::string copy = dir.file("copy.mxf");
  ASSERT_TRUE(write_file(copy, wrapped));
  ASSERT_TRUE(write_file(journal_path(copy, ""), journalBytes));
  const UndoResult other = undo_wrap(copy, "");
  EXPECT_EQ(other.fault, UndoFault::kOtherFile);
  EXPECT_EQ(first_difference(read_file(copy), wrapped), -1);

  // And the file itself still goes back.
  expect_undo_restores(f->original, before);
}

INSTANTIATE_TEST_SUITE_P(EnginesKagsChannels, UndoTest,
                         ::testing::Combine(::testing::Values(Engine::kMapping, Engine::kFileApi),
                                            ::testing::Values(1u, 512u),
                                            ::testing::Values(uint16_t{1}, uint16_t{2})),
                         [](const ::testing::TestParamInfo<UndoParam>& info) {
                           return std::string(engine_name(std::get<0>(info.param))) + "_Kag" +
                                  std::to_string(std::get<1>(info.param)) +
                                  (std::get<2>(info.param) == 1 ? "_Mono" : "_Stereo");
                         });

class UndoLevelTest : public UndoTest {};

// One level: a second completed wrap replaces the first one's journal, so undo goes back to the
// file after the first wrap, and a second undo finds nothing. A job refused before its first
// write keeps the journal there is. A journal in a folder of its own.
TEST_P(UndoLevelTest, OneLevelRefusedJobsKeepTheJournalAndAFolderOfItsOwn) {
  ASSERT_EQ(wrap(), 0);
  const std::vector<uint8_t> afterFirst = read_file(f->path);
  const struct stat firstTime = stat_of(f->path);
  job.wavEntry[0] = nullptr;  // silence on track 1 this time
  job.wavEntry[1] = nullptr;
  ASSERT_EQ(wrap(), 0);
  ASSERT_NE(first_difference(read_file(f->path), afterFirst), -1);

  // Refused by the range check before anything is written: the second journal stays.
  const std::array<uint32_t, 2> out = job.outFrame;
  job.outFrame = {0, 0};
  EXPECT_EQ(wrap(), code(kMapBadRange, kFileBadRange));
  job.outFrame = out;
  EXPECT_EQ(find_journal(f->path, "").state, JournalState::kCompleted);

  expect_undo_restores(afterFirst, firstTime);
  EXPECT_EQ(undo_wrap(f->path, "").fault, UndoFault::kNoJournal);

  // A folder of its own: the journal is there and nowhere else.
  const std::string folder = dir.file("journals");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  CancelAtFrame none;
  ASSERT_EQ(wrap(none, folder), 0);
  EXPECT_EQ(find_journal(f->path, "").state, JournalState::kNone);
  EXPECT_EQ(find_journal(f->path, folder).path, folder + "/pgm.mxf.undo");
  ASSERT_EQ(undo_wrap(f->path, folder).fault, UndoFault::kNone);
  EXPECT_EQ(first_difference(read_file(f->path), afterFirst), -1);
}

INSTANTIATE_TEST_SUITE_P(Engines, UndoLevelTest,
                         ::testing::Values(UndoParam{Engine::kMapping, 512u, uint16_t{2}},
                                           UndoParam{Engine::kFileApi, 1u, uint16_t{1}}),
                         [](const ::testing::TestParamInfo<UndoParam>& info) {
                           return std::string(engine_name(std::get<0>(info.param)));
                         });

// The journal's own records, written and read back; a journal cut off in a flush.
class JournalFormatTest : public ::testing::Test {
 protected:
  JournalHeader header() const {
    JournalHeader h;
    h.file.size = 123456;
    h.file.node = {7, 99};
    h.file.lastWrite = {1700000000, 123};
    h.file.headerBytes = 4096;
    h.file.headerChecksum = 0xDEADBEEF;
    h.job = {100, 199, 100, 0b101, JournalEngine::kFileApi};
    return h;
  }
  TempDir dir;
};

TEST_F(JournalFormatTest, RecordsReadBackAsWrittenAndDamageIsFoundWhereItIs) {
  const std::string path = dir.file("x.undo");
  platform::Status status;
  UndoJournalWriter w = UndoJournalWriter::create(path, header(), &status);
  ASSERT_TRUE(w.valid()) << status.error;
  const std::vector<uint8_t> a = {1, 2, 3}, b(5000, 0xAB);
  w.add(5000, a.data(), a.size());
  w.add(9000, b.data(), b.size());
  ASSERT_TRUE(w.commit().ok());
  JournalClosing c;
  c.end = JournalEnd::kCancelled;
  c.framesWritten = 42;
  c.code = 99;
  c.sizeAfter = 123456;
  c.lastWriteAfter = {1700000001, 5};
  ASSERT_TRUE(w.close(c).ok());
  // A journal is never created over another.
  EXPECT_FALSE(UndoJournalWriter::create(path, header(), &status).valid());
  EXPECT_EQ(status.error, EEXIST);

  const std::vector<uint8_t> bytes = read_file(path);
  EXPECT_EQ(bytes.size(), journal_size(a.size() + b.size(), 2, 1));
  UndoJournalReader r = UndoJournalReader::open(path, &status);
  JournalHeader h;
  ASSERT_TRUE(r.read_header(&h));
  EXPECT_EQ(h.file.node, header().file.node);
  EXPECT_EQ(h.file.headerChecksum, 0xDEADBEEFu);
  EXPECT_EQ(h.job.outFrame, 199u);
  EXPECT_EQ(h.job.engine, JournalEngine::kFileApi);
  JournalData d;
  JournalClosing got;
  ASSERT_EQ(r.next(&d, &got), JournalItem::kData);
  EXPECT_EQ(d.offset, 5000u);
  EXPECT_EQ(d.bytes, a);
  ASSERT_EQ(r.next(&d, &got), JournalItem::kData);
  EXPECT_EQ(d.bytes, b);
  EXPECT_EQ(r.next(&d, &got), JournalItem::kCommit);
  ASSERT_EQ(r.next(&d, &got), JournalItem::kClosing);
  EXPECT_EQ(got.end, JournalEnd::kCancelled);
  EXPECT_EQ(got.framesWritten, 42u);
  EXPECT_EQ(got.lastWriteAfter.nanoseconds, 5);
  EXPECT_EQ(r.next(&d, &got), JournalItem::kEnd);

  // Every single damaged byte is found: in the header, a record's head or bytes, the commit or
  // the closing record.
  for (size_t at = 0; at < bytes.size(); at += 97) {
    std::vector<uint8_t> bad = bytes;
    bad[at] ^= 0x10;
    ASSERT_TRUE(write_file(path, bad));
    UndoJournalReader reader = UndoJournalReader::open(path, &status);
    JournalHeader hh;
    bool found = !reader.read_header(&hh);
    for (int i = 0; i < 8 && !found; ++i) {
      const JournalItem item = reader.next(&d, &got);
      found = item == JournalItem::kDamaged || item == JournalItem::kTorn;
      if (item == JournalItem::kEnd) break;
    }
    EXPECT_TRUE(found) << "byte " << at;
  }
}

TEST(Crc32, CheckValueAndPieces) {
  const char* text = "123456789";
  EXPECT_EQ(platform::crc32(text, 9), 0xCBF43926u);
  EXPECT_EQ(platform::crc32(text + 4, 5, platform::crc32(text, 4)), 0xCBF43926u);
  EXPECT_EQ(platform::crc32(text, 0), 0u);
}

}  // namespace
}  // namespace tavrin::test
