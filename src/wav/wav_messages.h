// The messages of the WAV library: a refused add (its text depends on where the file came from),
// the drop without a loaded MXF file, the memory messages and the removal question.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "wav/user_message.h"

namespace tavrin {

// Where files to add come from: the open dialog or a drop on the main window.
enum class WavAddOrigin { kOpenDialog, kDrop };

// The message for a result of add_wav_file; none for 0. %s is the path, %d the code. A file
// that cannot be opened (missing, no rights, a folder) is said to be so, with the system error,
// whatever its code. Warning icon, caption "BWF(WAV)ファイルを追加" (open dialog) or
// "ドロップされたファイル" (drop).
std::optional<UserMessage> add_message_for(int32_t result, const std::string& path,
                                           WavAddOrigin origin);

// After a drop that held WAV/BWF files while no MXF file was loaded.
UserMessage no_mxf_for_wav_message();
// The index array could not be rebuilt after adding (warning after the open dialog, error after
// a drop).
UserMessage index_memory_message(WavAddOrigin origin);
// The index array could not be resized after a removal.
UserMessage removal_memory_message();

// The open dialog of the add command.
inline constexpr std::string_view kWavOpenDialogTitle = "BWF(WAV)ファイルを開く";
inline constexpr std::string_view kWavFilterWav = "WAV(*.wav)";
inline constexpr std::string_view kWavPatternWav = "*.wav";
inline constexpr std::string_view kWavFilterBwf = "BWF(*.bwf)";
inline constexpr std::string_view kWavPatternBwf = "*.bwf";
inline constexpr std::string_view kWavAddCaption = "BWF(WAV)ファイルを追加";
inline constexpr std::string_view kWavDropCaption = "ドロップされたファイル";

}  // namespace tavrin
