// Export by memory mapping: the frames of the range are taken in chunks that end with their index
// table segment; each chunk is one read-only view of the MXF file from which the samples of every
// exported track are copied to its BWF file through a small buffer per track.
#include <algorithm>

#include "export/bwf_export.h"
#include "export/export_job.h"
#include "platform/bus_error_guard.h"
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

// What the part of a chunk that touches its view needs. Plain data: that part runs under the
// bus-error guard, which may leave it by a jump.
struct ChunkCopy {
  const ExportPlan* plan = nullptr;
  std::vector<ExportFile>* files = nullptr;
  SampleGather* gather = nullptr;
  platform::JobControl* control = nullptr;
  const std::vector<FrameSpan>* spans = nullptr;
  const uint8_t* view = nullptr;  // the chunk's view; null when no track is exported
  uint64_t viewBegin = 0;         // file offset of view[0]
  uint64_t chunkStart = 0;        // frame of the range the chunk starts with
  uint64_t fileSize = 0;
  uint64_t* done = nullptr;
  int code = 0;  // 0, kCancelled, kMapElement or kMapWriteBwf
};

// Checks every element of the chunk, then copies the samples frame by frame into the track
// buffers and writes them as they fill; the chunk's last frames are left in the buffers for the
// caller to write.
void copy_chunk(void* context) {
  ChunkCopy& c = *static_cast<ChunkCopy*>(context);
  const ExportPlan& plan = *c.plan;
  const std::vector<FrameSpan>& spans = *c.spans;
  // Nothing of the chunk is written before all its elements have been checked.
  for (size_t k = 0; c.view != nullptr && k < spans.size(); ++k) {
    const uint8_t* bytes = c.view + (spans[k].begin - c.viewBegin);
    if (check_frame_elements(plan, plan.entry(c.chunkStart + k), bytes, spans[k], c.fileSize) !=
        ElementFault::kNone) {
      c.code = kMapElement;
      return;
    }
  }
  for (size_t k = 0; k < spans.size(); ++k) {
    // A stop is honoured between frames: the files will hold every frame before this one.
    if (c.control->cancel_requested()) {
      c.code = kCancelled;
      return;
    }
    if (c.view != nullptr) {
      const uint8_t* bytes = c.view + (spans[k].begin - c.viewBegin);
      if (!c.gather->add_frame(plan, plan.entry(c.chunkStart + k), bytes, spans[k], *c.files)) {
        c.code = kMapElement;
        return;
      }
      if (c.gather->full() && !c.gather->flush(*c.files)) {
        c.code = kMapWriteBwf;
        return;
      }
    }
    *c.done += 1;
    c.control->set_done(static_cast<uint32_t>(*c.done));
  }
}

// The largest sample bytes one exported element of the range holds.
size_t largest_frame_bytes(const ExportPlan& plan) {
  uint64_t largest = 0;
  for (uint64_t k = 0; k < plan.totalFrames; ++k) {
    largest = std::max(largest, plan.sample_bytes(plan.entry(k)));
  }
  return static_cast<size_t>(largest);
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
  SampleGather gather(files.size(), kStageBytes, largest_frame_bytes(plan));
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
    ChunkCopy chunk;
    chunk.plan = &plan;
    chunk.files = &files;
    chunk.gather = &gather;
    chunk.control = &control;
    chunk.spans = &spans;
    chunk.view = plan.tracks.empty() ? nullptr : mapped.data();
    chunk.viewBegin = view.begin;
    chunk.chunkStart = chunkStart;
    chunk.fileSize = fileSize;
    chunk.done = &done;
    // A SIGBUS means the MXF file lost the chunk's pages under the view: it was shortened since
    // the view was made. The elements are then no longer where the index says, as for a failed
    // check; the frames copied whole before it are kept.
    const bool whole = platform::run_guarding_bus_errors(copy_chunk, &chunk);
    const int code = whole ? chunk.code : kMapElement;
    if (code == kMapWriteBwf) return stop(files, code, tracks);
    if (!gather.flush(files)) return stop(files, kMapWriteBwf, tracks);
    if (code == kCancelled) {
      const int closed = finish_track_files(files, kCodes, tracks);
      return closed != 0 ? closed : kCancelled;
    }
    if (code != 0) return stop(files, code, tracks);
  }
  return finish_track_files(files, kCodes, tracks);
}

}  // namespace tavrin
