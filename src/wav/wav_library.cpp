#include "wav/wav_library.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "wav/wav_entry_texts.h"
#include "wav/wav_messages.h"
#include "wav/wav_reader.h"

namespace tavrin {

namespace {

// Fills `view` with the entries in list order and sets their index; `reserve` pointers of
// storage. Throws std::bad_alloc, leaving `view` untouched.
void fill_view(WAV_LIBRARY& library, WavLibraryView& view, size_t reserve) {
  WavLibraryView fresh;
  fresh.reserve(reserve);
  for (WAV_LIBRARY_ENTRY& entry : library.entries) fresh.push_back(&entry);
  view.swap(fresh);
  int32_t index = 0;
  for (WAV_LIBRARY_ENTRY* entry : view) entry->index = index++;
}

void release_view(WavLibraryView& view) {
  WavLibraryView().swap(view);
}

}  // namespace

int32_t add_wav_file(const std::string& path, WAV_LIBRARY* library,
                     const MXF_TIMECODE_INFO* timecode) {
  if (library == nullptr) return kWavAddNoLibrary;
  // The comparison is textual: the same file under a differently written path is a new entry.
  for (const WAV_LIBRARY_ENTRY& entry : library->entries) {
    if (std::strcoll(path.c_str(), entry.file_path.c_str()) == 0) return kWavAddDuplicate;
  }
  // A path the entry cannot hold whole is refused as not found: a cut path would name another
  // file, which a job would then read.
  if (platform::cut_to_capacity(path, kLibraryPathCapacity) != path) return kWavAddNotFound;
  platform::DirectoryRecord record;
  if (!platform::stat_file(path, &record).ok()) return kWavAddNotFound;

  try {
    std::list<WAV_LIBRARY_ENTRY> node(1);
    WAV_LIBRARY_ENTRY& entry = node.front();
    const int32_t read = read_wav_file_info(path, &entry.info, timecode);
    if (read > 0) return read + 2;
    entry.find_data = record;
    entry.file_path = platform::cut_to_capacity(path, kLibraryPathCapacity);
    entry.file_name =
        platform::cut_to_capacity(platform::name_after_separator(path), kLibraryPathCapacity);
    entry.index = 0;
    entry.selected = 0;
    entry.library = library;
    // read_wav_file_info refuses a missing timecode record, so `timecode` is set here.
    fill_wav_entry_texts(entry, *timecode);
    library->entries.splice(library->entries.end(), node);
    ++library->count;
  } catch (const std::bad_alloc&) {
    return kWavAddNoMemory;
  }
  return kWavAdded;
}

bool rebuild_wav_index(WAV_LIBRARY& library, WavLibraryView& view) {
  if (library.entries.empty()) {
    release_view(view);
    return true;
  }
  try {
    fill_view(library, view, library.entries.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void clear_wav_library(WAV_LIBRARY& library, WavLibraryView& view) {
  release_view(view);
  library.entries.clear();
  library.count = 0;
}

WavRemoval remove_selected_wav_files(
    WAV_LIBRARY& library, WavLibraryView& view,
    const std::function<bool(const WAV_LIBRARY_ENTRY&)>& confirm,
    const std::function<void(const WAV_LIBRARY_ENTRY&)>& takeOffTracks) {
  WavRemoval result;
  for (auto it = library.entries.begin(); it != library.entries.end();) {
    const WAV_LIBRARY_ENTRY& entry = *it;
    const bool goes = entry.selected != 0 && (entry.assigned == 0 || (confirm && confirm(entry)));
    if (!goes) {
      ++it;
      continue;
    }
    if (takeOffTracks) takeOffTracks(entry);
    it = library.entries.erase(it);
    ++result.removed;
  }
  library.count = static_cast<int32_t>(library.entries.size());

  if (library.entries.empty()) {
    release_view(view);
    return result;
  }
  // Room for ten more entries, so that the next adds need not grow the array.
  constexpr size_t kSpare = 10;
  try {
    fill_view(library, view, library.entries.size() + kSpare);
  } catch (const std::bad_alloc&) {
    // Keep the old array, refilled in place so that none of its pointers names a removed entry.
    // It is as long as the list was (shorter only after a failed rebuild; then it shows less).
    size_t i = 0;
    for (WAV_LIBRARY_ENTRY& entry : library.entries) {
      if (i == view.size()) break;
      entry.index = static_cast<int32_t>(i);
      view[i++] = &entry;
    }
    view.resize(i);
    result.message = removal_memory_message();
  }
  return result;
}

}  // namespace tavrin
