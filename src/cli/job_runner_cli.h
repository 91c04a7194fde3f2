// Running jobs from the command line through the working set's background jobs: the job runs on
// its worker thread while this thread waits, showing progress on stderr when asked; Ctrl+C asks
// the job's control to stop.
#pragma once

#include <functional>
#include <optional>

#include "app/app_state.h"
#include "app/background_job.h"

namespace tavrin::cli {

// A job started by `start` with the observer it is handed. `onMessage` sees every message on the
// worker thread (the final one included); `tick` runs on this thread every 200 ms while the job
// runs. Returns the final message once the worker has ended, or the refusal when the job did not
// start.
struct JobOutcome {
  std::optional<UserMessage> refusal;
  jobs::JobMessage final;
};
using JobStart = std::function<app::BackgroundJob(jobs::JobObserver)>;
JobOutcome wait_for_job(const JobStart& start, const jobs::JobObserver& onMessage,
                        const std::function<void()>& tick);

// Runs app.jobKind's job (wrapping or export) and returns its final message; nothing after
// printing the refusal when the job could not start.
std::optional<jobs::JobMessage> run_processing_job(app::APP_STATE_INFO& app, bool showProgress);

// Exit status for a job's final message: 0 done, 99 cancelled, 1 failed.
int exit_status_of(const jobs::JobMessage& message);

}  // namespace tavrin::cli
