// The ten display texts and the nine sort keys of a library entry, computed once when the entry
// is added.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "mxf/records.h"
#include "wav/wav_records.h"

namespace tavrin {

// Positions in WAV_LIBRARY_ENTRY::texts, and the names the command line's JSON gives them.
enum WavTextColumn : size_t {
  kTextName = 0,
  kTextChannels,
  kTextBits,
  kTextSampleRate,
  kTextStart,
  kTextEnd,
  kTextDuration,
  kTextCreated,
  kTextUpdated,
  kTextSize,
};
inline constexpr std::array<std::string_view, kLibraryTextCount> kWavTextNames = {
    "name", "channels", "bits",    "sample_rate", "start",
    "end",  "duration", "created", "updated",     "size"};

// Fills entry.sort_keys from entry.info and entry.find_data, and entry.texts from those and
// entry.file_name, with the frame texts in the loaded file's timecode base (fpsCode, dropFrame).
void fill_wav_entry_texts(WAV_LIBRARY_ENTRY& entry, const MXF_TIMECODE_INFO& timecode);

// "hh:mm:ss:ff +sss *rrrr": a frame number with its sub-frame units and remainder; '.' before
// the frames at drop frame.
std::string wav_position_text(const MXF_TIMECODE_INFO& timecode, uint32_t frame, uint32_t subframe,
                              uint32_t remainder);
// "hh:mm:ss:ff" of a length in frames. A negative length (an end folded past midnight for a file
// that starts before hour 23) is shown as the length modulo a day.
std::string wav_duration_text(const MXF_TIMECODE_INFO& timecode, uint32_t durationFrames);

}  // namespace tavrin
