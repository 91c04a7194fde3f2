// The loudness command without a window: what refuses it, the measurement of the loaded file over
// IN..OUT or the whole file and of a library WAV, the table the window shows, the messages of a
// failed run, and the report saved in the log encoding.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/inout.h"
#include "app/loudness_run.h"
#include "app/loudness_texts.h"
#include "loudness/loudness_codes.h"
#include "platform/text.h"
#include "support/loudness_signals.h"
#include "support/temp_dir.h"
#include "wav/wav_library.h"

namespace tavrin::app {
namespace {

using loudness::TargetId;

class LoudnessCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MxfFixtureOptions options;
    options.trackCount = 4;
    options.pictureSize = 256;
    options.frameCount = 240;  // 10:00:00;00 .. 10:00:07;29 at 29.97 drop frame
    // Mono tones: -20 dBFS reads -23 LKFS, -21 dBFS -24 LKFS, -10 dBFS -13 LKFS; track 4 silent.
    fixture = test::make_signal_fixture(
        dir.file("prog.mxf"), options,
        {test::tone_sequence({{-20, 8.1}}), test::tone_sequence({{-21, 8.1}}),
         test::tone_sequence({{-10, 8.1}}, 300)});
    ASSERT_TRUE(fixture && fixture->loaded());
    ASSERT_EQ(test::analyse_mxf_file(fixture->path, &app.records), 0);
    app.mxfPath = fixture->path;
    app.mxfLoaded = 1;
  }

  test::TempDir dir;
  std::unique_ptr<test::AnalysedFixture> fixture;
  APP_STATE_INFO app;
};

TEST_F(LoudnessCommand, RefusalsBeforeTheStart) {
  const LoudnessSelection all = default_loudness_selection(app);
  ASSERT_EQ(all.tracks.size(), 4u);
  ASSERT_EQ(all.pairs.size(), 1u);
  EXPECT_FALSE(check_loudness_request(app, LoudnessScope::kWholeFile, all));
  EXPECT_EQ(default_loudness_scope(app), LoudnessScope::kWholeFile);
  const auto noPoints = check_loudness_request(app, LoudnessScope::kInOut, all);
  ASSERT_TRUE(noPoints);
  EXPECT_EQ(noPoints->caption, kLoudnessCaption);
  EXPECT_TRUE(check_loudness_request(app, LoudnessScope::kWholeFile, {}));
  EXPECT_EQ(check_loudness_request(app, LoudnessScope::kWholeFile, {{4}, {}})->text,
            "Track-5 はありません。");
  EXPECT_TRUE(check_loudness_request(app, LoudnessScope::kWholeFile, {{}, {{2, 2}}}));
  app.mxfLoaded = 0;
  EXPECT_FALSE(loudness_available(app));
  EXPECT_TRUE(check_loudness_request(app, LoudnessScope::kWholeFile, all));
}

TEST_F(LoudnessCommand, WholeFileTableWithTheTargetsVerdict) {
  platform::NullJobControl control;
  const LoudnessReport report = measure_loaded_file(
      app, LoudnessScope::kWholeFile, default_loudness_selection(app), TargetId::kArib, control);
  ASSERT_TRUE(report.succeeded()) << report.code;
  EXPECT_EQ(report.frames, 240u);
  EXPECT_EQ(report.inText, "10:00:00.00");
  EXPECT_EQ(report.outText, "10:00:07.29");
  const std::vector<LoudnessRow> rows = loudness_table_rows(report);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].cells[0], "Track-1");
  EXPECT_EQ(rows[0].cells[1], "-23.0 LKFS");
  EXPECT_EQ(rows[0].cells[3], "-20.0 dBTP");
  EXPECT_EQ(rows[0].cells[6], "適合");
  EXPECT_TRUE(rows[0].meets);
  EXPECT_EQ(rows[1].cells[1], "-24.0 LKFS");
  EXPECT_EQ(rows[2].cells[6], "不適合 (ラウドネス超過)");
  EXPECT_EQ(rows[3].cells[1], "-inf LKFS");
  EXPECT_EQ(rows[3].cells[3], "-inf dBTP");
  EXPECT_EQ(rows[3].cells[6], "不適合 (ラウドネス不足)");
  EXPECT_EQ(rows[4].cells[0], "Track-1+2");
  EXPECT_FALSE(report.every_programme_meets());
  EXPECT_EQ(loudness_summary(report), "不適合 3 / 5");
  EXPECT_FALSE(loudness_failure_message(report));

  // Under EBU R 128 the loudness is written in LUFS and -24 LUFS is too quiet.
  const LoudnessReport ebu =
      measure_loaded_file(app, LoudnessScope::kWholeFile, {{1}, {}}, TargetId::kEbu, control);
  ASSERT_EQ(loudness_table_rows(ebu).size(), 1u);
  EXPECT_EQ(loudness_table_rows(ebu)[0].cells[1], "-24.0 LUFS");
  EXPECT_EQ(loudness_table_rows(ebu)[0].cells[6], "不適合 (ラウドネス不足)");
}

TEST_F(LoudnessCommand, InOutRangeIsWhatIsMeasured) {
  ASSERT_FALSE(enter_in(app, "10:00:01;00"));
  ASSERT_FALSE(enter_out(app, "10:00:05;00"));
  EXPECT_EQ(default_loudness_scope(app), LoudnessScope::kInOut);
  platform::NullJobControl control;
  const LoudnessReport report =
      measure_loaded_file(app, LoudnessScope::kInOut, {{0, 1}, {}}, TargetId::kArib, control);
  ASSERT_TRUE(report.succeeded());
  EXPECT_EQ(report.frames, 121u);
  EXPECT_FALSE(report.wholeFile);
  EXPECT_EQ(measured_span_text(report), "IN-OUT 10:00:01.00 - 10:00:05.00 (121 フレーム)");
  EXPECT_TRUE(report.every_programme_meets());
  EXPECT_EQ(loudness_summary(report), "すべて適合");
}

TEST_F(LoudnessCommand, FailedRunsGiveAMessageAndNoRows) {
  platform::AtomicJobControl control;
  control.request_cancel();
  const LoudnessReport cancelled = measure_loaded_file(
      app, LoudnessScope::kWholeFile, default_loudness_selection(app), TargetId::kArib, control);
  EXPECT_EQ(cancelled.code, loudness_codes::kCancelled);
  EXPECT_TRUE(loudness_table_rows(cancelled).empty());
  EXPECT_EQ(loudness_failure_message(cancelled)->icon, MessageIcon::kInformation);

  LoudnessReport damaged;
  damaged.code = loudness_codes::kElement;
  damaged.fault = ElementFault::kOtherElement;
  damaged.faultFrame = 56;
  const auto message = loudness_failure_message(damaged);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->icon, MessageIcon::kError);
  EXPECT_NE(message->text.find("57 フレーム目"), std::string::npos) << message->text;
  EXPECT_NE(message->text.find(element_fault_text(ElementFault::kOtherElement)), std::string::npos);
}

TEST_F(LoudnessCommand, ReportInTheLogEncoding) {
  platform::NullJobControl control;
  const LoudnessReport report = measure_loaded_file(
      app, LoudnessScope::kWholeFile, default_loudness_selection(app), TargetId::kArib, control);
  ASSERT_TRUE(report.succeeded());
  const platform::LocalTime at{2026, 12, 8, 1, 2, 3};
  const std::string text = loudness_report_text(report, &app.mxf(), at);
  EXPECT_EQ(text.rfind("< MXF情報 >\r\n", 0), 0u);
  EXPECT_NE(text.find("< ラウドネス測定 >\r\n"), std::string::npos);
  EXPECT_NE(text.find("基準: ARIB TR-B32: -24.0 LKFS ±1.0 LU"), std::string::npos);
  EXPECT_NE(text.find("判定: 不適合 3 / 5\r\n"), std::string::npos);
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_GT(at, 0u);
    ASSERT_EQ(text[at - 1], '\r') << "a line end without its carriage return";
  }
  for (const LoudnessRow& row : loudness_table_rows(report)) {
    EXPECT_NE(text.find(row.cells[0] + " "), std::string::npos);
  }

  EXPECT_EQ(default_report_name(report), "prog_loudness.txt");
  const std::string cp932Path = dir.file("report-cp932.txt");
  ASSERT_TRUE(
      save_loudness_report(cp932Path, report, &app.mxf(), platform::TextEncoding::kCp932, at)
          .written());
  std::string expected;
  ASSERT_TRUE(platform::convert_from_utf8(text, platform::TextEncoding::kCp932, &expected));
  const std::vector<uint8_t> written = test::read_file(cp932Path);
  EXPECT_EQ(std::string(written.begin(), written.end()), expected);
  EXPECT_NE(expected, text);  // the Japanese texts really were converted
  EXPECT_FALSE(save_loudness_report(dir.file("no/such/folder.txt"), report, &app.mxf(),
                                    platform::TextEncoding::kUtf8, at)
                   .written());
}

TEST_F(LoudnessCommand, LibraryWavByItsRow) {
  const std::string path = dir.file("mix.wav");
  ASSERT_TRUE(
      test::write_signal_wav(path, 2, 24, test::both_channels(test::tone_sequence({{-23, 4}}))));
  ASSERT_EQ(add_wav_file(path, &app.library, &app.timecode()), kWavAdded);
  ASSERT_TRUE(rebuild_wav_index(app.library, app.libraryView));
  platform::NullJobControl control;
  const LoudnessReport report = measure_library_row(app, 0, TargetId::kEbu, control);
  ASSERT_TRUE(report.succeeded()) << report.code;
  ASSERT_EQ(report.results.size(), 1u);
  EXPECT_EQ(report.results[0].name, "mix.wav");
  EXPECT_EQ(loudness_table_rows(report)[0].cells[1], "-23.0 LUFS");
  EXPECT_TRUE(report.every_programme_meets());
  EXPECT_EQ(measured_span_text(report), "ステレオ 24ビット 48000Hz 192000 サンプル");
  const std::string text = loudness_report_text(report, &app.mxf(), {2026, 1, 1, 0, 0, 0});
  EXPECT_EQ(text.rfind("< ラウドネス測定 >\r\n", 0), 0u);  // no MXF block for a WAV

  const LoudnessReport none = measure_library_row(app, 1, TargetId::kEbu, control);
  EXPECT_EQ(none.code, loudness_codes::kWavNoPath);
  EXPECT_TRUE(loudness_failure_message(none));
}

}  // namespace
}  // namespace tavrin::app
