// The window's loudness commands without a window: the measurement on its worker thread (one
// report, after which the worker ends; a refused request never starts; a stop leaves no result),
// the library row it takes, the progress texts, the target choice and the report's save loop.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/inout.h"
#include "app/list_selection.h"
#include "app/loudness_texts.h"
#include "app/loudness_window.h"
#include "loudness/loudness_codes.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/loudness_signals.h"
#include "support/temp_dir.h"
#include "wav/wav_library.h"

namespace tavrin::app {
namespace {

using loudness::TargetId;

class LoudnessWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MxfFixtureOptions options;
    options.trackCount = 2;
    options.pictureSize = 256;
    options.frameCount = 150;  // 10:00:00;00 .. 10:00:04;29 at 29.97 drop frame
    // -20 dBFS reads -23 LKFS (meets both targets); -21 dBFS reads -24 LKFS (ARIB only).
    fixture = test::make_signal_fixture(
        dir.file("prog.mxf"), options,
        {test::tone_sequence({{-20, 5.1}}), test::tone_sequence({{-21, 5.1}})});
    ASSERT_TRUE(fixture && fixture->loaded());
    ASSERT_EQ(test::analyse_mxf_file(fixture->path, &app.records), 0);
    app.mxfPath = fixture->path;
    app.mxfLoaded = 1;
  }

  // Runs the request to its end on the worker and returns every report the worker handed back.
  std::vector<LoudnessReport> run(const LoudnessRequest& request, platform::JobControl& control,
                                  bool* started) {
    std::vector<LoudnessReport> reports;
    BackgroundJob job =
        start_loudness(app, request, control, [&](LoudnessReport r) { reports.push_back(r); });
    *started = job.started();
    job.join();
    return reports;
  }

  test::TempDir dir;
  std::unique_ptr<test::AnalysedFixture> fixture;
  APP_STATE_INFO app;
};

TEST_F(LoudnessWindow, WorkerHandsBackOneReportOrNoneWhenRefused) {
  const LoudnessRequest request = loaded_file_request(app);
  EXPECT_EQ(request.scope, LoudnessScope::kWholeFile);  // no IN/OUT yet
  EXPECT_EQ(request.target, TargetId::kArib);           // the default of a Japanese operator
  ASSERT_EQ(request.selection.tracks.size(), 2u);
  ASSERT_EQ(request.selection.pairs.size(), 1u);

  platform::AtomicJobControl control;
  bool started = false;
  std::vector<LoudnessReport> reports = run(request, control, &started);
  EXPECT_TRUE(started);
  ASSERT_EQ(reports.size(), 1u);
  ASSERT_TRUE(reports[0].succeeded()) << reports[0].code;
  EXPECT_EQ(reports[0].results.size(), 3u);
  EXPECT_EQ(reports[0].frames, 150u);
  EXPECT_GT(control.total(), 0u);
  EXPECT_EQ(control.done(), control.total());

  // A stop asked for before the first frame: the report says cancelled and carries no numbers.
  platform::AtomicJobControl stopped;
  stopped.request_cancel();
  reports = run(request, stopped, &started);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].cancelled());
  EXPECT_TRUE(reports[0].results.empty());
  ASSERT_TRUE(loudness_failure_message(reports[0]));

  // Refused before the start: nothing runs, the message is the job's refusal.
  LoudnessRequest nothing = request;
  nothing.selection = {};
  BackgroundJob refused = start_loudness(app, nothing, control, [](LoudnessReport) { FAIL(); });
  EXPECT_FALSE(refused.started());
  ASSERT_TRUE(refused.refusal());
  EXPECT_EQ(refused.refusal()->caption, kLoudnessCaption);
  LoudnessRequest noWav;
  noWav.wav = true;
  EXPECT_FALSE(start_loudness(app, noWav, control, nullptr).started());
}

TEST_F(LoudnessWindow, InOutScopeAndProgressTexts) {
  ASSERT_FALSE(enter_in(app, "10000010").has_value());
  ASSERT_FALSE(enter_out(app, "10000109").has_value());
  const LoudnessRequest request = loaded_file_request(app);
  EXPECT_EQ(request.scope, LoudnessScope::kInOut);

  LoudnessProgressView view = loudness_progress_view(app, request, 0, 0, false);
  EXPECT_EQ(view.title, "ラウドネス測定");
  EXPECT_EQ(view.fileName, "prog.mxf");
  EXPECT_EQ(view.what, "IN-OUT 10:00:00.10 - 10:00:01.09");
  EXPECT_EQ(view.percent, 0);  // the total is not known yet: no division by zero
  EXPECT_EQ(view.stateText, "測定中...");
  EXPECT_TRUE(view.buttonEnabled);
  view = loudness_progress_view(app, request, 50, 200, false);
  EXPECT_EQ(view.percent, 25);
  EXPECT_EQ(view.percentText, "25 %");
  // More done than the total (the pair reads the same frames again) never shows past 100 %.
  view = loudness_progress_view(app, request, 4000000000u, 4000000000u - 1, true);
  EXPECT_EQ(view.percent, 100);
  EXPECT_EQ(view.stateText, "中止しています...");
  EXPECT_FALSE(view.buttonEnabled);

  platform::AtomicJobControl control;
  bool started = false;
  const std::vector<LoudnessReport> reports = run(request, control, &started);
  ASSERT_EQ(reports.size(), 1u);
  ASSERT_TRUE(reports[0].succeeded()) << reports[0].code;
  EXPECT_FALSE(reports[0].wholeFile);
  EXPECT_EQ(reports[0].frames, 30u);
}

TEST_F(LoudnessWindow, LibraryRowOnlyForASingleSelection) {
  const std::string a = dir.file("a.wav");
  const std::string b = dir.file("b.wav");
  for (const std::string& path : {a, b}) {
    ASSERT_TRUE(test::write_signal_wav(path, 1, 16, test::tone_sequence({{-20, 3}})));
    ASSERT_EQ(add_wav_file(path, &app.library, &app.timecode()), kWavAdded);
  }
  ASSERT_TRUE(rebuild_wav_index(app.library, app.libraryView));
  EXPECT_FALSE(single_selected_library_row(app));
  EXPECT_FALSE(library_row_request(app));
  apply_list_selection(app, {1}, 1);
  ASSERT_EQ(single_selected_library_row(app), std::optional<size_t>(1));
  app.loudnessTarget = TargetId::kEbu;
  const std::optional<LoudnessRequest> request = library_row_request(app);
  ASSERT_TRUE(request);
  EXPECT_TRUE(request->wav);
  EXPECT_EQ(request->wavPath, app.libraryView[1]->file_path);
  EXPECT_EQ(request->target, TargetId::kEbu);
  EXPECT_EQ(loudness_progress_view(app, *request, 0, 0, false).what, "WAVファイル");
  apply_list_selection(app, {0, 1}, 0);
  EXPECT_FALSE(single_selected_library_row(app));

  platform::AtomicJobControl control;
  bool started = false;
  const std::vector<LoudnessReport> reports = run(*request, control, &started);
  ASSERT_EQ(reports.size(), 1u);
  ASSERT_TRUE(reports[0].succeeded()) << reports[0].code;
  EXPECT_EQ(reports[0].results[0].name, platform::file_name(request->wavPath));
}

TEST_F(LoudnessWindow, TargetChoiceAndSaveLoop) {
  platform::NullJobControl control;
  LoudnessReport report = measure_loaded_file(
      app, LoudnessScope::kWholeFile, default_loudness_selection(app), TargetId::kArib, control);
  ASSERT_TRUE(report.succeeded()) << report.code;
  EXPECT_EQ(loudness_target_names(),
            (std::vector<std::string>{"ARIB TR-B32", "EBU R 128", "ATSC A/85"}));
  ASSERT_TRUE(report.results[1].check.meets());  // -24 LKFS meets ARIB
  retarget_report(report, TargetId::kEbu);
  EXPECT_EQ(report.target, TargetId::kEbu);
  EXPECT_TRUE(report.results[0].check.meets());
  EXPECT_FALSE(report.results[1].check.meets());  // and is too quiet for EBU R 128
  EXPECT_EQ(loudness_table_rows(report)[1].cells[1], "-24.0 LUFS");
  EXPECT_EQ(loudness_result_title(report), "ラウドネス測定 - prog.mxf");

  // A failed write is reported with the report's path and the dialog is offered again; the
  // report counts as saved only after a complete write.
  const platform::LocalTime at{2026, 12, 8, 2, 30, 0};
  const LogSaveResult failed = save_loudness_report_at(report, &app.mxf(), dir.file("no/dir/r"),
                                                       platform::TextEncoding::kUtf8, at);
  EXPECT_FALSE(failed.written);
  EXPECT_TRUE(failed.retry);
  EXPECT_EQ(failed.path, dir.file("no/dir/r.txt"));
  EXPECT_NE(failed.message.text.find(failed.path), std::string::npos);
  EXPECT_EQ(failed.message.icon, MessageIcon::kWarning);

  std::vector<std::optional<std::string>> answers = {dir.file("no/dir/r"), dir.file("r")};
  size_t asked = 0;
  std::vector<UserMessage> shown;
  const bool written = offer_loudness_report(
      report, &app.mxf(),
      [&]() -> std::optional<std::string> {
        return asked < answers.size() ? answers[asked++] : std::nullopt;
      },
      [&](const UserMessage& m) { shown.push_back(m); }, platform::TextEncoding::kUtf8);
  EXPECT_TRUE(written);
  EXPECT_EQ(asked, 2u);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].text, "ラウドネス測定結果を保存しました。\r\n" + dir.file("r.txt"));
  const std::vector<uint8_t> bytes = test::read_file(dir.file("r.txt"));
  const std::string saved(bytes.begin(), bytes.end());
  EXPECT_NE(saved.find("基準: " + target_description(TargetId::kEbu)), std::string::npos);

  // Cancelled save dialog: nothing written, nothing shown. A failed run has nothing to save.
  shown.clear();
  EXPECT_FALSE(offer_loudness_report(
      report, &app.mxf(), [] { return std::optional<std::string>(); },
      [&](const UserMessage& m) { shown.push_back(m); }, platform::TextEncoding::kUtf8));
  EXPECT_TRUE(shown.empty());
  LoudnessReport cancelled;
  cancelled.code = loudness_codes::kCancelled;
  EXPECT_FALSE(offer_loudness_report(
      cancelled, nullptr, [] { return std::optional<std::string>("x"); }, nullptr,
      platform::TextEncoding::kUtf8));
}

}  // namespace
}  // namespace tavrin::app
