// The loudness command in the window over an analysed fixture: measured through the operation
// menu, the result table shows the texts app/ builds for the same measurement and the saved
// report is the report builder's text in the log encoding; changing the target re-judges the
// rows; a WAV measured from the library's context menu; a stop at frame k leaves no result and no
// result dialog; a request refused before the start opens no dialog.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/app_test_support.h"
#include "app/command_table.h"
#include "app/loudness_texts.h"
#include "app/loudness_window.h"
#include "app/mxf_loading.h"
#include "loudness/loudness_codes.h"
#include "platform/text.h"
#include "support/dialog_session.h"
#include "support/loudness_signals.h"
#include "support/modal.h"
#include "ui/library_model.h"
#include "ui/library_view.h"
#include "ui/loudness_dialog.h"
#include "ui/main_window.h"

using tavrin::UserMessage;
using tavrin::loudness::TargetId;
using tavrin::test::DialogSession;
using tavrin::test::HoldingControl;
using tavrin::ui::LoudnessProgressDialog;
using tavrin::ui::LoudnessResultDialog;
namespace app = tavrin::app;

namespace {

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Four mono tones on a 4-track fixture of 150 frames (29.97 drop frame from 10:00:00;00), loaded
// into the session as the load command does.
void load_tones(DialogSession& s) {
  tavrin::test::MxfFixtureOptions options;
  options.trackCount = 4;
  options.pictureSize = 256;
  options.frameCount = 150;
  const std::string path = s.dir.file("PROG_0001.mxf");
  auto fixture = tavrin::test::make_signal_fixture(
      path, options,
      {tavrin::test::tone_sequence({{-20, 5.1}}), tavrin::test::tone_sequence({{-21, 5.1}}),
       tavrin::test::tone_sequence({{-10, 5.1}}, 300)});
  QVERIFY(fixture && fixture->loaded());
  const app::LoadStart start =
      app::load_mxf(s.app, path, app::LoadOrigin::kMenu, app::test::analysis_dialog());
  QVERIFY(start.started);
  QCOMPARE(s.app.mxfLoaded, uint8_t{1});
}

QStringList row_texts(const QTableWidget* table, int row) {
  QStringList texts;
  for (int c = 0; c < table->columnCount(); ++c) texts << table->item(row, c)->text();
  return texts;
}

QStringList expected_row(const app::LoudnessRow& row) {
  QStringList texts;
  for (const std::string& cell : row.cells) texts << QString::fromStdString(cell);
  return texts;
}

// The time the report says it was measured at.
tavrin::platform::LocalTime measured_at(const std::string& text) {
  tavrin::platform::LocalTime when;
  const std::string key = "測定日時: ";
  const size_t line = text.find(key);
  if (line != std::string::npos) {
    std::sscanf(text.c_str() + line + key.size(), "%d/%d/%d %d:%d:%d", &when.year, &when.month,
                &when.day, &when.hour, &when.minute, &when.second);
  }
  return when;
}

}  // namespace

class LoudnessDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void menuCommandMeasuresShowsAndSavesTheReport() {
    DialogSession s;
    load_tones(s);
    tavrin::ui::MainWindow window(s.app, s.presenter);
    QAction* action = window.action(app::kCmdLoudness);
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), QStringLiteral("ラウドネス測定(&N)"));
    QVERIFY(action->isEnabled());

    // What the window must show: the core's measurement of the same request.
    tavrin::platform::NullJobControl control;
    const app::LoudnessRequest request = app::loaded_file_request(s.app);
    const app::LoudnessReport expected =
        app::measure_loaded_file(s.app, request.scope, request.selection, TargetId::kArib, control);
    QVERIFY(expected.succeeded());
    const std::vector<app::LoudnessRow> rows = app::loudness_table_rows(expected);
    QCOMPARE(rows.size(), size_t{5});  // four tracks and the pair 1+2

    const std::string reportPath = s.dir.file("loudness");
    s.presenter.paths = {reportPath};
    bool seen = false;
    tavrin::test::when_modal<LoudnessResultDialog>([&](LoudnessResultDialog* dialog) {
      seen = true;
      QTableWidget* table = dialog->table();
      QCOMPARE(table->rowCount(), 5);
      for (int r = 0; r < 5; ++r) {
        QCOMPARE(row_texts(table, r), expected_row(rows[static_cast<size_t>(r)]));
      }
      QCOMPARE(table->horizontalHeaderItem(6)->text(), QStringLiteral("判定"));
      QCOMPARE(dialog->targetBox()->currentText(), QStringLiteral("ARIB TR-B32"));
      QCOMPARE(dialog->summaryLabel()->text(),
               QString::fromStdString(app::loudness_summary(expected)));
      QCOMPARE(dialog->spanLabel()->text(),
               QString::fromStdString(app::measured_span_text(expected)));
      QTest::mouseClick(dialog->saveButton(), Qt::LeftButton);
      dialog->accept();
    });
    action->trigger();
    QVERIFY(seen);
    QVERIFY(!s.app.jobRunning);
    QVERIFY(action->isEnabled());  // the job has ended: the command is on again

    QCOMPARE(s.presenter.saveTitles,
             std::vector<std::string>{std::string(app::kLoudnessSaveTitle)});
    const std::vector<std::string> texts = s.presenter.texts();
    QCOMPARE(texts.size(), size_t{1});
    QCOMPARE(texts[0], "ラウドネス測定結果を保存しました。\r\n" + reportPath + ".txt");
    const std::string saved = contents(reportPath + ".txt");
    // The report is the builder's text for the same measurement, in the log encoding.
    std::string utf8 = app::loudness_report_text(expected, &s.app.mxf(), measured_at(saved));
    std::string wanted;
    QVERIFY(tavrin::platform::convert_from_utf8(utf8, tavrin::platform::TextEncoding::kLocale,
                                                &wanted));
    QCOMPARE(saved, wanted);
  }

  void targetChoiceRejudgesTheRows() {
    DialogSession s;
    load_tones(s);
    tavrin::platform::NullJobControl control;
    app::LoudnessReport report =
        app::measure_loaded_file(s.app, app::LoudnessScope::kWholeFile,
                                 app::default_loudness_selection(s.app), TargetId::kArib, control);
    QVERIFY(report.succeeded());
    LoudnessResultDialog dialog(s.context(), report, &s.owner);
    QCOMPARE(dialog.table()->item(1, 6)->text(), QStringLiteral("適合"));  // -24 LKFS
    dialog.targetBox()->setCurrentIndex(1);                                // EBU R 128
    QCOMPARE(s.app.loudnessTarget, TargetId::kEbu);
    app::retarget_report(report, TargetId::kEbu);
    const std::vector<app::LoudnessRow> rows = app::loudness_table_rows(report);
    for (int r = 0; r < dialog.table()->rowCount(); ++r) {
      QCOMPARE(row_texts(dialog.table(), r), expected_row(rows[static_cast<size_t>(r)]));
    }
    QVERIFY(dialog.table()->item(1, 6)->text().startsWith(QStringLiteral("不適合")));
    QCOMPARE(dialog.targetLabel()->text(),
             QString::fromStdString(app::target_description(TargetId::kEbu)));
    // A save dialog cancelled: nothing written, nothing shown.
    QVERIFY(!dialog.save());
    QVERIFY(s.presenter.shown.empty());
  }

  void wavFromTheLibraryContextMenu() {
    DialogSession s;
    load_tones(s);
    const std::string wav = s.dir.file("mix.wav");
    QVERIFY(tavrin::test::write_signal_wav(
        wav, 2, 24, tavrin::test::both_channels(tavrin::test::tone_sequence({{-23, 4}}))));
    tavrin::ui::MainWindow window(s.app, s.presenter);
    window.drop_paths({QString::fromStdString(wav)});
    QCOMPARE(s.app.library.count, 1);
    if (!s.app.libraryShown) QVERIFY(window.run_command(app::kCmdToggleLibrary));
    QVERIFY(s.app.libraryShown);
    window.library_view()->selectionModel()->setCurrentIndex(
        window.library_model()->index(0, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window.refresh();
    QAction* item = nullptr;
    for (QAction* a : window.context_menu()->actions()) {
      if (a->text() == QStringLiteral("WAVのラウドネス測定(&N)")) item = a;
    }
    QVERIFY(item != nullptr);
    QVERIFY(item->isEnabled());
    QStringList cells;
    tavrin::test::when_modal<LoudnessResultDialog>([&](LoudnessResultDialog* dialog) {
      cells = row_texts(dialog->table(), 0);
      dialog->accept();
    });
    item->trigger();
    QCOMPARE(cells.size(), 7);
    QCOMPARE(cells[0], QStringLiteral("mix.wav"));
    QCOMPARE(cells[6], QStringLiteral("適合"));  // -23 LKFS meets ARIB TR-B32 (±1)
  }

  void stopAtFrameKLeavesNoResult() {
    DialogSession s;
    load_tones(s);
    LoudnessProgressDialog dialog(s.context(), app::loaded_file_request(s.app), &s.owner);
    HoldingControl holding(dialog.control(), 40);
    dialog.jobControl = &holding;
    bool enabledWhileHeld = false;
    tavrin::test::when_modal<LoudnessProgressDialog>([&](LoudnessProgressDialog* d) {
      QTRY_VERIFY(holding.held());
      QVERIFY(s.app.jobRunning);
      enabledWhileHeld = d->button()->isEnabled();
      QTest::mouseClick(d->button(), Qt::LeftButton);
      QCOMPARE(d->stateLabel()->text(), QStringLiteral("中止しています..."));
      QVERIFY(!d->button()->isEnabled());
      d->close();  // the close box does not end a running job
      QVERIFY(d->isVisible());
      holding.release();
    });
    const std::optional<app::LoudnessReport> report = dialog.run();
    QVERIFY(enabledWhileHeld);
    QVERIFY(report.has_value());
    QVERIFY(report->cancelled());
    QVERIFY(report->results.empty());
    QVERIFY(!s.app.jobRunning);
    QCOMPARE(s.statuses.front(), std::string(app::kLoudnessRunningStatus));
  }

  void refusedRequestOpensNoDialog() {
    DialogSession s;
    load_tones(s);
    app::LoudnessRequest request = app::loaded_file_request(s.app);
    request.selection = {};
    LoudnessProgressDialog dialog(s.context(), request, &s.owner);
    QVERIFY(!dialog.run().has_value());
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    QVERIFY(!dialog.isVisible());
    QVERIFY(!s.app.jobRunning);
  }
  // Last: a watcher for a result dialog that must never open stays unused.
  void stoppedCommandShowsTheStopAndNoTable() {
    DialogSession s;
    load_tones(s);
    std::unique_ptr<HoldingControl> holding;
    bool resultShown = false;
    tavrin::test::when_modal<LoudnessResultDialog>([&](LoudnessResultDialog* d) {
      resultShown = true;
      d->accept();
    });
    tavrin::test::when_modal<LoudnessProgressDialog>([&](LoudnessProgressDialog* d) {
      QTRY_VERIFY(holding->held());
      QTest::keyClick(d, Qt::Key_Escape);  // Esc asks for the stop as キャンセル does
      holding->release();
    });
    const bool shown = tavrin::ui::run_loudness(
        s.context(), app::loaded_file_request(s.app), &s.owner, [&](LoudnessProgressDialog& d) {
          holding = std::make_unique<HoldingControl>(d.control(), 25);
          d.jobControl = holding.get();
        });
    QVERIFY(!shown);
    QVERIFY(!resultShown);
    QCOMPARE(s.presenter.texts(), std::vector<std::string>{"ラウドネス測定を中止しました。"});
  }
};

QTEST_MAIN(LoudnessDialogTest)
#include "loudness_dialog_test.moc"
