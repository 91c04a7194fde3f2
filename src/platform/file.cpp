#include "platform/file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

#include "platform/fault_seam.h"
#include "platform/job_file_lock.h"

namespace tavrin::platform {

using fault_seam::Call;

namespace {

// The result of a system call, or -1 with errno set to the error the test seam injects.
template <typename F>
auto call_or_fault(Call call, bool writable, F&& f) -> decltype(f()) {
  if (const int injected = fault_seam::at(call, writable).error; injected != 0) {
    errno = injected;
    return -1;
  }
  return f();
}

}  // namespace

Status Status::from_errno() {
  return Status{errno == 0 ? EIO : errno};
}

File::~File() {
  close();
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writable_(std::exchange(other.writable_, false)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    writable_ = std::exchange(other.writable_, false);
  }
  return *this;
}

File File::open(const std::string& path, Access access, Sharing sharing, Status* status) {
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::kReadExisting:
      flags |= O_RDONLY;
      break;
    case Access::kReadWriteExisting:
      flags |= O_RDWR;
      break;
    case Access::kWriteExisting:
      flags |= O_WRONLY;
      break;
    case Access::kCreateReplace:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case Access::kCreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
  }
  Status local;
  Status* st = status ? status : &local;
  if (path.empty()) {
    *st = Status{ENOENT};
    return File();
  }
  // Take the lock before truncating, so a replace never empties a file that someone else holds.
  const bool truncate = (flags & O_TRUNC) != 0;
  const bool writable = access != Access::kReadExisting;
  // O_NONBLOCK keeps a FIFO or device from blocking the open; only regular files are taken.
  int fd = -1;
  do {
    fd = call_or_fault(Call::kOpen, writable,
                       [&] { return ::open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK, 0644); });
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *st = Status::from_errno();
    return File();
  }
  File file(fd, writable);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    *st = Status::from_errno();
    return File();
  }
  if (!S_ISREG(info.st_mode)) {
    *st = Status{S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
    return File();
  }
  // A file whose mode lets nobody write it was marked read-only by its owner: it is not written,
  // not even by a process the permission check lets through (the superuser).
  if (writable && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    *st = Status{EACCES};
    return File();
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // A file a job of this process holds is already locked against everyone else (job_file_lock.h).
  const bool held =
      held_by_this_process(static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino));
  if (sharing != Sharing::kAny && !held) {
    const int op = (sharing == Sharing::kNone ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, op) != 0) {
      *st = Status::from_errno();
      return File();
    }
  }
  if (truncate) {
    int rc = 0;
    do {
      rc = call_or_fault(Call::kTruncate, true, [&] { return ::ftruncate(fd, 0); });
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      *st = Status::from_errno();
      return File();
    }
  }
  *st = Status{};
  return file;
}

IoResult File::read_at(uint64_t offset, void* buffer, size_t n) const {
  IoResult result;
  if (fd_ < 0) {
    result.error = EBADF;
    return result;
  }
  auto* out = static_cast<unsigned char*>(buffer);
  while (result.bytes < n) {
    const fault_seam::Fault fault = fault_seam::at(Call::kRead, writable_);
    errno = fault.error;
    const ssize_t got =
        fault.error != 0
            ? -1
            : ::pread(fd_, out + result.bytes, fault_seam::transfer_size(fault, n - result.bytes),
                      static_cast<off_t>(offset + result.bytes));
    if (got < 0) {
      if (errno == EINTR) continue;
      result.error = errno;
      break;
    }
    if (got == 0) break;  // end of file
    result.bytes += static_cast<size_t>(got);
  }
  return result;
}

IoResult File::write_at(uint64_t offset, const void* buffer, size_t n) {
  // One piece: the same retries, short writes and faults as a gathered write.
  const ByteRange piece{static_cast<const uint8_t*>(buffer), n};
  return write_gather_at(offset, std::span<const ByteRange>(&piece, 1));
}

IoResult File::write_gather_at(uint64_t offset, std::span<const ByteRange> pieces) {
  IoResult result;
  if (fd_ < 0) {
    result.error = EBADF;
    return result;
  }
  size_t total = 0;
  for (const ByteRange& p : pieces) total += p.size;
  // The first byte not yet written: piece `next`, `within` bytes into it.
  size_t next = 0;
  size_t within = 0;
  constexpr int kMaxVectors = 1024;  // IOV_MAX on Linux
  iovec vectors[kMaxVectors];
  while (result.bytes < total) {
    const fault_seam::Fault fault = fault_seam::at(Call::kWrite, writable_);
    const size_t allowed = fault_seam::transfer_size(fault, total - result.bytes);
    int count = 0;
    size_t window = 0;
    for (size_t i = next; i < pieces.size() && count < kMaxVectors && window < allowed; ++i) {
      const size_t skip = i == next ? within : 0;
      const size_t n = std::min(pieces[i].size - skip, allowed - window);
      if (n == 0) continue;
      vectors[count].iov_base = const_cast<uint8_t*>(pieces[i].data + skip);
      vectors[count].iov_len = n;
      ++count;
      window += n;
    }
    errno = fault.error;
    const ssize_t put = fault.error != 0 ? -1
                                         : ::pwritev(fd_, vectors, count,
                                                     static_cast<off_t>(offset + result.bytes));
    if (put < 0) {
      if (errno == EINTR) continue;
      result.error = errno;
      break;
    }
    if (put == 0) {
      result.error = ENOSPC;
      break;
    }
    result.bytes += static_cast<size_t>(put);
    for (size_t left = static_cast<size_t>(put); left > 0;) {
      const size_t rest = pieces[next].size - within;
      if (left < rest) {
        within += left;
        left = 0;
      } else {
        left -= rest;
        ++next;
        within = 0;
      }
    }
  }
  return result;
}

void File::advise_sequential() const {
  if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

Status File::size(uint64_t* out) const {
  struct stat info {};
  if (fd_ < 0) return Status{EBADF};
  if (::fstat(fd_, &info) != 0) return Status::from_errno();
  *out = static_cast<uint64_t>(info.st_size);
  return Status{};
}

Status File::sync() {
  if (fd_ < 0) return Status{EBADF};
  int rc = 0;
  do {
    rc = call_or_fault(Call::kFlush, writable_, [&] { return ::fdatasync(fd_); });
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return Status::from_errno();
  return Status{};
}

Status File::close() {
  if (fd_ < 0) return Status{};
  const int fd = std::exchange(fd_, -1);
  const bool writable = std::exchange(writable_, false);
  // The descriptor is gone after close() whatever it reports, so the injected error comes after
  // the real call; EINTR is not retried (that could close a descriptor another thread just got).
  int rc = ::close(fd);
  if (const int injected = fault_seam::at(Call::kClose, writable).error; injected != 0) {
    errno = injected;
    rc = -1;
  }
  if (rc != 0 && errno != EINTR) return Status::from_errno();
  return Status{};
}

namespace {

FileTime from_statx(const struct statx_timestamp& ts) {
  return FileTime{ts.tv_sec, static_cast<int64_t>(ts.tv_nsec)};
}

Status fill_record(int dirfd, const char* path, int flags, DirectoryRecord* out) {
  struct statx info {};
  if (::statx(dirfd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    return Status::from_errno();
  }
  out->size = info.stx_size;
  out->lastAccess = from_statx(info.stx_atime);
  out->lastWrite = from_statx(info.stx_mtime);
  out->hasBirthTime = (info.stx_mask & STATX_BTIME) != 0;
  out->creation = out->hasBirthTime ? from_statx(info.stx_btime) : out->lastWrite;
  out->device = (uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor;
  out->inode = info.stx_ino;
  return Status{};
}

}  // namespace

Status stat_file(const std::string& path, DirectoryRecord* out) {
  if (path.empty()) return Status{ENOENT};
  return fill_record(AT_FDCWD, path.c_str(), 0, out);
}

Status stat_file(const File& file, DirectoryRecord* out) {
  if (!file.valid()) return Status{EBADF};
  return fill_record(file.fd(), "", AT_EMPTY_PATH, out);
}

bool file_exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

Status set_file_times(const File& file, FileTime lastAccess, FileTime lastWrite) {
  if (!file.valid()) return Status{EBADF};
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(lastAccess.seconds);
  times[0].tv_nsec = static_cast<long>(lastAccess.nanoseconds);
  times[1].tv_sec = static_cast<time_t>(lastWrite.seconds);
  times[1].tv_nsec = static_cast<long>(lastWrite.nanoseconds);
  if (::futimens(file.fd(), times) != 0) return Status::from_errno();
  return Status{};
}

FileTime now_utc_whole_seconds() {
  return FileTime{static_cast<int64_t>(::time(nullptr)), 0};
}

uint64_t to_windows_file_time(FileTime t) {
  // A file system stores any 64-bit time a program sets: times before 1601 give 0, times past
  // the range of the unit give the largest key, instead of a sum or product that overflows.
  constexpr int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970
  constexpr uint64_t kUnitsPerSecond = 10000000;
  if (t.seconds < -kEpochDifference) return 0;
  const uint64_t seconds = static_cast<uint64_t>(t.seconds) + uint64_t{kEpochDifference};
  const uint64_t fraction = t.nanoseconds > 0 ? static_cast<uint64_t>(t.nanoseconds) / 100 : 0;
  if (seconds > (UINT64_MAX - fraction) / kUnitsPerSecond) return UINT64_MAX;
  return seconds * kUnitsPerSecond + fraction;
}

void ignore_file_size_signal() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, nullptr);
}

}  // namespace tavrin::platform
