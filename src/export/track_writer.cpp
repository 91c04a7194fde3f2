#include "export/track_writer.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace tavrin {

namespace {
// Enough to turn the per-frame writes of a track (a few kilobytes each) into large ones.
constexpr uint64_t kBufferBytes = uint64_t{1} << 20;
}  // namespace

bool TrackWriter::create(const std::string& path, uint64_t expectedBytes) {
  platform::Status status;
  error_ = 0;
  file_ =
      platform::File::open(path, platform::Access::kCreateNew, platform::Sharing::kNone, &status);
  if (!file_.valid()) {
    error_ = status.error;
    return false;
  }
  const uint64_t wanted = expectedBytes < kBufferBytes ? expectedBytes : kBufferBytes;
  if (wanted > 0) {
    // Without a buffer every append is written directly; slower, never wrong.
    buffer_.reset(new (std::nothrow) uint8_t[wanted]);
    capacity_ = buffer_ ? static_cast<size_t>(wanted) : 0;
  }
  return true;
}

bool TrackWriter::drain() {
  if (used_ == 0 || error_ != 0) return error_ == 0;
  const platform::IoResult put = file_.write_at(written_, buffer_.get(), used_);
  written_ += put.bytes;
  if (put.bytes != used_) error_ = put.error != 0 ? put.error : EIO;
  used_ = 0;
  return error_ == 0;
}

bool TrackWriter::append(const uint8_t* bytes, size_t n) {
  if (error_ != 0) return false;
  if (used_ + n > capacity_ && !drain()) return false;
  if (n > capacity_) {
    const platform::IoResult put = file_.write_at(written_, bytes, n);
    written_ += put.bytes;
    if (put.bytes != n) error_ = put.error != 0 ? put.error : EIO;
    return error_ == 0;
  }
  std::memcpy(buffer_.get() + used_, bytes, n);
  used_ += n;
  return true;
}

bool TrackWriter::finish() {
  if (!file_.valid()) return error_ == 0;
  drain();
  const platform::Status closed = file_.close();
  if (!closed.ok() && error_ == 0) error_ = closed.error;
  buffer_.reset();
  capacity_ = 0;
  return error_ == 0;
}

}  // namespace tavrin
