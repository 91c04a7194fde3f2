// The video descriptor step (section 800): identifies the picture coding of the MPEG video
// descriptor (SMPTE 381) or the CDCI picture descriptor (SMPTE 377-1) from a fixed table, and
// reads display size, aspect ratio and bit rate for the logs; for XAVC the bit rate comes from
// the AVC sub-descriptor (SMPTE 381-3).
//
// The MPEG items (CodedContentType, MaxGOP, BPictureCount, ProfileAndLevel, BitRate) and the AVC
// bit rate are dynamic local tags that every writer numbers its own way, so each is found through
// the Primer Pack by its UL. Only where the primer has no entry for an item's UL does the program
// take the tag it knows for the MXF minor version (minor version 2 has its own table, every other
// minor version uses the table of version 3), and never a tag the primer gives another item. A
// tag is matched against the columns in order and the first match counts.
//
// Scan: CodedContentType 2 means interlaced (two fields); without that item the scan comes from
// the FrameLayout of the picture descriptor (also when it is 0, unknown) (SMPTE 377-1: 1 separate
// fields and 3 mixed fields are two fields, 0 full frame is one). For the MPEG-2 HD rows the
// descriptor gives the height of one field, so an interlaced picture's display height is doubled.
//
// Codes beyond the table of the section:
//   806  the descriptor carries no Picture Essence Coding item, so the coding cannot be told.
//   808  a descriptor is damaged: its value does not lie inside the file, an item runs past the
//        set, or a fixed item (coding UL, height, width, aspect ratio, the AVC bit rate) holds
//        fewer bytes than its type.
#include <array>
#include <optional>
#include <string_view>

#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "mxf/primer_pack.h"
#include "platform/text.h"

namespace tavrin {

namespace {

using namespace video_codes;

struct CodingRow {
  Key16 ul;
  std::string_view name;
};

constexpr CodingRow kCodings[] = {
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x03,
      0x00},
     "MPEG2 HD MP@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x03,
      0x00},
     "MPEG2 HD422P@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x02,
      0x00},
     "MPEG2 i HD MP@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x02,
      0x00},
     "MPEG2 i HD422P@HL"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x08, 0x04, 0x01, 0x02, 0x02, 0x01, 0x05, 0x02,
      0x00},
     "MPEG2 i MP@H14L"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30,
      0x01},
     "XAVC Intra"},
    {{0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0D, 0x04, 0x01, 0x02, 0x02, 0x01, 0x31, 0x60,
      0x01},
     "XAVC L422 QFHD"},
};
constexpr uint8_t kXavcIntraRow = 5;
constexpr uint8_t kXavcLongGopRow = 6;
constexpr uint32_t kQuadHdWidth = 3840;
constexpr std::string_view kNotInList = "not in list";

// Columns of the descriptor items: 0 coding, 1 height, 2 width, 3 aspect ratio, 4 .. 8 the MPEG
// items, 9 recognised and not used.
enum Column {
  kCoding,
  kHeight,
  kWidth,
  kAspect,
  kField4,
  kField5,
  kField6,
  kField7,
  kBitRate,
  kUnused
};
using ColumnTags = std::array<uint16_t, 10>;
constexpr ColumnTags kTagsVersion2 = {0x3201, 0x3208, 0x3209, 0x320E, 0x8008,
                                      0x800C, 0x800D, 0x800E, 0x800F, 0x800D};
constexpr ColumnTags kTagsVersion3 = {0x3201, 0x3208, 0x3209, 0x320E, 0x8002,
                                      0x8006, 0x8007, 0x8009, 0x8008, 0x800D};
constexpr uint16_t kTagAvcBitRate = 0x800D;
constexpr uint16_t kTagFrameLayout = 0x320C;
constexpr uint16_t kNoTag = 0;  // a column no item of this file fills

// CodedContentType values (SMPTE 381) and FrameLayout values (SMPTE 377-1).
constexpr uint8_t kProgressive = 1;
constexpr uint8_t kInterlaced = 2;
constexpr uint8_t kFullFrame = 0;
constexpr uint8_t kSeparateFields = 1;
constexpr uint8_t kMixedFields = 3;

// The tag of a dynamic item in this file: the primer's tag for its UL; without a primer entry the
// fixed tag, unless the primer gives that tag to another item.
uint16_t dynamic_tag(const PrimerPack& primer, const Key16& ul, uint16_t fixedTag) {
  if (const std::optional<uint16_t> tag = primer_tag_of(primer, ul)) return *tag;
  return primer_has_tag(primer, fixedTag) ? kNoTag : fixedTag;
}

// The column tags of this file: the fixed table with the MPEG items resolved through the primer.
ColumnTags resolve_columns(const ColumnTags& fixed, const PrimerPack& primer) {
  struct Dynamic {
    Column column;
    const Key16* ul;
  };
  static constexpr Dynamic kDynamic[] = {{kField4, &keys::kCodedContentTypeItem},
                                         {kField5, &keys::kMaxGopItem},
                                         {kField6, &keys::kBPictureCountItem},
                                         {kField7, &keys::kProfileAndLevelItem},
                                         {kBitRate, &keys::kBitRateItem}};
  ColumnTags tags = fixed;
  for (const Dynamic& d : kDynamic) tags[d.column] = dynamic_tag(primer, *d.ul, fixed[d.column]);
  return tags;
}

int column_of(uint16_t tag, const ColumnTags& tags) {
  if (tag == kNoTag) return -1;
  for (size_t c = 0; c < tags.size(); ++c) {
    if (tags[c] == tag) return static_cast<int>(c);
  }
  return -1;
}

// The field count (the CodedContentType value the program keeps) of a FrameLayout; 0 when the
// layout tells neither (single field, segmented frame, unknown values).
uint8_t scan_of_frame_layout(uint8_t frameLayout) {
  switch (frameLayout) {
    case kFullFrame:
      return kProgressive;
    case kSeparateFields:
    case kMixedFields:
      return kInterlaced;
    default:
      return 0;
  }
}

int store_coding(const LocalItem& item, MXF_VIDEO_INFO* video) {
  if (!item_ul(item, &video->pictureCoding)) return kDamaged;
  for (size_t row = 0; row < std::size(kCodings); ++row) {
    if (video->pictureCoding == kCodings[row].ul) {
      video->codingName = platform::cut_to_capacity(kCodings[row].name, kCodingNameCapacity);
      video->codingIndex = static_cast<uint8_t>(row);
      return 0;
    }
  }
  video->codingName = std::string(kNotInList);
  return kUnknownCoding;
}

// Stores one item. The fixed items must hold their type; a dynamic MPEG item that holds fewer
// bytes than the program presumes is another item of the writer's own numbering and is passed
// over (ffmpeg numbers its MPEG items from 8000 with other sizes).
int store_item(const LocalItem& item, int column, bool mpeg, MXF_VIDEO_INFO* v) {
  if (column >= kField4 && column <= kBitRate && !mpeg) return 0;
  switch (column) {
    case kCoding:
      return store_coding(item, v);
    case kHeight:
      return item_u32(item, &v->displayHeight) ? 0 : kDamaged;
    case kWidth:
      return item_u32(item, &v->displayWidth) ? 0 : kDamaged;
    case kAspect:
      return item_u32_pair(item, &v->aspectNum, &v->aspectDen) ? 0 : kDamaged;
    case kField4:
      item_u8(item, &v->mpegField4);
      break;
    case kField5:
      item_u16(item, &v->mpegField5);
      break;
    case kField6:
      item_u16(item, &v->mpegField6);
      break;
    case kField7:
      item_u8(item, &v->mpegField7);
      break;
    case kBitRate:
      item_u32(item, &v->bitRate);
      break;
    default:
      break;
  }
  return 0;
}

// The bit rate of an XAVC file from its AVC sub-descriptor, searched behind the descriptor.
int read_avc_bit_rate(const ByteSource& file, uint64_t from, FileRange range,
                      const PrimerPack& primer, MXF_VIDEO_INFO* v) {
  const HeaderSet sub = read_header_set(file, keys::kAvcSubDescriptor, {from, range.end});
  if (sub.status == SetReadStatus::kNotFound) return 0;
  if (sub.status != SetReadStatus::kFound) return kDamaged;
  const uint16_t bitRateTag = dynamic_tag(primer, keys::kAvcMaximumBitRateItem, kTagAvcBitRate);
  LocalSetWalker walker(sub.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (item.tag == kNoTag || item.tag != bitRateTag) continue;
    uint32_t bitRate = 0;
    if (!item_u32(item, &bitRate)) return kDamaged;
    const bool doubled = v->codingIndex == kXavcIntraRow && v->displayWidth >= kQuadHdWidth;
    v->bitRate = doubled ? bitRate * 2 : bitRate;
  }
  return walker.truncated() ? kDamaged : 0;
}

}  // namespace

int read_video_descriptor(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;
  if (mxf->video == nullptr) return kNoVideoInfo;
  MXF_VIDEO_INFO* video = mxf->video;
  *video = MXF_VIDEO_INFO{};  // nothing of the file loaded before may show for this one
  const FileRange range = header_metadata_range(*mxf);
  const PrimerPack primer = read_primer_pack(*file, range);

  bool mpeg = true;
  HeaderSet set = read_header_set(*file, keys::kMpegVideoDescriptor, range);
  if (set.status == SetReadStatus::kNotFound) {
    mpeg = false;
    set = read_header_set(*file, keys::kCdciDescriptor, range);
  }
  if (set.status == SetReadStatus::kNotFound) return kNotFound;
  if (set.status != SetReadStatus::kFound) return kDamaged;

  const ColumnTags tags =
      resolve_columns(mxf->versionMinor == 2 ? kTagsVersion2 : kTagsVersion3, primer);
  bool hasCoding = false;
  std::optional<uint8_t> frameLayout;
  LocalSetWalker walker(set.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (item.tag == kTagFrameLayout) {
      uint8_t layout = 0;
      if (item_u8(item, &layout)) frameLayout = layout;
      continue;
    }
    const int column = column_of(item.tag, tags);
    if (column < 0) continue;
    hasCoding = hasCoding || column == kCoding;
    if (const int code = store_item(item, column, mpeg, video); code != 0) return code;
  }
  if (walker.truncated()) return kDamaged;
  if (!hasCoding) return kNoCodingLabel;
  // No CodedContentType (or 0, unknown): the scan from the frame layout.
  if (video->mpegField4 == 0 && frameLayout) video->mpegField4 = scan_of_frame_layout(*frameLayout);

  if (video->codingIndex == kXavcIntraRow || video->codingIndex == kXavcLongGopRow) {
    const uint64_t behind = saturating_add(set.where.valuePosition, set.where.valueLength);
    if (const int code = read_avc_bit_rate(*file, behind, range, primer, video); code != 0) {
      return code;
    }
  }
  // The MPEG-2 HD rows give the height of one field: an interlaced picture has two. Any other
  // content type (progressive, mixed, unknown) leaves the height as the descriptor gives it.
  if (video->codingIndex <= 1 && video->mpegField4 == kInterlaced) video->displayHeight *= 2;
  return 0;
}

}  // namespace tavrin
