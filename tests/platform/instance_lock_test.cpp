#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace tavrin::platform {
namespace {

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
  test::TempDir dir;
  InstanceLockResult result{};
  Status status;
  {
    InstanceLock first = InstanceLock::acquire(dir.path(), &result, &status);
    ASSERT_EQ(result, InstanceLockResult::kAcquired) << status.error;
    EXPECT_TRUE(first.held());
    EXPECT_EQ(first.path(), dir.path() + "/KTZ-71");
    // flock locks belong to the open file description: a second open in the same process is
    // refused like another process would be.
    InstanceLock second = InstanceLock::acquire(dir.path(), &result, &status);
    EXPECT_EQ(result, InstanceLockResult::kHeldElsewhere);
    EXPECT_FALSE(second.held());
  }
  InstanceLock again = InstanceLock::acquire(dir.path(), &result, &status);
  EXPECT_EQ(result, InstanceLockResult::kAcquired);
}

TEST(InstanceLock, KilledHolderLeavesNoStaleLock) {
  test::TempDir dir;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstanceLockResult result{};
    InstanceLock lock = InstanceLock::acquire(dir.path(), &result, nullptr);
    const char byte = lock.held() ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    ::pause();
    std::_Exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(byte, 'y');
  InstanceLockResult result{};
  EXPECT_FALSE(InstanceLock::acquire(dir.path(), &result, nullptr).held());
  EXPECT_EQ(result, InstanceLockResult::kHeldElsewhere);
  ::kill(child, SIGKILL);
  int wstatus = 0;
  ::waitpid(child, &wstatus, 0);
  // The file is still there; the lock is not.
  struct stat info {};
  EXPECT_EQ(::stat((dir.path() + "/KTZ-71").c_str(), &info), 0);
  EXPECT_TRUE(InstanceLock::acquire(dir.path(), &result, nullptr).held());
}

TEST(InstanceLock, UnsafeFoldersAreRefused) {
  test::TempDir dir;
  Status status;
  InstanceLockResult result{};
  // A folder that others may write in.
  const std::string open = dir.file("open");
  ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
  EXPECT_FALSE(InstanceLock::acquire(open, &result, &status).held());
  EXPECT_EQ(result, InstanceLockResult::kFailed);
  // A link in place of the folder.
  const std::string link = dir.file("link");
  ASSERT_EQ(::symlink(dir.path().c_str(), link.c_str()), 0);
  EXPECT_FALSE(InstanceLock::acquire(link, &result, &status).held());
  // A link in place of the lock file.
  const std::string owned = dir.file("owned");
  ASSERT_EQ(::mkdir(owned.c_str(), 0700), 0);
  ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), (owned + "/KTZ-71").c_str()), 0);
  EXPECT_FALSE(InstanceLock::acquire(owned, &result, &status).held());
  // A missing folder is made for this user only.
  const std::string fresh = dir.file("fresh");
  EXPECT_TRUE(InstanceLock::acquire(fresh, &result, &status).held());
  struct stat info {};
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(InstanceLock, RuntimeFolderFromTheEnvironment) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(user_runtime_folder(), "/run/user/4242");
  ::setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(user_runtime_folder(), "/tmp/mxf-tavrin-" + std::to_string(::getuid()));
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(user_runtime_folder(), "/tmp/mxf-tavrin-" + std::to_string(::getuid()));
  if (saved) ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace tavrin::platform
