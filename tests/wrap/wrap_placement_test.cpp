// Sample placement by both engines on whole files: after a job, the only bytes that differ from
// the original are the sample bytes of the ON tracks' elements in frames IN .. OUT, and they hold
// exactly what the placement rules give.
#include <gtest/gtest.h>

#include "platform/mapping.h"
#include "support/job_controls.h"
#include "synthetic_essence.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

class PlacementTest : public ::testing::TestWithParam<Engine> {
 protected:
  std::unique_ptr<SyntheticEssence> essence(const EssenceParams& params,
                                            const char* name = "a.mxf") {
    auto f = make_synthetic_essence(params, dir.file(name));
    EXPECT_NE(f, nullptr);
    return f;
  }
  std::unique_ptr<TestWav> wav(const SyntheticEssence& f, const char* name, uint16_t channels,
                               uint16_t bits, uint64_t frames) {
    auto w = make_test_wav(dir.file(name), channels, bits, frames, f.records.timecode);
    EXPECT_NE(w, nullptr);
    return w;
  }
  // Runs the job and compares the whole file with the expectation.
  void run_and_compare(SyntheticEssence& f, uint32_t first, uint32_t last,
                       const std::vector<TrackExpectation>& expect) {
    CancelAtFrame control;
    ASSERT_EQ(run_engine(GetParam(), f, &job, &control), 0);
    EXPECT_EQ(control.total(), last - first + 1);
    EXPECT_EQ(control.done(), last - first + 1);
    const std::vector<uint8_t> after = read_file(f.path);
    const std::vector<uint8_t> want = expected_file(f, first, last, expect);
    EXPECT_EQ(first_difference(after, want), -1);
  }

  ScratchDir dir;
  AUDIOTRACK_IO_INFO job;
};

// A range that starts inside an index table segment and ends before the end of another, with a
// mono WAV, an OFF track, silence, a stereo WAV whose second track is OFF, and a 16-bit WAV that
// ends inside a frame on 24-bit audio.
TEST_P(PlacementTest, MixedTracksOverPartOfTheFile) {
  EssenceParams p;
  p.frames = 14;
  p.tracks = 6;
  p.segmentFrames = 5;
  auto f = essence(p);
  auto mono = wav(*f, "mono.wav", 1, 24, 48000);
  auto stereo = wav(*f, "stereo.wav", 2, 24, 48000);
  auto shortWav = wav(*f, "short.wav", 1, 16, 1602 * 2 + 700);
  prepare_job(*f, 3, 11, &job);
  job.wavEntry[0] = &mono->entry;
  job.trackSwitch[0] = kTrackOn;
  job.trackSwitch[2] = kTrackOn;
  job.wavEntry[3] = job.wavEntry[4] = &stereo->entry;
  job.trackSwitch[3] = kTrackOn;
  job.wavEntry[5] = &shortWav->entry;
  job.trackSwitch[5] = kTrackOn;
  run_and_compare(*f, 3, 11,
                  {from_wav(*mono), keep(), silence(), from_wav(*stereo, 0), from_wav(*stereo, 1),
                   from_wav(*shortWav)});
}

TEST_P(PlacementTest, InEqualToOutWritesOneFrame) {
  EssenceParams p;
  p.tracks = 2;
  auto f = essence(p);
  auto mono = wav(*f, "mono.wav", 1, 24, 48000);
  prepare_job(*f, 7, 7, &job);
  job.wavEntry[1] = &mono->entry;
  job.trackSwitch[1] = kTrackOn;
  run_and_compare(*f, 7, 7, {keep(), from_wav(*mono)});
}

// A 16-bit sample b0 b1 becomes the 24-bit slot 0 b0 b1; a stereo file on track 3 fills 3 and 4.
TEST_P(PlacementTest, SixteenBitStereoOnTrackThreeIntoTwentyFourBit) {
  EssenceParams p;
  p.tracks = 4;
  auto f = essence(p);
  auto stereo = wav(*f, "stereo16.wav", 2, 16, 48000);
  prepare_job(*f, 0, 4, &job);
  job.wavEntry[2] = job.wavEntry[3] = &stereo->entry;
  job.trackSwitch[2] = job.trackSwitch[3] = kTrackOn;
  run_and_compare(*f, 0, 4, {keep(), keep(), from_wav(*stereo, 0), from_wav(*stereo, 1)});

  const std::vector<uint8_t> after = read_file(f->path);
  const uint64_t at = f->value_offset(0, 3) + 3 * 5;  // sample 5 of track 4
  EXPECT_EQ(after[at], 0);
  EXPECT_EQ(after[at + 1], sample_byte(5, 1, 0));
  EXPECT_EQ(after[at + 2], sample_byte(5, 1, 1));
}

TEST_P(PlacementTest, SixteenBitAudio) {
  EssenceParams p;
  p.tracks = 3;
  p.bits = 16;
  auto f = essence(p);
  auto mono = wav(*f, "m16.wav", 1, 16, 5000);
  auto stereo = wav(*f, "s16.wav", 2, 16, 48000);
  prepare_job(*f, 1, 10, &job);
  job.wavEntry[0] = &mono->entry;
  job.wavEntry[1] = job.wavEntry[2] = &stereo->entry;
  job.trackSwitch[0] = job.trackSwitch[1] = job.trackSwitch[2] = kTrackOn;
  run_and_compare(*f, 1, 10, {from_wav(*mono), from_wav(*stereo, 0), from_wav(*stereo, 1)});
}

// At 24 and 25 fps a stereo 24-bit frame holds 12000 and 11520 bytes of WAV data, more than a
// 29.97 frame; the read regions must hold them.
TEST_P(PlacementTest, StereoTwentyFourBitAtTwentyFourAndTwentyFive) {
  for (const uint32_t rate : {0u, 1u}) {
    SCOPED_TRACE(rate);
    EssenceParams p;
    p.rateCode = rate;
    p.fpsCode = rate;
    p.dropFrame = 0;
    p.tracks = 2;
    p.frames = 8;
    auto f = essence(p, rate == 0 ? "24.mxf" : "25.mxf");
    auto stereo = wav(*f, rate == 0 ? "s24.wav" : "s25.wav", 2, 24, 48000);
    prepare_job(*f, 0, 7, &job);
    job.wavEntry[0] = job.wavEntry[1] = &stereo->entry;
    job.trackSwitch[0] = kTrackOn;
    run_and_compare(*f, 0, 7, {from_wav(*stereo, 0), from_wav(*stereo, 1)});
  }
}

// A WAV whose data chunk claims more than the file holds, cut in the middle of a sample: what the
// file holds is audio, the rest silence.
TEST_P(PlacementTest, WavShorterThanItsHeaderGivesSilenceForTheRest) {
  EssenceParams p;
  p.tracks = 1;
  auto f = essence(p);
  WavParams params;
  params.channels = 1;
  params.bits = 24;
  params.dataBytes = 3 * 2000 + 2;
  WavLayout layout = make_wav(params);
  layout.chunks[static_cast<size_t>(layout.find("data"))].sizeField = 3 * 48000;
  auto cut = make_test_wav(dir.file("cut.wav"), layout, f->records.timecode);
  ASSERT_NE(cut, nullptr);
  ASSERT_EQ(cut->sampleFrames, 2000u);
  prepare_job(*f, 0, 3, &job);
  job.wavEntry[0] = &cut->entry;
  job.trackSwitch[0] = kTrackOn;
  run_and_compare(*f, 0, 3, {from_wav(*cut)});
}

// One track without ANC data has three delta entries; with ANC data the last entry is the ANC
// element, which stays as it is.
TEST_P(PlacementTest, FewDeltaEntriesAndAncData) {
  for (const bool anc : {false, true}) {
    SCOPED_TRACE(anc);
    EssenceParams p;
    p.tracks = 1;
    p.anc = anc;
    auto f = essence(p, anc ? "anc.mxf" : "plain.mxf");
    prepare_job(*f, 2, 9, &job);
    job.trackSwitch[0] = kTrackOn;
    run_and_compare(*f, 2, 9, {silence()});
    auto mono = wav(*f, anc ? "anc.wav" : "plain.wav", 1, 24, 3000);
    ASSERT_TRUE(write_file(f->path, f->original));
    job.wavEntry[0] = &mono->entry;
    run_and_compare(*f, 2, 9, {from_wav(*mono)});
  }
}

// The first element a run writes and the WAV's first data byte both on an allocation-granule
// boundary: the views start there with no lead.
TEST_P(PlacementTest, ViewsStartingOnAGranuleBoundary) {
  const uint64_t g = platform::allocation_granularity();
  EssenceParams p;
  p.tracks = 2;
  p.leading = 0;
  auto probe = essence(p, "probe.mxf");
  p.leading = (g - probe->element_offset(5, 0) % g) % g;
  auto f = essence(p);
  ASSERT_EQ(f->element_offset(5, 0) % g, 0u);

  WavParams params;
  params.channels = 1;
  params.bits = 24;
  params.sampleFrames = 20000;
  WavLayout layout = make_wav(params);
  const uint64_t dataAt = layout.payload_offset(static_cast<size_t>(layout.find("data")));
  layout.chunks.insert(layout.chunks.begin(), filler_chunk("JUNK", g - dataAt - 8));
  auto aligned = make_test_wav(dir.file("aligned.wav"), layout, f->records.timecode);
  ASSERT_NE(aligned, nullptr);
  ASSERT_EQ(aligned->entry.info.data_offset, g);

  prepare_job(*f, 5, 11, &job);
  job.wavEntry[0] = &aligned->entry;
  job.trackSwitch[0] = job.trackSwitch[1] = kTrackOn;
  run_and_compare(*f, 5, 11, {from_wav(*aligned), silence()});
}

// A file that starts in hour 23 counts its range one hour on.
TEST_P(PlacementTest, RangeInTheShiftedCountingBase) {
  EssenceParams p;
  p.tracks = 1;
  p.fpsCode = 1;
  p.rateCode = 1;
  p.dropFrame = 0;
  p.startFrame = 23 * 90000 + 90000 - 5;  // 23:59:59:20
  p.startsInHour23 = true;
  auto f = essence(p);
  auto mono = wav(*f, "mono.wav", 1, 24, 48000);
  prepare_job(*f, 3, 8, &job);  // across midnight
  job.inFrame[0] = 0;           // the plain counts are not used
  job.outFrame[0] = 0;
  job.wavEntry[0] = &mono->entry;
  job.trackSwitch[0] = kTrackOn;
  run_and_compare(*f, 3, 8, {from_wav(*mono)});
}

INSTANTIATE_TEST_SUITE_P(BothEngines, PlacementTest,
                         ::testing::Values(Engine::kMapping, Engine::kFileApi),
                         [](const auto& info) { return std::string(engine_name(info.param)); });

TEST(EngineTwins, BothEnginesWriteTheSameFile) {
  ScratchDir dir;
  EssenceParams p;
  p.frames = 20;
  p.tracks = 5;
  p.segmentFrames = 7;
  auto a = make_synthetic_essence(p, dir.file("a.mxf"));
  auto b = make_synthetic_essence(p, dir.file("b.mxf"));
  ASSERT_TRUE(a && b);
  auto mono = make_test_wav(dir.file("m.wav"), 1, 16, 9000, a->records.timecode);
  auto stereo = make_test_wav(dir.file("s.wav"), 2, 24, 30000, a->records.timecode);
  ASSERT_TRUE(mono && stereo);
  AUDIOTRACK_IO_INFO job;
  prepare_job(*a, 2, 18, &job);
  job.wavEntry[0] = job.wavEntry[1] = &stereo->entry;
  job.wavEntry[3] = &mono->entry;
  job.trackSwitch[0] = job.trackSwitch[1] = job.trackSwitch[3] = job.trackSwitch[4] = kTrackOn;
  ASSERT_EQ(run_engine(Engine::kMapping, *a, &job), 0);
  ASSERT_EQ(run_engine(Engine::kFileApi, *b, &job), 0);
  const std::vector<uint8_t> mapped = read_file(a->path);
  EXPECT_EQ(first_difference(mapped, read_file(b->path)), -1);
  EXPECT_EQ(first_difference(mapped, expected_file(*a, 2, 18,
                                                   {from_wav(*stereo, 0), from_wav(*stereo, 1),
                                                    keep(), from_wav(*mono), silence()})),
            -1);
}

}  // namespace
}  // namespace tavrin::test
