#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_titles.h"
#include "jobs/wrap_detail_log.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"
#include "ui/job_observer.h"

namespace tavrin::ui {

namespace {

constexpr int kTickMs = 200;

QLabel* label(const QString& text, Qt::Alignment alignment, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(alignment);
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace

ProgressDialog::ProgressDialog(const DialogContext& context, jobs::JobKind kind, QWidget* parent)
    : QDialog(parent), context_(context), kind_(kind) {
  setWindowTitle(QString::fromUtf8(app::kProgressDialogTitle));
  setFont(dialog_font());
  setModal(true);
  file_ = label(QString(), Qt::AlignCenter, this);
  const QString zero = QStringLiteral("00:00:00,00");
  in_ = label(zero, Qt::AlignLeft | Qt::AlignVCenter, this);
  out_ = label(zero, Qt::AlignLeft | Qt::AlignVCenter, this);
  reached_ = label(zero, Qt::AlignCenter, this);
  const QFont timecodeFont = monospace_font(16, 600);
  for (QLabel* l : {in_, out_, reached_}) l->setFont(timecodeFont);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  state_ = label(QStringLiteral("スタティック"), Qt::AlignCenter, this);
  button_ = new QPushButton(QStringLiteral("キャンセル"), this);
  button_->setAutoDefault(false);
  connect(button_, &QPushButton::clicked, this, &ProgressDialog::cancel);

  auto* range = new QGridLayout;
  range->addWidget(label(QStringLiteral("IN"), Qt::AlignLeft, this), 0, 0);
  range->addWidget(label(QStringLiteral("OUT"), Qt::AlignLeft, this), 0, 1);
  range->addWidget(in_, 1, 0);
  range->addWidget(out_, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addLayout(range);
  layout->addWidget(reached_);
  layout->addWidget(bar_);
  layout->addWidget(state_);
  layout->addWidget(button_, 0, Qt::AlignCenter);
  setFixedSize(460, 230);

  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &ProgressDialog::refresh);
}

ProgressDialog::~ProgressDialog() {
  job_.join();
}

void ProgressDialog::run() {
  app::APP_STATE_INFO& app = context_.app;
  control_.reset();
  ended_ = false;
  final_.reset();
  moment_ = app::ProgressMoment::kStart;
  platform::JobControl& control = jobControl != nullptr ? *jobControl : control_;
  auto observer =
      blocking_observer(this, [this](const jobs::JobMessage& message) { finish(message); });
  job_ = kind_ == jobs::JobKind::kWrapping ? app::start_wrapping(app, control, observer)
                                           : app::start_export(app, control, observer);
  if (!job_.started()) {
    if (job_.refusal()) context_.presenter.show(parentWidget(), *job_.refusal());
    return;
  }
  enter(app::ProgressMoment::kStart);
  place_progress_dialog(this, context_.owner != nullptr ? context_.owner : parentWidget());
  timer_.start();
  exec();
  // The handler of the final message has returned: the worker ends without waiting for anyone.
  job_.join();
}

void ProgressDialog::enter(app::ProgressMoment moment) {
  moment_ = moment;
  const app::ProgressStateTexts texts = app::progress_state_texts(kind_, moment);
  if (!texts.state.empty()) state_->setText(qs(texts.state));
  context_.status(texts.status);
  refresh();
}

void ProgressDialog::refresh() {
  const app::ProgressDialogView view =
      app::progress_dialog_view(context_.app, kind_, moment_, control_.done());
  file_->setText(qs(view.fileName));
  in_->setText(qs(view.inText));
  out_->setText(qs(view.outText));
  reached_->setText(qs(view.reachedText));
  bar_->setValue(view.percent);
  button_->setText(qs(view.buttonText));
  button_->setEnabled(view.buttonEnabled);
}

void ProgressDialog::cancel() {
  if (moment_ != app::ProgressMoment::kStart) return;
  control_.request_cancel();
  enter(app::ProgressMoment::kCancelling);
}

void ProgressDialog::finish(const jobs::JobMessage& final) {
  timer_.stop();
  final_ = final;
  const uint32_t framesDone = control_.done();
  enter(final.kind == jobs::JobMessageKind::kSucceeded ? app::ProgressMoment::kFinished
                                                       : app::ProgressMoment::kEnded);
  app::APP_STATE_INFO& app = context_.app;
  MessagePresenter& presenter = context_.presenter;
  presenter.show(this, app::progress_final_message(app, kind_, final, framesDone));
  if (app::offers_wrap_detail_log(kind_, final)) {
    QWidget* owner = context_.owner != nullptr ? context_.owner : parentWidget();
    const bool written = app::offer_wrap_detail_log(
        app, [&] { return presenter.show(this, app::wrap_detail_log_question()); },
        [&]() -> std::optional<std::string> {
          hide();
          std::optional<std::string> path =
              presenter.ask_log_path(owner, std::string(jobs::kWrapLogSaveTitle));
          if (path) enter(app::ProgressMoment::kWritingLog);
          return path;
        },
        [&](const UserMessage& message) { presenter.show(owner, message); }, context_.logEncoding);
    if (written) enter(app::ProgressMoment::kLogWritten);
  }
  ended_ = true;
  done(final.kind == jobs::JobMessageKind::kSucceeded ? QDialog::Accepted : QDialog::Rejected);
}

void ProgressDialog::done(int result) {
  // Only the end of the job ends the dialog: the worker still uses the working set before it.
  if (!ended_) {
    refresh();
    return;
  }
  QDialog::done(result);
}

// Esc: キャンセル, as the dialog manager of the original platform turns Esc into the command of
// the cancel button. Once the cancel was asked for (or the job ended) it only refreshes.
void ProgressDialog::reject() {
  if (!ended_ && moment_ == app::ProgressMoment::kStart) {
    cancel();
    return;
  }
  done(QDialog::Rejected);
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  refresh();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      refresh();
      return;
    default:
      QDialog::keyPressEvent(event);  // Esc reaches reject()
  }
}

void run_progress_dialog(const DialogContext& context, jobs::JobKind kind, QWidget* parent) {
  ProgressDialog dialog(context, kind, parent);
  dialog.run();
}

}  // namespace tavrin::ui
