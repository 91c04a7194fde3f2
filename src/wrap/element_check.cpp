#include "wrap/element_check.h"

#include <cstring>

#include "mxf/keys.h"
#include "mxf/klv.h"

namespace tavrin {

uint64_t audio_element_position(const INDEX_ENTRY_ARRAY& entry, size_t track) {
  const size_t slot = track + 2;
  const uint32_t delta = slot < entry.deltas.size() ? entry.deltas[slot].elementDelta : 0;
  return entry.filePosition + entry.sliceOffset + delta;
}

ElementFault check_audio_element(const uint8_t* header, uint64_t position, uint64_t fileSize,
                                 const MXF_LAYOUT_INFO& layout, size_t track,
                                 uint64_t neededValueBytes) {
  if (position > fileSize || fileSize - position < kElementHeaderSize) {
    return ElementFault::kOutsideFile;
  }
  if (!key_matches(header, keys::kAes3SoundElement) &&
      !key_matches(header, keys::kBwfSoundElement)) {
    return ElementFault::kNotSound;
  }
  if (track >= layout.elementKeys.size()) return ElementFault::kNoTrackKey;
  if (std::memcmp(header, layout.elementKeys[track].data(), 16) != 0) {
    return ElementFault::kOtherElement;
  }
  if (header[16] != 0x83) return ElementFault::kLengthForm;
  const uint32_t valueLength =
      (uint32_t{header[17]} << 16) | (uint32_t{header[18]} << 8) | header[19];
  if (valueLength < neededValueBytes) return ElementFault::kShortValue;
  if (fileSize - position - kElementHeaderSize < valueLength) return ElementFault::kOutsideFile;
  return ElementFault::kNone;
}

std::string_view element_fault_text(ElementFault fault) {
  switch (fault) {
    case ElementFault::kNone:
      return "ok";
    case ElementFault::kOutsideFile:
      return "the element lies outside the file";
    case ElementFault::kNotSound:
      return "no sound element at the indexed position";
    case ElementFault::kOtherElement:
      return "the sound element of another track is there";
    case ElementFault::kLengthForm:
      return "the element's length is not in the 4-byte form";
    case ElementFault::kShortValue:
      return "the element holds fewer bytes than the frame's samples";
    case ElementFault::kNoTrackKey:
      return "no element key was recorded for the track";
    case ElementFault::kNoDeltaEntry:
      return "the index gives the track no delta entry";
  }
  return "unknown";
}

}  // namespace tavrin
