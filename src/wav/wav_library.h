// The WAV library: every WAV/BWF file added since the program started, in the order of adding,
// and its display order (the index array the list window and the track assignment read).
// Entries are read and placed once when they are added; their texts and sort keys never change.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "mxf/records.h"
#include "wav/user_message.h"
#include "wav/wav_records.h"

namespace tavrin {

enum class WavSortDirection { kAscending, kDescending };

struct WAV_LIBRARY {
  int32_t count = 0;
  // In the order of adding. A list keeps every entry at its address while others come and go;
  // the index array and the tracks hold pointers to entries.
  std::list<WAV_LIBRARY_ENTRY> entries;
  // One direction for every sort command, toggled after each.
  WavSortDirection direction = WavSortDirection::kAscending;

  WAV_LIBRARY() = default;
  // Entries point back at their library: it stays where it was made.
  WAV_LIBRARY(const WAV_LIBRARY&) = delete;
  WAV_LIBRARY& operator=(const WAV_LIBRARY&) = delete;
};

// The index array (libraryView): the entries in display order. Empty, with no storage, while the
// library is empty.
using WavLibraryView = std::vector<WAV_LIBRARY_ENTRY*>;

// Result codes of add_wav_file.
enum WavAddResult : int32_t {
  kWavAdded = 0,
  kWavAddNoLibrary = 1,
  kWavAddNoMemory = 2,
  // 3 .. 8: the reader's code plus 2 (see WavReadResult); 8 also when the file is not found.
  kWavAddNotFound = 8,
  kWavAddDuplicate = 9,
};

// Adds the file at `path` to the end of the library: refused with 9 when the path (compared as
// text by the locale's collation, case-sensitive) is already there, 8 when the file is not
// found, the reader's code + 2 when read_wav_file_info refuses it. Fills the entry's directory
// record, path, name (empty when the path has no separator), texts and sort keys.
int32_t add_wav_file(const std::string& path, WAV_LIBRARY* library,
                     const MXF_TIMECODE_INFO* timecode);

// Refills the index array with the entries in list order (so an add undoes an earlier sort) and
// sets each entry's index. An empty library leaves no array. False only when memory runs out
// while the library holds entries; the array is then left as it was.
bool rebuild_wav_index(WAV_LIBRARY& library, WavLibraryView& view);

// Frees every entry and the index array (unloading the MXF file, closing the window).
void clear_wav_library(WAV_LIBRARY& library, WavLibraryView& view);

// Removes the selected entries. An assigned entry is removed only when `confirm` answers true
// (no callback keeps it); each entry that goes is first handed to `takeOffTracks` so that no
// track keeps pointing at it. The index array is then refilled in list order with room for ten
// more entries, or released when nothing is left. Returns the number removed and the message to
// show when the array could not be resized (the old array is kept, refilled).
struct WavRemoval {
  int32_t removed = 0;
  std::optional<UserMessage> message;
};
WavRemoval remove_selected_wav_files(
    WAV_LIBRARY& library, WavLibraryView& view,
    const std::function<bool(const WAV_LIBRARY_ENTRY&)>& confirm,
    const std::function<void(const WAV_LIBRARY_ENTRY&)>& takeOffTracks);

// The question asked before an assigned entry is removed.
UserMessage removal_confirmation(const WAV_LIBRARY_ENTRY& entry);

}  // namespace tavrin
