// One running copy per user: an exclusive flock on the lock file "KTZ-71" in the user's runtime
// folder, held by an open descriptor for the whole run. The kernel drops the lock when the
// process ends in any way (a crash or a kill included), so no stale lock can keep a later start
// out; the file itself may stay behind and is simply locked again.
#pragma once

#include <string>

#include "platform/file.h"

namespace tavrin::platform {

inline constexpr const char* kInstanceLockName = "KTZ-71";

// The user's runtime folder: $XDG_RUNTIME_DIR when it names an absolute path, otherwise the
// per-user folder /tmp/mxf-tavrin-<uid>.
std::string user_runtime_folder();

enum class InstanceLockResult {
  kAcquired,
  kHeldElsewhere,  // another process holds the lock: another copy runs
  kFailed,         // the folder or file could not be made or opened (status says why)
};

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on `folder`/KTZ-71 without waiting. A folder that does not exist is made for
  // this user only (mode 0700); a folder owned by someone else, or writable by others, is
  // refused, so another user cannot hold the lock or plant a link in its place.
  static InstanceLock acquire(const std::string& folder, InstanceLockResult* result,
                              Status* status);

  bool held() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace tavrin::platform
