// A bounds-checked reader over a span of bytes. The byte order is fixed when the reader is made
// (big-endian for KLV, little-endian for RIFF). A read that does not fit sets a sticky error,
// returns zero and leaves the offset where it was; later reads fail too until clear_error().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tavrin::platform {

enum class ByteOrder { kBig, kLittle };

class ByteReader {
 public:
  ByteReader(std::span<const uint8_t> bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

  size_t offset() const { return offset_; }
  size_t size() const { return bytes_.size(); }
  size_t remaining() const { return bytes_.size() - offset_; }
  bool ok() const { return !error_; }
  void clear_error() { error_ = false; }

  // Moves to an absolute offset (at most size()); an offset past the end sets the error.
  bool seek(size_t offset);
  bool skip(size_t n);

  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  uint64_t u64();
  int8_t i8() { return static_cast<int8_t>(u8()); }
  // Reads n bytes into out; nothing is written when they do not fit.
  bool bytes(std::span<uint8_t> out);
  // A view of the next n bytes, advancing past them; empty on failure.
  std::span<const uint8_t> take(size_t n);
  std::span<const uint8_t> rest() const { return bytes_.subspan(offset_); }

 private:
  bool can_read(size_t n);
  uint64_t read_uint(size_t n);

  std::span<const uint8_t> bytes_;
  ByteOrder order_;
  size_t offset_ = 0;
  bool error_ = false;
};

// Plain decoders for a fixed number of bytes at a known-good place.
inline uint32_t load_be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint16_t load_be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint64_t load_be64(const uint8_t* p) {
  return (uint64_t{load_be32(p)} << 32) | load_be32(p + 4);
}
inline uint32_t load_le32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}
inline uint16_t load_le16(const uint8_t* p) { return static_cast<uint16_t>((p[1] << 8) | p[0]); }
inline void store_le32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16), p[3] = static_cast<uint8_t>(v >> 24);
}
inline void store_le16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace tavrin::platform
