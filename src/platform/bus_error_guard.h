// Copies through memory views of files that another program may shorten. Touching a page of a
// shared file mapping that lies wholly past the file's present end raises SIGBUS, whose default
// action ends the process without a word; a size check before mapping narrows that window but
// cannot close it. This guard turns such a SIGBUS into an ordinary failure of the copy.
//
// How: a SIGBUS handler is installed once for the process. While a thread runs a guarded body,
// its thread-local jump buffer is set; a SIGBUS raised on that thread (a fault is always delivered
// to the thread that faulted) jumps back with siglongjmp to where the guard began, and the guard
// reports the failure. A SIGBUS on any other thread, or outside a guarded body, goes to the
// handler that was there before (a sanitizer's, say) or takes the default action, as if the guard
// did not exist.
//
// The jump skips the rest of the body without unwinding it, so a body must be a plain function
// that, while it touches mapped memory, holds nothing that needs releasing: no object with a
// destructor, no lock, no allocation.
#pragma once

namespace tavrin::platform {

// Runs body(context). True when it ran to its end; false when a SIGBUS cut it short.
bool run_guarding_bus_errors(void (*body)(void*), void* context);

}  // namespace tavrin::platform
