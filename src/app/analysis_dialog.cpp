#include "app/analysis_dialog.h"

#include "jobs/ltc_error_log.h"
#include "platform/paths.h"

namespace tavrin::app {

namespace {

constexpr const char* kSkipButton = "スキップまたは中断する";
constexpr const char* kCloseButton = "閉じる";

int percent_of(uint32_t total, uint32_t done) {
  if (total == 0) return 0;
  const uint64_t percent = uint64_t{done} * 100 / total;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

}  // namespace

std::string_view analysis_step_text(int sectionCode) {
  switch (sectionCode) {
    case 100:
      return "ファイルサイズを取得中...";
    case 200:
      return "ランダムインデックスとパーティション情報を取得中...";
    case 300:
      return "オペレーショナルパターン / ラッピング形式 / アンシラリデータの有無を確認";
    case 400:
      return "タイムコード情報を取得...";
    case 500:
      return "ファイルパッケージを取得...";
    case 600:
      return "インデックステーブルを取得中...";
    case 700:
      return "AES3オーディオ基本情報を取得";
    case 800:
      return "ビデオ基本情報を取得...";
    case 900:
      return "ID情報を取得中...";
    case 1000:
      return "ストリームアドレスとSDTIタイムコードを検証しています...";
    default:
      return "";
  }
}

std::string analysis_remaining_text(uint32_t framesToCheck, uint32_t framesChecked) {
  const uint32_t left = framesChecked < framesToCheck ? framesToCheck - framesChecked : 0;
  return platform::format("残り %dフレーム(%dフレーム中)", static_cast<int>(left),
                          static_cast<int>(framesToCheck));
}

AnalysisDialogView analysis_dialog_view(AnalysisPhase phase, const std::string& mxfPath,
                                        int sectionCode, uint32_t framesToCheck,
                                        uint32_t framesChecked) {
  AnalysisDialogView view;
  view.fileName = platform::file_name(mxfPath);
  view.remainingText = analysis_remaining_text(framesToCheck, framesChecked);
  view.stateText = std::string(analysis_step_text(sectionCode));
  view.buttonText = kSkipButton;
  // The bar moves only once the check has announced its frames.
  const bool counting = phase != AnalysisPhase::kSteps;
  view.progress = counting ? percent_of(framesToCheck, framesChecked) : 0;
  switch (phase) {
    case AnalysisPhase::kSteps:
      view.status = "MXFファイルを解析中...";
      break;
    case AnalysisPhase::kVerifying:
      view.buttonEnabled = true;
      break;
    case AnalysisPhase::kCancelling:
      view.stateText = "中断処理を行っていますのでこのままお待ちください...";
      view.status = "中断処理中...";
      break;
    case AnalysisPhase::kLoaded:
      view.progress = 100;
      view.status = "ロード完了";
      view.buttonText = kCloseButton;
      break;
    case AnalysisPhase::kSkipped:
      view.stateText = "解析をキャンセルしました。";
      view.status = "解析をキャンセル";
      view.buttonText = kCloseButton;
      break;
    case AnalysisPhase::kFailed:
    case AnalysisPhase::kWritingLog:
    case AnalysisPhase::kLogWritten:
      view.stateText = "エラーが報告されたため解析を中断しました。";
      view.status = phase == AnalysisPhase::kFailed       ? "MXFファイル解析エラー"
                    : phase == AnalysisPhase::kWritingLog ? std::string(jobs::kLtcLogWritingStatus)
                                                          : std::string(jobs::kLtcLogWrittenStatus);
      view.buttonText = kCloseButton;
      break;
  }
  return view;
}

AnalysisPhase analysis_phase_after(const jobs::JobMessage& final) {
  if (final.kind == jobs::JobMessageKind::kSucceeded) return AnalysisPhase::kLoaded;
  return final.code == 99 ? AnalysisPhase::kSkipped : AnalysisPhase::kFailed;
}

LogSaveResult save_ltc_error_log(APP_STATE_INFO& app, const std::string& chosenPath,
                                 platform::TextEncoding encoding,
                                 const platform::LocalTime& writtenAt) {
  return write_ltc_error_log_at(app, with_txt_extension(chosenPath), encoding, writtenAt);
}

LogSaveResult write_ltc_error_log_at(APP_STATE_INFO& app, const std::string& path,
                                     platform::TextEncoding encoding,
                                     const platform::LocalTime& writtenAt) {
  LogSaveResult result;
  result.path = path;
  const jobs::LogWriteResult write = jobs::write_ltc_error_log(result.path, app.mxfPath, app.mxf(),
                                                               &app.errorList, encoding, writtenAt);
  if (write.written()) {
    result.written = true;
    result.message = jobs::ltc_log_written_message(platform::file_name(app.mxfPath), result.path);
    result.status = std::string(jobs::kLtcLogWrittenStatus);
  } else {
    // The log's own path is named: it is the log that could not be made, not the MXF file.
    result.retry = true;
    result.message = jobs::ltc_log_failure_message(result.path, write.error);
    result.detail = write.describe();
  }
  return result;
}

void decline_ltc_error_log(APP_STATE_INFO& app) {
  app.errorList.clear();
}

bool offer_ltc_error_log(APP_STATE_INFO& app, const std::function<bool()>& ask,
                         const std::function<std::optional<std::string>()>& choosePath,
                         const std::function<void(const UserMessage&)>& show,
                         platform::TextEncoding encoding) {
  if (!ask || !ask()) {
    decline_ltc_error_log(app);
    return false;
  }
  for (;;) {
    const std::optional<std::string> path = choosePath ? choosePath() : std::nullopt;
    if (!path) {
      decline_ltc_error_log(app);
      return false;
    }
    const LogSaveResult result =
        save_ltc_error_log(app, *path, encoding, platform::local_time_now());
    if (show) show(result.message);
    if (result.written) return true;
  }
}

}  // namespace tavrin::app
