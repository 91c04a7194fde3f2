// The analysis dialog over MXF fixtures, loaded through the load operation as the window does it:
// success, a refused file, timecode breaks with and without the LTC error log, a log target that
// cannot be written, the skip of the timecode check answered both ways, files of 26 tracks, and
// Esc, Enter and the close box while the job runs.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/analysis_job.h"
#include "app/mxf_loading.h"
#include "jobs/ltc_error_log.h"
#include "support/dialog_session.h"
#include "support/modal.h"
#include "ui/analysis_dialog.h"
#include "ui/dialog_placement.h"

using tavrin::MessageIcon;
using tavrin::UserMessage;
using tavrin::app::AnalysisPhase;
using tavrin::test::DialogSession;
using tavrin::test::HoldingControl;
using tavrin::test::MxfFixtureOptions;
using tavrin::ui::AnalysisDialog;

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs the analysis dialog for a load begun on `path`; `configure` sees the dialog before it
// runs. The load is completed afterwards unless `complete` is false (the test then looks at the
// records the dialog left).
void load(DialogSession& s, const std::string& path,
          const std::function<void(AnalysisDialog&)>& configure = {}, bool complete = true) {
  const tavrin::app::LoadStart start =
      tavrin::app::begin_load(s.app, path, tavrin::app::LoadOrigin::kMenu);
  QVERIFY(start.started);
  {
    AnalysisDialog dialog(s.context(), &s.owner);
    if (configure) configure(dialog);
    dialog.run();
    QVERIFY(!dialog.isVisible());
  }
  if (complete) tavrin::app::complete_load(s.app);
}

// Once the worker is held, runs `during` on the window's thread and lets the worker go on.
void when_held(HoldingControl& control, const std::function<void()>& during) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, &control, during] {
    if (!control.held()) return;
    timer->stop();
    timer->deleteLater();
    during();
    control.release();
  });
  timer->start();
}

}  // namespace

class AnalysisDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void successEndsTheDialogAndLoads() {
    DialogSession s;
    const std::string path = s.write_fixture("PROG_0001.mxf", MxfFixtureOptions{});
    bool placed = false;
    load(s, path, [&](AnalysisDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("MXF Corvane ver 2.0"));
      QCOMPARE(d.remainingLabel()->text(), QStringLiteral("test"));
      QVERIFY(d.isModal());
      tavrin::test::when_modal<AnalysisDialog>([&](AnalysisDialog* shown) {
        const QRect client(s.owner.mapToGlobal(QPoint(0, 0)), s.owner.size());
        QCOMPARE(shown->pos(), tavrin::ui::progress_dialog_origin(client, shown->size()));
        QCOMPARE(shown->fileLabel()->text(), QStringLiteral("PROG_0001.mxf"));
        placed = true;
      });
    });
    QCOMPARE(s.app.mxfLoaded, uint8_t{1});
    QVERIFY(s.presenter.shown.empty());
    QVERIFY(s.presenter.saveTitles.empty());
    QVERIFY(!s.statuses.empty());
    QCOMPARE(s.statuses.front(), std::string("MXFファイルを解析中..."));
    QCOMPARE(s.statuses.back(), std::string("ロード完了"));
    Q_UNUSED(placed);
  }

  void refusedFileShowsItsMessageAndNeverOffersALog() {
    DialogSession s;
    // An earlier file with breaks, its log declined: nothing of it reaches the next file.
    s.presenter.answers = {false};
    load(s, s.write_fixture("BREAKS.mxf", tavrin::test::three_breaks_fixture()));
    QCOMPARE(s.app.mxfLoaded, uint8_t{0});
    QVERIFY(s.app.errorList.empty());
    s.presenter.shown.clear();

    MxfFixtureOptions o;
    o.trackCount = 24;
    o.deltaEntryCount = 27;
    const std::string path = s.write_fixture("WIDE.mxf", o);
    AnalysisPhase phase = AnalysisPhase::kSteps;
    QString state;
    load(s, path, [&](AnalysisDialog& d) {
      s.presenter.onShow = [&](const UserMessage&) {
        phase = d.phase();
        state = d.stateLabel()->text();
        QCOMPARE(d.button()->text(), QStringLiteral("閉じる"));
        QVERIFY(!d.button()->isEnabled());
      };
    });
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    const UserMessage& m = s.presenter.shown[0].message;
    QVERIFY(contains(
        m.text,
        "デルタエントリー数が想定数26(映像1+TC1+音声24)を越えているため、処理ができません。"));
    QCOMPARE(m.caption, std::string("MXF File Analysis"));
    QCOMPARE(m.icon, MessageIcon::kWarning);
    QVERIFY(!m.yesNo);
    QCOMPARE(phase, AnalysisPhase::kFailed);
    QCOMPARE(state, QStringLiteral("エラーが報告されたため解析を中断しました。"));
    QCOMPARE(s.statuses.back(), std::string("MXFファイル解析エラー"));
    QVERIFY(s.presenter.saveTitles.empty());
    QCOMPARE(s.app.mxfLoaded, uint8_t{0});
    QVERIFY(s.app.mxfPath.empty());
  }

  void breaksAnsweredYesWriteTheLogAsTheCoreWritesIt() {
    DialogSession s;
    const std::string path = s.write_fixture("PROG_0001.mxf", tavrin::test::three_breaks_fixture());
    const std::string logPath = s.dir.file("ltc");  // ".txt" is added
    s.presenter.answers = {true};
    s.presenter.paths = {logPath};
    tavrin::TimecodeErrorList breaks;
    s.presenter.onShow = [&](const UserMessage& m) {
      if (m.yesNo) breaks = s.app.errorList;
    };
    load(s, path, {}, /*complete=*/false);
    QCOMPARE(breaks.size(), size_t{3});
    QCOMPARE(s.presenter.shown.size(), size_t{2});
    const UserMessage& question = s.presenter.shown[0].message;
    QVERIFY(contains(question.text,
                     "MXFタイムコードエラーが検出されました。\r\nログファイルを作成しますか？"));
    QCOMPARE(question.caption, std::string("MXF File Analysis"));
    QCOMPARE(question.icon, MessageIcon::kInformation);
    QVERIFY(question.yesNo);
    QCOMPARE(s.presenter.saveTitles, std::vector<std::string>{"エラーログの保存"});
    const UserMessage& written = s.presenter.shown[1].message;
    QCOMPARE(written.text,
             "PROG_0001.mxf\r\n" + logPath + ".txt\r\n\nタイムコードエラーログを作成しました");
    QCOMPARE(written.caption, std::string("MXF File Analysis"));
    QCOMPARE(s.statuses.back(), std::string("ログテキスト書出し完了"));
    QVERIFY(std::find(s.statuses.begin(), s.statuses.end(), "ログテキストを書き出し中...") !=
            s.statuses.end());

    // Byte for byte the core's log of these breaks at the time the log says it was written.
    const std::string log = contents(logPath + ".txt");
    tavrin::platform::LocalTime when;
    const size_t line = log.find("作成日: ");
    QVERIFY(line != std::string::npos);
    QCOMPARE(
        std::sscanf(log.c_str() + line + std::string("作成日: ").size(), "%d/%d/%d %d:%d:%d",
                    &when.year, &when.month, &when.day, &when.hour, &when.minute, &when.second),
        6);
    std::string expected;
    for (const std::string& piece :
         tavrin::jobs::ltc_error_log_pieces(s.app.mxfPath, s.app.mxf(), breaks, when))
      expected += piece;
    QCOMPARE(log, expected);
    QVERIFY(s.app.errorList.empty());
    tavrin::app::complete_load(s.app);
    QCOMPARE(s.app.mxfLoaded, uint8_t{0});
  }

  void breaksAnsweredNoWriteNothing() {
    DialogSession s;
    s.presenter.answers = {false};
    load(s, s.write_fixture("PROG_0001.mxf", tavrin::test::three_breaks_fixture()));
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    QVERIFY(s.presenter.saveTitles.empty());
    QVERIFY(s.app.errorList.empty());
    QCOMPARE(s.app.mxfLoaded, uint8_t{0});
  }

  void unwritableLogTargetIsReportedAndTheSaveDialogComesAgain() {
    DialogSession s;
    s.presenter.answers = {true};
    // A folder cannot be opened as a file; the second choice can.
    s.presenter.paths = {s.dir.file("missing/first.txt"), s.dir.file("second.txt")};
    load(s, s.write_fixture("PROG_0001.mxf", tavrin::test::three_breaks_fixture()));
    QCOMPARE(s.presenter.saveTitles.size(), size_t{2});
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    const UserMessage& failure = s.presenter.shown[1].message;
    QVERIFY(failure.text.find(
                "エラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: ") !=
            std::string::npos);
    QCOMPARE(failure.caption, std::string("エラーログの保存"));
    QCOMPARE(failure.icon, MessageIcon::kError);
    QVERIFY(ends_with(s.presenter.shown[2].message.text, "タイムコードエラーログを作成しました"));
    QVERIFY(!contents(s.dir.file("second.txt")).empty());
  }

  void skipAnsweredYesKeepsAndNoUnloads_data() {
    QTest::addColumn<bool>("keep");
    QTest::newRow("Yes keeps the file") << true;
    QTest::newRow("No unloads it") << false;
  }
  void skipAnsweredYesKeepsAndNoUnloads() {
    QFETCH(bool, keep);
    DialogSession s;
    MxfFixtureOptions o;
    o.frameCount = 40;
    const std::string path = s.write_fixture("PROG_0001.mxf", o);
    s.presenter.answers = {keep};
    std::unique_ptr<HoldingControl> control;
    bool checked = false;
    load(s, path, [&](AnalysisDialog& d) {
      control = std::make_unique<HoldingControl>(d.control(), 5);
      d.jobControl = control.get();
      when_held(*control, [&] {
        d.refresh();
        QCOMPARE(d.phase(), AnalysisPhase::kVerifying);
        QVERIFY(d.button()->isEnabled());
        QCOMPARE(d.button()->text(), QStringLiteral("スキップまたは中断する"));
        QCOMPARE(d.remainingLabel()->text(), QStringLiteral("残り 35フレーム(40フレーム中)"));
        QCOMPARE(d.stateLabel()->text(),
                 QStringLiteral("ストリームアドレスとSDTIタイムコードを検証しています..."));
        QCOMPARE(d.progressBar()->value(), 12);
        // Esc, Enter and the close box change nothing while the job runs.
        QTest::keyClick(&d, Qt::Key_Escape);
        QTest::keyClick(&d, Qt::Key_Return);
        QTest::keyClick(d.button(), Qt::Key_Return);
        d.close();
        QVERIFY(d.isVisible());
        QCOMPARE(d.phase(), AnalysisPhase::kVerifying);
        QVERIFY(!d.control().cancelling());
        QTest::mouseClick(d.button(), Qt::LeftButton);
        QCOMPARE(d.phase(), AnalysisPhase::kCancelling);
        QVERIFY(!d.button()->isEnabled());
        QCOMPARE(d.stateLabel()->text(),
                 QStringLiteral("中断処理を行っていますのでこのままお待ちください..."));
        QCOMPARE(s.statuses.back(), std::string("中断処理中..."));
        checked = true;
      });
    });
    QVERIFY(checked);
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    const UserMessage& question = s.presenter.shown[0].message;
    QVERIFY(contains(question.text, "解析を中断しました。\nこのままロードしますか？"));
    QCOMPARE(question.caption, std::string("MXF Corvane"));
    QCOMPARE(question.icon, MessageIcon::kWarning);
    QVERIFY(question.yesNo);
    QCOMPARE(s.statuses.back(), std::string("解析をキャンセル"));
    QCOMPARE(s.app.mxfLoaded, uint8_t(keep ? 1 : 0));
  }

  // A file of more than 24 tracks is refused by the index step (more delta entries than the 26
  // it takes), so the track count of an analysed 24-track file is raised while the worker is held
  // in the timecode check, before the dialog decides.
  void twentySixTracksAreWarnedOnBothPaths() {
    MxfFixtureOptions o;
    o.trackCount = 24;
    o.frameCount = 40;
    for (const bool skipped : {false, true}) {
      DialogSession s;
      s.presenter.answers = {true};
      const std::string path = s.write_fixture("WIDE.mxf", o);
      std::unique_ptr<HoldingControl> control;
      load(s, path, [&](AnalysisDialog& d) {
        control = std::make_unique<HoldingControl>(d.control(), 3, skipped ? 3 : UINT32_MAX);
        d.jobControl = control.get();
        when_held(*control, [&] { s.app.audio().trackCount = 26; });
      });
      const std::vector<std::string> expected =
          skipped ? std::vector<std::string>{s.presenter.texts().front(),
                                             "アプリの設計上 25 から "
                                             "26トラックは認識されません。\nご了承ください。"}
                  : std::vector<std::string>{"アプリの設計上 25 から 26トラックは認識されません。"};
      QCOMPARE(s.presenter.texts(), expected);
      QCOMPARE(s.presenter.shown.back().message.icon, MessageIcon::kWarning);
      QCOMPARE(s.presenter.shown.back().message.caption, std::string());
      QCOMPARE(s.app.mxfLoaded, uint8_t{1});
      for (size_t t = 0; t < tavrin::kTrackSlots; ++t)
        QCOMPARE(s.app.tracks.trackSwitch[t], uint8_t{0});
    }
  }
};

QTEST_MAIN(AnalysisDialogTest)
#include "analysis_dialog_test.moc"
