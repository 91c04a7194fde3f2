// The analysis progress dialog: runs the analysis of a newly opened MXF file on a worker thread,
// shows the running step, the frames left of the timecode check and its progress, lets the
// operator skip the check once it runs, and reports the end: the file stays loaded, the skip
// question, the warnings about tracks beyond 24, the failure message and the LTC error log. While
// the job runs nothing ends the dialog: Esc, Enter and the close box only refresh its texts.
#pragma once

#include <QDialog>
#include <QTimer>

#include "app/analysis_dialog.h"
#include "app/background_job.h"
#include "platform/job_control.h"
#include "ui/dialog_context.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrin::ui {

class AnalysisDialog : public QDialog {
  Q_OBJECT
 public:
  AnalysisDialog(const DialogContext& context, QWidget* owner);
  ~AnalysisDialog() override;

  // Analyses the file the load holds open (`mxfHandle` at `mxfPath`) and returns when the dialog
  // has ended and the worker has been joined; `analysisOk` then says whether the file stays.
  void run();

  // The control the timer reads and the button writes. `jobControl`, when set before run(), is
  // the one the job runs with instead (a test double that forwards to control()).
  platform::AtomicJobControl& control() { return control_; }
  platform::JobControl* jobControl = nullptr;

  QLabel* fileLabel() const { return file_; }
  QLabel* remainingLabel() const { return remaining_; }
  QLabel* stateLabel() const { return state_; }
  QProgressBar* progressBar() const { return bar_; }
  QPushButton* button() const { return button_; }
  app::AnalysisPhase phase() const { return phase_; }

  // Brings the texts up to date (the timer does it every 25 ms).
  void refresh();

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void skip();
  void handle(const jobs::JobMessage& message);
  void finish(const jobs::JobMessage& final);

  DialogContext context_;
  platform::AtomicJobControl control_;
  app::BackgroundJob job_;
  app::AnalysisPhase phase_ = app::AnalysisPhase::kSteps;
  bool verificationStarted_ = false;
  bool ended_ = false;
  QTimer timer_;
  QLabel* file_ = nullptr;
  QLabel* remaining_ = nullptr;
  QLabel* state_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* button_ = nullptr;
};

// The analysis dialog as a load runs it (app::AnalysisDialog): modal over `owner`.
void run_analysis_dialog(const DialogContext& context, QWidget* owner);

}  // namespace tavrin::ui
