#include "app/mxf_loading.h"

#include "platform/text.h"

namespace tavrin::app {

platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status) {
  return platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kNone,
                              status);
}

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
  const char* format = afterSkip ? "アプリの設計上 %d から %dトラックは認識されません。\nご了承ください。"
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

void complete_load(APP_STATE_INFO& app) {
  if (app.analysisOk == 0) {
    unload(app);
    return;
  }
  app.selectedTrack.fill(0);
  app.selectedTrack[0] = 1;
  const size_t existing = app.existing_tracks();
  for (size_t t = 0; t < kTrackSlots; ++t) {
    const uint8_t value = t < existing ? kTrackOff : kTrackAbsent;
    app.tracks.trackSwitch[t] = value;
    app.tracks.exportMark[t] = value;
  }
  app.mxfLoaded = 1;
}

void unload(APP_STATE_INFO& app) {
  app.libraryShown = 0;
  clear_wav_library(app.library, app.libraryView);
  app.inSet = 0;
  app.outSet = 0;
  app.mxfPath.clear();
  app.mxfLoaded = 0;
  app.selectedCount = 0;
  app.focusedIndex = 0;
  app.currentTrack = 0;
  app.firstVisibleTrack = 0;
  app.tracks.wavEntry.fill(nullptr);
  app.stereoTrack.fill(0);
  app.selectedTrack.fill(0);
  app.tracks.trackSwitch.fill(kTrackAbsent);
  app.tracks.exportMark.fill(kTrackAbsent);
  app.selectedTrack[0] = 1;
  app.tracks.inFrame = {};
  app.tracks.outFrame = {};
  unload_mxf_records(app.records);
}

}  // namespace tavrin::app
