// The buffer setting of the file-I/O engine: the fourteen durations as frame counts, and jobs
// whose length or WAV end falls on either side of a batch boundary.
#include <gtest/gtest.h>

#include "support/job_controls.h"
#include "synthetic_essence.h"
#include "wrap/buffer_duration.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

TEST(BufferDuration, DurationsAsFrameCounts) {
  EXPECT_STREQ(kWavBufferDurations[0], "00010000");
  EXPECT_STREQ(kWavBufferDurations[13], "00400000");
  EXPECT_EQ(wav_buffer_frames(0, 2, 1), 1800u);  // one minute at 29.97 drop frame
  EXPECT_EQ(wav_buffer_frames(0, 1, 0), 1500u);
  EXPECT_EQ(wav_buffer_frames(9, 1, 0), 30000u);  // position 9 is 20 minutes
  EXPECT_EQ(wav_buffer_frames(9, 2, 1), 35964u);
  EXPECT_EQ(wav_buffer_frames(13, 3, 0), 144000u);
  EXPECT_EQ(wav_buffer_frames(14, 1, 0), 0u);
  EXPECT_EQ(wav_buffer_frames(0, 7, 0), 0u);  // a base the program does not know
}

TEST(BufferDuration, TextsTakenFromTheRight) {
  EXPECT_EQ(hhmmssff_to_frames("1000", 2, 0), 300);         // 00:00:10:00
  EXPECT_EQ(hhmmssff_to_frames("9900010000", 1, 0), 1500);  // only the last eight digits
  EXPECT_EQ(hhmmssff_to_frames("00010000", 2, 1), 1800);    // 00:01:00;00 moves to ;02
  EXPECT_EQ(hhmmssff_to_frames("47000000", 0, 0), 47 * 86400);
  EXPECT_EQ(hhmmssff_to_frames("48000000", 0, 0), -2);
  EXPECT_EQ(hhmmssff_to_frames("00006000", 0, 0), -2);
  EXPECT_EQ(hhmmssff_to_frames("00000024", 0, 0), -2);
  EXPECT_EQ(hhmmssff_to_frames("0001x000", 0, 0), -2);
  EXPECT_EQ(hhmmssff_to_frames(nullptr, 0, 0), -2);
}

// A 24 fps file a little longer than one batch of one minute (1440 frames).
class BatchTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kBatch = 1440;
  void SetUp() override {
    EssenceParams p;
    p.frames = kBatch + 5;
    p.tracks = 1;
    p.bits = 16;
    p.rateCode = 0;
    p.fpsCode = 0;
    p.dropFrame = 0;
    p.segmentFrames = 500;
    p.valueTail = 0;
    f = make_synthetic_essence(p, dir.file("a.mxf"));
    ASSERT_NE(f, nullptr);
  }
  // Runs a job of frames 0 .. last with a WAV of `wavSamples` sample frames through both engines
  // and checks each result against the expectation.
  void run_both(uint32_t last, uint64_t wavSamples) {
    auto wav = make_test_wav(dir.file("w.wav"), 1, 16, wavSamples, f->records.timecode);
    ASSERT_NE(wav, nullptr);
    const std::vector<uint8_t> want = expected_file(*f, 0, last, {from_wav(*wav)});
    for (const Engine engine : {Engine::kFileApi, Engine::kMapping}) {
      SCOPED_TRACE(engine_name(engine));
      ASSERT_TRUE(write_file(f->path, f->original));
      AUDIOTRACK_IO_INFO job;
      prepare_job(*f, 0, last, &job);
      job.wavBufferIndex = 0;
      job.wavEntry[0] = &wav->entry;
      job.trackSwitch[0] = kTrackOn;
      CancelAtFrame control;
      ASSERT_EQ(run_engine(engine, *f, &job, &control), 0);
      EXPECT_EQ(control.done(), last + 1);
      EXPECT_EQ(first_difference(read_file(f->path), want), -1);
    }
  }

  ScratchDir dir;
  std::unique_ptr<SyntheticEssence> f;
};

TEST_F(BatchTest, ExactlyOneBatch) {
  run_both(kBatch - 1, 48000 * 100);
}

TEST_F(BatchTest, OneBatchAndOneFrame) {
  run_both(kBatch, 48000 * 100);
}

// The WAV ends inside the second batch, half-way through a frame; and inside the first.
TEST_F(BatchTest, WavEndingInsideABatch) {
  run_both(kBatch + 3, uint64_t{kBatch + 1} * 2000 + 500);
  run_both(kBatch + 3, 700 * 2000 + 1);
}

// A content package in the second batch whose element is not the track's: the first batch is
// written, the second not touched.
TEST_F(BatchTest, LayoutChangeInALaterBatch) {
  std::vector<uint8_t> bytes = f->original;
  bytes[f->element_offset(kBatch + 2, 0) + 15] = 9;
  f->original = bytes;
  ASSERT_TRUE(write_file(f->path, bytes));
  AUDIOTRACK_IO_INFO job;
  prepare_job(*f, 0, kBatch + 4, &job);
  job.wavBufferIndex = 0;
  job.trackSwitch[0] = kTrackOn;
  EXPECT_EQ(run_engine(Engine::kFileApi, *f, &job), wrap_codes::kFileLayoutAfterWrites);
  EXPECT_EQ(first_difference(read_file(f->path), expected_file(*f, 0, kBatch - 1, {silence()})),
            -1);
}

}  // namespace
}  // namespace tavrin::test
