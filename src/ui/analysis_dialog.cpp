#include "ui/analysis_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/analysis_job.h"
#include "app/dialog_titles.h"
#include "jobs/ltc_error_log.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"
#include "ui/job_observer.h"

namespace tavrin::ui {

namespace {

constexpr int kTickMs = 25;

QLabel* centred_label(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AnalysisDialog::AnalysisDialog(const DialogContext& context, QWidget* owner)
    : QDialog(owner), context_(context) {
  setWindowTitle(QString::fromUtf8(app::kProgressDialogTitle));
  setFont(dialog_font());
  setModal(true);
  file_ = centred_label(QStringLiteral("スタティック"), this);
  remaining_ = centred_label(QStringLiteral("test"), this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  state_ = centred_label(QStringLiteral("スタティック"), this);
  button_ = new QPushButton(QStringLiteral("OK"), this);
  // The button asks for the skip only when it is pressed; Enter never presses it.
  button_->setAutoDefault(false);
  button_->setDefault(false);
  connect(button_, &QPushButton::clicked, this, &AnalysisDialog::skip);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addWidget(remaining_);
  layout->addWidget(bar_);
  layout->addWidget(state_);
  layout->addWidget(button_, 0, Qt::AlignCenter);
  setFixedSize(460, 190);

  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &AnalysisDialog::refresh);
}

AnalysisDialog::~AnalysisDialog() {
  job_.join();
}

void AnalysisDialog::run() {
  app::APP_STATE_INFO& app = context_.app;
  button_->setText(QStringLiteral("スキップまたは中断する"));
  button_->setEnabled(false);
  control_.reset();
  phase_ = app::AnalysisPhase::kSteps;
  ended_ = false;
  job_ = app::start_analysis(
      app, jobControl != nullptr ? *jobControl : control_,
      blocking_observer(this, [this](const jobs::JobMessage& message) { handle(message); }));
  if (!job_.started()) {
    if (job_.refusal()) context_.presenter.show(context_.owner, *job_.refusal());
    return;
  }
  refresh();
  place_progress_dialog(this, context_.owner != nullptr ? context_.owner : parentWidget());
  timer_.start();
  exec();
  // The handler of the final message has returned: the worker ends without waiting for anyone.
  job_.join();
}

void AnalysisDialog::refresh() {
  const app::APP_STATE_INFO& app = context_.app;
  const app::AnalysisDialogView view = app::analysis_dialog_view(
      phase_, app.mxfPath, app.mxf().sectionCode.load(), control_.total(), control_.done());
  file_->setText(qs(view.fileName));
  state_->setText(qs(view.stateText));
  remaining_->setText(qs(view.remainingText));
  bar_->setValue(view.progress);
  button_->setText(qs(view.buttonText));
  button_->setEnabled(view.buttonEnabled);
  context_.status(view.status);
}

void AnalysisDialog::skip() {
  if (phase_ != app::AnalysisPhase::kVerifying) return;
  control_.request_cancel();
  phase_ = app::AnalysisPhase::kCancelling;
  refresh();
}

void AnalysisDialog::handle(const jobs::JobMessage& message) {
  if (message.kind == jobs::JobMessageKind::kVerificationStarting) {
    verificationStarted_ = true;
    if (phase_ == app::AnalysisPhase::kSteps) phase_ = app::AnalysisPhase::kVerifying;
    refresh();
    return;
  }
  finish(message);
}

void AnalysisDialog::finish(const jobs::JobMessage& final) {
  timer_.stop();
  phase_ = app::analysis_phase_after(final);
  refresh();
  app::APP_STATE_INFO& app = context_.app;
  MessagePresenter& presenter = context_.presenter;
  const app::AnalysisDecision decision = app::decide_analysis(
      app, app::AnalysisRun{final, verificationStarted_},
      [&](const UserMessage& question) { return presenter.show(this, question); });
  const UserMessage* logQuestion = nullptr;
  for (const UserMessage& message : decision.messages) {
    // The skip question was asked above; the log question is asked by the offer below.
    if (message.yesNo) {
      if (decision.offerLtcLog) logQuestion = &message;
      continue;
    }
    presenter.show(this, message);
  }
  if (decision.offerLtcLog && logQuestion != nullptr) {
    QWidget* owner = context_.owner;
    const bool written = app::offer_ltc_error_log(
        app, [&] { return presenter.show(this, *logQuestion); },
        [&]() -> std::optional<std::string> {
          hide();
          std::optional<std::string> path =
              presenter.ask_log_path(owner, std::string(jobs::kLtcLogSaveTitle));
          if (path) {
            phase_ = app::AnalysisPhase::kWritingLog;
            refresh();
          }
          return path;
        },
        [&](const UserMessage& message) { presenter.show(owner, message); }, context_.logEncoding);
    if (written) {
      phase_ = app::AnalysisPhase::kLogWritten;
      refresh();
    }
  }
  ended_ = true;
  done(app.analysisOk != 0 ? QDialog::Accepted : QDialog::Rejected);
}

void AnalysisDialog::done(int result) {
  // Only the end of the job ends the dialog: the worker still uses the working set before it.
  if (!ended_) {
    refresh();
    return;
  }
  QDialog::done(result);
}

void AnalysisDialog::reject() {
  done(QDialog::Rejected);
}

void AnalysisDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  refresh();
}

void AnalysisDialog::keyPressEvent(QKeyEvent* event) {
  // Esc, Enter and Return neither press the button nor end the dialog.
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      refresh();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void run_analysis_dialog(const DialogContext& context, QWidget* owner) {
  AnalysisDialog dialog(context, owner);
  dialog.run();
}

}  // namespace tavrin::ui
