// Stopping a job from outside on the command line: while a scope is active, Ctrl+C (SIGINT), a
// termination request (SIGTERM, as from kill or a service manager) and the end of the terminal
// session (SIGHUP) ask the running job's control to stop, as the progress dialogs' buttons do,
// so the job stops cleanly between two frames and reports its cancellation.
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
  // True when one of the signals arrived while this scope was active.
  static bool interrupted();
};

}  // namespace tavrin::cli
