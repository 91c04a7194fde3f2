#include "app/analysis_job.h"

#include "platform/text.h"

namespace tavrin::app {

AnalysisRun run_analysis(APP_STATE_INFO& app, const std::string& path,
                         const platform::ByteSource& file, const jobs::JobObserver& onMessage) {
  unload_mxf_records(app.records);
  app.errorList.clear();
  app.timecode().framesToCheck = 0;
  app.timecode().framesChecked = 0;
  app.timecode().cancelCheck = 0;
  app.analysisOk = 0;
  app.mxfPath = path;
  app.jobKind = jobs::JobKind::kAnalysis;

  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &file;
  request.mxfPath = path;
  request.mxf = &app.mxf();
  request.tracks = &app.tracks;
  request.useFileApi = app.useFileApi != 0;

  AnalysisRun run;
  jobs::run_job(request, [&](const jobs::JobMessage& message) {
    if (message.kind == jobs::JobMessageKind::kVerificationStarting) {
      run.verificationStarted = true;
    } else {
      run.final = message;
    }
    if (onMessage) onMessage(message);
  });
  return run;
}

namespace {

// "アプリの設計上 %d から %dトラックは認識されません。" when the file has more than 24 tracks.
void warn_extra_tracks(const APP_STATE_INFO& app, bool afterSkip, AnalysisDecision* decision) {
  const int tracks = app.audio().trackCount;
  if (tracks <= static_cast<int>(kTrackSlots)) return;
  const char* format = afterSkip
                           ? "アプリの設計上 %d から %dトラックは認識されません。\nご了承ください。"
                           : "アプリの設計上 %d から %dトラックは認識されません。";
  decision->messages.push_back(UserMessage{platform::format(format, 25, tracks), std::string(),
                                           MessageIcon::kWarning, false});
}

}  // namespace

AnalysisDecision decide_analysis(APP_STATE_INFO& app, const AnalysisRun& run,
                                 const std::function<bool(const UserMessage&)>& keepAfterSkip) {
  AnalysisDecision decision;
  app.analysisOk = 0;
  const jobs::JobMessage& final = run.final;
  if (final.kind == jobs::JobMessageKind::kSucceeded) {
    warn_extra_tracks(app, false, &decision);
    decision.keep = true;
  } else if (final.code == 99) {
    const UserMessage question{final.text, "MXF Corvane", MessageIcon::kWarning, true};
    decision.messages.push_back(question);
    if (keepAfterSkip && keepAfterSkip(question)) {
      warn_extra_tracks(app, true, &decision);
      decision.keep = true;
    }
  } else if (final.code == 1009) {
    decision.messages.push_back(
        UserMessage{final.text, "MXF File Analysis", MessageIcon::kInformation, true});
    decision.offerLtcLog = true;
  } else {
    decision.messages.push_back(
        UserMessage{final.text, "MXF File Analysis", MessageIcon::kWarning, false});
  }
  app.analysisOk = decision.keep ? 1 : 0;
  return decision;
}

}  // namespace tavrin::app
