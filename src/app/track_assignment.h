// Putting library files on tracks and taking them off, and the checks before a wrapping run or
// the export form: a 24-bit file is refused on 16-bit MXF audio, a stereo file only goes on an
// odd track number (1, 3, 5 ...) and never on the last track of an odd track count, where it would
// have no partner, so no job ever writes outside the existing tracks.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/app_state.h"
#include "app/outcome.h"
#include "wav/user_message.h"

namespace tavrin::app {

inline constexpr const char* kAssignCaption = "トラックへのアサイン";

// Puts `entry` on track `track` (0-based) under the rules above; returns the refusal to show.
// A stereo file fills `track` and `track` + 1 and copies the switch of the first to the second.
// A file already on a target slot is taken off first (both halves of a stereo file). Switches are
// not changed otherwise. Every attempt with a file leaves the library list (`libraryShown` 0),
// a refused one included; a track that does not exist takes no file.
std::optional<UserMessage> assign_file(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry, size_t track);

// The assign command (32797, Ctrl+C, enabled only while exactly one file is selected): the one
// selected library file goes on the current track. With no or several selected files nothing
// happens. The list's focused row is not used: with Ctrl+click the focus can rest on a row that is
// not selected, and such a row is never assigned.
std::optional<UserMessage> assign_focused_file(APP_STATE_INFO& app);

// A double click on row `row` of the library list: that row's file goes on the current track.
// A row outside the library only leaves the list.
std::optional<UserMessage> assign_library_row(APP_STATE_INFO& app, int32_t row);

// Takes the files off the selected existing tracks (Delete in the track view): both halves of a
// stereo file, whichever half is selected; each cleared track stays selected only when it is the
// current track. Switches are not changed.
void unassign_selected_tracks(APP_STATE_INFO& app);

// Takes `entry` off every existing track that holds it (removal from the library).
void take_off_tracks(APP_STATE_INFO& app, const WAV_LIBRARY_ENTRY& entry);

// Recomputes the entry's assigned flag: it is the file of at least one existing track.
void update_assigned_flag(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry);

// The checks before wrapping (the job kind becomes wrapping): "トラックスイッチが全てOFFになって
// います。" when no existing track is ON; otherwise `confirm` is asked the backup question. `start`
// is true when the wrapping may start (Yes): the window then runs the wrapping progress dialog.
struct WrapCheck {
  bool start = false;
  Messages messages;
};
WrapCheck check_wrap(APP_STATE_INFO& app, const Confirm& confirm);
UserMessage backup_question();

// Before the export form opens (command 32794, button 5011): the job kind becomes export.
void prepare_export(APP_STATE_INFO& app);

}  // namespace tavrin::app
