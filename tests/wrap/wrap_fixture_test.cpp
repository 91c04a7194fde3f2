// Wrapping analysed fixture files, laid out as broadcast writers lay them out: KAG 512, KAG 1 and
// KAG 256 with a partition pack longer than the KAG, several body partitions and index segments,
// 16-bit audio with ANC data, and a content package whose sound elements changed places.
#include <gtest/gtest.h>

#include <string>

#include "support/analysed_fixture.h"
#include "support/temp_dir.h"
#include "wrap/wrap_codes.h"
#include "wrap_test_support.h"

namespace tavrin::test {
namespace {

using namespace wrap_codes;

SampleGeometry geometry_of(const AnalysedFixture& f) {
  SampleGeometry g;
  g.valueOffset = [&f](uint32_t frame, uint32_t track) {
    return f.layout.frames[frame].soundValue[track];
  };
  g.samples = [&f](uint32_t frame) { return f.layout.frames[frame].samples; };
  g.slot = f.options.blockAlign;
  g.mxfBits = f.options.quantizationBits;
  return g;
}

void prepare(const AnalysedFixture& f, uint32_t first, uint32_t last, AUDIOTRACK_IO_INFO* job) {
  for (size_t t = 0; t < kTrackSlots; ++t) {
    job->wavEntry[t] = nullptr;
    job->trackSwitch[t] = t < f.records.audio.trackCount ? kTrackOff : kTrackAbsent;
  }
  const size_t sel = f.records.timecode.startsInHour23 ? 1 : 0;
  job->inFrame[sel] = f.count(first);
  job->outFrame[sel] = f.count(last);
}

MxfFixtureOptions four_tracks(uint32_t kag) {
  MxfFixtureOptions o;
  o.trackCount = 4;
  o.frameCount = 30;
  o.framesPerPartition = 10;
  o.pictureSize = 1500;
  o.kagSize = kag;
  if (kag == 256) {
    // Enough labels for a partition pack longer than the KAG.
    for (int i = 0; i < 8; ++i) o.extraEssenceContainers.push_back(kBwfFrameWrapped);
  }
  return o;
}

class FixtureWrapTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  TempDir dir;
};

// The same job on the KAG twins: each file changes exactly in the samples of the ON tracks, the
// same way, by both engines.
TEST_P(FixtureWrapTest, KagTwinsWrapByteExactlyByBothEngines) {
  auto f = make_analysed_fixture(dir.file("f.mxf"), four_tracks(GetParam()));
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  auto mono = make_test_wav(dir.file("m.wav"), 1, 16, 9000, f->records.timecode);
  auto stereo = make_test_wav(dir.file("s.wav"), 2, 24, 48000, f->records.timecode);
  ASSERT_TRUE(mono && stereo);
  const std::vector<uint8_t> want =
      expected_bytes(f->original, geometry_of(*f), 5, 24,
                     {from_wav(*mono), keep(), from_wav(*stereo, 0), from_wav(*stereo, 1)});
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    SCOPED_TRACE(engine_name(engine));
    ASSERT_TRUE(write_file(f->path, f->original));
    AUDIOTRACK_IO_INFO job;
    prepare(*f, 5, 24, &job);
    job.wavEntry[0] = &mono->entry;
    job.wavEntry[2] = job.wavEntry[3] = &stereo->entry;
    job.trackSwitch[0] = job.trackSwitch[2] = job.trackSwitch[3] = kTrackOn;
    ASSERT_EQ(run_engine(engine, f->path, &job, &f->records.base), 0);
    EXPECT_EQ(first_difference(read_file(f->path), want), -1);
  }
}

// Sound elements 1 and 2 change places in frame 17 (the third body partition starts at 20): the
// mapping engine has written the runs before the one holding it, the file-I/O engine nothing.
TEST_P(FixtureWrapTest, SwappedSoundElementsStopTheJob) {
  MxfFixtureOptions o = four_tracks(GetParam());
  o.swapSoundFrame = 17;
  auto f = make_analysed_fixture(dir.file("swap.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    SCOPED_TRACE(engine_name(engine));
    ASSERT_TRUE(write_file(f->path, f->original));
    AUDIOTRACK_IO_INFO job;
    prepare(*f, 3, 25, &job);
    for (size_t t = 0; t < 4; ++t) job.trackSwitch[t] = kTrackOn;
    const int code = run_engine(engine, f->path, &job, &f->records.base);
    const std::vector<uint8_t> after = read_file(f->path);
    if (engine == Engine::kMapping) {
      EXPECT_EQ(code, kMapLayoutAfterWrites);
      // Runs 3 .. 9 written; the run 10 .. 19 that holds frame 17 and everything after untouched.
      EXPECT_EQ(
          first_difference(after, expected_bytes(f->original, geometry_of(*f), 3, 9,
                                                 {silence(), silence(), silence(), silence()})),
          -1);
    } else {
      EXPECT_EQ(code, kFileLayoutUntouched);
      EXPECT_EQ(first_difference(after, f->original), -1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kag, FixtureWrapTest, ::testing::Values(512u, 1u, 256u),
                         [](const auto& info) { return "Kag" + std::to_string(info.param); });

TEST(FixtureWrap, SixteenBitWithAncDataAtTwentyFive) {
  TempDir dir;
  MxfFixtureOptions o;
  set_edit_rate(o, 25000, 1000);
  o.trackCount = 3;
  o.frameCount = 12;
  o.quantizationBits = 16;
  o.blockAlign = 2;
  o.avgBytesPerSecond = 96000;
  o.ancElement = true;
  o.pictureSize = 1000;
  auto f = make_analysed_fixture(dir.file("anc.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  ASSERT_EQ(f->records.base.hasAncData, 1u);
  auto stereo = make_test_wav(dir.file("s.wav"), 2, 16, 48000, f->records.timecode);
  ASSERT_NE(stereo, nullptr);
  const std::vector<uint8_t> want = expected_bytes(
      f->original, geometry_of(*f), 0, 11, {keep(), from_wav(*stereo, 0), from_wav(*stereo, 1)});
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    SCOPED_TRACE(engine_name(engine));
    ASSERT_TRUE(write_file(f->path, f->original));
    AUDIOTRACK_IO_INFO job;
    prepare(*f, 0, 11, &job);
    job.wavEntry[1] = job.wavEntry[2] = &stereo->entry;
    job.trackSwitch[1] = job.trackSwitch[2] = kTrackOn;
    ASSERT_EQ(run_engine(engine, f->path, &job, &f->records.base), 0);
    EXPECT_EQ(first_difference(read_file(f->path), want), -1);
  }
}

// Edit rates as independent writers scale them (25/1, 24/1, 30/1, 48000/2000) count by value:
// the file loads at its own cadence and a wrap over the whole file writes every sample exactly.
TEST(FixtureWrap, EditRatesOverOneWrapAtTheirOwnCadence) {
  const struct {
    uint32_t num, den, rateCode, samples;
  } cases[] = {{25, 1, 1, 1920}, {24, 1, 0, 2000}, {30, 1, 2, 1600}, {48000, 2000, 0, 2000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.den));
    TempDir dir;
    MxfFixtureOptions o;
    set_edit_rate(o, c.num, c.den);
    o.trackCount = 2;
    o.frameCount = 10;
    o.pictureSize = 1000;
    auto f = make_analysed_fixture(dir.file("r.mxf"), o);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->loaded()) << f->failureText;
    EXPECT_EQ(f->records.timecode.rateCode, c.rateCode);
    EXPECT_EQ(f->records.indexEntrySlot[0].samplesInFrame, c.samples);
    auto stereo = make_test_wav(dir.file("s.wav"), 2, 24, 48000, f->records.timecode);
    ASSERT_TRUE(stereo);
    const std::vector<uint8_t> want = expected_bytes(f->original, geometry_of(*f), 0, 9,
                                                     {from_wav(*stereo, 0), from_wav(*stereo, 1)});
    for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
      SCOPED_TRACE(engine_name(engine));
      ASSERT_TRUE(write_file(f->path, f->original));
      AUDIOTRACK_IO_INFO job;
      prepare(*f, 0, 9, &job);
      job.wavEntry[0] = job.wavEntry[1] = &stereo->entry;
      job.trackSwitch[0] = job.trackSwitch[1] = kTrackOn;
      ASSERT_EQ(run_engine(engine, f->path, &job, &f->records.base), 0);
      EXPECT_EQ(first_difference(read_file(f->path), want), -1);
    }
  }
}

// Index entries with two slice offsets: the system item in slice 0, the picture alone in slice 1
// and the sound elements in slice 2. The picture is found through its own slice's offset and the
// engines address the sound elements through the last one.
TEST(FixtureWrap, PictureInASliceOfItsOwn) {
  TempDir dir;
  MxfFixtureOptions o = four_tracks(512);
  o.pictureInOwnSlice = true;
  auto f = make_analysed_fixture(dir.file("slices.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  ASSERT_EQ(f->layout.deltas.at(1).slice, 1u);
  EXPECT_EQ(f->records.indexEntrySlot[0].sliceOffset, f->layout.sliceOffset);
  EXPECT_EQ(f->records.layout.pictureDelta, 0u);
  auto stereo = make_test_wav(dir.file("s.wav"), 2, 24, 48000, f->records.timecode);
  ASSERT_TRUE(stereo);
  const std::vector<uint8_t> want =
      expected_bytes(f->original, geometry_of(*f), 3, 27,
                     {keep(), from_wav(*stereo, 0), from_wav(*stereo, 1), keep()});
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    SCOPED_TRACE(engine_name(engine));
    ASSERT_TRUE(write_file(f->path, f->original));
    AUDIOTRACK_IO_INFO job;
    prepare(*f, 3, 27, &job);
    job.wavEntry[1] = job.wavEntry[2] = &stereo->entry;
    job.trackSwitch[1] = job.trackSwitch[2] = kTrackOn;
    ASSERT_EQ(run_engine(engine, f->path, &job, &f->records.base), 0);
    EXPECT_EQ(first_difference(read_file(f->path), want), -1);
  }
}

// Records whose audio delta entries point at the picture element: refused before any byte
// changes.
TEST(FixtureWrap, AudioDeltasAtThePictureAreRefused) {
  TempDir dir;
  auto f = make_analysed_fixture(dir.file("p.mxf"), four_tracks(512));
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  for (INDEX_ENTRY_ARRAY& e : f->records.indexEntrySlot) {
    e.deltas[2].elementDelta = e.deltas[1].elementDelta - e.sliceOffset;
  }
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    AUDIOTRACK_IO_INFO job;
    prepare(*f, 0, 29, &job);
    job.trackSwitch[0] = kTrackOn;
    EXPECT_EQ(run_engine(engine, f->path, &job, &f->records.base),
              code_of(engine, kMapLayoutUntouched, kFileLayoutUntouched));
  }
  EXPECT_EQ(first_difference(read_file(f->path), f->original), -1);
}

}  // namespace
}  // namespace tavrin::test
