// Random Index Pack and partition packs (SMPTE 377-1, clauses 6 and 12).
#include <algorithm>
#include <vector>

#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "mxf/klv.h"
#include "platform/byte_reader.h"

namespace tavrin {

namespace {

using platform::ByteOrder;
using platform::ByteReader;
using namespace partition_codes;

// Fixed fields of a partition pack, through the Operational Pattern, and the EssenceContainers
// batch header that follows them.
constexpr uint64_t kPackFixedFields = 88;
constexpr uint64_t kRipEntrySize = 12;

bool is_open_status(uint8_t status) { return status == 0x01 || status == 0x03; }

// Where a partition's contents begin: behind the pack and behind a KLV fill that directly
// follows it. With a KAG of 512 and a short pack this is thisPartition + 512; with a KAG of 1
// nothing follows the pack and the header metadata starts right behind it.
uint64_t content_start(const ByteSource& file, uint64_t packValueEnd) {
  const KlvHeader fill = read_klv_header(file, packValueEnd);
  if (!fill.ok || !key_matches(fill.key, keys::kFillItem)) return packValueEnd;
  if (fill.length.value > file.size() - fill.valuePosition) return packValueEnd;
  return fill.valuePosition + fill.length.value;
}

// Reads the pack at `byteOffset` into `info`. Returns 0, or the step's code.
int read_pack(const ByteSource& file, uint64_t byteOffset, uint32_t count,
              MXF_PARTITION_INFO* info, uint32_t* kindMask) {
  if (byteOffset >= file.size()) return kBadPack;
  const KlvHeader header = read_klv_header(file, byteOffset);
  if (!header.ok || !key_matches(header.key, keys::kPartitionPack)) return kBadPack;
  const uint8_t kindByte = header.key[13];
  if (kindByte < 0x02 || kindByte > 0x04) return kBadPack;
  if (header.length.value < kPackFixedFields ||
      header.length.value > file.size() - header.valuePosition) {
    return kBadPack;
  }
  std::vector<uint8_t> pack;
  if (!platform::read_exact(file, header.valuePosition, kPackFixedFields, &pack)) return kBadPack;

  ByteReader r(pack, ByteOrder::kBig);
  info->packKey = header.key;
  const uint16_t majorVersion = r.u16();
  const uint16_t minorVersion = r.u16();
  const uint32_t kagSize = r.u32();
  const uint64_t thisPartition = r.u64();
  r.skip(16);  // PreviousPartition, FooterPartition
  const uint64_t headerByteCount = r.u64();
  const uint64_t indexByteCount = r.u64();
  const uint32_t indexSid = r.u32();
  const uint64_t bodyOffset = r.u64();
  const uint32_t bodySid = r.u32();
  r.bytes(info->operationalPattern);
  if (!r.ok()) return kBadPack;

  if (is_open_status(header.key[14])) return kOpenPartition;

  info->partitionCount = count;
  info->majorVersion = majorVersion;
  info->minorVersion = minorVersion;
  info->kind = static_cast<uint32_t>(kindByte - 0x02);
  info->packLength = static_cast<uint32_t>(header.length.value);
  info->kagSize = kagSize;
  info->thisPartition = thisPartition;
  info->headerByteCount = headerByteCount;
  info->indexByteCount = indexByteCount;
  info->indexSid = indexSid;
  info->bodyOffset = bodyOffset;
  info->bodySid = bodySid;
  info->contentStart = content_start(file, header.valuePosition + header.length.value);
  // Stream offset 0 of this partition's essence; wraps for nonsense values, which the index step
  // then finds outside the file.
  info->essenceBase = info->contentStart + headerByteCount + indexByteCount - bodyOffset;
  *kindMask |= info->kind;

  if (majorVersion != 1 && minorVersion > 3) return kBadVersion;
  return 0;
}

}  // namespace

int read_partitions(const ByteSource* file, uint64_t fileSize, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;
  std::vector<MXF_PARTITION_INFO>& slot = *mxf->partitions;
  slot.clear();

  // The RIP ends the file; its last four bytes give its overall length.
  fileSize = std::min(fileSize, file->size());
  if (fileSize < 4) return kNoRip;
  uint8_t tail[4];
  if (file->read_at(fileSize - 4, tail, 4).bytes != 4) return kNoRip;
  const uint64_t ripLength = platform::load_be32(tail);
  if (ripLength < 4 || ripLength > fileSize) return kNoRip;

  const KeySearchResult rip =
      find_key_in_file(*file, keys::kRandomIndexPack, fileSize - ripLength, fileSize - 4);
  if (!rip.found || rip.valueLength > fileSize - rip.valuePosition) return kNoRip;

  // The value holds 12-byte entries followed by the 4-byte overall length.
  const uint64_t entryCount = rip.valueLength / kRipEntrySize;
  std::vector<uint8_t> entries;
  if (!platform::read_exact(*file, rip.valuePosition, entryCount * kRipEntrySize, &entries)) {
    return kNoRip;
  }

  slot.resize(entryCount);
  uint32_t kindMask = 0;
  ByteReader r(entries, platform::ByteOrder::kBig);
  for (uint64_t i = 0; i < entryCount; ++i) {
    r.u32();  // BodySID of the entry; the pack says the same
    const uint64_t byteOffset = r.u64();
    const int code =
        read_pack(*file, byteOffset, static_cast<uint32_t>(entryCount), &slot[i], &kindMask);
    if (code == kOpenPartition) return code;  // the array stays in the slot
    if (code != 0) {
      slot.clear();
      return code;
    }
  }
  if ((kindMask & 2) == 0) {
    slot.clear();
    return kNoFooter;
  }
  return 0;
}

}  // namespace tavrin
