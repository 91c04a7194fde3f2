// The wrapping/export progress dialog over an analysed fixture: a wrap that ends with its success
// text, the log question and a detail log equal to the core's; a wrap stopped after k frames with
// its interruption texts, the frames written and no log question; Esc as キャンセル and the inert
// close box; the file-I/O setting reaching the engine; a changed file refused before anything
// starts; an export from the export dialog that returns to it with the files the core writes.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/analysis_job.h"
#include "app/app_test_support.h"
#include "app/background_job.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_switches.h"
#include "jobs/wrap_detail_log.h"
#include "support/dialog_session.h"
#include "support/wav_fixture.h"
#include "ui/export_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/track_button.h"

#include <QCheckBox>

using tavrin::MessageIcon;
using tavrin::UserMessage;
using tavrin::app::ProgressMoment;
using tavrin::jobs::JobKind;
using tavrin::test::DialogSession;
using tavrin::test::HoldingControl;
using tavrin::ui::ProgressDialog;

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A fixture of 8 tracks from 10:00:00;00 (29.97 drop frame, 30 frames) loaded into the session,
// a mono WAV on track 1, tracks 1 and 2 ON, IN 10:00:00;05 and OUT 10:00:00;20.
void prepare_wrap(DialogSession& s) {
  const std::string path = s.write_fixture("PROG_0001.mxf", tavrin::test::MxfFixtureOptions{});
  const tavrin::app::LoadStart start = tavrin::app::load_mxf(
      s.app, path, tavrin::app::LoadOrigin::kMenu, tavrin::app::test::analysis_dialog());
  QVERIFY(start.started);
  QCOMPARE(s.app.mxfLoaded, uint8_t{1});
  tavrin::test::WavParams wav;
  wav.channels = 1;
  wav.sampleFrames = 48000;
  const std::string wavPath = s.dir.file("narration.wav");
  QVERIFY(tavrin::test::write_wav(wavPath, tavrin::test::make_wav(wav)));
  QCOMPARE(tavrin::app::add_wav_files(s.app, {wavPath}).added, 1);
  QVERIFY(!tavrin::app::assign_file(s.app, &s.app.library.entries.front(), 0).has_value());
  tavrin::app::toggle_track_switch(s.app, 0);
  tavrin::app::toggle_track_switch(s.app, 1);
  QVERIFY(!tavrin::app::enter_in(s.app, "10000005").has_value());
  QVERIFY(!tavrin::app::enter_out(s.app, "10000020").has_value());
}

// The wrap detail log the core writes for the session's last job at the time the log says it was
// written.
std::string core_detail_log(DialogSession& s, const std::string& log) {
  tavrin::platform::LocalTime when;
  const size_t line = log.find("作成日: ");
  if (line == std::string::npos) return "no date line";
  if (std::sscanf(log.c_str() + line + std::string("作成日: ").size(), "%d/%d/%d %d:%d:%d",
                  &when.year, &when.month, &when.day, &when.hour, &when.minute, &when.second) != 6)
    return "unreadable date";
  std::string expected;
  for (const std::string& piece : tavrin::jobs::wrap_detail_log_pieces(
           s.app.mxfPath, s.app.mxf(), s.app.tracks, s.app.useFileApi != 0, when))
    expected += piece;
  return expected;
}

}  // namespace

class ProgressDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void finishedWrapOffersTheDetailLog() {
    DialogSession s;
    prepare_wrap(s);
    s.presenter.answers = {true};
    const std::string logPath = s.dir.file("detail");
    s.presenter.paths = {logPath};
    ProgressDialog dialog(s.context(), JobKind::kWrapping, &s.owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("MXF Corvane ver 2.0"));
    QCOMPARE(dialog.button()->text(), QStringLiteral("キャンセル"));
    bool seen = false;
    s.presenter.onShow = [&](const UserMessage& m) {
      if (seen || m.yesNo) return;
      seen = true;
      QCOMPARE(dialog.stateLabel()->text(), QStringLiteral("ラッピングが完了しました。"));
      QCOMPARE(dialog.button()->text(), QStringLiteral("閉じる"));
      QVERIFY(!dialog.button()->isEnabled());
      QCOMPARE(dialog.progressBar()->value(), 100);
      QCOMPARE(dialog.fileLabel()->text(), QStringLiteral("PROG_0001.mxf"));
      QCOMPARE(dialog.inLabel()->text(), QStringLiteral("10:00:00,05"));
      QCOMPARE(dialog.outLabel()->text(), QStringLiteral("10:00:00,20"));
      QCOMPARE(dialog.reachedLabel()->text(), QStringLiteral("10:00:00,20まで完了"));
    };
    dialog.run();
    QVERIFY(seen);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    const UserMessage& done = s.presenter.shown[0].message;
    QCOMPARE(done.caption, std::string("MXF Corvane"));
    QCOMPARE(done.icon, MessageIcon::kInformation);
    QVERIFY(contains(done.text, "PROG_0001.mxf"));
    const UserMessage& question = s.presenter.shown[1].message;
    QCOMPARE(question.text, std::string("詳細ログを作成しますか？"));
    QCOMPARE(question.caption, std::string("MXF Tavrin"));
    QVERIFY(question.yesNo);
    QCOMPARE(s.presenter.saveTitles, std::vector<std::string>{"ラッピング詳細ログの保存"});
    QCOMPARE(s.presenter.shown[2].message.text,
             "PROG_0001.mxf\nに対して行ったラッピング処理の詳細を下記の場所に作成しました。\n\n" +
                 logPath + ".txt");
    QCOMPARE(s.statuses,
             (std::vector<std::string>{"ラッピング中...", "ラッピング完了",
                                       "リラップ詳細ログを作成中...", "詳細ログの作成完了"}));
    const std::string log = contents(logPath + ".txt");
    QVERIFY(contains(log, "< 書込み方式 >\r\nメモリマッピング\r\n"));
    QCOMPARE(log, core_detail_log(s, log));
  }

  void wrapStoppedAfterKFramesSaysHowFarItWrote() {
    DialogSession s;
    prepare_wrap(s);
    ProgressDialog dialog(s.context(), JobKind::kWrapping, &s.owner);
    HoldingControl stopAt5(dialog.control(), UINT32_MAX, 5);
    dialog.jobControl = &stopAt5;
    QString state;
    s.presenter.onShow = [&](const UserMessage&) { state = dialog.stateLabel()->text(); };
    dialog.run();
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    const UserMessage& ended = s.presenter.shown[0].message;
    QCOMPARE(ended.caption, std::string("MXF Corvane"));
    QCOMPARE(ended.icon, MessageIcon::kWarning);
    QVERIFY(contains(ended.text, "\n\n10:00:00,09までのフレームが書き込まれています。"));
    QCOMPARE(state, QStringLiteral("ラッピング処理を中断しました。"));
    QCOMPARE(s.statuses.back(), std::string("ラッピング処理を中断しました。"));
    QVERIFY(s.presenter.saveTitles.empty());
  }

  void escCancelsAndTheCloseBoxDoesNothing() {
    DialogSession s;
    prepare_wrap(s);
    ProgressDialog dialog(s.context(), JobKind::kWrapping, &s.owner);
    HoldingControl hold(dialog.control(), 3);
    dialog.jobControl = &hold;
    bool checked = false;
    auto* timer = new QTimer(&dialog);
    timer->setInterval(5);
    connect(timer, &QTimer::timeout, [&] {
      if (!hold.held()) return;
      timer->stop();
      dialog.close();
      QTest::keyClick(&dialog, Qt::Key_Return);
      QVERIFY(dialog.isVisible());
      QCOMPARE(dialog.moment(), ProgressMoment::kStart);
      QVERIFY(!dialog.control().cancelling());
      QVERIFY(dialog.button()->isEnabled());
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QVERIFY(dialog.isVisible());
      QCOMPARE(dialog.moment(), ProgressMoment::kCancelling);
      QVERIFY(dialog.control().cancelling());
      QVERIFY(!dialog.button()->isEnabled());
      QCOMPARE(dialog.stateLabel()->text(),
               QStringLiteral("中断処理を行っています、お待ちください..."));
      QCOMPARE(s.statuses.back(), std::string("中断処理中..."));
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QVERIFY(dialog.isVisible());
      checked = true;
      hold.release();
    });
    timer->start();
    dialog.run();
    QVERIFY(checked);
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    QVERIFY(contains(s.presenter.shown[0].message.text,
                     "10:00:00,07までのフレームが書き込まれています。"));
  }

  void fileApiSettingReachesTheEngine() {
    DialogSession s;
    prepare_wrap(s);
    {
      tavrin::ui::SettingsDialog settings(s.app, &s.owner);
      settings.fileApiBox()->setChecked(true);
      QTest::mouseClick(settings.okButton(), Qt::LeftButton);
    }
    s.presenter.answers = {true};
    s.presenter.paths = {s.dir.file("detail.txt")};
    tavrin::ui::run_progress_dialog(s.context(), JobKind::kWrapping, &s.owner);
    QCOMPARE(s.presenter.shown.at(0).message.icon, MessageIcon::kInformation);
    const std::string log = contents(s.dir.file("detail.txt"));
    QVERIFY(contains(log, "< 書込み方式 >\r\n標準ファイル入出力\r\n"));
    QCOMPARE(log, core_detail_log(s, log));
  }

  void changedFileIsRefusedBeforeAnythingStarts() {
    DialogSession s;
    prepare_wrap(s);
    const std::filesystem::path mxf(s.app.mxfPath);
    std::filesystem::last_write_time(
        mxf, std::filesystem::last_write_time(mxf) + std::chrono::seconds(5));
    const std::string before = contents(s.app.mxfPath);
    tavrin::ui::run_progress_dialog(s.context(), JobKind::kWrapping, &s.owner);
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    QCOMPARE(s.presenter.shown[0].message.text,
             tavrin::app::loaded_file_changed_text("PROG_0001.mxf"));
    QVERIFY(s.statuses.empty());
    QCOMPARE(contents(s.app.mxfPath), before);
  }

  void exportReturnsToTheFormWithTheCoresFiles() {
    DialogSession s;
    prepare_wrap(s);
    tavrin::app::prepare_export(s.app);
    const std::string folder = s.dir.file("out");
    std::filesystem::create_directory(folder);
    s.presenter.folders = {folder};
    tavrin::ui::ExportDialog form(s.context(), &s.owner);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.folderButton(), Qt::LeftButton);
    QTest::mouseClick(form.inButton(), Qt::LeftButton);
    QTest::keyClicks(form.inField(), "10000002");
    QTest::keyClick(form.inField(), Qt::Key_Return);
    QTest::keyClicks(form.outField(), "10000012");
    QTest::keyClick(form.outField(), Qt::Key_Return);
    QTest::mouseClick(form.trackButton(0), Qt::LeftButton);
    QTest::mouseClick(form.trackButton(2), Qt::LeftButton);
    QTest::mouseClick(form.exportButton(), Qt::LeftButton);
    QVERIFY(form.isVisible());
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    QCOMPARE(s.presenter.shown[0].message.caption, std::string("MXF Corvane"));
    QCOMPARE(s.presenter.shown[0].message.icon, MessageIcon::kInformation);
    QVERIFY(s.presenter.saveTitles.empty());
    QCOMPARE(s.statuses,
             (std::vector<std::string>{"BWFファイルを書出し中...", "BWFファイル書出し完了"}));

    // The core's export of the same range and tracks into another folder.
    const std::string coreFolder = s.dir.file("core");
    std::filesystem::create_directory(coreFolder);
    s.app.tracks.exportFolder = coreFolder;
    tavrin::platform::NullJobControl control;
    tavrin::app::BackgroundJob job =
        tavrin::app::start_export(s.app, control, [](const tavrin::jobs::JobMessage&) {});
    QVERIFY(job.started());
    job.join();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"Track-1.wav", "Track-3.wav"}));
    for (const std::string& name : names) {
      const std::string written = contents(folder + "/" + name);
      QVERIFY(written.size() > 754);
      QCOMPARE(written, contents(coreFolder + "/" + name));
    }
  }
};

QTEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"
