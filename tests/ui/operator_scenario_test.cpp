// One day's work through the window, as an operator does it: load a fixture with the load
// command (the open dialog answered by the test), add a mono and a stereo WAV, assign them (Ctrl+C
// and a double click), switch the tracks, enter IN and OUT, wrap (backup question Yes) and write
// the detail log, then export two tracks through the export dialog. The MXF file and the exported
// files must equal what the same work gives through the working set without a window.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app_test_support.h"
#include "app/background_job.h"
#include "app/command_table.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_selection.h"
#include "app/track_switches.h"
#include "platform/job_control.h"
#include "support/dialog_session.h"
#include "support/modal.h"
#include "support/wav_fixture.h"
#include "ui/export_dialog.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/main_window.h"
#include "ui/track_button.h"
#include "ui/track_view.h"
#include "ui/window_controls.h"

using namespace tavrin;

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Files {
  std::string mxf;
  std::string mono;
  std::string stereo;
};

Files write_inputs(test::DialogSession& s, const std::string& prefix) {
  Files files;
  files.mxf = s.write_fixture(prefix + "PROG_0001.mxf", test::MxfFixtureOptions{});
  test::WavParams mono;
  mono.channels = 1;
  mono.sampleFrames = 48000;
  files.mono = s.dir.file(prefix + "narration.wav");
  test::write_wav(files.mono, test::make_wav(mono));
  test::WavParams stereo;
  stereo.channels = 2;
  stereo.sampleFrames = 48000;
  files.stereo = s.dir.file(prefix + "music.wav");
  test::write_wav(files.stereo, test::make_wav(stereo));
  return files;
}

void run_and_join(app::BackgroundJob job) {
  QVERIFY(job.started());
  job.join();
}

}  // namespace

class OperatorScenarioTest : public QObject {
  Q_OBJECT
 private slots:
  void loadAddAssignWrapAndExportThroughTheWindow() {
    test::DialogSession s;
    const Files files = write_inputs(s, "window_");
    ui::WindowPrompts prompts;
    prompts.openMxf = [&](QWidget*) { return QString::fromStdString(files.mxf); };
    prompts.openWavs = [&](QWidget*) {
      return QStringList{QString::fromStdString(files.mono), QString::fromStdString(files.stereo)};
    };
    prompts.openFolder = [](const QString&) {};
    ui::MainWindow window(s.app, s.presenter, prompts);
    window.resize(1400, 900);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Load through the analysis dialog.
    QVERIFY(window.run_command(app::kCmdLoadMxf));
    QCOMPARE(s.app.mxfLoaded, uint8_t{1});
    QCOMPARE(window.track_view()->scroll_state().trackCount, 8);
    QVERIFY(!window.action(app::kCmdLoadMxf)->isEnabled());

    // Add both files: the list opens with them.
    QVERIFY(window.run_command(app::kCmdAddWav));
    QCOMPARE(s.app.library.count, 2);
    ui::LibraryView* list = window.library_view();
    QVERIFY(list->isVisible());

    // The mono file on track 1 with Ctrl+C (keys reach the window's shortcuts once it is active
    // again after the analysis dialog).
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    list->selectionModel()->setCurrentIndex(
        window.library_model()->index(0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(s.app.tracks.wavEntry[0] != nullptr);
    QVERIFY(!list->isVisible());

    // Track 3 current, then the stereo file by a double click on its row: tracks 3 and 4.
    ui::TrackView* view = window.track_view();
    QTest::mouseClick(view, Qt::LeftButton, {}, view->row_rect(2).center());
    QCOMPARE(s.app.currentTrack, 2);
    QTest::mouseDClick(view, Qt::LeftButton, {}, view->row_rect(2).center());
    QVERIFY(list->isVisible());
    const QRect stereoRow = list->visualRect(window.library_model()->index(1, 2));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, stereoRow.center());
    QVERIFY(s.app.tracks.wavEntry[2] != nullptr);
    QCOMPARE(s.app.tracks.wavEntry[3], s.app.tracks.wavEntry[2]);
    QVERIFY(!list->isVisible());

    // Switches: tracks 1, 3 (and its partner 4) and 6 ON.
    for (int track : {0, 2, 5}) {
      QTest::mouseClick(view, Qt::LeftButton, {}, view->switch_rect(track).center());
      QTest::qWait(1);
    }
    QCOMPARE(s.app.tracks.trackSwitch[3], uint8_t{kTrackOn});

    // IN and OUT through the entry fields.
    QVERIFY(window.run_command(app::kCmdSetIn));
    window.entry_field(0)->setText(QStringLiteral("10000005"));
    QTest::keyClick(window.entry_field(0), Qt::Key_Return);
    window.entry_field(1)->setText(QStringLiteral("10000020"));
    QTest::keyClick(window.entry_field(1), Qt::Key_Return);
    QVERIFY(s.app.inSet && s.app.outSet);

    // Wrap: the backup question Yes, the detail log Yes and saved.
    const std::string logPath = s.dir.file("detail.txt");
    s.presenter.answers = {true, true};
    s.presenter.paths = {logPath};
    QVERIFY(window.run_command(app::kCmdWrap));
    QVERIFY(std::filesystem::exists(logPath));
    QVERIFY(contents(logPath).find("PROG_0001.mxf") != std::string::npos);

    // Export tracks 1 and 3 through the export dialog.
    const std::string outFolder = s.dir.file("window_out");
    std::filesystem::create_directory(outFolder);
    s.presenter.folders = {outFolder};
    bool exported = false;
    test::when_modal<ui::ExportDialog>([&](ui::ExportDialog* form) {
      QTest::mouseClick(form->folderButton(), Qt::LeftButton);
      QTest::mouseClick(form->inButton(), Qt::LeftButton);
      QTest::keyClicks(form->inField(), "10000002");
      QTest::keyClick(form->inField(), Qt::Key_Return);
      QTest::keyClicks(form->outField(), "10000012");
      QTest::keyClick(form->outField(), Qt::Key_Return);
      QTest::mouseClick(form->trackButton(0), Qt::LeftButton);
      QTest::mouseClick(form->trackButton(2), Qt::LeftButton);
      QTest::mouseClick(form->exportButton(), Qt::LeftButton);
      exported = true;
      QTest::mouseClick(form->closeButton(), Qt::LeftButton);
    });
    QVERIFY(window.run_command(app::kCmdExport));
    QVERIFY(exported);

    // The same work through the working set alone.
    test::DialogSession core;
    const Files coreFiles = write_inputs(core, "core_");
    QVERIFY(
        app::load_mxf(core.app, coreFiles.mxf, app::LoadOrigin::kMenu, app::test::analysis_dialog())
            .started);
    QCOMPARE(app::add_wav_files(core.app, {coreFiles.mono, coreFiles.stereo}).added, 2);
    QVERIFY(!app::assign_file(core.app, &core.app.library.entries.front(), 0));
    QVERIFY(!app::assign_file(core.app, &core.app.library.entries.back(), 2));
    for (int track : {0, 2, 5}) app::toggle_track_switch(core.app, track);
    QVERIFY(!app::enter_in(core.app, "10000005"));
    QVERIFY(!app::enter_out(core.app, "10000020"));
    platform::NullJobControl control;
    run_and_join(app::start_wrapping(core.app, control, [](const jobs::JobMessage&) {}));
    QCOMPARE(contents(files.mxf), contents(coreFiles.mxf));
    QVERIFY(contents(files.mxf) != contents(s.dir.file("never")));

    app::prepare_export(core.app);
    const std::string coreOut = core.dir.file("core_out");
    std::filesystem::create_directory(coreOut);
    core.app.tracks.exportFolder = coreOut;
    core.app.tracks.exportPrefix = s.app.tracks.exportPrefix;
    core.app.tracks.exportIn = s.app.tracks.exportIn;
    core.app.tracks.exportOut = s.app.tracks.exportOut;
    core.app.tracks.exportMark = s.app.tracks.exportMark;
    run_and_join(app::start_export(core.app, control, [](const jobs::JobMessage&) {}));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(outFolder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"Track-1.wav", "Track-3.wav"}));
    for (const std::string& name : names) {
      const std::string written = contents(outFolder + "/" + name);
      QVERIFY(written.size() > 754);
      QCOMPARE(written, contents(coreOut + "/" + name));
    }
  }
};

QTEST_MAIN(OperatorScenarioTest)
#include "operator_scenario_test.moc"
