// The log writer: pieces converted and written as they stand, and every failure reported with the
// path and the system error, never as a written log.
#include "jobs/log_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tavrin::jobs {
namespace {

using platform::TextEncoding;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::vector<std::string> kPieces = {"#       発生場所\r\n", "", "é 😀\r\n", "end"};

TEST(LogWriter, WritesEachPieceInTheChosenEncodingWithoutBomOrTerminator) {
  test::TempDir dir;
  const std::string path = dir.file("log.txt");

  ASSERT_TRUE(write_log(path, kPieces, TextEncoding::kUtf8).written());
  EXPECT_EQ(contents(path), "#       発生場所\r\né 😀\r\nend");

  // CP932: the kanji become two-byte codes; what the code page cannot hold becomes '?'.
  const LogWriteResult cp932 = write_log(path, kPieces, TextEncoding::kCp932);
  ASSERT_TRUE(cp932.written()) << cp932.describe();
  EXPECT_EQ(cp932.error, 0);
  EXPECT_EQ(cp932.describe(), "");
  EXPECT_EQ(contents(path), "#       \x94\xAD\x90\xB6\x8F\xEA\x8F\x8A\r\n? ?\r\nend");
}

TEST(LogWriter, ReplacesAnExistingFileWhole) {
  test::TempDir dir;
  const std::string path = dir.file("log.txt");
  std::ofstream(path) << std::string(5000, 'x');
  ASSERT_TRUE(write_log(path, {"short\r\n"}, TextEncoding::kUtf8).written());
  EXPECT_EQ(contents(path), "short\r\n");
}

TEST(LogWriter, AFileThatCannotBeOpenedIsReportedWithPathAndError) {
  test::TempDir dir;
  const LogWriteResult folder = write_log(dir.path(), kPieces, TextEncoding::kUtf8);
  EXPECT_FALSE(folder.written());
  EXPECT_EQ(folder.stage, LogWriteStage::kOpen);
  EXPECT_EQ(folder.error, EISDIR);
  EXPECT_EQ(folder.path, dir.path());
  EXPECT_EQ(folder.describe(),
            dir.path() + ": " + std::strerror(EISDIR) + " (errno " + std::to_string(EISDIR) + ")");

  const std::string missing = dir.file("no-such-folder/log.txt");
  const LogWriteResult absent = write_log(missing, kPieces, TextEncoding::kUtf8);
  EXPECT_EQ(absent.stage, LogWriteStage::kOpen);
  EXPECT_EQ(absent.error, ENOENT);

  if (::geteuid() != 0) {  // permissions do not stop the superuser
    const std::string locked = dir.file("locked");
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(
        locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const LogWriteResult denied = write_log(locked + "/log.txt", kPieces, TextEncoding::kUtf8);
    EXPECT_EQ(denied.stage, LogWriteStage::kOpen);
    EXPECT_EQ(denied.error, EACCES);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  }
}

TEST(LogWriter, AWriteCutShortByTheFileSizeLimitIsAFailure) {
  test::TempDir dir;
  const std::string path = dir.file("limited.txt");
  // In a child, so the limit binds nothing else: 4 KiB allowed, 64 KiB to write.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const LogWriteResult r = write_log(path, {std::string(64 * 1024, 'a')}, TextEncoding::kUtf8);
    _exit(r.stage == LogWriteStage::kWrite && r.error == EFBIG && r.path == path ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child did not see a write failure with EFBIG";
  EXPECT_EQ(contents(path).size(), 4096u);  // what reached the file before the limit
}

TEST(LogWriter, AnEncodingWithoutConverterLeavesTheFileAlone) {
  test::TempDir dir;
  const std::string path = dir.file("log.txt");
  std::ofstream(path) << "before";
  const LogWriteResult r = write_log(path, kPieces, std::string("NO-SUCH-CODESET"));
  EXPECT_EQ(r.stage, LogWriteStage::kConvert);
  EXPECT_NE(r.error, 0);
  EXPECT_EQ(contents(path), "before");
}

}  // namespace
}  // namespace tavrin::jobs
