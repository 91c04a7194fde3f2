#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/paths.h"

namespace tavrin::platform {

Status file_node(const File& file, FileNode* out) {
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) return Status::from_errno();
  out->device = static_cast<uint64_t>(info.st_dev);
  out->inode = static_cast<uint64_t>(info.st_ino);
  return {};
}

Status free_space(const std::string& folder, uint64_t* bytes) {
  struct statvfs info {};
  if (::statvfs(folder.c_str(), &info) != 0) return Status::from_errno();
  *bytes = static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
  return {};
}

File create_new(const std::string& path, Status* status) {
  Status local;
  Status* st = status ? status : &local;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    *st = Status::from_errno();
    return File();
  }
  ::close(fd);
  // Reopened through File so that the descriptor gets its lock and its owner.
  return File::open(path, Access::kReadWriteExisting, Sharing::kNone, st);
}

Status rename_file(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return Status::from_errno();
  return {};
}

Status remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return Status::from_errno();
  return {};
}

Status sync_parent_folder(const std::string& path) {
  // A bare name lives in the current folder. (Built as a whole string: assigning the short literal
  // into the existing one trips a false -Wrestrict of GCC 12 at -O2.)
  const std::string parent = folder_of(path);
  const std::string folder = parent.empty() ? std::string(1, '.') : parent;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Status::from_errno();
  const int result = ::fsync(fd);
  const Status status = result == 0 ? Status{} : Status::from_errno();
  ::close(fd);
  return status;
}

}  // namespace tavrin::platform
