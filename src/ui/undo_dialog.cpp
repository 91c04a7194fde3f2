#include "ui/undo_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

#include "platform/paths.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"

namespace tavrin::ui {

namespace {

QString text_of(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

UndoDialog::UndoDialog(const DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setWindowTitle(text_of(app::kUndoDialogTitle));
  setFont(dialog_font());
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  file_ = new QLabel(qs(platform::file_name(context_.app.mxfPath)), this);
  state_ = new QLabel(text_of(app::kUndoRunningText), this);
  for (QLabel* label : {file_, state_}) {
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
  }
  // The restore reports no progress: the bar only shows that it runs.
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 0);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addWidget(bar_);
  layout->addWidget(state_);
  setFixedSize(460, 130);
}

UndoDialog::~UndoDialog() {
  job_.join();
}

app::UndoOutcome UndoDialog::run() {
  app::APP_STATE_INFO& app = context_.app;
  QWidget* owner = context_.owner != nullptr ? context_.owner : parentWidget();
  app::UndoOutcome outcome;
  ended_ = false;
  // The worker hands its outcome to the window's thread and waits until it has been taken, so
  // the dialog ends (and the worker is joined) only after the worker's last act.
  auto finished = [this, &outcome](const app::UndoOutcome& result) {
    auto take = [this, &outcome, &result] {
      outcome = result;
      ended_ = true;
      done(QDialog::Accepted);
    };
    if (QThread::currentThread() == thread()) {
      take();
      return;
    }
    QMetaObject::invokeMethod(this, take, Qt::BlockingQueuedConnection);
  };
  app.jobRunning = true;
  job_ = app::start_undo(app, finished);
  context_.status(std::string(app::kUndoRunningStatus));
  place_progress_dialog(this, owner);
  exec();
  job_.join();
  app.jobRunning = false;
  app::finish_undo(app, outcome);
  if (outcome.restored) context_.status(std::string(app::kUndoDoneStatus));
  context_.presenter.show(owner, outcome.message);
  return outcome;
}

void UndoDialog::done(int result) {
  // Only the end of the restore ends the dialog.
  if (!ended_) return;
  QDialog::done(result);
}

void UndoDialog::reject() {
  done(QDialog::Rejected);
}

void UndoDialog::closeEvent(QCloseEvent* event) {
  if (!ended_) event->ignore();
}

app::UndoOutcome run_undo_dialog(const DialogContext& context, QWidget* parent) {
  UndoDialog dialog(context, parent);
  return dialog.run();
}

}  // namespace tavrin::ui
