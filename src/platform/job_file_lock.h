// A job's hold on the file it works on: the exclusive advisory lock (flock) on the file, taken by
// a front end before the job's first step (the load, the questions to the operator, the job) and
// kept to its end, so that no second job of this program, in this or another process, starts on
// the file in between.
//
// Descriptors this process opens on the held file meanwhile (the analysis, the engines) need no
// lock of their own, and could not take one: flock locks belong to open file descriptions, so
// the hold would refuse them as it refuses everyone else. File::open therefore leaves the lock
// out for a file this process holds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace tavrin::platform {

class JobFileLock {
 public:
  JobFileLock() = default;
  ~JobFileLock();
  JobFileLock(JobFileLock&& other) noexcept;
  JobFileLock& operator=(JobFileLock&& other) noexcept;
  JobFileLock(const JobFileLock&) = delete;
  JobFileLock& operator=(const JobFileLock&) = delete;

  // Takes the hold on the existing regular file `path` without waiting. On failure the lock is
  // not held and `status` says why: EWOULDBLOCK while another job (or any program holding a lock
  // on the file) uses it, otherwise the error of opening the file.
  static JobFileLock take(const std::string& path, Status* status);

  bool held() const { return file_.valid(); }

 private:
  void release();
  File file_;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
};

// True while a JobFileLock of this process holds the file with this identity.
bool held_by_this_process(uint64_t device, uint64_t inode);

}  // namespace tavrin::platform
