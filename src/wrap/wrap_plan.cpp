#include "wrap/wrap_plan.h"

#include <algorithm>
#include <cstring>

#include "wrap/job_range.h"
#include "wrap/wrap_codes.h"

namespace tavrin {

using namespace wrap_codes;

const WrapCodes kMappingWrapCodes = {
    kMapNoPath,    kMapNoJob,           kMapNoBase,          kMapBadRate,
    kMapBadRange,  kMapOpenWav,         kMapLayoutUntouched, kMapLayoutAfterWrites,
    kMapWavFormat, kMapStereoLastTrack, kMapStereoPair,
};
const WrapCodes kFileApiWrapCodes = {
    kFileNoPath,    kFileNoJob,           kFileNoBase,          kFileBadRate,
    kFileBadRange,  kFileOpenWav,         kFileLayoutUntouched, kFileLayoutAfterWrites,
    kFileWavFormat, kFileStereoLastTrack, kFileStereoPair,
};

namespace {

// The MXF audio the engines can write: 16- or 24-bit slots of 2 or 3 bytes.
bool writable_audio(const MXF_AUDIO_INFO& audio) {
  return (audio.quantizationBits == 16 || audio.quantizationBits == 24) &&
         audio.blockAlign == audio.quantizationBits / 8;
}

// A WAV the engines can place: one or two channels of 16- or 24-bit samples at 48 kHz, packed
// without padding, with the bit depth of the MXF audio or 16 bits into 24.
bool placeable_wav(const WAV_FILE_INFO& info, uint32_t mxfBits) {
  if (info.channels != 1 && info.channels != 2) return false;
  if (info.bits_per_sample != 16 && info.bits_per_sample != 24) return false;
  if (info.sample_rate != 48000) return false;
  if (info.block_align != info.channels * (info.bits_per_sample / 8)) return false;
  return info.bits_per_sample == mxfBits || (info.bits_per_sample == 16 && mxfBits == 24);
}

WavSource make_source(const WAV_LIBRARY_ENTRY* entry, size_t track, uint32_t mxfBits) {
  WavSource source;
  source.entry = entry;
  source.track = track;
  source.channels = entry->info.channels;
  source.bytesPerSample = static_cast<uint16_t>(entry->info.bits_per_sample / 8);
  source.blockAlign = entry->info.block_align;
  source.widen = entry->info.bits_per_sample == 16 && mxfBits == 24;
  source.dataOffset = entry->info.data_offset;
  return source;
}

// The elements the ON tracks write, with the rules every assignment must meet.
int plan_tracks(const AUDIOTRACK_IO_INFO& tracks, const MXF_AUDIO_INFO& audio,
                const WrapCodes& codes, WrapPlan* plan) {
  const size_t trackCount = std::min<size_t>(audio.trackCount, kTrackSlots);
  const std::vector<TrackUse> uses = track_uses(tracks, trackCount);
  for (size_t t = 0; t < uses.size(); ++t) {
    const TrackUse& use = uses[t];
    switch (use.kind) {
      case TrackUseKind::kUntouched:
        break;
      case TrackUseKind::kSecondHalfAlone:
        return codes.stereoPair;
      case TrackUseKind::kSilence:
        plan->writes.push_back({t, TrackWrite::kSilence, 0});
        break;
      case TrackUseKind::kWav:
        if (use.channel == 0) {
          if (!placeable_wav(use.entry->info, audio.quantizationBits)) return codes.wavFormat;
          if (use.entry->info.channels == 2 && t + 1 >= trackCount) return codes.stereoLastTrack;
          plan->sources.push_back(make_source(use.entry, t, audio.quantizationBits));
        }
        plan->writes.push_back({t, static_cast<int>(plan->sources.size()) - 1, use.channel});
        break;
    }
  }
  return 0;
}

}  // namespace

std::vector<TrackUse> track_uses(const AUDIOTRACK_IO_INFO& tracks, size_t trackCount) {
  trackCount = std::min(trackCount, kTrackSlots);
  std::vector<TrackUse> uses(trackCount);
  for (size_t t = 0; t < trackCount; ++t) {
    const WAV_LIBRARY_ENTRY* entry = tracks.wavEntry[t];
    const bool stereo = entry != nullptr && entry->info.channels == 2;
    const bool on = tracks.trackSwitch[t] == kTrackOn;
    if (!on) {
      if (stereo && t + 1 < trackCount && tracks.wavEntry[t + 1] == entry) {
        if (tracks.trackSwitch[t + 1] == kTrackOn)
          uses[t + 1].kind = TrackUseKind::kSecondHalfAlone;
        ++t;  // the pair follows its first track
      }
      continue;
    }
    if (entry == nullptr) {
      uses[t].kind = TrackUseKind::kSilence;
      continue;
    }
    uses[t] = {TrackUseKind::kWav, entry, 0};
    if (stereo && t + 1 < trackCount) uses[t + 1] = {TrackUseKind::kWav, entry, 1};
    if (stereo) ++t;
  }
  return uses;
}

int plan_wrap(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, const MXF_BASE_INFO* mxf,
              const WrapCodes& codes, WrapPlan* plan) {
  if (mxfPath.empty()) return codes.noPath;
  if (tracks == nullptr) return codes.noJob;
  if (mxf == nullptr || mxf->timecode == nullptr || mxf->audio == nullptr ||
      mxf->indexEntries == nullptr || mxf->layout == nullptr || !writable_audio(*mxf->audio)) {
    return codes.noBase;
  }
  const MXF_TIMECODE_INFO& timecode = *mxf->timecode;
  if (timecode.rateCode > 7) return codes.badRate;

  JobRange range;
  if (!resolve_job_range(timecode, tracks->inFrame, tracks->outFrame, mxf->indexEntries->size(),
                         &range)) {
    return codes.badRange;
  }
  const uint64_t rel = range.firstEntry;
  const uint64_t total = range.totalFrames;

  *plan = WrapPlan{};
  plan->entries = mxf->indexEntries;
  plan->layout = mxf->layout;
  plan->slotBytes = mxf->audio->blockAlign;
  plan->firstEntry = static_cast<size_t>(rel);
  plan->totalFrames = static_cast<uint32_t>(total);
  for (uint64_t i = 0; i < total; ++i) {
    plan->maxSamplesInFrame = std::max(plan->maxSamplesInFrame, plan->entry(i).samplesInFrame);
  }
  if (const int code = plan_tracks(*tracks, *mxf->audio, codes, plan); code != 0) return code;
  return 0;
}

int open_wav_sources(WrapPlan* plan, const WrapCodes& codes) {
  for (WavSource& source : plan->sources) {
    platform::Status status;
    source.file = platform::File::open(source.entry->file_path, platform::Access::kReadExisting,
                                       platform::Sharing::kRead, &status);
    uint64_t size = 0;
    if (!source.file.valid() || !source.file.size(&size).ok()) return codes.openWav;
    // What the header claims, what the reader found behind the data offset, and what the file
    // holds now: the smallest of the three is audio, the rest of the range silence.
    const WAV_FILE_INFO& info = source.entry->info;
    const uint64_t present = size > info.data_offset ? size - info.data_offset : 0;
    source.dataBytes = std::min<uint64_t>({info.data_size, info.data_available, present});
  }
  return 0;
}

bool written_element_position(const INDEX_ENTRY_ARRAY& e, size_t track, uint64_t* position) {
  const size_t slot = track + 2;
  if (slot >= kMaxDeltaEntries || slot >= e.deltaCount) return false;
  *position = audio_element_position(e, track);
  return true;
}

ElementFault check_written_element(const WrapPlan& plan, const INDEX_ENTRY_ARRAY& e, size_t track,
                                   const uint8_t* header, uint64_t position, uint64_t fileSize) {
  if (header == nullptr) return ElementFault::kOutsideFile;
  return check_audio_element(header, position, fileSize, *plan.layout, track, plan.sample_bytes(e));
}

void place_samples(const WavSource& wav, uint16_t channel, const uint8_t* source,
                   uint64_t available, uint32_t samples, uint32_t slotBytes, uint8_t* out) {
  const size_t valueBytes = size_t{samples} * slotBytes;
  if (source == nullptr) available = 0;
  const uint32_t bps = wav.bytesPerSample;
  const uint32_t lead = wav.widen ? 1 : 0;
  // Sample frames the data holds in full for this channel.
  const uint64_t channelEnd = uint64_t{channel} * bps + bps;
  uint64_t whole = available >= channelEnd ? (available - channelEnd) / wav.blockAlign + 1 : 0;
  if (whole > samples) whole = samples;

  if (wav.channels == 1 && lead == 0 && bps == slotBytes) {
    // The slot layout is the WAV's own: one copy.
    const size_t bytes = static_cast<size_t>(whole) * slotBytes;
    if (bytes > 0) std::memcpy(out, source, bytes);
    std::memset(out + bytes, 0, valueBytes - bytes);
    return;
  }
  std::memset(out, 0, valueBytes);
  const uint8_t* in = source == nullptr ? nullptr : source + size_t{channel} * bps;
  for (uint64_t s = 0; s < whole; ++s) {
    std::memcpy(out + s * slotBytes + lead, in + s * wav.blockAlign, bps);
  }
}

}  // namespace tavrin
