// Ctrl+C on the command line: while a scope is active, SIGINT asks the running job's control to
// stop (as the progress dialogs' buttons do), so the job stops cleanly between two frames.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/job_control.h"

namespace tavrin::cli {

class InterruptScope {
 public:
  explicit InterruptScope(platform::AtomicJobControl* control);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;
  // True when SIGINT arrived while this scope was active.
  static bool interrupted();
};

}  // namespace tavrin::cli
