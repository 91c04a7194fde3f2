// The identification step (section 900): copies the writing application's company, product,
// version and platform from the first Identification set (SMPTE 377-1 clause 9.5.2) for the logs.
// It never stops the analysis: the runner does not examine its result.
//
// Texts are UTF-16 big-endian in the file. Every unit outside printable ASCII (0x20 .. 0x7E)
// becomes a blank; a zero unit ends the text (writers that terminate their strings would
// otherwise leave a trailing blank). Each text is cut to the capacity of its field.
//
// Codes beyond the table of the section:
//   904  the Identification set is damaged: its value does not lie inside the file or an item
//        runs past the set. The texts read before the damage are kept.
#include <string>

#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "platform/text.h"

namespace tavrin {

namespace {

using namespace identification_codes;

constexpr char kUnknown[] = "unknown";

std::string printable_text(std::span<const uint8_t> value, size_t capacity) {
  std::string text;
  const size_t units = (value.size() + 1) / 2;
  // A text longer than its field is cut; nothing past the capacity needs to be looked at.
  for (size_t i = 0; i < units && text.size() + 1 < capacity; ++i) {
    const uint8_t high = value[2 * i];
    const uint8_t low = 2 * i + 1 < value.size() ? value[2 * i + 1] : 0;
    const uint16_t unit = static_cast<uint16_t>((high << 8) | low);
    if (unit == 0) break;
    text.push_back(unit >= 0x20 && unit <= 0x7E ? static_cast<char>(unit) : ' ');
  }
  return platform::cut_to_capacity(text, capacity);
}

void store_item(const LocalItem& item, MXF_BASE_INFO* mxf) {
  switch (item.tag) {
    case 0x3C01:
      mxf->companyName = printable_text(item.value, kCompanyNameCapacity);
      break;
    case 0x3C02:
      mxf->productName = printable_text(item.value, kProductNameCapacity);
      break;
    case 0x3C04:
      mxf->versionString = printable_text(item.value, kVersionStringCapacity);
      break;
    case 0x3C08:
      mxf->platform = printable_text(item.value, kPlatformCapacity);
      break;
    default:
      break;
  }
}

}  // namespace

int read_identification(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;

  mxf->companyName = kUnknown;
  mxf->productName = kUnknown;
  mxf->platform = kUnknown;

  const HeaderSet set =
      read_header_set(*file, keys::kIdentificationSet, header_metadata_range(*mxf));
  if (set.status == SetReadStatus::kNotFound) return 0;
  if (set.status != SetReadStatus::kFound) return kDamaged;

  LocalSetWalker walker(set.value);
  LocalItem item;
  while (walker.next(&item)) store_item(item, mxf);
  return walker.truncated() ? kDamaged : 0;
}

}  // namespace tavrin
