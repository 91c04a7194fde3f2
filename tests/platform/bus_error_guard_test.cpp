// The bus-error guard: a SIGBUS from a mapped page past a shortened file's end ends the guarded
// body, not the process, on any thread and as often as it happens; a body without a fault runs
// to its end.
#include "platform/bus_error_guard.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <thread>

#include "platform/file.h"
#include "support/temp_dir.h"

namespace tavrin::platform {
namespace {

struct Reading {
  const volatile uint8_t* bytes = nullptr;
  size_t count = 0;
  uint64_t sum = 0;
};

void read_all(void* context) {
  Reading& r = *static_cast<Reading*>(context);
  for (size_t i = 0; i < r.count; ++i) r.sum += r.bytes[i];
}

TEST(BusErrorGuard, AFaultOnAShortenedMappingEndsOnlyTheBody) {
  test::TempDir dir;
  const std::string path = dir.file("f");
  ASSERT_TRUE(test::write_file(path, std::vector<uint8_t>(3 * 4096, 1)));
  Status status;
  File file = File::open(path, Access::kReadWriteExisting, Sharing::kAny, &status);
  ASSERT_TRUE(file.valid());
  void* mapped = ::mmap(nullptr, 3 * 4096, PROT_READ, MAP_SHARED, file.fd(), 0);
  ASSERT_NE(mapped, MAP_FAILED);

  Reading whole{static_cast<const volatile uint8_t*>(mapped), 3 * 4096, 0};
  EXPECT_TRUE(run_guarding_bus_errors(read_all, &whole));
  EXPECT_EQ(whole.sum, 3u * 4096);

  // Another program cuts the file to one page: the second page faults.
  ASSERT_EQ(::ftruncate(file.fd(), 4096), 0);
  Reading cut{static_cast<const volatile uint8_t*>(mapped), 3 * 4096, 0};
  EXPECT_FALSE(run_guarding_bus_errors(read_all, &cut));
  EXPECT_EQ(cut.sum, 4096u);  // the first page was read before the fault
  // Again, on another thread; then a body inside the file runs as before.
  bool onThread = true;
  std::thread worker([&] { onThread = run_guarding_bus_errors(read_all, &cut); });
  worker.join();
  EXPECT_FALSE(onThread);
  Reading inside{static_cast<const volatile uint8_t*>(mapped), 4096, 0};
  EXPECT_TRUE(run_guarding_bus_errors(read_all, &inside));
  EXPECT_EQ(inside.sum, 4096u);
  ::munmap(mapped, 3 * 4096);
}

}  // namespace
}  // namespace tavrin::platform
