// The job record of the 24 audio tracks that every wrapping and export engine takes: the files
// assigned to the tracks, their switches, the export marks, the IN/OUT points in both counting
// bases, the export folder and prefix, the buffer setting, and the progress and cancel fields the
// progress display shares with the running engine.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "mxf/records.h"
#include "wav/wav_records.h"

namespace tavrin {

inline constexpr size_t kTrackSlots = 24;

enum TrackSwitch : uint8_t { kTrackOff = 0, kTrackOn = 1, kTrackAbsent = 2 };

// Capacities in UTF-16 units including the terminator.
inline constexpr size_t kExportFolderCapacity = 1024;
inline constexpr size_t kExportPrefixCapacity = 256;

struct AUDIOTRACK_IO_INFO {
  // The library entry assigned to each track; a two-channel file assigned at track t also stands
  // in slot t + 1.
  std::array<const WAV_LIBRARY_ENTRY*, kTrackSlots> wavEntry{};
  uint32_t wavBufferIndex = 4;
  uint32_t exportCounter = 0;
  std::array<uint8_t, kTrackSlots> trackSwitch{};
  std::array<uint8_t, kTrackSlots> exportMark{};
  std::array<uint32_t, 2> inFrame{};
  std::array<uint32_t, 2> outFrame{};
  std::array<uint32_t, 2> exportIn{};
  std::array<uint32_t, 2> exportOut{};
  std::string exportFolder;
  std::string exportPrefix;
  // Shared with the progress display: the last frame completed (0-based from IN), the frames of
  // the job, and the cancel request (1 asks the engine to stop; the engine clears it).
  std::atomic<uint32_t> progressFrames{0};
  std::atomic<uint32_t> totalFrames{0};
  std::atomic<uint32_t> cancelRequested{0};
  // The errno of the system call whose failure ended the job (opening the MXF file), for the
  // message to say why; 0 when no system call did. The job runner clears it before each job.
  int systemError = 0;

  AUDIOTRACK_IO_INFO() {
    trackSwitch.fill(kTrackAbsent);
    exportMark.fill(kTrackAbsent);
  }
};

// Wrapping engines: overwrite the samples of the ON tracks from IN to OUT in place.
int wrap_audio_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf);
int wrap_audio_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf);

}  // namespace tavrin
