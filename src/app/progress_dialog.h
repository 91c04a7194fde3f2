// What the wrapping/export progress dialog shows and decides, without a window: the state and
// status-bar texts by job kind and moment, the IN, OUT and reached timecodes (',' before the
// frames for drop-frame files, '.' otherwise), the percentage, the final message box, the log
// question after a finished wrapping job, and the save of the wrap detail log.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/log_save.h"
#include "jobs/runner.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "wav/user_message.h"

namespace tavrin::app {

enum class ProgressMoment {
  kStart,       // the job runs
  kCancelling,  // Cancel was pressed, the job has not stopped yet
  kFinished,    // +6
  kEnded,       // +7: failed or cancelled
  kWritingLog,  // the wrap detail log is being written
  kLogWritten,  // the wrap detail log was written
};

// The texts of a moment: the dialog's state text and the main window's status bar (part 0). An
// empty text leaves the control as it is.
struct ProgressStateTexts {
  std::string state;
  std::string status;
};
ProgressStateTexts progress_state_texts(jobs::JobKind kind, ProgressMoment moment);

// "%02d:%02d:%02d%c%02d" of a frame count in the plain counting base, with ',' before the frames
// when the file is drop-frame and '.' otherwise.
std::string progress_timecode_text(const MXF_TIMECODE_INFO& timecode, uint32_t frame);

// Everything the dialog shows at one moment.
struct ProgressDialogView {
  std::string fileName;     // the MXF file's name
  std::string inText;       // IN of the job's range
  std::string outText;      // OUT of the job's range
  std::string reachedText;  // "…まで完了": the last frame completed (IN before the first)
  int percent = 0;          // 0..100; 100 once the job finished
  std::string buttonText;   // "キャンセル", "閉じる" after the job
  bool buttonEnabled = true;
};

// The view from the job control's done frames (frames completed, counted from IN). The range is
// the wrap range for a wrapping job and the export range for an export job; the reached timecode
// is the real one also for a file that starts in hour 23.
ProgressDialogView progress_dialog_view(const APP_STATE_INFO& app, jobs::JobKind kind,
                                        ProgressMoment moment, uint32_t framesDone);

// Frames of the job's range in the active counting base (OUT − IN + 1).
uint32_t progress_total_frames(const APP_STATE_INFO& app, jobs::JobKind kind);

// The message box of the final message: the runner's text with the caption "MXF Corvane", the
// information icon on success and the warning icon otherwise. After a wrapping job that did not
// finish, the text also says up to which timecode frames were written (or that none were).
UserMessage progress_final_message(const APP_STATE_INFO& app, jobs::JobKind kind,
                                   const jobs::JobMessage& final, uint32_t framesDone);

// True when the wrap detail log is offered: after a finished wrapping job only.
bool offers_wrap_detail_log(jobs::JobKind kind, const jobs::JobMessage& final);
// "詳細ログを作成しますか？" (caption "MXF Tavrin", Yes/No, information icon).
UserMessage wrap_detail_log_question();

// The wrap detail log as the dialog offers it after a finished wrapping job: `ask` answers the
// question, `choosePath` is the save dialog (title "ラッピング詳細ログの保存"; nothing =
// cancelled), `show` shows each resulting message. A log that cannot be written completely is
// reported with its path and the save dialog is offered again. Returns true when a log was written.
bool offer_wrap_detail_log(const APP_STATE_INFO& app, const std::function<bool()>& ask,
                           const std::function<std::optional<std::string>()>& choosePath,
                           const std::function<void(const UserMessage&)>& show,
                           platform::TextEncoding encoding);

// One attempt at saving the wrap detail log at the path the save dialog returned (".txt" added
// when the name has no extension).
LogSaveResult save_wrap_detail_log(const APP_STATE_INFO& app, const std::string& chosenPath,
                                   platform::TextEncoding encoding,
                                   const platform::LocalTime& writtenAt);

// The same at exactly `path`, as the command line names it (no extension is added).
LogSaveResult write_wrap_detail_log_at(const APP_STATE_INFO& app, const std::string& path,
                                       platform::TextEncoding encoding,
                                       const platform::LocalTime& writtenAt);

}  // namespace tavrin::app
