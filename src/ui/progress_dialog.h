// The wrapping/export progress dialog: runs one wrapping or export job on a worker thread, shows
// the range, the timecode reached and the percentage, carries キャンセル to the engine, reports
// the end, and after a finished wrapping job offers the wrap detail log. While the job runs
// nothing ends the dialog; Esc asks for the cancel as キャンセル does, and the close box only
// refreshes the texts.
#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>

#include "app/background_job.h"
#include "app/progress_dialog.h"
#include "platform/job_control.h"
#include "ui/dialog_context.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrin::ui {

class ProgressDialog : public QDialog {
  Q_OBJECT
 public:
  // `kind`: wrapping or export. The dialog is placed over the context's owner (the main window)
  // and modal over `parent` (the main window or the export dialog).
  ProgressDialog(const DialogContext& context, jobs::JobKind kind, QWidget* parent);
  ~ProgressDialog() override;

  // Starts the job and returns when the dialog has ended and the worker has been joined. A job
  // that is refused before it starts (the file changed since its analysis) shows its message and
  // opens no dialog.
  void run();

  // The control the timer reads and キャンセル writes. `jobControl`, when set before run(), is the
  // one the job runs with instead (a test double that forwards to control()).
  platform::AtomicJobControl& control() { return control_; }
  platform::JobControl* jobControl = nullptr;

  QLabel* fileLabel() const { return file_; }
  QLabel* inLabel() const { return in_; }
  QLabel* outLabel() const { return out_; }
  QLabel* reachedLabel() const { return reached_; }
  QLabel* stateLabel() const { return state_; }
  QProgressBar* progressBar() const { return bar_; }
  QPushButton* button() const { return button_; }
  app::ProgressMoment moment() const { return moment_; }
  // The job's final message once run() has returned; nothing when the job was refused.
  const std::optional<jobs::JobMessage>& final_message() const { return final_; }

  // Brings the texts up to date (the timer does it every 200 ms).
  void refresh();

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void cancel();
  void finish(const jobs::JobMessage& final);
  void enter(app::ProgressMoment moment);

  DialogContext context_;
  jobs::JobKind kind_;
  platform::AtomicJobControl control_;
  app::BackgroundJob job_;
  app::ProgressMoment moment_ = app::ProgressMoment::kStart;
  bool ended_ = false;
  std::optional<jobs::JobMessage> final_;
  QTimer timer_;
  QLabel* file_ = nullptr;
  QLabel* in_ = nullptr;
  QLabel* out_ = nullptr;
  QLabel* reached_ = nullptr;
  QLabel* state_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* button_ = nullptr;
};

// Runs the job of `kind` in its progress dialog, modal over `parent`.
void run_progress_dialog(const DialogContext& context, jobs::JobKind kind, QWidget* parent);

}  // namespace tavrin::ui
