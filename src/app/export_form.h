// The export form without a window: the export IN and OUT with their checks, taking over the
// wrapping range, the pages of eight track buttons and their marks, select-all, the prefix and
// folder fields, and what "書出し(&E)" checks before it starts the export.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/inout.h"
#include "wav/user_message.h"

namespace tavrin::app {

inline constexpr const char* kExportFormTitle = "WAV(BWF)ファイルの書出し";
inline constexpr const char* kExportFolderBrowserTitle =
    "BWF(WAV)ファイルの保存先を選択してください。";
inline constexpr const char* kDefaultExportPrefix = "Track-";
inline constexpr int32_t kExportButtonsPerPage = 8;
inline constexpr int32_t kExportPages = 3;
inline constexpr size_t kExportEntryLength = 11;        // characters of the IN and OUT fields
inline constexpr size_t kExportPrefixFieldLength = 32;  // characters of the prefix field
// Longest file name the file system takes, in bytes.
inline constexpr size_t kFileNameLimit = 255;

// The prefix field when the form opens: `exportPrefix`, or "Track-" when that is empty.
std::string export_prefix_field(const APP_STATE_INFO& app);
// The folder field when the form opens: `exportFolder`, or the desktop folder when that is empty.
std::string export_folder_field(const APP_STATE_INFO& app);
// Enter in the prefix field, or leaving it: its text becomes `exportPrefix` (cut to 255
// characters).
void store_export_prefix(APP_STATE_INFO& app, const std::string& text);

// The text put into the export IN or OUT field when it opens: the point's plain count as the eight
// digits "%02d%02d%02d%02d".
std::string export_entry_text(const APP_STATE_INFO& app, InOutPoint which);
// The displays: a point's plain count as a timecode when set, else "--:--:--:--"; the duration
// OUT - IN + 1 (active base) when both are set.
std::string export_point_display(const APP_STATE_INFO& app, InOutPoint which);
std::string export_duration_display(const APP_STATE_INFO& app);

// Enter in the export IN field: "入力された数値が適切ではありません。" when the text does not
// parse, the media range messages, otherwise stored with exportInSet; an OUT before the new IN is
// cleared (the window then opens the OUT field). A refusal clears exportInSet.
std::optional<UserMessage> enter_export_in(APP_STATE_INFO& app, const std::string& text);
// Enter in the export OUT field: while an IN is set, refused with "OUTポイントがINポイントよりも
// 前になっています。" when it lies before the IN (the OUT is then cleared); OUT equal to IN is one
// frame. A refusal clears exportOutSet.
std::optional<UserMessage> enter_export_out(APP_STATE_INFO& app, const std::string& text);

// "ラッピング範囲を使用(&P)": the wrapping IN and OUT become the export range when both are set;
// otherwise "ラッピング用のIN/OUT点が正しくありません。" (caption "設定の確認").
std::optional<UserMessage> use_wrapping_range(APP_STATE_INFO& app);

// The eight track buttons of the current page.
struct ExportTrackButton {
  int32_t track = 0;     // 0-based track of the button
  bool enabled = false;  // the track exists (its mark is not 2)
  bool marked = false;   // its mark is 1: the track is exported
};
struct ExportTrackPage {
  int32_t page = 0;
  std::array<ExportTrackButton, kExportButtonsPerPage> buttons{};
  bool previousEnabled = false;  // "<(&-)"
  bool nextEnabled = false;      // ">(&+)"
};
ExportTrackPage export_track_page(const APP_STATE_INFO& app);
// "<(&-)" and ">(&+)": the page moves by one within 0 .. 2.
void export_page_previous(APP_STATE_INFO& app);
void export_page_next(APP_STATE_INFO& app);
// Track button 0 .. 7 of the current page: its track's mark flips (1 becomes 0, anything else 1);
// a button of a track that does not exist changes nothing.
void toggle_export_mark(APP_STATE_INFO& app, int32_t button);
// Marks (or unmarks) track `track` (0-based) directly, as a front end that names tracks by number
// does; a track that does not exist is left alone.
void set_export_mark(APP_STATE_INFO& app, int32_t track, bool marked);
// "全て選択/解除(&G)": the toggle flips (first press: on) and every existing track takes it.
void toggle_export_all(APP_STATE_INFO& app);

// The checks of a prefix: a path separator, "." or ".." is refused, and so is a prefix whose
// longest file name (prefix, track number, ".wav", " ", the counter, ".wav") passes the file
// system's limit of 255 bytes. `counter` is the value the export will use.
std::optional<UserMessage> check_export_prefix(const APP_STATE_INFO& app, const std::string& prefix,
                                               uint32_t counter);

// The checks of "書出し(&E)": both points set
// ("書出し用IN/OUTポイントが正しく設定されていません。"; the window then focuses the IN field), at
// least one existing track marked, the prefix (above) and a folder that fits its field. On success
// the job kind is export, the counter is taken one higher, and the prefix and folder are stored:
// the window runs the export's progress dialog and the form stays open. Returns the refusal.
std::optional<UserMessage> prepare_export_job(APP_STATE_INFO& app, const std::string& prefix,
                                              const std::string& folder);

}  // namespace tavrin::app
