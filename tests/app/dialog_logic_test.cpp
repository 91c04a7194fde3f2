// The texts and decisions of the two progress dialogs without a window: the analysis dialog's
// step, remaining-frames and state texts and its decisions on the final message; the wrap/export
// dialog's state texts, timecodes, percentage and final message; and the saving of both logs,
// whose failures are reported with the log's path and offered again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "app/analysis_dialog.h"
#include "app/analysis_job.h"
#include "app/mxf_loading.h"
#include "app/progress_dialog.h"
#include "jobs/ltc_error_log.h"
#include "jobs/wrap_detail_log.h"
#include "support/temp_dir.h"

namespace tavrin::app {
namespace {

std::string text_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

jobs::JobMessage failed(int code, const std::string& text = "runner text") {
  return {jobs::JobMessageKind::kFailed, code, std::string(), text};
}

TEST(AnalysisDialog, StepTextsFollowTheSectionCode) {
  EXPECT_EQ(analysis_step_text(100), "ファイルサイズを取得中...");
  EXPECT_EQ(analysis_step_text(300),
            "オペレーショナルパターン / ラッピング形式 / アンシラリデータの有無を確認");
  EXPECT_EQ(analysis_step_text(700), "AES3オーディオ基本情報を取得");
  EXPECT_EQ(analysis_step_text(1000), "ストリームアドレスとSDTIタイムコードを検証しています...");
  for (const int other : {0, 99, 150, 1100, 2000, -100}) EXPECT_EQ(analysis_step_text(other), "");
  EXPECT_EQ(analysis_remaining_text(1000, 250), "残り 750フレーム(1000フレーム中)");
  EXPECT_EQ(analysis_remaining_text(0, 0), "残り 0フレーム(0フレーム中)");
  // A count past the total (a late read of the two values) never shows a negative remainder.
  EXPECT_EQ(analysis_remaining_text(10, 12), "残り 0フレーム(10フレーム中)");
}

TEST(AnalysisDialog, ViewsOfEveryMoment) {
  const std::string path = "/media/clip.mxf";
  AnalysisDialogView v = analysis_dialog_view(AnalysisPhase::kSteps, path, 600, 0, 0);
  EXPECT_EQ(v.fileName, "clip.mxf");
  EXPECT_EQ(v.stateText, "インデックステーブルを取得中...");
  EXPECT_EQ(v.buttonText, "スキップまたは中断する");
  EXPECT_FALSE(v.buttonEnabled);
  EXPECT_EQ(v.status, "MXFファイルを解析中...");
  EXPECT_EQ(v.progress, 0);

  v = analysis_dialog_view(AnalysisPhase::kVerifying, path, 1000, 400, 101);
  EXPECT_TRUE(v.buttonEnabled);
  EXPECT_EQ(v.progress, 25);
  EXPECT_EQ(v.remainingText, "残り 299フレーム(400フレーム中)");

  // While the skip is carried out the state stays the cancelling text, whatever the timer reads.
  v = analysis_dialog_view(AnalysisPhase::kCancelling, path, 1000, 400, 300);
  EXPECT_EQ(v.stateText, "中断処理を行っていますのでこのままお待ちください...");
  EXPECT_EQ(v.status, "中断処理中...");
  EXPECT_FALSE(v.buttonEnabled);

  v = analysis_dialog_view(AnalysisPhase::kLoaded, path, 1000, 400, 400);
  EXPECT_EQ(v.progress, 100);
  EXPECT_EQ(v.status, "ロード完了");
  EXPECT_EQ(v.buttonText, "閉じる");
  EXPECT_FALSE(v.buttonEnabled);

  v = analysis_dialog_view(AnalysisPhase::kSkipped, path, 1000, 400, 7);
  EXPECT_EQ(v.stateText, "解析をキャンセルしました。");
  EXPECT_EQ(v.status, "解析をキャンセル");
  v = analysis_dialog_view(AnalysisPhase::kFailed, path, 600, 0, 0);
  EXPECT_EQ(v.stateText, "エラーが報告されたため解析を中断しました。");
  EXPECT_EQ(v.status, "MXFファイル解析エラー");
  EXPECT_EQ(analysis_dialog_view(AnalysisPhase::kWritingLog, path, 1000, 9, 9).status,
            "ログテキストを書き出し中...");
  EXPECT_EQ(analysis_dialog_view(AnalysisPhase::kLogWritten, path, 1000, 9, 9).status,
            "ログテキスト書出し完了");

  EXPECT_EQ(analysis_phase_after({jobs::JobMessageKind::kSucceeded, 0, "", ""}),
            AnalysisPhase::kLoaded);
  EXPECT_EQ(analysis_phase_after(failed(99)), AnalysisPhase::kSkipped);
  EXPECT_EQ(analysis_phase_after(failed(1009)), AnalysisPhase::kFailed);
}

TEST(AnalysisDecision, TracksBeyond24AreNamedOnBothPathsThatKeepTheFile) {
  APP_STATE_INFO app;
  app.audio().trackCount = 26;
  AnalysisRun run;
  run.final = {jobs::JobMessageKind::kSucceeded, 0, "", ""};
  AnalysisDecision d = decide_analysis(app, run, {});
  EXPECT_TRUE(d.keep);
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(d.messages[0].text, "アプリの設計上 25 から 26トラックは認識されません。");
  EXPECT_EQ(d.messages[0].icon, MessageIcon::kWarning);

  run.final = failed(99, "clip.mxf\n\n解析を中断しました。\nこのままロードしますか？");
  d = decide_analysis(app, run, [](const UserMessage&) { return true; });
  EXPECT_TRUE(d.keep);
  EXPECT_EQ(app.analysisOk, 1);
  ASSERT_EQ(d.messages.size(), 2u);
  EXPECT_EQ(d.messages[0].text, run.final.text);
  EXPECT_EQ(d.messages[1].text,
            "アプリの設計上 25 から 26トラックは認識されません。\nご了承ください。");

  // Answered No: nothing kept, no warning, and completing the load resets the working set.
  d = decide_analysis(app, run, [](const UserMessage&) { return false; });
  EXPECT_FALSE(d.keep);
  EXPECT_EQ(d.messages.size(), 1u);
  app.mxfPath = "/media/clip.mxf";
  complete_load(app);
  EXPECT_EQ(app.mxfLoaded, 0);
  EXPECT_TRUE(app.mxfPath.empty());
}

TEST(AnalysisDecision, OnlyBreaksOfThisRunOfferTheLog) {
  APP_STATE_INFO app;
  AnalysisRun run;
  run.final = failed(1009, "clip.mxf ... ログファイルを作成しますか？");
  AnalysisDecision d = decide_analysis(app, run, {});
  EXPECT_TRUE(d.offerLtcLog);
  EXPECT_FALSE(d.keep);
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(d.messages[0].caption, "MXF File Analysis");
  EXPECT_TRUE(d.messages[0].yesNo);
  EXPECT_EQ(d.messages[0].icon, MessageIcon::kInformation);

  // Breaks an earlier file left behind do not make a later failure offer the log.
  app.errorList.push_back(TIMECODE_ERROR_INFO{});
  run.final = failed(607, "607 text");
  d = decide_analysis(app, run, {});
  EXPECT_FALSE(d.offerLtcLog);
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_FALSE(d.messages[0].yesNo);
  EXPECT_EQ(d.messages[0].icon, MessageIcon::kWarning);

  // A new analysis starts without them.
  const std::vector<uint8_t> none;
  const platform::MemorySource empty(none);
  prepare_analysis(app, "/media/next.mxf", empty);
  EXPECT_TRUE(app.errorList.empty());
  EXPECT_FALSE(app.loadedFile.known);  // memory has no file times to compare later
}

// A working set with a 25 fps file that starts at 23:59:59:00 and runs past midnight, and one at
// 29.97 drop frame that starts at 10:00:00;00.
void hour23(APP_STATE_INFO* app) {
  MXF_TIMECODE_INFO& tc = app->timecode();
  tc.fpsCode = 1;
  tc.dropFrame = 0;
  tc.startsInHour23 = 1;
  app->mxfPath = "/media/late.mxf";
  app->tracks.inFrame = {2159975, 89975};  // 23:59:59:00; shifted 00:59:59:00
  app->tracks.outFrame = {24, 90024};      // 00:00:00:24; shifted 01:00:00:24
  app->tracks.exportIn = app->tracks.inFrame;
  app->tracks.exportOut = app->tracks.outFrame;
}

void drop_frame(APP_STATE_INFO* app) {
  MXF_TIMECODE_INFO& tc = app->timecode();
  tc.fpsCode = 2;
  tc.dropFrame = 1;
  app->mxfPath = "/media/df.mxf";
  app->tracks.exportIn = {1078920, 1186812};  // 10:00:00;00
  app->tracks.exportOut = {1078920 + 1799, 1186812 + 1799};
  app->tracks.inFrame = app->tracks.exportIn;
  app->tracks.outFrame = app->tracks.exportOut;
}

TEST(ProgressDialog, StateTextsByJobKindAndMoment) {
  using K = jobs::JobKind;
  using M = ProgressMoment;
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kStart).state, "ラッピング中...");
  EXPECT_EQ(progress_state_texts(K::kExport, M::kStart).status, "BWFファイルを書出し中...");
  for (const K kind : {K::kWrapping, K::kExport}) {
    EXPECT_EQ(progress_state_texts(kind, M::kCancelling).state,
              "中断処理を行っています、お待ちください...");
    EXPECT_EQ(progress_state_texts(kind, M::kCancelling).status, "中断処理中...");
  }
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kFinished).state, "ラッピングが完了しました。");
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kFinished).status, "ラッピング完了");
  EXPECT_EQ(progress_state_texts(K::kExport, M::kFinished).state,
            "BWFファイルの書出しが完了しました。");
  EXPECT_EQ(progress_state_texts(K::kExport, M::kFinished).status, "BWFファイル書出し完了");
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kEnded).status, "ラッピング処理を中断しました。");
  EXPECT_EQ(progress_state_texts(K::kExport, M::kEnded).state, "BWFファイル書出しを中断しました。");
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kWritingLog).status,
            "リラップ詳細ログを作成中...");
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kWritingLog).state, "");
  EXPECT_EQ(progress_state_texts(K::kWrapping, M::kLogWritten).status, "詳細ログの作成完了");
}

TEST(ProgressDialog, TimecodesUseACommaForDropFrameAndAPointOtherwise) {
  for (const jobs::JobKind kind : {jobs::JobKind::kWrapping, jobs::JobKind::kExport}) {
    APP_STATE_INFO app;
    drop_frame(&app);
    ProgressDialogView v = progress_dialog_view(app, kind, ProgressMoment::kStart, 0);
    EXPECT_EQ(v.fileName, "df.mxf");
    EXPECT_EQ(v.inText, "10:00:00,00");
    EXPECT_EQ(v.outText, "10:00:59,29");  // no numbers are dropped in a tenth minute
    EXPECT_EQ(v.reachedText, "10:00:00,00まで完了");
    EXPECT_EQ(v.percent, 0);
    EXPECT_EQ(v.buttonText, "キャンセル");
    EXPECT_TRUE(v.buttonEnabled);
    v = progress_dialog_view(app, kind, ProgressMoment::kCancelling, 900);
    EXPECT_EQ(v.reachedText, "10:00:29,29まで完了");
    EXPECT_EQ(v.percent, 50);
    EXPECT_FALSE(v.buttonEnabled);
    v = progress_dialog_view(app, kind, ProgressMoment::kFinished, 1800);
    EXPECT_EQ(v.percent, 100);
    EXPECT_EQ(v.buttonText, "閉じる");
    EXPECT_FALSE(v.buttonEnabled);
    EXPECT_EQ(progress_total_frames(app, kind), 1800u);
  }
}

TEST(ProgressDialog, AFileFromHour23ShowsTheRealTimecodePastMidnight) {
  for (const jobs::JobKind kind : {jobs::JobKind::kWrapping, jobs::JobKind::kExport}) {
    APP_STATE_INFO app;
    hour23(&app);
    ProgressDialogView v = progress_dialog_view(app, kind, ProgressMoment::kStart, 1);
    EXPECT_EQ(v.inText, "23:59:59.00");
    EXPECT_EQ(v.outText, "00:00:00.24");
    EXPECT_EQ(v.reachedText, "23:59:59.00まで完了");
    v = progress_dialog_view(app, kind, ProgressMoment::kStart, 30);
    EXPECT_EQ(v.reachedText, "00:00:00.04まで完了");
    EXPECT_EQ(v.percent, 60);  // 30 of 50 frames
    EXPECT_EQ(progress_total_frames(app, kind), 50u);
  }
}

TEST(ProgressDialog, FinalMessagesAndTheLogQuestion) {
  APP_STATE_INFO app;
  hour23(&app);
  const jobs::JobMessage done{jobs::JobMessageKind::kSucceeded, 0, "MXF Corvane", "done text"};
  UserMessage m = progress_final_message(app, jobs::JobKind::kWrapping, done, 50);
  EXPECT_EQ(m.text, "done text");
  EXPECT_EQ(m.caption, "MXF Corvane");
  EXPECT_EQ(m.icon, MessageIcon::kInformation);
  EXPECT_TRUE(offers_wrap_detail_log(jobs::JobKind::kWrapping, done));
  EXPECT_FALSE(offers_wrap_detail_log(jobs::JobKind::kExport, done));
  EXPECT_FALSE(offers_wrap_detail_log(jobs::JobKind::kWrapping, failed(99)));
  const UserMessage question = wrap_detail_log_question();
  EXPECT_EQ(question.text, "詳細ログを作成しますか？");
  EXPECT_EQ(question.caption, "MXF Tavrin");
  EXPECT_TRUE(question.yesNo);

  // A wrapping job that did not finish says how far the file was written, in real timecode.
  m = progress_final_message(app, jobs::JobKind::kWrapping, failed(99, "stopped"), 30);
  EXPECT_EQ(m.text, "stopped\n\n00:00:00.04までのフレームが書き込まれています。");
  EXPECT_EQ(m.icon, MessageIcon::kWarning);
  EXPECT_EQ(m.caption, "MXF Corvane");
  m = progress_final_message(app, jobs::JobKind::kWrapping, failed(2006, "refused"), 0);
  EXPECT_EQ(m.text, "refused\n\n書き込まれたフレームはありません。");
  // An export writes only new files: its message is the runner's text as it is.
  m = progress_final_message(app, jobs::JobKind::kExport, failed(99, "stopped"), 30);
  EXPECT_EQ(m.text, "stopped");
}

TEST(LogSave, DefaultExtension) {
  EXPECT_EQ(with_txt_extension("/logs/run"), "/logs/run.txt");
  EXPECT_EQ(with_txt_extension("/logs/run."), "/logs/run.txt");
  EXPECT_EQ(with_txt_extension("/logs/run.txt"), "/logs/run.txt");
  EXPECT_EQ(with_txt_extension("/logs/run.log"), "/logs/run.log");
  EXPECT_EQ(with_txt_extension("/logs.d/run"), "/logs.d/run.txt");
  EXPECT_EQ(with_txt_extension("/logs/.run"), "/logs/.run.txt");
}

class LogSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drop_frame(&app);
    app.mxfPath = dir.file("clip.mxf");
    app.errorList.push_back(TIMECODE_ERROR_INFO{1078925, 1078930, 1078925, 1078930, 2, 5});
    app.errorList.push_back(TIMECODE_ERROR_INFO{1078940, 1078940, 1078940, 1078940, 4, 20});
    app.timecode().errorCount = 2;
    // A device that takes no byte: opening succeeds, every write fails with ENOSPC.
    full = dir.file("full.txt");
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
  }
  std::function<std::optional<std::string>()> paths(std::vector<std::optional<std::string>> list,
                                                    std::function<void()> before = {}) {
    return [list, before, this]() mutable {
      if (before) before();
      ++chosen;
      if (list.empty()) return std::optional<std::string>();
      std::optional<std::string> next = list.front();
      list.erase(list.begin());
      return next;
    };
  }

  test::TempDir dir;
  APP_STATE_INFO app;
  std::string full;
  int chosen = 0;
  std::vector<UserMessage> shown;
  std::function<void(const UserMessage&)> show = [this](const UserMessage& m) {
    shown.push_back(m);
  };
};

TEST_F(LogSaveTest, LtcLogFailureNamesTheLogAndTheBreaksStayUntilALogIsComplete) {
  size_t heldAtRetry = 0;
  const bool written = offer_ltc_error_log(
      app, [] { return true; },
      paths({full, dir.file("ltc")}, [&] { heldAtRetry = app.errorList.size(); }), show,
      platform::TextEncoding::kUtf8);
  EXPECT_TRUE(written);
  EXPECT_EQ(chosen, 2);
  EXPECT_EQ(heldAtRetry, 2u);  // still there when the save dialog came again
  ASSERT_EQ(shown.size(), 2u);
  // The device refuses the bytes or their flush; either way the log's path and the error.
  EXPECT_EQ(shown[0].text.rfind(full + "\n\nエラーログを作成できません。", 0), 0u) << shown[0].text;
  EXPECT_EQ(shown[0].text.find("ERR: 0"), std::string::npos);
  EXPECT_EQ(shown[0].caption, "エラーログの保存");
  EXPECT_EQ(shown[0].icon, MessageIcon::kError);
  EXPECT_EQ(shown[1].text, jobs::ltc_log_written_text("clip.mxf", dir.file("ltc.txt")));
  EXPECT_TRUE(app.errorList.empty());
  const std::string log = text_of(dir.file("ltc.txt"));
  EXPECT_NE(log.find("LTCエラー数: 2\r\n"), std::string::npos);
  EXPECT_NE(log.find("     1  10:00:00.20"), std::string::npos) << log;

  // One attempt at a time, as a dialog may drive it.
  app.errorList.push_back(TIMECODE_ERROR_INFO{});
  const LogSaveResult r = save_ltc_error_log(app, full, platform::TextEncoding::kUtf8, {});
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.retry);
  EXPECT_EQ(r.path, full);
  EXPECT_EQ(app.errorList.size(), 1u);
}

TEST_F(LogSaveTest, DecliningTheLtcLogDropsTheBreaks) {
  EXPECT_FALSE(offer_ltc_error_log(
      app, [] { return false; }, paths({dir.file("x")}), show, platform::TextEncoding::kUtf8));
  EXPECT_EQ(chosen, 0);
  EXPECT_TRUE(app.errorList.empty());
  EXPECT_TRUE(shown.empty());

  app.errorList.push_back(TIMECODE_ERROR_INFO{});
  // The save dialog cancelled after a failed attempt.
  EXPECT_FALSE(offer_ltc_error_log(
      app, [] { return true; }, paths({full, std::nullopt}), show, platform::TextEncoding::kUtf8));
  EXPECT_EQ(chosen, 2);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(app.errorList.empty());
}

TEST_F(LogSaveTest, WrapLogFailureIsNeverReportedAsWritten) {
  const bool written = offer_wrap_detail_log(
      app, [] { return true; }, paths({full, dir.file("wrap")}), show,
      platform::TextEncoding::kUtf8);
  EXPECT_TRUE(written);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text.rfind(full + "\n\nログファイルを作成できません。", 0), 0u)
      << shown[0].text;
  EXPECT_EQ(shown[0].text.find("ERR: 0"), std::string::npos);
  EXPECT_EQ(shown[0].caption, "ラッピング詳細ログの保存");
  EXPECT_EQ(shown[0].icon, MessageIcon::kError);
  EXPECT_EQ(shown[1].text, jobs::wrap_log_written_text("clip.mxf", dir.file("wrap.txt")));
  EXPECT_EQ(shown[1].caption, "MXF Tavrin");
  EXPECT_NE(text_of(dir.file("wrap.txt")).find("< 処理範囲 >\r\nIN  10:00:00.00\r\n"),
            std::string::npos);

  // A folder that does not exist: the open fails, the path is named, nothing says written.
  const LogSaveResult r =
      save_wrap_detail_log(app, dir.file("no/such/wrap"), platform::TextEncoding::kUtf8, {});
  EXPECT_FALSE(r.written);
  EXPECT_TRUE(r.retry);
  EXPECT_EQ(r.message.text, jobs::wrap_log_failure_text(dir.file("no/such/wrap.txt"), ENOENT));
  EXPECT_EQ(r.status, "");

  // Declined: nothing is asked of the save dialog.
  shown.clear();
  chosen = 0;
  EXPECT_FALSE(offer_wrap_detail_log(
      app, [] { return false; }, paths({dir.file("x")}), show, platform::TextEncoding::kUtf8));
  EXPECT_EQ(chosen, 0);
  EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace tavrin::app
