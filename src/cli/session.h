// Loading an MXF file on the command line the way the window loads it: open it exclusively for
// reading, run the whole analysis (Ctrl+C cancels the timecode check), and tell the outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/analysis_job.h"
#include "app/app_state.h"
#include "app/mxf_loading.h"
#include "platform/job_file_lock.h"

namespace tavrin::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitBreaks = 3;
inline constexpr int kExitCancelled = 99;

struct LoadedSession {
  bool opened = false;
  std::string openError;  // why the file could not be opened
  app::AnalysisRun run;
  bool succeeded() const { return run.final.kind == jobs::JobMessageKind::kSucceeded; }
  int code() const { return run.final.code; }
};

// Runs the analysis of `path` into `app`. `skipCheck` cancels the timecode check before its first
// frame (the operator's skip). The file is closed again before this returns.
LoadedSession analyse_file(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi,
                           bool skipCheck, bool showProgress);

// Loads `path` as the window does: the analysis, then the dialog's decision (a skipped check
// keeps the file, as answering Yes), then the completion of the load. Prints the messages the
// window would show to stderr. True when the file is loaded.
bool load_file(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi, bool skipCheck,
               LoadedSession* session);

// A load for a wrapping or export job: load_file, then the batch buffer position as the settings
// form's OK takes it. The exit status when the file is not loaded (2 when it could not be opened),
// nothing when it is.
std::optional<int> load_for_job(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi,
                                uint32_t bufferPosition, bool skipCheck);

// The hold of a wrapping or export job on its MXF file, taken before the file is loaded and kept
// until the job has ended, through the backup question, so that no other job starts on the file
// meanwhile. The exit status after printing why when the file cannot be held: 1 with the in-use
// message while another job uses it, 2 when it cannot be opened; nothing when it is held.
std::optional<int> hold_for_job(const std::string& path, platform::JobFileLock* hold);

// Prints a message for the operator (caption, then text) to stderr.
void print_message(const UserMessage& message);

// The status line of a finished analysis: the runner's text or, on success, "ロード完了".
std::string analysis_text(const LoadedSession& session);

}  // namespace tavrin::cli
