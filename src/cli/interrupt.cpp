#include "cli/interrupt.h"

#include <csignal>

namespace tavrin::cli {

namespace {

std::atomic<std::atomic<bool>*> gCancelRequest{nullptr};
std::atomic<bool> gInterrupted{false};
struct sigaction gPrevious {};

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
  sigaction(SIGINT, &action, &gPrevious);
}

InterruptScope::~InterruptScope() {
  sigaction(SIGINT, &gPrevious, nullptr);
  gCancelRequest.store(nullptr);
}

bool InterruptScope::interrupted() {
  return gInterrupted.load();
}

}  // namespace tavrin::cli
