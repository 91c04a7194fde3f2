// The two ways files reach the WAV library: the open dialog's list of paths, and a drop on the
// main window, which may also carry MXF files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mxf/records.h"
#include "wav/user_message.h"
#include "wav/wav_library.h"
#include "wav/wav_messages.h"

namespace tavrin {

struct WavAddOutcome {
  int32_t added = 0;
  std::vector<UserMessage> messages;  // in the order they are to be shown
  bool indexRebuilt = false;          // the index array was rebuilt (the list is to be refreshed)
  bool wavMet = false;                // (drop) WAV/BWF paths were among the dropped ones
  std::vector<std::string> mxfPaths;  // (drop) the ".mxf" paths, in the order dropped
  std::vector<int32_t> results;       // (open dialog) add_wav_file's result for each path, in order
};

// Adds each path in order; a refused one gives its message (open-dialog texts) and the next is
// tried. Then the index array is rebuilt (its memory message when that fails).
WavAddOutcome add_wav_files(const std::vector<std::string>& paths, WAV_LIBRARY& library,
                            WavLibraryView& view, const MXF_TIMECODE_INFO* timecode);

// What a dropped path is, by its extension: ".wav"/".bwf", ".mxf" or anything else. An extension
// of at most four characters (dot included) has its ASCII capitals lowered in `path` itself.
enum class DroppedKind { kWav, kMxf, kOther };
DroppedKind classify_dropped_path(std::string& path);

// A drop: each WAV/BWF path is added only when `mxfLoaded()` says an MXF file is loaded at the
// moment it is met; each ".mxf" path is collected and, when `mxfMet` is given, handed to it at
// that moment (the shell loads after the whole drop, so it passes none). After the drop: the
// message that WAV files need a loaded MXF file when WAV/BWF paths were met and none is loaded;
// otherwise, with a loaded file, the index array is rebuilt. The kind is read case-insensitively,
// but every path is used as dropped: lowering it would name another file (or none) on a
// case-sensitive file system.
WavAddOutcome drop_files(std::vector<std::string>& paths, WAV_LIBRARY& library,
                         WavLibraryView& view, const MXF_TIMECODE_INFO* timecode,
                         const std::function<bool()>& mxfLoaded,
                         const std::function<void(const std::string&)>& mxfMet = {});

}  // namespace tavrin
