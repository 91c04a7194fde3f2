#include "app/mxf_loading.h"

namespace tavrin::app {

platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status) {
  return platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kNone,
                              status);
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
