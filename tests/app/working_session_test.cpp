// One working session without a window, through the operations alone: a fixture loaded in the
// background, two WAV files added, a mono and a stereo file assigned, switches, IN and OUT, the
// wrapping job and its detail log, then two tracks exported. The files are compared byte for byte
// with what the fixture and the WAV files hold. Also the operations the command line relies on:
// file-by-file results of an add, switching a track on, and logs written at an exact path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/analysis_dialog.h"
#include "app/analysis_job.h"
#include "app/background_job.h"
#include "app/export_form.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/list_selection.h"
#include "app/mxf_loading.h"
#include "app/progress_dialog.h"
#include "app/track_assignment.h"
#include "app/track_selection.h"
#include "app/track_switches.h"
#include "export/bwf_header.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::app {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string text_of(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

const platform::LocalTime kWrittenAt{2026, 12, 8, 1, 2, 3};

// Waits for a background job that must have started; its observer has then seen every message.
void finish(BackgroundJob job) {
  EXPECT_TRUE(job.started()) << (job.refusal() ? job.refusal()->text : std::string());
  job.join();
}

// Five 24-bit tracks, 30 frames from 10:00:00;00 at 29.97 drop frame; a mono and a stereo WAV.
class WorkingSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.trackCount = 5;
    options.frameCount = 30;
    options.pictureSize = 1000;
    mxf = dir.file("pgm.mxf");
    ASSERT_TRUE(test::write_mxf_fixture(mxf, options, &layout));
    original = test::read_file(mxf);
    for (const uint16_t channels : {1, 2}) {
      test::WavParams p;
      p.channels = channels;
      p.sampleFrames = 48000;
      ASSERT_TRUE(test::write_wav(wav(channels), test::make_wav(p)));
    }
  }

  std::string wav(uint16_t channels) const {
    return dir.file(channels == 1 ? "mono.wav" : "stereo.wav");
  }

  // The load as the window runs it: the file opened, the analysis dialog's job on a worker, its
  // decision, the completion.
  void load() {
    ASSERT_TRUE(begin_load(app, mxf, LoadOrigin::kMenu).started);
    platform::AtomicJobControl control;
    jobs::JobMessage final;
    bool announced = false;
    finish(start_analysis(app, control, [&](const jobs::JobMessage& message) {
      if (message.kind == jobs::JobMessageKind::kVerificationStarting) {
        announced = true;
      } else {
        final = message;
      }
    }));
    EXPECT_TRUE(announced);
    AnalysisRun run;
    run.final = final;
    ASSERT_TRUE(decide_analysis(app, run, {}).keep) << final.text;
    complete_load(app);
    ASSERT_EQ(app.mxfLoaded, 1);
    EXPECT_EQ(control.done(), 30u);
  }

  // A wrapping or export job of the working set on a worker, with the final message it ended with.
  jobs::JobMessage run_job(bool wrapping) {
    platform::AtomicJobControl control;
    jobs::JobMessage final;
    const auto observer = [&final](const jobs::JobMessage& message) { final = message; };
    finish(wrapping ? start_wrapping(app, control, observer)
                    : start_export(app, control, observer));
    return final;
  }

  test::TempDir dir;
  test::MxfFixtureOptions options;
  test::MxfFixtureLayout layout;
  std::string mxf;
  std::vector<uint8_t> original;
  APP_STATE_INFO app;
};

TEST_F(WorkingSessionTest, LoadAssignWrapLogAndExportGiveTheExpectedBytes) {
  load();

  const LibraryAdd add = add_wav_files(app, {wav(1), wav(2)});
  ASSERT_EQ(add.added, 2);
  EXPECT_TRUE(add.messages.empty());
  ASSERT_EQ(app.libraryView.size(), 2u);
  EXPECT_EQ(status_texts(app).files, library_count_text(2, 0));

  // Track 1: the mono file by a double click on its row; track 3: the stereo file, selected in
  // the list, by the assign command. It fills tracks 3 and 4.
  click_track(app, 0, ClickModifier::kNone);
  EXPECT_FALSE(assign_library_row(app, 0).has_value());
  click_track(app, 2, ClickModifier::kNone);
  apply_list_selection(app, {1}, 1);
  EXPECT_FALSE(assign_focused_file(app).has_value());
  EXPECT_EQ(app.tracks.wavEntry[0], app.libraryView[0]);
  EXPECT_EQ(app.tracks.wavEntry[2], app.libraryView[1]);
  EXPECT_EQ(app.tracks.wavEntry[3], app.libraryView[1]);

  // Tracks 1, 3 (with its partner 4) and 5 (silence) ON; track 2 stays OFF.
  toggle_track_switch(app, 0);
  toggle_track_switch(app, 2);
  toggle_track_switch(app, 4);
  EXPECT_EQ(app.tracks.trackSwitch[1], kTrackOff);
  EXPECT_EQ(app.tracks.trackSwitch[3], kTrackOn);

  EXPECT_FALSE(enter_in(app, "10000003").has_value());
  EXPECT_FALSE(enter_out(app, "10:00:00;20").has_value());
  int asked = 0;
  const WrapCheck check = check_wrap(app, [&](const UserMessage&) { return ++asked > 0; });
  ASSERT_TRUE(check.start);
  EXPECT_EQ(asked, 1);

  const jobs::JobMessage wrapped = run_job(true);
  ASSERT_EQ(wrapped.kind, jobs::JobMessageKind::kSucceeded) << wrapped.text;
  EXPECT_EQ(progress_final_message(app, jobs::JobKind::kWrapping, wrapped, 18).text, wrapped.text);

  // Frames 3 .. 20: track 1 the mono WAV, tracks 3 and 4 the stereo one from its first sample,
  // track 5 silence; track 2 and every other byte as they were.
  std::vector<uint8_t> want = original;
  uint64_t first = 0;
  for (uint32_t f = 3; f <= 20; ++f) {
    const test::FixtureFrame& frame = layout.frames[f];
    for (uint32_t s = 0; s < frame.samples * 3; ++s) {
      const uint64_t sample = first + s / 3;
      const uint16_t byte = static_cast<uint16_t>(s % 3);
      want[frame.soundValue[0] + s] = test::sample_byte(sample, 0, byte);
      want[frame.soundValue[2] + s] = test::sample_byte(sample, 0, byte);
      want[frame.soundValue[3] + s] = test::sample_byte(sample, 1, byte);
      want[frame.soundValue[4] + s] = 0;
    }
    first += frame.samples;
  }
  EXPECT_TRUE(test::read_file(mxf) == want);

  // The detail log, saved as the dialog saves it: ".txt" added to a name without extension.
  ASSERT_TRUE(offers_wrap_detail_log(jobs::JobKind::kWrapping, wrapped));
  const LogSaveResult log =
      save_wrap_detail_log(app, dir.file("detail"), platform::TextEncoding::kUtf8, kWrittenAt);
  ASSERT_TRUE(log.written) << log.detail;
  EXPECT_EQ(log.path, dir.file("detail.txt"));
  EXPECT_TRUE(contains(log.message.text, log.path));
  const std::string text = text_of(test::read_file(log.path));
  EXPECT_EQ(text.rfind("リラップ処理ログ [MXF Tavrin 1.0.0.0]\r\n", 0), 0u) << text;
  EXPECT_TRUE(contains(text, "IN  10:00:00.03\r\nOUT 10:00:00.20\r\nDUR 00:00:00.18\r\n"));
  EXPECT_TRUE(contains(text, "Track 2     ********\r\nラッピング処理は実行していません。"));
  EXPECT_TRUE(contains(text, "Track 1     ********\r\nmono.wav\r\n"));
  EXPECT_TRUE(contains(text, "Track 4     ********\r\nstereo.wav\r\n"));
  EXPECT_TRUE(contains(text, "Track 5     ********\r\nNULLデータ(無音)を書込みました。"));

  // Export tracks 1 and 2 over the wrapping range: track 1 now holds the mono WAV's samples,
  // track 2 the fixture's own.
  prepare_export(app);
  ASSERT_FALSE(use_wrapping_range(app).has_value());
  toggle_export_mark(app, 0);
  toggle_export_mark(app, 1);
  const std::string folder = dir.file("out");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_FALSE(prepare_export_job(app, "Track-", folder).has_value());
  const jobs::JobMessage exported = run_job(false);
  ASSERT_EQ(exported.kind, jobs::JobMessageKind::kSucceeded) << exported.text;

  const std::vector<uint8_t> mono = test::expected_sample_bytes(1, 24, 0, first);
  std::vector<uint8_t> own;
  for (uint32_t f = 3; f <= 20; ++f) {
    const std::vector<uint8_t> s = test::fixture_samples(1, f, layout.frames[f].samples, 3);
    own.insert(own.end(), s.begin(), s.end());
  }
  using Expected = std::pair<int, const std::vector<uint8_t>*>;
  for (const auto& [track, samples] : {Expected{1, &mono}, Expected{2, &own}}) {
    SCOPED_TRACE(track);
    const std::vector<uint8_t> file =
        test::read_file(folder + "/Track-" + std::to_string(track) + ".wav");
    ASSERT_EQ(file.size(), kBwfHeaderSize + samples->size());
    EXPECT_TRUE(std::equal(samples->begin(), samples->end(), file.begin() + kBwfHeaderSize));
  }
  // The tracks not marked were not written.
  EXPECT_TRUE(test::read_file(folder + "/Track-3.wav").empty());
}

TEST_F(WorkingSessionTest, AnAddReportsEveryFileInOrderAndSwitchesAndMarksGoByTrackNumber) {
  load();
  ASSERT_EQ(add_wav_files(app, {wav(1)}).added, 1);
  const std::string missing = dir.file("missing.wav");
  const std::string copy = dir.file("copy.wav");
  ASSERT_TRUE(test::write_file(copy, test::read_file(wav(1))));
  const LibraryAdd add = add_wav_files(app, {wav(2), missing, wav(2), wav(1), copy});
  EXPECT_EQ(add.added, 2);
  ASSERT_EQ(add.files.size(), 5u);
  // Each added file has its own entry, each refusal its code and message, in the order given.
  EXPECT_EQ(add.files[0].result, kWavAdded);
  EXPECT_EQ(add.files[0].entry->file_path, wav(2));
  EXPECT_EQ(add.files[0].entry->info.channels, 2);
  EXPECT_EQ(add.files[1].result, kWavAddNotFound);
  EXPECT_EQ(add.files[1].entry, nullptr);
  ASSERT_TRUE(add.files[1].refusal.has_value());
  EXPECT_TRUE(contains(add.files[1].refusal->text, missing));
  EXPECT_EQ(add.files[2].result, kWavAddDuplicate);
  EXPECT_EQ(add.files[3].result, kWavAddDuplicate);
  EXPECT_EQ(add.files[4].entry, &app.library.entries.back());
  EXPECT_EQ(add.files[4].entry->file_path, copy);
  ASSERT_EQ(add.messages.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(add.messages[i].text, add.files[i + 1].refusal->text);

  // A stereo file on track 3: switching 3 on switches 4 too, and asking again changes nothing.
  auto* stereo = const_cast<WAV_LIBRARY_ENTRY*>(add.files[0].entry);
  ASSERT_FALSE(assign_file(app, stereo, 2).has_value());
  set_track_switch(app, 2, true);
  set_track_switch(app, 2, true);
  EXPECT_EQ(app.tracks.trackSwitch[2], kTrackOn);
  EXPECT_EQ(app.tracks.trackSwitch[3], kTrackOn);
  set_track_switch(app, 3, false);
  EXPECT_EQ(app.tracks.trackSwitch[2], kTrackOff);
  EXPECT_EQ(app.tracks.trackSwitch[3], kTrackOff);
  // A mono track alone; tracks the file does not have stay absent.
  set_track_switch(app, 0, true);
  EXPECT_EQ(app.tracks.trackSwitch[0], kTrackOn);
  EXPECT_EQ(app.tracks.trackSwitch[1], kTrackOff);
  set_track_switch(app, 5, true);
  set_track_switch(app, -1, true);
  EXPECT_EQ(app.tracks.trackSwitch[5], kTrackAbsent);

  // Export marks by track number: only tracks of the file take one.
  set_export_mark(app, 4, true);
  set_export_mark(app, 5, true);
  set_export_mark(app, -1, true);
  EXPECT_EQ(app.tracks.exportMark[4], 1);
  EXPECT_EQ(app.tracks.exportMark[5], 2);
  set_export_mark(app, 4, false);
  EXPECT_EQ(app.tracks.exportMark[4], 0);
}

TEST_F(WorkingSessionTest, LogsAtAnExactPathKeepTheNameAndNameTheLogOnFailure) {
  load();
  toggle_track_switch(app, 0);
  ASSERT_FALSE(enter_in(app, "10000003").has_value());
  ASSERT_FALSE(enter_out(app, "10000004").has_value());
  ASSERT_TRUE(check_wrap(app, [](const UserMessage&) { return true; }).start);
  ASSERT_EQ(run_job(true).kind, jobs::JobMessageKind::kSucceeded);

  const std::string plain = dir.file("detail");
  const LogSaveResult written =
      write_wrap_detail_log_at(app, plain, platform::TextEncoding::kUtf8, kWrittenAt);
  ASSERT_TRUE(written.written) << written.detail;
  EXPECT_EQ(written.path, plain);
  EXPECT_FALSE(test::read_file(plain).empty());
  EXPECT_TRUE(written.detail.empty());

  // A folder where the log should be: the failure names the log, with the system's reason, and
  // never the success text.
  const LogSaveResult failed =
      write_wrap_detail_log_at(app, dir.path(), platform::TextEncoding::kUtf8, kWrittenAt);
  EXPECT_FALSE(failed.written);
  EXPECT_TRUE(failed.retry);
  EXPECT_TRUE(contains(failed.message.text, dir.path())) << failed.message.text;
  EXPECT_EQ(failed.detail.rfind(dir.path() + ": ", 0), 0u) << failed.detail;
  const LogSaveResult ltc =
      write_ltc_error_log_at(app, dir.path(), platform::TextEncoding::kUtf8, kWrittenAt);
  EXPECT_FALSE(ltc.written);
  EXPECT_TRUE(contains(ltc.message.text, dir.path())) << ltc.message.text;
  EXPECT_EQ(ltc.detail.rfind(dir.path() + ": ", 0), 0u) << ltc.detail;
}

}  // namespace
}  // namespace tavrin::app
