// Wrapping through memory views. The range is written in runs: from the frame reached to the end
// of its index table segment, at most the frames whose WAV samples fit kRunWavBytes. For each run
// one read-only view of each WAV covers the samples the run takes. Before anything is written,
// the key and length of every element of the range are read and checked; every element of a run
// is read and checked again before the first byte of the run is written. The samples then go
// from the WAV views into each element value with one positioned write per element: a store
// through a shared view of the MXF file would make the whole page-cache folio around each value
// dirty, and the final flush would write back several times the sample bytes. The MXF file's size
// is looked at before each run and each frame's writes, so that no write grows a file another
// program shortened back, and the WAV sizes before each run is mapped; the copy from the views
// runs under the bus-error guard: a WAV another program shortens during the job ends it with a
// message instead of a SIGBUS. Each edit unit is addressed by its own index entry. With an undo
// journal, the original bytes of every value of the run are read with its check and go into the
// journal, which is flushed before the run's first byte is written. At the end the file's data is
// flushed (fdatasync) before the job reports success or cancellation.
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

struct MappingJob {
  WrapPlan plan;
  platform::File mxf;
  uint64_t fileSize = 0;
  platform::DirectoryRecord before;
  bool timesKnown = false;
  bool wroteAny = false;
  uint64_t runFramesCap = 1;       // frames whose WAV samples fit kRunWavBytes
  std::vector<uint64_t> consumed;  // per source: data bytes the runs so far have passed
  FrameElementReader reader;
  std::vector<uint8_t> element;  // one element value being assembled
  UndoJournalWriter* journal = nullptr;
};

// Ends the job. What was written is flushed first; a failure there turns success or
// cancellation into an error. Success sets the last-access and last-write times to now (whole
// seconds), keeping the creation time; any other end leaves the times as they were before.
int finish(MappingJob& job, int code) {
  if (job.wroteAny && !job.mxf.sync().ok() && (code == 0 || code == kCancelled)) {
    code = kMapFlushFailed;
  }
  if (code == 0) {
    const platform::FileTime now = platform::now_utc_whole_seconds();
    platform::set_file_times(job.mxf, now, now);
  } else if (job.wroteAny && job.timesKnown) {
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

// Frames from `frame` to the end of its index table segment, at most `left` and `cap`; 0 when an
// edit unit of the run lies outside the segment the index gives it.
uint64_t run_frames(const WrapPlan& plan, uint64_t frame, uint64_t left, uint64_t cap) {
  if (!inside_own_segment(plan, frame)) return 0;
  const INDEX_ENTRY_ARRAY& e = plan.entry(frame);
  const uint64_t toSegmentEnd = e.segmentDuration - (plan.firstEntry + frame - e.segmentStart);
  const uint64_t frames = std::min({toSegmentEnd, left, cap});
  for (uint64_t k = 1; k < frames; ++k) {
    if (!inside_own_segment(plan, frame + k)) return 0;
  }
  return frames;
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
  const WavRunView* wavViews = nullptr;
  int code = 0;
};

// True when the MXF file no longer has the size it had at the job's start (or its size cannot be
// read): another program shortened it, or shortened it and a write of this job grew it back.
bool mxf_resized(const MappingJob& job) {
  uint64_t size = 0;
  return !job.mxf.size(&size).ok() || size != job.fileSize;
}

// Writes the run's samples, frame by frame, from the WAV views into the element values.
void copy_run(void* context) {
  RunCopy& run = *static_cast<RunCopy*>(context);
  MappingJob& job = *run.job;
  const WrapPlan& plan = job.plan;
  uint8_t* const element = job.element.data();

  uint64_t sampleOffset = 0;  // samples of the run before the frame
  for (uint64_t k = 0; k < run.frames; ++k) {
    // A stop is honoured between frames: every frame before this one is whole, none after.
    if (run.control->cancel_requested()) {
      run.code = kCancelled;
      return;
    }
    if (mxf_resized(job)) {
      run.code = kMapMxfChanged;
      return;
    }
    const INDEX_ENTRY_ARRAY& e = plan.entry(run.first + k);
    const size_t valueBytes = static_cast<size_t>(plan.sample_bytes(e));
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      written_element_position(e, w.track, &position);
      if (w.source == TrackWrite::kSilence) {
        std::memset(element, 0, valueBytes);
      } else {
        const WavSource& source = plan.sources[static_cast<size_t>(w.source)];
        const WavRunView& wav = run.wavViews[static_cast<size_t>(w.source)];
        const uint64_t offset = sampleOffset * source.blockAlign;
        const bool any = wav.bytes > offset;
        place_samples(source, w.channel, any ? wav.view.data() + offset : nullptr,
                      any ? wav.bytes - offset : 0, e.samplesInFrame, plan.slotBytes, element);
      }
      job.wroteAny = true;
      const platform::IoResult put =
          job.mxf.write_at(position + kElementHeaderSize, element, valueBytes);
      if (!put.ok() || put.bytes != valueBytes) {
        run.code = kMapFlushFailed;
        return;
      }
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
  // A stop before the run's first frame leaves the run alone.
  if (control.cancel_requested()) return kCancelled;
  if (mxf_resized(job)) return kMapMxfChanged;

  // Only what a fresh look at the sizes allows is mapped: another program may have shortened a
  // WAV since the last run, and a view past a file's end faults when touched.
  platform::Status status;
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

  // Nothing of the run is written before every element it touches has been checked, and the
  // original values are durable in the journal before the first of them changes.
  if (const int code =
          check_frames_into_journal(job.reader, plan, job.mxf, job.fileSize, first, frames,
                                    job.journal, kCodes, layout_code(kCodes, job.wroteAny));
      code != 0) {
    return code;
  }
  if (job.journal != nullptr) {
    if (!job.journal->commit().ok()) return kMapJournalFailed;
    job.journal->note_writing();
  }

  RunCopy run;
  run.job = &job;
  run.control = &control;
  run.first = first;
  run.frames = frames;
  run.done = done;
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
  job.runFramesCap = frames_within_wav_bytes(job.plan, kRunWavBytes);
  std::vector<uint64_t> runs;
  for (uint64_t frame = 0; frame < total;) {
    const uint64_t frames = run_frames(job.plan, frame, total - frame, job.runFramesCap);
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
  job.element.assign(size_t{job.plan.maxSamplesInFrame} * job.plan.slotBytes + 1, 0);

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
