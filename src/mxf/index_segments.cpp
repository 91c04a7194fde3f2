#include "mxf/index_segments.h"

#include <new>

#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "mxf/klv.h"
#include "mxf/local_set.h"
#include "platform/byte_reader.h"

namespace tavrin {

namespace {

using namespace index_codes;

constexpr uint16_t kTagStartPosition = 0x3F0C;
constexpr uint16_t kTagDuration = 0x3F0D;
constexpr uint16_t kTagEditUnitByteCount = 0x3F05;
constexpr uint16_t kTagBodySid = 0x3F07;
constexpr uint16_t kTagSliceCount = 0x3F08;
constexpr uint16_t kTagPosTableCount = 0x3F0E;
constexpr uint16_t kTagDeltaEntryArray = 0x3F09;
constexpr uint16_t kTagIndexEntryArray = 0x3F0A;

constexpr size_t kBatchHeader = 8;  // count u32, item size u32
constexpr size_t kDeltaEntrySize = 6;
constexpr size_t kEntryFixedSize = 11;

int parse_delta_entries(std::span<const uint8_t> value, IndexSegment* segment) {
  if (value.size() < kBatchHeader) return kDamaged;
  const uint32_t count = platform::load_be32(value.data());
  if (count > kMaxDeltaEntries) return kTooManyDeltas;
  if (count > (value.size() - kBatchHeader) / kDeltaEntrySize) return kDamaged;
  segment->deltaCount = count;
  segment->deltas = {};
  platform::ByteReader r(value.subspan(kBatchHeader), platform::ByteOrder::kBig);
  for (uint32_t i = 0; i < count; ++i) {
    segment->deltas[i].posTableIndex = r.i8();
    segment->deltas[i].slice = r.u8();
    segment->deltas[i].elementDelta = r.u32();
  }
  return r.ok() ? 0 : kDamaged;
}

int parse_index_entries(std::span<const uint8_t> value, IndexSegment* segment) {
  if (value.size() < kBatchHeader) return kDamaged;
  const uint32_t count = platform::load_be32(value.data());
  const size_t entrySize =
      kEntryFixedSize + 4 * size_t{segment->sliceCount} + 8 * size_t{segment->posTableCount};
  if (count > (value.size() - kBatchHeader) / entrySize) return kDamaged;
  segment->hasEntryArray = true;
  segment->entryCount = count;
  segment->entrySize = entrySize;
  segment->entries = value.subspan(kBatchHeader, size_t{count} * entrySize);
  return 0;
}

int parse_item(const LocalItem& item, IndexSegment* s) {
  switch (item.tag) {
    case kTagStartPosition:
      return item_u64(item, &s->startPosition) ? 0 : kDamaged;
    case kTagDuration:
      return item_u64(item, &s->duration) ? 0 : kDamaged;
    case kTagEditUnitByteCount:
      return item_u32(item, &s->editUnitByteCount) ? 0 : kDamaged;
    case kTagBodySid:
      return item_u32(item, &s->bodySid) ? 0 : kDamaged;
    case kTagSliceCount:
      return item_u8(item, &s->sliceCount) ? 0 : kDamaged;
    case kTagPosTableCount:
      return item_u8(item, &s->posTableCount) ? 0 : kDamaged;
    case kTagDeltaEntryArray:
      return parse_delta_entries(item.value, s);
    case kTagIndexEntryArray:
      return parse_index_entries(item.value, s);
    default:
      return 0;
  }
}

// Scans one index area for segments; fill items between them are stepped over.
int scan_area(std::span<const uint8_t> area, uint32_t partition,
              std::vector<IndexSegment>* segments) {
  uint64_t offset = 0;
  while (offset < area.size()) {
    const std::span<const uint8_t> rest = area.subspan(static_cast<size_t>(offset));
    const MemorySearchResult segment = find_key_in_memory(rest, keys::kIndexTableSegment);
    if (segment.found) {
      if (segment.valueLength > rest.size() - segment.offset) return kDamaged;
      IndexSegment parsed;
      parsed.partition = partition;
      const int code = parse_index_segment(rest.subspan(static_cast<size_t>(segment.offset),
                                                        static_cast<size_t>(segment.valueLength)),
                                           &parsed);
      if (code != 0) return code;
      segments->push_back(parsed);
      offset += segment.offset + segment.valueLength;
      continue;
    }
    const MemorySearchResult fill = find_key_in_memory(rest, keys::kFillItem);
    if (!fill.found) break;
    offset = saturating_add(offset + fill.offset, fill.valueLength);
  }
  return 0;
}

}  // namespace

int parse_index_segment(std::span<const uint8_t> value, IndexSegment* segment) {
  LocalSetWalker walker(value);
  LocalItem item;
  while (walker.next(&item)) {
    if (const int code = parse_item(item, segment); code != 0) return code;
  }
  return walker.truncated() ? kDamaged : 0;
}

int read_index_segments(const platform::ByteSource& file,
                        const std::vector<MXF_PARTITION_INFO>& partitions, IndexAreas* areas,
                        std::vector<IndexSegment>* segments) {
  const uint64_t fileSize = file.size();
  uint64_t bytesHeld = 0;
  for (size_t p = 0; p < partitions.size(); ++p) {
    const MXF_PARTITION_INFO& partition = partitions[p];
    if (partition.indexSid == 0) continue;
    const uint64_t start = saturating_add(partition.contentStart, partition.headerByteCount);
    if (start >= fileSize) continue;
    const uint64_t length = std::min(partition.indexByteCount, fileSize - start);
    if (length == 0) continue;
    // Index areas do not overlap in a sound file; together they cannot exceed it.
    if (length > fileSize - bytesHeld) return kDamaged;
    bytesHeld += length;
    try {
      areas->buffers.emplace_back();
      if (!platform::read_exact(file, start, static_cast<size_t>(length), &areas->buffers.back())) {
        return kDamaged;
      }
    } catch (const std::bad_alloc&) {
      return kNoMemory;
    }
    if (const int code = scan_area(areas->buffers.back(), static_cast<uint32_t>(p), segments);
        code != 0) {
      return code;
    }
  }
  return 0;
}

}  // namespace tavrin
