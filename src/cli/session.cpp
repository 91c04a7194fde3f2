#include "cli/session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/analysis_dialog.h"
#include "app/background_job.h"
#include "app/settings.h"
#include "cli/interrupt.h"
#include "cli/job_runner_cli.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

// The section of the timecode check, whose step text the progress line shows.
constexpr int kTimecodeCheckSection = 1000;

}  // namespace

LoadedSession analyse_file(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi,
                           bool skipCheck, bool showProgress) {
  LoadedSession session;
  const std::string absolute = platform::absolute_path(path);
  platform::Status status;
  platform::File file = app::open_mxf_for_analysis(absolute, &status);
  if (!file.valid()) {
    session.openError = std::strerror(status.error);
    return session;
  }
  session.opened = true;
  // The method as the settings form's OK sets it; the buffer position stays.
  app::accept_settings(app, useFileApi, -1);
  platform::FileSource source(file);
  platform::AtomicJobControl control;
  InterruptScope interrupt(&control);
  // Called on the job's worker thread, which waits for it before the timecode check starts.
  const auto onMessage = [&](const jobs::JobMessage& message) {
    if (message.kind != jobs::JobMessageKind::kVerificationStarting) return;
    session.run.verificationStarted = true;
    if (skipCheck) control.request_cancel();
    if (showProgress) {
      std::fprintf(stderr, "%s (%u frames)\n",
                   std::string(app::analysis_step_text(kTimecodeCheckSection)).c_str(),
                   control.total());
    }
  };
  const JobOutcome outcome = wait_for_job(
      [&](jobs::JobObserver observer) {
        return app::start_analysis(app, absolute, source, control, std::move(observer));
      },
      onMessage, {});
  session.run.final = outcome.final;
  return session;
}

void print_message(const UserMessage& message) {
  if (!message.caption.empty()) std::fprintf(stderr, "[%s] ", message.caption.c_str());
  std::fprintf(stderr, "%s\n", message.text.c_str());
}

bool load_file(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi, bool skipCheck,
               LoadedSession* session) {
  *session = analyse_file(app, path, useFileApi, skipCheck, false);
  if (!session->opened) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), session->openError.c_str());
    return false;
  }
  const app::AnalysisDecision decision =
      app::decide_analysis(app, session->run, [&](const UserMessage&) { return skipCheck; });
  for (const UserMessage& message : decision.messages) {
    // The question after a skipped check is answered by --skip-check itself.
    if (!(message.yesNo && skipCheck && decision.keep)) print_message(message);
  }
  app::complete_load(app);
  return app.mxfLoaded != 0;
}

std::optional<int> load_for_job(app::APP_STATE_INFO& app, const std::string& path, bool useFileApi,
                                uint32_t bufferPosition, bool skipCheck) {
  LoadedSession session;
  if (!load_file(app, path, useFileApi, skipCheck, &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }
  app::accept_settings(app, useFileApi, static_cast<int32_t>(bufferPosition));
  return std::nullopt;
}

std::optional<int> hold_for_job(const std::string& path, platform::JobFileLock* hold) {
  platform::Status status;
  *hold = platform::JobFileLock::take(platform::absolute_path(path), &status);
  if (hold->held()) return std::nullopt;
  if (status.error == EWOULDBLOCK) {
    print_message(app::mxf_in_use_message(path));
    return kExitRefused;
  }
  std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(status.error));
  return kExitUsage;
}

std::string analysis_text(const LoadedSession& session) {
  if (session.succeeded()) return "ロード完了";
  return session.run.final.text;
}

}  // namespace tavrin::cli
