// The selection and the cursor (current track) of the track view.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace tavrin::app {

// The keys held with a click: Shift alone, Ctrl alone, or none (both keys, or another mouse
// button held, count as none).
enum class ClickModifier { kNone, kShift, kCtrl };

// Left click on the row of `track` (an existing track; others change nothing). Shift: with c the
// current track, tracks c .. track (when after c) or track .. c - 1 (when before) are selected,
// other selections stay, and `track` becomes current. Ctrl: the selection of `track` flips unless
// it is the current track; the current track stays. None: only `track` is selected and current.
void click_track(APP_STATE_INFO& app, int32_t track, ClickModifier modifier);

// Selects every existing track.
void select_all_tracks(APP_STATE_INFO& app);

// Up and Down in the track view: the current track moves by one within the existing tracks (no
// wrap; at the first track Up and at the last track Down change nothing), only it is selected, and
// `firstVisibleTrack` follows so that it stays within the `visibleRows` rows shown (when that is
// known, i.e. above 0).
enum class MoveDirection { kUp, kDown };
void move_current(APP_STATE_INFO& app, MoveDirection direction);

}  // namespace tavrin::app
