// Takes typed values from the front of a fuzz input. An input that runs out gives zeros, so every
// input, however short, builds a complete set of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace tavrin::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool empty() const { return used_ >= size_; }

  template <typename T>
  T take() {
    static_assert(std::is_integral_v<T>);
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (size_t i = 0; i < sizeof(T) && used_ < size_; ++i) {
      value = static_cast<U>(value | static_cast<U>(U{data_[used_++]} << (8 * i)));
    }
    return static_cast<T>(value);
  }

  // A value in [0, bound]; 0 for a bound of 0.
  uint32_t below_or(uint32_t bound) { return bound == 0 ? 0 : take<uint32_t>() % (bound + 1); }
  bool flag() { return (take<uint8_t>() & 1) != 0; }

  // Up to `maxBytes` raw bytes, any values (a path on Linux is any bytes but '\0').
  std::string bytes(size_t maxBytes) {
    const size_t n = below_or(static_cast<uint32_t>(maxBytes));
    std::string out;
    for (size_t i = 0; i < n && used_ < size_; ++i)
      out.push_back(static_cast<char>(data_[used_++]));
    return out;
  }

  // Valid UTF-8 of up to `maxChars` code points, as the records' texts always are: ASCII, kana,
  // kanji and characters outside the Basic Multilingual Plane.
  std::string utf8(size_t maxChars);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace tavrin::fuzz
