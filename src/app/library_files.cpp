#include "app/library_files.h"

#include <iterator>

#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "wav/wav_adding.h"
#include "wav/wav_sort.h"

namespace tavrin::app {

LibraryAdd add_wav_files(APP_STATE_INFO& app, const std::vector<std::string>& paths) {
  LibraryAdd result;
  // Files are placed on the loaded file's timecode grid: without one there is nothing to add to.
  if (!app.mxfLoaded) return result;
  WavAddOutcome outcome =
      tavrin::add_wav_files(paths, app.library, app.libraryView, &app.timecode());
  result.messages = std::move(outcome.messages);
  result.added = outcome.added;
  result.listChanged = outcome.indexRebuilt;
  // New entries are appended in the order of their paths: the last `added` ones of the list.
  auto entry = app.library.entries.end();
  std::advance(entry, -static_cast<std::ptrdiff_t>(outcome.added));
  for (size_t i = 0; i < paths.size() && i < outcome.results.size(); ++i) {
    AddedFile& file = result.files.emplace_back();
    file.path = paths[i];
    file.result = outcome.results[i];
    if (file.result == kWavAdded) {
      file.entry = &*entry++;
    } else {
      file.refusal = add_message_for(file.result, file.path, WavAddOrigin::kOpenDialog);
    }
  }
  app.libraryShown = 1;
  return result;
}

DropOutcome drop_files(APP_STATE_INFO& app, std::vector<std::string> paths) {
  DropOutcome result;
  WavAddOutcome outcome = tavrin::drop_files(paths, app.library, app.libraryView, &app.timecode(),
                                             [&app] { return app.mxfLoaded != 0; });
  result.messages = std::move(outcome.messages);
  result.added = outcome.added;
  result.listChanged = outcome.indexRebuilt;
  if (outcome.mxfPaths.size() > 1) {
    result.messages.push_back(UserMessage{
        "一度にロードできるMXFファイルは１つだけです。\nラッピングミスを防ぐため処理を中断します。",
        std::string(kWavDropCaption), MessageIcon::kInformation, false});
  } else if (outcome.mxfPaths.size() == 1) {
    result.mxfToLoad = outcome.mxfPaths.front();
  }
  if (result.added > 0 && outcome.mxfPaths.empty()) app.libraryShown = 1;
  return result;
}

LibraryRemoval delete_selected_library_files(APP_STATE_INFO& app, const Confirm& confirm) {
  LibraryRemoval result;
  const WavRemoval removal = remove_selected_wav_files(
      app.library, app.libraryView,
      [&confirm](const WAV_LIBRARY_ENTRY& entry) {
        return confirm && confirm(removal_confirmation(entry));
      },
      [&app](const WAV_LIBRARY_ENTRY& entry) { take_off_tracks(app, entry); });
  result.removed = removal.removed;
  if (removal.message) result.messages.push_back(*removal.message);
  // The window clears the selection of every row afterwards.
  for (WAV_LIBRARY_ENTRY& entry : app.library.entries) entry.selected = 0;
  app.selectedCount = 0;
  app.firstVisibleTrack = 0;
  return result;
}

std::vector<int32_t> sort_library(APP_STATE_INFO& app, int32_t commandId) {
  std::vector<int32_t> rows;
  for (const WavSortCommand& command : kWavSortCommands) {
    if (command.commandId != commandId || app.libraryView.empty()) continue;
    sort_wav_library(app.library, app.libraryView, command.key);
  }
  for (size_t row = 0; row < app.libraryView.size(); ++row) {
    if (app.libraryView[row]->selected) rows.push_back(static_cast<int32_t>(row));
  }
  return rows;
}

void show_library(APP_STATE_INFO& app, bool shown) {
  app.libraryShown = shown ? 1 : 0;
}

}  // namespace tavrin::app
