#include "ui/export_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/export_folder.h"
#include "app/export_form.h"
#include "ui/dialog_placement.h"
#include "ui/fonts.h"
#include "ui/progress_dialog.h"
#include "ui/timecode_display.h"
#include "ui/track_button.h"

namespace tavrin::ui {

namespace {

using app::InOutPoint;

// An entry field laid over its timecode display: the face of the displays, at most 11 characters.
QLineEdit* make_entry_field(QWidget* parent) {
  auto* field = new QLineEdit(parent);
  QFont font = monospace_font(40, 800);
  field->setFont(font);
  field->setMaxLength(static_cast<int>(app::kExportEntryLength));
  field->hide();
  return field;
}

// The display and its entry field in one grid cell, the field on top when shown.
QWidget* overlay(TimecodeDisplay* display, QLineEdit* field, QWidget* parent) {
  auto* cell = new QWidget(parent);
  auto* grid = new QGridLayout(cell);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(display, 0, 0);
  if (field != nullptr) {
    field->setParent(cell);
    grid->addWidget(field, 0, 0);
  }
  return cell;
}

QPushButton* push_button(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(true);  // Enter presses the focused button, never another one
  return button;
}

}  // namespace

ExportDialog::ExportDialog(const DialogContext& context, QWidget* owner)
    : QDialog(owner), context_(context) {
  setWindowTitle(QString::fromUtf8(app::kExportFormTitle));
  setFont(dialog_font());
  setModal(true);
  runExport = [this](QWidget* parent) {
    run_progress_dialog(context_, jobs::JobKind::kExport, parent);
  };

  inButton_ = push_button(QStringLiteral("from(&I)"), this);
  outButton_ = push_button(QStringLiteral("to(&O)"), this);
  inDisplay_ = new TimecodeDisplay(Qt::white, this);
  outDisplay_ = new TimecodeDisplay(QColor(80, 240, 80), this);
  durationDisplay_ = new TimecodeDisplay(QColor(80, 240, 80), this);
  inField_ = make_entry_field(this);
  outField_ = make_entry_field(this);
  inField_->setAccessibleName(QStringLiteral("IN"));
  outField_->setAccessibleName(QStringLiteral("OUT"));
  auto* durationLabel = new QLabel(QStringLiteral("Dur"), this);
  durationLabel->setAlignment(Qt::AlignCenter);

  auto* range = new QGridLayout;
  range->addWidget(inButton_, 0, 0);
  range->addWidget(overlay(inDisplay_, inField_, this), 0, 1);
  range->addWidget(outButton_, 1, 0);
  range->addWidget(overlay(outDisplay_, outField_, this), 1, 1);
  range->addWidget(durationLabel, 2, 0);
  range->addWidget(overlay(durationDisplay_, nullptr, this), 2, 1);
  wrapRange_ = push_button(QStringLiteral("ラッピング範囲を使用(&P)"), this);
  range->addWidget(wrapRange_, 3, 1, Qt::AlignLeft);
  range->setColumnStretch(1, 1);

  folderButton_ = push_button(QStringLiteral("保存先(&D)"), this);
  folderField_ = new QLineEdit(this);
  folderField_->setReadOnly(true);
  folderField_->setAccessibleName(QStringLiteral("保存先"));
  auto* prefixLabel = new QLabel(QStringLiteral("プレフィックス名"), this);
  prefixField_ = new QLineEdit(this);
  prefixField_->setMaxLength(static_cast<int>(app::kExportPrefixFieldLength));
  prefixLabel->setBuddy(prefixField_);
  auto* destination = new QGridLayout;
  destination->addWidget(folderButton_, 0, 0);
  destination->addWidget(folderField_, 0, 1);
  destination->addWidget(prefixLabel, 1, 0, Qt::AlignRight);
  destination->addWidget(prefixField_, 1, 1);

  auto* tracks = new QGroupBox(QStringLiteral("書出しトラック"), this);
  previous_ = push_button(QStringLiteral("<(&-)"), tracks);
  next_ = push_button(QStringLiteral(">(&+)"), tracks);
  selectAll_ = push_button(QStringLiteral("全て選択/解除(&G)"), tracks);
  auto* trackRow = new QHBoxLayout;
  trackRow->addWidget(previous_);
  for (int slot = 0; slot < app::kExportButtonsPerPage; ++slot) {
    auto* button = new TrackButton(slot, tracks);
    trackButtons_[static_cast<size_t>(slot)] = button;
    trackRow->addWidget(button);
    connect(button, &QAbstractButton::clicked, this, [this, slot] {
      app::toggle_export_mark(context_.app, slot);
      refreshTracks();
    });
  }
  trackRow->addWidget(next_);
  auto* trackLayout = new QVBoxLayout(tracks);
  trackLayout->addLayout(trackRow);
  trackLayout->addWidget(selectAll_, 0, Qt::AlignRight);

  export_ = push_button(QStringLiteral("書出し(&E)"), this);
  close_ = push_button(QStringLiteral("閉じる"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(export_);
  buttons->addWidget(close_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(range);
  layout->addLayout(destination);
  layout->addWidget(tracks);
  layout->addLayout(buttons);

  // Focus order of the form: range, destination, tracks, actions.
  QWidget* order[] = {inButton_,        outButton_,       inField_,
                      outField_,        wrapRange_,       folderButton_,
                      folderField_,     prefixField_,     trackButtons_[0],
                      trackButtons_[1], trackButtons_[2], trackButtons_[3],
                      trackButtons_[4], trackButtons_[5], trackButtons_[6],
                      trackButtons_[7], previous_,        next_,
                      selectAll_,       export_,          close_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(inButton_, &QPushButton::clicked, this, [this] { openField(InOutPoint::kIn); });
  connect(outButton_, &QPushButton::clicked, this, [this] { openField(InOutPoint::kOut); });
  connect(inDisplay_, &TimecodeDisplay::doubleClicked, this,
          [this] { openField(InOutPoint::kIn); });
  connect(outDisplay_, &TimecodeDisplay::doubleClicked, this,
          [this] { openField(InOutPoint::kOut); });
  inField_->installEventFilter(this);
  outField_->installEventFilter(this);
  prefixField_->installEventFilter(this);
  connect(wrapRange_, &QPushButton::clicked, this, [this] {
    if (auto refusal = app::use_wrapping_range(context_.app)) showRefusal(*refusal);
    refreshRange();
  });
  connect(folderButton_, &QPushButton::clicked, this, &ExportDialog::chooseFolder);
  connect(previous_, &QPushButton::clicked, this, [this] {
    app::export_page_previous(context_.app);
    refreshTracks();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    app::export_page_next(context_.app);
    refreshTracks();
  });
  connect(selectAll_, &QPushButton::clicked, this, [this] {
    app::toggle_export_all(context_.app);
    refreshTracks();
  });
  connect(export_, &QPushButton::clicked, this, &ExportDialog::startExport);
  connect(close_, &QPushButton::clicked, this, &ExportDialog::reject);

  prefixField_->setText(qs(app::export_prefix_field(context_.app)));
  folderField_->setText(qs(app::export_folder_field(context_.app)));
  refreshRange();
  refreshTracks();
  adjustSize();
}

void ExportDialog::showEvent(QShowEvent* event) {
  place_centred(this, parentWidget());
  inButton_->setFocus(Qt::OtherFocusReason);
  QDialog::showEvent(event);
}

QLineEdit* ExportDialog::field(InOutPoint which) const {
  return which == InOutPoint::kIn ? inField_ : outField_;
}

void ExportDialog::openField(InOutPoint which) {
  QLineEdit* edit = field(which);
  edit->setText(qs(app::export_entry_text(context_.app, which)));
  edit->show();
  edit->raise();
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
}

void ExportDialog::enterField(InOutPoint which) {
  QLineEdit* edit = field(which);
  const std::string text = ss(edit->text());
  const std::optional<UserMessage> refusal = which == InOutPoint::kIn
                                                 ? app::enter_export_in(context_.app, text)
                                                 : app::enter_export_out(context_.app, text);
  refreshRange();
  if (refusal) {
    showRefusal(*refusal);
    // The field stays open with its text selected (an OUT before the IN reopens it).
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return;
  }
  if (which == InOutPoint::kIn) {
    openField(InOutPoint::kOut);
  } else {
    edit->hide();
    prefixField_->setFocus(Qt::OtherFocusReason);
  }
}

bool ExportDialog::eventFilter(QObject* watched, QEvent* event) {
  // Enter in the three fields reports their text to the form and goes no further: it never
  // presses a button of the dialog.
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == inField_) {
        enterField(InOutPoint::kIn);
      } else if (watched == outField_) {
        enterField(InOutPoint::kOut);
      } else if (watched == prefixField_) {
        app::store_export_prefix(context_.app, ss(prefixField_->text()));
      }
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    if (watched == prefixField_) {
      app::store_export_prefix(context_.app, ss(prefixField_->text()));
    } else if (watched == inField_ && context_.app.exportInSet) {
      inField_->hide();
    } else if (watched == outField_ && context_.app.exportOutSet) {
      outField_->hide();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ExportDialog::refreshRange() {
  inDisplay_->setText(qs(app::export_point_display(context_.app, InOutPoint::kIn)));
  outDisplay_->setText(qs(app::export_point_display(context_.app, InOutPoint::kOut)));
  durationDisplay_->setText(qs(app::export_duration_display(context_.app)));
}

void ExportDialog::refreshTracks() {
  const app::ExportTrackPage page = app::export_track_page(context_.app);
  for (size_t slot = 0; slot < trackButtons_.size(); ++slot) {
    const app::ExportTrackButton& b = page.buttons[slot];
    trackButtons_[slot]->showTrack(b.track, b.enabled ? (b.marked ? 1 : 0) : 2);
    trackButtons_[slot]->setEnabled(b.enabled);
  }
  previous_->setEnabled(page.previousEnabled);
  next_->setEnabled(page.nextEnabled);
}

void ExportDialog::chooseFolder() {
  const std::optional<std::string> folder =
      context_.presenter.ask_folder(this, app::kExportFolderBrowserTitle, ss(folderField_->text()));
  if (!folder) return;
  app::store_export_folder(context_.app, *folder);
  folderField_->setText(qs(*folder));
}

void ExportDialog::startExport() {
  const std::optional<UserMessage> refusal =
      app::prepare_export_job(context_.app, ss(prefixField_->text()), ss(folderField_->text()));
  if (refusal) {
    showRefusal(*refusal);
    if (!context_.app.exportInSet || !context_.app.exportOutSet) openField(InOutPoint::kIn);
    return;
  }
  if (runExport) runExport(this);
  refreshRange();
  refreshTracks();
}

void ExportDialog::showRefusal(const UserMessage& message) {
  context_.presenter.show(this, message);
}

void run_export_dialog(const DialogContext& context, QWidget* owner) {
  ExportDialog dialog(context, owner);
  dialog.exec();
}

}  // namespace tavrin::ui
