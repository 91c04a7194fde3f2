// Taking a wrap back through the window: a wrap stopped at a known frame, its restore offered and
// answered Yes, gives the original file byte for byte; "元に戻す" in the ファイル menu after a
// completed wrap restores it and goes away with the next load; a journal left without its closing
// record is found at load, No leaves file and journal alone and Yes restores the original; a
// journal kept at load is discarded from the ファイル menu after its question; a wrap stopped
// before it writes does not offer the journal an earlier stopped wrap left.
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/app_test_support.h"
#include "app/background_job.h"
#include "app/command_table.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_switches.h"
#include "platform/job_control.h"
#include "support/dialog_session.h"
#include "support/wav_fixture.h"
#include "ui/main_window.h"
#include "ui/progress_dialog.h"
#include "wrap/undo_journal.h"
#include "wrap/undo_restore.h"

using namespace tavrin;
using test::DialogSession;

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

ui::WindowPrompts prompts_loading(const std::string& mxf) {
  ui::WindowPrompts prompts;
  prompts.openMxf = [mxf](QWidget*) { return QString::fromStdString(mxf); };
  prompts.openWavs = [](QWidget*) { return QStringList(); };
  prompts.openFolder = [](const QString&) {};
  return prompts;
}

// On the loaded file: a mono WAV on track 1, tracks 1 and 2 ON, IN 10:00:00;05 and OUT
// 10:00:00;20 (16 frames).
void arrange_job(DialogSession& s) {
  test::WavParams wav;
  wav.channels = 1;
  wav.sampleFrames = 48000;
  const std::string wavPath = s.dir.file("narration.wav");
  test::write_wav(wavPath, test::make_wav(wav));
  app::add_wav_files(s.app, {wavPath});
  app::assign_file(s.app, &s.app.library.entries.front(), 0);
  app::toggle_track_switch(s.app, 0);
  app::toggle_track_switch(s.app, 1);
  app::enter_in(s.app, "10000005");
  app::enter_out(s.app, "10000020");
}

// The 8-track fixture (29.97 drop frame from 10:00:00;00) loaded into the session with the job
// above arranged. Returns the MXF file's path.
std::string prepare_wrap(DialogSession& s) {
  const std::string path = s.write_fixture("PROG_0001.mxf", test::MxfFixtureOptions{});
  app::load_mxf(s.app, path, app::LoadOrigin::kMenu, app::test::analysis_dialog());
  arrange_job(s);
  return path;
}

// A wrap whose journal lost its closing record, as a job cut off after its last flush leaves it;
// the file is unloaded afterwards.
void leave_interrupted_journal(DialogSession& s, const std::string& mxf) {
  platform::NullJobControl control;
  app::BackgroundJob job = app::start_wrapping(s.app, control, {});
  QVERIFY(job.started());
  job.join();
  const std::string journal = journal_path(mxf, "");
  std::filesystem::resize_file(journal, std::filesystem::file_size(journal) - kJournalClosingSize);
  QCOMPARE(find_journal(mxf, "").state, JournalState::kInterrupted);
  app::unload(s.app);
}

struct Window {
  explicit Window(DialogSession& s, ui::WindowPrompts prompts = prompts_loading(""))
      : window(s.app, s.presenter, std::move(prompts)) {
    window.resize(1400, 900);
    window.show();
    window.activateWindow();
    exposed = QTest::qWaitForWindowActive(&window);
    window.refresh();
  }
  QAction* undo() { return window.action(app::kCmdUndo); }
  QAction* discard() { return window.action(app::kCmdDiscardJournal); }
  ui::MainWindow window;
  bool exposed = false;
};

}  // namespace

class UndoWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void aWrapStoppedAtFrameFiveIsRestoredOnYes() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    QCOMPARE(s.app.mxfLoaded, uint8_t{1});
    const std::string original = contents(mxf);
    Window w(s);
    QVERIFY(w.exposed);
    std::unique_ptr<test::HoldingControl> stopAt5;
    w.window.beforeWrap = [&](ui::ProgressDialog& dialog) {
      stopAt5 = std::make_unique<test::HoldingControl>(dialog.control(), UINT32_MAX, 5);
      dialog.jobControl = stopAt5.get();
    };
    std::string wrapped;
    s.presenter.onShow = [&](const UserMessage& m) {
      if (m.yesNo && contains(m.text, "元の音声に戻しますか")) wrapped = contents(mxf);
    };
    s.presenter.answers = {true, true};  // the backup question, then the restore
    QVERIFY(w.window.run_command(app::kCmdWrap));

    const std::vector<std::string> texts = s.presenter.texts();
    QCOMPARE(texts.size(), size_t{4});
    QVERIFY(contains(texts[1], "10:00:00,09までのフレームが書き込まれています。"));
    const UserMessage& offer = s.presenter.shown[2].message;
    QVERIFY(offer.yesNo);
    QCOMPARE(offer.icon, MessageIcon::kWarning);
    QCOMPARE(offer.text, std::string("PROG_0001.mxf\n\nラッピングが中止しました。(5フレームを書き込"
                                     "み済み)\n書き込んだ部分を元の音声に戻しますか？"));
    QVERIFY(!wrapped.empty());
    QVERIFY(wrapped != original);
    const UserMessage& result = s.presenter.shown[3].message;
    QCOMPARE(result.icon, MessageIcon::kInformation);
    QVERIFY(contains(result.text, "PROG_0001.mxf\n\n元の音声に戻しました。"));
    QVERIFY(contents(mxf) == original);
    QCOMPARE(find_journal(mxf, "").state, JournalState::kNone);
    QVERIFY(!w.undo()->isEnabled());
    QVERIFY(!s.app.jobRunning);

    // The restored file is this program's own change: the next wrap starts and completes.
    s.presenter.answers = {true, false};
    stopAt5.reset();
    w.window.beforeWrap = nullptr;
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown[5].message.icon, MessageIcon::kInformation);
  }

  void aStoppedWrapAnsweredNoKeepsWhatWasWritten() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    Window w(s);
    QVERIFY(w.exposed);
    std::unique_ptr<test::HoldingControl> stopAt5;
    w.window.beforeWrap = [&](ui::ProgressDialog& dialog) {
      stopAt5 = std::make_unique<test::HoldingControl>(dialog.control(), UINT32_MAX, 5);
      dialog.jobControl = stopAt5.get();
    };
    s.presenter.answers = {true, false};
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    const std::string wrapped = contents(mxf);
    QCOMPARE(find_journal(mxf, "").state, JournalState::kCancelled);
    QVERIFY(!w.undo()->isEnabled());  // the command is for completed wraps only
    QVERIFY(contents(mxf) == wrapped);
  }

  void undoInTheFileMenuAfterACompletedWrapUntilTheFileIsUnloaded() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    const std::string original = contents(mxf);
    Window w(s);
    QMenu* fileMenu = w.window.menuBar()->actions().at(0)->menu();
    QVERIFY(fileMenu->actions().contains(w.undo()));
    QCOMPARE(w.undo()->text(), QStringLiteral("元に戻す(&Z)"));
    QVERIFY(!w.undo()->isEnabled());

    s.presenter.answers = {true, false};  // the backup question; no detail log
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    QCOMPARE(s.presenter.shown[1].message.icon, MessageIcon::kInformation);
    QVERIFY(w.undo()->isEnabled());
    const std::string wrapped = contents(mxf);
    QVERIFY(wrapped != original);

    QVERIFY(w.window.run_command(app::kCmdUndo));
    QVERIFY(contents(mxf) == original);
    QCOMPARE(s.presenter.shown.size(), size_t{4});
    QCOMPARE(s.presenter.shown[3].message.icon, MessageIcon::kInformation);
    QVERIFY(contains(s.presenter.shown[3].message.text, "元の音声に戻しました。"));
    QVERIFY(!w.undo()->isEnabled());
    QVERIFY(!w.window.run_command(app::kCmdUndo));

    // Wrapped again: available again, and gone with the file.
    s.presenter.answers = {true, false};
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QVERIFY(w.undo()->isEnabled());
    QVERIFY(w.window.run_command(app::kCmdUnloadMxf));
    QVERIFY(!w.undo()->isEnabled());
    QVERIFY(contents(mxf) == wrapped);
  }

  void anInterruptedJournalIsFoundAtLoadNoKeepsItYesRestores() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    const std::string original = contents(mxf);
    leave_interrupted_journal(s, mxf);
    const std::string wrapped = contents(mxf);
    QVERIFY(wrapped != original);

    Window w(s, prompts_loading(mxf));
    s.presenter.answers = {false};
    QVERIFY(w.window.run_command(app::kCmdLoadMxf));
    QCOMPARE(s.app.mxfLoaded, uint8_t{1});
    QCOMPARE(s.presenter.shown.size(), size_t{1});
    const UserMessage& question = s.presenter.shown[0].message;
    QVERIFY(question.yesNo);
    QCOMPARE(question.text, std::string("PROG_0001.mxf\ninterrupted wrap of 16 frames\n\n途中で中断"
                                        "されたラッピング(16フレーム)の記録があります。\n元の音声"
                                        "に戻しますか？"));
    QVERIFY(contents(mxf) == wrapped);
    QCOMPARE(find_journal(mxf, "").state, JournalState::kInterrupted);

    QVERIFY(w.window.run_command(app::kCmdUnloadMxf));
    s.presenter.answers = {true};
    QVERIFY(w.window.run_command(app::kCmdLoadMxf));
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    QVERIFY(s.presenter.shown[1].message.yesNo);
    QCOMPARE(s.presenter.shown[2].message.icon, MessageIcon::kInformation);
    QVERIFY(contents(mxf) == original);
    QCOMPARE(find_journal(mxf, "").state, JournalState::kNone);
    QCOMPARE(s.app.mxfLoaded, uint8_t{1});
  }

  void aJournalKeptAtLoadIsDiscardedFromTheFileMenuAndTheWrapThenRuns() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    leave_interrupted_journal(s, mxf);
    const std::string wrapped = contents(mxf);
    Window w(s, prompts_loading(mxf));
    QMenu* fileMenu = w.window.menuBar()->actions().at(0)->menu();
    QVERIFY(fileMenu->actions().contains(w.discard()));
    QCOMPARE(w.discard()->text(), QStringLiteral("元に戻すための記録を破棄(&D)"));
    QVERIFY(!w.discard()->isEnabled());

    s.presenter.answers = {false};  // keep the journal at load
    QVERIFY(w.window.run_command(app::kCmdLoadMxf));
    QVERIFY(w.discard()->isEnabled());
    // The wrap is refused, and the refusal says where the way out is.
    arrange_job(s);
    w.window.refresh();
    size_t before = s.presenter.shown.size();
    s.presenter.answers = {true};
    w.window.run_command(app::kCmdWrap);
    QVERIFY(s.presenter.shown.size() > before);
    QVERIFY(contains(s.presenter.shown.back().message.text,
                     "ファイル メニューの「元に戻すための記録を破棄」"));
    QVERIFY(contents(mxf) == wrapped);

    // Asked first, No preselected; No leaves the journal.
    before = s.presenter.shown.size();
    s.presenter.answers = {false};
    QVERIFY(w.window.run_command(app::kCmdDiscardJournal));
    QCOMPARE(s.presenter.shown.size(), before + 1);
    const test::ShownMessage& question = s.presenter.shown.back();
    QVERIFY(question.message.yesNo);
    QVERIFY(!question.defaultYes);
    QVERIFY(contains(question.message.text, "元に戻すための記録を破棄しますか？"));
    QCOMPARE(find_journal(mxf, "").state, JournalState::kInterrupted);
    QVERIFY(w.discard()->isEnabled());

    s.presenter.answers = {true};
    QVERIFY(w.window.run_command(app::kCmdDiscardJournal));
    QCOMPARE(s.presenter.shown.size(), before + 3);
    QCOMPARE(s.presenter.shown.back().message.text,
             std::string("PROG_0001.mxf\n\n元に戻すための記録を破棄しました。"));
    QCOMPARE(find_journal(mxf, "").state, JournalState::kNone);
    QVERIFY(!w.discard()->isEnabled());
    QVERIFY(contents(mxf) == wrapped);

    // The wrap runs now, and its journal can be discarded in turn.
    s.presenter.answers = {true, false};
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown[before + 4].message.icon, MessageIcon::kInformation);
    QCOMPARE(find_journal(mxf, "").state, JournalState::kCompleted);
    QVERIFY(w.undo()->isEnabled());
    QVERIFY(w.discard()->isEnabled());
  }

  void aWrapStoppedBeforeItWritesDoesNotOfferAnEarlierJournal() {
    DialogSession s;
    const std::string mxf = prepare_wrap(s);
    Window w(s);
    QVERIFY(w.exposed);
    std::unique_ptr<test::HoldingControl> stop;
    uint32_t stopAt = 5;
    w.window.beforeWrap = [&](ui::ProgressDialog& dialog) {
      stop = std::make_unique<test::HoldingControl>(dialog.control(), UINT32_MAX, stopAt);
      dialog.jobControl = stop.get();
    };
    s.presenter.answers = {true, false};  // the backup question; keep what was written
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown.size(), size_t{3});
    QVERIFY(w.discard()->isEnabled());
    const std::string afterFirst = contents(mxf);

    // Stopped before its first frame: the earlier journal stays on disk, and is not this job's.
    stopAt = 0;
    s.presenter.answers = {true, true};
    QVERIFY(w.window.run_command(app::kCmdWrap));
    QCOMPARE(s.presenter.shown.size(), size_t{5});
    for (size_t i = 3; i < s.presenter.shown.size(); ++i) {
      QVERIFY(!contains(s.presenter.shown[i].message.text, "元の音声に戻しますか"));
    }
    QVERIFY(contents(mxf) == afterFirst);
    const JournalFound kept = find_journal(mxf, "");
    QCOMPARE(kept.state, JournalState::kCancelled);
    QCOMPARE(kept.closing.framesWritten, 5u);
    QVERIFY(!w.undo()->isEnabled());
    QVERIFY(w.discard()->isEnabled());
  }
};

QTEST_MAIN(UndoWindowTest)
#include "undo_window_test.moc"
