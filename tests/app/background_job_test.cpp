// Jobs started in the background as the progress dialogs start them: the messages an observer
// sees on the worker thread, a stop at an exact frame through the job control, and the check of
// the loaded file before a wrapping or export job.
#include "app/background_job.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "app/analysis_job.h"
#include "app/mxf_loading.h"
#include "app/progress_dialog.h"
#include "export/bwf_header.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/job_controls.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::app {
namespace {

using test::CancelAtFrame;

struct Seen {
  std::vector<jobs::JobMessage> messages;
  std::thread::id thread;
};

jobs::JobObserver recorder(Seen* seen) {
  return [seen](const jobs::JobMessage& message) {
    seen->messages.push_back(message);
    seen->thread = std::this_thread::get_id();
  };
}

class BackgroundJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.frameCount = 30;
    options.trackCount = 4;
    path = dir.file("clip.mxf");
    ASSERT_TRUE(test::write_mxf_fixture(path, options));
    original = test::read_file(path);
  }

  // Opens the file and runs the analysis in the background; joins after the final message.
  Seen analyse(platform::JobControl& control) {
    platform::Status status;
    const platform::File file = open_mxf_for_analysis(path, &status);
    EXPECT_TRUE(file.valid());
    const platform::FileSource source(file);
    Seen seen;
    BackgroundJob job = start_analysis(app, path, source, control, recorder(&seen));
    EXPECT_TRUE(job.started());
    job.join();
    return seen;
  }

  // A load as the window runs it: begin_load opens the file, the analysis dialog runs the job on
  // the handle it holds, complete_load closes it.
  void load() {
    unload(app);
    ASSERT_TRUE(begin_load(app, path, LoadOrigin::kMenu).started);
    CancelAtFrame control;
    Seen seen;
    start_analysis(app, control, recorder(&seen)).join();
    ASSERT_EQ(seen.messages.size(), 2u);
    AnalysisRun run;
    run.final = seen.messages.back();
    ASSERT_TRUE(decide_analysis(app, run, {}).keep) << run.final.text;
    complete_load(app);
    ASSERT_EQ(app.mxfLoaded, 1);
  }

  // IN and OUT at file frames first .. last, in both counting bases.
  void set_wrap_range(uint32_t first, uint32_t last) {
    const MXF_TIMECODE_INFO& tc = app.timecode();
    app.tracks.inFrame = {tc.startFrame + first, tc.shiftedStart + first};
    app.tracks.outFrame = {tc.startFrame + last, tc.shiftedStart + last};
  }

  test::TempDir dir;
  test::MxfFixtureOptions options;
  std::string path;
  std::vector<uint8_t> original;
  APP_STATE_INFO app;
};

TEST_F(BackgroundJobTest, AnalysisRunsOnAWorkerAndAnnouncesTheCheckBeforeItsEnd) {
  CancelAtFrame control;
  const Seen seen = analyse(control);
  ASSERT_EQ(seen.messages.size(), 2u);
  EXPECT_EQ(seen.messages[0].kind, jobs::JobMessageKind::kVerificationStarting);
  EXPECT_EQ(seen.messages[1].kind, jobs::JobMessageKind::kSucceeded);
  EXPECT_NE(seen.thread, std::this_thread::get_id());
  // The control carried the frames of the timecode check.
  EXPECT_EQ(control.total(), 30u);
  EXPECT_EQ(control.done(), 30u);
  EXPECT_EQ(app.mxf().sectionCode, 1000);
}

TEST_F(BackgroundJobTest, SkipAtAnExactFrameAsksAndTheAnswerDecides) {
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep);
    CancelAtFrame control(7);
    const Seen seen = analyse(control);
    ASSERT_EQ(seen.messages.size(), 2u);
    EXPECT_EQ(seen.messages[1].code, 99);
    EXPECT_EQ(control.done(), 7u);
    AnalysisRun run;
    run.final = seen.messages[1];
    int asked = 0;
    const AnalysisDecision decision = decide_analysis(app, run, [&](const UserMessage& question) {
      ++asked;
      EXPECT_TRUE(question.yesNo);
      EXPECT_EQ(question.caption, "MXF Corvane");
      return keep;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(decision.keep, keep);
    EXPECT_FALSE(decision.offerLtcLog);
    complete_load(app);
    EXPECT_EQ(app.mxfLoaded, keep ? 1 : 0);
    unload(app);
  }
}

// A wrapping job stopped at frame k through the control leaves the file exactly as a job over the
// k frames from IN would, and the final message says up to which timecode frames were written.
TEST_F(BackgroundJobTest, WrappingStoppedAtFrameKEqualsAJobOverTheFramesBeforeIt) {
  load();
  app.tracks.trackSwitch[1] = kTrackOn;  // silence on track 2
  set_wrap_range(2, 20);
  CancelAtFrame control(4);
  Seen seen;
  BackgroundJob job = start_wrapping(app, control, recorder(&seen));
  ASSERT_TRUE(job.started());
  job.join();
  ASSERT_EQ(seen.messages.size(), 1u);
  EXPECT_EQ(seen.messages[0].code, 99);
  EXPECT_NE(seen.thread, std::this_thread::get_id());
  EXPECT_EQ(control.done(), 4u);
  const std::vector<uint8_t> stopped = test::read_file(path);
  EXPECT_NE(stopped, original);

  // The same file wrapped over IN .. IN + 3 only.
  ASSERT_TRUE(test::write_file(path, original));
  load();  // the rewrite is a change: the file is loaded again
  app.tracks.trackSwitch[1] = kTrackOn;
  set_wrap_range(2, 5);
  CancelAtFrame whole;
  Seen finished;
  start_wrapping(app, whole, recorder(&finished)).join();
  ASSERT_EQ(finished.messages.size(), 1u);
  EXPECT_EQ(finished.messages[0].kind, jobs::JobMessageKind::kSucceeded);
  EXPECT_EQ(test::read_file(path), stopped);

  // 10:00:00;00 + 2 is IN; the fourth frame written is 10:00:00;05.
  set_wrap_range(2, 20);
  const UserMessage message =
      progress_final_message(app, jobs::JobKind::kWrapping, seen.messages[0], control.done());
  EXPECT_EQ(message.icon, MessageIcon::kWarning);
  EXPECT_NE(message.text.find(seen.messages[0].text), std::string::npos);
  EXPECT_NE(message.text.find("10:00:00,05までのフレームが書き込まれています。"), std::string::npos)
      << message.text;
}

TEST_F(BackgroundJobTest, AFileChangedSinceItsAnalysisIsRefusedAndNothingIsWritten) {
  load();
  app.tracks.trackSwitch[0] = kTrackOn;
  set_wrap_range(0, 9);
  app.tracks.exportMark[0] = kTrackOn;
  app.tracks.exportIn = app.tracks.inFrame;
  app.tracks.exportOut = app.tracks.outFrame;
  app.tracks.exportFolder = dir.path();
  app.tracks.exportPrefix = "T";
  EXPECT_FALSE(check_loaded_file(app).has_value());

  // Another program writes the file: the same size, a new modification time.
  const struct timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  for (const bool wrapping : {true, false}) {
    SCOPED_TRACE(wrapping);
    CancelAtFrame control;
    Seen seen;
    BackgroundJob job = wrapping ? start_wrapping(app, control, recorder(&seen))
                                 : start_export(app, control, recorder(&seen));
    EXPECT_FALSE(job.started());
    ASSERT_TRUE(job.refusal().has_value());
    EXPECT_EQ(job.refusal()->text, loaded_file_changed_text("clip.mxf"));
    EXPECT_EQ(job.refusal()->icon, MessageIcon::kWarning);
    job.join();
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_EQ(control.times_asked(), 0u);
  }
  EXPECT_EQ(test::read_file(path), original);
  EXPECT_FALSE(platform::file_exists(dir.file("T1.wav")));

  // A file that grew is refused as well, even with its old time put back.
  load();
  std::vector<uint8_t> longer = original;
  longer.push_back(0);
  ASSERT_TRUE(test::write_file(path, longer));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  const struct timespec same[2] = {
      info.st_atim, {app.loadedFile.lastWrite.seconds, app.loadedFile.lastWrite.nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), same, 0), 0);
  EXPECT_TRUE(check_loaded_file(app).has_value());
  // A file that is gone is refused.
  ASSERT_EQ(std::remove(path.c_str()), 0);
  EXPECT_TRUE(check_loaded_file(app).has_value());
}

TEST_F(BackgroundJobTest, TheProgramsOwnWrappingDoesNotRefuseTheNextJob) {
  load();
  app.tracks.trackSwitch[0] = kTrackOn;
  set_wrap_range(0, 9);
  for (int round = 0; round < 2; ++round) {
    CancelAtFrame control;
    Seen seen;
    BackgroundJob job = start_wrapping(app, control, recorder(&seen));
    ASSERT_TRUE(job.started()) << job.refusal()->text;
    job.join();
    ASSERT_EQ(seen.messages.size(), 1u);
    EXPECT_EQ(seen.messages[0].kind, jobs::JobMessageKind::kSucceeded) << seen.messages[0].text;
  }
  app.tracks.exportMark[0] = kTrackOn;
  app.tracks.exportIn = app.tracks.inFrame;
  app.tracks.exportOut = app.tracks.outFrame;
  app.tracks.exportFolder = dir.path();
  app.tracks.exportPrefix = "T";
  CancelAtFrame control;
  Seen seen;
  BackgroundJob job = start_export(app, control, recorder(&seen));
  ASSERT_TRUE(job.started());
  job.join();
  ASSERT_EQ(seen.messages.size(), 1u);
  EXPECT_EQ(seen.messages[0].kind, jobs::JobMessageKind::kSucceeded) << seen.messages[0].text;
  EXPECT_EQ(control.done(), 10u);
  EXPECT_TRUE(platform::file_exists(dir.file("T1.wav")));
}

// Another program cuts the loaded file, or writes a new file and renames it over the loaded one
// keeping its size and time: both engines' jobs are refused and the file is left as it is.
TEST_F(BackgroundJobTest, AFileCutOrReplacedSinceItsAnalysisIsRefusedByBothEngines) {
  const auto put_back_time = [&] {
    const struct timespec times[2] = {
        {app.loadedFile.lastWrite.seconds, app.loadedFile.lastWrite.nanoseconds},
        {app.loadedFile.lastWrite.seconds, app.loadedFile.lastWrite.nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  const auto expect_refused = [&](const std::vector<uint8_t>& bytes) {
    CancelAtFrame control;
    Seen seen;
    BackgroundJob job = start_wrapping(app, control, recorder(&seen));
    EXPECT_FALSE(job.started());
    ASSERT_TRUE(job.refusal().has_value());
    EXPECT_EQ(job.refusal()->text, loaded_file_changed_text("clip.mxf"));
    job.join();
    EXPECT_TRUE(seen.messages.empty());
    EXPECT_EQ(test::read_file(path), bytes);
  };
  for (const int useFileApi : {0, 1}) {
    SCOPED_TRACE(useFileApi);
    ASSERT_TRUE(test::write_file(path, original));
    load();
    app.useFileApi = useFileApi;
    app.tracks.trackSwitch[0] = kTrackOn;
    set_wrap_range(0, 9);

    ASSERT_GT(original.size(), 4096u);
    const std::vector<uint8_t> cut(original.begin(),
                                   original.end() - static_cast<std::ptrdiff_t>(4096));
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(cut.size())), 0);
    put_back_time();
    expect_refused(cut);

    ASSERT_TRUE(test::write_file(path, original));
    load();
    app.useFileApi = useFileApi;
    std::vector<uint8_t> other = original;
    other[other.size() / 2] ^= 0xFF;
    ASSERT_TRUE(test::write_file(path + ".new", other));
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    put_back_time();
    expect_refused(other);
  }
}

}  // namespace
}  // namespace tavrin::app
