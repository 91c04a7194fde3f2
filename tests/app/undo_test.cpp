// Taking a wrap back as the window does it: the offer after a cancelled or failed wrap, answered
// Yes; "元に戻す" after a completed wrap and when it goes away; a journal left by a job that was
// killed, found at load, refusing the next wrap and restored on Yes; the journal switched off or
// put in a folder that does not exist; the space refusal's text.
#include "app/undo.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/analysis_job.h"
#include "app/background_job.h"
#include "app/command_state.h"
#include "app/command_table.h"
#include "app/mxf_loading.h"
#include "platform/byte_source.h"
#include "support/job_controls.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "wrap/journaled_wrap.h"

namespace tavrin::app {
namespace {

using test::CancelAtFrame;

class UndoAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.frameCount = 40;
    options.trackCount = 4;
    options.maxSegmentDuration = 8;
    path = dir.file("clip.mxf");
    ASSERT_TRUE(test::write_mxf_fixture(path, options));
    original = test::read_file(path);
  }

  void load() {
    platform::Status status;
    const platform::File file = open_mxf_for_analysis(path, &status);
    ASSERT_TRUE(file.valid());
    const platform::FileSource source(file);
    jobs::JobMessage final;
    CancelAtFrame control;
    BackgroundJob job =
        start_analysis(app, path, source, control, [&](const jobs::JobMessage& m) { final = m; });
    job.join();
    AnalysisRun run;
    run.final = final;
    ASSERT_TRUE(decide_analysis(app, run, {}).keep) << final.text;
    complete_load(app);
    ASSERT_EQ(app.mxfLoaded, 1);
    app.tracks.trackSwitch[0] = kTrackOn;  // silence on tracks 1 and 3
    app.tracks.trackSwitch[2] = kTrackOn;
    const MXF_TIMECODE_INFO& tc = app.timecode();
    app.tracks.inFrame = {tc.startFrame + 3, tc.shiftedStart + 3};
    app.tracks.outFrame = {tc.startFrame + 36, tc.shiftedStart + 36};
  }

  // Runs the wrapping job as the progress dialog does; returns its final message.
  jobs::JobMessage wrap(platform::JobControl& control) {
    jobs::JobMessage final;
    BackgroundJob job = start_wrapping(app, control, [&](const jobs::JobMessage& m) { final = m; });
    EXPECT_TRUE(job.started()) << (job.refusal() ? job.refusal()->text : "");
    job.join();
    return final;
  }

  test::TempDir dir;
  test::MxfFixtureOptions options;
  std::string path;
  std::vector<uint8_t> original;
  APP_STATE_INFO app;
};

TEST_F(UndoAppTest, CancelledWrapOffersToRestoreAndYesRestoresTheOriginal) {
  load();
  CancelAtFrame stop(11);
  const jobs::JobMessage final = wrap(stop);
  ASSERT_EQ(final.code, 99);
  ASSERT_NE(test::read_file(path), original);
  const std::optional<Question> offer = after_wrap(app, final);
  ASSERT_TRUE(offer);
  EXPECT_TRUE(offer->defaultYes);
  EXPECT_TRUE(offer->message.yesNo);
  EXPECT_EQ(offer->message.text,
            "clip.mxf\n\nラッピングが中止しました。(11フレームを書き込み済み)\n"
            "書き込んだ部分を元の音声に戻しますか？");
  EXPECT_FALSE(undo_available(app));  // only after a completed wrap

  const UndoOutcome yes = undo_last_wrap(app);
  ASSERT_TRUE(yes.restored) << yes.message.text;
  EXPECT_EQ(yes.message.icon, MessageIcon::kInformation);
  EXPECT_EQ(test::read_file(path), original);
  // The restore is the program's own change: the next job is not refused for it.
  EXPECT_FALSE(check_loaded_file(app));
  // Nothing left to restore.
  EXPECT_EQ(undo_last_wrap(app).message.text, "clip.mxf\n\n元に戻すための記録がありません。");
}

TEST_F(UndoAppTest, UndoCommandAfterACompletedWrapUntilAnotherLoadOrWrap) {
  load();
  EXPECT_FALSE(undo_available(app));
  CancelAtFrame none;
  jobs::JobMessage final = wrap(none);
  ASSERT_EQ(final.kind, jobs::JobMessageKind::kSucceeded);
  EXPECT_FALSE(after_wrap(app, final));  // no question after success
  EXPECT_TRUE(undo_available(app));
  const std::vector<uint8_t> afterFirst = test::read_file(path);

  // Another wrap that fails before it writes (IN after OUT): the command goes away with the
  // start of the job; the journal of the completed wrap stays and is offered by nothing.
  const std::array<uint32_t, 2> in = app.tracks.inFrame;
  app.tracks.inFrame = app.tracks.outFrame;
  app.tracks.outFrame = in;
  final = wrap(none);
  EXPECT_EQ(final.kind, jobs::JobMessageKind::kFailed);
  EXPECT_FALSE(after_wrap(app, final));
  EXPECT_FALSE(undo_available(app));
  app.tracks.outFrame = app.tracks.inFrame;
  app.tracks.inFrame = in;

  ASSERT_EQ(wrap(none).kind, jobs::JobMessageKind::kSucceeded);
  after_wrap(app, {jobs::JobMessageKind::kSucceeded, 0, {}, {}});
  EXPECT_TRUE(undo_available(app));
  unload(app);
  EXPECT_FALSE(undo_available(app));
  load();
  EXPECT_FALSE(undo_available(app));  // another load, even of the same file
  // The journal is still there for the command line. One level: undo goes back to the file as
  // the first wrap left it, as far as the second one.
  EXPECT_TRUE(undo_last_wrap(app).restored);
  EXPECT_EQ(test::read_file(path), afterFirst);

  // A journal removed behind the program's back: the command says so once and goes away.
  ASSERT_EQ(wrap(none).kind, jobs::JobMessageKind::kSucceeded);
  after_wrap(app, {jobs::JobMessageKind::kSucceeded, 0, {}, {}});
  ASSERT_TRUE(undo_available(app));
  ASSERT_TRUE(discard_journal(app.mxfPath, app.journalFolder).ok());
  const UndoOutcome gone = undo_last_wrap(app);
  EXPECT_FALSE(gone.restored);
  EXPECT_EQ(gone.message.icon, MessageIcon::kError);
  EXPECT_EQ(app.undoOffered, 0);

  // Switched off: no journal, nothing to take back.
  accept_journal_settings(app, false, "");
  ASSERT_EQ(wrap(none).kind, jobs::JobMessageKind::kSucceeded);
  after_wrap(app, {jobs::JobMessageKind::kSucceeded, 0, {}, {}});
  EXPECT_FALSE(undo_available(app));
  EXPECT_EQ(loaded_journal(app).state, JournalState::kNone);
}

// A wrapping job in a child process killed in the middle of its second journal flush.
TEST_F(UndoAppTest, AJobKilledMidwayIsFoundAtLoadRefusesTheNextWrapAndYesRestores) {
  load();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    set_journal_writer_hook([](UndoJournalWriter& journal) {
      journal.beforeSync = [n = 0]() mutable {
        if (++n == 2) ::raise(SIGKILL);
      };
    });
    CancelAtFrame none;
    jobs::JobMessage final;
    start_wrapping(app, none, [&](const jobs::JobMessage& m) { final = m; }).join();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::vector<uint8_t> killed = test::read_file(path);
  ASSERT_NE(killed, original);  // the first run was written

  unload(app);
  load();
  const std::optional<Question> question = question_at_load(app);
  ASSERT_TRUE(question);
  EXPECT_TRUE(question->defaultYes);
  EXPECT_EQ(question->message.text,
            "clip.mxf\ninterrupted wrap of 34 frames\n\n"
            "途中で中断されたラッピング(34フレーム)の記録があります。\n元の音声に戻しますか？");
  EXPECT_EQ(interrupted_wrap_line(loaded_journal(app)), "interrupted wrap of 34 frames");

  CancelAtFrame none;
  BackgroundJob refused = start_wrapping(app, none, {});
  ASSERT_FALSE(refused.started());
  EXPECT_NE(refused.refusal()->text.find("中断されたラッピング(34フレーム)の記録が残っています。"),
            std::string::npos);
  EXPECT_EQ(test::read_file(path), killed);

  // Yes, as the window does it: the restore on a worker, then its outcome taken in on this
  // thread.
  UndoOutcome outcome;
  BackgroundJob restore = start_undo(app, [&](const UndoOutcome& o) { outcome = o; });
  ASSERT_TRUE(restore.started());
  restore.join();
  ASSERT_TRUE(outcome.restored) << outcome.message.text;
  EXPECT_EQ(test::read_file(path), original);
  finish_undo(app, outcome);
  EXPECT_FALSE(question_at_load(app));
  EXPECT_FALSE(check_loaded_file(app));  // the restore does not count as another's change
}

// A cancelled wrap answered No keeps its journal. A later wrap with the same IN, OUT and tracks
// that stops before its first write leaves that journal on disk: it must not be offered as the
// later job's, and undo still takes the file back as far as the first job. A later wrap that
// does write offers its own journal with its own frames.
TEST_F(UndoAppTest, TheOfferAfterAStoppedWrapNamesOnlyThatJobsJournal) {
  load();
  CancelAtFrame stopAt11(11);
  jobs::JobMessage final = wrap(stopAt11);
  ASSERT_TRUE(after_wrap(app, final));  // answered No: the journal stays
  EXPECT_EQ(app.journalKept, 1);
  const std::vector<uint8_t> afterFirst = test::read_file(path);

  CancelAtFrame stopAtOnce(0);
  final = wrap(stopAtOnce);
  EXPECT_NE(final.kind, jobs::JobMessageKind::kSucceeded);
  EXPECT_EQ(test::read_file(path), afterFirst);
  const JournalFound kept = loaded_journal(app);
  ASSERT_EQ(kept.state, JournalState::kCancelled);
  EXPECT_EQ(kept.closing.framesWritten, 11u);
  EXPECT_FALSE(written_by_last_wrap(app, kept));
  EXPECT_FALSE(after_wrap(app, final));
  EXPECT_FALSE(undo_available(app));
  EXPECT_EQ(app.journalKept, 1);  // still there to be undone or discarded

  CancelAtFrame stopAt4(4);
  final = wrap(stopAt4);
  const std::optional<Question> own = after_wrap(app, final);
  ASSERT_TRUE(own);
  EXPECT_NE(own->message.text.find("(4フレームを書き込み済み)"), std::string::npos);
  EXPECT_TRUE(undo_last_wrap(app).restored);
  EXPECT_EQ(test::read_file(path), afterFirst);  // one level: back to the first job's end
  EXPECT_EQ(app.journalKept, 0);
}

// A job cut off leaves its journal; answered No at load, the wrap is refused and the refusal
// names the menu command that discards the journal. The command asks first with No preselected,
// then removes the journal, and the wrap starts again.
TEST_F(UndoAppTest, AJournalKeptAtLoadIsDiscardedAndTheWrapThenStarts) {
  load();
  CancelAtFrame none;
  ASSERT_EQ(wrap(none).kind, jobs::JobMessageKind::kSucceeded);
  const std::string journal = journal_path(path, "");
  ASSERT_EQ(::truncate(journal.c_str(),
                       static_cast<off_t>(test::read_file(journal).size() - kJournalClosingSize)),
            0);
  unload(app);
  EXPECT_EQ(app.journalKept, 0);
  EXPECT_FALSE(command_enabled(app, kCmdDiscardJournal));
  load();
  EXPECT_EQ(app.journalKept, 1);
  EXPECT_TRUE(command_enabled(app, kCmdDiscardJournal));
  const std::vector<uint8_t> wrapped = test::read_file(path);

  BackgroundJob refused = start_wrapping(app, none, {});
  ASSERT_FALSE(refused.started());
  EXPECT_NE(refused.refusal()->text.find("ファイル メニューの「元に戻すための記録を破棄」"),
            std::string::npos);

  const Question question = discard_question(app);
  EXPECT_FALSE(question.defaultYes);
  EXPECT_TRUE(question.message.yesNo);
  EXPECT_EQ(question.message.text,
            "clip.mxf\n\n中断されたラッピング(34フレーム)の元に戻すための記録を破棄しますか？\n"
            "破棄すると、ラッピング前の元の音声には戻せなくなります。");
  const DiscardOutcome discarded = discard_journal_of_loaded_file(app);
  EXPECT_TRUE(discarded.discarded);
  EXPECT_EQ(discarded.message.text, "clip.mxf\n\n元に戻すための記録を破棄しました。");
  EXPECT_EQ(loaded_journal(app).state, JournalState::kNone);
  EXPECT_FALSE(command_enabled(app, kCmdDiscardJournal));
  EXPECT_EQ(test::read_file(path), wrapped);  // the file itself is left as it is

  // Gone behind the program's back: the command says so and goes away.
  app.journalKept = 1;
  const DiscardOutcome nothing = discard_journal_of_loaded_file(app);
  EXPECT_FALSE(nothing.discarded);
  EXPECT_EQ(nothing.message.text, "clip.mxf\n\n元に戻すための記録がありません。");
  EXPECT_EQ(app.journalKept, 0);

  ASSERT_EQ(wrap(none).kind, jobs::JobMessageKind::kSucceeded);
  after_wrap(app, {jobs::JobMessageKind::kSucceeded, 0, {}, {}});
  EXPECT_TRUE(undo_available(app));
  EXPECT_EQ(app.journalKept, 1);
  // Another journal folder holds no journal of this file.
  const std::string folder = dir.file("journals");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  accept_journal_settings(app, true, folder);
  EXPECT_EQ(app.journalKept, 0);
}

TEST_F(UndoAppTest, AJournalFolderThatDoesNotExistRefusesBeforeAnythingIsWritten) {
  load();
  accept_journal_settings(app, true, dir.file("missing"));
  CancelAtFrame none;
  BackgroundJob job = start_wrapping(app, none, {});
  ASSERT_FALSE(job.started());
  EXPECT_NE(job.refusal()->text.find("元に戻すための記録の保存先を確認できません。"),
            std::string::npos);
  EXPECT_EQ(test::read_file(path), original);
}

TEST(UndoTexts, SpaceRefusalGivesBothSizesAndTheFolder) {
  EXPECT_FALSE(journal_space_refusal("a.mxf", 1000, 1000, "/j"));
  const std::optional<UserMessage> m = journal_space_refusal("a.mxf", 3145728, 1048575, "/j");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->icon, MessageIcon::kError);
  EXPECT_EQ(m->text,
            "a.mxf\n\n元に戻すための記録を書き込む空き容量が足りません。\n"
            "必要な容量: 3.00 MB (3145728 バイト)\n空き容量: 1024.00 KB (1048575 バイト)\n"
            "保存先: /j");
}

TEST(UndoTexts, EachRefusalSaysWhichCheckFailed) {
  UndoResult r;
  r.journal.path = "/m/a.mxf.undo";
  r.fault = UndoFault::kSizeChanged;
  r.journal.header.file.size = 100;
  r.now.size = 101;
  EXPECT_EQ(undo_result_text("a.mxf", r),
            "a.mxf\n\nラッピングの後にファイルのサイズが変わっています。\n記録: 100 バイト\n現在: "
            "101 バイト\nファイルは変更していません。");
  r.fault = UndoFault::kRecordDamaged;
  r.faultOffset = 4242;
  EXPECT_NE(
      undo_result_text("a.mxf", r).find("4242 バイト目のレコードのチェックサムが一致しません"),
      std::string::npos);
  for (const UndoFault f :
       {UndoFault::kOtherFile, UndoFault::kTimeChanged, UndoFault::kHeaderChanged,
        UndoFault::kRecordOutside, UndoFault::kUnreadableJournal, UndoFault::kOpenFile}) {
    r.fault = f;
    EXPECT_NE(undo_result_text("a.mxf", r).find("ファイルは変更していません。"), std::string::npos)
        << static_cast<int>(f);
  }
}

}  // namespace
}  // namespace tavrin::app
