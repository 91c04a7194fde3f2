// The one working set of the program, without a window: at most one loaded MXF file with its
// records, the WAV library and its display order, the 24-track job record, the IN/OUT points,
// the track selection and the settings. The window and the command line both work on it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobs/messages.h"
#include "loudness/targets.h"
#include "mxf/records.h"
#include "platform/file.h"
#include "wav/wav_library.h"
#include "wrap/track_job.h"

namespace tavrin::app {

// Capacity of the shell's paths, in UTF-16 units including the terminator.
inline constexpr size_t kShellPathCapacity = 2024;

// The loaded file as its analysis saw it. A file whose size or modification time differs later was
// changed by another program, and the records no longer describe it.
struct LoadedFileStamp {
  bool known = false;
  uint64_t size = 0;
  platform::FileTime lastWrite;
  // The file's identity: a file written anew and renamed over the loaded one has another.
  uint64_t device = 0;
  uint64_t inode = 0;
};

// What the file and its journal were when the last wrapping job started, to tell the journal
// that job wrote from one an earlier job left: the file's stamp as the job's journal records it,
// and the identity of the journal file already there (none when `journalBefore` is false).
struct WrapStartMark {
  bool taken = false;
  uint64_t size = 0;
  platform::FileTime lastWrite;
  uint64_t device = 0;
  uint64_t inode = 0;
  bool journalBefore = false;
  uint64_t journalDevice = 0;
  uint64_t journalInode = 0;
};

struct APP_STATE_INFO {
  MxfRecords records;
  WAV_LIBRARY library;
  WavLibraryView libraryView;
  AUDIOTRACK_IO_INFO tracks;
  TimecodeErrorList errorList;  // the breaks of the last verification, until its log is written
  LoadedFileStamp loadedFile;

  jobs::JobKind jobKind = jobs::JobKind::kAnalysis;
  std::string mxfPath;
  // The read handle on the MXF file from begin_load until complete_load (the analysis reads it).
  platform::File mxfHandle;
  uint8_t mxfLoaded = 0;
  uint8_t useFileApi = 0;
  uint8_t analysisOk = 0;
  uint8_t libraryShown = 0;
  // A background job (a loudness measurement) is running: the commands that start one are off.
  bool jobRunning = false;
  // The delivery target loudness results are judged against; the result dialog changes it.
  loudness::TargetId loudnessTarget = loudness::TargetId::kArib;

  std::array<uint32_t, 2> inFrames{};
  uint8_t inSet = 0;
  uint8_t outSet = 0;
  uint8_t exportInSet = 0;
  uint8_t exportOutSet = 0;
  // Values of the export form kept between its openings: the page of track buttons (0 .. 2:
  // tracks 1-8, 9-16, 17-24) and the select-all toggle (its last value, 0 before the first press).
  uint8_t exportPage = 0;
  uint8_t exportAllMarked = 0;

  int32_t currentTrack = 0;
  std::array<uint8_t, kTrackSlots> selectedTrack{};
  std::array<uint8_t, kTrackSlots> stereoTrack{};
  uint8_t firstVisibleTrack = 0;
  int32_t visibleRows = 0;
  int32_t selectedCount = 0;
  int32_t focusedIndex = -1;  // display position of the list's focused row; -1 when none

  // The undo journal of wrapping jobs: written unless switched off, in `journalFolder` or, when
  // that is empty, beside the MXF file. `undoOffered`: the last wrap of the loaded file completed
  // and may be taken back ("元に戻す"), until another file is loaded or another wrap runs.
  // `journalKept`: a journal of the loaded file was on disk when last looked at (at load, after a
  // wrap, an undo or a discard), so its journal may be discarded.
  uint8_t journalOff = 0;
  std::string journalFolder;
  uint8_t undoOffered = 0;
  uint8_t journalKept = 0;
  WrapStartMark wrapStart;

  std::string trackLabelPrefix = "Track-";
  std::string desktopPath;

  APP_STATE_INFO();
  APP_STATE_INFO(const APP_STATE_INFO&) = delete;
  APP_STATE_INFO& operator=(const APP_STATE_INFO&) = delete;

  MXF_BASE_INFO& mxf() { return records.base; }
  const MXF_BASE_INFO& mxf() const { return records.base; }
  MXF_TIMECODE_INFO& timecode() { return records.timecode; }
  const MXF_TIMECODE_INFO& timecode() const { return records.timecode; }
  MXF_AUDIO_INFO& audio() { return records.audio; }
  const MXF_AUDIO_INFO& audio() const { return records.audio; }
  // Tracks that exist in the loaded file: trackCount, never more than 24.
  size_t existing_tracks() const;
};

}  // namespace tavrin::app
