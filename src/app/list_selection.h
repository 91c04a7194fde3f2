// The selection of the library list as the working set sees it, and the two texts of the status
// bar. The window reads the list's rows after every change of the list (selection, contents,
// shown) and hands them in here.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"

namespace tavrin::app {

inline constexpr const char* kNoPathText = "パス情報はありません。";

struct StatusTexts {
  std::string path;  // first part: the focused file's full path, or "パス情報はありません。"
  std::string files;  // second part: "WAV/BWFファイル : %2d個   %2d個を選択中"
};

// Takes over the list's selection: each entry's `selected` flag by its display position (rows
// outside the library are ignored), `selectedCount`, and `focusedIndex` (`focusedRow`, -1 when no
// row has the focus or it names no entry). Returns the status-bar texts.
StatusTexts apply_list_selection(APP_STATE_INFO& app, const std::vector<int32_t>& selectedRows,
                                 int32_t focusedRow);

// The status-bar texts of the state as it stands.
StatusTexts status_texts(const APP_STATE_INFO& app);

// "WAV/BWFファイル : %2d個   %2d個を選択中" of the library count and the selected count.
std::string library_count_text(int32_t count, int32_t selected);

}  // namespace tavrin::app
