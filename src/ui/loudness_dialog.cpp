#include "ui/loudness_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include "app/loudness_texts.h"
#include "loudness/targets.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"
#include "ui/message_presenter.h"

namespace tavrin::ui {

namespace {

constexpr int kTickMs = 200;

QLabel* label(QWidget* parent, Qt::Alignment alignment = Qt::AlignCenter) {
  auto* l = new QLabel(parent);
  l->setAlignment(alignment);
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace

LoudnessProgressDialog::LoudnessProgressDialog(const DialogContext& context,
                                               app::LoudnessRequest request, QWidget* parent)
    : QDialog(parent), context_(context), request_(std::move(request)) {
  setFont(dialog_font());
  setModal(true);
  file_ = label(this);
  what_ = label(this);
  percent_ = label(this);
  percent_->setFont(monospace_font(16, 600));
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setTextVisible(false);
  state_ = label(this);
  button_ = new QPushButton(this);
  button_->setAutoDefault(false);
  connect(button_, &QPushButton::clicked, this, &LoudnessProgressDialog::cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addWidget(what_);
  layout->addWidget(percent_);
  layout->addWidget(bar_);
  layout->addWidget(state_);
  layout->addWidget(button_, 0, Qt::AlignCenter);
  setFixedSize(460, 210);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &LoudnessProgressDialog::refresh);
  refresh();
}

LoudnessProgressDialog::~LoudnessProgressDialog() {
  job_.join();
}

std::optional<app::LoudnessReport> LoudnessProgressDialog::run() {
  control_.reset();
  report_.reset();
  ended_ = false;
  cancelling_ = false;
  platform::JobControl& control = jobControl != nullptr ? *jobControl : control_;
  // The worker hands its report to the window's thread and waits until it has been handled, so
  // the dialog ends (and the worker is joined) only after the worker's last act.
  auto finished = [this](app::LoudnessReport report) {
    if (QThread::currentThread() == thread()) {
      finish(std::move(report));
      return;
    }
    QMetaObject::invokeMethod(
        this, [this, &report] { finish(std::move(report)); }, Qt::BlockingQueuedConnection);
  };
  context_.app.jobRunning = true;
  job_ = app::start_loudness(context_.app, request_, control, finished);
  if (!job_.started()) {
    context_.app.jobRunning = false;
    if (job_.refusal()) context_.presenter.show(parentWidget(), *job_.refusal());
    return std::nullopt;
  }
  context_.status(std::string(app::kLoudnessRunningStatus));
  refresh();
  place_progress_dialog(this, context_.owner != nullptr ? context_.owner : parentWidget());
  timer_.start();
  exec();
  job_.join();
  context_.app.jobRunning = false;
  return std::move(report_);
}

void LoudnessProgressDialog::refresh() {
  const app::LoudnessProgressView view = app::loudness_progress_view(
      context_.app, request_, control_.done(), control_.total(), cancelling_);
  setWindowTitle(qs(view.title));
  file_->setText(qs(view.fileName));
  what_->setText(qs(view.what));
  percent_->setText(qs(view.percentText));
  bar_->setValue(view.percent);
  state_->setText(qs(view.stateText));
  button_->setText(qs(view.buttonText));
  button_->setEnabled(view.buttonEnabled && !ended_);
}

void LoudnessProgressDialog::cancel() {
  if (ended_ || cancelling_) return;
  control_.request_cancel();
  cancelling_ = true;
  refresh();
}

void LoudnessProgressDialog::finish(app::LoudnessReport report) {
  timer_.stop();
  report_ = std::move(report);
  ended_ = true;
  refresh();
  done(report_->succeeded() ? QDialog::Accepted : QDialog::Rejected);
}

void LoudnessProgressDialog::done(int result) {
  // The worker reads the working set until its report arrives: only that ends the dialog.
  if (!ended_) {
    refresh();
    return;
  }
  QDialog::done(result);
}

void LoudnessProgressDialog::reject() {
  if (!ended_) {
    cancel();  // Esc asks for the stop as キャンセル does
    return;
  }
  QDialog::reject();
}

void LoudnessProgressDialog::closeEvent(QCloseEvent* event) {
  if (!ended_) {
    event->ignore();
    refresh();
    return;
  }
  QDialog::closeEvent(event);
}

LoudnessResultDialog::LoudnessResultDialog(const DialogContext& context, app::LoudnessReport report,
                                           QWidget* parent)
    : QDialog(parent), context_(context), report_(std::move(report)) {
  setFont(dialog_font());
  setModal(true);
  setWindowTitle(qs(app::loudness_result_title(report_)));
  span_ = label(this, Qt::AlignLeft | Qt::AlignVCenter);
  target_ = new QComboBox(this);
  for (const std::string& name : app::loudness_target_names()) target_->addItem(qs(name));
  targetText_ = label(this, Qt::AlignLeft | Qt::AlignVCenter);
  table_ = new QTableWidget(this);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->hide();
  summary_ = label(this, Qt::AlignLeft | Qt::AlignVCenter);
  save_ = new QPushButton(qs(std::string(app::kLoudnessSaveButton)), this);
  save_->setAutoDefault(false);
  auto* close = new QPushButton(qs(std::string(app::kLoudnessCloseButton)), this);
  close->setDefault(true);
  connect(save_, &QPushButton::clicked, this, [this] { save(); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* targetRow = new QHBoxLayout;
  QLabel* targetCaption = label(this, Qt::AlignLeft | Qt::AlignVCenter);
  targetCaption->setText(qs(std::string(app::kLoudnessTargetLabel)));
  targetRow->addWidget(targetCaption);
  targetRow->addWidget(target_);
  targetRow->addWidget(targetText_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(summary_, 1);
  buttons->addWidget(save_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(span_);
  layout->addLayout(targetRow);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);

  const std::vector<loudness::LoudnessTarget>& targets = loudness::all_targets();
  for (size_t i = 0; i < targets.size(); ++i) {
    if (targets[i].id == report_.target) target_->setCurrentIndex(static_cast<int>(i));
  }
  connect(target_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const std::vector<loudness::LoudnessTarget>& all = loudness::all_targets();
    if (index >= 0 && static_cast<size_t>(index) < all.size()) set_target(all[index].id);
  });
  fill();
  resize(860, 200 + 26 * static_cast<int>(report_.results.size()));
}

void LoudnessResultDialog::set_target(loudness::TargetId target) {
  app::retarget_report(report_, target);
  context_.app.loudnessTarget = target;
  fill();
}

void LoudnessResultDialog::fill() {
  span_->setText(qs(app::measured_span_text(report_)));
  targetText_->setText(qs(app::target_description(report_.target)));
  const app::LoudnessCells& headers = app::loudness_table_headers();
  table_->setColumnCount(static_cast<int>(headers.size()));
  QStringList headerTexts;
  for (const std::string& h : headers) headerTexts << qs(h);
  table_->setHorizontalHeaderLabels(headerTexts);
  const std::vector<app::LoudnessRow> rows = app::loudness_table_rows(report_);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].cells.size(); ++c) {
      auto* item = new QTableWidgetItem(qs(rows[r].cells[c]));
      item->setTextAlignment(c == 0 || c + 1 == rows[r].cells.size()
                                 ? Qt::AlignLeft | Qt::AlignVCenter
                                 : Qt::AlignRight | Qt::AlignVCenter);
      // A programme that misses the target is marked in red.
      if (!rows[r].meets) item->setForeground(QColor(0xC0, 0x00, 0x00));
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  // Every column but the verdict fits its texts; the verdict takes the rest of the width.
  for (int c = 0; c + 1 < table_->columnCount(); ++c) table_->resizeColumnToContents(c);
  table_->horizontalHeader()->setStretchLastSection(true);
  summary_->setText(qs(app::loudness_summary(report_)));
}

bool LoudnessResultDialog::save() {
  MessagePresenter& presenter = context_.presenter;
  const MXF_BASE_INFO* mxf = report_.wav || !context_.app.mxfLoaded ? nullptr : &context_.app.mxf();
  const bool written = app::offer_loudness_report(
      report_, mxf,
      [&] { return presenter.ask_log_path(this, std::string(app::kLoudnessSaveTitle)); },
      [&](const UserMessage& message) { presenter.show(this, message); }, context_.logEncoding);
  if (written) context_.status(std::string(app::kLoudnessSavedStatus));
  return written;
}

bool run_loudness(const DialogContext& context, const app::LoudnessRequest& request,
                  QWidget* parent, const std::function<void(LoudnessProgressDialog&)>& prepare) {
  std::optional<app::LoudnessReport> report;
  {
    LoudnessProgressDialog progress(context, request, parent);
    if (prepare) prepare(progress);
    report = progress.run();
  }
  if (!report) return false;
  if (std::optional<UserMessage> failure = app::loudness_failure_message(*report)) {
    context.presenter.show(parent, *failure);
    return false;
  }
  context.status(std::string(app::kLoudnessDoneStatus));
  LoudnessResultDialog dialog(context, std::move(*report), parent);
  place_centred(&dialog, context.owner != nullptr ? context.owner : parent);
  dialog.exec();
  return true;
}

}  // namespace tavrin::ui
