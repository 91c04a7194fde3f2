#include "app/loudness_window.h"

#include <algorithm>
#include <thread>

#include "app/loudness_texts.h"
#include "jobs/log_writer.h"
#include "jobs/mxf_info_block.h"
#include "loudness/mxf_loudness.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tavrin::app {

LoudnessRequest loaded_file_request(const APP_STATE_INFO& app) {
  LoudnessRequest request;
  request.scope = default_loudness_scope(app);
  request.selection = default_loudness_selection(app);
  request.target = app.loudnessTarget;
  return request;
}

std::optional<size_t> single_selected_library_row(const APP_STATE_INFO& app) {
  std::optional<size_t> found;
  for (size_t row = 0; row < app.libraryView.size(); ++row) {
    const WAV_LIBRARY_ENTRY* entry = app.libraryView[row];
    if (entry == nullptr || entry->selected == 0) continue;
    if (found) return std::nullopt;  // more than one
    found = row;
  }
  return found;
}

std::optional<LoudnessRequest> library_row_request(const APP_STATE_INFO& app) {
  const std::optional<size_t> row = single_selected_library_row(app);
  if (!row) return std::nullopt;
  LoudnessRequest request;
  request.wav = true;
  request.wavPath = app.libraryView[*row]->file_path;
  request.target = app.loudnessTarget;
  return request;
}

std::optional<UserMessage> check_loudness_start(const APP_STATE_INFO& app,
                                                const LoudnessRequest& request) {
  if (request.wav) {
    if (!request.wavPath.empty()) return std::nullopt;
    return UserMessage{"測定するWAVファイルを1つ選択してください。", kLoudnessCaption,
                       MessageIcon::kWarning, false};
  }
  return check_loudness_request(app, request.scope, request.selection);
}

BackgroundJob start_loudness(const APP_STATE_INFO& app, const LoudnessRequest& request,
                             platform::JobControl& control,
                             std::function<void(LoudnessReport)> finished) {
  if (std::optional<UserMessage> refusal = check_loudness_start(app, request)) {
    return BackgroundJob(std::move(*refusal));
  }
  return BackgroundJob(std::thread([&app, request, &control, finished = std::move(finished)] {
    LoudnessReport report = request.wav ? measure_wav_file(request.wavPath, request.target, control)
                                        : measure_loaded_file(app, request.scope, request.selection,
                                                              request.target, control);
    if (finished) finished(std::move(report));
  }));
}

LoudnessProgressView loudness_progress_view(const APP_STATE_INFO& app,
                                            const LoudnessRequest& request, uint32_t done,
                                            uint32_t total, bool cancelling) {
  LoudnessProgressView view;
  view.title = kLoudnessCaption;
  view.fileName = platform::file_name(request.wav ? request.wavPath : app.mxfPath);
  if (request.wav) {
    view.what = "WAVファイル";
  } else {
    const MXF_TIMECODE_INFO& tc = app.timecode();
    const bool whole = request.scope == LoudnessScope::kWholeFile;
    const uint32_t in = whole ? loudness::whole_file_in(tc)[0] : app.tracks.inFrame[0];
    const uint32_t out = whole ? loudness::whole_file_out(tc)[0] : app.tracks.outFrame[0];
    view.what = std::string(whole ? "全体 " : "IN-OUT ") +
                jobs::log_timecode(tc.fpsCode, tc.dropFrame, in) + " - " +
                jobs::log_timecode(tc.fpsCode, tc.dropFrame, out);
  }
  // A total of zero (not yet known) reads as 0 %; done never shows beyond 100 %.
  const uint64_t percent =
      total == 0 ? 0 : std::min<uint64_t>(100, uint64_t{done} * 100 / uint64_t{total});
  view.percent = static_cast<int>(percent);
  view.percentText = platform::format("%d %%", view.percent);
  view.stateText = cancelling ? "中止しています..." : "測定中...";
  view.buttonText = "キャンセル";
  view.buttonEnabled = !cancelling;
  return view;
}

std::vector<std::string> loudness_target_names() {
  std::vector<std::string> names;
  for (const loudness::LoudnessTarget& target : loudness::all_targets()) {
    names.emplace_back(target.name);
  }
  return names;
}

void retarget_report(LoudnessReport& report, loudness::TargetId target) {
  report.target = target;
  const loudness::LoudnessTarget& t = loudness::target_of(target);
  for (ProgrammeResult& result : report.results) {
    result.check = loudness::check_against(result.measurement, t);
  }
}

std::string loudness_result_title(const LoudnessReport& report) {
  return std::string(kLoudnessCaption) + " - " + platform::file_name(report.path);
}

LogSaveResult save_loudness_report_at(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                                      const std::string& chosenPath,
                                      platform::TextEncoding encoding,
                                      const platform::LocalTime& writtenAt) {
  LogSaveResult result;
  result.path = with_txt_extension(chosenPath);
  const jobs::LogWriteResult write =
      save_loudness_report(result.path, report, mxf, encoding, writtenAt);
  if (write.written()) {
    result.written = true;
    result.message = UserMessage{"ラウドネス測定結果を保存しました。\r\n" + result.path,
                                 kLoudnessCaption, MessageIcon::kInformation, false};
    result.status = std::string(kLoudnessSavedStatus);
  } else {
    result.retry = true;
    result.message =
        UserMessage{"ラウドネス測定結果を保存できませんでした。\r\n" + write.describe(),
                    kLoudnessCaption, MessageIcon::kWarning, false};
  }
  return result;
}

bool offer_loudness_report(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                           const std::function<std::optional<std::string>()>& choosePath,
                           const std::function<void(const UserMessage&)>& show,
                           platform::TextEncoding encoding) {
  if (!report.succeeded()) return false;  // only a finished measurement has a report
  for (;;) {
    const std::optional<std::string> path = choosePath ? choosePath() : std::nullopt;
    if (!path) return false;
    const LogSaveResult result =
        save_loudness_report_at(report, mxf, *path, encoding, platform::local_time_now());
    if (show) show(result.message);
    if (result.written) return true;
  }
}

}  // namespace tavrin::app
