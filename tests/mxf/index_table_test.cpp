// The index table step on fixture files: which segments count, how entries are matched to their
// partitions, the per-frame fields, the ANC element size, and the refusals of damaged indexes.
#include <gtest/gtest.h>

#include "analysis_bytes.h"
#include "mxf/analysis.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;

MxfFixtureOptions small_options() {
  MxfFixtureOptions o;
  o.frameCount = 30;
  o.trackCount = 4;
  return o;
}

// Every entry addresses its fixture content package.
void expect_entries_match(const MxfRecords& r, const MxfFixtureLayout& layout) {
  ASSERT_EQ(r.indexEntrySlot.size(), layout.frames.size());
  for (size_t k = 0; k < layout.frames.size(); ++k) {
    const INDEX_ENTRY_ARRAY& e = r.indexEntrySlot[k];
    EXPECT_EQ(e.filePosition, layout.frames[k].contentPackage) << "frame " << k;
    EXPECT_EQ(e.sliceOffset, layout.sliceOffset);
    EXPECT_EQ(e.samplesInFrame, layout.frames[k].samples) << "frame " << k;
    EXPECT_EQ(r.partitionSlot[e.partition].kind, 1u);
  }
}

TEST(IndexTable, BodySegmentsAreMatchedToTheirPartitions) {
  MxfFixtureOptions o = small_options();
  o.framesPerPartition = 10;
  MxfFixtureLayout layout;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o, &layout), r), 0);
  expect_entries_match(r, layout);
  EXPECT_EQ(r.indexEntrySlot[0].partition, 1u);
  EXPECT_EQ(r.indexEntrySlot[10].partition, 2u);
  EXPECT_EQ(r.indexEntrySlot[29].partition, 3u);
  EXPECT_EQ(r.timecode.indexEntryCount, 30u);
  EXPECT_EQ(r.timecode.maxSegmentDuration, 10u);
  const INDEX_ENTRY_ARRAY& e = r.indexEntrySlot[0];
  ASSERT_EQ(e.deltaCount, layout.deltas.size());
  for (size_t d = 0; d < layout.deltas.size(); ++d) {
    EXPECT_EQ(e.deltas[d].slice, layout.deltas[d].slice);
    EXPECT_EQ(e.deltas[d].elementDelta, layout.deltas[d].elementDelta);
  }
  const uint32_t cadence[] = {1602, 1601, 1602, 1601, 1602};
  for (size_t k = 0; k < 5; ++k) EXPECT_EQ(r.indexEntrySlot[k].samplesInFrame, cadence[k]);
}

// Several segments per body partition, and one complete footer index over several body
// partitions: every entry resolves against the partition that holds its content package.
TEST(IndexTable, EntriesResolveAgainstThePartitionThatHoldsThem) {
  const struct {
    const char* what;
    bool indexInBody;
    bool indexInFooter;
  } cases[] = {{"segments of 7 in partitions of 16", true, false},
               {"complete footer index", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MxfFixtureOptions o = small_options();
    o.frameCount = 40;
    o.framesPerPartition = 16;
    o.maxSegmentDuration = 7;
    o.indexInBody = c.indexInBody;
    o.indexInFooter = c.indexInFooter;
    MxfFixtureLayout layout;
    MxfRecords r;
    ASSERT_EQ(analysis_code(build_mxf_fixture(o, &layout), r), 0);
    expect_entries_match(r, layout);
    for (size_t k = 0; k < layout.frames.size(); ++k) {
      const INDEX_ENTRY_ARRAY& e = r.indexEntrySlot[k];
      const FixturePartition& holder = layout.partitions[e.partition];
      EXPECT_TRUE(k >= holder.firstFrame && k < holder.firstFrame + holder.frameCount) << k;
      for (size_t t = 0; t < o.trackCount; ++t) {
        EXPECT_EQ(e.filePosition + e.sliceOffset + e.deltas[t + 2].elementDelta,
                  layout.frames[k].soundKey[t])
            << "frame " << k << " track " << t;
      }
    }
  }
}

TEST(IndexTable, ACompleteFooterIndexReplacesTheOthers) {
  MxfFixtureOptions o = small_options();
  o.indexInBody = false;
  o.indexInHeader = true;
  o.indexInFooter = true;
  MxfFixtureLayout layout;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o, &layout), r), 0);
  EXPECT_EQ(r.timecode.indexEntryCount, 30u) << "the header's copy of the index is dropped";
  expect_entries_match(r, layout);
}

TEST(IndexTable, DeltaEntryLimit) {
  MxfFixtureOptions o = small_options();
  o.trackCount = 24;  // system item, picture and 24 sound elements: 26 delta entries
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  EXPECT_EQ(r.indexEntrySlot[0].deltaCount, 26u);
  o.deltaEntryCount = 27;
  MxfRecords r27;
  EXPECT_EQ(analysis_code(build_mxf_fixture(o), r27), 607);
  EXPECT_TRUE(r27.indexEntrySlot.empty());
}

TEST(IndexTable, AncElementSizeCountsTheFillBehindIt) {
  MxfFixtureOptions o = small_options();
  o.ancElement = true;
  o.ancSize = 200;
  // Align the ANC block so that a fill of value length 100 follows the element.
  const MxfFixtureLayout plan = plan_mxf_fixture(o);
  o.ancAlign = static_cast<uint32_t>(plan.frames[0].anc - plan.frames[0].contentPackage + 340);
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  EXPECT_EQ(r.base.hasAncData, 1u);
  EXPECT_EQ(r.base.ancElementSize, 340u);
}

TEST(IndexTable, DamagedOrLyingIndexesAreRefused) {
  const struct {
    const char* what;
    void (*change)(MxfFixtureOptions&);
    int code;
  } cases[] = {
      {"NIE above the entries", [](MxfFixtureOptions& o) { o.nieExtra = 1; }, 608},
      {"NDE above the entries", [](MxfFixtureOptions& o) { o.ndeExtra = 1; }, 608},
      {"StreamOffset past the end", [](MxfFixtureOptions& o) { o.streamOffsetPastEnd = 7; }, 609},
      {"constant-size index", [](MxfFixtureOptions& o) { o.constantSizeIndex = true; }, 613},
      {"no index at all", [](MxfFixtureOptions& o) { o.indexInBody = false; }, 606},
  };
  for (const auto& c : cases) {
    MxfFixtureOptions o = small_options();
    c.change(o);
    MxfRecords r;
    EXPECT_EQ(analysis_code(build_mxf_fixture(o), r), c.code) << c.what;
    EXPECT_EQ(r.base.sectionCode, 600) << c.what;
    EXPECT_TRUE(r.indexEntrySlot.empty()) << c.what;
  }
}

}  // namespace
}  // namespace tavrin
