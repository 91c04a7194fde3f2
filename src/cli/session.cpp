#include "cli/session.h"

#include <cstdio>
#include <cstring>

#include "cli/interrupt.h"
#include "platform/paths.h"

namespace tavrin::cli {

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
  app.useFileApi = useFileApi ? 1 : 0;
  platform::FileSource source(file);
  platform::AtomicJobControl control;
  InterruptScope interrupt(&control);
  const auto onMessage = [&](const jobs::JobMessage& message) {
    if (message.kind != jobs::JobMessageKind::kVerificationStarting) return;
    if (skipCheck) control.request_cancel();
    if (showProgress) {
      std::fprintf(stderr, "ストリームアドレスとSDTIタイムコードを検証しています... (%u frames)\n",
                   app.timecode().framesToCheck.load());
    }
  };
  session.run = app::run_analysis(app, absolute, source, control, onMessage);
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

std::string analysis_text(const LoadedSession& session) {
  if (session.succeeded()) return "ロード完了";
  return session.run.final.text;
}

}  // namespace tavrin::cli
