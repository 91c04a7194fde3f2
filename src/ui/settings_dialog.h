// The settings dialog: the file-processing method and the WAV file buffer of the run, and the
// undo journal (on or off, and the folder it is written to). OK stores them, キャンセル and Esc
// keep them. Modal, centred over its owner.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "app/app_state.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavrin::ui {

class MessagePresenter;

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // `presenter` shows the folder browser of the journal's folder; without one the dialog uses
  // the program's own.
  SettingsDialog(app::APP_STATE_INFO& app, QWidget* owner, MessagePresenter* presenter = nullptr);
  ~SettingsDialog() override;

  QCheckBox* fileApiBox() const { return fileApi_; }
  QComboBox* bufferList() const { return buffer_; }
  QCheckBox* journalBox() const { return journal_; }
  QLineEdit* journalFolderField() const { return folderField_; }
  QPushButton* journalFolderButton() const { return browse_; }
  QPushButton* journalFolderResetButton() const { return reset_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void choose_journal_folder();
  void show_journal_folder(const std::string& folder);

  app::APP_STATE_INFO& app_;
  std::unique_ptr<MessagePresenter> ownPresenter_;
  MessagePresenter* presenter_ = nullptr;
  std::string journalFolder_;  // the folder chosen in the dialog; empty: beside the MXF file
  QCheckBox* fileApi_ = nullptr;
  QComboBox* buffer_ = nullptr;
  QCheckBox* journal_ = nullptr;
  QLineEdit* folderField_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Opens the dialog modally over `owner` and returns when it is closed.
void run_settings_dialog(app::APP_STATE_INFO& app, QWidget* owner);

}  // namespace tavrin::ui
