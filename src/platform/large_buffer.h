// Large working buffers for the batch engines: anonymous memory mapped for the job, asked for in
// huge pages where the system offers them, so that filling a buffer of hundreds of megabytes
// costs a few hundred page faults instead of a hundred thousand. The memory is zero on creation
// and returned to the system when the buffer goes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::platform {

class LargeBuffer {
 public:
  LargeBuffer() = default;
  // `bytes` bytes of zeros; an empty buffer (data() null) when the memory cannot be had or
  // `bytes` is 0.
  static LargeBuffer allocate(uint64_t bytes);

  LargeBuffer(LargeBuffer&& other) noexcept;
  LargeBuffer& operator=(LargeBuffer&& other) noexcept;
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;
  ~LargeBuffer();

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  void release();
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace tavrin::platform
