// Wrapping through positioned reads and writes. Before anything is written, the key and length of
// every element of the range are read and checked. The range is then written in batches of the
// buffer duration chosen in the settings, or shorter where that would hold more than 64 MiB of
// WAV samples. For each batch: the header of every element the batch
// will write is read and checked again (the elements of a frame lie close together, and are read
// in as few reads as their gaps allow); then each WAV's samples for the whole batch are read into
// its region in one read; then frame by frame every element value is written with one positioned
// write. The file's data is flushed (fdatasync) before the job reports success or cancellation, and
// a write or flush that fails ends the job with an error. With an undo journal, the batch's check
// reads each element's value with its header, the original values go into the journal, and the
// journal is flushed before the batch's first write.
//
// A positioned write past the end of a file extends it. So that no write of this engine ever
// grows the MXF file back after another program shortened it, the file's size is checked before
// every frame's writes and after the last, and a size other than at the job's start stops the
// job (the writes of at most one frame can fall between a change and its discovery). A WAV that
// delivers fewer bytes than it held when it was added stops the job too: its samples are gone,
// and silence in their place would be reported as a finished wrap.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/large_buffer.h"
#include "wrap/buffer_duration.h"
#include "wrap/track_job.h"
#include "wrap/undo_journal.h"
#include "wrap/wrap_codes.h"
#include "wrap/wrap_plan.h"

namespace tavrin {

namespace {

using namespace wrap_codes;
const WrapCodes& kCodes = kFileApiWrapCodes;

using Buffer = std::unique_ptr<uint8_t[]>;

Buffer allocate(uint64_t bytes) {
  if (bytes > SIZE_MAX) return nullptr;
  return Buffer(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
}

struct FileJob {
  WrapPlan plan;
  platform::File mxf;
  uint64_t fileSize = 0;
  bool wroteAny = false;
  uint64_t batchFrames = 0;
  std::vector<platform::LargeBuffer> regions;  // per source: its samples of one batch
  std::vector<uint64_t> delivered;  // per source: WAV data bytes in its region for this batch
  std::vector<uint64_t> consumed;   // per source: data bytes the batches so far have passed
  Buffer element;                   // one element value being assembled
  Buffer silence;                   // zeros of the largest element value
  UndoJournalWriter* journal = nullptr;
  FrameElementReader reader;
};

// Ends the job; what was written is flushed first, and a failed flush turns success or
// cancellation into an error. The file times are those the system sets for the writes.
int finish(FileJob& job, int code) {
  if (job.wroteAny && !job.mxf.sync().ok() && (code == 0 || code == kCancelled)) {
    code = kFileFlushFailed;
  }
  if (job.mxf.close().ok() || code != 0) return code;
  return job.wroteAny ? kFileFlushFailed : 0;
}

// Samples of the batch starting at `first` with `frames` frames.
uint64_t batch_samples(const WrapPlan& plan, uint64_t first, uint64_t frames) {
  uint64_t samples = 0;
  for (uint64_t k = 0; k < frames; ++k) samples += plan.entry(first + k).samplesInFrame;
  return samples;
}

// True when the MXF file no longer has the size it had at the job's start (or its size cannot be
// read): another program shortened it, or shortened it and a write of this job grew it back.
bool mxf_resized(const FileJob& job) {
  uint64_t size = 0;
  return !job.mxf.size(&size).ok() || size != job.fileSize;
}

// Reads and checks the header of every element the batch will write; with a journal, reads each
// value in the same read and adds it to the journal.
int check_batch(FileJob& job, uint64_t first, uint64_t frames) {
  return check_frames_into_journal(job.reader, job.plan, job.mxf, job.fileSize, first, frames,
                                   job.journal, kCodes, layout_code(kCodes, job.wroteAny));
}

// Reads each WAV's samples of the batch into its region. Behind the data the WAV held when it was
// added is silence (zero); a read that delivers less than that data is kFileWavShortened.
int read_batch(FileJob& job, uint64_t samples) {
  for (size_t i = 0; i < job.plan.sources.size(); ++i) {
    const WavSource& source = job.plan.sources[i];
    const uint64_t want = samples * source.blockAlign;
    const uint64_t from = job.consumed[i];
    const uint64_t bytes = source.dataBytes > from ? std::min(want, source.dataBytes - from) : 0;
    uint8_t* region = job.regions[i].data();
    size_t got = 0;
    if (bytes > 0) {
      const platform::IoResult read =
          source.file.read_at(source.dataOffset + from, region, static_cast<size_t>(bytes));
      if (!read.ok()) return kFileReadWav;
      if (read.bytes != bytes) return kFileWavShortened;
      got = read.bytes;
    }
    std::memset(region + got, 0, static_cast<size_t>(want - got));
    job.delivered[i] = got;
    job.consumed[i] = from + want;
  }
  return 0;
}

int write_batch(FileJob& job, platform::JobControl& control, uint64_t first, uint64_t frames,
                uint64_t* done) {
  const WrapPlan& plan = job.plan;
  uint64_t sampleOffset = 0;  // samples of the batch before the frame
  for (uint64_t k = 0; k < frames; ++k) {
    // A stop is honoured between frames: every frame before this one is whole, none after.
    if (control.cancel_requested()) return kCancelled;
    if (mxf_resized(job)) return kFileMxfChanged;
    const INDEX_ENTRY_ARRAY& e = plan.entry(first + k);
    const size_t valueBytes = static_cast<size_t>(plan.sample_bytes(e));
    for (const TrackWrite& w : plan.writes) {
      uint64_t position = 0;
      written_element_position(e, w.track, &position);
      const uint8_t* value = job.silence.get();
      if (w.source != TrackWrite::kSilence) {
        const WavSource& source = plan.sources[static_cast<size_t>(w.source)];
        // Only whole samples the WAV delivered are audio; a sample cut short is silence.
        const size_t i = static_cast<size_t>(w.source);
        const uint64_t offset = sampleOffset * source.blockAlign;
        const uint64_t audio = job.delivered[i] > offset ? job.delivered[i] - offset : 0;
        const uint8_t* samples = job.regions[i].data() + offset;
        if (source.channels == 1 && !source.widen && audio >= valueBytes) {
          value = samples;  // the slots are laid out as the WAV's samples: written as they are
        } else {
          place_samples(source, w.channel, samples, audio, e.samplesInFrame, plan.slotBytes,
                        job.element.get());
          value = job.element.get();
        }
      }
      if (!job.wroteAny && job.journal != nullptr) job.journal->note_writing();
      job.wroteAny = true;
      const platform::IoResult put =
          job.mxf.write_at(position + kElementHeaderSize, value, valueBytes);
      if (!put.ok() || put.bytes != valueBytes) return kFileWriteFailed;
    }
    *done += 1;
    control.set_done(static_cast<uint32_t>(*done));
    sampleOffset += e.samplesInFrame;
  }
  return 0;
}

}  // namespace

int wrap_audio_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf, platform::JobControl& control,
                           UndoJournalWriter* journal) {
  FileJob job;
  job.journal = journal;
  if (const int code = plan_wrap(mxfPath, tracks, mxf, kCodes, &job.plan); code != 0) return code;
  const WrapPlan& plan = job.plan;
  const uint64_t total = plan.totalFrames;

  // The batch length, and the largest number of samples a batch holds at this rate.
  if (tracks->wavBufferIndex >= kWavBufferDurationCount) return kFileNoBuffer;
  job.batchFrames =
      wav_buffer_frames(tracks->wavBufferIndex, mxf->timecode->fpsCode, mxf->timecode->dropFrame);
  if (job.batchFrames == 0) return kFileBadRate;
  job.batchFrames = std::min(job.batchFrames, frames_within_wav_bytes(plan, kRunWavBytes));
  uint64_t maxBatchSamples = 0;
  for (uint64_t first = 0; first < total; first += job.batchFrames) {
    const uint64_t frames = std::min(job.batchFrames, total - first);
    maxBatchSamples = std::max(maxBatchSamples, batch_samples(plan, first, frames));
  }
  for (const WavSource& source : plan.sources) {
    job.regions.push_back(platform::LargeBuffer::allocate(maxBatchSamples * source.blockAlign + 1));
    if (!job.regions.back()) return kFileNoBuffer;
  }
  const uint64_t valueBytes = uint64_t{plan.maxSamplesInFrame} * plan.slotBytes + 1;
  job.element = allocate(valueBytes);
  job.silence = allocate(valueBytes);
  if (!job.element || !job.silence) return kFileNoBuffer;
  std::memset(job.silence.get(), 0, static_cast<size_t>(valueBytes));

  platform::Status status;
  job.mxf = platform::File::open(mxfPath, platform::Access::kReadWriteExisting,
                                 platform::Sharing::kNone, &status);
  if (!job.mxf.valid()) {
    tracks->systemError = status.error;
    return kFileOpenMxf;
  }
  if (const int code = check_mxf_size(job.mxf, *mxf, kCodes, kFileOpenMxf, &job.fileSize);
      code != 0) {
    return finish(job, code);
  }
  if (const int code = open_wav_sources(&job.plan, kCodes); code != 0) return finish(job, code);
  if (const int code = check_range_elements(plan, job.mxf, job.fileSize, kCodes); code != 0) {
    return finish(job, code);
  }
  job.consumed.assign(plan.sources.size(), 0);
  job.delivered.assign(plan.sources.size(), 0);

  control.set_total(static_cast<uint32_t>(total));
  control.set_done(0);
  uint64_t done = 0;
  while (done < total) {
    const uint64_t first = done;
    const uint64_t frames = std::min(job.batchFrames, total - done);
    if (mxf_resized(job)) return finish(job, kFileMxfChanged);
    if (const int code = check_batch(job, first, frames); code != 0) return finish(job, code);
    if (const int code = read_batch(job, batch_samples(plan, first, frames)); code != 0) {
      return finish(job, code);
    }
    if (journal != nullptr && !journal->commit().ok()) return finish(job, kFileJournalFailed);
    if (const int code = write_batch(job, control, first, frames, &done); code != 0) {
      return finish(job, code);
    }
  }
  return finish(job, mxf_resized(job) ? kFileMxfChanged : 0);
}

}  // namespace tavrin
