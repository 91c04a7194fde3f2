#include "platform/byte_reader.h"

#include <cstring>

namespace tavrin::platform {

bool ByteReader::can_read(size_t n) {
  if (error_ || n > bytes_.size() - offset_) {
    error_ = true;
    return false;
  }
  return true;
}

uint64_t ByteReader::read_uint(size_t n) {
  if (!can_read(n)) return 0;
  uint64_t value = 0;
  const uint8_t* p = bytes_.data() + offset_;
  for (size_t i = 0; i < n; ++i) {
    const size_t k = order_ == ByteOrder::kBig ? i : n - 1 - i;
    value = (value << 8) | p[k];
  }
  offset_ += n;
  return value;
}

bool ByteReader::seek(size_t offset) {
  if (error_ || offset > bytes_.size()) {
    error_ = true;
    return false;
  }
  offset_ = offset;
  return true;
}

bool ByteReader::skip(size_t n) {
  if (!can_read(n)) return false;
  offset_ += n;
  return true;
}

uint8_t ByteReader::u8() { return static_cast<uint8_t>(read_uint(1)); }
uint16_t ByteReader::u16() { return static_cast<uint16_t>(read_uint(2)); }
uint32_t ByteReader::u32() { return static_cast<uint32_t>(read_uint(4)); }
uint64_t ByteReader::u64() { return read_uint(8); }

bool ByteReader::bytes(std::span<uint8_t> out) {
  if (!can_read(out.size())) return false;
  if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset_, out.size());
  offset_ += out.size();
  return true;
}

std::span<const uint8_t> ByteReader::take(size_t n) {
  if (!can_read(n)) return {};
  auto view = bytes_.subspan(offset_, n);
  offset_ += n;
  return view;
}

}  // namespace tavrin::platform
