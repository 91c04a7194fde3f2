// The Primer Pack of the header partition (SMPTE 377-1 clause 9.2): the table that maps each
// 2-byte local tag of the header metadata to the 16-byte UL of its item. Static tags (below
// 0x8000) are the same in every file; dynamic tags are numbered by each writer, so an item with a
// dynamic tag is found through the UL the primer gives it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "mxf/header_metadata.h"
#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

struct PrimerEntry {
  uint16_t tag = 0;
  Key16 ul{};
};

struct PrimerPack {
  std::vector<PrimerEntry> entries;
};

// Parses a Primer Pack value: batch count (u32), item size (u32), count items of a tag (u16) and
// a UL. False, with no entries, when the batch does not fit the value or its items are shorter
// than a tag and a UL (a longer item size is stepped over).
bool parse_primer_pack(std::span<const uint8_t> value, PrimerPack* primer);

// The Primer Pack found in the header metadata; empty when there is none or it is damaged, so
// that the readers fall back to the tags they know.
PrimerPack read_primer_pack(const platform::ByteSource& file, FileRange headerMetadata);

// The local tag the primer gives `ul`, compared without the registry version byte (byte 7), which
// writers set to the version of the dictionary they took the item from.
std::optional<uint16_t> primer_tag_of(const PrimerPack& primer, const Key16& ul);
// True when the primer maps `tag` to some UL.
bool primer_has_tag(const PrimerPack& primer, uint16_t tag);

}  // namespace tavrin
