#include "mxf/klv.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavrin {

BerLength decode_ber_length(std::span<const uint8_t> bytes) {
  BerLength ber;
  if (bytes.empty()) return ber;
  const uint8_t first = bytes[0];
  if (first < 0x80) {
    ber.ok = true;
    ber.size = 1;
    ber.value = first;
    return ber;
  }
  const size_t n = first & 0x7F;
  if (n == 0 || n > 8 || bytes.size() < 1 + n) return ber;
  uint64_t value = 0;
  for (size_t i = 1; i <= n; ++i) value = (value << 8) | bytes[i];
  ber.ok = true;
  ber.size = static_cast<uint8_t>(1 + n);
  ber.value = value;
  return ber;
}

bool key_matches(const uint8_t* key, const Key16& wanted) {
  for (size_t i = 0; i < 16; ++i) {
    if (wanted[i] != 0xFF && key[i] != wanted[i]) return false;
  }
  return true;
}

bool key_matches(const Key16& key, const Key16& wanted) {
  return key_matches(key.data(), wanted);
}

bool has_smpte_prefix(const uint8_t* key) {
  return key[0] == 0x06 && key[1] == 0x0E && key[2] == 0x2B && key[3] == 0x34;
}

namespace {

// A read-ahead window over a source, so that the byte-by-byte parts of a scan do not cost one
// system call per byte.
class WindowReader {
 public:
  explicit WindowReader(const platform::ByteSource& source) : source_(source) {}

  // A pointer to at least `n` bytes at `position`, or fewer at the end of the source: `*available`
  // receives how many bytes the pointer covers (up to the window's end).
  const uint8_t* at(uint64_t position, size_t n, size_t* available) {
    if (position < start_ || position + n > start_ + buffer_.size()) refill(position);
    if (position < start_ || position >= start_ + buffer_.size()) {
      *available = 0;
      return nullptr;
    }
    *available = static_cast<size_t>(start_ + buffer_.size() - position);
    return buffer_.data() + (position - start_);
  }

 private:
  static constexpr size_t kWindow = 64 * 1024;

  void refill(uint64_t position) {
    start_ = position;
    buffer_.resize(kWindow);
    const platform::IoResult r = source_.read_at(position, buffer_.data(), kWindow);
    // A read that fails holds nothing: the search ends as at the end of the file, never with a
    // result built on bytes of a failing device.
    buffer_.resize(r.ok() ? r.bytes : 0);
  }

  const platform::ByteSource& source_;
  std::vector<uint8_t> buffer_;
  uint64_t start_ = 0;
};

}  // namespace

KeySearchResult find_key_in_file(const platform::ByteSource& file, const Key16& wanted,
                                 uint64_t start, uint64_t end) {
  KeySearchResult result;
  if (!file.valid()) return result;
  WindowReader reader(file);
  uint64_t position = start;
  while (position < end) {
    size_t available = 0;
    const uint8_t* p = reader.at(position, 25, &available);
    if (p == nullptr || available < 16) return result;  // fewer than 16 bytes left
    if (!has_smpte_prefix(p)) {
      ++position;
      continue;
    }
    if (available < 17) return result;
    const BerLength ber = decode_ber_length({p + 16, available - 16});
    if (!ber.ok) {
      const size_t n = p[16] & 0x7F;
      if (n <= 8 && available < 17 + n) return result;  // length field cut short
      position += 16;                                   // not a triplet: go on from its length byte
      continue;
    }
    const uint64_t valuePosition = position + 16 + ber.size;
    if (key_matches(p, wanted)) {
      result.found = true;
      result.keyPosition = position;
      result.valuePosition = valuePosition;
      result.valueLength = ber.value;
      return result;
    }
    if (ber.value > UINT64_MAX - valuePosition) return result;
    position = valuePosition + ber.value;
  }
  return result;
}

MemorySearchResult find_key_in_memory(std::span<const uint8_t> buffer, const Key16& wanted) {
  MemorySearchResult result;
  const uint64_t length = buffer.size();
  if (length < 20) return result;
  uint64_t offset = 0;
  while (offset < length) {
    if (length - offset < 17) {  // a key and a length byte no longer fit
      offset = length;
      break;
    }
    const uint8_t* p = buffer.data() + offset;
    if (!has_smpte_prefix(p)) {
      ++offset;
      continue;
    }
    const BerLength ber = decode_ber_length(buffer.subspan(static_cast<size_t>(offset + 16)));
    if (!ber.ok) {
      const size_t n = p[16] & 0x7F;
      if (p[16] >= 0x81 && n <= 8 && length - offset - 17 < n) {  // length field cut short
        offset = length;
        break;
      }
      offset += 16;
      continue;
    }
    const uint64_t valueOffset = offset + 16 + ber.size;
    if (key_matches(p, wanted)) {
      result.found = true;
      result.offset = valueOffset;
      result.keyOffset = offset;
      result.valueLength = ber.value;
      return result;
    }
    if (ber.value >= length - std::min(valueOffset, length)) {
      offset = length;  // the value runs to or past the end of the buffer
      break;
    }
    offset = valueOffset + ber.value;
  }
  result.offset = offset;
  return result;
}

KlvHeader read_klv_header(const platform::ByteSource& file, uint64_t position) {
  KlvHeader header;
  uint8_t bytes[25] = {};
  if (position > file.size()) return header;
  const platform::IoResult r = file.read_at(position, bytes, sizeof bytes);
  if (!r.ok() || r.bytes < 17) return header;
  std::memcpy(header.key.data(), bytes, 16);
  header.length = decode_ber_length({bytes + 16, r.bytes - 16});
  if (!header.length.ok) return header;
  header.valuePosition = position + 16 + header.length.size;
  header.ok = true;
  return header;
}

KlvHeader read_klv_header(std::span<const uint8_t> buffer, uint64_t offset) {
  KlvHeader header;
  if (offset > buffer.size() || buffer.size() - offset < 17) return header;
  std::memcpy(header.key.data(), buffer.data() + offset, 16);
  header.length = decode_ber_length(buffer.subspan(static_cast<size_t>(offset + 16)));
  if (!header.length.ok) return header;
  header.valuePosition = offset + 16 + header.length.size;
  header.ok = true;
  return header;
}

}  // namespace tavrin
