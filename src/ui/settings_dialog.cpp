#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings.h"
#include "app/undo.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"
#include "ui/message_presenter.h"

namespace tavrin::ui {

namespace {

QString text_of(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SettingsDialog::SettingsDialog(app::APP_STATE_INFO& app, QWidget* owner,
                               MessagePresenter* presenter)
    : QDialog(owner), app_(app), presenter_(presenter) {
  if (presenter_ == nullptr) {
    ownPresenter_ = std::make_unique<QtMessagePresenter>();
    presenter_ = ownPresenter_.get();
  }
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

  auto* journalGroup = new QGroupBox(text_of(app::kJournalGroupTitle), this);
  journal_ = new QCheckBox(text_of(app::kJournalCheckText), journalGroup);
  auto* folderLabel = new QLabel(text_of(app::kJournalFolderLabel), journalGroup);
  folderField_ = new QLineEdit(journalGroup);
  folderField_->setReadOnly(true);
  folderField_->setMinimumWidth(260);
  folderLabel->setBuddy(folderField_);
  browse_ = new QPushButton(text_of(app::kJournalFolderBrowse), journalGroup);
  reset_ = new QPushButton(text_of(app::kJournalFolderReset), journalGroup);
  for (QPushButton* button : {browse_, reset_}) button->setAutoDefault(false);
  connect(browse_, &QPushButton::clicked, this, &SettingsDialog::choose_journal_folder);
  connect(reset_, &QPushButton::clicked, this, [this] { show_journal_folder(std::string()); });
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folderLabel);
  folderRow->addWidget(folderField_, 1);
  folderRow->addWidget(browse_);
  folderRow->addWidget(reset_);
  auto* journalLayout = new QVBoxLayout(journalGroup);
  journalLayout->addWidget(journal_);
  journalLayout->addLayout(folderRow);

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
  layout->addWidget(journalGroup);
  layout->addLayout(buttons);

  setTabOrder(fileApi_, buffer_);
  setTabOrder(buffer_, journal_);
  setTabOrder(journal_, browse_);
  setTabOrder(browse_, reset_);
  setTabOrder(reset_, ok_);
  setTabOrder(ok_, cancel_);

  const app::SettingsValues values = app::settings_values(app_);
  fileApi_->setChecked(values.useFileApi);
  buffer_->setCurrentIndex(values.wavBufferIndex);
  journal_->setChecked(values.journalOn);
  show_journal_folder(values.journalFolder);
  // 241 x 130 dialog units of "Meiryo UI" 9 points.
  resize(std::max(sizeHint().width(), 362), std::max(sizeHint().height(), 244));
}

void SettingsDialog::showEvent(QShowEvent* event) {
  place_centred(this, parentWidget());
  fileApi_->setFocus(Qt::OtherFocusReason);
  QDialog::showEvent(event);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::show_journal_folder(const std::string& folder) {
  journalFolder_ = folder;
  const QString text = qs(app::journal_folder_text(folder));
  folderField_->setText(text);
  folderField_->setToolTip(text);  // a long path shows its start in the field
  folderField_->setCursorPosition(0);
}

void SettingsDialog::choose_journal_folder() {
  // The browser opens at the folder chosen so far, or where the journal goes without a choice.
  const std::optional<std::string> folder =
      presenter_->ask_folder(this, std::string(app::kJournalFolderTitle),
                             journalFolder_.empty() ? app::journal_folder(app_) : journalFolder_);
  if (folder) show_journal_folder(*folder);
}

void SettingsDialog::accept() {
  app::accept_settings(app_, fileApi_->isChecked(), buffer_->currentIndex());
  app::accept_journal_settings(app_, journal_->isChecked(), journalFolder_);
  QDialog::accept();
}

void run_settings_dialog(app::APP_STATE_INFO& app, QWidget* owner) {
  SettingsDialog dialog(app, owner);
  dialog.exec();
}

}  // namespace tavrin::ui
