#include "platform/mapping.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fault_seam.h"

namespace tavrin::platform {

using fault_seam::Call;

uint64_t allocation_granularity() {
  static const uint64_t granularity = [] {
    const long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<uint64_t>(page) : uint64_t{4096};
  }();
  return granularity;
}

MappedView::~MappedView() {
  unmap();
}

MappedView::MappedView(MappedView&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      data_(std::exchange(other.data_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      mappedLength_(std::exchange(other.mappedLength_, 0)),
      mapped_(std::exchange(other.mapped_, false)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    unmap();
    base_ = std::exchange(other.base_, nullptr);
    data_ = std::exchange(other.data_, nullptr);
    length_ = std::exchange(other.length_, 0);
    mappedLength_ = std::exchange(other.mappedLength_, 0);
    mapped_ = std::exchange(other.mapped_, false);
  }
  return *this;
}

MappedView MappedView::map(const File& file, uint64_t offset, uint64_t length, ViewAccess access,
                           Status* status) {
  Status local;
  Status* st = status ? status : &local;
  MappedView view;
  if (!file.valid()) {
    *st = Status{EBADF};
    return view;
  }
  uint64_t fileSize = 0;
  if (Status s = file.size(&fileSize); !s.ok()) {
    *st = s;
    return view;
  }
  if (offset > fileSize || length > fileSize - offset) {
    *st = Status{ERANGE};
    return view;
  }
  if (length == 0) {  // an empty range needs no mapping
    view.mapped_ = true;
    *st = Status{};
    return view;
  }
  const uint64_t granularity = allocation_granularity();
  const uint64_t aligned = offset - offset % granularity;
  const uint64_t lead = offset - aligned;
  if (length > SIZE_MAX - lead) {
    *st = Status{ENOMEM};
    return view;
  }
  const int prot = access == ViewAccess::kRead ? PROT_READ : PROT_READ | PROT_WRITE;
  void* p = MAP_FAILED;
  do {
    if (const int injected = fault_seam::at(Call::kMap, access == ViewAccess::kReadWrite).error;
        injected != 0) {
      errno = injected;
      continue;
    }
    p = ::mmap(nullptr, static_cast<size_t>(length + lead), prot, MAP_SHARED, file.fd(),
               static_cast<off_t>(aligned));
  } while (p == MAP_FAILED && errno == EINTR);
  if (p == MAP_FAILED) {
    *st = Status::from_errno();
    return view;
  }
  view.base_ = static_cast<uint8_t*>(p);
  view.data_ = view.base_ + lead;
  view.length_ = length;
  view.mappedLength_ = length + lead;
  view.mapped_ = true;
  *st = Status{};
  return view;
}

Status MappedView::flush() {
  if (base_ == nullptr) return Status{};
  int rc = 0;
  do {
    if (const int injected = fault_seam::at(Call::kFlush, true).error; injected != 0) {
      errno = injected;
      rc = -1;
      continue;
    }
    rc = ::msync(base_, static_cast<size_t>(mappedLength_), MS_SYNC);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return Status::from_errno();
  return Status{};
}

void MappedView::prepare_write(uint64_t offset, uint64_t length) {
#ifdef MADV_POPULATE_WRITE
  if (base_ == nullptr || offset > length_ || length > length_ - offset || length == 0) return;
  const uint64_t granularity = allocation_granularity();
  const uint64_t from = static_cast<uint64_t>(data_ - base_) + offset;
  const uint64_t aligned = from - from % granularity;
  ::madvise(base_ + aligned, static_cast<size_t>(from + length - aligned), MADV_POPULATE_WRITE);
#else
  (void)offset;
  (void)length;
#endif
}

void MappedView::unmap() {
  if (base_ != nullptr) ::munmap(base_, static_cast<size_t>(mappedLength_));
  base_ = nullptr;
  data_ = nullptr;
  length_ = 0;
  mappedLength_ = 0;
  mapped_ = false;
}

}  // namespace tavrin::platform
