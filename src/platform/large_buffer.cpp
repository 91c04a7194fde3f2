#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace tavrin::platform {

namespace {

// Below this a buffer is not worth a huge page.
constexpr uint64_t kHugePageSize = 2u << 20;

}  // namespace

LargeBuffer LargeBuffer::allocate(uint64_t bytes) {
  LargeBuffer buffer;
  if (bytes == 0 || bytes > SIZE_MAX) return buffer;
  const size_t size = static_cast<size_t>(bytes);
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return buffer;
#ifdef MADV_HUGEPAGE
  // Only a hint: without transparent huge pages the buffer works the same in small pages.
  if (bytes >= kHugePageSize) ::madvise(p, size, MADV_HUGEPAGE);
#endif
  buffer.data_ = static_cast<uint8_t*>(p);
  buffer.size_ = size;
  return buffer;
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

LargeBuffer::~LargeBuffer() { release(); }

void LargeBuffer::release() {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

}  // namespace tavrin::platform
