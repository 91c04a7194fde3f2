#include "platform/job_file_lock.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace tavrin::platform {

namespace {

struct Identity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const Identity&) const = default;
};

// The files this process holds; the engines open files on their worker threads.
std::mutex gHeldMutex;
std::vector<Identity> gHeld;

}  // namespace

bool held_by_this_process(uint64_t device, uint64_t inode) {
  const std::lock_guard<std::mutex> lock(gHeldMutex);
  return std::find(gHeld.begin(), gHeld.end(), Identity{device, inode}) != gHeld.end();
}

JobFileLock JobFileLock::take(const std::string& path, Status* status) {
  Status local;
  Status& st = status != nullptr ? *status : local;
  JobFileLock hold;
  File file = File::open(path, Access::kReadExisting, Sharing::kNone, &st);
  if (!file.valid()) return hold;
  // The identity as File::open sees it (st_dev, st_ino of fstat).
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) {
    st = Status::from_errno();
    return hold;
  }
  hold.file_ = std::move(file);
  hold.device_ = static_cast<uint64_t>(info.st_dev);
  hold.inode_ = static_cast<uint64_t>(info.st_ino);
  const std::lock_guard<std::mutex> lock(gHeldMutex);
  gHeld.push_back({hold.device_, hold.inode_});
  return hold;
}

void JobFileLock::release() {
  if (!file_.valid()) return;
  {
    const std::lock_guard<std::mutex> lock(gHeldMutex);
    const auto it = std::find(gHeld.begin(), gHeld.end(), Identity{device_, inode_});
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
