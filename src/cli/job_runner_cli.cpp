#include "cli/job_runner_cli.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/interrupt.h"
#include "cli/session.h"
#include "timecode/timecode.h"
#include "wrap/job_range.h"

namespace tavrin::cli {

jobs::JobMessage run_processing_job(app::APP_STATE_INFO& app, bool showProgress) {
  jobs::JobRequest request;
  request.jobKind = app.jobKind;
  request.mxfPath = app.mxfPath;
  request.mxf = &app.mxf();
  request.tracks = &app.tracks;
  request.useFileApi = app.useFileApi != 0;
  platform::AtomicJobControl control;
  request.control = &control;

  const bool wrapping = app.jobKind == jobs::JobKind::kWrapping;
  const auto& in = wrapping ? app.tracks.inFrame : app.tracks.exportIn;
  const auto& out = wrapping ? app.tracks.outFrame : app.tracks.exportOut;
  const size_t sel = active_base(app.timecode());
  // The display knows the job's frames from its start, before the engine reports them.
  control.set_total(out[sel] - in[sel] + 1);

  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  jobs::JobMessage final;
  InterruptScope interrupt(&control);
  std::thread worker = jobs::start_job(request, [&](const jobs::JobMessage& message) {
    std::lock_guard<std::mutex> lock(mutex);
    final = message;
    done = true;
    finished.notify_all();
  });
  const MXF_TIMECODE_INFO& info = app.timecode();
  const char separator = info.dropFrame ? ',' : '.';
  // The progress line; a finished job shows 100 %, as the dialog's bar jumps to the end.
  const auto show = [&](bool finishedJob) {
    const uint32_t total = control.total();
    // The last frame completed, counted from IN (IN itself before the first).
    const uint32_t done = control.done();
    const uint32_t progress = done > 0 ? done - 1 : 0;
    // The frame reached, shown in plain timecode also when the job counts in the shifted base.
    int64_t frame = int64_t{in[sel]} + progress;
    if (sel == 1) frame = tc::count_plus_hours(info.fpsCode, info.dropFrame, frame, 1, '-');
    const tc::Timecode reached =
        tc::frames_to_display_timecode(info.fpsCode, info.dropFrame, frame);
    const int percent = finishedJob ? 100 : total ? static_cast<int>(100.0 * progress / total) : 0;
    std::fprintf(stderr, "\r%sまで完了  %3d%%  (%u / %u)",
                 tc::timecode_text_with(reached, separator).c_str(), percent, progress, total);
  };
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished.wait_for(lock, std::chrono::milliseconds(200), [&] { return done; })) {
      if (showProgress) show(false);
    }
  }
  worker.join();
  if (showProgress) {
    if (final.kind == jobs::JobMessageKind::kSucceeded) show(true);
    std::fprintf(stderr, "\n");
  }
  return final;
}

int exit_status_of(const jobs::JobMessage& message) {
  if (message.kind == jobs::JobMessageKind::kSucceeded) return kExitOk;
  return message.code == 99 ? kExitCancelled : kExitRefused;
}

}  // namespace tavrin::cli
