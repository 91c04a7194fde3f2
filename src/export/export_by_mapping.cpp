// Export by memory mapping: the frames of the range are taken in chunks that end with their index
// table segment; each chunk is one read-only view of the MXF file from which the samples of every
// exported track are copied to its BWF file through a small buffer per track.
#include <algorithm>

#include "export/bwf_export.h"
#include "export/export_job.h"
#include "platform/file.h"
#include "platform/mapping.h"

namespace tavrin {

namespace {

using namespace export_codes;
const ExportCodes& kCodes = kMappingExportCodes;

// A view never covers more than this, whatever a segment's length: the rest of a long segment is
// taken in further chunks.
constexpr uint64_t kMaxViewBytes = uint64_t{256} << 20;

// Each track's samples are copied out of the view into a buffer of this size and written when it
// is full: small enough to stay in the CPU's cache, large enough that the writes are few.
constexpr size_t kStageBytes = size_t{256} << 10;

// Frames of the chunk that starts at frame `done` of the range: up to the end of its index table
// segment (at least one frame, so a damaged index still advances) and no further than the range.
uint64_t chunk_frames(const ExportPlan& plan, uint64_t done) {
  const uint64_t entryIndex = plan.firstEntry + done;
  const INDEX_ENTRY_ARRAY& e = plan.entry(done);
  const uint64_t segmentEnd = e.segmentStart + e.segmentDuration;
  uint64_t frames = segmentEnd > entryIndex ? segmentEnd - entryIndex : 1;
  const uint64_t left = plan.totalFrames - done;
  return frames < left ? frames : left;
}

// The frames written so far stay in the files. A failed write names its system error.
int stop(std::vector<ExportFile>& files, int code, AUDIOTRACK_IO_INFO* tracks) {
  finish_track_files(files, kCodes, code == kCodes.writeBwf ? tracks : nullptr);
  return code;
}

}  // namespace

int export_bwf_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf, platform::JobControl& control) {
  ExportPlan plan;
  if (const int code = plan_export(mxfPath, tracks, mxf, kCodes, &plan); code != 0) return code;

  platform::Status status;
  const platform::File source = platform::File::open(mxfPath, platform::Access::kReadExisting,
                                                     platform::Sharing::kNone, &status);
  if (!source.valid()) {
    tracks->systemError = status.error;
    return kMapOpenMxf;
  }
  // Views are bounded by the file as it is now, not as it was analysed.
  uint64_t fileSize = 0;
  if (!source.size(&fileSize).ok()) return kMapMapMxf;

  std::vector<ExportFile> files;
  if (const int code = create_track_files(tracks, plan, kCodes, &files); code != 0) {
    return stop(files, code, tracks);
  }
  control.set_total(plan.totalFrames);
  control.set_done(0);

  std::vector<FrameSpan> spans;
  SampleGather gather(files.size(), kStageBytes);
  uint64_t done = 0;
  while (done < plan.totalFrames) {
    // The chunk's frames and the bytes they are read from; every element must lie in the file.
    const uint64_t chunkStart = done;
    const uint64_t wanted = chunk_frames(plan, chunkStart);
    spans.clear();
    FrameSpan view{};
    for (uint64_t k = 0; k < wanted; ++k) {
      FrameSpan span;
      if (!frame_span(plan, plan.entry(chunkStart + k), fileSize, &span)) {
        return stop(files, kMapElement, tracks);
      }
      if (!plan.tracks.empty()) {
        const FrameSpan grown{k == 0 ? span.begin : std::min(view.begin, span.begin),
                              k == 0 ? span.end : std::max(view.end, span.end)};
        if (k > 0 && grown.end - grown.begin > kMaxViewBytes) break;
        view = grown;
      }
      spans.push_back(span);
    }

    platform::MappedView mapped;
    if (view.end > view.begin) {
      mapped = platform::MappedView::map(source, view.begin, view.end - view.begin,
                                         platform::ViewAccess::kRead, &status);
      if (!mapped.valid()) return stop(files, kMapView, tracks);
    }
    // Nothing of the chunk is written before all its elements have been checked.
    const bool reading = !plan.tracks.empty();
    for (size_t k = 0; reading && k < spans.size(); ++k) {
      const uint8_t* bytes = mapped.data() + (spans[k].begin - view.begin);
      if (check_frame_elements(plan, plan.entry(chunkStart + k), bytes, spans[k], fileSize) !=
          ElementFault::kNone) {
        return stop(files, kMapElement, tracks);
      }
    }
    // The samples are copied from the view frame by frame into each track's buffer and written
    // a buffer at a time; every run is written before the view is released.
    for (size_t k = 0; k < spans.size(); ++k) {
      // A stop is honoured between frames: the files hold every frame before this one.
      if (control.cancel_requested()) {
        if (!gather.flush(files)) return stop(files, kMapWriteBwf, tracks);
        const int code = finish_track_files(files, kCodes, tracks);
        return code != 0 ? code : kCancelled;
      }
      if (reading) {
        const uint8_t* bytes = mapped.data() + (spans[k].begin - view.begin);
        gather.add_frame(plan, plan.entry(chunkStart + k), bytes, spans[k], files);
        if ((gather.full() || k + 1 == spans.size()) && !gather.flush(files)) {
          return stop(files, kMapWriteBwf, tracks);
        }
      }
      ++done;
      control.set_done(static_cast<uint32_t>(done));
    }
  }
  return finish_track_files(files, kCodes, tracks);
}

}  // namespace tavrin
