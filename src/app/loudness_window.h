// What the window's loudness commands show and decide: the measurement started on a worker
// thread, the texts of its progress dialog, the library row a WAV measurement takes, the target
// choice of the result dialog, and the save loop of the text report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/background_job.h"
#include "app/log_save.h"
#include "app/loudness_run.h"
#include "platform/job_control.h"
#include "platform/local_time.h"
#include "platform/text.h"

namespace tavrin::app {

// The save dialog of the report and the status-bar texts around a measurement.
inline constexpr std::string_view kLoudnessSaveTitle = "ラウドネス測定結果の保存";
inline constexpr std::string_view kLoudnessRunningStatus = "ラウドネス測定中...";
inline constexpr std::string_view kLoudnessDoneStatus = "ラウドネス測定完了";
inline constexpr std::string_view kLoudnessSavedStatus = "ラウドネス測定結果の保存完了";
inline constexpr std::string_view kLoudnessSaveButton = "テキストで保存(&S)";
inline constexpr std::string_view kLoudnessCloseButton = "閉じる";
inline constexpr std::string_view kLoudnessTargetLabel = "基準:";

// What a measurement measures: the loaded file (its default scope and selection) or one WAV.
struct LoudnessRequest {
  bool wav = false;
  std::string wavPath;  // wav only
  LoudnessScope scope = LoudnessScope::kWholeFile;
  LoudnessSelection selection;
  loudness::TargetId target = loudness::TargetId::kArib;
};

// The loaded file over IN..OUT when both are set (otherwise the whole file), every track alone
// and tracks 1+2 as a pair, against the working set's target.
LoudnessRequest loaded_file_request(const APP_STATE_INFO& app);
// The library entry selected alone in the list; nothing unless exactly one entry is selected.
std::optional<size_t> single_selected_library_row(const APP_STATE_INFO& app);
// The WAV of that row, against the working set's target; nothing without a single selection.
std::optional<LoudnessRequest> library_row_request(const APP_STATE_INFO& app);

// Why the request cannot start (shown instead of a dialog); nothing when it can.
std::optional<UserMessage> check_loudness_start(const APP_STATE_INFO& app,
                                                const LoudnessRequest& request);

// Runs the request on a worker thread with `control`; `finished` is called on the worker with
// the report (successful, failed or cancelled) and is the worker's last act. The working set is
// read, never written, while the job runs; the caller keeps it alive and unchanged until it
// joins the job. A request check_loudness_start refuses is not started.
BackgroundJob start_loudness(const APP_STATE_INFO& app, const LoudnessRequest& request,
                             platform::JobControl& control,
                             std::function<void(LoudnessReport)> finished);

// The progress dialog's texts at a moment of the job.
struct LoudnessProgressView {
  std::string title;     // "ラウドネス測定"
  std::string fileName;  // the measured file's name
  std::string what;      // "全体" / "IN-OUT <in> - <out>" / "WAVファイル"
  std::string percentText;
  int percent = 0;         // 0 .. 100
  std::string stateText;   // "測定中..." or "中止しています..."
  std::string buttonText;  // "キャンセル"
  bool buttonEnabled = true;
};
LoudnessProgressView loudness_progress_view(const APP_STATE_INFO& app,
                                            const LoudnessRequest& request, uint32_t done,
                                            uint32_t total, bool cancelling);

// The target names the result dialog offers, in the order of loudness::all_targets().
std::vector<std::string> loudness_target_names();
// The report judged against another target (the numbers stay, the verdicts follow the target).
void retarget_report(LoudnessReport& report, loudness::TargetId target);
// The result dialog's caption: "ラウドネス測定 - <file name>".
std::string loudness_result_title(const LoudnessReport& report);

// One attempt at saving the report at the path the save dialog returned (".txt" added when the
// name has no extension): written only when every write and the close succeeded; otherwise the
// failure names the report's path and the save dialog is offered again.
LogSaveResult save_loudness_report_at(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                                      const std::string& chosenPath,
                                      platform::TextEncoding encoding,
                                      const platform::LocalTime& writtenAt);
// The save loop of the result dialog: `choosePath` is the save dialog (nothing = cancelled),
// `show` shows each resulting message. Returns true when a report was written.
bool offer_loudness_report(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                           const std::function<std::optional<std::string>()>& choosePath,
                           const std::function<void(const UserMessage&)>& show,
                           platform::TextEncoding encoding);

}  // namespace tavrin::app
