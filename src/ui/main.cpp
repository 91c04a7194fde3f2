// Entry of the window program: one copy per user (the lock KTZ-71 is held until the process
// ends), the main window at its stored placement, and the event loop.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/app_state.h"
#include "platform/file.h"
#include "platform/instance_lock.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"
#include "ui/window_settings.h"

namespace {

// For unattended runs (tests, screenshots): message boxes of the start close by themselves after
// this many milliseconds when the variable is set.
int dismiss_after_ms() {
  const char* value = std::getenv("MXF_TAVRIN_DISMISS_MS");
  return value != nullptr ? std::atoi(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  tavrin::platform::ignore_file_size_signal();
  QApplication application(argc, argv);

  tavrin::platform::InstanceLockResult result{};
  tavrin::platform::Status status;
  tavrin::platform::InstanceLock lock = tavrin::platform::InstanceLock::acquire(
      tavrin::platform::user_runtime_folder(), &result, &status);
  if (result == tavrin::platform::InstanceLockResult::kHeldElsewhere) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("MXF Tavrin"),
                    QStringLiteral("MXF Tavrin はすでに起動しています。"), QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (const int ms = dismiss_after_ms(); ms > 0) QTimer::singleShot(ms, &box, &QDialog::accept);
    box.exec();
    return 1;
  }
  if (result == tavrin::platform::InstanceLockResult::kFailed) {
    // Without a usable runtime folder the program still runs; only the guard is missing.
    std::fprintf(stderr, "mxf-tavrin: the instance lock could not be taken (error %d)\n",
                 status.error);
  }

  tavrin::app::APP_STATE_INFO app;
  tavrin::ui::QtMessagePresenter presenter;
  tavrin::ui::MainWindow window(app, presenter);
  tavrin::ui::restore_window_placement(window);
  window.show();
  return QApplication::exec();
}
