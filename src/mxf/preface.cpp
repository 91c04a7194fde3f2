// The Preface step (section 300): reads the Preface set (SMPTE 377-1 clause 9.5.1) of the header
// metadata and decides whether the program can work on the file at all: operational pattern
// OP1a, a frame-wrapped MPEG-2 or AVC essence container, MXF version 1.x or x.3 and below; it also
// notes whether the file carries ANC data (SMPTE 436).
//
// Codes beyond the table of the section:
//   309  the Preface set is damaged: its value does not lie inside the file, an item runs past
//        the set, or an item holds fewer bytes than its type (the Operational Pattern UL, the
//        EssenceContainers batch with its count, the Version).
#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "platform/byte_reader.h"

namespace tavrin {

namespace {

using namespace preface_codes;

constexpr uint16_t kTagOperationalPattern = 0x3B09;
constexpr uint16_t kTagEssenceContainers = 0x3B0A;
constexpr uint16_t kTagVersion = 0x3B05;

// Byte 14 of the OP UL: the qualifier of OP1a that the program accepts.
constexpr size_t kOpQualifierByte = 14;
constexpr uint8_t kOp1aQualifier = 0x09;

constexpr size_t kBatchHeader = 8;  // count u32, item size u32
constexpr size_t kUlSize = 16;

bool is_video_container(const uint8_t* ul) {
  return key_matches(ul, keys::kMpeg2FrameWrappedV1) ||
         key_matches(ul, keys::kMpeg2FrameWrappedV2) || key_matches(ul, keys::kAvcFrameWrapped);
}

// The EssenceContainers batch: one of the video containers must be listed; the ANC container
// sets hasAncData. The count must fit the item.
int check_essence_containers(const LocalItem& item, MXF_BASE_INFO* mxf) {
  if (item.value.size() < kBatchHeader) return kDamaged;
  const uint32_t count = platform::load_be32(item.value.data());
  if (count > (item.value.size() - kBatchHeader) / kUlSize) return kDamaged;
  bool video = false;
  bool anc = false;
  for (uint32_t j = 0; j < count; ++j) {
    const uint8_t* ul = item.value.data() + kBatchHeader + kUlSize * j;
    video = video || is_video_container(ul);
    anc = anc || key_matches(ul, keys::kAncDataContainer);
  }
  if (!video) return kNotFrameWrapped;
  mxf->hasAncData = anc ? 1 : 0;
  return 0;
}

int check_item(const LocalItem& item, MXF_BASE_INFO* mxf) {
  switch (item.tag) {
    case kTagOperationalPattern:
      if (item.value.size() <= kOpQualifierByte) return kDamaged;
      return item.value[kOpQualifierByte] == kOp1aQualifier ? 0 : kNotOp1a;
    case kTagEssenceContainers:
      return check_essence_containers(item, mxf);
    case kTagVersion:
      if (item.value.size() < 2) return kDamaged;
      mxf->versionMajor = item.value[0];
      mxf->versionMinor = item.value[1];
      // Major version 1 passes whatever its minor version; so does a minor version up to 3.
      return (mxf->versionMajor > 1 && mxf->versionMinor > 3) ? kBadVersion : 0;
    default:
      return 0;
  }
}

}  // namespace

int read_preface(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;

  const HeaderSet set = read_header_set(*file, keys::kPrefaceSet, header_metadata_range(*mxf));
  switch (set.status) {
    case SetReadStatus::kNotFound:
      return kNotFound;
    case SetReadStatus::kNoMemory:
      return kNoMemory;
    case SetReadStatus::kDamaged:
      return kDamaged;
    case SetReadStatus::kFound:
      break;
  }

  LocalSetWalker walker(set.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (const int code = check_item(item, mxf); code != 0) return code;
  }
  return walker.truncated() ? kDamaged : 0;
}

}  // namespace tavrin
