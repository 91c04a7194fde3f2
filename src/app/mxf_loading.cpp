#include "app/mxf_loading.h"

#include "app/undo.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tavrin::app {

namespace {

constexpr const char* kDropLoadCaption = "MXFファイルのロード";

// A new file never inherits a range it was not given: the IN point of the shell and the export
// range go with the file they were entered for.
void clear_ranges(APP_STATE_INFO& app) {
  app.inFrames = {};
  app.tracks.exportIn = {};
  app.tracks.exportOut = {};
  app.exportInSet = 0;
  app.exportOutSet = 0;
}

}  // namespace

platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status) {
  return platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kNone,
                              status);
}

UserMessage mxf_in_use_message(const std::string& path) {
  return UserMessage{platform::file_name(path) +
                         "\n\nこのMXFファイルは他のジョブが使用中です。\n"
                         "そのジョブが終わってから、もう一度実行して下さい。",
                     kDisplayName, MessageIcon::kWarning, false};
}

LoadStart begin_load(APP_STATE_INFO& app, const std::string& path, LoadOrigin origin) {
  LoadStart start;
  const bool fromDrop = origin == LoadOrigin::kDrop;
  if (app.mxfLoaded) {
    start.messages.push_back(
        UserMessage{"MXFファイルはすでにロードされています。\n[ファイル]→[MXFファイルをアンロード]"
                    "を行ってください。",
                    fromDrop ? kDropLoadCaption : kDisplayName, MessageIcon::kInformation, false});
    return start;
  }
  platform::Status status;
  platform::File file = open_mxf_for_analysis(path, &status);
  if (!file.valid()) {
    const char* format =
        fromDrop ? "%s\n\nMXFファイルを開くことができません。\n他のアプリで使用していないか、"
                   "または接続デバイスを確認して下さい。\nERR: %X"
                 : "%s\n\nMXFファイルをロードできません。\n接続デバイス、他のアプリで使用して"
                   "いないか確認して下さい。\nERR: %X";
    start.messages.push_back(UserMessage{platform::format(format, platform::file_name(path).c_str(),
                                                          static_cast<unsigned>(status.error)),
                                         fromDrop ? kDropLoadCaption : kDisplayName,
                                         MessageIcon::kError, false});
    return start;
  }
  app.timecode().framesToCheck = 0;
  app.timecode().framesChecked = 0;
  app.analysisOk = 0;
  app.mxfPath = path;
  app.mxfHandle = std::move(file);
  app.jobKind = jobs::JobKind::kAnalysis;
  clear_ranges(app);
  start.started = true;
  return start;
}

LoadStart load_mxf(APP_STATE_INFO& app, const std::string& path, LoadOrigin origin,
                   const AnalysisDialog& analyse) {
  LoadStart start = begin_load(app, path, origin);
  if (!start.started) return start;
  if (analyse) analyse(app);
  complete_load(app);
  return start;
}

void complete_load(APP_STATE_INFO& app) {
  app.mxfHandle = platform::File();
  app.undoOffered = 0;
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
  note_journal(app);
}

void unload(APP_STATE_INFO& app) {
  app.mxfHandle = platform::File();
  app.undoOffered = 0;
  app.journalKept = 0;
  app.libraryShown = 0;
  clear_wav_library(app.library, app.libraryView);
  app.inSet = 0;
  app.outSet = 0;
  app.mxfPath.clear();
  app.mxfLoaded = 0;
  app.selectedCount = 0;
  app.focusedIndex = -1;
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
  clear_ranges(app);
  app.analysisOk = 0;
  app.errorList.clear();
  unload_mxf_records(app.records);
}

}  // namespace tavrin::app
