#include "app/analysis_job.h"

#include "platform/text.h"

namespace tavrin::app {

void prepare_analysis(APP_STATE_INFO& app, const std::string& path,
                      const platform::ByteSource& file) {
  unload_mxf_records(app.records);
  app.errorList.clear();
  app.timecode().framesToCheck = 0;
  app.timecode().framesChecked = 0;
  app.analysisOk = 0;
  app.mxfPath = path;
  app.jobKind = jobs::JobKind::kAnalysis;
  // The stamp is taken from the open file itself, so it describes the bytes the analysis reads.
  app.loadedFile = LoadedFileStamp{};
  platform::DirectoryRecord record;
  if (file.stat(&record).ok()) {
    app.loadedFile.known = true;
    app.loadedFile.size = record.size;
    app.loadedFile.lastWrite = record.lastWrite;
  }
}

jobs::JobRequest analysis_request(APP_STATE_INFO& app, const std::string& path,
                                  const platform::ByteSource& file, platform::JobControl& control) {
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &file;
  request.mxfPath = path;
  request.mxf = &app.mxf();
  request.tracks = &app.tracks;
  request.useFileApi = app.useFileApi != 0;
  request.control = &control;
  return request;
}

AnalysisRun run_analysis(APP_STATE_INFO& app, const std::string& path,
                         const platform::ByteSource& file, platform::JobControl& control,
                         const jobs::JobObserver& onMessage) {
  prepare_analysis(app, path, file);
  AnalysisRun run;
  jobs::run_job(analysis_request(app, path, file, control), [&](const jobs::JobMessage& message) {
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
