// Partition geometry at every KAG and the content package layout check of the index step: files
// with a system item load at any KAG exactly like their KAG-512 twins; every layout the engines
// cannot address is refused with its code.
#include <gtest/gtest.h>

#include <string>

#include "analysis_bytes.h"
#include "jobs/messages.h"
#include "mxf/analysis.h"
#include "mxf/layout_check.h"
#include "platform/byte_source.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;

MxfFixtureOptions small_options() {
  MxfFixtureOptions o;
  o.frameCount = 12;
  o.trackCount = 4;
  o.framesPerPartition = 5;
  return o;
}

TEST(PartitionGeometry, KagOneAndALongPackLoadLikeTheirKag512Twin) {
  MxfFixtureOptions kag1 = small_options();
  kag1.kagSize = 1;
  kag1.systemItemAlign = kag1.pictureAlign = kag1.soundSlotAlign = kag1.ancAlign = 1;
  MxfFixtureOptions kag256 = small_options();
  kag256.kagSize = 256;
  kag256.extraEssenceContainers.assign(12, kBwfFrameWrapped);  // a pack longer than 256 bytes

  MxfFixtureLayout twinLayout;
  MxfRecords twin;
  ASSERT_EQ(analysis_code(build_mxf_fixture(small_options(), &twinLayout), twin), 0);
  for (const MxfFixtureOptions& o : {kag1, kag256}) {
    SCOPED_TRACE("KAG " + std::to_string(o.kagSize));
    MxfFixtureLayout layout;
    MxfRecords r;
    ASSERT_EQ(analysis_code(build_mxf_fixture(o, &layout), r), 0);
    ASSERT_EQ(r.partitionSlot.size(), layout.partitions.size());
    for (size_t p = 0; p < layout.partitions.size(); ++p) {
      EXPECT_EQ(r.partitionSlot[p].contentStart, layout.partitions[p].contentStart) << p;
      EXPECT_EQ(r.partitionSlot[p].essenceBase, layout.partitions[p].essenceBase) << p;
    }
    EXPECT_NE(r.partitionSlot[0].contentStart, o.kagSize);
    ASSERT_EQ(r.indexEntrySlot.size(), twin.indexEntrySlot.size());
    for (size_t k = 0; k < layout.frames.size(); ++k) {
      const INDEX_ENTRY_ARRAY& e = r.indexEntrySlot[k];
      EXPECT_EQ(e.filePosition, layout.frames[k].contentPackage) << k;
      EXPECT_EQ(e.partition, twin.indexEntrySlot[k].partition) << k;
      EXPECT_EQ(e.samplesInFrame, twin.indexEntrySlot[k].samplesInFrame) << k;
    }
    EXPECT_EQ(r.layout.elementKeys, twin.layout.elementKeys);
    EXPECT_EQ(r.audio.trackCount, twin.audio.trackCount);
    EXPECT_EQ(r.audio.cadenceCode, twin.audio.cadenceCode);
    EXPECT_EQ(r.timecode.duration, twin.timecode.duration);
    EXPECT_EQ(r.video.codingName, twin.video.codingName);
    EXPECT_EQ(r.base.productName, twin.base.productName);
  }
}

TEST(LayoutCheck, RecordsWhatTheEnginesRelyOn) {
  MxfFixtureOptions o = small_options();
  o.soundElementNumberBase = 0;  // loads whatever number the writer starts from
  MxfFixtureLayout layout;
  MxfRecords r;
  const Bytes file = build_mxf_fixture(o, &layout);
  ASSERT_EQ(analysis_code(file, r), 0);
  EXPECT_TRUE(r.layout.checked);
  EXPECT_TRUE(r.layout.systemItem);
  EXPECT_EQ(r.layout.pictureDelta, layout.deltas[1].elementDelta);
  ASSERT_EQ(r.layout.elementKeys.size(), 4u);
  for (size_t t = 0; t < 4; ++t) {
    EXPECT_EQ(r.layout.audioDeltas[t], layout.deltas[t + 2].elementDelta);
    const uint64_t key = layout.frames[0].soundKey[t];
    EXPECT_TRUE(std::equal(r.layout.elementKeys[t].begin(), r.layout.elementKeys[t].end(),
                           file.begin() + static_cast<ptrdiff_t>(key)));
    EXPECT_EQ(r.layout.elementKeys[t][15], t);
  }
}

TEST(LayoutCheck, LayoutsTheEnginesCannotAddressAreRefused) {
  const struct {
    const char* what;
    void (*change)(MxfFixtureOptions&);
    int code;
  } cases[] = {
      {"no system item", [](MxfFixtureOptions& o) { o.systemItem = false; }, 610},
      {"empty delta arrays", [](MxfFixtureOptions& o) { o.emptyDeltaArray = true; }, 612},
      {"constant-size index", [](MxfFixtureOptions& o) { o.constantSizeIndex = true; }, 613},
      {"fewer sound elements than descriptors",
       [](MxfFixtureOptions& o) { o.soundElementCount = 3; }, 612},
      {"8-byte sound element lengths", [](MxfFixtureOptions& o) { o.soundLength8 = true; }, 612},
      {"ANC element between picture and sound",
       [](MxfFixtureOptions& o) {
         o.ancElement = true;
         o.ancInMiddle = true;
       },
       612},
      {"no picture delta entry",
       [](MxfFixtureOptions& o) {
         o.trackCount = 0;
         o.deltaEntryCount = 1;
       },
       611},
      {"last edit unit laid out otherwise", [](MxfFixtureOptions& o) { o.swapSoundFrame = 11; },
       615},
  };
  for (const auto& c : cases) {
    MxfFixtureOptions o = small_options();
    c.change(o);
    MxfRecords r;
    const jobs::JobMessage m = analyse_bytes(build_mxf_fixture(o), r);
    EXPECT_EQ(m.code, c.code) << c.what;
    EXPECT_EQ(r.base.sectionCode, 600) << c.what;
    EXPECT_TRUE(r.indexEntrySlot.empty()) << c.what;
    EXPECT_NE(m.text.find(std::string(jobs::section_message(600, c.code))), std::string::npos)
        << c.what;
  }
}

TEST(LayoutCheck, AncDataMustBeTheLastElement) {
  MxfFixtureOptions o = small_options();
  o.ancElement = true;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  o.deltaEntryCount = 6;  // the ANC entry cut off: the last entry is a sound element
  MxfRecords cut;
  EXPECT_EQ(analysis_code(build_mxf_fixture(o), cut), 614);
}

// Index entries with two slice offsets and the picture alone in slice 1: the picture is found
// through its own slice's offset, read from the segment; a wrong or missing offset for that
// slice, or sound elements outside the last slice, are still refused.
TEST(LayoutCheck, EachElementThroughItsOwnSlice) {
  MxfFixtureOptions o = small_options();
  o.pictureInOwnSlice = true;
  MxfFixtureLayout layout;
  const Bytes bytes = build_mxf_fixture(o, &layout);
  MxfRecords r;
  ASSERT_EQ(analysis_code(bytes, r), 0);
  EXPECT_EQ(r.layout.pictureDelta, 0u);
  ASSERT_EQ(r.indexEntrySlot[0].filePosition, layout.frames[0].contentPackage);

  platform::MemorySource file(bytes);
  const INDEX_ENTRY_ARRAY& first = r.indexEntrySlot.front();
  const INDEX_ENTRY_ARRAY& last = r.indexEntrySlot.back();
  const uint32_t pictureSlice =
      static_cast<uint32_t>(layout.frames[0].picture - layout.frames[0].contentPackage);
  auto check = [&](std::vector<uint32_t> offsets, const INDEX_ENTRY_ARRAY& lastEntry) {
    MXF_LAYOUT_INFO facts;
    return check_content_package_layout(file, r.base, {&first, 2, offsets},
                                        {&lastEntry, 2, offsets}, o.trackCount, &facts);
  };
  EXPECT_EQ(check({pictureSlice, first.sliceOffset}, last), 0);
  EXPECT_EQ(check({pictureSlice + 16, first.sliceOffset}, last), 611);
  EXPECT_EQ(check({}, last), 611) << "no offset for slice 1";

  INDEX_ENTRY_ARRAY moved = first;
  moved.deltas[3].slice = 1;  // a sound element outside the slice the engines address
  MXF_LAYOUT_INFO facts;
  EXPECT_EQ(check_content_package_layout(
                file, r.base, {&moved, 2, {pictureSlice, first.sliceOffset}},
                {&moved, 2, {pictureSlice, first.sliceOffset}}, o.trackCount, &facts),
            612);
}

}  // namespace
}  // namespace tavrin
