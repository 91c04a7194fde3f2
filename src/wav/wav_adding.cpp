#include "wav/wav_adding.h"

#include "platform/paths.h"

namespace tavrin {

namespace {

constexpr size_t kLoweredExtensionLength = 4;

// One add with its message; returns add_wav_file's result.
int32_t add_one(const std::string& path, WAV_LIBRARY& library, const MXF_TIMECODE_INFO* timecode,
                WavAddOrigin origin, WavAddOutcome* outcome) {
  const int32_t result = add_wav_file(path, &library, timecode);
  if (auto message = add_message_for(result, path, origin)) {
    outcome->messages.push_back(std::move(*message));
  }
  if (result == kWavAdded) ++outcome->added;
  return result;
}

void rebuild(WAV_LIBRARY& library, WavLibraryView& view, WavAddOrigin origin,
             WavAddOutcome* outcome) {
  outcome->indexRebuilt = rebuild_wav_index(library, view);
  if (!outcome->indexRebuilt) outcome->messages.push_back(index_memory_message(origin));
}

}  // namespace

WavAddOutcome add_wav_files(const std::vector<std::string>& paths, WAV_LIBRARY& library,
                            WavLibraryView& view, const MXF_TIMECODE_INFO* timecode) {
  WavAddOutcome outcome;
  outcome.results.reserve(paths.size());
  for (const std::string& path : paths) {
    outcome.results.push_back(
        add_one(path, library, timecode, WavAddOrigin::kOpenDialog, &outcome));
  }
  rebuild(library, view, WavAddOrigin::kOpenDialog, &outcome);
  return outcome;
}

DroppedKind classify_dropped_path(std::string& path) {
  const std::string extension = platform::extension_of(path);
  if (extension.empty() || extension.size() > kLoweredExtensionLength) return DroppedKind::kOther;
  const size_t start = path.size() - extension.size();
  for (size_t i = start; i < path.size(); ++i) {
    if (path[i] >= 'A' && path[i] <= 'Z') path[i] = static_cast<char>(path[i] - 'A' + 'a');
  }
  const std::string_view lowered = std::string_view(path).substr(start);
  if (lowered == ".wav" || lowered == ".bwf") return DroppedKind::kWav;
  if (lowered == ".mxf") return DroppedKind::kMxf;
  return DroppedKind::kOther;
}

WavAddOutcome drop_files(std::vector<std::string>& paths, WAV_LIBRARY& library,
                         WavLibraryView& view, const MXF_TIMECODE_INFO* timecode,
                         const std::function<bool()>& mxfLoaded,
                         const std::function<void(const std::string&)>& mxfMet) {
  WavAddOutcome outcome;
  const auto loaded = [&mxfLoaded] { return mxfLoaded && mxfLoaded(); };
  for (const std::string& path : paths) {
    // The kind is read from a lowered copy; the file is opened under the name it was dropped
    // with, since on a case-sensitive file system "A.WAV" and "a.wav" are two files.
    std::string lowered = path;
    switch (classify_dropped_path(lowered)) {
      case DroppedKind::kWav:
        outcome.wavMet = true;
        if (loaded()) add_one(path, library, timecode, WavAddOrigin::kDrop, &outcome);
        break;
      case DroppedKind::kMxf:
        outcome.mxfPaths.push_back(path);
        if (mxfMet) mxfMet(path);
        break;
      case DroppedKind::kOther:
        break;
    }
  }
  if (!loaded()) {
    if (outcome.wavMet) outcome.messages.push_back(no_mxf_for_wav_message());
  } else {
    rebuild(library, view, WavAddOrigin::kDrop, &outcome);
  }
  return outcome;
}

}  // namespace tavrin
