#include "cli/interrupt.h"

#include <csignal>
#include <iterator>

namespace tavrin::cli {

namespace {

std::atomic<std::atomic<bool>*> gCancelRequest{nullptr};
std::atomic<bool> gInterrupted{false};
// The signals that stop a job, and what they did before the scope.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kStopSignals)]{};

void on_interrupt(int) {
  gInterrupted.store(true);
  if (std::atomic<bool>* request = gCancelRequest.load()) request->store(true);
}

static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

InterruptScope::InterruptScope(platform::AtomicJobControl* control) {
  gInterrupted.store(false);
  gCancelRequest.store(control->cancel_flag());
  struct sigaction action {};
  action.sa_handler = on_interrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    // A signal ignored since the start (nohup ignores SIGHUP) stays ignored: whoever started the
    // program asked the job to go on without it.
    sigaction(kStopSignals[i], nullptr, &gPrevious[i]);
    if (gPrevious[i].sa_handler != SIG_IGN) sigaction(kStopSignals[i], &action, nullptr);
  }
}

InterruptScope::~InterruptScope() {
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    sigaction(kStopSignals[i], &gPrevious[i], nullptr);
  }
  gCancelRequest.store(nullptr);
}

bool InterruptScope::interrupted() {
  return gInterrupted.load();
}

}  // namespace tavrin::cli
