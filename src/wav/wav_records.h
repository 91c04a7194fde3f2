// One WAV/BWF file as read (WAV_FILE_INFO) and as held in the WAV library (WAV_LIBRARY_ENTRY).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace tavrin {

struct WAV_FILE_INFO {
  uint16_t format_tag = 0;
  uint16_t channels = 0;
  uint32_t sample_rate = 0;
  uint32_t avg_bytes_per_sec = 0;
  uint16_t block_align = 0;
  uint16_t bytes_per_sample = 0;
  uint16_t bits_per_sample = 0;
  uint32_t data_size = 0;    // the size field of the data chunk, as the header says
  uint64_t data_offset = 0;  // first byte of the data payload
  uint64_t start_sample = 0;
  uint64_t end_sample = 0;
  uint32_t start_frame = 0;
  uint32_t end_frame = 0;
  uint32_t duration_frames = 0;
  uint32_t start_subframe = 0;
  uint32_t end_subframe = 0;
  uint32_t start_remainder = 0;
  uint32_t end_remainder = 0;
  uint32_t is_bwf = 0;
  uint32_t starts_in_hour_23 = 0;
  // Data bytes the file really holds behind data_offset (at most data_size). Readers of the
  // samples never go past it; what the header claims beyond it is silence.
  uint64_t data_available = 0;
};

struct WAV_LIBRARY;

// Capacities in UTF-16 units including the terminator.
inline constexpr size_t kLibraryPathCapacity = 1024;
inline constexpr size_t kLibraryTextCapacity = 256;
inline constexpr size_t kLibraryTextCount = 10;
inline constexpr size_t kLibrarySortKeyCount = 9;

struct WAV_LIBRARY_ENTRY {
  int32_t index = 0;
  std::string file_name;
  std::string file_path;
  platform::DirectoryRecord find_data;
  WAV_FILE_INFO info;
  std::array<std::string, kLibraryTextCount> texts;
  std::array<uint64_t, kLibrarySortKeyCount> sort_keys{};
  int32_t selected = 0;
  int32_t assigned = 0;
  WAV_LIBRARY* library = nullptr;
};

}  // namespace tavrin
