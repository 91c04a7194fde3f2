// The export dialog: the export range entered over its drawn timecode fields or taken over from
// the wrapping range, the destination folder and the file-name prefix, the tracks chosen page by
// page of eight, and "書出し(&E)", which runs the export's progress dialog and leaves the form
// open for the next export. Every rule and text comes from the export form of the working set.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "app/inout.h"
#include "ui/dialog_context.h"

class QLineEdit;
class QPushButton;

namespace tavrin::ui {

class TimecodeDisplay;
class TrackButton;

class ExportDialog : public QDialog {
  Q_OBJECT
 public:
  ExportDialog(const DialogContext& context, QWidget* owner);

  // The export itself, once the form's checks passed: by default the progress dialog of the
  // export job over this dialog.
  std::function<void(QWidget* parent)> runExport;

  // Controls, for the window's tests and screenshots.
  QPushButton* inButton() const { return inButton_; }
  QPushButton* outButton() const { return outButton_; }
  TimecodeDisplay* inDisplay() const { return inDisplay_; }
  TimecodeDisplay* outDisplay() const { return outDisplay_; }
  TimecodeDisplay* durationDisplay() const { return durationDisplay_; }
  QLineEdit* inField() const { return inField_; }
  QLineEdit* outField() const { return outField_; }
  QPushButton* wrapRangeButton() const { return wrapRange_; }
  QPushButton* folderButton() const { return folderButton_; }
  QLineEdit* folderField() const { return folderField_; }
  QLineEdit* prefixField() const { return prefixField_; }
  TrackButton* trackButton(int slot) const { return trackButtons_[static_cast<size_t>(slot)]; }
  QPushButton* previousPageButton() const { return previous_; }
  QPushButton* nextPageButton() const { return next_; }
  QPushButton* selectAllButton() const { return selectAll_; }
  QPushButton* exportButton() const { return export_; }
  QPushButton* closeButton() const { return close_; }

  // Opens the IN or OUT entry field over its display with the point as eight digits, selected.
  void openField(app::InOutPoint which);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void enterField(app::InOutPoint which);
  void refreshRange();
  void refreshTracks();
  void chooseFolder();
  void startExport();
  void showRefusal(const UserMessage& message);
  QLineEdit* field(app::InOutPoint which) const;

  DialogContext context_;
  QPushButton* inButton_ = nullptr;
  QPushButton* outButton_ = nullptr;
  TimecodeDisplay* inDisplay_ = nullptr;
  TimecodeDisplay* outDisplay_ = nullptr;
  TimecodeDisplay* durationDisplay_ = nullptr;
  QLineEdit* inField_ = nullptr;
  QLineEdit* outField_ = nullptr;
  QPushButton* wrapRange_ = nullptr;
  QPushButton* folderButton_ = nullptr;
  QLineEdit* folderField_ = nullptr;
  QLineEdit* prefixField_ = nullptr;
  std::array<TrackButton*, 8> trackButtons_{};
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* selectAll_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* close_ = nullptr;
};

// Opens the export dialog modally over `owner` and returns when the operator closes it.
void run_export_dialog(const DialogContext& context, QWidget* owner);

}  // namespace tavrin::ui
