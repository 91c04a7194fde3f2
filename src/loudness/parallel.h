// The programmes of one measurement are independent: each batch of samples is handed to every
// programme's meter, and the meters run side by side on the available cores.
#pragma once

#include <cstddef>
#include <functional>

namespace tavrin::loudness {

// The cores this process may use (at least 1).
unsigned available_workers();

// Runs task(i, worker) for every i in [0, count) on up to `workers` threads, the calling thread
// being worker 0, and returns when every task has run. Tasks are taken in order from a shared
// counter, so a long task does not hold up the others.
void run_parallel(size_t count, unsigned workers,
                  const std::function<void(size_t task, unsigned worker)>& task);

}  // namespace tavrin::loudness
