// The settings dialog: the file-processing method and the WAV file buffer of the run. OK stores
// both, キャンセル and Esc keep them. Modal, centred over its owner.
#pragma once

#include <QDialog>

#include "app/app_state.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tavrin::ui {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  SettingsDialog(app::APP_STATE_INFO& app, QWidget* owner);

  QCheckBox* fileApiBox() const { return fileApi_; }
  QComboBox* bufferList() const { return buffer_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  app::APP_STATE_INFO& app_;
  QCheckBox* fileApi_ = nullptr;
  QComboBox* buffer_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Opens the dialog modally over `owner` and returns when it is closed.
void run_settings_dialog(app::APP_STATE_INFO& app, QWidget* owner);

}  // namespace tavrin::ui
