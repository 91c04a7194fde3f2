// The LTC error log: its pieces and rows, the texts around it, and writing it (which frees the
// records only once the log is written).
#include "jobs/ltc_error_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jobs/mxf_info_block.h"
#include "support/analysed_fixture.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::jobs {
namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TIMECODE_ERROR_INFO record(uint32_t before, uint32_t after, uint32_t state, uint32_t position) {
  TIMECODE_ERROR_INFO r;
  r.beforeFrame = r.beforeCount = before;
  r.afterFrame = r.afterCount = after;
  r.state = state;
  r.position = position;
  return r;
}

class LtcErrorLog : public ::testing::Test {
 protected:
  void SetUp() override {
    records.timecode.fpsCode = 2;
    records.timecode.dropFrame = 1;
    records.timecode.rateCode = 6;
    records.timecode.errorCount = 3;
    errors = {record(1797, 1797, 4, 0), record(1799, 1802, 2, 2), record(17982, 17970, 3, 7)};
  }
  std::vector<std::string> pieces() {
    return ltc_error_log_pieces("/data/prog.mxf", records.base, errors, when);
  }
  MxfRecords records;
  TimecodeErrorList errors;
  platform::LocalTime when{2026, 1, 2, 3, 4, 5};
};

TEST_F(LtcErrorLog, PiecesInOrderWithRowsNumberedFromZero) {
  const std::vector<std::string> p = pieces();
  ASSERT_EQ(p.size(), 7u);
  EXPECT_EQ(p[0],
            "LTCエラーログ作成日 [MXF Tavrin 1.0.0.0]\r\n作成日: 2026/01/02  03:04:05\r\n\r\n");
  EXPECT_EQ(p[1], mxf_info_block("/data/prog.mxf", records.base, when));
  EXPECT_EQ(p[2],
            "\r\nLTCエラー数: 3\r\nこの数値が全フレームと同じかそれに近い場合、エレメントが壊れてい"
            "る可能性があります。\r\n\r\n");
  EXPECT_EQ(p[3], "#       発生場所     再開ＴＣ     積算         状態\r\n");
  EXPECT_EQ(p[4], "     0  00:00:59.27  00:00:59.27  00:00:00.00  still\r\n");
  EXPECT_EQ(p[5], "     1  00:00:59.29  00:01:00.04  00:00:00.02  inc\r\n");
  EXPECT_EQ(p[6], "     2  00:10:00.00  00:09:59.18  00:00:00.07  dec\r\n");
}

TEST_F(LtcErrorLog, StateTextsAndNonDropSeparators) {
  EXPECT_EQ(timecode_error_state_text(2), "inc");
  EXPECT_EQ(timecode_error_state_text(3), "dec");
  EXPECT_EQ(timecode_error_state_text(4), "still");
  EXPECT_EQ(timecode_error_state_text(0), "**");
  EXPECT_EQ(timecode_error_state_text(7), "**");
  records.timecode.dropFrame = 0;
  errors = {record(1800, 1800, 9, 1800)};
  EXPECT_EQ(pieces().back(), "     0  00:01:00:00  00:01:00:00  00:01:00:00  **\r\n");
}

TEST_F(LtcErrorLog, SixtyFrameLabelsAreShownInTheirThirtyFrameBase) {
  // The verification counts 60-frame labels in pairs of the 30-frame base; the position is an
  // edit unit at 60.
  records.timecode.fpsCode = 3;
  records.timecode.dropFrame = 0;
  records.timecode.rateCode = 3;
  errors = {record(30, 35, 2, 120)};
  EXPECT_EQ(pieces().back(), "     0  00:00:01:00  00:00:01:05  00:00:02:00  inc\r\n");
}

TEST_F(LtcErrorLog, TextsAroundTheLog) {
  EXPECT_EQ(
      ltc_log_failure_text("prog.mxf", 28),
      "prog.mxf\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: "
      "1C");
  EXPECT_EQ(ltc_log_written_text("prog.mxf", "/data/prog.mxf"),
            "prog.mxf\r\n/data/prog.mxf\r\n\nタイムコードエラーログを作成しました");
  const UserMessage failed = ltc_log_failure_message("prog.mxf", 13);
  EXPECT_EQ(failed.caption, "エラーログの保存");
  EXPECT_EQ(failed.icon, MessageIcon::kError);
  EXPECT_FALSE(failed.yesNo);
  const UserMessage done = ltc_log_written_message("prog.mxf", "/data/prog.mxf");
  EXPECT_EQ(done.caption, "MXF File Analysis");
  EXPECT_EQ(done.icon, MessageIcon::kInformation);
}

TEST_F(LtcErrorLog, WritingFreesTheRecordsOnlyWhenTheLogIsWritten) {
  test::TempDir dir;
  const LogWriteResult failed = write_ltc_error_log(dir.path(), "/data/prog.mxf", records.base,
                                                    &errors, platform::TextEncoding::kUtf8, when);
  EXPECT_FALSE(failed.written());
  EXPECT_EQ(errors.size(), 3u);  // kept for another try

  const std::string path = dir.file("ltc.txt");
  const std::vector<std::string> expected = pieces();
  const LogWriteResult written = write_ltc_error_log(path, "/data/prog.mxf", records.base, &errors,
                                                     platform::TextEncoding::kUtf8, when);
  ASSERT_TRUE(written.written()) << written.describe();
  EXPECT_TRUE(errors.empty());
  std::string joined;
  for (const std::string& piece : expected) joined += piece;
  EXPECT_EQ(contents(path), joined);
}

// The log of a fixture file with three breaks at 29.97 drop frame, byte for byte, in UTF-8 and in
// CP932, against tests/jobs/data/ltc_error_log_{utf8,cp932}.txt. After a deliberate change of the
// log, regenerate the expected files and review their diff:
//   TAVRIN_REGENERATE_LOGS=1 build/dev/tests/tavrin_jobs_tests --gtest_filter='LtcErrorLogFile.*'
test::MxfFixtureOptions three_breaks() {
  test::MxfFixtureOptions o;
  test::set_start_timecode(o, 10, 0, 59, 20);  // across the two labels minute 1 skips
  o.frameCount = 30;
  // Frame 8 repeats the label of frame 7, frame 16 jumps five frames, frame 22 steps back six.
  for (uint64_t i = 8; i < o.frameCount; ++i) {
    const int64_t offset = i <= 15 ? -1 : i <= 21 ? 4 : -3;
    o.timecodeOverrides[i] = test::count_to_timecode(
        30, true, static_cast<uint64_t>(static_cast<int64_t>(o.startTimecode + i) + offset));
  }
  return o;
}

TEST(LtcErrorLogFile, ThreeBreaksAtDropFrameByteForByte) {
  test::TempDir dir;
  TimecodeErrorList errors;
  MxfRecords records;
  records.timecode.errorList = &errors;
  const std::string mxf = dir.file("PROG_0001.mxf");
  std::string failure;
  ASSERT_TRUE(test::write_mxf_fixture(mxf, three_breaks()));
  ASSERT_EQ(test::analyse_mxf_file(mxf, &records, &failure), 1009) << failure;
  ASSERT_EQ(errors.size(), 3u);

  // The block names the file by the path it is given; a fixed one keeps the log reproducible.
  const std::string shownPath = "/media/programmes/PROG_0001.mxf";
  const platform::LocalTime when{2026, 3, 14, 15, 9, 26};
  const bool regenerate = std::getenv("TAVRIN_REGENERATE_LOGS") != nullptr;
  const struct {
    platform::TextEncoding encoding;
    const char* file;
  } cases[] = {{platform::TextEncoding::kUtf8, "ltc_error_log_utf8.txt"},
               {platform::TextEncoding::kCp932, "ltc_error_log_cp932.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string expectedPath = std::string(TAVRIN_SOURCE_DIR) + "/tests/jobs/data/" + c.file;
    const std::string log = regenerate ? expectedPath : dir.file(c.file);
    TimecodeErrorList copy = errors;
    const LogWriteResult r =
        write_ltc_error_log(log, shownPath, records.base, &copy, c.encoding, when);
    ASSERT_TRUE(r.written()) << r.describe();
    EXPECT_TRUE(copy.empty());
    const std::string written = contents(log);
    EXPECT_EQ(written.find('\0'), std::string::npos);
    EXPECT_NE(written.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
    if (!regenerate) {
      EXPECT_EQ(written, contents(expectedPath)) << "expected file: " << expectedPath;
    }
  }
}

}  // namespace
}  // namespace tavrin::jobs
