// Pieces of the MXF fixture writer shared by its source files: big-endian byte appenders, KLV
// fills, the content package geometry, the header metadata and the index table segments.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mxf_fixture.h"

namespace tavrin::test::fixture {

using Bytes = std::vector<uint8_t>;

inline constexpr Ul kFillKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x02,
                                0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};

void put_u8(Bytes& out, uint8_t v);
void put_u16(Bytes& out, uint16_t v);
void put_u32(Bytes& out, uint32_t v);
void put_u64(Bytes& out, uint64_t v);
void put_ul(Bytes& out, const Ul& ul);
// 0x83 and three bytes.
void put_ber4(Bytes& out, uint64_t length);
// 0x87 and seven bytes.
void put_ber8(Bytes& out, uint64_t length);
// The shortest form: one byte below 128, else 0x80 | n and n bytes.
void put_ber_short(Bytes& out, uint64_t length);

// Bytes of the fill that brings `position` to a multiple of `align`: 0 when it is there already
// (or align is 0 or 1), else at least the 20 bytes of an empty fill, a further grid step on when
// the gap is smaller.
uint64_t fill_size(uint64_t position, uint32_t align);
// A KLV fill of `total` bytes (0, or at least 20), value zero.
void put_fill(Bytes& out, uint64_t total);

// Essence container labels of the Preface and the packs.
std::vector<Ul> essence_containers(const MxfFixtureOptions& o);
uint32_t sound_element_count(const MxfFixtureOptions& o);
// Track number (bytes 12..15 of the element key) of the picture, of sound track t, of the ANC.
uint32_t picture_track_number(const MxfFixtureOptions& o);
uint32_t sound_track_number(const MxfFixtureOptions& o, uint32_t track);
inline constexpr uint32_t kAncTrackNumber = 0x17010201;

// Where the elements sit inside every content package.
struct PackageGeometry {
  uint32_t systemOffset = 0;  // meaningful only with a system item
  uint32_t pictureOffset = 0;
  uint32_t pictureEnd = 0;   // behind the picture's fill
  uint32_t soundOffset = 0;  // of the first sound slot
  uint32_t soundSlot = 0;
  uint32_t soundHeader = 20;  // key and length field
  uint32_t ancOffset = 0;
  uint32_t ancBlock = 0;
  uint32_t sliceOffset = 0;  // start of slice 1: the first element behind the picture
  uint32_t sliceCount = 0;
  std::vector<uint32_t> sliceOffsets;  // sliceCount offsets, as every index entry carries them
  uint64_t size = 0;
  std::vector<FixtureDeltaEntry> deltas;  // as written (padding, cutting and emptiness applied)
  Ul packageLabel{};                      // the essence container named in the system item
};
PackageGeometry package_geometry(const MxfFixtureOptions& o);

// Appends the content package of `frame`. `picture` holds the picture element's value.
void append_content_package(Bytes& out, const MxfFixtureOptions& o, const PackageGeometry& g,
                            uint64_t frame, const Bytes& picture);
// The picture value of every frame: for MPEG-2 the headers of an intra frame, then filler bytes.
Bytes picture_filler(const MxfFixtureOptions& o);

// Header metadata from the Primer Pack to the last set, without the trailing fill. Set offsets
// (from the start of the metadata) go to `layout` when given.
Bytes header_metadata(const MxfFixtureOptions& o, MxfFixtureLayout* layout);

struct SegmentRange {
  uint64_t start = 0;
  uint64_t duration = 0;
};
// Splits frames [first, first + count) into segments no longer than one segment may hold.
std::vector<SegmentRange> split_segments(const MxfFixtureOptions& o, const PackageGeometry& g,
                                         uint64_t first, uint64_t count);
uint64_t index_segment_size(const MxfFixtureOptions& o, const PackageGeometry& g,
                            uint64_t duration);
// `fileSize` is what a StreamOffset "past the end" is made from; `instance` numbers the segment.
void append_index_segment(Bytes& out, const MxfFixtureOptions& o, const PackageGeometry& g,
                          const SegmentRange& range, uint64_t fileSize, uint32_t instance);

// A 16-byte instance UID numbered n.
Ul instance_uid(uint32_t n);

}  // namespace tavrin::test::fixture
