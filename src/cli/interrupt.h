// Ctrl+C on the command line: while a scope is active, SIGINT sets the cancel request of the
// running job (the same request the progress dialogs' buttons set), so the job stops cleanly
// after the frame it is working on.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin::cli {

class InterruptScope {
 public:
  explicit InterruptScope(std::atomic<uint32_t>* cancelRequest);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
  // True when SIGINT arrived while this scope was active.
  static bool interrupted();
};

}  // namespace tavrin::cli
