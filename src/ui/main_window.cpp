#include "ui/main_window.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QToolTip>
#include <QUrl>
#include <span>

#include "app/command_state.h"
#include "app/command_table.h"
#include "app/info_panel.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/list_selection.h"
#include "app/mxf_loading.h"
#include "app/tooltips.h"
#include "app/track_selection.h"
#include "app/track_switches.h"
#include "app/undo.h"
#include "app/window_layout.h"
#include "app/window_placement.h"
#include "platform/paths.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/look.h"
#include "ui/message_presenter.h"
#include "ui/track_view.h"
#include "ui/window_accessibility.h"
#include "ui/window_controls.h"
#include "ui/window_pictures.h"
#include "ui/window_settings.h"

namespace tavrin::ui {

namespace {

const char* const kWindowTitle = "MXF Tavrin 1.0.0.0";
constexpr int kLargeCommands[4] = {app::kCmdLoadMxf, app::kCmdToggleLibrary, app::kCmdWrap,
                                   app::kCmdExport};
constexpr int kTooltipMs = 30000;

}  // namespace

WindowPrompts default_prompts() {
  WindowPrompts prompts;
  prompts.openMxf = [](QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QString::fromUtf8(app::kMxfOpenDialogTitle), QString(),
        QStringLiteral("%1 (%2)").arg(QString::fromUtf8(app::kMxfFilterName),
                                      QString::fromUtf8(app::kMxfFilterPattern)));
  };
  prompts.openWavs = [](QWidget* parent) {
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("BWF(WAV)ファイルを開く"),
                                         QString(),
                                         QStringLiteral("WAV(*.wav) (*.wav);;BWF(*.bwf) (*.bwf)"));
  };
  prompts.openFolder = [](const QString& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
  };
  return prompts;
}

MainWindow::MainWindow(app::APP_STATE_INFO& app, MessagePresenter& presenter, WindowPrompts prompts,
                       QWidget* parent)
    : QMainWindow(parent), app_(app), presenter_(presenter), prompts_(std::move(prompts)) {
  install_window_accessibility();
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setWindowIcon(program_icon());
  setAcceptDrops(true);

  trackView_ = new TrackView(app_, this);
  setCentralWidget(trackView_);
  trackView_->installEventFilter(this);
  build_controls();
  build_menus();

  auto* status = statusBar();
  status->setSizeGripEnabled(true);
  for (QLabel*& part : statusParts_) {
    part = new QLabel(status);
    part->setFrameShape(QFrame::Panel);
    part->setFrameShadow(QFrame::Sunken);
    status->addWidget(part);
  }
  statusParts_[0]->setAccessibleName(QStringLiteral("パス"));
  statusParts_[1]->setAccessibleName(QStringLiteral("WAV/BWFファイル"));

  // The whole window, menu bar and status bar included, never gets smaller than this.
  setMinimumSize(app::kMinimumWindowSize.width, app::kMinimumWindowSize.height);
  resize(minimumSize());
  refresh();
  trackView_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::build_controls() {
  QWidget* canvas = trackView_;
  fileName_ = new DrawnLabel(DrawnLabel::Style::kFileName, canvas);
  fileName_->set_clickable(true);
  fileName_->setMouseTracking(true);
  fileName_->installEventFilter(this);
  connect(fileName_, &DrawnLabel::clicked, this, [this] {
    if (app_.mxfLoaded) open_mxf_folder();
  });
  const char* groups[3] = {"Video", "Audio", "Time code"};
  for (size_t i = 0; i < 3; ++i) {
    groupCaptions_[i] = new DrawnLabel(DrawnLabel::Style::kGroupCaption, canvas);
    groupCaptions_[i]->set_text(QString::fromLatin1(groups[i]));
  }
  for (size_t i = 0; i < 12; ++i) {
    captions_[i] = new DrawnLabel(DrawnLabel::Style::kCaption, canvas);
    values_[i] = new DrawnLabel(DrawnLabel::Style::kValue, canvas);
  }
  for (size_t i = 0; i < 3; ++i) {
    inOutLabels_[i] =
        new DrawnLabel(i == 2 ? DrawnLabel::Style::kDuration : DrawnLabel::Style::kInOut, canvas);
  }
  inOutLabels_[0]->setAccessibleDescription(QStringLiteral("IN"));
  inOutLabels_[1]->setAccessibleDescription(QStringLiteral("OUT"));
  inOutLabels_[2]->setAccessibleDescription(QStringLiteral("DUR"));
  for (int which = 0; which < 2; ++which) {
    inOutLabels_[static_cast<size_t>(which)]->set_clickable(true);
    connect(inOutLabels_[static_cast<size_t>(which)], &DrawnLabel::clicked, this, [this, which] {
      const app::CommandStates states = app::command_state(app_);
      if (which == 0 ? states.inLabelOpens : states.outLabelOpens) open_entry(which);
    });
    auto* field = new EntryField(canvas);
    field->setAccessibleName(which == 0 ? QStringLiteral("IN") : QStringLiteral("OUT"));
    entries_[static_cast<size_t>(which)] = field;
    connect(field, &EntryField::entered, this, [this, which] { entry_entered(which); });
    connect(field, &EntryField::cancelled, this, [this, which] { entry_cancelled(which); });
    connect(field, &EntryField::focusLost, this, [this, which] { entry_focus_lost(which); });
    connect(field, &EntryField::commandKey, this,
            [this, which](int id) { entry_command(which, id); });
  }
  const char* largeNames[4] = {"MXFファイルをロード", "トラック / WAVライブラリ表示切替",
                               "ラッピングを実行", "BWF(WAV)ファイルを生成"};
  const LargeButton largeKinds[4] = {LargeButton::kLoad, LargeButton::kToggleLibrary,
                                     LargeButton::kWrap, LargeButton::kExport};
  for (size_t i = 0; i < 4; ++i) {
    large_[i] = new PictureButton(largeKinds[i], canvas);
    large_[i]->setText(QString::fromUtf8(largeNames[i]));
    const int id = kLargeCommands[i];
    connect(large_[i], &QAbstractButton::clicked, this, [this, id] { run_command(id); });
  }
  const SmallButton smallKinds[3] = {SmallButton::kIn, SmallButton::kOut, SmallButton::kDuration};
  const char* smallNames[3] = {"IN点を設定", "OUT点を設定", "デュレーション"};
  for (size_t i = 0; i < 3; ++i) {
    small_[i] = new PictureButton(smallKinds[i], canvas);
    small_[i]->setText(QString::fromUtf8(smallNames[i]));
  }
  connect(small_[0], &QAbstractButton::clicked, this, [this] { run_command(app::kCmdSetIn); });
  connect(small_[1], &QAbstractButton::clicked, this, [this] { run_command(app::kCmdSetOut); });

  model_ = new LibraryModel(app_, this);
  list_ = new LibraryView(model_, canvas);
  list_->hide();
  connect(list_, &LibraryView::hideRequested, this, [this] {
    app::show_library(app_, false);
    set_library_shown(false);
    refresh();
  });
  connect(list_, &LibraryView::rowDoubleClicked, this, [this](int row) { assign_row(row); });
  connect(list_, &LibraryView::headerClicked, this, [this](int column) {
    if (column >= 0 && column < 10 && app_.libraryShown && app_.library.count > 0) {
      run_command(app::kSortCommandByColumn[static_cast<size_t>(column)]);
    }
  });
  connect(list_, &LibraryView::contextMenuRequested, this, [this](const QPoint& at) {
    refresh();
    contextMenu_->popup(at);
  });
  connect(list_, &LibraryView::selectionFactsChanged, this, [this] {
    sync_list_selection();
    apply_command_states();
    refresh_status();
  });

  connect(trackView_, &TrackView::switchClicked, this, [this](int track) {
    app::toggle_track_switch(app_, track);
    refresh();
  });
  connect(
      trackView_, &TrackView::rowClicked, this, [this](int track, Qt::KeyboardModifiers modifiers) {
        const Qt::KeyboardModifiers keys = modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
        app::click_track(app_, track,
                         keys == Qt::ShiftModifier     ? app::ClickModifier::kShift
                         : keys == Qt::ControlModifier ? app::ClickModifier::kCtrl
                                                       : app::ClickModifier::kNone);
        refresh();
      });
  connect(trackView_, &TrackView::rowDoubleClicked, this, [this](int) {
    if (!app_.libraryShown) run_command(app::kCmdToggleLibrary);
  });
  connect(trackView_, &TrackView::moveRequested, this, [this](int delta) {
    if (app_.libraryShown || !app_.mxfLoaded) return;
    app::move_current(app_, delta < 0 ? app::MoveDirection::kUp : app::MoveDirection::kDown);
    trackView_->show_current();
    refresh();
  });
  connect(trackView_, &TrackView::contextMenuRequested, this, [this](const QPoint& at) {
    if (app_.libraryShown) return;
    refresh();
    contextMenu_->popup(at);
  });
  connect(trackView_, &TrackView::backgroundClicked, this, [this] {
    if (app_.libraryShown) {
      run_command(app::kCmdToggleLibrary);
    }
  });
}

void MainWindow::build_menus() {
  // One action per command carries its key; the menu shows the key text as written after "\t".
  for (const app::CommandInfo& command : app::kCommands) {
    const int id = command.id;
    auto* action = new QAction(qs(std::string(command.menuText)), this);
    if (!command.shortcut.empty()) {
      action->setShortcut(
          QKeySequence::fromString(qs(std::string(command.shortcut)), QKeySequence::PortableText));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
    actions_.insert(id, action);
    addAction(action);
  }
  std::function<void(QMenu*, std::span<const app::MenuItem>)> fill =
      [&](QMenu* menu, std::span<const app::MenuItem> items) {
        for (const app::MenuItem& item : items) {
          switch (item.kind) {
            case app::MenuItemKind::kSeparator:
              menu->addSeparator();
              break;
            case app::MenuItemKind::kCommand:
              menu->addAction(actions_.value(item.id));
              break;
            case app::MenuItemKind::kPopup:
              fill(menu->addMenu(qs(std::string(item.text))), item.items);
              break;
          }
        }
      };
  for (const app::MenuPopup& popup : app::kMainMenu) {
    fill(menuBar()->addMenu(qs(std::string(popup.title))), popup.items);
  }
  // The sort items start disabled (the list is hidden at start).
  for (int32_t id : app::kSortCommandByColumn) actions_.value(id)->setEnabled(false);

  // The context menu has texts of its own and shows no keys; its items run the same commands.
  contextMenu_ = new QMenu(this);
  for (const app::MenuItem& item : app::kContextMenu) {
    if (item.kind != app::MenuItemKind::kCommand) {
      contextMenu_->addSeparator();
      continue;
    }
    const int id = item.id;
    QAction* action = contextMenu_->addAction(qs(std::string(item.text)));
    connect(action, &QAction::triggered, this, [this, id] { run_command(id); });
    contextActions_.insert(id, action);
  }
}

bool MainWindow::run_command(int commandId) {
  sync_list_selection();
  if (!app::command_enabled(app_, commandId)) {
    apply_command_states();
    return false;
  }
  command(commandId);
  refresh();
  return true;
}

void MainWindow::command(int commandId) {
  switch (commandId) {
    case app::kCmdLoadMxf:
      return load_from_menu();
    case app::kCmdUnloadMxf:
      return unload_file();
    case app::kCmdAddWav:
      return add_from_menu();
    case app::kCmdExport:
      return run_export();
    case app::kCmdWrap:
      return run_wrap();
    case app::kCmdExit:
      close();
      return;
    case app::kCmdSelectAll:
      return select_all();
    case app::kCmdToggleAllSwitches:
      app::toggle_all_switches(app_);
      return;
    case app::kCmdToggleSelectedSwitches:
      app::toggle_selected_switches(app_);
      return;
    case app::kCmdDelete:
      return delete_selection();
    case app::kCmdToggleLibrary:
      app::show_library(app_, !app_.libraryShown);
      return set_library_shown(app_.libraryShown != 0);
    case app::kCmdAssign:
      return assign_selected();
    case app::kCmdOpenMxfFolder:
      return open_mxf_folder();
    case app::kCmdSetIn:
      return open_entry(0);
    case app::kCmdSetOut:
      return open_entry(1);
    case app::kCmdSettings:
      return show_settings();
    case app::kCmdAbout:
      return show_about();
    case app::kCmdLoudness:
      return measure_loudness();
    case app::kCmdWavLoudness:
      return measure_library_loudness();
    case app::kCmdUndo:
      return restore_original_audio();
    case app::kCmdDiscardJournal:
      return discard_journal();
    default:
      for (int32_t id : app::kSortCommandByColumn) {
        if (id == commandId) return sort_by(commandId);
      }
  }
}

void MainWindow::refresh() {
  refresh_panel();
  refresh_in_out_labels();
  apply_command_states();
  refresh_status();
  refresh_tracks(TrackView::kSwitches | TrackView::kRows);
}

void MainWindow::apply_command_states() {
  const app::CommandStates states = app::command_state(app_);
  for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
    it.value()->setEnabled(states.command(it.key()));
  }
  for (auto it = contextActions_.cbegin(); it != contextActions_.cend(); ++it) {
    it.value()->setEnabled(states.command(it.key()));
  }
  constexpr int32_t kLargeIds[4] = {app::kButtonLoad, app::kButtonLibrary, app::kButtonWrap,
                                    app::kButtonExport};
  constexpr int32_t kSmallIds[3] = {app::kButtonIn, app::kButtonOut, app::kButtonDuration};
  for (size_t i = 0; i < 4; ++i) large_[i]->setEnabled(states.button(kLargeIds[i]));
  for (size_t i = 0; i < 3; ++i) small_[i]->setEnabled(states.button(kSmallIds[i]));
}

void MainWindow::refresh_panel() {
  const bool loaded = app_.mxfLoaded != 0;
  fileName_->set_text(qs(app::file_name_line(app_.mxfPath, loaded)));
  const std::vector<app::PanelFact> facts = app::information_panel(loaded ? &app_.mxf() : nullptr);
  for (size_t i = 0; i < values_.size() && i < facts.size(); ++i) {
    captions_[i]->set_text(qs(facts[i].caption));
    values_[i]->set_text(qs(facts[i].value));
    values_[i]->setAccessibleDescription(qs(facts[i].group + " " + facts[i].caption));
  }
}

void MainWindow::refresh_in_out_labels() {
  inOutLabels_[0]->set_text(qs(app::in_label(app_)));
  inOutLabels_[1]->set_text(qs(app::out_label(app_)));
  inOutLabels_[2]->set_text(qs(app::duration_label(app_)));
}

void MainWindow::refresh_status() {
  const app::StatusTexts texts = app::status_texts(app_);
  statusParts_[0]->setText(qs(texts.path));
  statusParts_[1]->setText(qs(texts.files));
}

QString MainWindow::status_text(int part) const {
  return statusParts_[part == 0 ? 0 : 1]->text();
}

void MainWindow::refresh_tracks(int parts) {
  trackView_->redraw(parts);
}

void MainWindow::apply_layout() {
  const int W = trackView_->width();
  const int H = trackView_->height();
  const app::WindowLayout layout = app::layout_main_window(W, H);
  auto place = [](QWidget* widget, const app::ViewRect& rect) {
    widget->setGeometry(rect.x, rect.y, std::max(0, rect.width), std::max(0, rect.height));
  };
  place(list_, layout.library);
  for (size_t i = 0; i < 3; ++i) {
    place(small_[i], layout.inOutButtons[i]);
    place(inOutLabels_[i], layout.inOutLabels[i]);
    place(groupCaptions_[i], layout.groupCaptions[i]);
  }
  // The group captions are 10 pixels high in the table; their 18-pixel font needs its cell.
  for (DrawnLabel* caption : groupCaptions_) caption->resize(caption->width(), 18);
  for (size_t i = 0; i < 2; ++i) {
    // An open field sits 3 pixels above its label.
    const app::ViewRect label = layout.inOutLabels[i];
    entries_[i]->setGeometry(label.x, label.y - 3, label.width, layout.entryFields[i].height);
  }
  for (size_t i = 0; i < 4; ++i) place(large_[i], layout.largeButtons[i]);
  // The line's 32-pixel font is taller than its 22-pixel box: the box grows around the same
  // middle so that descenders (an underscore in a file name) are not cut off.
  const app::ViewRect line = layout.fileNameLine;
  fileName_->setGeometry(line.x, line.y + line.height / 2 - 16, line.width, 32);
  for (size_t i = 0; i < 12; ++i) {
    place(captions_[i], layout.captions[i]);
    place(values_[i], layout.values[i]);
  }
  const int window = width();
  statusParts_[0]->setFixedWidth(layout.statusParts[0]);
  statusParts_[1]->setFixedWidth(std::max(0, window * 3 / 4 - window / 2));
  list_->raise();
  for (EntryField* field : entries_) field->raise();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == trackView_ && event->type() == QEvent::Resize) {
    apply_layout();
  } else if (watched == fileName_ && event->type() == QEvent::ToolTip) {
    const app::TooltipText tip = app::mxf_tooltip(app_);
    auto* help = static_cast<QHelpEvent*>(event);
    QString html = QStringLiteral("<b>%1</b><br><div style='max-width:%2px'>%3</div>")
                       .arg(QString::fromUtf8(app::kMxfTooltipTitle))
                       .arg(tip.maxWidth)
                       .arg(qs(tip.text).toHtmlEscaped().replace('\n', QStringLiteral("<br>")));
    QToolTip::showText(help->globalPos(), html, fileName_, fileName_->rect(), kTooltipMs);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  store_window_placement(*this);
  QMainWindow::closeEvent(event);
}

void MainWindow::show_messages(const std::vector<UserMessage>& messages) {
  for (const UserMessage& message : messages) ask(message);
}

bool MainWindow::ask(const UserMessage& message) {
  return presenter_.show(this, message);
}

bool MainWindow::ask(const app::Question& question) {
  return presenter_.ask_question(this, question.message, question.defaultYes);
}

}  // namespace tavrin::ui
