// Analysis, wrapping and export jobs on a worker thread, as the progress dialogs run them. The
// caller passes a job control (progress and stop requests, read and written from its own thread)
// and an observer. The observer is called on the worker thread with the verification-start
// message (analysis only) and then exactly one final message (success or failure); the worker
// waits until it returns, and ends right after the final message. The caller joins the job after
// that message has been handled; the working set must not be touched while the job runs.
#pragma once

#include <optional>
#include <string>
#include <thread>

#include "app/app_state.h"
#include "jobs/runner.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"
#include "wav/user_message.h"

namespace tavrin::app {

// One started (or refused) job. Joins its worker when destroyed.
class BackgroundJob {
 public:
  BackgroundJob() = default;
  explicit BackgroundJob(std::thread worker) : worker_(std::move(worker)) {}
  explicit BackgroundJob(UserMessage refusal) : refusal_(std::move(refusal)) {}
  BackgroundJob(BackgroundJob&&) noexcept = default;
  BackgroundJob& operator=(BackgroundJob&& other) noexcept;
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;
  ~BackgroundJob();

  // True when a worker was started (the observer will see its final message).
  bool started() const { return !refusal_.has_value(); }
  // Why the job was not started; the observer is never called then.
  const std::optional<UserMessage>& refusal() const { return refusal_; }
  // Waits for the worker to end; call after the final message. Safe to call more than once.
  void join();

 private:
  std::thread worker_;
  std::optional<UserMessage> refusal_;
};

// Starts the analysis of the newly opened file `file` at `path`: prepares the working set for a
// new load (the records, breaks and verdict of an earlier file are cleared), records the file's
// size and modification time for the checks before later jobs, and runs the analysis steps and
// the timecode check. `file` must stay open until the job is joined. The control receives the
// frames of the timecode check; a stop request skips the check (final code 99).
BackgroundJob start_analysis(APP_STATE_INFO& app, const std::string& path,
                             const platform::ByteSource& file, platform::JobControl& control,
                             jobs::JobObserver observer);

// The same for the file that begin_load opened: the analysis reads `mxfHandle` under `mxfPath`.
// The handle must stay open until the job is joined (complete_load closes it afterwards).
BackgroundJob start_analysis(APP_STATE_INFO& app, platform::JobControl& control,
                             jobs::JobObserver observer);

// Starts the wrapping job (job kind 0) over the loaded file with the tracks, switches and IN/OUT of
// the working set; the engine follows the file-I/O setting. Refused, with nothing written, when
// the file changed since its analysis. After the job the file's new modification time is taken as
// the loaded file's (the job itself changed it).
BackgroundJob start_wrapping(APP_STATE_INFO& app, platform::JobControl& control,
                             jobs::JobObserver observer);

// Starts the export job (job kind 1) of the marked tracks over the export range. Refused, with
// nothing written, when the file changed since its analysis.
BackgroundJob start_export(APP_STATE_INFO& app, platform::JobControl& control,
                           jobs::JobObserver observer);

// The check before every wrapping or export job: the loaded file still has the size and the
// modification time it had at its analysis. Returns the refusal to show when it has not (or when
// it can no longer be read); nothing when the job may run.
std::optional<UserMessage> check_loaded_file(const APP_STATE_INFO& app);

// The text of that refusal, with the MXF file's name.
std::string loaded_file_changed_text(const std::string& mxfName);

}  // namespace tavrin::app
