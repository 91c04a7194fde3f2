#include "mxf/layout_check.h"

#include "mxf/analysis.h"
#include "mxf/audio_tracks.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "mxf/klv.h"

namespace tavrin {

namespace {

using namespace index_codes;

constexpr size_t kElementNumberByte = 15;
constexpr uint8_t kFourByteLength = 4;  // BER 0x83: the length byte and three value bytes

bool has_four_byte_length(const KlvHeader& header) {
  return header.ok && header.length.size == kFourByteLength;
}

// The file position where slice `slice` of the edit unit starts: the edit unit's start for slice
// 0, else the start plus the slice's own offset. False for a slice the entry has no offset for.
bool slice_start(const IndexedEditUnit& unit, uint8_t slice, uint64_t* position) {
  const INDEX_ENTRY_ARRAY& e = *unit.entry;
  if (slice == 0) {
    *position = e.filePosition;
    return true;
  }
  if (slice > unit.sliceCount) return false;
  // The last slice's offset is the one the array keeps; the others come from the segment.
  uint32_t offset = e.sliceOffset;
  if (slice != unit.sliceCount) {
    if (size_t{slice} > unit.sliceOffsets.size()) return false;
    offset = unit.sliceOffsets[slice - 1];
  }
  *position = saturating_add(e.filePosition, offset);
  return true;
}

// Checks one edit unit; on success `facts` holds what the engines rely on.
int check_edit_unit(const platform::ByteSource& file, bool hasAncData, const IndexedEditUnit& unit,
                    size_t trackCount, MXF_LAYOUT_INFO* facts) {
  const INDEX_ENTRY_ARRAY& e = *unit.entry;
  const uint8_t lastSlice = unit.sliceCount;

  const KlvHeader system = read_klv_header(file, e.filePosition);
  if (!has_four_byte_length(system) || !is_system_item_key(system.key.data())) {
    return kNoSystemItem;
  }
  facts->systemItem = true;

  const size_t deltaCount = std::min<size_t>(e.deltaCount, kMaxDeltaEntries);
  if (deltaCount < trackCount + 2) return trackCount > 0 ? kAudioNotLocated : kPictureNotFound;

  // The picture, located through its own slice: slice 0 from the start of the edit unit, any
  // other slice from that slice's offset.
  const DeltaEntry& picture = e.deltas[1];
  uint64_t pictureBase = 0;
  if (!slice_start(unit, picture.slice, &pictureBase)) return kPictureNotFound;
  const KlvHeader pictureElement =
      read_klv_header(file, saturating_add(pictureBase, picture.elementDelta));
  if (!pictureElement.ok || !is_picture_element_key(pictureElement.key.data())) {
    return kPictureNotFound;
  }
  facts->pictureDelta = picture.elementDelta;

  // Every track at the address the engines use, in the last slice, with a 4-byte length; the
  // element numbers rise from track to track, so no two tracks share an element.
  facts->audioDeltas.clear();
  facts->elementKeys.clear();
  int previousNumber = -1;
  for (size_t t = 0; t < trackCount; ++t) {
    const DeltaEntry& d = e.deltas[t + 2];
    if (d.slice != lastSlice) return kAudioNotLocated;
    const KlvHeader sound = read_klv_header(file, e.filePosition + e.sliceOffset + d.elementDelta);
    if (!has_four_byte_length(sound) || !is_sound_element_key(sound.key.data())) {
      return kAudioNotLocated;
    }
    const int number = sound.key[kElementNumberByte];
    if (number <= previousNumber) return kAudioNotLocated;
    previousNumber = number;
    facts->audioDeltas.push_back(d.elementDelta);
    facts->elementKeys.push_back(sound.key);
  }

  if (hasAncData) {
    const size_t lastDelta = deltaCount - 1;
    if (lastDelta < trackCount + 2) return kAncNotLast;
    const DeltaEntry& d = e.deltas[lastDelta];
    if (d.slice != lastSlice) return kAncNotLast;
    const KlvHeader anc = read_klv_header(file, e.filePosition + e.sliceOffset + d.elementDelta);
    if (!anc.ok || !key_matches(anc.key, keys::kAncDataElement)) return kAncNotLast;
  }
  return 0;
}

}  // namespace

bool content_package_fits(const INDEX_ENTRY_ARRAY& entry, size_t trackCount, uint64_t fileSize) {
  if (entry.filePosition > fileSize || fileSize - entry.filePosition < kKlvHeader4) return false;
  const size_t deltaCount = std::min<size_t>(entry.deltaCount, kMaxDeltaEntries);
  const uint64_t base = saturating_add(entry.filePosition, entry.sliceOffset);
  for (size_t t = 0; t < trackCount && t + 2 < deltaCount; ++t) {
    const uint64_t position = saturating_add(base, entry.deltas[t + 2].elementDelta);
    if (position > fileSize || fileSize - position < kKlvHeader4) return false;
  }
  return true;
}

int check_content_package_layout(const platform::ByteSource& file, const MXF_BASE_INFO& mxf,
                                 const IndexedEditUnit& first, const IndexedEditUnit& last,
                                 size_t trackCount, MXF_LAYOUT_INFO* layout) {
  const bool hasAncData = mxf.hasAncData != 0;
  *layout = MXF_LAYOUT_INFO{};
  layout->checked = true;
  if (const int code = check_edit_unit(file, hasAncData, first, trackCount, layout); code != 0) {
    return code;
  }
  if (last.entry == first.entry) return 0;

  MXF_LAYOUT_INFO lastFacts;
  if (check_edit_unit(file, hasAncData, last, trackCount, &lastFacts) != 0 ||
      lastFacts.elementKeys != layout->elementKeys) {
    return kLayoutChanges;
  }
  return 0;
}

}  // namespace tavrin
