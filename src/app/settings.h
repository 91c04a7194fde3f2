// The processing settings of the run (nothing is stored): ordinary file I/O instead of memory
// mapping, the position of the WAV file buffer size in its list, and the undo journal (on or off,
// and its folder). The window's settings form
// shows these values and hands back what OK took.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace tavrin::app {

inline constexpr std::string_view kSettingsTitle = "設定";
inline constexpr std::string_view kSettingsGroup = "ファイル処理";
inline constexpr std::string_view kUseFileApiText = "標準ファイルI/O APIで処理する";
inline constexpr std::string_view kWavBufferLabel = "WAVファイルのバッファ";
inline constexpr std::string_view kSettingsNote =
    "MXFファイルロードやラッピング・WAV書出し時にエラーが起こる場合に、\nチェックを入れて下さい。"
    "\nメモリが4GBを下まわるPCの場合は4以下をお試しください。";
inline constexpr std::string_view kSettingsOk = "OK";
inline constexpr std::string_view kSettingsCancel = "キャンセル";

// The items of the buffer list, positions 0 .. 13; the default position 4 shows "8".
inline constexpr std::array<std::string_view, 14> kWavBufferItems = {
    "1", "2", "3", "4", "8", "10", "12", "14", "16", "18", "20", "22", "24", "28"};
inline constexpr uint32_t kDefaultWavBufferIndex = 4;

// What the form shows when it opens.
struct SettingsValues {
  bool useFileApi = false;
  int32_t wavBufferIndex = kDefaultWavBufferIndex;  // the list item to select
  bool journalOn = true;
  std::string journalFolder;  // empty: beside the MXF file
};
SettingsValues settings_values(const APP_STATE_INFO& app);

// OK: the check box becomes `useFileApi` and the selected item `wavBufferIndex`. With no item
// selected (-1) or a position outside the list, the previous position stays. Cancel changes
// nothing and needs no call. The journal's settings are taken by accept_journal_settings
// (app/undo.h).
void accept_settings(APP_STATE_INFO& app, bool useFileApi, int32_t selectedItem);

}  // namespace tavrin::app
