// Answering modal windows from a test: the action runs from the event loop on the first visible
// active modal widget of the given type (a QMessageBox, a QFileDialog, a dialog of the program).
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

namespace tavrin::test {

template <typename T>
void when_modal(const std::function<void(T*)>& action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    action(modal);
  });
  timer->start();
}

}  // namespace tavrin::test
