// Renders every dialog in each of its states to PNG for a look by eye: the analysis dialog
// (as it opens, timecode check, skip asked, ended), the progress dialog (wrapping, cancelling,
// finished, stopped; export), the export dialog (empty, filled, entry field open, last page), the
// settings dialog, the loudness measurement (progress, result table under two targets), the
// restore after a stopped wrap (its question, the dialog while it runs, its result) and the
// message boxes of the dialogs. The files go to $TAVRIN_SCREENSHOT_DIR
// (scripts/screenshots_dialogs.sh), otherwise to a scratch folder; each must be a real picture.
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/app_test_support.h"
#include "app/export_form.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/loudness_window.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_switches.h"
#include "app/undo.h"
#include "support/dialog_session.h"
#include "support/loudness_signals.h"
#include "support/modal.h"
#include "support/wav_fixture.h"
#include "ui/analysis_dialog.h"
#include "ui/export_dialog.h"
#include "ui/loudness_dialog.h"
#include "ui/message_presenter.h"
#include "ui/progress_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/track_button.h"
#include "ui/undo_dialog.h"

using tavrin::UserMessage;
using tavrin::jobs::JobKind;
using tavrin::test::DialogSession;
using tavrin::test::HoldingControl;
using tavrin::test::MxfFixtureOptions;
using namespace tavrin::ui;

namespace {

class Shots {
 public:
  Shots() {
    const QByteArray dir = qgetenv("TAVRIN_SCREENSHOT_DIR");
    folder_ = dir.isEmpty() ? QString::fromStdString(scratch_.path()) : QString::fromUtf8(dir);
  }
  void take(QWidget* widget, const char* name) {
    const QImage image = widget->grab().toImage();
    QVERIFY2(!image.isNull() && image.width() > 50 && image.height() > 50, name);
    const QString path = folder_ + "/dialog_" + name + ".png";
    QVERIFY2(image.save(path), qPrintable(path));
    ++count_;
  }
  int count() const { return count_; }

 private:
  tavrin::test::TempDir scratch_;
  QString folder_;
  int count_ = 0;
};

Shots& shots() {
  static Shots s;
  return s;
}

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

void load_fixture(DialogSession& s, const MxfFixtureOptions& options) {
  const std::string path = s.write_fixture("PROG_0001.mxf", options);
  tavrin::app::load_mxf(s.app, path, tavrin::app::LoadOrigin::kMenu,
                        tavrin::app::test::analysis_dialog());
}

void prepare_wrap(DialogSession& s) {
  load_fixture(s, MxfFixtureOptions{});
  tavrin::test::WavParams wav;
  wav.channels = 1;
  const std::string wavPath = s.dir.file("narration.wav");
  tavrin::test::write_wav(wavPath, tavrin::test::make_wav(wav));
  tavrin::app::add_wav_files(s.app, {wavPath});
  tavrin::app::assign_file(s.app, &s.app.library.entries.front(), 0);
  tavrin::app::toggle_track_switch(s.app, 0);
  tavrin::app::enter_in(s.app, "10000005");
  tavrin::app::enter_out(s.app, "10000020");
}

}  // namespace

class DialogScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void analysisDialog() {
    DialogSession s;
    MxfFixtureOptions o;
    o.frameCount = 60;
    const std::string path = s.write_fixture("PROG_0001.mxf", o);
    tavrin::app::begin_load(s.app, path, tavrin::app::LoadOrigin::kMenu);
    AnalysisDialog d(s.context(), &s.owner);
    HoldingControl hold(d.control(), 20);
    d.jobControl = &hold;
    s.presenter.answers = {true};
    tavrin::test::when_modal<AnalysisDialog>(
        [&](AnalysisDialog* shown) { shots().take(shown, "224_opening"); });
    when_held(hold, [&] {
      d.refresh();
      shots().take(&d, "224_verifying");
      QTest::mouseClick(d.button(), Qt::LeftButton);
      shots().take(&d, "224_cancelling");
    });
    s.presenter.onShow = [&](const UserMessage& m) {
      shots().take(&d, "224_skipped");
      const auto box = make_message_box(&d, m);
      box->show();
      shots().take(box.get(), "224_box_skip_question");
    };
    d.run();
    tavrin::app::complete_load(s.app);
  }

  void analysisDialogEnds() {
    DialogSession s;
    s.presenter.answers = {true};
    s.presenter.paths = {s.dir.file("ltc.txt")};
    const std::string path = s.write_fixture("PROG_0001.mxf", tavrin::test::three_breaks_fixture());
    tavrin::app::begin_load(s.app, path, tavrin::app::LoadOrigin::kMenu);
    AnalysisDialog d(s.context(), &s.owner);
    int shown = 0;
    s.presenter.onShow = [&](const UserMessage& m) {
      const auto box = make_message_box(&d, m);
      box->show();
      if (shown == 0) shots().take(&d, "224_failed");
      shots().take(box.get(), shown == 0 ? "224_box_breaks" : "224_box_log_written");
      ++shown;
    };
    d.run();
    tavrin::app::complete_load(s.app);
  }

  void progressDialog() {
    DialogSession s;
    prepare_wrap(s);
    ProgressDialog d(s.context(), JobKind::kWrapping, &s.owner);
    HoldingControl hold(d.control(), 6);
    d.jobControl = &hold;
    when_held(hold, [&] {
      d.refresh();
      shots().take(&d, "220_wrapping");
      QTest::mouseClick(d.button(), Qt::LeftButton);
      shots().take(&d, "220_cancelling");
    });
    s.presenter.onShow = [&](const UserMessage& m) {
      shots().take(&d, "220_stopped");
      const auto box = make_message_box(&d, m);
      box->show();
      shots().take(box.get(), "220_box_stopped");
    };
    d.run();

    s.presenter.onShow = {};
    s.presenter.answers = {false};
    ProgressDialog finished(s.context(), JobKind::kWrapping, &s.owner);
    s.presenter.onShow = [&](const UserMessage& m) {
      if (m.yesNo) {
        const auto box = make_message_box(&finished, m);
        box->show();
        shots().take(box.get(), "220_box_log_question");
        return;
      }
      shots().take(&finished, "220_finished");
    };
    finished.run();
  }

  void exportDialog() {
    DialogSession s;
    MxfFixtureOptions o;
    o.trackCount = 12;
    load_fixture(s, o);
    tavrin::app::prepare_export(s.app);
    s.app.desktopPath = "/home/operator/Desktop";
    ExportDialog d(s.context(), &s.owner);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    shots().take(&d, "221_empty");
    QTest::mouseClick(d.inButton(), Qt::LeftButton);
    shots().take(&d, "221_in_field_open");
    QTest::keyClicks(d.inField(), "10000002");
    QTest::keyClick(d.inField(), Qt::Key_Return);
    QTest::keyClicks(d.outField(), "10000025");
    QTest::keyClick(d.outField(), Qt::Key_Return);
    QTest::mouseClick(d.selectAllButton(), Qt::LeftButton);
    QTest::mouseClick(d.trackButton(1), Qt::LeftButton);
    shots().take(&d, "221_filled");
    QTest::mouseClick(d.nextPageButton(), Qt::LeftButton);
    shots().take(&d, "221_page2");
    QTest::mouseClick(d.nextPageButton(), Qt::LeftButton);
    shots().take(&d, "221_page3");
    s.presenter.onShow = [&](const UserMessage& m) {
      const auto box = make_message_box(&d, m);
      box->show();
      shots().take(box.get(), "221_box_export_done");
    };
    s.app.tracks.exportFolder = s.dir.path();
    d.folderField()->setText(QString::fromStdString(s.dir.path()));
    ProgressDialog* progress = nullptr;
    d.runExport = [&](QWidget* parent) {
      ProgressDialog p(s.context(), JobKind::kExport, parent);
      progress = &p;
      HoldingControl hold(p.control(), 3);
      p.jobControl = &hold;
      when_held(hold, [&] {
        p.refresh();
        shots().take(&p, "220_export_running");
      });
      p.run();
      progress = nullptr;
    };
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    Q_UNUSED(progress);
  }

  void settingsDialog() {
    DialogSession s;
    SettingsDialog d(s.app, &s.owner);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    shots().take(&d, "222_default");
    d.fileApiBox()->setChecked(true);
    d.bufferList()->setCurrentIndex(1);
    shots().take(&d, "222_changed");
  }

  // The loudness measurement: its progress held mid-run, then the result table judged against
  // ARIB TR-B32 and against EBU R 128.
  void loudnessDialogs() {
    DialogSession s;
    MxfFixtureOptions options;
    options.trackCount = 4;
    options.pictureSize = 256;
    options.frameCount = 150;
    const std::string path = s.dir.file("PROG_0001.mxf");
    auto fixture = tavrin::test::make_signal_fixture(
        path, options,
        {tavrin::test::tone_sequence({{-20, 5.1}}), tavrin::test::tone_sequence({{-21, 5.1}}),
         tavrin::test::tone_sequence({{-10, 5.1}}, 300)});
    QVERIFY(fixture && fixture->loaded());
    tavrin::app::load_mxf(s.app, path, tavrin::app::LoadOrigin::kMenu,
                          tavrin::app::test::analysis_dialog());
    std::optional<tavrin::app::LoudnessReport> report;
    {
      LoudnessProgressDialog p(s.context(), tavrin::app::loaded_file_request(s.app), &s.owner);
      HoldingControl holding(p.control(), 60);
      p.jobControl = &holding;
      when_held(holding, [&] {
        p.refresh();
        shots().take(&p, "loudness_progress");
      });
      report = p.run();
    }
    QVERIFY(report && report->succeeded());
    LoudnessResultDialog r(s.context(), *report, &s.owner);
    r.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r));
    shots().take(&r, "loudness_result");
    r.targetBox()->setCurrentIndex(1);
    shots().take(&r, "loudness_result_ebu");
  }

  // A wrap stopped after 5 frames: the restore offered, the small dialog of the restore, and its
  // result.
  void undoAfterAStoppedWrap() {
    DialogSession s;
    prepare_wrap(s);
    std::optional<tavrin::jobs::JobMessage> final;
    {
      ProgressDialog p(s.context(), JobKind::kWrapping, &s.owner);
      HoldingControl stopAt5(p.control(), UINT32_MAX, 5);
      p.jobControl = &stopAt5;
      p.run();
      final = p.final_message();
    }
    QVERIFY(final.has_value());
    const std::optional<tavrin::app::Question> offer = tavrin::app::after_wrap(s.app, *final);
    QVERIFY(offer.has_value());
    const auto question = make_message_box(&s.owner, offer->message);
    question->show();
    shots().take(question.get(), "undo_box_restore_question");
    question->hide();
    UndoDialog d(s.context(), &s.owner);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    shots().take(&d, "undo_running");
    s.presenter.onShow = [&](const UserMessage& m) {
      const auto box = make_message_box(&s.owner, m);
      box->show();
      shots().take(box.get(), "undo_box_restored");
    };
    QVERIFY(d.run().restored);
  }

  void everyPictureWasTaken() { QCOMPARE(shots().count(), 29); }
};

QTEST_MAIN(DialogScreenshots)
#include "dialog_screenshots_test.moc"
