#include "ui/job_observer.h"

#include <QMetaObject>
#include <QThread>

namespace tavrin::ui {

jobs::JobObserver blocking_observer(QObject* receiver,
                                    std::function<void(const jobs::JobMessage&)> handler) {
  return [receiver, handler = std::move(handler)](const jobs::JobMessage& message) {
    if (QThread::currentThread() == receiver->thread()) {
      handler(message);  // a job run on the window's own thread: a direct call is the same wait
      return;
    }
    QMetaObject::invokeMethod(
        receiver, [&handler, &message] { handler(message); }, Qt::BlockingQueuedConnection);
  };
}

}  // namespace tavrin::ui
