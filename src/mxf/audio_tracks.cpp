#include "mxf/audio_tracks.h"

#include <cstring>

#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "mxf/klv.h"

namespace tavrin {

namespace {

constexpr size_t kItemTypeByte = 12;

// The key with its item type byte replaced, for comparing with a key of the other item type.
bool matches_with_item_type(const uint8_t* key, const Key16& wanted, uint8_t itemType) {
  Key16 k;
  std::memcpy(k.data(), key, k.size());
  if (k[kItemTypeByte] != itemType) return false;
  k[kItemTypeByte] = wanted[kItemTypeByte];
  return key_matches(k, wanted);
}

// Generic container picture element: 06 0E 2B 34 01 02 01 01 0D 01 03 01 15 cc tt nn.
constexpr Key16 kPictureElement = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                                   0x0D, 0x01, 0x03, 0x01, 0x15, 0xFF, 0xFF, 0xFF};

}  // namespace

size_t count_audio_descriptors(const platform::ByteSource& file, const MXF_BASE_INFO& mxf) {
  const FileRange range = header_metadata_range(mxf);
  size_t count = 0;
  uint64_t position = range.begin;
  while (count < kMaxCountedDescriptors && position < range.end) {
    KeySearchResult found = find_key_in_file(file, keys::kAes3Descriptor, position, range.end);
    if (!found.found) found = find_key_in_file(file, keys::kWaveDescriptor, position, range.end);
    if (!found.found) break;
    ++count;
    // Behind the value; always past the key just found, so the search advances.
    position = saturating_add(found.valuePosition, found.valueLength);
  }
  return count;
}

bool is_sound_element_key(const uint8_t* key) {
  return matches_with_item_type(key, keys::kAes3SoundElement, 0x16) ||
         matches_with_item_type(key, keys::kAes3SoundElement, 0x06) ||
         matches_with_item_type(key, keys::kBwfSoundElement, 0x16) ||
         matches_with_item_type(key, keys::kBwfSoundElement, 0x06);
}

bool is_picture_element_key(const uint8_t* key) {
  return matches_with_item_type(key, kPictureElement, 0x15) ||
         matches_with_item_type(key, kPictureElement, 0x05);
}

bool is_system_item_key(const uint8_t* key) {
  return matches_with_item_type(key, keys::kSystemMetadataPack, 0x04) ||
         matches_with_item_type(key, keys::kSystemMetadataPack, 0x14);
}

}  // namespace tavrin
