// The WAV library of the working set as the commands change it: adding from the open dialog,
// a drop on the main window (which may also carry the MXF file to load), and removing the
// selected files, which takes them off the tracks that hold them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/outcome.h"

namespace tavrin::app {

// Adds the paths of the open dialog in order (each refusal gives its message and the next path is
// tried) and rebuilds the display order. Only while an MXF file is loaded (the files are placed on
// its timecode grid); otherwise nothing happens. The library list is shown afterwards
// (`libraryShown` 1): the window refreshes it, clears the rows of selected entries and focuses it.
// Each path also has its own record, in the order given, for a front end that reports file by file.
struct AddedFile {
  std::string path;
  int32_t result = 0;                        // 0 added; otherwise the library's refusal code
  const WAV_LIBRARY_ENTRY* entry = nullptr;  // the new entry when added
  std::optional<UserMessage> refusal;        // its message when refused
};
struct LibraryAdd {
  Messages messages;
  int32_t added = 0;
  bool listChanged = false;  // the display order was rebuilt: the list is to be refreshed
  std::vector<AddedFile> files;
};
LibraryAdd add_wav_files(APP_STATE_INFO& app, const std::vector<std::string>& paths);

// A drop. ".wav"/".bwf" paths are added at the moment they are met, only while an MXF file is
// loaded; after the drop the message that WAV files need a loaded MXF file comes when some were
// met and none is loaded. ".mxf" paths: two or more are all refused with "一度にロードできるMXF
// ファイルは１つだけです。…" (caption "ドロップされたファイル"); exactly one is handed back in
// `mxfToLoad`, which the window then loads with load_mxf(…, LoadOrigin::kDrop, …) after showing
// the messages. WAV/BWF files of the same drop are therefore never added to the file it loads.
// A drop that added files and held no ".mxf" path shows the library list (`libraryShown` 1).
struct DropOutcome {
  Messages messages;
  int32_t added = 0;
  bool listChanged = false;  // the display order was rebuilt: refresh, select and focus row 0
  std::optional<std::string> mxfToLoad;
};
DropOutcome drop_files(APP_STATE_INFO& app, std::vector<std::string> paths);

// Removes the selected library files. An assigned one is removed only when `confirm` answers Yes
// to "%s\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？"; each file
// that goes is first taken off every track that holds it (both halves of a stereo file), and those
// tracks keep their selection only when current. Afterwards no entry is selected (the window
// clears the list's rows), the track view scrolls to the top, and the display order is refilled.
struct LibraryRemoval {
  Messages messages;  // the memory message when the display order could not be resized
  int32_t removed = 0;
};
LibraryRemoval delete_selected_library_files(APP_STATE_INFO& app, const Confirm& confirm);

// A sort command (32868 ... 32876, or a click on the header of the matching column): the display
// order is sorted by the command's key in the library's current direction, which then flips, so
// the same command twice reverses the order. Returns the rows that hold selected entries
// afterwards (the window selects them again). An id that is no sort command, or an empty
// library, changes nothing.
std::vector<int32_t> sort_library(APP_STATE_INFO& app, int32_t commandId);

// Showing or hiding the library list (command 32832, button 5009, Esc in the list, a click
// outside it).
void show_library(APP_STATE_INFO& app, bool shown);

}  // namespace tavrin::app
