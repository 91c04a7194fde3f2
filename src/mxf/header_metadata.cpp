#include "mxf/header_metadata.h"

#include <limits>
#include <new>

#include "platform/byte_reader.h"

namespace tavrin {

uint64_t saturating_add(uint64_t a, uint64_t b) {
  return b > std::numeric_limits<uint64_t>::max() - a ? std::numeric_limits<uint64_t>::max()
                                                      : a + b;
}

FileRange header_metadata_range(const MXF_BASE_INFO& mxf) {
  if (mxf.partitions == nullptr || mxf.partitions->empty()) return {};
  const MXF_PARTITION_INFO& header = mxf.partitions->front();
  return {header.contentStart, saturating_add(header.contentStart, header.headerByteCount)};
}

SetReadStatus read_found_value(const platform::ByteSource& file, const KeySearchResult& found,
                               std::vector<uint8_t>* value) {
  value->clear();
  const uint64_t size = file.size();
  if (found.valuePosition > size || found.valueLength > size - found.valuePosition) {
    return SetReadStatus::kDamaged;
  }
  try {
    if (!platform::read_exact(file, found.valuePosition, static_cast<size_t>(found.valueLength),
                              value)) {
      return SetReadStatus::kDamaged;
    }
  } catch (const std::bad_alloc&) {
    value->clear();
    return SetReadStatus::kNoMemory;
  }
  return SetReadStatus::kFound;
}

HeaderSet read_header_set(const platform::ByteSource& file, const Key16& key, FileRange range) {
  HeaderSet set;
  set.where = find_key_in_file(file, key, range.begin, range.end);
  if (!set.where.found) return set;
  set.status = read_found_value(file, set.where, &set.value);
  return set;
}

namespace {

bool item_uint(const LocalItem& item, size_t n, uint64_t* out) {
  if (item.value.size() < n) return false;
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | item.value[i];
  *out = v;
  return true;
}

}  // namespace

bool item_u8(const LocalItem& item, uint8_t* out) {
  uint64_t v = 0;
  if (!item_uint(item, 1, &v)) return false;
  *out = static_cast<uint8_t>(v);
  return true;
}

bool item_u16(const LocalItem& item, uint16_t* out) {
  uint64_t v = 0;
  if (!item_uint(item, 2, &v)) return false;
  *out = static_cast<uint16_t>(v);
  return true;
}

bool item_u32(const LocalItem& item, uint32_t* out) {
  uint64_t v = 0;
  if (!item_uint(item, 4, &v)) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool item_u64(const LocalItem& item, uint64_t* out) {
  return item_uint(item, 8, out);
}

bool item_u32_pair(const LocalItem& item, uint32_t* first, uint32_t* second) {
  if (item.value.size() < 8) return false;
  *first = platform::load_be32(item.value.data());
  *second = platform::load_be32(item.value.data() + 4);
  return true;
}

bool item_ul(const LocalItem& item, Key16* out) {
  if (item.value.size() < out->size()) return false;
  for (size_t i = 0; i < out->size(); ++i) (*out)[i] = item.value[i];
  return true;
}

}  // namespace tavrin
