// The loudness measurement in the window: a progress dialog that runs the measurement on a worker
// thread (キャンセル and Esc ask the job to stop; the GUI thread never waits on the worker until
// the worker's last message has been handled), and the result dialog with the table per track and
// pair, the target choice and the save button of the text report.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>

#include "app/background_job.h"
#include "app/loudness_window.h"
#include "platform/job_control.h"
#include "ui/dialog_context.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace tavrin::ui {

class LoudnessProgressDialog : public QDialog {
  Q_OBJECT
 public:
  LoudnessProgressDialog(const DialogContext& context, app::LoudnessRequest request,
                         QWidget* parent);
  ~LoudnessProgressDialog() override;

  // Starts the measurement and returns when it has ended and the worker has been joined: the
  // report of a finished, failed or cancelled run, or nothing when the request was refused (its
  // message was shown).
  std::optional<app::LoudnessReport> run();

  // The control the timer reads and キャンセル writes; `jobControl`, when set before run(), is
  // the one the job runs with (a test double that forwards to control()).
  platform::AtomicJobControl& control() { return control_; }
  platform::JobControl* jobControl = nullptr;

  QLabel* fileLabel() const { return file_; }
  QLabel* stateLabel() const { return state_; }
  QProgressBar* progressBar() const { return bar_; }
  QPushButton* button() const { return button_; }
  void refresh();

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void cancel();
  void finish(app::LoudnessReport report);

  DialogContext context_;
  app::LoudnessRequest request_;
  platform::AtomicJobControl control_;
  app::BackgroundJob job_;
  std::optional<app::LoudnessReport> report_;
  bool cancelling_ = false;
  bool ended_ = false;
  QTimer timer_;
  QLabel* file_ = nullptr;
  QLabel* what_ = nullptr;
  QLabel* percent_ = nullptr;
  QLabel* state_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* button_ = nullptr;
};

class LoudnessResultDialog : public QDialog {
  Q_OBJECT
 public:
  LoudnessResultDialog(const DialogContext& context, app::LoudnessReport report, QWidget* parent);

  const app::LoudnessReport& report() const { return report_; }
  QTableWidget* table() const { return table_; }
  QComboBox* targetBox() const { return target_; }
  QLabel* spanLabel() const { return span_; }
  QLabel* targetLabel() const { return targetText_; }
  QLabel* summaryLabel() const { return summary_; }
  QPushButton* saveButton() const { return save_; }

  // Judges the results against `target` (the working set keeps it for the next measurement).
  void set_target(loudness::TargetId target);
  // The save loop of the report; true when it was written.
  bool save();

 private:
  void fill();

  DialogContext context_;
  app::LoudnessReport report_;
  QLabel* span_ = nullptr;
  QComboBox* target_ = nullptr;
  QLabel* targetText_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* save_ = nullptr;
};

// The whole command: the progress dialog, then the failure message or the result dialog. Returns
// whether the result dialog was shown. `prepare` sees the progress dialog before it starts (tests
// give it their job control there).
bool run_loudness(const DialogContext& context, const app::LoudnessRequest& request,
                  QWidget* parent,
                  const std::function<void(LoudnessProgressDialog&)>& prepare = {});

}  // namespace tavrin::ui
