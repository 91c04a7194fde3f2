// The audio descriptor step (section 700): counts the audio tracks (AES3 and Wave audio
// descriptors, SMPTE 382), checks the first descriptor for 16 or 24 bits at 48 kHz, and measures
// the first track's sound element in the first edit unit: its sample count, which must be a
// value of the five-frame cadence, and the bytes it and the fill behind it take.
//
// The first sound element is taken at the address every engine uses for track 0,
// filePosition + sliceOffset + the elementDelta of delta entry 2; the index step has checked
// that a sound element is there.
//
// Codes beyond the table of the section:
//   710  the audio descriptor is damaged: its value does not lie inside the file, an item runs
//        past the set, an item holds fewer bytes than its type, or BlockAlign is 0 where the
//        sample count of the first element is needed.
//   711  more than 255 audio descriptors: the track count cannot hold them.
#include "mxf/analysis.h"
#include "mxf/audio_tracks.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "mxf/klv.h"
#include "mxf/layout_check.h"

namespace tavrin {

namespace {

using namespace audio_codes;

constexpr uint16_t kTagQuantizationBits = 0x3D01;
constexpr uint16_t kTagSamplingRate = 0x3D03;
constexpr uint16_t kTagAvgBytesPerSecond = 0x3D09;
constexpr uint16_t kTagBlockAlign = 0x3D0A;

constexpr size_t kMaxTrackCount = 255;
constexpr uint32_t kSampleRate = 48000;
constexpr uint64_t kElementSearchSpan = 28;
constexpr uint64_t kFillSearchSpan = 16;
constexpr uint8_t kCadenceNotInList = 8;

int store_item(const LocalItem& item, MXF_AUDIO_INFO* audio) {
  switch (item.tag) {
    case kTagQuantizationBits:
      if (!item_u32(item, &audio->quantizationBits)) return kDamaged;
      return audio->quantizationBits == 16 || audio->quantizationBits == 24 ? 0 : kBadQuantization;
    case kTagSamplingRate: {
      uint32_t den = 0;
      if (!item_u32_pair(item, &audio->sampleRate, &den)) return kDamaged;
      return audio->sampleRate == kSampleRate ? 0 : kBadSampleRate;
    }
    case kTagAvgBytesPerSecond:
      return item_u32(item, &audio->avgBytesPerSecond) ? 0 : kDamaged;
    case kTagBlockAlign:
      return item_u16(item, &audio->blockAlign) ? 0 : kDamaged;
    default:
      return 0;
  }
}

int read_first_descriptor(const ByteSource& file, const MXF_BASE_INFO& mxf, MXF_AUDIO_INFO* audio,
                          bool* found) {
  const FileRange range = header_metadata_range(mxf);
  HeaderSet set = read_header_set(file, keys::kAes3Descriptor, range);
  if (set.status == SetReadStatus::kNotFound)
    set = read_header_set(file, keys::kWaveDescriptor, range);
  *found = set.status != SetReadStatus::kNotFound;
  if (!*found) return 0;
  if (set.status != SetReadStatus::kFound) return kDamaged;
  LocalSetWalker walker(set.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (const int code = store_item(item, audio); code != 0) return code;
  }
  return walker.truncated() ? kDamaged : 0;
}

uint8_t cadence_code_of(uint64_t samples) {
  switch (samples) {
    case 2000:
      return 0;
    case 1920:
      return 1;
    case 1600:
      return 2;
    case 800:
      return 3;
    case 2002:
      return 4;
    case 1602:
      return 6;
    case 801:
      return 7;
    default:
      return kCadenceNotInList;
  }
}

// The sample count and size of track 0's element in the first edit unit.
int measure_first_element(const ByteSource& file, const INDEX_ENTRY_ARRAY& first,
                          MXF_AUDIO_INFO* audio) {
  const uint32_t delta = first.deltaCount > 2 ? first.deltas[2].elementDelta : 0;
  const uint64_t p = first.filePosition + first.sliceOffset + delta;
  KeySearchResult element;
  const KlvHeader header = read_klv_header(file, p);
  if (header.ok && is_sound_element_key(header.key.data())) {
    element = {true, p, header.valuePosition, header.length.value};
  } else {
    const uint64_t end = saturating_add(p, kElementSearchSpan);
    element = find_key_in_file(file, keys::kAes3SoundElement, p, end);
    if (!element.found) element = find_key_in_file(file, keys::kBwfSoundElement, p, end);
    if (!element.found) return 0;
  }

  if (audio->blockAlign == 0) return kDamaged;
  const uint64_t v = element.valueLength;
  audio->cadenceCode = cadence_code_of(v / audio->blockAlign);
  if (audio->cadenceCode == kCadenceNotInList) return kUnknownCadence;

  const uint64_t valueEnd = saturating_add(element.valuePosition, v);
  const KeySearchResult fill =
      find_key_in_file(file, keys::kFillItem, valueEnd, saturating_add(valueEnd, kFillSearchSpan));
  const uint64_t size = fill.found ? v + fill.valueLength + 2 * kKlvHeader4 : v + kKlvHeader4;
  audio->audioElementSize = static_cast<uint32_t>(size);
  return 0;
}

}  // namespace

int read_audio_descriptor(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->audio == nullptr) return kNoAudioInfo;
  if (mxf->partitions == nullptr) return kNoSlot;
  if (mxf->indexEntries == nullptr) return kNoIndexSlot;
  MXF_AUDIO_INFO* audio = mxf->audio;

  const size_t count = count_audio_descriptors(*file, *mxf);
  audio->trackCount = static_cast<uint8_t>(std::min(count, kMaxTrackCount));
  if (count > kMaxTrackCount) return kTooManyTracks;
  if (count == 0) return kNoTrack;

  bool found = false;
  if (const int code = read_first_descriptor(*file, *mxf, audio, &found); code != 0) return code;
  if (!found) return 0;

  const INDEX_ENTRY_ARRAY* first = first_index_entry(*mxf);
  if (first == nullptr) return 0;
  return measure_first_element(*file, *first, audio);
}

}  // namespace tavrin
