// Reading the index table segments (SMPTE 377-1 clause 11) of every partition's index area into
// a list, in the order they were found: partition by partition in the order of the partition
// array, and within a partition in file order. The entries of a segment are not copied: each
// segment keeps a view of its IndexEntryArray bytes in the area buffer that holds them.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <span>
#include <vector>

#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

struct IndexSegment {
  uint32_t partition = 0;  // the partition it was read from; matched to its essence later
  uint64_t startPosition = 0;
  uint64_t duration = 0;
  uint32_t editUnitByteCount = 0;
  uint32_t bodySid = 0;
  uint8_t sliceCount = 0;     // NSL: slice offsets per entry
  uint8_t posTableCount = 0;  // NPE: PosTable values per entry
  uint32_t deltaCount = 0;
  std::array<DeltaEntry, kMaxDeltaEntries> deltas{};
  bool hasEntryArray = false;
  uint32_t entryCount = 0;
  size_t entrySize = 0;  // 11 + 4 x NSL + 8 x NPE, with NSL and NPE as read before the array
  std::span<const uint8_t> entries;  // entryCount x entrySize bytes in an area buffer
};

// The index areas read from the file; the segments' entry views point into them.
struct IndexAreas {
  std::list<std::vector<uint8_t>> buffers;
};

// Reads the index area of every partition with an IndexSID: indexByteCount bytes from
// contentStart + headerByteCount, as far as the file reaches, and appends the segments found
// there. Returns 0, 607 for a segment with more than 26 delta entries, 608 for a segment or
// array that does not fit where it stands (or index areas that together claim more bytes than
// the file holds), 616 when an area cannot be allocated.
int read_index_segments(const platform::ByteSource& file,
                        const std::vector<MXF_PARTITION_INFO>& partitions, IndexAreas* areas,
                        std::vector<IndexSegment>* segments);

// Parses one segment's value (a local set). Returns 0, 607 or 608 as above.
int parse_index_segment(std::span<const uint8_t> value, IndexSegment* segment);

}  // namespace tavrin
