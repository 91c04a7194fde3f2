#include "mxf/primer_pack.h"

#include "mxf/keys.h"
#include "platform/byte_reader.h"

namespace tavrin {

namespace {

constexpr size_t kBatchHeader = 8;
constexpr size_t kEntryBytes = 2 + 16;
constexpr size_t kVersionByte = 7;

bool same_item(const Key16& a, const Key16& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (i != kVersionByte && a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

bool parse_primer_pack(std::span<const uint8_t> value, PrimerPack* primer) {
  primer->entries.clear();
  platform::ByteReader header(value, platform::ByteOrder::kBig);
  const uint32_t count = header.u32();
  const uint32_t itemSize = header.u32();
  if (!header.ok() || itemSize < kEntryBytes) return false;
  const size_t room = value.size() - kBatchHeader;
  if (count > room / itemSize) return false;
  primer->entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    platform::ByteReader r(value.subspan(kBatchHeader + size_t{i} * itemSize, kEntryBytes),
                           platform::ByteOrder::kBig);
    PrimerEntry e;
    e.tag = r.u16();
    r.bytes(e.ul);
    primer->entries.push_back(e);
  }
  return true;
}

PrimerPack read_primer_pack(const platform::ByteSource& file, FileRange headerMetadata) {
  PrimerPack primer;
  const HeaderSet pack = read_header_set(file, keys::kPrimerPack, headerMetadata);
  if (pack.status == SetReadStatus::kFound) parse_primer_pack(pack.value, &primer);
  return primer;
}

std::optional<uint16_t> primer_tag_of(const PrimerPack& primer, const Key16& ul) {
  for (const PrimerEntry& e : primer.entries) {
    if (same_item(e.ul, ul)) return e.tag;
  }
  return std::nullopt;
}

bool primer_has_tag(const PrimerPack& primer, uint16_t tag) {
  for (const PrimerEntry& e : primer.entries) {
    if (e.tag == tag) return true;
  }
  return false;
}

}  // namespace tavrin
