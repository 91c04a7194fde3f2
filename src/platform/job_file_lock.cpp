#include "platform/job_file_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

namespace tavrin::platform {

namespace {

// A held file and the process that holds it: a child made by fork inherits the list but not the
// hold's standing, so it locks the file as any other process does (and is refused).
struct Identity {
  uint64_t device = 0;
  uint64_t inode = 0;
  pid_t process = 0;
  bool operator==(const Identity&) const = default;
};

// The files this process holds; the engines open files on their worker threads.
std::mutex gHeldMutex;
std::vector<Identity> gHeld;

}  // namespace

bool held_by_this_process(uint64_t device, uint64_t inode) {
  const std::lock_guard<std::mutex> lock(gHeldMutex);
  return std::find(gHeld.begin(), gHeld.end(), Identity{device, inode, ::getpid()}) != gHeld.end();
}

JobFileLock JobFileLock::take(const std::string& path, Status* status) {
  Status local;
  Status& st = status != nullptr ? *status : local;
  JobFileLock hold;
  File file = File::open(path, Access::kReadExisting, Sharing::kAny, &st);
  if (!file.valid()) return hold;
  // The identity as File::open sees it (st_dev, st_ino of fstat).
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) {
    st = Status::from_errno();
    return hold;
  }
  const Identity identity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                          ::getpid()};
  const std::lock_guard<std::mutex> lock(gHeldMutex);
  // A second job of this process on the file is refused as one of another process is.
  if (std::find(gHeld.begin(), gHeld.end(), identity) != gHeld.end()) {
    st = Status{EWOULDBLOCK};
    return hold;
  }
  if (::flock(file.fd(), LOCK_EX | LOCK_NB) != 0) {
    st = Status::from_errno();
    return hold;
  }
  gHeld.push_back(identity);
  hold.file_ = std::move(file);
  hold.device_ = identity.device;
  hold.inode_ = identity.inode;
  st = Status{};
  return hold;
}

void JobFileLock::release() {
  if (!file_.valid()) return;
  {
    const std::lock_guard<std::mutex> lock(gHeldMutex);
    const auto it = std::find(gHeld.begin(), gHeld.end(), Identity{device_, inode_, ::getpid()});
    if (it != gHeld.end()) gHeld.erase(it);
  }
  file_.close();
}

JobFileLock::~JobFileLock() {
  release();
}

JobFileLock::JobFileLock(JobFileLock&& other) noexcept
    : file_(std::move(other.file_)), device_(other.device_), inode_(other.inode_) {}

JobFileLock& JobFileLock::operator=(JobFileLock&& other) noexcept {
  if (this != &other) {
    release();
    file_ = std::move(other.file_);
    device_ = other.device_;
    inode_ = other.inode_;
  }
  return *this;
}

}  // namespace tavrin::platform
