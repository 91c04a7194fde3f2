// Export by file API: the frames of the range are taken in batches of the buffer duration chosen
// in the settings. For each frame of a batch one positioned read fetches the bytes from the first
// exported audio element to the end of the samples of the last; then every element of the batch is
// checked, and only then are the samples written to the track files.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "export/bwf_export.h"
#include "export/export_job.h"
#include "platform/file.h"
#include "platform/large_buffer.h"
#include "wrap/buffer_duration.h"

namespace tavrin {

namespace {

using namespace export_codes;
const ExportCodes& kCodes = kFileApiExportCodes;

// The frames written so far stay in the files. A failed write names its system error.
int stop(std::vector<ExportFile>& files, int code, AUDIOTRACK_IO_INFO* tracks) {
  finish_track_files(files, kCodes, code == kCodes.writeBwf ? tracks : nullptr);
  return code;
}

}  // namespace

int export_bwf_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf, platform::JobControl& control) {
  ExportPlan plan;
  if (const int code = plan_export(mxfPath, tracks, mxf, kCodes, &plan); code != 0) return code;

  // The batch buffer: one slot per frame of a batch, each large enough for the widest span of any
  // frame of the range (the elements of a frame need not be spaced evenly, and the last one may
  // be longer than the others). A span must lie inside the file as it was analysed, so a slot
  // never exceeds the file's size.
  const MXF_TIMECODE_INFO& timecode = *mxf->timecode;
  uint64_t batchFrames =
      wav_buffer_frames(tracks->wavBufferIndex, timecode.fpsCode, timecode.dropFrame);
  if (batchFrames == 0) return kFileNoBuffer;
  if (batchFrames > plan.totalFrames) batchFrames = plan.totalFrames;
  uint64_t slotBytes = 0;
  for (uint64_t i = 0; i < plan.totalFrames; ++i) {
    FrameSpan span;
    if (!frame_span(plan, plan.entry(i), mxf->fileSize, &span)) return kFileElement;
    if (span.end - span.begin > slotBytes) slotBytes = span.end - span.begin;
  }
  platform::LargeBuffer buffer;
  if (slotBytes > 0) {
    if (batchFrames > SIZE_MAX / slotBytes) return kFileNoBuffer;
    buffer = platform::LargeBuffer::allocate(batchFrames * slotBytes);
    if (!buffer) return kFileNoBuffer;
  }

  platform::Status status;
  const platform::File source = platform::File::open(mxfPath, platform::Access::kReadExisting,
                                                     platform::Sharing::kNone, &status);
  if (!source.valid()) {
    tracks->systemError = status.error;
    return kFileOpenMxf;
  }
  uint64_t fileSize = 0;
  if (!source.size(&fileSize).ok()) return kFileOpenMxf;

  std::vector<ExportFile> files;
  if (const int code = create_track_files(tracks, plan, kCodes, &files); code != 0) {
    return stop(files, code, tracks);
  }
  control.set_total(plan.totalFrames);
  control.set_done(0);

  std::vector<FrameSpan> spans(static_cast<size_t>(batchFrames));
  uint64_t done = 0;
  while (done < plan.totalFrames) {
    const uint64_t batchStart = done;
    const uint64_t frames = std::min<uint64_t>(batchFrames, plan.totalFrames - done);
    const bool reading = slotBytes > 0;
    // Read the batch. The file may have changed since the analysis: its present size bounds
    // every read.
    for (uint64_t k = 0; reading && k < frames; ++k) {
      FrameSpan& span = spans[k];
      if (!frame_span(plan, plan.entry(batchStart + k), fileSize, &span)) {
        return stop(files, kFileElement, tracks);
      }
      const size_t n = static_cast<size_t>(span.end - span.begin);
      const platform::IoResult got = source.read_at(span.begin, buffer.data() + k * slotBytes, n);
      if (got.bytes != n) return stop(files, kFileReadMxf, tracks);
    }
    // Nothing of the batch is written before all its elements have been checked.
    for (uint64_t k = 0; reading && k < frames; ++k) {
      if (check_frame_elements(plan, plan.entry(batchStart + k), buffer.data() + k * slotBytes,
                               spans[k], fileSize) != ElementFault::kNone) {
        return stop(files, kFileElement, tracks);
      }
    }
    for (uint64_t k = 0; k < frames; ++k) {
      // A stop is honoured between frames: the files hold every frame before this one.
      if (control.cancel_requested()) {
        const int code = finish_track_files(files, kCodes, tracks);
        return code != 0 ? code : kCancelled;
      }
      if (reading && !write_frame(plan, plan.entry(batchStart + k), buffer.data() + k * slotBytes,
                                  spans[k], files)) {
        return stop(files, kFileWriteBwf, tracks);
      }
      ++done;
      control.set_done(static_cast<uint32_t>(done));
    }
  }
  return finish_track_files(files, kCodes, tracks);
}

}  // namespace tavrin
