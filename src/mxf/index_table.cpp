// The index table step (section 600): turns the index table segments (SMPTE 377-1 clause 11)
// into the per-frame INDEX_ENTRY_ARRAY, gives each frame its sample count from the five-frame
// cadence, checks the content package layout of the first and the last edit unit, and measures
// the ANC data element (SMPTE 436) that wrapping steps over.
//
// A complete index in the footer (a footer segment starting at edit unit 0) replaces every
// other segment. Each entry is matched to the partition of its segment's BodySID whose essence
// holds its StreamOffset; its file position is the StreamOffset plus that partition's essence
// base. The array is built in one pass with one allocation, straight from the entry bytes in the
// area buffers.
//
// Codes beyond the table of the section:
//   608  an index table segment is damaged: a segment, an item or an array (delta entries,
//        index entries) does not fit where it stands, an item holds fewer bytes than its type,
//        the index areas claim more bytes than the file holds, or the entries number more than
//        the array can count.
//   609  an index entry points outside the file: its StreamOffset with the partition's essence
//        base, or the elements its content package must hold, lie past the end of the file.
//   610  the first edit unit does not start with an SDTI-CP system item (system metadata pack
//        with a 4-byte length).
//   611  the first edit unit has no picture element where delta entry 1 says.
//   612  the index does not locate every audio track: fewer delta entries than tracks + 2, an
//        audio delta entry outside the last slice, no sound element with a 4-byte length at a
//        track's address, or tracks whose elements are not distinct and in ascending order.
//   613  the index gives no edit unit a position: a constant-size index (EditUnitByteCount
//        without an IndexEntryArray) or segments without entries.
//   614  the file carries ANC data but the last delta entry is not the ANC element.
//   615  the last edit unit is laid out otherwise than the first.
//   616  no memory for the index areas or the array.
// On a failure the slot is left empty.
#include <algorithm>
#include <limits>
#include <new>

#include "mxf/analysis.h"
#include "mxf/audio_tracks.h"
#include "mxf/header_metadata.h"
#include "mxf/index_segments.h"
#include "mxf/keys.h"
#include "mxf/klv.h"
#include "mxf/layout_check.h"
#include "platform/byte_reader.h"
#include "timecode/timecode.h"

namespace tavrin {

namespace {

using namespace index_codes;

constexpr uint32_t kFooterKind = 2;
constexpr uint64_t kAncSearchSpan = 16;
constexpr uint64_t kFillSearchSpan = 16;

// With a complete index in the footer only the footer's segments count.
void keep_complete_footer_index(const std::vector<MXF_PARTITION_INFO>& partitions,
                                std::vector<IndexSegment>* segments) {
  auto inFooter = [&](const IndexSegment& s) {
    return partitions[s.partition].kind == kFooterKind;
  };
  const bool complete = std::any_of(segments->begin(), segments->end(), [&](const IndexSegment& s) {
    return inFooter(s) && s.startPosition == 0;
  });
  if (!complete) return;
  std::erase_if(*segments, [&](const IndexSegment& s) { return !inFooter(s); });
}

// The partitions that hold essence, ordered by BodySID and BodyOffset (file order among equal
// offsets). An edit unit lies in the last partition of its segment's BodySID whose BodyOffset is
// at or below its StreamOffset: a partition that starts at the same offset as a later one holds
// none of its bytes. Matching each entry by its own StreamOffset holds however the segments are
// cut: several segments per partition, a segment read from the partition behind its essence, or
// one complete segment over several partitions.
std::vector<uint32_t> essence_order(const std::vector<MXF_PARTITION_INFO>& partitions) {
  std::vector<uint32_t> order;
  for (size_t p = 0; p < partitions.size(); ++p) {
    if (partitions[p].bodySid != 0) order.push_back(static_cast<uint32_t>(p));
  }
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const MXF_PARTITION_INFO& pa = partitions[a];
    const MXF_PARTITION_INFO& pb = partitions[b];
    return pa.bodySid != pb.bodySid ? pa.bodySid < pb.bodySid : pa.bodyOffset < pb.bodyOffset;
  });
  return order;
}

// The partition (of `order`, made by essence_order) whose essence holds `streamOffset` of stream
// `bodySid`, or `fallback` when no partition of that stream starts at or before it.
uint32_t partition_holding(const std::vector<uint32_t>& order,
                           const std::vector<MXF_PARTITION_INFO>& partitions, uint32_t bodySid,
                           uint64_t streamOffset, uint32_t fallback) {
  const auto first = std::partition_point(
      order.begin(), order.end(), [&](uint32_t p) { return partitions[p].bodySid < bodySid; });
  const auto after = std::partition_point(first, order.end(), [&](uint32_t p) {
    return partitions[p].bodySid == bodySid && partitions[p].bodyOffset <= streamOffset;
  });
  return after == first ? fallback : *(after - 1);
}

// Entries of the kept segments; 613 for an index that positions no edit unit, 608 when the sum
// does not fit the count.
int count_entries(const std::vector<IndexSegment>& segments, uint32_t* total) {
  uint64_t sum = 0;
  for (const IndexSegment& s : segments) {
    if (s.editUnitByteCount != 0 && !s.hasEntryArray) return kNoEntries;
    sum += s.entryCount;
  }
  if (sum == 0) return kNoEntries;
  if (sum > std::numeric_limits<uint32_t>::max()) return kDamaged;
  *total = static_cast<uint32_t>(sum);
  return 0;
}

// Fills the elements of one segment from its entry bytes, each against the partition that holds
// its essence. Returns 0 or 609.
int fill_segment_entries(const IndexSegment& s, const std::vector<MXF_PARTITION_INFO>& partitions,
                         const std::vector<uint32_t>& essenceOrder, uint64_t fileSize,
                         size_t trackCount, INDEX_ENTRY_ARRAY* out) {
  for (uint32_t i = 0; i < s.entryCount; ++i) {
    platform::ByteReader r(s.entries.subspan(size_t{i} * s.entrySize, s.entrySize),
                           platform::ByteOrder::kBig);
    INDEX_ENTRY_ARRAY& e = out[i];
    e.segmentStart = s.startPosition;
    e.segmentDuration = s.duration;
    e.temporalOffset = r.i8();
    e.keyFrameOffset = r.i8();
    e.flags = r.u8();
    const uint64_t streamOffset = r.u64();
    for (uint8_t k = 0; k < s.sliceCount; ++k) e.sliceOffset = r.u32();
    for (uint8_t k = 0; k < s.posTableCount; ++k) e.posTable = r.u64();
    e.deltaCount = s.deltaCount;
    e.deltas = s.deltas;
    e.partition = partition_holding(essenceOrder, partitions, s.bodySid, streamOffset, s.partition);
    const uint64_t base = partitions[e.partition].essenceBase;
    if (base > fileSize || streamOffset > fileSize - base) return kOutsideFile;
    e.filePosition = base + streamOffset;
    if (!content_package_fits(e, trackCount, fileSize)) return kOutsideFile;
  }
  return 0;
}

// The edit unit of entry `i` of a segment with all of its slice offsets, read from the entry's
// bytes (behind TemporalOffset, KeyFrameOffset, Flags and StreamOffset).
IndexedEditUnit edit_unit_of(const IndexSegment& s, uint32_t i, const INDEX_ENTRY_ARRAY* entry) {
  IndexedEditUnit unit{entry, s.sliceCount, {}};
  constexpr size_t kSliceOffsetsAt = 11;
  platform::ByteReader r(s.entries.subspan(size_t{i} * s.entrySize, s.entrySize),
                         platform::ByteOrder::kBig);
  r.skip(kSliceOffsetsAt);
  unit.sliceOffsets.reserve(s.sliceCount);
  for (uint8_t k = 0; k < s.sliceCount; ++k) unit.sliceOffsets.push_back(r.u32());
  return unit;
}

// Bytes the ANC element and the fill behind it take in each content package, counting both
// headers as 20 bytes. Left as it was when the element is not found.
void measure_anc_element(const ByteSource& file, const INDEX_ENTRY_ARRAY& first,
                         MXF_BASE_INFO* mxf) {
  if (mxf->hasAncData == 0) {
    mxf->ancElementSize = 0;
    return;
  }
  if (first.deltaCount == 0) return;
  const size_t last = std::min<size_t>(first.deltaCount, kMaxDeltaEntries) - 1;
  const uint64_t position =
      first.filePosition + first.sliceOffset + first.deltas[last].elementDelta;
  const KeySearchResult anc =
      find_key_in_file(file, keys::kAncDataElement, position, position + kAncSearchSpan);
  if (!anc.found) return;
  const uint64_t valueEnd = saturating_add(anc.valuePosition, anc.valueLength);
  const KeySearchResult fill =
      find_key_in_file(file, keys::kFillItem, valueEnd, saturating_add(valueEnd, kFillSearchSpan));
  const uint64_t size = fill.found ? anc.valueLength + fill.valueLength + 2 * kKlvHeader4
                                   : anc.valueLength + kKlvHeader4;
  mxf->ancElementSize = static_cast<uint32_t>(size);
}

int build_index(const ByteSource& file, MXF_BASE_INFO* mxf) {
  const std::vector<MXF_PARTITION_INFO>& partitions = *mxf->partitions;
  const uint64_t fileSize = file.size();

  IndexAreas areas;
  std::vector<IndexSegment> segments;
  if (const int code = read_index_segments(file, partitions, &areas, &segments); code != 0) {
    return code;
  }
  keep_complete_footer_index(partitions, &segments);
  if (segments.empty()) return kNoSegment;

  uint32_t total = 0;
  if (const int code = count_entries(segments, &total); code != 0) return code;
  mxf->timecode->indexEntryCount = total;

  // The content packages must hold the elements of every audio track.
  const size_t trackCount = count_audio_descriptors(file, *mxf);

  std::vector<INDEX_ENTRY_ARRAY>& slot = *mxf->indexEntries;
  slot.resize(total);  // the one allocation of the array
  IndexedEditUnit first;
  IndexedEditUnit last;
  const std::vector<uint32_t> essenceOrder = essence_order(partitions);
  size_t k = 0;
  for (const IndexSegment& s : segments) {
    if (s.entryCount == 0) continue;
    const int code =
        fill_segment_entries(s, partitions, essenceOrder, fileSize, trackCount, slot.data() + k);
    if (code != 0) return code;
    if (first.entry == nullptr) first = edit_unit_of(s, 0, slot.data() + k);
    k += s.entryCount;
    last = edit_unit_of(s, s.entryCount - 1, slot.data() + k - 1);
  }

  uint64_t maxDuration = 0;
  for (size_t i = 0; i < slot.size(); ++i) {
    maxDuration = std::max(maxDuration, slot[i].segmentDuration);
    slot[i].samplesInFrame = tc::samples_in_frame(mxf->timecode->rateCode, i);
  }
  mxf->timecode->maxSegmentDuration = static_cast<uint32_t>(maxDuration);

  MXF_LAYOUT_INFO scratch;
  MXF_LAYOUT_INFO* layout = mxf->layout != nullptr ? mxf->layout : &scratch;
  if (const int code = check_content_package_layout(file, *mxf, first, last, trackCount, layout);
      code != 0) {
    return code;
  }
  measure_anc_element(file, slot.front(), mxf);
  return 0;
}

}  // namespace

int read_index_table(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;
  if (mxf->timecode == nullptr) return kNoTimecodeInfo;
  if (mxf->indexEntries == nullptr) return kNoIndexSlot;
  std::vector<INDEX_ENTRY_ARRAY>& slot = *mxf->indexEntries;
  std::vector<INDEX_ENTRY_ARRAY>().swap(slot);
  if (mxf->layout != nullptr) *mxf->layout = MXF_LAYOUT_INFO{};

  int code = 0;
  try {
    code = build_index(*file, mxf);
  } catch (const std::bad_alloc&) {
    code = kNoMemory;
  } catch (const std::length_error&) {
    code = kNoMemory;
  }
  if (code != 0) std::vector<INDEX_ENTRY_ARRAY>().swap(slot);
  return code;
}

}  // namespace tavrin
