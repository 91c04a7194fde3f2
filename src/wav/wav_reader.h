// Reading a WAV/BWF file: the format of its samples, where they lie, and its start (the bext
// TimeReference, a sample count since midnight), then the placing of start and end on the frame
// grid of the loaded MXF file (wav_placing.h).
#pragma once

#include <cstdint>
#include <string>

#include "mxf/records.h"
#include "platform/byte_source.h"
#include "wav/wav_records.h"

namespace tavrin {

// Result codes of read_wav_file_info.
enum WavReadResult : int32_t {
  kWavAccepted = 0,
  kWavNoPath = 1,
  kWavNoRecord = 2,         // no WAV_FILE_INFO or no timecode record of the loaded file
  kWavRateCodeUnknown = 3,  // the loaded file's rateCode is above 7
  kWavCannotOpen = 4,       // missing, locked by another opener, no rights, a folder
  kWavNotUsable = 5,        // RIFF/WAVE/fmt/data missing before the samples, a cut size, "FORM"
  kWavWrongFormat = 6,      // not 48 kHz, or neither 16 nor 24 bits per sample
};

// Reads the file at `path` into `info` (which is cleared first) and, for an accepted file, places
// it on the grid of `timecode` (rateCode, fpsCode, dropFrame of the loaded MXF file). The file is
// opened for reading with no sharing: nobody may write it while it is read. Returns a
// WavReadResult code.
int32_t read_wav_file_info(const std::string& path, WAV_FILE_INFO* info,
                           const MXF_TIMECODE_INFO* timecode);

// The chunk search and the format checks over any byte source, without placing: fills the format
// and data fields, start_sample, is_bwf and data_available of `info` (which is cleared first).
// Returns kWavAccepted, kWavNotUsable or kWavWrongFormat. The source is read in sequential blocks
// of `blockBytes` (at least kWavMinimumSearchBlock); the result does not depend on the size.
inline constexpr size_t kWavSearchBlock = size_t{1} << 20;
inline constexpr size_t kWavMinimumSearchBlock = 16;
int32_t read_wav_chunks(const platform::ByteSource& source, WAV_FILE_INFO* info,
                        size_t blockBytes = kWavSearchBlock);

// Bytes a bext chunk and a fmt chunk must hold to be read; shorter ones are searched through.
inline constexpr uint32_t kBextMinimumSize = 346;
inline constexpr uint32_t kFmtMinimumSize = 16;
// Payload offsets of the two halves of the bext TimeReference.
inline constexpr uint32_t kBextTimeReferenceLow = 338;
inline constexpr uint32_t kBextTimeReferenceHigh = 342;

}  // namespace tavrin
