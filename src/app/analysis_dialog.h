// What the analysis progress dialog shows and decides, without a window: the text of the running
// step, the remaining frames of the timecode check, the progress position, the state, button and
// status-bar texts of every moment, and the save of the LTC error log with its messages. The
// decisions on the final message (keep or unload, the skip question, the warning about tracks
// beyond 24, the offer of the log) are made by decide_analysis (app/analysis_job.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/log_save.h"
#include "jobs/runner.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "wav/user_message.h"

namespace tavrin::app {

// The moments of the dialog.
enum class AnalysisPhase {
  kSteps,       // the analysis steps before the timecode check (button disabled)
  kVerifying,   // the timecode check runs (button enabled)
  kCancelling,  // the skip was asked for, the check has not stopped yet
  kLoaded,      // +6: the file is loaded
  kSkipped,     // +7 with 99: the check was skipped
  kFailed,      // +7 with any other code
  kWritingLog,  // the LTC error log is being written
  kLogWritten,  // the LTC error log was written
};

// Step text by section code: "ファイルサイズを取得中..." for 100 …
// "ストリームアドレスとSDTIタイムコード を検証しています..." for 1000; empty for any other code.
std::string_view analysis_step_text(int sectionCode);

// "残り %dフレーム(%dフレーム中)" with the frames still to check and the frames to check.
std::string analysis_remaining_text(uint32_t framesToCheck, uint32_t framesChecked);

// Everything the dialog shows at one moment.
struct AnalysisDialogView {
  std::string fileName;       // the MXF file's name
  std::string stateText;      // the running step, or the state
  std::string remainingText;  // "残り …フレーム(…フレーム中)"
  int progress = 0;           // 0..100
  std::string buttonText;     // "スキップまたは中断する", "閉じる" at the end
  bool buttonEnabled = false;
  std::string status;  // the main window's status bar (part 0); empty = leave it as it is
};

// The view at a moment, from the facts the dialog's timer reads: the section code of the running
// step and the job control's total and done frames of the timecode check. While the skip is being
// carried out the state text stays the cancelling text, whatever step runs.
AnalysisDialogView analysis_dialog_view(AnalysisPhase phase, const std::string& mxfPath,
                                        int sectionCode, uint32_t framesToCheck,
                                        uint32_t framesChecked);

// The dialog's phase after the final message of the analysis.
AnalysisPhase analysis_phase_after(const jobs::JobMessage& final);

// The LTC error log after a timecode check that found breaks (code 1009), as the dialog offers it:
// `ask` answers the runner's question (Yes writes the log), `choosePath` is the save dialog (title
// "エラーログの保存"; nothing = cancelled), `show` shows each resulting message. A log that cannot
// be written completely is reported with its path and the save dialog is offered again; the break
// records stay until a log is complete or the operator declines (No or cancel), and are then
// cleared. Returns true when a log was written. Call before the load is completed or reset: the
// log block is made from the loaded file's records.
bool offer_ltc_error_log(APP_STATE_INFO& app, const std::function<bool()>& ask,
                         const std::function<std::optional<std::string>()>& choosePath,
                         const std::function<void(const UserMessage&)>& show,
                         platform::TextEncoding encoding);

// One attempt at saving the LTC error log at the path the save dialog returned (".txt" added when
// the name has no extension). On success the break records are cleared.
LogSaveResult save_ltc_error_log(APP_STATE_INFO& app, const std::string& chosenPath,
                                 platform::TextEncoding encoding,
                                 const platform::LocalTime& writtenAt);

// The same at exactly `path`, as the command line names it (no extension is added).
LogSaveResult write_ltc_error_log_at(APP_STATE_INFO& app, const std::string& path,
                                     platform::TextEncoding encoding,
                                     const platform::LocalTime& writtenAt);

// The operator declined the log (No, or cancelled the save dialog): the break records are cleared.
void decline_ltc_error_log(APP_STATE_INFO& app);

}  // namespace tavrin::app
