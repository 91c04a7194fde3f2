#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/job_file_lock.h"
#include "platform/mapping.h"

namespace tavrin::platform {
namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavrin-file-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/data.bin";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  void write_bytes(size_t n) {
    Status st;
    File f = File::open(path_, Access::kCreateReplace, Sharing::kNone, &st);
    ASSERT_TRUE(f.valid()) << st.error;
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(f.write_at(0, bytes.data(), n).bytes, n);
  }

  std::string dir_;
  std::string path_;
};

TEST_F(FileTest, ExistingOnlyModesRefuseAMissingFile) {
  Status st;
  EXPECT_FALSE(File::open(path_, Access::kReadExisting, Sharing::kAny, &st).valid());
  EXPECT_EQ(st.error, ENOENT);
  EXPECT_FALSE(File::open(path_, Access::kReadWriteExisting, Sharing::kAny, &st).valid());
  EXPECT_FALSE(File::open(dir_, Access::kReadExisting, Sharing::kAny, &st).valid());
  EXPECT_EQ(st.error, EISDIR);
  // A FIFO named like a media file neither blocks the open nor is taken as a file.
  const std::string fifo = dir_ + "/pipe.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(File::open(fifo, Access::kReadExisting, Sharing::kNone, &st).valid());
  EXPECT_EQ(st.error, EINVAL);
}

TEST_F(FileTest, PositionedReadsAndWritesUse64BitOffsets) {
  write_bytes(100);
  Status st;
  File f = File::open(path_, Access::kReadWriteExisting, Sharing::kNone, &st);
  ASSERT_TRUE(f.valid());
  const uint8_t marker[3] = {0xDE, 0xAD, 0xBF};
  // A sparse write beyond 4 GiB checks that offsets are not truncated to 32 bits.
  const uint64_t far = (uint64_t{1} << 32) + 5;
  ASSERT_TRUE(f.write_at(far, marker, 3).ok());
  uint64_t size = 0;
  ASSERT_TRUE(f.size(&size).ok());
  EXPECT_EQ(size, far + 3);
  uint8_t back[3] = {};
  EXPECT_EQ(f.read_at(far, back, 3).bytes, 3u);
  EXPECT_EQ(back[2], 0xBF);
  uint8_t head[2] = {};
  EXPECT_EQ(f.read_at(1, head, 2).bytes, 2u);
  EXPECT_EQ(head[0], 7);
  // A read across the end returns what there is.
  uint8_t tail[8] = {};
  EXPECT_EQ(f.read_at(far + 1, tail, 8).bytes, 2u);
}

TEST_F(FileTest, NoSharingExcludesEveryOtherOpenerAndReadSharingAllowsReaders) {
  write_bytes(10);
  Status st;
  File exclusive = File::open(path_, Access::kReadExisting, Sharing::kNone, &st);
  ASSERT_TRUE(exclusive.valid());
  EXPECT_FALSE(File::open(path_, Access::kReadExisting, Sharing::kRead, &st).valid());
  EXPECT_EQ(st.error, EWOULDBLOCK);
  exclusive.close();
  File reader1 = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
  File reader2 = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
  EXPECT_TRUE(reader1.valid());
  EXPECT_TRUE(reader2.valid());
  EXPECT_FALSE(File::open(path_, Access::kReadWriteExisting, Sharing::kNone, &st).valid());
}

TEST_F(FileTest, ReplaceDoesNotTruncateAFileSomeoneHoldsLocked) {
  write_bytes(10);
  Status st;
  File holder = File::open(path_, Access::kReadExisting, Sharing::kNone, &st);
  ASSERT_TRUE(holder.valid());
  EXPECT_FALSE(File::open(path_, Access::kCreateReplace, Sharing::kNone, &st).valid());
  uint64_t size = 0;
  holder.size(&size);
  EXPECT_EQ(size, 10u);
}

// Creating a new file never takes over a name: not a file's, not a link's (even one that leads
// nowhere, which would otherwise create its target).
TEST_F(FileTest, CreateNewRefusesANameThatIsTaken) {
  write_bytes(10);
  Status st;
  EXPECT_FALSE(File::open(path_, Access::kCreateNew, Sharing::kNone, &st).valid());
  EXPECT_EQ(st.error, EEXIST);
  const std::string link = dir_ + "/link.wav";
  ASSERT_EQ(::symlink((dir_ + "/target.wav").c_str(), link.c_str()), 0);
  EXPECT_FALSE(File::open(link, Access::kCreateNew, Sharing::kNone, &st).valid());
  EXPECT_EQ(st.error, EEXIST);
  EXPECT_FALSE(file_exists(dir_ + "/target.wav"));
  File made = File::open(dir_ + "/new.wav", Access::kCreateNew, Sharing::kNone, &st);
  ASSERT_TRUE(made.valid()) << st.error;
  uint64_t size = 1;
  ASSERT_TRUE(made.size(&size).ok());
  EXPECT_EQ(size, 0u);
}

// A job's hold: this process's own descriptors on the file open as before, with or without a
// lock; another process is refused every lock; a second hold, here or there, is refused; after
// the release the file is free again.
TEST_F(FileTest, AJobHoldLetsThisProcessOpenTheFileAndKeepsEveryoneElseOut) {
  write_bytes(10);
  const auto other_process_locks = [&] {
    const pid_t child = ::fork();
    if (child == 0) {
      Status st;
      const File f = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
      const JobFileLock hold = JobFileLock::take(path_, &st);
      ::_exit(f.valid() ? 1 : (hold.held() ? 2 : (st.error == EWOULDBLOCK ? 0 : 3)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "refused" : "not refused";
  };
  Status st;
  {
    const JobFileLock hold = JobFileLock::take(path_, &st);
    ASSERT_TRUE(hold.held()) << st.error;
    EXPECT_TRUE(File::open(path_, Access::kReadExisting, Sharing::kNone, &st).valid());
    EXPECT_TRUE(File::open(path_, Access::kReadWriteExisting, Sharing::kNone, &st).valid());
    EXPECT_FALSE(JobFileLock::take(path_, &st).held());
    EXPECT_EQ(st.error, EWOULDBLOCK);
    EXPECT_STREQ(other_process_locks(), "refused");
  }
  EXPECT_STREQ(other_process_locks(), "not refused");
  // A file someone else locks cannot be held.
  const File holder = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
  ASSERT_TRUE(holder.valid());
  EXPECT_FALSE(JobFileLock::take(path_, &st).held());
  EXPECT_EQ(st.error, EWOULDBLOCK);
  EXPECT_FALSE(JobFileLock::take(dir_ + "/missing.mxf", &st).held());
  EXPECT_EQ(st.error, ENOENT);
}

TEST_F(FileTest, AWriteBeyondTheFileSizeLimitIsAnErrorNotSuccess) {
  write_bytes(10);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {
      4096, 4096
    };
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Status st;
    File f = File::open(path_, Access::kReadWriteExisting, Sharing::kNone, &st);
    std::vector<uint8_t> block(8192, 1);
    const IoResult r = f.write_at(0, block.data(), block.size());
    ::_exit(r.ok() ? 1 : (r.error == EFBIG ? 0 : 2));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FileTest, FileTimesAreSetAndTheDirectoryRecordReadsThem) {
  write_bytes(42);
  Status st;
  File f = File::open(path_, Access::kReadWriteExisting, Sharing::kNone, &st);
  ASSERT_TRUE(set_file_times(f, FileTime{1000000000, 0}, FileTime{1200000000, 0}).ok());
  DirectoryRecord record;
  ASSERT_TRUE(stat_file(path_, &record).ok());
  EXPECT_EQ(record.size, 42u);
  EXPECT_EQ(record.lastWrite.seconds, 1200000000);
  EXPECT_EQ(record.lastAccess.seconds, 1000000000);
  if (!record.hasBirthTime) {
    EXPECT_EQ(record.creation.seconds, record.lastWrite.seconds);
  }
  EXPECT_EQ(to_windows_file_time(FileTime{0, 0}), 116444736000000000ull);
}

TEST_F(FileTest, ViewsAreAlignedToTheGranularityAndNeverPassTheEnd) {
  const uint64_t g = allocation_granularity();
  write_bytes(static_cast<size_t>(3 * g));
  Status st;
  File f = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
  MappedView view = MappedView::map(f, g + 5, 10, ViewAccess::kRead, &st);
  ASSERT_TRUE(view.valid());
  EXPECT_EQ(view.granule_offset(), 5u);
  EXPECT_EQ(view.data()[0], static_cast<uint8_t>((g + 5) * 7));
  MappedView exact = MappedView::map(f, g, g, ViewAccess::kRead, &st);
  ASSERT_TRUE(exact.valid());
  EXPECT_EQ(exact.granule_offset(), 0u);
  EXPECT_FALSE(MappedView::map(f, 2 * g, g + 1, ViewAccess::kRead, &st).valid());
  EXPECT_EQ(st.error, ERANGE);
  EXPECT_FALSE(MappedView::map(f, 3 * g + 1, 0, ViewAccess::kRead, &st).valid());
}

TEST_F(FileTest, ByteSourcesOfAFileAndOfMemoryAgree) {
  write_bytes(300);
  Status st;
  File f = File::open(path_, Access::kReadExisting, Sharing::kRead, &st);
  FileSource fileSource(f);
  std::vector<uint8_t> bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  MemorySource memorySource(bytes);
  for (const ByteSource* source : {static_cast<const ByteSource*>(&fileSource),
                                   static_cast<const ByteSource*>(&memorySource)}) {
    EXPECT_EQ(source->size(), 300u);
    std::vector<uint8_t> out;
    EXPECT_TRUE(read_exact(*source, 290, 10, &out));
    EXPECT_EQ(out[9], static_cast<uint8_t>(299 * 7));
    EXPECT_FALSE(read_exact(*source, 291, 10, &out));
    EXPECT_TRUE(out.empty());
    auto view = source->view(100, 200, &st);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->bytes()[0], static_cast<uint8_t>(700));
    EXPECT_EQ(source->view(101, 200, &st), nullptr);
  }
}

}  // namespace
}  // namespace tavrin::platform
