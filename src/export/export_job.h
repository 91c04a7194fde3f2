// What both export engines share: the checks of the job, the frames and tracks it covers, the
// header, the track files, and the geometry and checks of the audio elements they read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/bwf_header.h"
#include "export/track_writer.h"
#include "wrap/element_check.h"
#include "wrap/track_job.h"

namespace tavrin {

// The codes one engine reports for the failures both engines share.
struct ExportCodes {
  int noPath;
  int noJob;
  int noBase;
  int badRate;
  int badRange;
  int openMxf;
  int createBwf;
  int writeBwf;
  int element;
  int tooLong;
};
extern const ExportCodes kMappingExportCodes;
extern const ExportCodes kFileApiExportCodes;

struct ExportPlan {
  const std::vector<INDEX_ENTRY_ARRAY>* entries = nullptr;
  const MXF_LAYOUT_INFO* layout = nullptr;
  uint32_t blockAlign = 0;
  size_t firstEntry = 0;  // the index entry of the IN frame
  uint32_t totalFrames = 0;
  uint64_t dataSize = 0;  // sample bytes of one track file
  uint64_t timeReference = 0;
  BwfHeader header{};
  std::vector<size_t> tracks;  // the exported tracks (0-based), ascending

  const INDEX_ENTRY_ARRAY& entry(uint64_t frame) const { return (*entries)[firstEntry + frame]; }
  uint64_t sample_bytes(const INDEX_ENTRY_ARRAY& e) const {
    return uint64_t{blockAlign} * e.samplesInFrame;
  }
};

// Checks the job (path, records, rate code, range in the active counting base, the index holding
// every frame of the range, a data size a RIFF file can state) and fills `plan`. Stores
// totalFrames in the job record. Returns 0 or the engine's code.
int plan_export(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, const MXF_BASE_INFO* mxf,
                const ExportCodes& codes, ExportPlan* plan);

struct ExportFile {
  size_t track = 0;
  TrackWriter writer;
};

// Creates the file of every exported track and writes its header. A file is always created new:
// a name that is taken, also by a file made between the check and the creation, moves the track
// on to its next name (export_names.h), so no existing file is ever replaced. Returns 0,
// createBwf or writeBwf (the system error then in `tracks->systemError`); the files created so far
// stay on disk.
int create_track_files(AUDIOTRACK_IO_INFO* tracks, const ExportPlan& plan, const ExportCodes& codes,
                       std::vector<ExportFile>* files);
// Writes what is buffered and closes every file. Returns 0 or writeBwf; with `tracks`, a failure
// leaves the first file's system error in `tracks->systemError`.
int finish_track_files(std::vector<ExportFile>& files, const ExportCodes& codes,
                       AUDIOTRACK_IO_INFO* tracks);

// The bytes of one frame the export reads: from the key of the first exported element to the end
// of the samples of the last.
struct FrameSpan {
  uint64_t begin = 0;
  uint64_t end = 0;
};
// False when an exported element, or the samples it must hold, would reach past `fileSize`.
bool frame_span(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e, uint64_t fileSize,
                FrameSpan* span);
// Checks every exported element of the frame; `bytes` holds the frame's span.
ElementFault check_frame_elements(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e,
                                  const uint8_t* bytes, const FrameSpan& span, uint64_t fileSize);
// Appends the frame's samples of every exported track to its file. False when a write failed.
bool write_frame(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e, const uint8_t* bytes,
                 const FrameSpan& span, std::vector<ExportFile>& files);

}  // namespace tavrin
