#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace tavrin::platform {

std::string user_runtime_folder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return runtime;
  return "/tmp/mxf-tavrin-" + std::to_string(::getuid());
}

namespace {

// The folder exists (made when missing), is a real folder of this user and nobody else may
// write in it.
Status prepare_folder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Status::from_errno();
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return Status::from_errno();
  if (!S_ISDIR(info.st_mode)) return Status{ENOTDIR};
  if (info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return Status{EACCES};
  }
  return Status{};
}

}  // namespace

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

InstanceLock InstanceLock::acquire(const std::string& folder, InstanceLockResult* result,
                                   Status* status) {
  InstanceLockResult localResult = InstanceLockResult::kFailed;
  Status localStatus;
  InstanceLockResult& res = result ? *result : localResult;
  Status& st = status ? *status : localStatus;
  res = InstanceLockResult::kFailed;

  InstanceLock lock;
  st = prepare_folder(folder);
  if (!st.ok()) return lock;
  lock.path_ = folder + "/" + kInstanceLockName;
  // O_NOFOLLOW: the lock file is never reached through a link; O_CLOEXEC: a program started
  // from the window does not inherit the lock and keep it after the window has ended.
  const int fd = ::open(lock.path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    st = Status::from_errno();
    return lock;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    st = Status{error};
    res = (error == EWOULDBLOCK) ? InstanceLockResult::kHeldElsewhere : InstanceLockResult::kFailed;
    return lock;
  }
  lock.fd_ = fd;
  st = Status{};
  res = InstanceLockResult::kAcquired;
  return lock;
}

}  // namespace tavrin::platform
