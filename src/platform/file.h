// Files on disk: open modes with advisory locks, positioned 64-bit reads and writes that loop over
// short transfers, size, flush, and the file times. Calls interrupted by a signal (EINTR) are
// repeated. Every system call that opens, moves, flushes, truncates or closes passes the test
// seam of fault_seam.h.
//
// Sharing follows the Windows share modes the program was designed around: "no sharing" takes an
// exclusive non-blocking flock, "read sharing" a shared one. The locks are advisory: they keep two
// instances of this program (and cooperating tools) from writing a file that another one reads.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrin::platform {

// errno-style status: 0 is success.
struct Status {
  int error = 0;
  bool ok() const { return error == 0; }
  static Status from_errno();
};

// Bytes moved by a read or write and the error that stopped it early (0 when it did not stop or
// stopped at the end of the file).
struct IoResult {
  size_t bytes = 0;
  int error = 0;
  bool ok() const { return error == 0; }
};

enum class Access {
  kReadExisting,       // O_RDONLY, the file must exist
  kReadWriteExisting,  // O_RDWR, the file must exist
  kWriteExisting,      // O_WRONLY, the file must exist
  kCreateReplace,      // O_WRONLY | O_CREAT | O_TRUNC
  kCreateNew,          // O_WRONLY | O_CREAT | O_EXCL: EEXIST when the name is taken (a link too)
};

enum class Sharing {
  kNone,  // exclusive advisory lock, refused while anyone else holds a lock on the file
  kRead,  // shared advisory lock, refused while someone holds the exclusive lock
  kAny,   // no lock
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`; on failure the returned file is not valid and `status` holds errno
  // (EWOULDBLOCK when the lock is held elsewhere, EACCES for writing a file whose mode has no
  // write permission for anyone, also for the superuser).
  static File open(const std::string& path, Access access, Sharing sharing, Status* status);

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Reads up to n bytes at offset; loops over short reads; stops at the end of the file.
  IoResult read_at(uint64_t offset, void* buffer, size_t n) const;
  // Writes n bytes at offset; loops over short writes; a write that makes no progress is ENOSPC.
  IoResult write_at(uint64_t offset, const void* buffer, size_t n);

  Status size(uint64_t* out) const;
  Status sync();  // fdatasync
  // Releases the descriptor (also when the system reports an error, as Linux does). An
  // interrupted close has released it too and is not an error.
  Status close();

 private:
  File(int fd, bool writable) : fd_(fd), writable_(writable) {}
  int fd_ = -1;
  bool writable_ = false;
};

// A point in time as the file system keeps it.
struct FileTime {
  int64_t seconds = 0;
  int64_t nanoseconds = 0;
};

// The directory record of a file: size, birth time where the file system keeps one (otherwise the
// last-write time stands in), last-access and last-write time.
struct DirectoryRecord {
  uint64_t size = 0;
  FileTime creation;
  FileTime lastAccess;
  FileTime lastWrite;
  bool hasBirthTime = false;
  // The file's identity on its file system: a file replaced under the same name (written anew and
  // renamed over the old one) has another.
  uint64_t device = 0;
  uint64_t inode = 0;
};

Status stat_file(const std::string& path, DirectoryRecord* out);
Status stat_file(const File& file, DirectoryRecord* out);
bool file_exists(const std::string& path);

// Sets the last-access and last-write times of an open file.
Status set_file_times(const File& file, FileTime lastAccess, FileTime lastWrite);
FileTime now_utc_whole_seconds();

// Makes a write past the process's file-size limit (RLIMIT_FSIZE) fail with EFBIG, so that it
// takes the writer's error path, instead of SIGXFSZ ending the process with a cut file and no
// message. Called once at the start of a program.
void ignore_file_size_signal();

// Windows FILETIME units (100 ns since 1601-01-01 UTC), used as sort keys.
uint64_t to_windows_file_time(FileTime t);

}  // namespace tavrin::platform
