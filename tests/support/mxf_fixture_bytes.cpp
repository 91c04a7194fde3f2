// Byte appenders, fills, labels and track numbers of the MXF fixture writer.
#include "support/mxf_fixture_internal.h"

namespace tavrin::test {

Ul picture_coding_row(int row) {
  static constexpr Ul kRows[7] = {
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x03,
       0x00},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x03,
       0x00},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x03, 0x02,
       0x00},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x02,
       0x00},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x08, 0x04, 0x01, 0x02, 0x02, 0x01, 0x05, 0x02,
       0x00},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A, 0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30,
       0x01},
      {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0D, 0x04, 0x01, 0x02, 0x02, 0x01, 0x31, 0x60,
       0x01},
  };
  return row >= 0 && row < 7 ? kRows[row] : kRows[1];
}

std::vector<uint8_t> truncated(std::vector<uint8_t> bytes, size_t size) {
  if (size < bytes.size()) bytes.resize(size);
  return bytes;
}

}  // namespace tavrin::test

namespace tavrin::test::fixture {

void put_u8(Bytes& out, uint8_t v) {
  out.push_back(v);
}
void put_u16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void put_u32(Bytes& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_u64(Bytes& out, uint64_t v) {
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_ul(Bytes& out, const Ul& ul) {
  out.insert(out.end(), ul.begin(), ul.end());
}

void put_ber4(Bytes& out, uint64_t length) {
  out.push_back(0x83);
  for (int i = 2; i >= 0; --i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
}

void put_ber8(Bytes& out, uint64_t length) {
  out.push_back(0x87);
  for (int i = 6; i >= 0; --i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
}

void put_ber_short(Bytes& out, uint64_t length) {
  if (length < 0x80) {
    out.push_back(static_cast<uint8_t>(length));
    return;
  }
  int n = 1;
  while (n < 8 && (length >> (8 * n)) != 0) ++n;
  out.push_back(static_cast<uint8_t>(0x80 | n));
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
}

uint64_t fill_size(uint64_t position, uint32_t align) {
  if (align <= 1) return 0;
  uint64_t gap = (align - position % align) % align;
  while (gap != 0 && gap < 20) gap += align;
  return gap;
}

void put_fill(Bytes& out, uint64_t total) {
  if (total == 0) return;
  put_ul(out, kFillKey);
  put_ber4(out, total - 20);
  out.resize(out.size() + (total - 20), 0);
}

std::vector<Ul> essence_containers(const MxfFixtureOptions& o) {
  std::vector<Ul> labels = o.essenceContainers;
  if (labels.empty()) {
    labels.push_back(o.videoDescriptor == VideoDescriptorKind::kMpeg ? kMpeg2FrameWrappedV1
                                                                     : kAvcFrameWrapped);
    if (o.trackCount > 0) {
      labels.push_back(o.soundElement == SoundElementKind::kAes3 ? kAes3FrameWrapped
                                                                 : kBwfFrameWrapped);
    }
    if (o.ancElement) labels.push_back(kAncDataContainer);
  }
  labels.insert(labels.end(), o.extraEssenceContainers.begin(), o.extraEssenceContainers.end());
  return labels;
}

uint32_t sound_element_count(const MxfFixtureOptions& o) {
  return o.soundElementCount.value_or(o.trackCount);
}

uint32_t picture_track_number(const MxfFixtureOptions& o) {
  return o.videoDescriptor == VideoDescriptorKind::kMpeg ? 0x15010501 : 0x15011001;
}

uint32_t sound_track_number(const MxfFixtureOptions& o, uint32_t track) {
  const uint32_t count = sound_element_count(o) & 0xFF;
  const uint32_t kind = o.soundElement == SoundElementKind::kAes3 ? 0x03 : 0x01;
  const uint32_t number = (o.soundElementNumberBase + track) & 0xFF;
  return 0x16000000 | count << 16 | kind << 8 | number;
}

Ul instance_uid(uint32_t n) {
  Ul uid = {0x7A, 0x76, 0x52, 0x1C, 0x4D, 0x58, 0x46, 0x46,
            0x89, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  for (int i = 0; i < 4; ++i) uid[15 - i] = static_cast<uint8_t>(n >> (8 * i));
  return uid;
}

}  // namespace tavrin::test::fixture
