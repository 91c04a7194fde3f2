#include "app/app_state.h"

#include <algorithm>

namespace tavrin::app {

APP_STATE_INFO::APP_STATE_INFO() {
  records.timecode.errorList = &errorList;
  selectedTrack[0] = 1;
}

size_t APP_STATE_INFO::existing_tracks() const {
  return std::min<size_t>(records.audio.trackCount, kTrackSlots);
}

}  // namespace tavrin::app
