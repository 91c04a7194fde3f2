// One exported BWF file being written: created new (never over an existing file, no sharing), the
// header first, then the samples appended frame after frame through a small buffer, so that a
// frame costs a copy rather than a system call. Every write and the close are checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"

namespace tavrin {

class TrackWriter {
 public:
  TrackWriter() = default;
  ~TrackWriter() { finish(); }
  TrackWriter(TrackWriter&&) noexcept = default;
  TrackWriter& operator=(TrackWriter&&) noexcept = default;
  TrackWriter(const TrackWriter&) = delete;
  TrackWriter& operator=(const TrackWriter&) = delete;

  // Creates the file, which must not exist (error() is EEXIST when the name is taken, by a link
  // too); `expectedBytes` (header and samples) sizes the buffer. False when the file cannot be
  // created. A writer whose creation failed may be asked to create another name.
  bool create(const std::string& path, uint64_t expectedBytes);
  // Appends bytes; false when a write failed (the error sticks).
  bool append(const uint8_t* bytes, size_t n);
  // Writes what the buffer holds and closes the file; false when a write or the close failed,
  // now or earlier.
  bool finish();

  bool failed() const { return error_ != 0; }
  int error() const { return error_; }

 private:
  bool drain();

  platform::File file_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  uint64_t written_ = 0;
  int error_ = 0;
};

}  // namespace tavrin
