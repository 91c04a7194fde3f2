// The main window's commands: each runs one operation of the working set and shows what it
// returns; the caller (run_command) refreshes afterwards.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/command_state.h"
#include "app/command_table.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/list_selection.h"
#include "app/loudness_window.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_selection.h"
#include "app/undo.h"
#include "platform/paths.h"
#include "ui/analysis_dialog.h"
#include "ui/dialog_context.h"
#include "ui/export_dialog.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/look.h"
#include "ui/loudness_dialog.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"
#include "ui/progress_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/track_view.h"
#include "ui/undo_dialog.h"
#include "ui/window_controls.h"
#include "ui/window_pictures.h"
#include "wav/wav_sort.h"

namespace tavrin::ui {

namespace {

std::vector<std::string> to_paths(const QStringList& list) {
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(list.size()));
  for (const QString& path : list) paths.push_back(path.toStdString());
  return paths;
}

}  // namespace

void MainWindow::load_from_menu() {
  const QString path = prompts_.openMxf(this);
  if (path.isEmpty()) return;
  load_path(path, static_cast<int>(app::LoadOrigin::kMenu));
}

void MainWindow::load_path(const QString& path, int origin) {
  close_entry(0);
  close_entry(1);
  const app::LoadStart start =
      app::load_mxf(app_, ss(path), static_cast<app::LoadOrigin>(origin),
                    [this](app::APP_STATE_INFO&) { run_analysis_dialog(); });
  show_messages(start.messages);
  model_->reload();
  trackView_->relayout();
  refresh();
  // A wrap of this file that was cut off left its journal: restore now or leave it.
  if (app_.mxfLoaded == 0) return;
  if (const std::optional<app::Question> question = app::question_at_load(app_)) {
    if (ask(*question)) restore_original_audio();
  }
}

void MainWindow::run_analysis_dialog() {
  ui::run_analysis_dialog(dialog_context(), this);
}

DialogContext MainWindow::dialog_context() {
  return DialogContext{app_, presenter_, this,
                       [this](const std::string& text) { statusParts_[0]->setText(qs(text)); }};
}

void MainWindow::unload_file() {
  close_entry(0);
  close_entry(1);
  app::unload(app_);
  model_->reload();
  set_library_shown(false);
  trackView_->relayout();
}

void MainWindow::add_from_menu() {
  const QStringList paths = prompts_.openWavs(this);
  if (paths.isEmpty()) return;
  const app::LibraryAdd result = app::add_wav_files(app_, to_paths(paths));
  show_messages(result.messages);
  list_contents_changed(false);
  set_library_shown(app_.libraryShown != 0);
}

void MainWindow::list_contents_changed(bool selectFirst) {
  model_->reload();
  syncingList_ = true;
  list_->selectionModel()->clearSelection();
  if (selectFirst && model_->rowCount() > 0) {
    list_->selectionModel()->setCurrentIndex(
        model_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  syncingList_ = false;
  sync_list_selection();
}

void MainWindow::drop_paths(const QStringList& paths) {
  if (paths.isEmpty()) return;
  const app::DropOutcome result = app::drop_files(app_, to_paths(paths));
  show_messages(result.messages);
  if (result.mxfToLoad) {
    load_path(qs(*result.mxfToLoad), static_cast<int>(app::LoadOrigin::kDrop));
    return;
  }
  if (result.listChanged) list_contents_changed(true);
  set_library_shown(app_.libraryShown != 0);
  refresh();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event->acceptProposedAction();
  drop_paths(paths);
}

void MainWindow::set_library_shown(bool shown) {
  if (shown) {
    list_->show();
    list_->setEnabled(true);
    list_->raise();
    list_->setFocus();
  } else {
    list_->hide();
    trackView_->setFocus();
  }
  sync_list_selection();
}

void MainWindow::select_all() {
  if (openEntry_ >= 0 && entries_[static_cast<size_t>(openEntry_)]->hasFocus()) {
    entries_[static_cast<size_t>(openEntry_)]->selectAll();
  } else if (app_.libraryShown) {
    list_->selectAll();
  } else {
    app::select_all_tracks(app_);
  }
}

void MainWindow::delete_selection() {
  if (openEntry_ >= 0 && entries_[static_cast<size_t>(openEntry_)]->hasFocus()) {
    entries_[static_cast<size_t>(openEntry_)]->clear();
    return;
  }
  if (app_.libraryShown) {
    sync_list_selection();
    const app::LibraryRemoval removal = app::delete_selected_library_files(
        app_, [this](const UserMessage& message) { return ask(message); });
    show_messages(removal.messages);
    list_contents_changed(false);
    trackView_->relayout();
  } else {
    app::unassign_selected_tracks(app_);
    model_->refresh_rows();
  }
}

void MainWindow::after_assignment(const std::optional<UserMessage>& refusal) {
  if (refusal) ask(*refusal);
  // The list is hidden after an assignment, a refused one too.
  set_library_shown(app_.libraryShown != 0);
  model_->refresh_rows();
  trackView_->show_current();
}

void MainWindow::assign_selected() {
  sync_list_selection();
  after_assignment(app::assign_focused_file(app_));
}

void MainWindow::assign_row(int row) {
  if (!app_.libraryShown || !app_.mxfLoaded) return;
  after_assignment(app::assign_library_row(app_, row));
  refresh();
}

void MainWindow::sort_by(int commandId) {
  for (const WavSortCommand& sort : kWavSortCommands) {
    if (sort.commandId != commandId) continue;
    sort_wav_library(app_.library, app_.libraryView, sort.key);
    // The selection stays on the same files while their rows move.
    model_->reload();
    QItemSelection keep;
    for (int row = 0; row < model_->rowCount(); ++row) {
      const WAV_LIBRARY_ENTRY* entry = model_->entry(row);
      if (entry != nullptr && entry->selected) {
        keep.select(model_->index(row, 0), model_->index(row, LibraryModel::kColumns - 1));
      }
    }
    syncingList_ = true;
    list_->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
    syncingList_ = false;
    sync_list_selection();
    return;
  }
}

void MainWindow::sync_list_selection() {
  if (syncingList_) return;
  std::vector<int32_t> rows;
  int32_t focused = -1;
  if (app_.libraryShown && list_->selectionModel() != nullptr) {
    for (int row : list_->selected_rows()) rows.push_back(row);
    focused = list_->focused_row();
  }
  app::apply_list_selection(app_, rows, focused);
}

// IN/OUT entry.

void MainWindow::open_entry(int which) {
  if (!app_.mxfLoaded || app_.existing_tracks() == 0) return;
  const int other = 1 - which;
  if (openEntry_ == other) close_entry(other);
  EntryField* field = entries_[static_cast<size_t>(which)];
  field->setText(
      qs(app::in_out_text(app_, which == 0 ? app::InOutPoint::kIn : app::InOutPoint::kOut)));
  field->selectAll();
  openEntry_ = which;
  inOutLabels_[static_cast<size_t>(which)]->hide();
  field->setEnabled(true);
  field->show();
  field->raise();
  field->setFocus();
}

void MainWindow::close_entry(int which) {
  EntryField* field = entries_[static_cast<size_t>(which)];
  if (openEntry_ == which) openEntry_ = -1;
  field->setEnabled(false);
  field->hide();
  inOutLabels_[static_cast<size_t>(which)]->show();
}

void MainWindow::entry_entered(int which) {
  EntryField* field = entries_[static_cast<size_t>(which)];
  // At most 9 characters are read, as the field would hand them over.
  const std::string text = field->text().left(9).toStdString();
  const std::optional<UserMessage> refusal =
      which == 0 ? app::enter_in(app_, text) : app::enter_out(app_, text);
  if (refusal) {
    // The box takes the focus; the field stays open until it is back.
    refusingEntry_ = true;
    ask(*refusal);
    refusingEntry_ = false;
    refresh();
    inOutLabels_[static_cast<size_t>(which)]->hide();
    field->show();
    field->setFocus();
    field->selectAll();
    return;
  }
  close_entry(which);
  refresh();
  if (which == 0) {
    open_entry(1);
  } else {
    trackView_->setFocus();
  }
}

void MainWindow::entry_cancelled(int which) {
  app::cancel_entry(app_, which == 0 ? app::InOutPoint::kIn : app::InOutPoint::kOut);
  close_entry(which);
  trackView_->setFocus();
  refresh();
}

void MainWindow::entry_focus_lost(int which) {
  if (refusingEntry_ || openEntry_ != which) return;
  if (app::entry_closes_on_focus_loss(app_,
                                      which == 0 ? app::InOutPoint::kIn : app::InOutPoint::kOut)) {
    close_entry(which);
  }
}

void MainWindow::entry_command(int which, int commandId) {
  if (!app::command_enabled(app_, commandId)) return;
  EntryField* field = entries_[static_cast<size_t>(which)];
  if (commandId == app::kCmdDelete) field->clear();
  if (commandId == app::kCmdSelectAll) field->selectAll();
}

void MainWindow::open_mxf_folder() {
  if (!app_.mxfLoaded) return;
  prompts_.openFolder(qs(platform::folder_of(app_.mxfPath)));
}

void MainWindow::show_about() {
  QDialog box(this);
  box.setWindowTitle(QStringLiteral("バージョン情報"));
  box.setFont(meiryo_font(18, 400));
  auto* layout = new QVBoxLayout(&box);
  auto* picture = new QLabel(&box);
  picture->setPixmap(program_picture(96, devicePixelRatioF()));
  picture->setAlignment(Qt::AlignCenter);
  picture->setAccessibleName(QStringLiteral("MXF Tavrin"));
  layout->addWidget(picture);
  for (const char* line :
       {"Version 1.0.0.0", "MXF Relunar Tool", " for Broadcast Station Delivery"}) {
    auto* label = new QLabel(QString::fromUtf8(line), &box);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.exec();
}

}  // namespace tavrin::ui

namespace tavrin::ui {

void MainWindow::show_settings() {
  SettingsDialog dialog(app_, this, &presenter_);
  dialog.exec();
}

void MainWindow::run_wrap() {
  close_entry(0);
  close_entry(1);
  const app::WrapCheck check =
      app::check_wrap(app_, [this](const UserMessage& message) { return ask(message); });
  show_messages(check.messages);
  if (!check.start) return;
  ProgressDialog dialog(dialog_context(), jobs::JobKind::kWrapping, this);
  if (beforeWrap) beforeWrap(dialog);
  dialog.run();
  if (!dialog.final_message()) return;  // refused before it started
  // The job is over and joined: a cancelled or failed wrap offers its restore, a completed one
  // makes "元に戻す" available.
  if (const std::optional<app::Question> offer = app::after_wrap(app_, *dialog.final_message())) {
    refresh();
    if (ask(*offer)) restore_original_audio();
  }
}

void MainWindow::restore_original_audio() {
  close_entry(0);
  close_entry(1);
  run_undo_dialog(dialog_context(), this);
}

void MainWindow::discard_journal() {
  close_entry(0);
  close_entry(1);
  if (!ask(app::discard_question(app_))) return;
  const app::DiscardOutcome outcome = app::discard_journal_of_loaded_file(app_);
  if (outcome.discarded) dialog_context().status(std::string(app::kDiscardDoneStatus));
  ask(outcome.message);
}

void MainWindow::run_export() {
  close_entry(0);
  close_entry(1);
  app::prepare_export(app_);
  run_export_dialog(dialog_context(), this);
}

void MainWindow::measure_loudness() {
  close_entry(0);
  close_entry(1);
  run_loudness(dialog_context(), app::loaded_file_request(app_), this);
}

void MainWindow::measure_library_loudness() {
  const std::optional<app::LoudnessRequest> request = app::library_row_request(app_);
  if (!request) return;  // the command is enabled only with one file selected
  run_loudness(dialog_context(), *request, this);
}

}  // namespace tavrin::ui
