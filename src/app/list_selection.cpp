#include "app/list_selection.h"

#include "platform/text.h"

namespace tavrin::app {

std::string library_count_text(int32_t count, int32_t selected) {
  return platform::format("WAV/BWFファイル : %2d個   %2d個を選択中", count, selected);
}

StatusTexts status_texts(const APP_STATE_INFO& app) {
  StatusTexts texts;
  const bool focused =
      app.focusedIndex >= 0 && static_cast<size_t>(app.focusedIndex) < app.libraryView.size();
  texts.path = focused ? app.libraryView[static_cast<size_t>(app.focusedIndex)]->file_path
                       : std::string(kNoPathText);
  texts.files = library_count_text(app.library.count, app.selectedCount);
  return texts;
}

StatusTexts apply_list_selection(APP_STATE_INFO& app, const std::vector<int32_t>& selectedRows,
                                 int32_t focusedRow) {
  const size_t rows = app.libraryView.size();
  for (WAV_LIBRARY_ENTRY& entry : app.library.entries) entry.selected = 0;
  int32_t count = 0;
  for (const int32_t row : selectedRows) {
    if (row < 0 || static_cast<size_t>(row) >= rows) continue;
    WAV_LIBRARY_ENTRY* entry = app.libraryView[static_cast<size_t>(row)];
    if (entry->selected) continue;  // a row named twice counts once
    entry->selected = 1;
    ++count;
  }
  app.selectedCount = count;
  app.focusedIndex = focusedRow >= 0 && static_cast<size_t>(focusedRow) < rows ? focusedRow : -1;
  return status_texts(app);
}

}  // namespace tavrin::app
