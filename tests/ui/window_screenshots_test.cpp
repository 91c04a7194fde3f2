// Renders the main window in the states an operator meets to PNG files: empty; a file of 8 tracks
// loaded; 24 tracks scrolled to the end; the library list with three files, one selected; a
// stereo pair assigned and one track OFF; the IN entry open; the ファイル menu open after a
// completed wrap, with "元に戻す" enabled. The files go to the folder named by
// TAVRIN_SCREENSHOT_DIR (scripts/screenshots.sh sets it) or a temporary one; each picture is
// checked to have the window's size.
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "app/command_table.h"
#include "support/scripted_presenter.h"
#include "support/temp_dir.h"
#include "support/window_state.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/main_window.h"
#include "ui/track_view.h"

using namespace tavrin;

namespace {

ui::WindowPrompts no_prompts() {
  ui::WindowPrompts prompts;
  prompts.openMxf = [](QWidget*) { return QString(); };
  prompts.openWavs = [](QWidget*) { return QStringList(); };
  prompts.openFolder = [](const QString&) {};
  return prompts;
}

// The facts of a typical XDCAM HD422 file at 29.97 DF.
void fill_panel_facts(app::APP_STATE_INFO& app) {
  app.timecode().rateCode = 6;
  app.timecode().fpsCode = 2;
  app.timecode().dropFrame = 1;
  app.records.video.codingName = "MPEG2 422P@HL";
  app.records.video.bitRate = 50000000;
  app.records.video.displayWidth = 1920;
  app.records.video.displayHeight = 1080;
  app.records.video.mpegField4 = 2;
}

}  // namespace

class WindowScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    const QByteArray dir = qgetenv("TAVRIN_SCREENSHOT_DIR");
    folder_ = dir.isEmpty() ? QString::fromStdString(temp_.path()) : QString::fromLocal8Bit(dir);
    QVERIFY(QDir().mkpath(folder_));
  }

  void empty() {
    app::APP_STATE_INFO app;
    render(app, "window_empty", 1280, 700, [](ui::MainWindow&) {});
  }

  void loadedWithEightTracks() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/programme/PGM_2024_0517_final.mxf");
    fill_panel_facts(app);
    render(app, "window_loaded_8_tracks", 1400, 900, [](ui::MainWindow&) {});
  }

  void twentyFourTracksScrolled() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 24, "/media/programme/PGM_24ch.mxf");
    fill_panel_facts(app);
    render(app, "window_24_tracks_scrolled", 1280, 0, [](ui::MainWindow& window) {
      for (int i = 0; i < 20; ++i) window.track_view()->scroll(1);
    });
  }

  void libraryWithThreeFilesOneSelected() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/programme/PGM_2024_0517_final.mxf");
    fill_panel_facts(app);
    test::fake_library_entry(app, "MIX_STEREO_final_v3.wav", 2);
    WAV_LIBRARY_ENTRY& narration = test::fake_library_entry(app, "NA_narration_take2.wav", 1);
    test::fake_library_entry(app, "ME_music_effects.bwf", 2);
    test::fake_assign(app, narration, 4, kTrackOn);
    render(app, "window_library_one_selected", 1400, 900, [](ui::MainWindow& window) {
      window.library_model()->reload();
      window.run_command(app::kCmdToggleLibrary);
      ui::LibraryView* list = window.library_view();
      list->selectionModel()->setCurrentIndex(
          window.library_model()->index(0, 0),
          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      window.refresh();
    });
  }

  void stereoPairAndOneTrackOff() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/programme/PGM_2024_0517_final.mxf");
    fill_panel_facts(app);
    WAV_LIBRARY_ENTRY& stereo = test::fake_library_entry(app, "MIX_STEREO_final_v3.wav", 2);
    WAV_LIBRARY_ENTRY& mono = test::fake_library_entry(app, "NA_narration_take2.wav", 1);
    test::fake_assign(app, stereo, 0, kTrackOn);
    test::fake_assign(app, mono, 2, kTrackOff);
    app.tracks.trackSwitch[5] = kTrackOn;
    app.selectedTrack.fill(0);
    app.selectedTrack[2] = 1;
    app.selectedTrack[3] = 1;
    app.currentTrack = 2;
    render(app, "window_stereo_pair_and_off", 1400, 900,
           [](ui::MainWindow& window) { window.library_model()->reload(); });
  }

  void inEntryOpen() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/programme/PGM_2024_0517_final.mxf");
    fill_panel_facts(app);
    render(app, "window_in_entry_open", 1400, 900,
           [](ui::MainWindow& window) { window.run_command(app::kCmdSetIn); });
  }

  // The menu is a window of its own: it is grabbed by itself.
  void fileMenuAfterACompletedWrap() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/programme/PGM_2024_0517_final.mxf");
    fill_panel_facts(app);
    app.inSet = app.outSet = 1;
    app.undoOffered = 1;
    test::ScriptedPresenter presenter;
    ui::MainWindow window(app, presenter, no_prompts());
    window.resize(1400, 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.refresh();
    QVERIFY(window.action(app::kCmdUndo)->isEnabled());
    QMenu* menu = window.menuBar()->actions().at(0)->menu();
    menu->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(window.action(app::kCmdUndo));
    QTest::qWait(20);
    const QImage image = menu->grab().toImage();
    QVERIFY(image.width() > 50 && image.height() > 50);
    QVERIFY(image.save(folder_ + QStringLiteral("/window_file_menu_undo.png")));
    menu->hide();
  }

 private:
  // Height 0: a track view that holds 9½ rows.
  void render(app::APP_STATE_INFO& app, const char* name, int width, int height,
              const std::function<void(ui::MainWindow&)>& prepare) {
    test::ScriptedPresenter presenter;
    ui::MainWindow window(app, presenter, no_prompts());
    window.resize(width, height > 0 ? height : 900);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (height == 0) {
      const int chrome = window.height() - window.track_view()->height();
      window.resize(width, chrome + 340 + 52 * 9 + 26);
      QTest::qWait(10);
    }
    window.refresh();
    prepare(window);
    QTest::qWait(20);
    const QImage image = window.grab().toImage();
    QCOMPARE(image.size(), window.size() * window.devicePixelRatio());
    const QString path = folder_ + QStringLiteral("/%1.png").arg(QString::fromLatin1(name));
    QVERIFY(image.save(path));
  }

  test::TempDir temp_;
  QString folder_;
};

QTEST_MAIN(WindowScreenshots)
#include "window_screenshots_test.moc"
