// Putting library files on tracks, and the checks before a wrapping run: a 24-bit file is refused
// on 16-bit MXF audio, a stereo file only goes on an odd track number (1, 3, 5 ...) and never on
// the last track of an odd track count, where it would have no partner.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/app_state.h"
#include "wav/user_message.h"

namespace tavrin::app {

inline constexpr const char* kAssignCaption = "トラックへのアサイン";

// Puts `entry` on track `track` (0-based) under the rules above; returns the refusal to show.
// A stereo file fills `track` and `track` + 1 and copies the switch of the first to the second.
// An entry already on a track is taken off first (both halves of a stereo file).
std::optional<UserMessage> assign_file(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry,
                                       size_t track);

// The library's focused file on the current track; nothing when no entry has the focus.
std::optional<UserMessage> assign_focused_file(APP_STATE_INFO& app);

// Takes `entry` off every existing track that holds it (removal from the library).
void take_off_tracks(APP_STATE_INFO& app, const WAV_LIBRARY_ENTRY& entry);

// Recomputes the entry's assigned flag: it is the file of at least one existing track.
void update_assigned_flag(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry);

// The checks before wrapping: "トラックスイッチが全てOFFになっています。" when no existing track
// is ON; otherwise the backup question to confirm. `confirm` answers the question; the result is
// true when the wrapping may start.
struct WrapCheck {
  bool start = false;
  std::vector<UserMessage> messages;
};
WrapCheck check_wrap(APP_STATE_INFO& app, const std::function<bool(const UserMessage&)>& confirm);
UserMessage backup_question();

}  // namespace tavrin::app
