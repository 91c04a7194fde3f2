// Two jobs on one MXF file: a wrap or export holds the file from its start, through the backup
// question, to its end. A second wrap or export meanwhile is told that another job uses the file
// (exit 1) and changes nothing, also while the first one waits for its answer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "platform/file.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

constexpr const char* kInUse = "このMXFファイルは他のジョブが使用中です。";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CliFileInUse : public ::testing::Test {
 protected:
  void SetUp() override {
    MxfFixtureOptions o;
    o.trackCount = 2;
    o.pictureSize = 1000;
    ASSERT_TRUE(write_mxf_fixture(mxf, o));
    original = read_file(mxf);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  }
  std::vector<std::string> wrap(std::vector<std::string> more) const {
    std::vector<std::string> args = {"wrap",  mxf,        "--in",      "10000003",
                                     "--out", "10000020", "--silence", "1"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  std::vector<std::string> exporting() const {
    return {"export",   mxf,        "--in", "10000003", "--out",
            "10000020", "--tracks", "1",    "--folder", folder};
  }
  // A second job started now is refused with the message, and neither the MXF file nor the
  // export folder changes.
  void expect_refused_while_held(const std::string& moment) {
    SCOPED_TRACE(moment);
    for (const std::vector<std::string>& args : {wrap({"--yes"}), exporting()}) {
      SCOPED_TRACE(args[0]);
      const CliResult r = run_cli(args);
      EXPECT_EQ(r.exitStatus, 1) << r.err;
      EXPECT_TRUE(contains(r.err, kInUse)) << r.err;
      EXPECT_TRUE(contains(r.err, "pgm.mxf")) << r.err;
      EXPECT_FALSE(contains(r.err, "Resource temporarily unavailable")) << r.err;
      EXPECT_TRUE(read_file(mxf) == original);
      EXPECT_EQ(::rmdir(folder.c_str()), 0) << "the refused export made a file";
      ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    }
  }

  TempDir dir;
  const std::string mxf = dir.file("pgm.mxf");
  const std::string folder = dir.file("out");
  std::vector<uint8_t> original;
};

TEST_F(CliFileInUse, AWrapWaitingForItsAnswerHoldsTheFileAgainstOtherJobs) {
  CliChild first(wrap({}));
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(first.wait_for_err("[y/N]", 60)) << first.err_so_far();
  expect_refused_while_held("at the backup question");
  // The first wrap goes on as answered; afterwards the file is free again.
  first.type("n\n");
  const CliResult answered = first.wait();
  EXPECT_EQ(answered.exitStatus, 1) << answered.err;
  EXPECT_TRUE(read_file(mxf) == original);
  const CliResult later = run_cli(wrap({"--yes", "--no-journal"}));
  EXPECT_EQ(later.exitStatus, 0) << later.err;
  EXPECT_FALSE(read_file(mxf) == original);
}

TEST_F(CliFileInUse, AFileHeldByAnotherProcessIsRefusedWithTheMessage) {
  platform::Status status;
  const platform::File held =
      platform::File::open(mxf, platform::Access::kReadExisting, platform::Sharing::kNone, &status);
  ASSERT_TRUE(held.valid()) << status.error;
  expect_refused_while_held("held by the test");
}

}  // namespace
}  // namespace tavrin::test
