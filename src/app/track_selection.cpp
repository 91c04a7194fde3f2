#include "app/track_selection.h"

#include <algorithm>

namespace tavrin::app {

namespace {

bool exists(const APP_STATE_INFO& app, int32_t track) {
  return track >= 0 && static_cast<size_t>(track) < app.existing_tracks();
}

void select_only(APP_STATE_INFO& app, int32_t track) {
  app.selectedTrack.fill(0);
  app.selectedTrack[static_cast<size_t>(track)] = 1;
  app.currentTrack = track;
}

}  // namespace

void click_track(APP_STATE_INFO& app, int32_t track, ClickModifier modifier) {
  if (!exists(app, track)) return;
  const int32_t current = app.currentTrack;
  switch (modifier) {
    case ClickModifier::kShift: {
      const int32_t first = track > current ? current : track;
      const int32_t last = track > current ? track : current - 1;
      for (int32_t t = std::max(first, 0); t <= last; ++t) {
        if (exists(app, t)) app.selectedTrack[static_cast<size_t>(t)] = 1;
      }
      app.currentTrack = track;
      break;
    }
    case ClickModifier::kCtrl:
      if (track != current) {
        uint8_t& selected = app.selectedTrack[static_cast<size_t>(track)];
        selected = selected ? 0 : 1;
      }
      break;
    case ClickModifier::kNone:
      select_only(app, track);
      break;
  }
}

void select_all_tracks(APP_STATE_INFO& app) {
  for (size_t t = 0; t < app.existing_tracks(); ++t) app.selectedTrack[t] = 1;
}

void move_current(APP_STATE_INFO& app, MoveDirection direction) {
  const int32_t count = static_cast<int32_t>(app.existing_tracks());
  if (count == 0) return;
  const int32_t step = direction == MoveDirection::kUp ? -1 : 1;
  const int32_t target = app.currentTrack + step;
  // At the first track Up and at the last track Down change nothing.
  if (target < 0 || target >= count) return;
  select_only(app, target);
  if (app.visibleRows <= 0) return;
  int32_t first = app.firstVisibleTrack;
  if (target < first) first = target;
  if (target >= first + app.visibleRows) first = target - app.visibleRows + 1;
  app.firstVisibleTrack = static_cast<uint8_t>(std::clamp(first, 0, count - 1));
}

}  // namespace tavrin::app
