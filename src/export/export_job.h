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
// The samples of a run of frames, gathered per track and written with one write per track and
// run (no system call per frame). Without staging the pieces point straight into the engine's
// buffer or view, which must keep them until flush(). With it (`stageBytes` > 0), each frame's
// samples are copied into one buffer per track and a run ends once a track holds `stageBytes`:
// a gathered write from a view goes track by track over the whole view, and on a virtual machine
// the kernel's copy out of a view spread that wide was measured at about nine times its copy out
// of a buffer; copying frame by frame reads the view once, in order. The buffers are allocated
// here, for frames of up to `frameBytes` each, so that adding a frame never allocates.
class SampleGather {
 public:
  // Frames a run holds before it must be written: the pieces of one track fit one system call.
  static constexpr size_t kRunFrames = 1024;

  explicit SampleGather(size_t fileCount, size_t stageBytes = 0, size_t frameBytes = 0)
      : pieces_(stageBytes > 0 ? 0 : fileCount),
        stage_(stageBytes > 0 ? fileCount : 0),
        stageBytes_(stageBytes) {
    for (std::vector<platform::ByteRange>& p : pieces_) p.reserve(kRunFrames);
    for (std::vector<uint8_t>& s : stage_) s.resize(stageBytes + frameBytes);
  }
  // Adds the frame's samples of every exported track; `bytes` holds the frame's span. A frame is
  // in the run only once all its tracks are: a copy cut short leaves the run as it was. False
  // when a staged frame is larger than the buffers were made for (nothing is added).
  bool add_frame(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e, const uint8_t* bytes,
                 const FrameSpan& span, const std::vector<ExportFile>& files);
  bool full() const { return frames_ >= kRunFrames || (!stage_.empty() && staged_ >= stageBytes_); }
  // Appends the gathered samples to every track file and starts a new run. False when a write
  // failed.
  bool flush(std::vector<ExportFile>& files);

 private:
  std::vector<std::vector<platform::ByteRange>> pieces_;  // per track file
  std::vector<std::vector<uint8_t>> stage_;               // per track file, when staging
  size_t stageBytes_ = 0;
  size_t staged_ = 0;  // bytes each track's stage holds
  size_t frames_ = 0;
};

}  // namespace tavrin
