// The partition step on fixture files: every partition the Random Index Pack lists is read with
// its kind, SIDs and geometry, whatever BER form the writer used, and every damaged or unusual
// RIP or pack ends the step with its code instead of a wrong array.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "mxf/analysis.h"
#include "platform/byte_source.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;
using namespace partition_codes;

MxfFixtureOptions three_bodies() {
  MxfFixtureOptions o;
  o.frameCount = 15;
  o.trackCount = 2;
  o.framesPerPartition = 5;
  return o;
}

int read(const std::vector<uint8_t>& bytes, std::vector<MXF_PARTITION_INFO>* slot) {
  platform::MemorySource source(bytes);
  MXF_BASE_INFO base;
  base.partitions = slot;
  return read_partitions(&source, bytes.size(), &base);
}

TEST(Partitions, EveryListedPartitionIsReadWithItsGeometryInEveryLengthForm) {
  for (const bool shortForms : {false, true}) {
    SCOPED_TRACE(shortForms ? "short BER forms" : "4-byte BER forms");
    MxfFixtureOptions o = three_bodies();
    o.shortBerLengths = shortForms;
    MxfFixtureLayout layout;
    const std::vector<uint8_t> bytes = build_mxf_fixture(o, &layout);
    std::vector<MXF_PARTITION_INFO> slot;
    ASSERT_EQ(read(bytes, &slot), 0);
    ASSERT_EQ(slot.size(), layout.partitions.size());
    ASSERT_EQ(slot.size(), 5u);  // header, three bodies, footer
    for (size_t i = 0; i < slot.size(); ++i) {
      const FixturePartition& want = layout.partitions[i];
      SCOPED_TRACE("partition " + std::to_string(i));
      EXPECT_EQ(slot[i].kind, static_cast<uint32_t>(want.kind));
      EXPECT_EQ(slot[i].partitionCount, 5u);
      EXPECT_EQ(slot[i].thisPartition, want.offset);
      EXPECT_EQ(slot[i].bodySid, want.bodySid);
      EXPECT_EQ(slot[i].indexSid, want.indexSid);
      EXPECT_EQ(slot[i].headerByteCount, want.headerByteCount);
      EXPECT_EQ(slot[i].indexByteCount, want.indexByteCount);
      EXPECT_EQ(slot[i].contentStart, want.contentStart);
      EXPECT_EQ(slot[i].essenceBase, want.essenceBase);
      EXPECT_EQ(slot[i].kagSize, 512u);
    }
  }
}

TEST(Partitions, DamagedOrUnusualFilesEndWithTheirCode) {
  struct Case {
    const char* what;
    std::function<void(MxfFixtureOptions&)> change;
    int code;
  };
  const Case cases[] = {
      {"open incomplete header", [](MxfFixtureOptions& o) { o.headerStatus = 0x01; }, kOpenPartition},
      {"open complete header", [](MxfFixtureOptions& o) { o.headerStatus = 0x03; }, kOpenPartition},
      {"open body", [](MxfFixtureOptions& o) { o.bodyStatus = 0x01; }, kOpenPartition},
      {"closed incomplete packs", [](MxfFixtureOptions& o) { o.headerStatus = o.bodyStatus = 0x02; }, 0},
      {"RIP without the footer", [](MxfFixtureOptions& o) { o.ripOmitsFooter = true; }, kNoFooter},
      {"version 2.4", [](MxfFixtureOptions& o) { o.packMajorVersion = 2; o.packMinorVersion = 4; }, kBadVersion},
      {"version 2.3", [](MxfFixtureOptions& o) { o.packMajorVersion = 2; o.packMinorVersion = 3; }, 0},
      {"version 1.9", [](MxfFixtureOptions& o) { o.packMinorVersion = 9; }, 0},
      {"RIP entry past the end", [](MxfFixtureOptions& o) { o.ripOffsetPastEnd = 2; }, kBadPack},
      {"RIP length larger than the file", [](MxfFixtureOptions& o) { o.ripLengthDelta = 1 << 30; }, kNoRip},
      {"RIP length short of its key", [](MxfFixtureOptions& o) { o.ripLengthDelta = -8; }, kNoRip},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MxfFixtureOptions o = three_bodies();
    c.change(o);
    std::vector<MXF_PARTITION_INFO> slot;
    EXPECT_EQ(read(build_mxf_fixture(o), &slot), c.code);
    // An open partition leaves what was read in the slot; every other refusal empties it.
    if (c.code != 0 && c.code != kOpenPartition) {
      EXPECT_TRUE(slot.empty());
    }
  }
}

TEST(Partitions, EveryCutOfTheFileEndsWithACodeAndNeverReadsPastIt) {
  MxfFixtureOptions o = three_bodies();
  o.frameCount = 6;
  const std::vector<uint8_t> bytes = build_mxf_fixture(o);
  std::vector<MXF_PARTITION_INFO> slot;
  for (size_t size = 0; size < bytes.size(); size += 7) {
    const int code = read(truncated(bytes, size), &slot);
    // Without its last bytes the file has no RIP where its last four bytes say.
    EXPECT_NE(code, 0) << "cut at " << size;
  }
  EXPECT_EQ(read(bytes, &slot), 0);
}

}  // namespace
}  // namespace tavrin
