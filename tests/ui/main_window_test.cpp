// The main window's commands as the operator reaches them: keys in the list and the entry fields,
// double clicks, header clicks, drops, and commands that must not run while disabled; the panel's
// texts; the minimum size.
#include <QAccessible>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "app/command_table.h"
#include "support/scripted_presenter.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"
#include "support/window_state.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/main_window.h"
#include "ui/track_view.h"
#include "ui/window_controls.h"
#include "wav/wav_sort.h"

using namespace tavrin;

namespace {

ui::WindowPrompts no_prompts() {
  ui::WindowPrompts prompts;
  prompts.openMxf = [](QWidget*) { return QString(); };
  prompts.openWavs = [](QWidget*) { return QStringList(); };
  prompts.openFolder = [](const QString&) {};
  return prompts;
}

// A loaded 8-track file with three library files in the list.
struct Fixture {
  app::APP_STATE_INFO app;
  test::ScriptedPresenter presenter;
  std::unique_ptr<ui::MainWindow> window;

  explicit Fixture(int files = 3) {
    test::fake_loaded_file(app, 8, "/media/show.mxf");
    const char* names[] = {"a_music.wav", "b_voice.wav", "c_effects.wav"};
    for (int i = 0; i < files; ++i) test::fake_library_entry(app, names[i], 1);
    window = std::make_unique<ui::MainWindow>(app, presenter, no_prompts());
    window->resize(1400, 900);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->library_model()->reload();
    window->refresh();
  }
  ui::LibraryView* list() { return window->library_view(); }
  void show_list() {
    QVERIFY(window->run_command(app::kCmdToggleLibrary));
    QVERIFY(list()->isVisible());
    list()->setFocus();
  }
  void select_rows(std::initializer_list<int> rows) {
    list()->clearSelection();
    for (int row : rows) {
      list()->selectionModel()->select(window->library_model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    list()->selectionModel()->setCurrentIndex(window->library_model()->index(*rows.begin(), 0),
                                              QItemSelectionModel::NoUpdate);
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void ctrlCWithTwoFilesSelectedDoesNothing() {
    Fixture f;
    f.show_list();
    f.select_rows({0, 1});
    QVERIFY(!f.window->action(app::kCmdAssign)->isEnabled());
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(f.app.tracks.wavEntry[0] == nullptr);
    QVERIFY(f.list()->isVisible());
    QVERIFY(f.presenter.shown.empty());
    // With exactly one selected the same key assigns it and hides the list.
    f.select_rows({2});
    QVERIFY(f.window->action(app::kCmdAssign)->isEnabled());
    QTest::keyClick(f.list(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(f.app.tracks.wavEntry[0] != nullptr);
    QCOMPARE(f.app.tracks.wavEntry[0]->file_name, std::string("c_effects.wav"));
    QVERIFY(!f.list()->isVisible());
  }

  void doubleClickAssignsTheRowClicked() {
    Fixture f;
    f.show_list();
    f.select_rows({0, 2});
    const QRect row1 = f.list()->visualRect(f.window->library_model()->index(1, 3));
    QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, row1.center());
    QVERIFY(f.app.tracks.wavEntry[0] != nullptr);
    QCOMPARE(f.app.tracks.wavEntry[0]->file_name, std::string("b_voice.wav"));
    QVERIFY(!f.list()->isVisible());
  }

  void deleteInTheInFieldEmptiesItAndRemovesNoFile() {
    Fixture f;
    f.show_list();
    f.select_rows({0});
    QVERIFY(f.window->run_command(app::kCmdSetIn));
    ui::EntryField* field = f.window->entry_field(0);
    QVERIFY(field->isVisible());
    QVERIFY(field->hasFocus());
    QVERIFY(!field->text().isEmpty());
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QString());
    QCOMPARE(f.app.library.count, 3);
    QCOMPARE(f.window->library_model()->rowCount(), 3);
    // Ctrl+A selects the field's text, not every track or file.
    QTest::keyClicks(field, "1234");
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field->selectedText(), QStringLiteral("1234"));
    QCOMPARE(f.list()->selected_rows().size(), size_t{1});
    // Letters never enter; eight digits at most.
    QTest::keyClicks(field, "12x345678901");
    QCOMPARE(field->text(), QStringLiteral("12345678"));
  }

  void inEntryThenOutEntryAndEsc() {
    Fixture f;
    QVERIFY(f.window->run_command(app::kCmdSetIn));
    ui::EntryField* in = f.window->entry_field(0);
    in->setText(QStringLiteral("10000100"));
    QTest::keyClick(in, Qt::Key_Return);
    QVERIFY(f.app.inSet);
    QVERIFY(!in->isVisible());
    QCOMPARE(f.window->in_out_label(0)->text(), QStringLiteral("10:00:01:00"));
    ui::EntryField* out = f.window->entry_field(1);
    QVERIFY(out->isVisible());
    QVERIFY(out->hasFocus());
    // Refused: before the IN; the field stays open with its text selected.
    out->setText(QStringLiteral("10000000"));
    QTest::keyClick(out, Qt::Key_Return);
    QCOMPARE(f.presenter.shown.size(), size_t{1});
    QCOMPARE(f.presenter.shown[0].message.text,
             std::string("入力データがINポイントよりも前になっています。"));
    QVERIFY(out->isVisible());
    QVERIFY(!f.app.outSet);
    QTest::keyClick(out, Qt::Key_Escape);
    QVERIFY(!out->isVisible());
    QVERIFY(f.window->in_out_label(1)->isVisible());
    QVERIFY(!f.window->action(app::kCmdWrap)->isEnabled());
    QVERIFY(f.window->run_command(app::kCmdSetOut));
    out->setText(QStringLiteral("10000224"));
    QTest::keyClick(out, Qt::Key_Enter);
    QVERIFY(f.app.outSet);
    QCOMPARE(f.window->in_out_label(2)->text(), QStringLiteral("00:00:02:00"));
    QVERIFY(f.window->action(app::kCmdWrap)->isEnabled());
    QVERIFY(f.window->large_button(2)->isEnabled());
  }

  void headerClickSortsLikeTheMenuItem() {
    Fixture f;
    f.app.library.entries.front().sort_keys[kSortEndFrame] = 300;
    std::next(f.app.library.entries.begin())->sort_keys[kSortEndFrame] = 100;
    f.app.library.entries.back().sort_keys[kSortEndFrame] = 200;
    f.show_list();
    QHeaderView* header = f.list()->horizontalHeader();
    QCOMPARE(f.window->library_model()->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("終了TC +SF  *fract"));
    const int x = header->sectionViewportPosition(5) + 20;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    auto names = [&] {
      QStringList shown;
      for (int row = 0; row < f.window->library_model()->rowCount(); ++row) {
        shown << f.window->library_model()->index(row, 0).data().toString();
      }
      return shown;
    };
    QCOMPARE(names(), QStringList({"b_voice.wav", "c_effects.wav", "a_music.wav"}));
    // The menu item is the same command: the direction toggles after each.
    QAction* item = f.window->action(app::kCmdSortEnd);
    QCOMPARE(item->text(), QStringLiteral("終了TC(&6)"));
    item->trigger();
    QCOMPARE(names(), QStringList({"a_music.wav", "c_effects.wav", "b_voice.wav"}));
  }

  void sortItemsAreDisabledWhileTheListIsHidden() {
    Fixture f;
    for (int32_t id : app::kSortCommandByColumn) QVERIFY(!f.window->action(id)->isEnabled());
    f.show_list();
    for (int32_t id : app::kSortCommandByColumn) QVERIFY(f.window->action(id)->isEnabled());
  }

  void acceleratorInTheListWhileDisabledDoesNothing() {
    Fixture f;
    f.app.tracks.trackSwitch[0] = kTrackOn;
    f.show_list();
    f.select_rows({1});
    // Ctrl+G and Ctrl+Shift+A act on the tracks only while the list is hidden.
    QVERIFY(!f.window->action(app::kCmdToggleSelectedSwitches)->isEnabled());
    QTest::keyClick(f.list(), Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(f.list(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.app.tracks.trackSwitch[0], uint8_t{kTrackOn});
    QCOMPARE(f.app.tracks.trackSwitch[1], uint8_t{kTrackOff});
    QVERIFY(!f.window->run_command(app::kCmdToggleAllSwitches));
    QCOMPARE(f.app.tracks.trackSwitch[1], uint8_t{kTrackOff});
    // Esc in the list hides it; now Ctrl+G runs on the selected track.
    QTest::keyClick(f.list(), Qt::Key_Escape);
    QVERIFY(!f.list()->isVisible());
    QVERIFY(!f.app.libraryShown);
    f.window->track_view()->setFocus();
    QTest::keyClick(f.window->track_view(), Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(f.app.tracks.trackSwitch[0], uint8_t{kTrackOff});
  }

  void listDeleteRemovesOnlyWhileEnabled() {
    Fixture f(0);
    f.show_list();
    QVERIFY(!f.window->action(app::kCmdDelete)->isEnabled());
    QTest::keyClick(f.list(), Qt::Key_Delete);
    QVERIFY(f.presenter.shown.empty());
  }

  void dropWhileTheListIsShownAddsAsOnTheTrackView() {
    test::TempDir dir;
    test::WavParams params;
    params.channels = 1;
    params.timeReference = 48000ull * 3600 * 10;
    const std::string first = dir.file("drop_one.wav");
    const std::string second = dir.file("drop_two.wav");
    QVERIFY(test::write_wav(first, test::make_wav(params)));
    QVERIFY(test::write_wav(second, test::make_wav(params)));
    auto drop_on = [](QWidget* target, const std::string& path) {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
      const QPoint at = target->rect().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
    };
    Fixture f(0);
    drop_on(f.window.get(), first);
    QCOMPARE(f.app.library.count, 1);
    QVERIFY(f.list()->isVisible());
    QCOMPARE(f.window->status_text(1), QStringLiteral("WAV/BWFファイル :  1個    1個を選択中"));
    drop_on(f.window.get(), second);
    QCOMPARE(f.app.library.count, 2);
    QCOMPARE(f.window->library_model()->rowCount(), 2);
    QVERIFY(f.list()->isVisible());
  }

  void panelTextsByRate() {
    Fixture f(0);
    f.app.timecode().rateCode = 0;
    f.app.timecode().fpsCode = 0;
    f.window->refresh();
    QCOMPARE(f.window->panel_value(0)->text(), QStringLiteral("24"));
    f.app.timecode().rateCode = 6;
    f.app.timecode().fpsCode = 2;
    f.app.timecode().dropFrame = 1;
    f.window->refresh();
    QCOMPARE(f.window->panel_value(0)->text(), QStringLiteral("29.97 DF"));
    QCOMPARE(f.window->file_name_line()->text(), QStringLiteral("show.mxf"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("MXF Tavrin 1.0.0.0"));
  }

  void unloadReturnsToTheEmptyWindow() {
    Fixture f;
    QVERIFY(f.window->run_command(app::kCmdUnloadMxf));
    QCOMPARE(f.window->file_name_line()->text(),
             QStringLiteral("MXFファイルをウィンドウにドラッグ＆ドロップしてください"));
    QCOMPARE(f.window->panel_value(0)->text(), QStringLiteral("Unknown"));
    QVERIFY(f.window->action(app::kCmdLoadMxf)->isEnabled());
    QVERIFY(!f.window->action(app::kCmdUnloadMxf)->isEnabled());
    QVERIFY(f.window->large_button(0)->isEnabled());
    QVERIFY(!f.window->large_button(1)->isEnabled());
    QCOMPARE(f.window->library_model()->rowCount(), 0);
    QCOMPARE(f.window->status_text(0), QStringLiteral("パス情報はありません。"));
  }

  void menusFollowTheCommandTable() {
    Fixture f(0);
    QAction* wrap = f.window->action(app::kCmdWrap);
    QCOMPARE(wrap->text(), QStringLiteral("ラッピングを実行(&W)\t  Ctrl+R"));
    QCOMPARE(wrap->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QCOMPARE(f.window->action(app::kCmdDelete)->shortcut(), QKeySequence(Qt::Key_Delete));
    QStringList context;
    for (QAction* action : f.window->context_menu()->actions()) {
      context << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    QCOMPARE(context.size(), 12);
    QCOMPARE(context[5], QStringLiteral("-"));
    QCOMPARE(context[7], QStringLiteral("トラックに割当てる(&D)"));
    QCOMPARE(context[8], QStringLiteral("WAVのラウドネス測定(&N)"));
    QCOMPARE(context[11], QStringLiteral("MXFファイルをアンロード(U)"));
  }

  void drawnPartsReadAsTheOperatorSeesThem() {
    Fixture f;
    WAV_LIBRARY_ENTRY& entry = f.app.library.entries.front();
    test::fake_assign(f.app, entry, 1, kTrackOn);
    f.window->refresh();
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(f.window->track_view());
    QVERIFY(view != nullptr);
    QCOMPARE(view->role(), QAccessible::List);
    QCOMPARE(view->childCount(), 8 + 2);
    QAccessibleInterface* row = view->child(1);
    QCOMPARE(row->role(), QAccessible::ListItem);
    QCOMPARE(row->text(QAccessible::Name), QStringLiteral("Track-2 ON a_music.wav"));
    QVERIFY(row->state().checked);
    QVERIFY(!row->state().selected);
    QVERIFY(view->child(0)->state().selected);
    QCOMPARE(view->child(2)->text(QAccessible::Name),
             QStringLiteral("Track-3 OFF 書換えは実行されません"));
    QVERIFY(view->child(9)->state().invisible);  // all rows fit: no scroll buttons
    QCOMPARE(view->indexOfChild(row), 1);
    // Switching the track changes what is read.
    QTest::mouseClick(f.window->track_view(), Qt::LeftButton, {},
                      f.window->track_view()->switch_rect(1).center());
    QVERIFY(!view->child(1)->state().checked);

    QAccessibleInterface* name = QAccessible::queryAccessibleInterface(f.window->file_name_line());
    QCOMPARE(name->role(), QAccessible::StaticText);
    QCOMPARE(name->text(QAccessible::Name), QStringLiteral("show.mxf"));
    QAccessibleInterface* rate = QAccessible::queryAccessibleInterface(f.window->panel_value(0));
    QCOMPARE(rate->text(QAccessible::Name), QStringLiteral("25"));
    QCOMPARE(rate->text(QAccessible::Description), QStringLiteral("Time code Rate"));
    QAccessibleInterface* wrap = QAccessible::queryAccessibleInterface(f.window->large_button(2));
    QCOMPARE(wrap->role(), QAccessible::Button);
    QCOMPARE(wrap->text(QAccessible::Name), QStringLiteral("ラッピングを実行"));
    QVERIFY(wrap->state().disabled);
    QAccessibleInterface* load = QAccessible::queryAccessibleInterface(f.window->large_button(0));
    QVERIFY(load->state().disabled);
    QAccessibleInterface* in = QAccessible::queryAccessibleInterface(f.window->in_out_label(0));
    QCOMPARE(in->text(QAccessible::Name), QStringLiteral("--:--:--:--"));
  }

  void windowCannotBeMadeSmallerThanItsMinimum() {
    Fixture f(0);
    f.window->resize(800, 400);
    QTest::qWait(10);
    QVERIFY(f.window->width() >= 1280);
    QVERIFY(f.window->height() >= 631);
    QCOMPARE(f.window->minimumSize(), QSize(1280, 631));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
