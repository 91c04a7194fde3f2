#include "app/progress_dialog.h"

#include "jobs/program.h"
#include "jobs/wrap_detail_log.h"
#include "platform/paths.h"
#include "timecode/timecode.h"
#include "wrap/job_range.h"

namespace tavrin::app {

namespace {

bool is_wrapping(jobs::JobKind kind) {
  return kind == jobs::JobKind::kWrapping;
}

const std::array<uint32_t, 2>& range_in(const APP_STATE_INFO& app, jobs::JobKind kind) {
  return is_wrapping(kind) ? app.tracks.inFrame : app.tracks.exportIn;
}

const std::array<uint32_t, 2>& range_out(const APP_STATE_INFO& app, jobs::JobKind kind) {
  return is_wrapping(kind) ? app.tracks.outFrame : app.tracks.exportOut;
}

// The last frame completed after `framesDone` frames, in the plain counting base: IN before the
// first frame. In the shifted base (a file that starts in hour 23) the count is one hour ahead of
// the timecode it stands for, so the hour is taken off again.
uint32_t reached_frame(const APP_STATE_INFO& app, jobs::JobKind kind, uint32_t framesDone) {
  const MXF_TIMECODE_INFO& timecode = app.timecode();
  const size_t sel = active_base(timecode);
  int64_t frame = int64_t{range_in(app, kind)[sel]} + (framesDone > 0 ? framesDone - 1 : 0);
  if (sel == 1) frame = tc::count_plus_hours(timecode.fpsCode, timecode.dropFrame, frame, 1, '-');
  return frame < 0 ? 0 : static_cast<uint32_t>(frame);
}

}  // namespace

ProgressStateTexts progress_state_texts(jobs::JobKind kind, ProgressMoment moment) {
  const bool wrapping = is_wrapping(kind);
  switch (moment) {
    case ProgressMoment::kStart: {
      const char* text = wrapping ? "ラッピング中..." : "BWFファイルを書出し中...";
      return {text, text};
    }
    case ProgressMoment::kCancelling:
      return {"中断処理を行っています、お待ちください...", "中断処理中..."};
    case ProgressMoment::kFinished:
      return wrapping ? ProgressStateTexts{"ラッピングが完了しました。", "ラッピング完了"}
                      : ProgressStateTexts{"BWFファイルの書出しが完了しました。",
                                           "BWFファイル書出し完了"};
    case ProgressMoment::kEnded: {
      const char* text =
          wrapping ? "ラッピング処理を中断しました。" : "BWFファイル書出しを中断しました。";
      return {text, text};
    }
    case ProgressMoment::kWritingLog:
      return {"", std::string(jobs::kWrapLogWritingStatus)};
    case ProgressMoment::kLogWritten:
      return {"", std::string(jobs::kWrapLogWrittenStatus)};
  }
  return {};
}

std::string progress_timecode_text(const MXF_TIMECODE_INFO& timecode, uint32_t frame) {
  const tc::Timecode fields =
      tc::frames_to_display_timecode(timecode.fpsCode, timecode.dropFrame, frame);
  return tc::timecode_text_with(fields, timecode.dropFrame != 0 ? ',' : '.');
}

uint32_t progress_total_frames(const APP_STATE_INFO& app, jobs::JobKind kind) {
  const size_t sel = active_base(app.timecode());
  return range_out(app, kind)[sel] - range_in(app, kind)[sel] + 1;
}

ProgressDialogView progress_dialog_view(const APP_STATE_INFO& app, jobs::JobKind kind,
                                        ProgressMoment moment, uint32_t framesDone) {
  const MXF_TIMECODE_INFO& timecode = app.timecode();
  ProgressDialogView view;
  view.fileName = platform::file_name(app.mxfPath);
  view.inText = progress_timecode_text(timecode, range_in(app, kind)[0]);
  view.outText = progress_timecode_text(timecode, range_out(app, kind)[0]);
  view.reachedText =
      progress_timecode_text(timecode, reached_frame(app, kind, framesDone)) + "まで完了";
  const uint32_t total = progress_total_frames(app, kind);
  if (moment == ProgressMoment::kFinished || moment == ProgressMoment::kWritingLog ||
      moment == ProgressMoment::kLogWritten) {
    view.percent = 100;
  } else if (total > 0) {
    const uint64_t percent = uint64_t{framesDone} * 100 / total;
    view.percent = percent > 100 ? 100 : static_cast<int>(percent);
  }
  const bool running = moment == ProgressMoment::kStart || moment == ProgressMoment::kCancelling;
  view.buttonText = running ? "キャンセル" : "閉じる";
  view.buttonEnabled = moment == ProgressMoment::kStart;
  return view;
}

UserMessage progress_final_message(const APP_STATE_INFO& app, jobs::JobKind kind,
                                   const jobs::JobMessage& final, uint32_t framesDone) {
  if (final.kind == jobs::JobMessageKind::kSucceeded) {
    return {final.text, jobs::kJobSuccessTitle, MessageIcon::kInformation, false};
  }
  std::string text = final.text;
  if (is_wrapping(kind)) {
    // Nothing written is rolled back: the operator must know how far the file was changed.
    text += framesDone == 0
                ? std::string("\n\n書き込まれたフレームはありません。")
                : "\n\n" +
                      progress_timecode_text(app.timecode(), reached_frame(app, kind, framesDone)) +
                      "までのフレームが書き込まれています。";
  }
  return {text, jobs::kJobSuccessTitle, MessageIcon::kWarning, false};
}

bool offers_wrap_detail_log(jobs::JobKind kind, const jobs::JobMessage& final) {
  return is_wrapping(kind) && final.kind == jobs::JobMessageKind::kSucceeded;
}

UserMessage wrap_detail_log_question() {
  return {std::string(jobs::kWrapLogQuestion), std::string(jobs::kProgramName),
          MessageIcon::kInformation, true};
}

LogSaveResult save_wrap_detail_log(const APP_STATE_INFO& app, const std::string& chosenPath,
                                   platform::TextEncoding encoding,
                                   const platform::LocalTime& writtenAt) {
  return write_wrap_detail_log_at(app, with_txt_extension(chosenPath), encoding, writtenAt);
}

LogSaveResult write_wrap_detail_log_at(const APP_STATE_INFO& app, const std::string& path,
                                       platform::TextEncoding encoding,
                                       const platform::LocalTime& writtenAt) {
  LogSaveResult result;
  result.path = path;
  const jobs::LogWriteResult write = jobs::write_wrap_detail_log(
      result.path, app.mxfPath, app.mxf(), app.tracks, app.useFileApi != 0, encoding, writtenAt);
  if (write.written()) {
    result.written = true;
    result.message = jobs::wrap_log_written_message(platform::file_name(app.mxfPath), result.path);
    result.status = std::string(jobs::kWrapLogWrittenStatus);
  } else {
    // The log's own path is named: it is the log that could not be made, not the MXF file.
    result.retry = true;
    result.message = jobs::wrap_log_failure_message(result.path, write.error);
    result.detail = write.describe();
  }
  return result;
}

bool offer_wrap_detail_log(const APP_STATE_INFO& app, const std::function<bool()>& ask,
                           const std::function<std::optional<std::string>()>& choosePath,
                           const std::function<void(const UserMessage&)>& show,
                           platform::TextEncoding encoding) {
  if (!ask || !ask()) return false;
  for (;;) {
    const std::optional<std::string> path = choosePath ? choosePath() : std::nullopt;
    if (!path) return false;
    const LogSaveResult result =
        save_wrap_detail_log(app, *path, encoding, platform::local_time_now());
    if (show) show(result.message);
    if (result.written) return true;
  }
}

}  // namespace tavrin::app
