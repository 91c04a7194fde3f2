#include "mxf/local_set.h"

#include "platform/byte_reader.h"

namespace tavrin {

bool LocalSetWalker::next(LocalItem* item) {
  if (truncated_ || offset_ >= bytes_.size()) return false;
  if (bytes_.size() - offset_ < 4) {
    truncated_ = true;
    return false;
  }
  const uint8_t* p = bytes_.data() + offset_;
  const uint16_t tag = platform::load_be16(p);
  const uint16_t length = platform::load_be16(p + 2);
  if (length > bytes_.size() - offset_ - 4) {
    truncated_ = true;
    return false;
  }
  item->tag = tag;
  item->value = bytes_.subspan(offset_ + 4, length);
  offset_ += 4 + size_t{length};
  return true;
}

}  // namespace tavrin
