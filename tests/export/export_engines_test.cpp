// Both export engines on analysed fixture files: the same bytes by either engine, the original
// samples of the MXF file behind a header that states their length and the IN frame's time
// reference, the cadence from midnight, the batches of the file-I/O engine and the file names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "export_test_support.h"
#include "platform/file.h"
#include "support/job_controls.h"
#include "timecode/timecode.h"

namespace tavrin::test {
namespace {

// Nobody watches these jobs: no progress is shown and no stop is asked for.
platform::NullJobControl unwatched;

struct RateCase {
  const char* name;
  uint32_t num;
  uint32_t den;
  bool anc;
  int startHour;     // hour 23 makes the file run across midnight
  bool partitioned;  // body partitions of 16 frames, else one partition of 7-frame segments
};

class ExportRateTest : public ::testing::TestWithParam<RateCase> {
 protected:
  void SetUp() override {
    const RateCase& c = GetParam();
    MxfFixtureOptions o;
    set_edit_rate(o, c.num, c.den);
    set_start_timecode(o, c.startHour, 59, 59, 0);
    o.frameCount = 40;
    o.trackCount = 4;
    // The ranges cross segment or partition boundaries.
    if (c.partitioned) {
      o.framesPerPartition = 16;
    } else {
      o.maxSegmentDuration = 7;
    }
    o.ancElement = c.anc;
    f = make_analysed_fixture(dir.file("in.mxf"), o);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->loaded()) << f->failureText;
  }

  // Exports the range by both engines; the two sets of files must be byte-identical.
  void export_both(uint32_t inFrame, uint32_t outFrame, std::initializer_list<size_t> tracks) {
    for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
      AUDIOTRACK_IO_INFO job;
      prepare_export(*f, inFrame, outFrame, tracks, dir.path(), engine_name(engine), &job);
      CancelAtFrame control;
      ASSERT_EQ(run_export(engine, *f, &job, &control), 0) << engine_name(engine);
      EXPECT_EQ(control.total(), outFrame - inFrame + 1);
      EXPECT_EQ(control.done(), outFrame - inFrame + 1);
    }
    for (const size_t t : tracks) {
      EXPECT_EQ(read_file(track_file(dir.path(), "Mapping", t)),
                read_file(track_file(dir.path(), "FileApi", t)))
          << "track " << t + 1;
    }
  }

  TempDir dir;
  std::unique_ptr<AnalysedFixture> f;
};

TEST_P(ExportRateTest, BothEnginesWriteTheOriginalSamplesBehindTheHeader) {
  export_both(3, 33, {0, 2, 3});
  const uint64_t timeReference = samples_before_frame(uint64_t{f->records.timecode.startFrame} + 3,
                                                      f->records.timecode.rateCode);
  for (const size_t t : {0, 2, 3}) {
    const std::vector<uint8_t> file = read_file(track_file(dir.path(), "Mapping", t));
    const std::vector<uint8_t> expected = expected_samples(*f, t, 3, 33);
    ASSERT_EQ(file.size(), kBwfHeaderSize + expected.size());
    EXPECT_EQ(samples_of(file), expected) << "track " << t + 1;
    EXPECT_EQ(le32(file, 4), expected.size() + 746);
    EXPECT_EQ(le32(file, kBwfDataSizeOffset), expected.size());
    EXPECT_EQ(time_reference_of(file), timeReference);
    EXPECT_EQ(le32(file, 734), 48000u);
    EXPECT_EQ(le32(file, 738), 144000u);
    EXPECT_EQ(file[742], 3);
    EXPECT_EQ(file[744], 24);
  }
  // Track 2 was not marked.
  EXPECT_FALSE(platform::file_exists(track_file(dir.path(), "Mapping", 1)));
}

TEST_P(ExportRateTest, OneFrameWhenInEqualsOut) {
  export_both(39, 39, {1});
  const std::vector<uint8_t> file = read_file(track_file(dir.path(), "FileApi", 1));
  EXPECT_EQ(file.size(), kBwfHeaderSize + size_t{f->layout.frames[39].samples} * 3);
  EXPECT_EQ(samples_of(file), expected_samples(*f, 1, 39, 39));
  const MXF_TIMECODE_INFO& t = f->records.timecode;
  const uint64_t timeReference = samples_before_frame(uint64_t{t.startFrame} + 39, t.rateCode);
  EXPECT_EQ(time_reference_of(file), timeReference);
  if (t.startsInHour23) {
    // Frame 39 lies after midnight: counted from the plain start, the reference passes a day.
    EXPECT_GT(timeReference,
              samples_before_frame(tc::frames_per_day(t.fpsCode, t.dropFrame), t.rateCode));
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, ExportRateTest,
                         ::testing::Values(RateCase{"DropFrame2997", 30000, 1001, false, 10, false},
                                           RateCase{"Pal25", 25000, 1000, true, 10, true},
                                           RateCase{"DropFrame5994", 60000, 1001, true, 10, false},
                                           RateCase{"Film2398AcrossMidnight", 24000, 1001, false,
                                                    23, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExportCadence, TimeReferenceAndSampleCountsFollowTheCadenceFromMidnight) {
  TempDir dir;
  MxfFixtureOptions o;
  set_edit_rate(o, 30000, 1001);
  set_start_timecode(o, 0, 0, 0, 0);
  o.frameCount = 12;
  o.trackCount = 2;
  const auto f = make_analysed_fixture(dir.file("in.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  for (uint32_t first = 0; first < 5; ++first) {
    for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
      AUDIOTRACK_IO_INFO job;
      const std::string prefix = std::string(engine_name(engine)) + std::to_string(first) + "-";
      prepare_export(*f, first, first + 4, {1}, dir.path(), prefix, &job);
      ASSERT_EQ(run_export(engine, *f, &job), 0);
      const std::vector<uint8_t> file = read_file(track_file(dir.path(), prefix, 1));
      // Any five consecutive frames at 30000/1001 hold 8008 samples.
      EXPECT_EQ(le32(file, kBwfDataSizeOffset), 24024u);
      EXPECT_EQ(file.size(), kBwfHeaderSize + 24024);
      EXPECT_EQ(time_reference_of(file), tc::frame_to_sample_offset(6, first));
    }
  }
  EXPECT_EQ(time_reference_of(read_file(track_file(dir.path(), "Mapping0-", 1))), 0u);
}

// One track and no ANC element: the index has no delta entry for a second element. The range is
// one full batch of the file-I/O engine (a minute at 24 frames) and three frames more, and many
// of the mapping engine's per-track buffers; a stop at frame 700 leaves exactly the frames
// before it, wherever the buffers' ends fall.
TEST(ExportBatches, SingleTrackFileAcrossABatchBoundary) {
  TempDir dir;
  MxfFixtureOptions o;
  set_edit_rate(o, 24000, 1001);
  o.frameCount = 1445;
  o.trackCount = 1;
  o.pictureSize = 256;
  o.maxSegmentDuration = 500;
  const auto f = make_analysed_fixture(dir.file("in.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  ASSERT_LT(f->records.indexEntrySlot[0].deltaCount, 4u);
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    AUDIOTRACK_IO_INFO job;
    prepare_export(*f, 1, 1443, {0}, dir.path(), engine_name(engine), &job);
    ASSERT_EQ(run_export(engine, *f, &job), 0);
    EXPECT_EQ(samples_of(read_file(track_file(dir.path(), engine_name(engine), 0))),
              expected_samples(*f, 0, 1, 1443))
        << engine_name(engine);

    const std::string stopped = std::string(engine_name(engine)) + "Stop";
    AUDIOTRACK_IO_INFO stopJob;
    prepare_export(*f, 1, 1443, {0}, dir.path(), stopped, &stopJob);
    CancelAtFrame control(700);
    ASSERT_EQ(run_export(engine, *f, &stopJob, &control), export_codes::kCancelled);
    EXPECT_EQ(samples_of(read_file(track_file(dir.path(), stopped, 0))),
              expected_samples(*f, 0, 1, 700))
        << engine_name(engine);
  }
}

TEST(ExportNames, CounterNameWhenTheTrackNameIsTakenRaisedPastEarlierOnes) {
  TempDir dir;
  MxfFixtureOptions o;
  o.frameCount = 6;
  o.trackCount = 2;
  const auto f = make_analysed_fixture(dir.file("in.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  ASSERT_TRUE(write_file(dir.file("AUD1.wav"), {'o', 'l', 'd'}));
  ASSERT_TRUE(write_file(dir.file("AUD1.wav 3.wav"), std::vector<uint8_t>(5000, 0xEE)));
  uint32_t next = 4;
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    AUDIOTRACK_IO_INFO job;
    prepare_export(*f, 0, 5, {0, 1}, dir.path(), "AUD", &job);
    job.exportCounter = 3;
    ASSERT_EQ(run_export(engine, *f, &job), 0);
    EXPECT_EQ(read_file(dir.file("AUD1.wav")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(read_file(dir.file("AUD1.wav 3.wav")), std::vector<uint8_t>(5000, 0xEE));
    const std::string counted = "AUD1.wav " + std::to_string(next++) + ".wav";
    EXPECT_EQ(samples_of(read_file(dir.file(counted))), expected_samples(*f, 0, 0, 5));
    // Track 2's own name was free, so it carries no counter.
    EXPECT_EQ(samples_of(read_file(dir.file("AUD2.wav"))), expected_samples(*f, 1, 0, 5));
    EXPECT_FALSE(platform::file_exists(dir.file("AUD2.wav 3.wav")));
    ASSERT_EQ(std::remove(dir.file("AUD2.wav").c_str()), 0);
  }
  // Counters are written out in full.
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 0, {0}, dir.path(), "AUD", &job);
  job.exportCounter = 1234567;
  ASSERT_EQ(export_bwf_by_mapping(f->path, &job, &f->records.base, unwatched), 0);
  EXPECT_TRUE(platform::file_exists(dir.file("AUD1.wav 1234567.wav")));
}

TEST(ExportNames, LongNamesAreKeptWhole) {
  TempDir dir;
  MxfFixtureOptions o;
  o.frameCount = 3;
  o.trackCount = 1;
  const auto f = make_analysed_fixture(dir.file("in.mxf"), o);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->loaded()) << f->failureText;
  // A folder path beyond 1024 characters, each component within the file system's limit.
  std::string folder = dir.path();
  while (folder.size() < 1100) {
    folder += "/" + std::string(200, 'd');
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  }
  const std::string prefix(200, 'p');
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 2, {0}, folder, prefix, &job);
  ASSERT_EQ(export_bwf_by_file_api(f->path, &job, &f->records.base, unwatched), 0);
  EXPECT_EQ(samples_of(read_file(track_file(folder, prefix, 0))), expected_samples(*f, 0, 0, 2));
}

}  // namespace
}  // namespace tavrin::test
