// The content package layout that every reader of the essence relies on (SMPTE 379 generic
// container, SMPTE 385 system item): the system item first, the picture element at delta entry
// 1, track t's sound element at filePosition + sliceOffset + the elementDelta of delta entry
// t + 2, and with ANC data the ANC element at the last delta entry. The index step checks the
// first and the last edit unit against it and refuses a file that differs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

// Bytes of a KLV key and a 4-byte BER length.
inline constexpr uint64_t kKlvHeader4 = 20;

// An edit unit, the number of slice offsets (NSL) of the segment that gave it and the entry's
// slice offsets as the segment holds them (the array keeps only the last): slice k > 0 starts
// sliceOffsets[k - 1] bytes behind the edit unit's start.
struct IndexedEditUnit {
  const INDEX_ENTRY_ARRAY* entry = nullptr;
  uint8_t sliceCount = 0;
  std::vector<uint32_t> sliceOffsets;
};

// True when the headers of the elements the engines address in this edit unit (the system item
// at its start and the sound element of each track that has a delta entry) lie inside the file.
bool content_package_fits(const INDEX_ENTRY_ARRAY& entry, size_t trackCount, uint64_t fileSize);

// Checks the first and the last edit unit and fills `layout` from the first. Every element is
// located through the slice its delta entry names; the sound and ANC elements must lie in the last
// slice, the one whose offset the engines use. Returns 0 or one of
// 610 (no system item), 611 (no picture element at delta entry 1), 612 (a track's sound element
// is not where the engines address it), 614 (the ANC element is not the last delta entry), 615
// (the last edit unit is laid out otherwise than the first).
int check_content_package_layout(const platform::ByteSource& file, const MXF_BASE_INFO& mxf,
                                 const IndexedEditUnit& first, const IndexedEditUnit& last,
                                 size_t trackCount, MXF_LAYOUT_INFO* layout);

}  // namespace tavrin
