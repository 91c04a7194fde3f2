#include "cli/interrupt.h"

#include <csignal>

namespace tavrin::cli {

namespace {

std::atomic<std::atomic<uint32_t>*> gCancelRequest{nullptr};
std::atomic<bool> gInterrupted{false};
struct sigaction gPrevious {};

void on_interrupt(int) {
  gInterrupted.store(true);
  if (std::atomic<uint32_t>* request = gCancelRequest.load()) request->store(1);
}

static_assert(std::atomic<std::atomic<uint32_t>*>::is_always_lock_free);
static_assert(std::atomic<uint32_t>::is_always_lock_free);

}  // namespace

InterruptScope::InterruptScope(std::atomic<uint32_t>* cancelRequest) {
  gInterrupted.store(false);
  gCancelRequest.store(cancelRequest);
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
