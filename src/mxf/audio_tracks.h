// Facts about the audio tracks that both the index step (the layout check) and the audio step
// need: how many audio descriptors the header metadata holds, and what a sound element key is.
#pragma once

#include <cstddef>

#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

// Counting stops here: more descriptors than this cannot be held in `trackCount`.
inline constexpr size_t kMaxCountedDescriptors = 256;

// Counts the AES3 and Wave audio descriptors in the header metadata: from the start, the next
// AES3 descriptor is searched, or when there is none the next Wave descriptor; each one found
// counts and the search goes on behind its value. Stops at kMaxCountedDescriptors.
size_t count_audio_descriptors(const platform::ByteSource& file, const MXF_BASE_INFO& mxf);

// A frame-wrapped AES3 or BWF sound element key of the generic container (SMPTE 382), item type
// byte 0x16 or the CP-compatible 0x06; the element count and number bytes are free.
bool is_sound_element_key(const uint8_t* key);
// A picture element key of the generic container (item type 0x15 or 0x05).
bool is_picture_element_key(const uint8_t* key);
// The system metadata pack of an SDTI-CP compatible system item (item type 0x04 or 0x14).
bool is_system_item_key(const uint8_t* key);

}  // namespace tavrin
