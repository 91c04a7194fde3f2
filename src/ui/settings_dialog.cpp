#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"

namespace tavrin::ui {

namespace {

QString text_of(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SettingsDialog::SettingsDialog(app::APP_STATE_INFO& app, QWidget* owner)
    : QDialog(owner), app_(app) {
  setWindowTitle(text_of(app::kSettingsTitle));
  setFont(dialog_font());
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* group = new QGroupBox(text_of(app::kSettingsGroup), this);
  fileApi_ = new QCheckBox(text_of(app::kUseFileApiText), group);
  auto* bufferLabel = new QLabel(text_of(app::kWavBufferLabel), group);
  buffer_ = new QComboBox(group);
  for (std::string_view item : app::kWavBufferItems) buffer_->addItem(text_of(item));
  bufferLabel->setBuddy(buffer_);
  auto* note = new QLabel(text_of(app::kSettingsNote), group);
  note->setTextFormat(Qt::PlainText);

  auto* bufferRow = new QHBoxLayout;
  bufferRow->addWidget(bufferLabel);
  bufferRow->addWidget(buffer_);
  bufferRow->addStretch(1);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(fileApi_);
  groupLayout->addLayout(bufferRow);
  groupLayout->addWidget(note);

  ok_ = new QPushButton(text_of(app::kSettingsOk), this);
  cancel_ = new QPushButton(text_of(app::kSettingsCancel), this);
  ok_->setDefault(true);
  ok_->setAutoDefault(true);
  cancel_->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &SettingsDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &SettingsDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);

  setTabOrder(fileApi_, buffer_);
  setTabOrder(buffer_, ok_);
  setTabOrder(ok_, cancel_);

  const app::SettingsValues values = app::settings_values(app_);
  fileApi_->setChecked(values.useFileApi);
  buffer_->setCurrentIndex(values.wavBufferIndex);
  // 241 x 130 dialog units of "Meiryo UI" 9 points.
  resize(std::max(sizeHint().width(), 362), std::max(sizeHint().height(), 244));
}

void SettingsDialog::showEvent(QShowEvent* event) {
  place_centred(this, parentWidget());
  fileApi_->setFocus(Qt::OtherFocusReason);
  QDialog::showEvent(event);
}

void SettingsDialog::accept() {
  app::accept_settings(app_, fileApi_->isChecked(), buffer_->currentIndex());
  QDialog::accept();
}

void run_settings_dialog(app::APP_STATE_INFO& app, QWidget* owner) {
  SettingsDialog dialog(app, owner);
  dialog.exec();
}

}  // namespace tavrin::ui
