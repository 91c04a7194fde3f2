// Wrapping jobs killed with SIGKILL at seeded random moments, by both engines, some of them in the
// middle of a journal flush: after each, `info` reports the interrupted wrap, `wrap` refuses to
// start, and `undo` puts back the original bytes exactly (every fifth through the command line,
// the others through the operations it calls). Then `undo` refusing a changed file and
// `wrap --no-journal`, `--journal-dir` and `--discard-journal`.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "app/analysis_job.h"
#include "app/background_job.h"
#include "app/mxf_loading.h"
#include "app/undo.h"
#include "cli_run.h"
#include "platform/byte_source.h"
#include "support/job_controls.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "wrap/journaled_wrap.h"
#include "wrap/undo_restore.h"

namespace tavrin::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The pipe a child writes one byte to once its journal exists.
int readyPipe = -1;
// The commit at which the child kills itself between writing and flushing (0: none).
int killAtCommit = 0;

class KilledJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MxfFixtureOptions o;
    o.frameCount = 240;
    o.trackCount = 4;
    o.pictureSize = 2000;
    o.maxSegmentDuration = 12;
    path = dir.file("pgm.mxf");
    ASSERT_TRUE(write_mxf_fixture(path, o));
    original = read_file(path);
    load();
  }

  void load() {
    platform::Status status;
    const platform::File file = app::open_mxf_for_analysis(path, &status);
    ASSERT_TRUE(file.valid());
    const platform::FileSource source(file);
    jobs::JobMessage final;
    CancelAtFrame control;
    app::BackgroundJob job = app::start_analysis(app, path, source, control,
                                                 [&](const jobs::JobMessage& m) { final = m; });
    job.join();
    app::AnalysisRun run;
    run.final = final;
    ASSERT_TRUE(app::decide_analysis(app, run, {}).keep) << final.text;
    app::complete_load(app);
    for (size_t t = 0; t < 4; ++t) app.tracks.trackSwitch[t] = kTrackOn;  // silence
    const MXF_TIMECODE_INFO& tc = app.timecode();
    app.tracks.inFrame = {tc.startFrame + 4, tc.shiftedStart + 4};
    app.tracks.outFrame = {tc.startFrame + 230, tc.shiftedStart + 230};
  }

  // Starts the wrapping job in a child and kills it `delayMicros` after its journal exists, or
  // lets it kill itself in the flush of commit `atCommit`. Returns true when the child died of
  // SIGKILL (false when it ended first).
  bool kill_a_job(bool fileApi, long delayMicros, int atCommit) {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    app.useFileApi = fileApi ? 1 : 0;
    app.tracks.wavBufferIndex = 0;
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(fds[0]);
      readyPipe = fds[1];
      killAtCommit = atCommit;
      set_journal_writer_hook([](UndoJournalWriter& journal) {
        const char byte = 1;
        if (::write(readyPipe, &byte, 1) != 1) ::_exit(3);
        if (killAtCommit > 0) {
          journal.beforeSync = [n = 0]() mutable {
            if (++n == killAtCommit) ::raise(SIGKILL);
          };
        }
      });
      CancelAtFrame none;
      app::start_wrapping(app, none, {}).join();
      ::_exit(0);
    }
    ::close(fds[1]);
    char byte = 0;
    const bool ready = ::read(fds[0], &byte, 1) == 1;
    ::close(fds[0]);
    if (ready && atCommit == 0) {
      const timespec pause{0, delayMicros * 1000};
      ::nanosleep(&pause, nullptr);
      ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  TempDir dir;
  std::string path;
  std::vector<uint8_t> original;
  app::APP_STATE_INFO app;
};

TEST_F(KilledJobTest, EveryKilledJobIsReportedRefusesTheNextWrapAndUndoesExactly) {
  std::mt19937 random(20261208);
  int kills = 0, inFlush = 0, finished = 0;
  const std::vector<std::string> wrapArgs = {"wrap",     path,        "--in", "10000010", "--out",
                                             "10000020", "--silence", "2",    "--yes"};
  for (int attempt = 0; kills < 52 && attempt < 200; ++attempt) {
    const bool fileApi = attempt % 2 == 1;
    // One job in four dies in a flush of the journal, the others at a random moment.
    const int atCommit = attempt % 4 == 2 ? 1 + static_cast<int>(random() % 3) : 0;
    const long delay = static_cast<long>(random() % 40000);
    const bool diedOfKill = kill_a_job(fileApi, delay, fileApi && atCommit > 1 ? 1 : atCommit);
    // A kill that lands after the job wrote its closing record (while the process was ending)
    // leaves a completed job, not an interrupted one.
    if (!diedOfKill || find_journal(path, "").state == JournalState::kCompleted) {
      // The job ended before the kill: take it back and go on.
      ++finished;
      ASSERT_EQ(undo_wrap(path, "").fault, UndoFault::kNone);
      ASSERT_EQ(read_file(path), original);
      continue;
    }
    ++kills;
    inFlush += atCommit > 0;
    const std::vector<uint8_t> killed = read_file(path);

    if (kills % 5 == 1) {
      // Through the command line.
      const CliResult info = run_cli({"info", path});
      EXPECT_TRUE(contains(info.out, "interrupted wrap of 227 frames")) << info.out << info.err;
      const CliResult wrap = run_cli(wrapArgs);
      EXPECT_EQ(wrap.exitStatus, 1);
      EXPECT_TRUE(contains(wrap.out + wrap.err, "中断されたラッピング(227フレーム)の記録"))
          << wrap.out << wrap.err;
      EXPECT_EQ(read_file(path), killed);
      const CliResult undo = run_cli({"undo", path});
      ASSERT_EQ(undo.exitStatus, 0) << undo.out << undo.err;
    } else {
      // The same operations the commands call, in this process (each CLI run analyses the file
      // again, which makes fifty of them slow on a shared machine).
      EXPECT_EQ(app::interrupted_wrap_line(find_journal(path, "")),
                "interrupted wrap of 227 frames");
      app.mxfPath = path;
      app.loadedFile.known = false;
      CancelAtFrame none;
      app::BackgroundJob refused = app::start_wrapping(app, none, {});
      ASSERT_FALSE(refused.started());
      EXPECT_TRUE(contains(refused.refusal()->text, "中断されたラッピング(227フレーム)の記録"));
      EXPECT_EQ(read_file(path), killed);
      ASSERT_EQ(undo_wrap(path, "").fault, UndoFault::kNone);
    }
    ASSERT_EQ(read_file(path), original) << "attempt " << attempt;
    EXPECT_EQ(find_journal(path, "").state, JournalState::kNone);
  }
  std::printf("note: %d jobs killed (%d in a journal flush), %d ended before the kill\n", kills,
              inFlush, finished);
  EXPECT_GE(kills, 50);
  EXPECT_GE(inFlush, 10);
}

TEST_F(KilledJobTest, UndoRefusesAChangedFileAndTheJournalOptionsDoWhatTheySay) {
  const std::vector<std::string> wrap = {"wrap",     path,        "--in", "10000010", "--out",
                                         "10000020", "--silence", "2",    "--yes"};
  ASSERT_EQ(run_cli(wrap).exitStatus, 0);
  const std::vector<uint8_t> wrapped = read_file(path);
  const CliResult info = run_cli({"info", path});
  EXPECT_TRUE(contains(info.out, "completed wrap of 11 frames can be undone")) << info.out;

  // The file touched since the job: refused, nothing written.
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const CliResult refused = run_cli({"undo", path});
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_TRUE(contains(refused.out, "ラッピングの後にファイルの更新日時が変わっています。"))
      << refused.out;
  EXPECT_EQ(read_file(path), wrapped);

  // --discard-journal lets a wrap go without taking back the one before; --no-journal writes
  // none; --journal-dir puts it in its folder, where undo finds it.
  std::vector<std::string> args = wrap;
  args.push_back("--discard-journal");
  args.push_back("--no-journal");
  ASSERT_EQ(run_cli(args).exitStatus, 0);
  EXPECT_EQ(find_journal(path, "").state, JournalState::kNone);
  const std::string folder = dir.file("journals");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::vector<uint8_t> before = read_file(path);
  args = wrap;
  args[7] = "4";
  args.push_back("--journal-dir");
  args.push_back(folder);
  ASSERT_EQ(run_cli(args).exitStatus, 0);
  EXPECT_NE(read_file(path), before);
  EXPECT_EQ(run_cli({"undo", path}).exitStatus, 1);  // not beside the file
  const CliResult undo = run_cli({"undo", path, "--journal-dir", folder});
  ASSERT_EQ(undo.exitStatus, 0) << undo.out;
  EXPECT_EQ(read_file(path), before);
}

}  // namespace
}  // namespace tavrin::test
