// The check every engine makes before it reads or writes a track's audio element: the bytes at
// the element's address must be a sound element of that track (its key equal to the key the
// track's element had in the first edit unit), with a 4-byte BER length and a value that holds
// the frame's samples, all inside the file. Anything else means the file's layout is not the one
// the engines address, and the job stops before it touches that run or batch.
#pragma once

#include <cstdint>
#include <string_view>

#include "mxf/records.h"

namespace tavrin {

// Bytes of a sound element's key and 4-byte length; the samples start this far into the element.
inline constexpr uint32_t kElementHeaderSize = 20;

// File position of the key of track t's element in edit unit e: filePosition + sliceOffset +
// elementDelta of delta entry t + 2.
uint64_t audio_element_position(const INDEX_ENTRY_ARRAY& entry, size_t track);

enum class ElementFault {
  kNone,
  kOutsideFile,   // the element, or the samples it must hold, would lie past the end of the file
  kNotSound,      // the key is not a frame-wrapped sound element key
  kOtherElement,  // a sound key, but not the key of this track's element
  kLengthForm,    // the length is not the 4-byte BER form
  kShortValue,    // the value holds fewer bytes than the frame's samples
  kNoTrackKey,    // the analysis recorded no key for this track
  kNoDeltaEntry,  // the edit unit's index entry has no delta entry for this track
};

// Checks the element whose first byte is at `position`; `header` holds the kElementHeaderSize
// bytes at that position (the caller has made sure they are inside the file, or passes
// position + kElementHeaderSize > fileSize to get kOutsideFile). `neededValueBytes` is
// samplesInFrame x blockAlign.
ElementFault check_audio_element(const uint8_t* header, uint64_t position, uint64_t fileSize,
                                 const MXF_LAYOUT_INFO& layout, size_t track,
                                 uint64_t neededValueBytes);

// A short English description for logs and diagnostics.
std::string_view element_fault_text(ElementFault fault);

}  // namespace tavrin
