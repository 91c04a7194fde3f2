// Taking a wrap back from the window: the restore of the loaded file from its undo journal runs on
// a worker thread while a small modal dialog says so, then its result is shown. The restore cannot
// be stopped half way: Esc and the close box do nothing while it runs.
#pragma once

#include <QDialog>

#include "app/background_job.h"
#include "app/undo.h"
#include "ui/dialog_context.h"

class QLabel;
class QProgressBar;

namespace tavrin::ui {

class UndoDialog : public QDialog {
  Q_OBJECT
 public:
  UndoDialog(const DialogContext& context, QWidget* parent);
  ~UndoDialog() override;

  // Restores the file, takes the outcome into the working set once the worker has been joined,
  // shows the result's message and returns the outcome.
  app::UndoOutcome run();

  QLabel* fileLabel() const { return file_; }
  QLabel* stateLabel() const { return state_; }

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  DialogContext context_;
  app::BackgroundJob job_;
  bool ended_ = false;
  QLabel* file_ = nullptr;
  QLabel* state_ = nullptr;
  QProgressBar* bar_ = nullptr;
};

// Restores the loaded file in its dialog, modal over `parent`.
app::UndoOutcome run_undo_dialog(const DialogContext& context, QWidget* parent);

}  // namespace tavrin::ui
