#include "platform/bus_error_guard.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace tavrin::platform {

namespace {

// The jump buffer of the guarded body this thread runs, if any.
thread_local sigjmp_buf* tGuard = nullptr;
struct sigaction gPrevious {};
std::once_flag gInstalled;

void on_bus_error(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* guard = tGuard) {
    tGuard = nullptr;
    siglongjmp(*guard, 1);
  }
  // Not a fault of a guarded copy: what would have happened without the guard.
  if ((gPrevious.sa_flags & SA_SIGINFO) != 0 && gPrevious.sa_sigaction != nullptr) {
    gPrevious.sa_sigaction(signal, info, context);
    return;
  }
  if ((gPrevious.sa_flags & SA_SIGINFO) == 0 && gPrevious.sa_handler != SIG_DFL &&
      gPrevious.sa_handler != SIG_IGN) {
    gPrevious.sa_handler(signal);
    return;
  }
  // The default action: delivered as soon as this handler returns and unblocks the signal.
  std::signal(SIGBUS, SIG_DFL);
  std::raise(SIGBUS);
}

void install_handler() {
  struct sigaction action {};
  action.sa_sigaction = on_bus_error;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_SIGINFO;
  sigaction(SIGBUS, &action, &gPrevious);
}

}  // namespace

bool run_guarding_bus_errors(void (*body)(void*), void* context) {
  std::call_once(gInstalled, install_handler);
  sigjmp_buf jump;
  // The signal mask is saved so that the jump out of the handler unblocks SIGBUS again.
  if (sigsetjmp(jump, 1) != 0) return false;
  tGuard = &jump;
  body(context);
  tGuard = nullptr;
  return true;
}

}  // namespace tavrin::platform
