#include "wrap/wrap_plan.h"

#include <algorithm>
#include <cstring>

#include "wrap/job_range.h"
#include "wrap/undo_journal.h"
#include "wrap/wrap_codes.h"

namespace tavrin {

using namespace wrap_codes;

const WrapCodes kMappingWrapCodes = {
    kMapNoPath,     kMapNoJob,           kMapNoBase,          kMapBadRate,
    kMapBadRange,   kMapOpenWav,         kMapLayoutUntouched, kMapLayoutAfterWrites,
    kMapWavFormat,  kMapStereoLastTrack, kMapStereoPair,      kMapMxfChanged,
    kMapWavChanged, kMapWavShortened,    kMapReadMxf,
};
const WrapCodes kFileApiWrapCodes = {
    kFileNoPath,     kFileNoJob,           kFileNoBase,          kFileBadRate,
    kFileBadRange,   kFileOpenWav,         kFileLayoutUntouched, kFileLayoutAfterWrites,
    kFileWavFormat,  kFileStereoLastTrack, kFileStereoPair,      kFileMxfChanged,
    kFileWavChanged, kFileWavShortened,    kFileReadMxf,
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

namespace {

bool same_time(const platform::FileTime& a, const platform::FileTime& b) {
  return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

// True when the open file is the one the entry's directory record describes. An entry without a
// record (size 0: no WAV the library accepts is empty) has nothing to compare.
bool same_file_as_added(const WAV_LIBRARY_ENTRY& entry, const platform::DirectoryRecord& now) {
  const platform::DirectoryRecord& added = entry.find_data;
  if (added.size == 0) return true;
  if (now.size != added.size || !same_time(now.lastWrite, added.lastWrite)) return false;
  return added.inode == 0 || (now.inode == added.inode && now.device == added.device);
}

}  // namespace

int open_wav_sources(WrapPlan* plan, const WrapCodes& codes) {
  for (WavSource& source : plan->sources) {
    platform::Status status;
    source.file = platform::File::open(source.entry->file_path, platform::Access::kReadExisting,
                                       platform::Sharing::kRead, &status);
    platform::DirectoryRecord now;
    if (!source.file.valid() || !platform::stat_file(source.file, &now).ok()) return codes.openWav;
    if (!same_file_as_added(*source.entry, now)) return codes.wavChanged;
    // What the header claims and what the reader found behind the data offset: the smaller is
    // audio, the rest of the range silence. The file must still hold all of it.
    const WAV_FILE_INFO& info = source.entry->info;
    source.dataBytes = std::min<uint64_t>(info.data_size, info.data_available);
    if (now.size < info.data_offset || now.size - info.data_offset < source.dataBytes) {
      return codes.wavChanged;
    }
  }
  return 0;
}

int check_mxf_size(const platform::File& mxf, const MXF_BASE_INFO& records, const WrapCodes& codes,
                   int failCode, uint64_t* size) {
  if (!mxf.size(size).ok()) return failCode;
  if (records.fileSize != 0 && *size != records.fileSize) return codes.mxfChanged;
  return 0;
}

int check_range_elements(const WrapPlan& plan, const platform::File& mxf, uint64_t fileSize,
                         const WrapCodes& codes) {
  FrameElementReader reader;
  for (uint64_t frame = 0; frame < plan.totalFrames; ++frame) {
    if (const int code =
            reader.check(plan, mxf, fileSize, frame, false, codes, codes.layoutUntouched);
        code != 0) {
      return code;
    }
  }
  return 0;
}

namespace {

// Bytes between two elements below which one read of both costs less than a read of each: a
// positioned read costs about as much as copying a few kilobytes.
constexpr uint64_t kReadTogetherGap = 8u << 10;
// The most one read of neighbouring elements covers.
constexpr uint64_t kMaxReadTogether = 256u << 10;

}  // namespace

int FrameElementReader::check(const WrapPlan& plan, const platform::File& mxf, uint64_t fileSize,
                              uint64_t frame, bool values, const WrapCodes& codes, int layoutCode) {
  const INDEX_ENTRY_ARRAY& e = plan.entry(frame);
  const size_t n = plan.writes.size();
  positions_.resize(n);
  order_.resize(n);
  at_.assign(n, SIZE_MAX);
  for (size_t k = 0; k < n; ++k) {
    if (!written_element_position(e, plan.writes[k].track, &positions_[k])) return layoutCode;
    order_[k] = k;
  }
  std::stable_sort(order_.begin(), order_.end(),
                   [&](size_t a, size_t b) { return positions_[a] < positions_[b]; });

  // The bytes each element needs read: its header, and with `values` its value, cut to the file.
  // An element whose header lies past the end is not read; its check reports it.
  const uint64_t valueBytes = plan.sample_bytes(e);
  auto inside = [&](uint64_t p) { return p <= fileSize && fileSize - p >= kElementHeaderSize; };
  auto end_of = [&](uint64_t p) {
    const uint64_t want = kElementHeaderSize + (values ? valueBytes : 0);
    return fileSize - p < want ? fileSize : p + want;
  };
  // bytes_ only grows: its bytes are overwritten by each read, never cleared.
  size_t used = 0;
  bool shortened = false;
  for (size_t i = 0; i < n && !shortened;) {
    if (!inside(positions_[order_[i]])) {
      ++i;
      continue;
    }
    const uint64_t begin = positions_[order_[i]];
    uint64_t end = end_of(begin);
    size_t j = i + 1;
    for (; j < n; ++j) {
      const uint64_t p = positions_[order_[j]];
      if (!inside(p) || p > end + kReadTogetherGap) break;
      const uint64_t next = std::max(end, end_of(p));
      if (next - begin > kMaxReadTogether) break;
      end = next;
    }
    const size_t base = used;
    const size_t want = static_cast<size_t>(end - begin);
    if (bytes_.size() < base + want) bytes_.resize(base + want);
    used = base + want;
    const platform::IoResult got = mxf.read_at(begin, bytes_.data() + base, want);
    if (!got.ok()) return codes.readMxf;
    for (size_t m = i; m < j; ++m) {
      const size_t k = order_[m];
      const uint64_t from = positions_[k] - begin;
      const uint64_t needed = end_of(positions_[k]) - positions_[k];
      // What the read did not deliver was cut off since the file's size was taken.
      if (got.bytes < from + needed) {
        shortened = true;
        break;
      }
      at_[k] = base + static_cast<size_t>(from);
    }
    i = j;
  }

  // In the order the elements are written: the first fault is the one reported.
  for (size_t k = 0; k < n; ++k) {
    const uint64_t p = positions_[k];
    if (inside(p) && at_[k] == SIZE_MAX) return codes.mxfChanged;
    const uint8_t* header = inside(p) ? bytes_.data() + at_[k] : nullptr;
    if (check_written_element(plan, e, plan.writes[k].track, header, p, fileSize) !=
        ElementFault::kNone) {
      return layoutCode;
    }
  }
  return 0;
}

uint64_t frames_within_wav_bytes(const WrapPlan& plan, uint64_t bytes) {
  uint64_t perFrame = 0;
  for (const WavSource& source : plan.sources) {
    perFrame += uint64_t{source.blockAlign} * plan.maxSamplesInFrame;
  }
  return std::max<uint64_t>(1, bytes / std::max<uint64_t>(1, perFrame));
}

int check_frames_into_journal(FrameElementReader& reader, const WrapPlan& plan,
                              const platform::File& mxf, uint64_t fileSize, uint64_t first,
                              uint64_t frames, UndoJournalWriter* journal, const WrapCodes& codes,
                              int layoutCode) {
  const bool journaled = journal != nullptr;
  for (uint64_t k = 0; k < frames; ++k) {
    if (const int code = reader.check(plan, mxf, fileSize, first + k, journaled, codes, layoutCode);
        code != 0) {
      return code;
    }
    if (!journaled) continue;
    const uint64_t valueBytes = plan.sample_bytes(plan.entry(first + k));
    for (size_t w = 0; w < plan.writes.size(); ++w) {
      journal->add(reader.position(w) + kElementHeaderSize, reader.value(w),
                   static_cast<size_t>(valueBytes));
    }
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
