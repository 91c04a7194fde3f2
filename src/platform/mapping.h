// Memory views of open files. A view starts at the requested offset rounded down to the
// allocation granularity (the page size) and never reaches past the end of the file: asking for
// bytes the file does not hold is refused with ERANGE instead of leaving a mapping whose tail
// would raise SIGBUS when touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file.h"

namespace tavrin::platform {

// The granularity views are aligned to.
uint64_t allocation_granularity();

enum class ViewAccess { kRead, kReadWrite };

class MappedView {
 public:
  MappedView() = default;
  ~MappedView();
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  // Maps `length` bytes of `file` from `offset`; refused with ERANGE when offset + length exceeds
  // the file's present size.
  static MappedView map(const File& file, uint64_t offset, uint64_t length, ViewAccess access,
                        Status* status);

  bool valid() const { return mapped_; }
  // First byte of the requested range (not of the aligned mapping).
  uint8_t* data() const { return data_; }
  uint64_t size() const { return length_; }
  // Offset of the requested range within its allocation granule.
  uint64_t granule_offset() const { return static_cast<uint64_t>(data_ - base_); }

  // Writes the dirty pages of a read/write view back to the file (msync MS_SYNC).
  Status flush();
  // Maps the pages holding bytes [offset, offset + length) of the view writable in one call, so
  // that writing them takes no page fault per page. Only a hint: the pages hold the same bytes,
  // and a kernel without the call leaves them to fault as usual.
  void prepare_write(uint64_t offset, uint64_t length);
  void unmap();

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
  uint64_t length_ = 0;
  uint64_t mappedLength_ = 0;
  bool mapped_ = false;
};

}  // namespace tavrin::platform
