// Running a wrapping or export job from the command line: the job runs on the runner's worker
// thread while this thread shows progress on stderr; Ctrl+C requests cancellation.
#pragma once

#include "app/app_state.h"
#include "jobs/runner.h"

namespace tavrin::cli {

// Runs app.jobKind's job and returns the runner's final message.
jobs::JobMessage run_processing_job(app::APP_STATE_INFO& app, bool showProgress);

// Exit status for a job's final message: 0 done, 99 cancelled, 1 failed.
int exit_status_of(const jobs::JobMessage& message);

}  // namespace tavrin::cli
