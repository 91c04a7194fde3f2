#include "cli/job_runner_cli.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "app/progress_dialog.h"
#include "cli/interrupt.h"
#include "cli/session.h"

namespace tavrin::cli {

JobOutcome wait_for_job(const JobStart& start, const jobs::JobObserver& onMessage,
                        const std::function<void()>& tick) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  JobOutcome outcome;
  app::BackgroundJob job = start([&](const jobs::JobMessage& message) {
    if (onMessage) onMessage(message);
    if (message.kind == jobs::JobMessageKind::kVerificationStarting) return;
    std::lock_guard<std::mutex> lock(mutex);
    outcome.final = message;
    done = true;
    finished.notify_all();
  });
  if (!job.started()) {
    outcome.refusal = job.refusal();
    return outcome;
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(200), [&] { return done; })) {
      if (tick) tick();
    }
  }
  job.join();
  return outcome;
}

std::optional<jobs::JobMessage> run_processing_job(app::APP_STATE_INFO& app, bool showProgress) {
  const jobs::JobKind kind = app.jobKind;
  const uint32_t total = app::progress_total_frames(app, kind);
  platform::AtomicJobControl control;
  // The line shows the job's frames from its start, before the engine reports them.
  control.set_total(total);
  const auto show = [&](app::ProgressMoment moment) {
    const uint32_t done = control.done();
    const app::ProgressDialogView view = app::progress_dialog_view(app, kind, moment, done);
    std::fprintf(stderr, "\r%s  %3d%%  (%u / %u)", view.reachedText.c_str(), view.percent, done,
                 total);
  };
  InterruptScope interrupt(&control);
  const JobOutcome outcome = wait_for_job(
      [&](jobs::JobObserver observer) {
        return kind == jobs::JobKind::kWrapping ? app::start_wrapping(app, control, observer)
                                                : app::start_export(app, control, observer);
      },
      {},
      [&] {
        if (showProgress) show(app::ProgressMoment::kStart);
      });
  if (outcome.refusal) {
    print_message(*outcome.refusal);
    return std::nullopt;
  }
  if (showProgress) {
    // A finished job shows 100 %, as the dialog's bar jumps to the end.
    if (outcome.final.kind == jobs::JobMessageKind::kSucceeded) {
      show(app::ProgressMoment::kFinished);
    }
    std::fprintf(stderr, "\n");
  }
  return outcome.final;
}

int exit_status_of(const jobs::JobMessage& message) {
  if (message.kind == jobs::JobMessageKind::kSucceeded) return kExitOk;
  return message.code == 99 ? kExitCancelled : kExitRefused;
}

}  // namespace tavrin::cli
