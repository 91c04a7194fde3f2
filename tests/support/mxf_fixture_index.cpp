// Index table segments of the MXF fixture writer: one entry per content package, the delta entries
// of the package geometry, split into segments whose items fit their 16-bit local lengths.
#include <algorithm>

#include "support/mxf_fixture_internal.h"

namespace tavrin::test::fixture {

namespace {

constexpr Ul kIndexSegmentKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                                 0x0D, 0x01, 0x02, 0x01, 0x01, 0x10, 0x01, 0x00};
constexpr uint32_t kMaxItemValue = 0xFFFF;

uint32_t entry_size(const PackageGeometry& g) {
  return 11 + 4 * g.sliceCount;
}

uint64_t delta_item_value(const PackageGeometry& g) {
  return 8 + 6 * uint64_t{g.deltas.size()};
}

void put_item_header(Bytes& out, uint16_t tag, uint64_t length) {
  put_u16(out, tag);
  put_u16(out, static_cast<uint16_t>(length));
}

}  // namespace

std::vector<SegmentRange> split_segments(const MxfFixtureOptions& o, const PackageGeometry& g,
                                         uint64_t first, uint64_t count) {
  uint64_t limit = o.maxSegmentDuration != 0 ? o.maxSegmentDuration : UINT64_MAX;
  if (!o.constantSizeIndex) limit = std::min<uint64_t>(limit, (kMaxItemValue - 8) / entry_size(g));
  std::vector<SegmentRange> ranges;
  for (uint64_t done = 0; done < count;) {
    const uint64_t n = std::min(limit, count - done);
    ranges.push_back({first + done, n});
    done += n;
  }
  return ranges;
}

uint64_t index_segment_size(const MxfFixtureOptions& o, const PackageGeometry& g,
                            uint64_t duration) {
  uint64_t items = 20 + 12 * 3 + 8 * 3 + 5 * 2 + 4 + delta_item_value(g);
  if (!o.constantSizeIndex) items += 4 + 8 + duration * entry_size(g);
  return 20 + items;
}

void append_index_segment(Bytes& out, const MxfFixtureOptions& o, const PackageGeometry& g,
                          const SegmentRange& range, uint64_t fileSize, uint32_t instance) {
  const uint64_t total = index_segment_size(o, g, range.duration);
  put_ul(out, kIndexSegmentKey);
  put_ber4(out, total - 20);
  put_item_header(out, 0x3C0A, 16);
  put_ul(out, instance_uid(instance));
  put_item_header(out, 0x3F0B, 8);
  put_u32(out, o.editRateNum);
  put_u32(out, o.editRateDen);
  put_item_header(out, 0x3F0C, 8);
  put_u64(out, range.start);
  put_item_header(out, 0x3F0D, 8);
  put_u64(out, range.duration);
  put_item_header(out, 0x3F05, 4);
  put_u32(out, o.constantSizeIndex ? static_cast<uint32_t>(g.size) : 0);
  put_item_header(out, 0x3F06, 4);
  put_u32(out, 2);
  put_item_header(out, 0x3F07, 4);
  put_u32(out, 1);
  put_item_header(out, 0x3F08, 1);
  put_u8(out, static_cast<uint8_t>(g.sliceCount));
  put_item_header(out, 0x3F0E, 1);
  put_u8(out, 0);

  put_item_header(out, 0x3F09, delta_item_value(g));
  put_u32(out, static_cast<uint32_t>(g.deltas.size()) + o.ndeExtra);
  put_u32(out, 6);
  for (const FixtureDeltaEntry& d : g.deltas) {
    put_u8(out, static_cast<uint8_t>(d.posTableIndex));
    put_u8(out, d.slice);
    put_u32(out, d.elementDelta);
  }
  if (o.constantSizeIndex) return;

  put_item_header(out, 0x3F0A, 8 + range.duration * entry_size(g));
  put_u32(out, static_cast<uint32_t>(range.duration) + o.nieExtra);
  put_u32(out, entry_size(g));
  for (uint64_t k = range.start; k < range.start + range.duration; ++k) {
    put_u8(out, 0);     // temporal offset
    put_u8(out, 0);     // key frame offset
    put_u8(out, 0x80);  // random access (intra pictures)
    const bool past = o.streamOffsetPastEnd && *o.streamOffsetPastEnd == k;
    put_u64(out, past ? fileSize : k * g.size);
    for (const uint32_t offset : g.sliceOffsets) put_u32(out, offset);
  }
}

}  // namespace tavrin::test::fixture
