// The observer a progress dialog gives a background job: each message of the worker (+12 before
// the timecode check, +6 success, +7 failure or cancellation) is handled on the window's thread
// through a blocking queued call, so the worker waits until the dialog has handled it, exactly as
// with a sent window message. The dialog joins the worker only after that handler has returned.
#pragma once

#include <QObject>
#include <functional>

#include "jobs/runner.h"

namespace tavrin::ui {

// Forwards every message to `handler`, run on the thread of `receiver`; the calling (worker)
// thread waits for it to return. Never call it from the receiver's own thread.
jobs::JobObserver blocking_observer(QObject* receiver,
                                    std::function<void(const jobs::JobMessage&)> handler);

}  // namespace tavrin::ui
