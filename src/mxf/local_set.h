// Walking the items of a header metadata local set (SMPTE 377-1 with 2-byte local tags and 2-byte
// lengths). The walk stays inside the set's value: an item whose length runs past the value ends
// the walk with `truncated` set.
#pragma once

#include <cstdint>
#include <span>

namespace tavrin {

struct LocalItem {
  uint16_t tag = 0;
  std::span<const uint8_t> value;
};

class LocalSetWalker {
 public:
  explicit LocalSetWalker(std::span<const uint8_t> setValue) : bytes_(setValue) {}
  // The next item, or false at the end of the set (or at an item that does not fit).
  bool next(LocalItem* item);
  bool truncated() const { return truncated_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
  bool truncated_ = false;
};

}  // namespace tavrin
