// Shared reading of header metadata sets (SMPTE 377-1 clause 9: local sets with 2-byte tags and
// 2-byte lengths). Every set the analysis reads is found by its key inside the header metadata
// of the first partition, [contentStart, contentStart + headerByteCount), and its value is read
// only when it lies inside the file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "mxf/klv.h"
#include "mxf/local_set.h"
#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

// A half-open range of file positions.
struct FileRange {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// a + b, or UINT64_MAX when the sum does not fit.
uint64_t saturating_add(uint64_t a, uint64_t b);

// The header metadata of the first partition: from behind its pack (and a fill that directly
// follows it) for headerByteCount bytes. Empty when there is no partition.
FileRange header_metadata_range(const MXF_BASE_INFO& mxf);

enum class SetReadStatus {
  kFound,
  kNotFound,
  kDamaged,   // the key is there but the value does not lie inside the file
  kNoMemory,  // the value could not be allocated
};

// A set found by its key, with its value read into memory.
struct HeaderSet {
  SetReadStatus status = SetReadStatus::kNotFound;
  KeySearchResult where;
  std::vector<uint8_t> value;
};

// Finds the first set with `key` whose key starts in [range.begin, range.end) and reads its value.
HeaderSet read_header_set(const platform::ByteSource& file, const Key16& key, FileRange range);

// Reads the value of a KLV found by a search; kDamaged when it does not lie inside the file.
SetReadStatus read_found_value(const platform::ByteSource& file, const KeySearchResult& found,
                               std::vector<uint8_t>* value);

// Typed item values (big-endian). Each is false when the item holds fewer bytes than its type;
// a longer value is read from its start.
bool item_u8(const LocalItem& item, uint8_t* out);
bool item_u16(const LocalItem& item, uint16_t* out);
bool item_u32(const LocalItem& item, uint32_t* out);
bool item_u64(const LocalItem& item, uint64_t* out);
// Two u32 (a rational: numerator, denominator).
bool item_u32_pair(const LocalItem& item, uint32_t* first, uint32_t* second);
// The first 16 bytes (a UL).
bool item_ul(const LocalItem& item, Key16* out);

}  // namespace tavrin
