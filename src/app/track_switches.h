// The ON/OFF switches of the tracks. A switch of 2 (no such track) never changes; the halves of a
// stereo file always end with the same value.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace tavrin::app {

// A click on a track's switch: 0 and 1 swap; the partner of a stereo half follows.
void toggle_track_switch(APP_STATE_INFO& app, int32_t track);

// Switches a track ON (`on`) or OFF as a click does when it has the other value; a track that
// already has it, or does not exist, is left alone. The partner of a stereo half follows.
void set_track_switch(APP_STATE_INFO& app, int32_t track, bool on);

// Every existing track gets the same new value: OFF when track 1 is ON, else ON.
void toggle_all_switches(APP_STATE_INFO& app);

// Every selected track ends with the opposite of the current track's value (the current track's
// stereo partner first takes the current value, so a pair stays a pair).
void toggle_selected_switches(APP_STATE_INFO& app);

}  // namespace tavrin::app
