// The wrap detail log of a job with an OFF track, an ON track without a WAV, a mono BWF and a
// stereo WAV, byte for byte against tests/jobs/data/wrap_detail_log_fixture.txt. Run with
// TAVRIN_REGENERATE_LOGS=1 to write that file anew from the program's output (then read it).
#include <gtest/gtest.h>

#include <cstdlib>

#include "jobs/wrap_detail_log.h"
#include "platform/text.h"
#include "support/analysed_fixture.h"
#include "support/temp_dir.h"
#include "timecode/timecode.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

const std::string kExpectedLog =
    std::string(TAVRIN_SOURCE_DIR) + "/tests/jobs/data/wrap_detail_log_fixture.txt";

class WrapDetailLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MxfFixtureOptions o;
    o.trackCount = 5;
    o.frameCount = 40;
    o.pictureSize = 1000;
    fixture = make_analysed_fixture(dir.file("log.mxf"), o);
    ASSERT_NE(fixture, nullptr);
    ASSERT_TRUE(fixture->loaded()) << fixture->failureText;

    WavParams bwf;
    bwf.channels = 1;
    bwf.bits = 24;
    bwf.sampleFrames = 48000 * 2 + 1234;
    // 37 samples into 10:00:01;05 (frame 1078955 from midnight at 29.97 drop frame).
    bwf.timeReference =
        tc::frame_to_sample_offset(6, 1078955, tc::CadenceTable::kTimeReference) + 37;
    mono = make_test_wav(dir.file("mono.wav"), make_wav(bwf), fixture->records.timecode);
    stereo = make_test_wav(dir.file("stereo.wav"), 2, 16, 48000 * 3, fixture->records.timecode);
    ASSERT_TRUE(mono && stereo);
    // The log names the files by the paths the operator gave; fixed ones keep it comparable.
    mono->entry.file_name = "NA_0517_mix.wav";
    mono->entry.file_path = "/media/audio/NA_0517_mix.wav";
    stereo->entry.file_name = "ME_stereo.wav";
    stereo->entry.file_path = "/media/audio/ME_stereo.wav";

    for (size_t t = 0; t < kTrackSlots; ++t) job.trackSwitch[t] = t < 5 ? kTrackOff : kTrackAbsent;
    job.wavEntry[0] = &mono->entry;
    job.trackSwitch[0] = kTrackOn;
    job.trackSwitch[2] = kTrackOn;
    job.wavEntry[3] = job.wavEntry[4] = &stereo->entry;
    job.trackSwitch[3] = job.trackSwitch[4] = kTrackOn;
    job.inFrame = {fixture->records.timecode.startFrame + 3, 0};
    job.outFrame = {fixture->records.timecode.startFrame + 20, 0};
  }

  std::string log_text() const {
    std::string text;
    for (const std::string& piece :
         jobs::wrap_detail_log_pieces(kMxfPath, fixture->records.base, job, false, kWritten)) {
      text += piece;
    }
    return text;
  }

  const std::string kMxfPath = "/media/delivery/PGM_0517.mxf";
  const platform::LocalTime kWritten{2024, 6, 3, 14, 5, 9};
  TempDir dir;
  std::unique_ptr<AnalysedFixture> fixture;
  std::unique_ptr<TestWav> mono;
  std::unique_ptr<TestWav> stereo;
  AUDIOTRACK_IO_INFO job;
};

TEST_F(WrapDetailLogTest, MatchesTheExpectedFileByteForByte) {
  const std::string logPath = dir.file("detail.txt");
  const jobs::LogWriteResult result =
      jobs::write_wrap_detail_log(logPath, kMxfPath, fixture->records.base, job, false,
                                  platform::TextEncoding::kUtf8, kWritten);
  ASSERT_TRUE(result.written()) << result.describe();
  const std::vector<uint8_t> written = read_file(logPath);
  if (const char* regenerate = std::getenv("TAVRIN_REGENERATE_LOGS"); regenerate && *regenerate) {
    ASSERT_TRUE(write_file(kExpectedLog, written));
  }
  const std::vector<uint8_t> expected = read_file(kExpectedLog);
  ASSERT_FALSE(expected.empty()) << kExpectedLog;
  EXPECT_EQ(std::string(written.begin(), written.end()),
            std::string(expected.begin(), expected.end()));

  // The same log in code page 932 is the expected text converted.
  const std::string sjisPath = dir.file("detail-932.txt");
  ASSERT_TRUE(jobs::write_wrap_detail_log(sjisPath, kMxfPath, fixture->records.base, job, false,
                                          platform::TextEncoding::kCp932, kWritten)
                  .written());
  std::string converted;
  ASSERT_TRUE(platform::convert_from_utf8(std::string(expected.begin(), expected.end()),
                                          platform::TextEncoding::kCp932, &converted));
  const std::vector<uint8_t> sjis = read_file(sjisPath);
  EXPECT_EQ(std::string(sjis.begin(), sjis.end()), converted);
}

TEST_F(WrapDetailLogTest, MethodAndRangeFollowTheJob) {
  const std::vector<std::string> byFile =
      jobs::wrap_detail_log_pieces(kMxfPath, fixture->records.base, job, true, kWritten);
  EXPECT_EQ(byFile[1], "< 書込み方式 >\r\n標準ファイル入出力\r\n\r\n");
  ASSERT_EQ(byFile.size(), 5u + 5u + 1u);
  EXPECT_EQ(byFile.back(), "\r\n完了\r\n");
  // A stereo file whose second track is OFF still fills it, and the log says so.
  job.trackSwitch[4] = kTrackOff;
  const std::string text = log_text();
  EXPECT_NE(text.find("********     Track 5     ********\r\nME_stereo.wav\r\n"), std::string::npos);
  // Switching the pair's first track off leaves both alone.
  job.trackSwitch[3] = kTrackOff;
  EXPECT_NE(
      log_text().find("********     Track 5     ********\r\nラッピング処理は実行していません。"),
      std::string::npos);
}

TEST(WrapDetailLogTexts, MessagesAroundWritingTheLog) {
  EXPECT_EQ(
      jobs::wrap_log_failure_text("a.mxf", 0x70),
      "a.mxf\n\nログファイルを作成できません。\n保存場所・接続デバイスを確認して下さい。\nERR: 70");
  const UserMessage written = jobs::wrap_log_written_message("a.mxf", "/tmp/log.txt");
  EXPECT_EQ(
      written.text,
      "a.mxf\nに対して行ったラッピング処理の詳細を下記の場所に作成しました。\n\n/tmp/log.txt");
  EXPECT_EQ(written.caption, "MXF Tavrin");
  EXPECT_EQ(jobs::wrap_log_failure_message("a.mxf", 2).caption, "ラッピング詳細ログの保存");
}

}  // namespace
}  // namespace tavrin::test
