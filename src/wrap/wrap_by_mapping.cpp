// Wrapping through memory views. The range is written in runs: from the frame reached to the end
// of its index table segment, at most kMaxRunFrames frames. For each run one read/write view of
// the MXF file covers the elements the run touches, and one read-only view of each WAV the
// samples it takes. Before anything is written, the key and length of every element of the range
// are read and checked; every element of a run is checked again in its view before the first byte
// of the run is written, and the samples then go straight from the WAV views into the element
// values. The sizes of the MXF file and the WAVs are looked at afresh before each run is mapped,
// and the copy runs under the bus-error guard: a file another program shortens during the job
// ends it with a message instead of a SIGBUS. Each edit unit is addressed by its own index entry.
// With an undo journal, the original bytes of every value of the run are copied from the view
// into the journal, which is flushed before the run's first byte is written. At the end the
// descriptor's dirty pages are written back (fdatasync) before the job reports success or
// cancellation.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/bus_error_guard.h"
#include "platform/mapping.h"
#include "wrap/track_job.h"
#include "wrap/undo_journal.h"
#include "wrap/wrap_codes.h"
#include "wrap/wrap_plan.h"

namespace tavrin {

namespace {

using namespace wrap_codes;
const WrapCodes& kCodes = kMappingWrapCodes;

// Frames of one run at most: bounds the views (and the pages they keep resident) in files whose
// index is one long segment.
constexpr uint64_t kMaxRunFrames = 512;

struct MappingJob {
  WrapPlan plan;
  platform::File mxf;
  uint64_t fileSize = 0;
  platform::DirectoryRecord before;
  bool timesKnown = false;
  bool wroteAny = false;
  // Pages were made writable: the system may take that as a change of the file's times even
  // before a byte is written.
  bool touched = false;
  std::vector<uint64_t> consumed;  // per source: data bytes the runs so far have passed
  UndoJournalWriter* journal = nullptr;
};

// Ends the job. What the views changed is written back first; a failure there turns success or
// cancellation into an error. Success sets the last-access and last-write times to now (whole
// seconds), keeping the creation time; any other end leaves the times as they were before.
int finish(MappingJob& job, int code) {
  if (job.wroteAny && !job.mxf.sync().ok() && (code == 0 || code == kCancelled)) {
    code = kMapFlushFailed;
  }
  if (code == 0) {
    const platform::FileTime now = platform::now_utc_whole_seconds();
    platform::set_file_times(job.mxf, now, now);
  } else if ((job.wroteAny || job.touched) && job.timesKnown) {
    platform::set_file_times(job.mxf, job.before.lastAccess, job.before.lastWrite);
  }
  // A file system may report a failed write-back only at the close (NFS, FUSE).
  if (!job.mxf.close().ok() && job.wroteAny && (code == 0 || code == kCancelled)) {
    code = kMapFlushFailed;
  }
  return code;
}

// True when the index table segment the index gives the edit unit of `frame` contains it.
bool inside_own_segment(const WrapPlan& plan, uint64_t frame) {
  const INDEX_ENTRY_ARRAY& e = plan.entry(frame);
  const uint64_t unit = plan.firstEntry + frame;
  return e.segmentStart <= unit && unit - e.segmentStart < e.segmentDuration;
}

// Frames from `frame` to the end of its index table segment, at most `left` and kMaxRunFrames;
// 0 when an edit unit of the run lies outside the segment the index gives it.
uint64_t run_frames(const WrapPlan& plan, uint64_t frame, uint64_t left) {
  if (!inside_own_segment(plan, frame)) return 0;
  const INDEX_ENTRY_ARRAY& e = plan.entry(frame);
  const uint64_t toSegmentEnd = e.segmentDuration - (plan.firstEntry + frame - e.segmentStart);
  const uint64_t frames = std::min({toSegmentEnd, left, kMaxRunFrames});
  for (uint64_t k = 1; k < frames; ++k) {
    if (!inside_own_segment(plan, frame + k)) return 0;
  }
  return frames;
}

struct Span {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// The file bytes a run touches: from the key of its first written element to the end of the
// samples of its last. Faults when an element has no delta entry or would reach past the file.
ElementFault run_span(const WrapPlan& plan, uint64_t first, uint64_t frames, uint64_t fileSize,
                      Span* span) {
  bool any = false;
  for (uint64_t k = 0; k < frames; ++k) {
    const INDEX_ENTRY_ARRAY& e = plan.entry(first + k);
    const uint64_t needed = kElementHeaderSize + plan.sample_bytes(e);
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      if (!written_element_position(e, w.track, &position)) return ElementFault::kNoDeltaEntry;
      if (position > fileSize || fileSize - position < needed) return ElementFault::kOutsideFile;
      if (!any || position < span->begin) span->begin = position;
      if (!any || position + needed > span->end) span->end = position + needed;
      any = true;
    }
  }
  return ElementFault::kNone;
}

// One WAV's view over the data a run takes; empty once the data has run out.
struct WavRunView {
  platform::MappedView view;
  uint64_t bytes = 0;  // WAV data in the view
};

// What the part of a run that touches the views needs. Plain data: that part runs under the
// bus-error guard, which may leave it by a jump.
struct RunCopy {
  MappingJob* job = nullptr;
  platform::JobControl* control = nullptr;
  uint64_t first = 0;
  uint64_t frames = 0;
  uint64_t* done = nullptr;
  uint64_t spanBegin = 0;
  platform::MappedView* mxfView = nullptr;
  const WavRunView* wavViews = nullptr;
  int code = 0;
};

// Checks every element of the run in the view, then writes the run's samples into it.
void copy_run(void* context) {
  RunCopy& run = *static_cast<RunCopy*>(context);
  MappingJob& job = *run.job;
  const WrapPlan& plan = job.plan;
  uint8_t* const base = run.mxfView->data();

  // Nothing of the run is written before every element it touches has been checked.
  for (uint64_t k = 0; k < run.frames; ++k) {
    const INDEX_ENTRY_ARRAY& e = plan.entry(run.first + k);
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      written_element_position(e, w.track, &position);
      if (check_written_element(plan, e, w.track, base + (position - run.spanBegin), position,
                                job.fileSize) != ElementFault::kNone) {
        run.code = layout_code(kCodes, job.wroteAny);
        return;
      }
    }
  }

  // The original values are durable in the journal before the first of them changes.
  if (job.journal != nullptr) {
    for (uint64_t k = 0; k < run.frames; ++k) {
      const INDEX_ENTRY_ARRAY& e = plan.entry(run.first + k);
      for (const TrackWrite& w : plan.writes) {
        uint64_t position = 0;
        written_element_position(e, w.track, &position);
        job.journal->add(position + kElementHeaderSize,
                         base + (position - run.spanBegin) + kElementHeaderSize,
                         static_cast<size_t>(plan.sample_bytes(e)));
      }
    }
    if (!job.journal->commit().ok()) {
      run.code = kMapJournalFailed;
      return;
    }
    job.journal->note_writing();
  }

  // The pages of the values become writable in one call each rather than a fault per page.
  job.touched = true;
  for (uint64_t k = 0; k < run.frames; ++k) {
    const INDEX_ENTRY_ARRAY& e = plan.entry(run.first + k);
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      written_element_position(e, w.track, &position);
      run.mxfView->prepare_write(position - run.spanBegin + kElementHeaderSize,
                                 plan.sample_bytes(e));
    }
  }

  uint64_t sampleOffset = 0;  // samples of the run before the frame
  for (uint64_t k = 0; k < run.frames; ++k) {
    // A stop is honoured between frames: every frame before this one is whole, none after.
    if (run.control->cancel_requested()) {
      run.code = kCancelled;
      return;
    }
    const INDEX_ENTRY_ARRAY& e = plan.entry(run.first + k);
    job.wroteAny = job.wroteAny || !plan.writes.empty();
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      written_element_position(e, w.track, &position);
      uint8_t* value = base + (position - run.spanBegin) + kElementHeaderSize;
      if (w.source == TrackWrite::kSilence) {
        std::memset(value, 0, static_cast<size_t>(plan.sample_bytes(e)));
        continue;
      }
      const WavSource& source = plan.sources[static_cast<size_t>(w.source)];
      const WavRunView& wav = run.wavViews[static_cast<size_t>(w.source)];
      const uint64_t offset = sampleOffset * source.blockAlign;
      const bool any = wav.bytes > offset;
      place_samples(source, w.channel, any ? wav.view.data() + offset : nullptr,
                    any ? wav.bytes - offset : 0, e.samplesInFrame, plan.slotBytes, value);
    }
    *run.done += 1;
    run.control->set_done(static_cast<uint32_t>(*run.done));
    sampleOffset += e.samplesInFrame;
  }
}

// The code of a copy a SIGBUS cut short: a mapped file lost pages under it. The MXF file when it
// is now shorter than at the job's start, otherwise a WAV.
int bus_error_code(const MappingJob& job) {
  uint64_t size = 0;
  if (!job.mxf.size(&size).ok() || size < job.fileSize) return kMapMxfChanged;
  return kMapWavShortened;
}

// Writes the run [first, first + frames). Returns 0, 99 or a code.
int write_run(MappingJob& job, platform::JobControl& control, uint64_t first, uint64_t frames,
              uint64_t* done) {
  const WrapPlan& plan = job.plan;
  // A stop before the run's first frame leaves the run's pages alone.
  if (control.cancel_requested()) return kCancelled;
  // Only what a fresh look at the sizes allows is mapped: another program may have shortened a
  // file since the last run, and a view past a file's end faults when touched.
  uint64_t mxfSize = 0;
  if (!job.mxf.size(&mxfSize).ok() || mxfSize != job.fileSize) return kMapMxfChanged;
  Span span;
  if (run_span(plan, first, frames, job.fileSize, &span) != ElementFault::kNone) {
    return layout_code(kCodes, job.wroteAny);
  }
  platform::Status status;
  platform::MappedView mxfView;
  if (span.end > span.begin) {
    mxfView = platform::MappedView::map(job.mxf, span.begin, span.end - span.begin,
                                        platform::ViewAccess::kReadWrite, &status);
    if (!mxfView.valid()) return kMapMxfView;
  }

  uint64_t runSamples = 0;
  for (uint64_t k = 0; k < frames; ++k) runSamples += plan.entry(first + k).samplesInFrame;
  std::vector<WavRunView> wavViews(plan.sources.size());
  for (size_t i = 0; i < plan.sources.size(); ++i) {
    const WavSource& source = plan.sources[i];
    const uint64_t need = runSamples * source.blockAlign;
    const uint64_t from = job.consumed[i];
    const uint64_t bytes = source.dataBytes > from ? std::min(need, source.dataBytes - from) : 0;
    job.consumed[i] = from + need;
    if (bytes == 0) continue;
    uint64_t wavSize = 0;
    if (!source.file.size(&wavSize).ok() || wavSize < source.dataOffset + from + bytes) {
      return kMapWavShortened;
    }
    wavViews[i].view = platform::MappedView::map(source.file, source.dataOffset + from, bytes,
                                                 platform::ViewAccess::kRead, &status);
    if (!wavViews[i].view.valid()) return kMapWavView;
    wavViews[i].bytes = bytes;
  }

  RunCopy run;
  run.job = &job;
  run.control = &control;
  run.first = first;
  run.frames = frames;
  run.done = done;
  run.spanBegin = span.begin;
  run.mxfView = &mxfView;
  run.wavViews = wavViews.data();
  if (!platform::run_guarding_bus_errors(copy_run, &run)) return bus_error_code(job);
  return run.code;
}

}  // namespace

int wrap_audio_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf, platform::JobControl& control,
                          UndoJournalWriter* journal) {
  MappingJob job;
  job.journal = journal;
  if (const int code = plan_wrap(mxfPath, tracks, mxf, kCodes, &job.plan); code != 0) return code;

  // The runs, all laid out before anything is opened: an edit unit whose segment does not contain
  // it stops the job while the file is still untouched.
  const uint64_t total = job.plan.totalFrames;
  std::vector<uint64_t> runs;
  for (uint64_t frame = 0; frame < total;) {
    const uint64_t frames = run_frames(job.plan, frame, total - frame);
    if (frames == 0) return kMapSegmentBounds;
    runs.push_back(frames);
    frame += frames;
  }

  platform::Status status;
  job.mxf = platform::File::open(mxfPath, platform::Access::kReadWriteExisting,
                                 platform::Sharing::kNone, &status);
  if (!job.mxf.valid()) {
    tracks->systemError = status.error;
    return kMapOpenMxf;
  }
  job.timesKnown = platform::stat_file(job.mxf, &job.before).ok();
  if (const int code = check_mxf_size(job.mxf, *mxf, kCodes, kMapOpenMxf, &job.fileSize);
      code != 0) {
    return finish(job, code);
  }
  if (const int code = open_wav_sources(&job.plan, kCodes); code != 0) return finish(job, code);
  if (const int code = check_range_elements(job.plan, job.mxf, job.fileSize, kCodes); code != 0) {
    return finish(job, code);
  }
  job.consumed.assign(job.plan.sources.size(), 0);

  control.set_total(static_cast<uint32_t>(total));
  control.set_done(0);
  uint64_t done = 0;
  for (const uint64_t frames : runs) {
    if (const int code = write_run(job, control, done, frames, &done); code != 0) {
      return finish(job, code);
    }
  }
  return finish(job, 0);
}

}  // namespace tavrin
