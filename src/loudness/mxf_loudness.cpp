#include "loudness/mxf_loudness.h"

#include <algorithm>
#include <new>

#include "export/export_job.h"
#include "loudness/loudness_codes.h"
#include "loudness/meter.h"
#include "loudness/parallel.h"
#include "loudness/pcm_samples.h"
#include "platform/file.h"
#include "platform/large_buffer.h"
#include "wrap/job_range.h"

namespace tavrin::loudness {

namespace {

using namespace loudness_codes;

// Frames read, checked and measured together: about four seconds. The stop request is asked
// before every frame is read, and progress counts the frames read.
constexpr uint64_t kBatchFrames = 128;
// A batch holds fewer frames when they are larger than any real frame (a damaged index), so the
// buffers never grow with what an index entry claims.
constexpr uint64_t kMaxBatchBytes = uint64_t{64} << 20;

LoudnessOutcome failed(int code) {
  LoudnessOutcome outcome;
  outcome.code = code;
  return outcome;
}

// Every programme names tracks the file has; a pair names two different tracks.
bool programmes_valid(const std::vector<Programme>& programmes, size_t trackCount) {
  if (programmes.empty()) return false;
  for (const Programme& p : programmes) {
    if (p.tracks[0] >= trackCount) return false;
    if (p.kind == ProgrammeKind::kStereo &&
        (p.tracks[1] >= trackCount || p.tracks[1] == p.tracks[0])) {
      return false;
    }
  }
  return true;
}

bool measured_alone(const std::vector<Programme>& programmes, size_t track) {
  return std::find(programmes.begin(), programmes.end(), mono_programme(track)) != programmes.end();
}

// One programme being measured: its meter, where its channels' samples are among the read
// tracks, and (for a pair whose tracks are also measured alone) the mono programmes its true
// peak is taken from.
struct Meter {
  ProgrammeMeter meter;
  std::array<size_t, 2> slots{};
  std::array<size_t, 2> peakFrom{};
  bool peakFromMono = false;
  bool ok = true;
};

}  // namespace

std::array<uint32_t, 2> whole_file_in(const MXF_TIMECODE_INFO& timecode) {
  return {timecode.startFrame, timecode.shiftedStart};
}

std::array<uint32_t, 2> whole_file_out(const MXF_TIMECODE_INFO& timecode) {
  return {timecode.endFrame, timecode.shiftedEnd};
}

LoudnessOutcome measure_mxf_loudness(const MxfLoudnessJob& job, platform::JobControl& control) {
  if (job.mxfPath.empty()) return failed(kNoPath);
  const MXF_BASE_INFO* mxf = job.mxf;
  if (mxf == nullptr || mxf->timecode == nullptr || mxf->audio == nullptr ||
      mxf->indexEntries == nullptr || mxf->layout == nullptr) {
    return failed(kNoBase);
  }
  const size_t trackCount = std::min<size_t>(mxf->audio->trackCount, kMaxAudioTracks);
  if (!programmes_valid(job.programmes, trackCount)) return failed(kNoProgramme);
  const uint32_t blockAlign = mxf->audio->blockAlign;
  if (!pcm_width_supported(blockAlign)) return failed(kSampleFormat);

  JobRange range;
  if (!resolve_job_range(*mxf->timecode, job.in, job.out, mxf->indexEntries->size(), &range)) {
    return failed(kBadRange);
  }

  // The geometry of the export: the tracks read, each frame's span of bytes, its checks.
  ExportPlan plan;
  plan.entries = mxf->indexEntries;
  plan.layout = mxf->layout;
  plan.blockAlign = blockAlign;
  plan.firstEntry = static_cast<size_t>(range.firstEntry);
  plan.totalFrames = static_cast<uint32_t>(range.totalFrames);
  for (const Programme& p : job.programmes) {
    for (size_t c = 0; c < p.channels(); ++c) plan.tracks.push_back(p.tracks[c]);
  }
  std::sort(plan.tracks.begin(), plan.tracks.end());
  plan.tracks.erase(std::unique(plan.tracks.begin(), plan.tracks.end()), plan.tracks.end());
  const uint64_t total = plan.totalFrames;
  control.set_total(plan.totalFrames);

  // Every frame's span must lie inside the file as analysed; the widest span sizes a slot of the
  // batch buffer, the largest frame the sample buffers.
  uint64_t slotBytes = 0;
  uint64_t maxSamples = 0;
  for (uint64_t i = 0; i < total; ++i) {
    const INDEX_ENTRY_ARRAY& e = plan.entry(i);
    FrameSpan span;
    if (!frame_span(plan, e, mxf->fileSize, &span)) {
      LoudnessOutcome outcome = failed(kElement);
      outcome.fault = ElementFault::kOutsideFile;
      outcome.faultFrame = i;
      return outcome;
    }
    slotBytes = std::max(slotBytes, span.end - span.begin);
    maxSamples = std::max<uint64_t>(maxSamples, e.samplesInFrame);
  }
  uint64_t batchFrames = std::min(kBatchFrames, total);
  if (slotBytes > 0)
    batchFrames = std::max<uint64_t>(1, std::min(batchFrames, kMaxBatchBytes / slotBytes));
  platform::LargeBuffer buffer;
  std::vector<std::vector<float>> trackSamples;
  try {
    if (slotBytes > 0) {
      buffer = platform::LargeBuffer::allocate(batchFrames * slotBytes);
      if (!buffer) return failed(kNoMemory);
    }
    trackSamples.assign(plan.tracks.size(), std::vector<float>(batchFrames * maxSamples));
  } catch (const std::bad_alloc&) {
    return failed(kNoMemory);
  }

  // The meters. A pair whose two tracks are also measured alone takes its true peak from theirs:
  // the peak of a programme is the largest of its channels'.
  std::vector<Meter> meters(job.programmes.size());
  for (size_t m = 0; m < meters.size(); ++m) {
    const Programme& p = job.programmes[m];
    Meter& meter = meters[m];
    for (size_t c = 0; c < p.channels(); ++c) {
      meter.slots[c] = static_cast<size_t>(
          std::lower_bound(plan.tracks.begin(), plan.tracks.end(), p.tracks[c]) -
          plan.tracks.begin());
    }
    meter.peakFromMono = p.kind == ProgrammeKind::kStereo &&
                         measured_alone(job.programmes, p.tracks[0]) &&
                         measured_alone(job.programmes, p.tracks[1]);
    if (meter.peakFromMono) {
      for (size_t c = 0; c < 2; ++c) {
        meter.peakFrom[c] = static_cast<size_t>(
            std::find(job.programmes.begin(), job.programmes.end(), mono_programme(p.tracks[c])) -
            job.programmes.begin());
      }
    }
    meter.meter = ProgrammeMeter(p.channels(),
                                 meter.peakFromMono ? TruePeakMode::kSkip : TruePeakMode::kMeasure);
    if (!meter.meter.valid()) return failed(kMeter);
  }
  const unsigned workers = job.workers != 0 ? job.workers : available_workers();
  // Scratch for interleaving the two channels of a pair, one per worker.
  std::vector<std::vector<float>> interleaved(workers);

  platform::Status status;
  const platform::File source = platform::File::open(job.mxfPath, platform::Access::kReadExisting,
                                                     platform::Sharing::kRead, &status);
  if (!source.valid()) return failed(kOpenMxf);
  uint64_t fileSize = 0;
  if (!source.size(&fileSize).ok()) return failed(kOpenMxf);
  // A file that another program has changed since the analysis is not measured: its index may
  // no longer say where the samples are.
  if (fileSize != mxf->fileSize) return failed(kFileChanged);

  std::vector<FrameSpan> spans(static_cast<size_t>(batchFrames));
  uint64_t done = 0;
  while (done < total) {
    const uint64_t frames = std::min(batchFrames, total - done);
    size_t batchSamples = 0;
    for (uint64_t k = 0; k < frames; ++k) {
      if (control.cancel_requested()) return failed(kCancelled);
      FrameSpan& span = spans[k];
      if (!frame_span(plan, plan.entry(done + k), fileSize, &span)) {
        LoudnessOutcome outcome = failed(kElement);
        outcome.fault = ElementFault::kOutsideFile;
        outcome.faultFrame = done + k;
        return outcome;
      }
      const size_t n = static_cast<size_t>(span.end - span.begin);
      const platform::IoResult got = source.read_at(span.begin, buffer.data() + k * slotBytes, n);
      if (got.bytes != n) return failed(kReadMxf);
      control.set_done(static_cast<uint32_t>(done + k + 1));
    }
    // No sample of the batch is measured before all its elements have been checked.
    for (uint64_t k = 0; k < frames; ++k) {
      const INDEX_ENTRY_ARRAY& e = plan.entry(done + k);
      const ElementFault fault =
          check_frame_elements(plan, e, buffer.data() + k * slotBytes, spans[k], fileSize);
      if (fault != ElementFault::kNone) {
        LoudnessOutcome outcome = failed(kElement);
        outcome.fault = fault;
        outcome.faultFrame = done + k;
        return outcome;
      }
    }
    for (uint64_t k = 0; k < frames; ++k) {
      const INDEX_ENTRY_ARRAY& e = plan.entry(done + k);
      const uint8_t* bytes = buffer.data() + k * slotBytes;
      for (size_t slot = 0; slot < plan.tracks.size(); ++slot) {
        const uint64_t value = audio_element_position(e, plan.tracks[slot]) + kElementHeaderSize;
        pcm_to_float(bytes + (value - spans[k].begin), e.samplesInFrame, blockAlign,
                     trackSamples[slot].data() + batchSamples);
      }
      batchSamples += e.samplesInFrame;
    }

    run_parallel(meters.size(), workers, [&](size_t m, unsigned worker) {
      Meter& meter = meters[m];
      if (meter.meter.channels() == 1) {
        meter.ok = meter.meter.add(trackSamples[meter.slots[0]].data(), batchSamples) && meter.ok;
        return;
      }
      std::vector<float>& pair = interleaved[worker];
      pair.resize(batchSamples * 2);
      const float* left = trackSamples[meter.slots[0]].data();
      const float* right = trackSamples[meter.slots[1]].data();
      for (size_t i = 0; i < batchSamples; ++i) {
        pair[2 * i] = left[i];
        pair[2 * i + 1] = right[i];
      }
      meter.ok = meter.meter.add(pair.data(), batchSamples) && meter.ok;
    });
    for (const Meter& meter : meters) {
      if (!meter.ok) return failed(kMeter);
    }
    done += frames;
  }

  LoudnessOutcome outcome;
  outcome.programmes = job.programmes;
  outcome.frames = total;
  outcome.measurements.reserve(meters.size());
  for (const Meter& meter : meters) outcome.measurements.push_back(meter.meter.result());
  for (size_t m = 0; m < meters.size(); ++m) {
    if (!meters[m].peakFromMono) continue;
    outcome.measurements[m].truePeak =
        std::max(outcome.measurements[meters[m].peakFrom[0]].truePeak,
                 outcome.measurements[meters[m].peakFrom[1]].truePeak);
  }
  return outcome;
}

}  // namespace tavrin::loudness
