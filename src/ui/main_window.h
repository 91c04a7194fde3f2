// The main window: the information panel, the file name line, the IN/OUT/duration area, the
// track view with the WAV library list over it, the four large buttons, the status bar, the
// menus, the context menu and the accelerators. Every command calls one operation of the working
// set and then refreshes: the enabled state of every action and button comes from the model's
// command states, every text from app/.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>

#include "app/app_state.h"
#include "ui/dialog_context.h"
#include "wav/user_message.h"

class QAction;
class QLabel;
class QMenu;

namespace tavrin::app {
struct Question;
}

namespace tavrin::ui {

class DrawnLabel;
class EntryField;
class LibraryModel;
class LibraryView;
class PictureButton;
class ProgressDialog;
class TrackView;

class MessagePresenter;

// The window's own file dialogs and the desktop's file manager. Tests replace them; message
// boxes, log save dialogs and the folder browser go through the MessagePresenter.
struct WindowPrompts {
  // The MXF file to load; empty when cancelled.
  std::function<QString(QWidget* parent)> openMxf;
  // The WAV/BWF files to add; empty when cancelled.
  std::function<QStringList(QWidget* parent)> openWavs;
  // Opens a folder with the desktop's file manager.
  std::function<void(const QString& folder)> openFolder;
};
WindowPrompts default_prompts();

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(app::APP_STATE_INFO& app, MessagePresenter& presenter,
             WindowPrompts prompts = default_prompts(), QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs a command as its menu item, button or key does: only while it is enabled. Returns
  // whether it ran.
  bool run_command(int commandId);
  // Applies every command state, the panel, the labels, the list and the status bar.
  void refresh();

  // Loads, adds or drops files given by path, as the dialogs and a drop from a file manager do.
  void drop_paths(const QStringList& paths);

  // Parts for tests, screenshots and accessibility.
  QAction* action(int commandId) const { return actions_.value(commandId); }
  QMenu* context_menu() const { return contextMenu_; }
  TrackView* track_view() const { return trackView_; }
  LibraryView* library_view() const { return list_; }
  LibraryModel* library_model() const { return model_; }
  EntryField* entry_field(int which) const { return entries_[static_cast<size_t>(which)]; }
  DrawnLabel* in_out_label(int which) const { return inOutLabels_[static_cast<size_t>(which)]; }
  PictureButton* large_button(int which) const { return large_[static_cast<size_t>(which)]; }
  PictureButton* small_button(int which) const { return small_[static_cast<size_t>(which)]; }
  DrawnLabel* panel_value(int which) const { return values_[static_cast<size_t>(which)]; }
  DrawnLabel* file_name_line() const { return fileName_; }
  QString status_text(int part) const;
  app::APP_STATE_INFO& state() { return app_; }

  // A test seam: called with the progress dialog of each wrapping job before the job starts
  // (tests give it a job control double). Empty in the program.
  std::function<void(ProgressDialog&)> beforeWrap;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_controls();
  void build_menus();
  void apply_layout();
  void apply_command_states();
  void refresh_panel();
  void refresh_in_out_labels();
  void refresh_status();
  void refresh_tracks(int parts);
  void show_messages(const std::vector<UserMessage>& messages);
  bool ask(const UserMessage& message);
  bool ask(const app::Question& question);

  // Commands.
  void command(int commandId);
  void load_from_menu();
  void load_path(const QString& path, int origin);
  void run_analysis_dialog();
  DialogContext dialog_context();
  void unload_file();
  void add_from_menu();
  void list_contents_changed(bool selectFirst);
  void set_library_shown(bool shown);
  void select_all();
  void delete_selection();
  void assign_selected();
  void assign_row(int row);
  void after_assignment(const std::optional<UserMessage>& refusal);
  void sort_by(int commandId);
  void open_entry(int which);
  void close_entry(int which);
  void entry_entered(int which);
  void entry_cancelled(int which);
  void entry_focus_lost(int which);
  void entry_command(int which, int commandId);
  void open_mxf_folder();
  void show_about();
  void show_settings();
  void run_wrap();
  void restore_original_audio();
  void discard_journal();
  void run_export();
  void measure_loudness();
  void measure_library_loudness();
  void sync_list_selection();

  app::APP_STATE_INFO& app_;
  MessagePresenter& presenter_;
  WindowPrompts prompts_;
  TrackView* trackView_ = nullptr;
  DrawnLabel* fileName_ = nullptr;
  std::array<DrawnLabel*, 3> groupCaptions_{};
  std::array<DrawnLabel*, 12> captions_{};
  std::array<DrawnLabel*, 12> values_{};
  std::array<DrawnLabel*, 3> inOutLabels_{};
  std::array<EntryField*, 2> entries_{};
  std::array<PictureButton*, 4> large_{};
  std::array<PictureButton*, 3> small_{};
  LibraryModel* model_ = nullptr;
  LibraryView* list_ = nullptr;
  QLabel* statusParts_[2] = {nullptr, nullptr};
  QMenu* contextMenu_ = nullptr;
  QHash<int, QAction*> actions_;
  QHash<int, QAction*> contextActions_;
  int openEntry_ = -1;  // the entry field shown, or -1
  bool syncingList_ = false;
  bool refusingEntry_ = false;  // a refusal box of an entry field is up
};

}  // namespace tavrin::ui
