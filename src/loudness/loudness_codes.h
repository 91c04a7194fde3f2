// Result codes of the loudness measurement (0 success, 99 cancelled by the operator). Section
// 6000 holds the measurement of the loaded MXF file's tracks, 6100 that of a WAV/BWF file.
#pragma once

namespace tavrin::loudness_codes {

inline constexpr int kCancelled = 99;

inline constexpr int kNoPath = 6001;       // no MXF path
inline constexpr int kNoBase = 6002;       // the records of a loaded file are missing
inline constexpr int kBadRange = 6003;     // IN/OUT outside the file, OUT before IN, or not indexed
inline constexpr int kNoProgramme = 6004;  // nothing to measure, or a track the file does not have
inline constexpr int kSampleFormat = 6005;  // the tracks are neither 16- nor 24-bit PCM
inline constexpr int kOpenMxf = 6006;       // the MXF file cannot be opened
inline constexpr int kFileChanged = 6007;   // the file's size is not the one analysed
inline constexpr int kReadMxf = 6008;       // a read of the MXF file failed or came back short
inline constexpr int kElement = 6009;       // an audio element is not where and what it must be
inline constexpr int kNoMemory = 6010;      // no memory for the read or sample buffers
inline constexpr int kMeter = 6011;         // the loudness meter could not be set up or fed

inline constexpr int kWavNoPath = 6101;
inline constexpr int kWavOpen = 6102;       // missing, locked, no rights, a folder
inline constexpr int kWavNotUsable = 6103;  // no RIFF/WAVE/fmt/data before the samples
inline constexpr int kWavFormat = 6104;     // not 48 kHz 16/24-bit PCM, or more than two channels
inline constexpr int kWavRead = 6105;       // a read of the samples failed
inline constexpr int kWavMeter = 6106;      // the loudness meter could not be set up or fed

}  // namespace tavrin::loudness_codes
