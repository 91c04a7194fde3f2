#include "loudness/parallel.h"

#include <sched.h>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace tavrin::loudness {

unsigned available_workers() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return static_cast<unsigned>(n);
  }
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? n : 1;
}

void run_parallel(size_t count, unsigned workers,
                  const std::function<void(size_t task, unsigned worker)>& task) {
  if (workers == 0) workers = 1;
  if (workers > count) workers = static_cast<unsigned>(count);
  std::atomic<size_t> next{0};
  auto drain = [&](unsigned worker) {
    for (size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) task(i, worker);
  };
  std::vector<std::thread> threads;
  threads.reserve(workers > 0 ? workers - 1 : 0);
  for (unsigned w = 1; w < workers; ++w) {
    // A thread the system cannot give is no failure: the threads there are take its share.
    try {
      threads.emplace_back(drain, w);
    } catch (const std::system_error&) {
      break;
    }
  }
  drain(0);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace tavrin::loudness
