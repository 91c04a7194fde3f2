// The job record of the 24 audio tracks that every wrapping and export engine takes: the files
// assigned to the tracks, their switches, the export marks, the IN/OUT points in both counting
// bases, the export folder and prefix and the buffer setting. Progress and stop requests travel
// through the job control the engine is given, not through this record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "mxf/records.h"
#include "platform/job_control.h"
#include "wav/wav_records.h"

namespace tavrin {

class UndoJournalWriter;

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
  // The errno of the system call whose failure ended the job (opening the MXF file), for the
  // message to say why; 0 when no system call did. The job runner clears it before each job.
  int systemError = 0;

  AUDIOTRACK_IO_INFO() {
    trackSwitch.fill(kTrackAbsent);
    exportMark.fill(kTrackAbsent);
  }
};

// Wrapping engines: overwrite the samples of the ON tracks from IN to OUT in place. The control
// gets the frames of the range as its total and the frames written as they are done; it is asked
// before every frame whether to stop, and a stop leaves every frame before that one written and
// none after (code 99). With a journal, the original bytes of every sample value of a run or batch
// are added to it and committed before the first byte of that run or batch is written; a journal
// that cannot be written stops the job before that run (kMapJournalFailed, kFileJournalFailed).
int wrap_audio_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf, platform::JobControl& control,
                          UndoJournalWriter* journal = nullptr);
int wrap_audio_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf, platform::JobControl& control,
                           UndoJournalWriter* journal = nullptr);

}  // namespace tavrin
