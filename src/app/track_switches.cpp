#include "app/track_switches.h"

namespace tavrin::app {

namespace {

size_t partner_of(size_t n) {
  return n % 2 == 0 ? n + 1 : n - 1;
}

// The partner of a stereo half at t, when it exists.
bool stereo_partner(const APP_STATE_INFO& app, size_t t, size_t* partner) {
  if (!app.stereoTrack[t]) return false;
  *partner = partner_of(t);
  return *partner < app.existing_tracks();
}

}  // namespace

void toggle_track_switch(APP_STATE_INFO& app, int32_t track) {
  if (track < 0 || static_cast<size_t>(track) >= app.existing_tracks()) return;
  const size_t t = static_cast<size_t>(track);
  uint8_t& value = app.tracks.trackSwitch[t];
  if (value == kTrackAbsent) return;
  value = value == kTrackOn ? kTrackOff : kTrackOn;
  size_t partner = 0;
  if (stereo_partner(app, t, &partner)) {
    uint8_t& other = app.tracks.trackSwitch[partner];
    other = other == kTrackOff ? kTrackOn : kTrackOff;
  }
}

void set_track_switch(APP_STATE_INFO& app, int32_t track, bool on) {
  if (track < 0 || static_cast<size_t>(track) >= app.existing_tracks()) return;
  if ((app.tracks.trackSwitch[static_cast<size_t>(track)] == kTrackOn) != on) {
    toggle_track_switch(app, track);
  }
}

void toggle_all_switches(APP_STATE_INFO& app) {
  const size_t existing = app.existing_tracks();
  if (existing == 0) return;
  const uint8_t value = app.tracks.trackSwitch[0] == kTrackOn ? kTrackOff : kTrackOn;
  for (size_t t = 0; t < existing; ++t) app.tracks.trackSwitch[t] = value;
}

void toggle_selected_switches(APP_STATE_INFO& app) {
  const size_t existing = app.existing_tracks();
  if (app.currentTrack < 0 || static_cast<size_t>(app.currentTrack) >= existing) return;
  const size_t current = static_cast<size_t>(app.currentTrack);
  auto& switches = app.tracks.trackSwitch;
  size_t partner = 0;
  if (stereo_partner(app, current, &partner)) switches[partner] = switches[current];
  for (size_t t = 0; t < existing; ++t) {
    if (app.selectedTrack[t]) switches[t] = switches[current];
  }
  for (size_t t = 0; t < existing; ++t) {
    if (!app.selectedTrack[t]) continue;
    switches[t] = switches[t] == kTrackOff ? kTrackOn : kTrackOff;
    if (stereo_partner(app, t, &partner)) {
      switches[partner] = switches[t];
      if (partner == t + 1) ++t;
    }
  }
}

}  // namespace tavrin::app
