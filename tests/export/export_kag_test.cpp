// Export from files whose partition packs are not followed by a fill to the KAG of 512: KAG 1
// (nothing behind the packs) and KAG 256 with packs longer than the KAG. Both engines write the
// same track files as from the KAG-512 twin, over a range that crosses partitions and segments.
#include <gtest/gtest.h>

#include "export_test_support.h"

namespace tavrin::test {
namespace {

MxfFixtureOptions twin_options(uint32_t kag) {
  MxfFixtureOptions o;
  o.frameCount = 30;
  o.trackCount = 4;
  o.framesPerPartition = 10;
  o.maxSegmentDuration = 4;
  o.pictureSize = 1500;
  o.kagSize = kag;
  if (kag == 1) o.systemItemAlign = o.pictureAlign = o.soundSlotAlign = o.ancAlign = 1;
  if (kag == 256) o.extraEssenceContainers.assign(12, kBwfFrameWrapped);  // a pack of 332 bytes
  return o;
}

class ExportKagTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(ExportKagTest, TrackFilesEqualThoseOfTheKag512Twin) {
  TempDir dir;
  const auto twin = make_analysed_fixture(dir.file("twin.mxf"), twin_options(512));
  const auto f = make_analysed_fixture(dir.file("kag.mxf"), twin_options(GetParam()));
  ASSERT_TRUE(twin && f);
  ASSERT_TRUE(twin->loaded()) << twin->failureText;
  ASSERT_TRUE(f->loaded()) << f->failureText;
  ASSERT_NE(f->original.size(), twin->original.size()) << "the geometry differs from the twin's";
  for (const Engine engine : {Engine::kMapping, Engine::kFileApi}) {
    SCOPED_TRACE(engine_name(engine));
    const std::string twinPrefix = std::string("twin-") + engine_name(engine);
    AUDIOTRACK_IO_INFO job;
    prepare_export(*twin, 3, 25, {0, 3}, dir.path(), twinPrefix, &job);
    ASSERT_EQ(run_export(engine, *twin, &job), 0);
    AUDIOTRACK_IO_INFO kagJob;
    prepare_export(*f, 3, 25, {0, 3}, dir.path(), engine_name(engine), &kagJob);
    ASSERT_EQ(run_export(engine, *f, &kagJob), 0);
    for (const size_t t : {0, 3}) {
      const std::vector<uint8_t> file = read_file(track_file(dir.path(), engine_name(engine), t));
      EXPECT_EQ(samples_of(file), expected_samples(*f, t, 3, 25)) << "track " << t + 1;
      EXPECT_EQ(file, read_file(track_file(dir.path(), twinPrefix, t))) << "track " << t + 1;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kag, ExportKagTest, ::testing::Values(1u, 256u),
                         [](const auto& info) { return "Kag" + std::to_string(info.param); });

}  // namespace
}  // namespace tavrin::test
