// The IN and OUT points of the working set: the text of an entry field, the parsing of what the
// operator typed (digits taken from the right into HHMMSSFF), the limits of the timecode base,
// the range check in the active counting base, and OUT not before IN.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "timecode/timecode.h"
#include "wav/user_message.h"

namespace tavrin::app {

enum class InOutPoint { kIn, kOut };

// Caption of every IN/OUT refusal.
inline constexpr const char* kTimecodeEntryCaption = "タイムコード入力";

// The digits of `text` taken from the right (every other character skipped), at most eight,
// right-aligned over "00000000" and split into hours, minutes, seconds and frames. Empty when a
// field exceeds its limit for the timecode base (hours 23, minutes and seconds 59, frames the
// base's largest frame field) or the base is not one of 24, 25, 30 and 60.
std::optional<tc::Timecode> parse_timecode_entry(const std::string& text, uint32_t fpsCode);

// A timecode as frame counts in both bases: [0] plain, [1] one hour later wrapped at a day when
// the media starts in hour 23 (else the same as [0]).
std::array<uint32_t, 2> timecode_to_bases(tc::Timecode timecode, const MXF_TIMECODE_INFO& info);

// The active base's first and last frame of the media.
uint32_t media_first_frame(const MXF_TIMECODE_INFO& info);
uint32_t media_last_frame(const MXF_TIMECODE_INFO& info);

// Result of a range check: the pair of counts, or the refusal to show.
struct PointEntry {
  std::optional<std::array<uint32_t, 2>> frames;
  std::optional<UserMessage> refusal;
};
// Parses and range-checks an entry against the media: the messages "不適切な値が入力されて
// います。" (the text does not parse), "メディアの開始タイムより前になっています。" and
// "メディアの終了 タイムを越えています。".
PointEntry check_point_entry(const std::string& text, const MXF_TIMECODE_INFO& info);

// The text put into the entry field when the operator starts entering: the stored base-0 value as
// the eight digits "%02d%02d%02d%02d".
std::string in_out_text(const APP_STATE_INFO& app, InOutPoint which);

// Enter in the IN field: on success stores both counts in inFrames and tracks.inFrame and sets
// inSet; an OUT that now lies before the IN is withdrawn silently. A refusal withdraws the IN.
std::optional<UserMessage> enter_in(APP_STATE_INFO& app, const std::string& text);
// Enter in the OUT field: while an IN is set, accepted only when not before it (active base);
// otherwise refused with "入力データがINポイントよりも前になっています。". A withdrawn IN is not
// compared. A refusal withdraws the OUT.
std::optional<UserMessage> enter_out(APP_STATE_INFO& app, const std::string& text);

// Esc in an entry field: the field closes and nothing changes.
void cancel_entry(APP_STATE_INFO& app, InOutPoint which);

// Whether an entry field that loses the focus to another window closes: only while its point is
// set (a refused entry keeps its field open).
bool entry_closes_on_focus_loss(const APP_STATE_INFO& app, InOutPoint which);

// The labels: a point as timecode text when set, else "--:--:--:--"; the duration OUT - IN + 1
// (active base) when both are set.
std::string in_label(const APP_STATE_INFO& app);
std::string out_label(const APP_STATE_INFO& app);
std::string duration_label(const APP_STATE_INFO& app);

}  // namespace tavrin::app
