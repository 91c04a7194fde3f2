// The video descriptor step on hand-built header metadata.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "analysis_bytes.h"
#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "mxf/primer_pack.h"
#include "platform/byte_source.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;
using platform::MemorySource;

constexpr Key16 kHd422LongGop = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03,
                                 0x04, 0x01, 0x02, 0x02, 0x01, 0x04, 0x03, 0x00};
constexpr Key16 kXavcIntra = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A,
                              0x04, 0x01, 0x02, 0x02, 0x01, 0x32, 0x30, 0x01};

Bytes picture_items(const Key16& coding, uint32_t height, uint32_t width) {
  return cat({item(0x3201, ul(coding)), item(0x3208, be(height, 4)), item(0x3209, be(width, 4)),
              item(0x320E, cat({be(16, 4), be(9, 4)}))});
}

int run(const Bytes& header, MxfRecords& r, uint8_t minorVersion = 3) {
  use_as_header(r, header);
  r.base.versionMinor = minorVersion;
  MemorySource source(header);
  return read_video_descriptor(&source, &r.base);
}

TEST(VideoDescriptor, MpegItemsByMinorVersion) {
  const Bytes v3 =
      cat({picture_items(kHd422LongGop, 540, 1920), item(0x8002, {2}), item(0x8006, be(0x0102, 2)),
           item(0x8007, be(0x0304, 2)), item(0x8009, {5}), item(0x8008, be(50000000, 4))});
  MxfRecords r;
  ASSERT_EQ(run(klv(keys::kMpegVideoDescriptor, v3), r), 0);
  EXPECT_EQ(r.video.codingName, "MPEG2 HD422P@HL");
  EXPECT_EQ(r.video.codingIndex, 1u);
  EXPECT_EQ(r.video.displayHeight, 1080u) << "field height times mpegField4";
  EXPECT_EQ(r.video.displayWidth, 1920u);
  EXPECT_EQ(r.video.aspectNum, 16u);
  EXPECT_EQ(r.video.aspectDen, 9u);
  EXPECT_EQ(r.video.mpegField5, 0x0102u);
  EXPECT_EQ(r.video.mpegField6, 0x0304u);
  EXPECT_EQ(r.video.mpegField7, 5u);
  EXPECT_EQ(r.video.bitRate, 50000000u);

  // Version 2: 800D is column 6, 8008 column 4, 800F the bit rate.
  const Bytes v2 = cat({picture_items(kHd422LongGop, 540, 1920), item(0x8008, {2}),
                        item(0x800D, be(7, 2)), item(0x800F, be(40000000, 4))});
  MxfRecords r2;
  ASSERT_EQ(run(klv(keys::kMpegVideoDescriptor, v2), r2, 2), 0);
  EXPECT_EQ(r2.video.mpegField6, 7u);
  EXPECT_EQ(r2.video.bitRate, 40000000u);
  EXPECT_EQ(r2.video.displayHeight, 1080u);
}

TEST(VideoDescriptor, DynamicItemsOfOtherSizesArePassedOver) {
  // ffmpeg numbers its own MPEG items from 8000: 8007 holds one byte, 8008 two.
  const Bytes items = cat({picture_items(kHd422LongGop, 540, 1920), item(0x8007, {0x82}),
                           item(0x8006, be(12, 2)), item(0x8008, be(0, 2))});
  MxfRecords r;
  ASSERT_EQ(run(klv(keys::kMpegVideoDescriptor, items, 0), r), 0);
  EXPECT_EQ(r.video.mpegField5, 12u);
  EXPECT_EQ(r.video.displayHeight, 540u) << "no multiplier item: the height stays";
}

TEST(VideoDescriptor, XavcBitRateFromTheSubDescriptor) {
  const Bytes cdci = klv(keys::kCdciDescriptor, picture_items(kXavcIntra, 2160, 3840));
  const Bytes sub = klv(keys::kAvcSubDescriptor, item(0x800D, be(300000000, 4)));
  MxfRecords r;
  ASSERT_EQ(run(cat({cdci, sub}), r), 0);
  EXPECT_EQ(r.video.codingName, "XAVC Intra");
  EXPECT_EQ(r.video.bitRate, 600000000u);
  MxfRecords hd;
  ASSERT_EQ(run(cat({klv(keys::kCdciDescriptor, picture_items(kXavcIntra, 1080, 1920)), sub}), hd),
            0);
  EXPECT_EQ(hd.video.bitRate, 300000000u);
}

TEST(VideoDescriptor, Refusals) {
  Key16 otherRegistry = kHd422LongGop;
  otherRegistry[7] = 0x01;
  MxfRecords r;
  EXPECT_EQ(run(klv(keys::kMpegVideoDescriptor, picture_items(otherRegistry, 540, 1920)), r), 807);
  EXPECT_EQ(r.video.codingName, "not in list");
  EXPECT_EQ(run(klv(keys::kAes3Descriptor, picture_items(kHd422LongGop, 1, 1)), r), 805);
  EXPECT_EQ(run(klv(keys::kCdciDescriptor, item(0x3208, be(1080, 4))), r), 806);
  EXPECT_EQ(run(klv(keys::kCdciDescriptor, item(0x3201, Bytes(15, 6))), r), 808);
  EXPECT_EQ(
      run(klv(keys::kCdciDescriptor, cat({item(0x3201, ul(kXavcIntra)), item(0x3209, {1})})), r),
      808);
}

// Whole fixture files whose MPEG items carry the dynamic tags of other writers, in another order:
// every item is found through the Primer Pack by its UL.
struct WriterCase {
  const char* name;
  std::array<uint16_t, 5> tags;  // content type, max GOP, B pictures, profile/level, bit rate
  bool reversed;
  uint8_t contentType;
  uint8_t frameLayout;
  uint32_t height;  // as the descriptor stores it
  uint8_t wantScan;
  uint32_t wantHeight;
  uint32_t wantBitRate;
};

TEST(VideoDescriptorPrimer, ItemsAreFoundByTheirUlsWhateverTheTags) {
  const WriterCase cases[] = {
      // ffmpeg: no CodedContentType, bit rate at 8000, B picture count at 8008 (the tag the
      // version 3 table takes for the bit rate).
      {"ffmpeg", {0, 0x8006, 0x8008, 0x8007, 0x8000}, false, 0, 1, 540, 2, 1080, 15000000},
      {"ffmpeg progressive",
       {0, 0x8006, 0x8008, 0x8007, 0x8000},
       false,
       0,
       0,
       1080,
       1,
       1080,
       3000000},
      // Tags counted down from FFFF, written bit rate first.
      {"descending", {0xFFF7, 0xFFF8, 0xFFF9, 0xFFFA, 0xFFFB}, true, 2, 1, 540, 2, 1080, 3000000},
      {"descending progressive",
       {0xFFF7, 0xFFF8, 0xFFF9, 0xFFFA, 0xFFFB},
       true,
       1,
       1,
       1080,
       1,
       1080,
       50000000},
      // Without a bit rate item the B picture count at 8008 is not taken for it.
      {"no bit rate", {0, 0x8006, 0x8008, 0x8007, 0}, false, 0, 3, 540, 2, 1080, 0},
      // The fixed version 3 tags, listed in the primer as well.
      {"fixed tags", {0x8002, 0x8006, 0x8007, 0x8009, 0x8008}, false, 2, 1, 540, 2, 1080, 8000000},
      // Mixed fields: neither interlaced nor progressive, the height stays.
      {"mixed", {0x8002, 0x8006, 0x8007, 0x8009, 0x8008}, false, 3, 3, 540, 3, 540, 8000000},
  };
  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.name);
    MxfFixtureOptions o;
    o.frameCount = 6;
    o.trackCount = 2;
    o.mpegDynamicTags = c.tags;
    o.mpegItemsReversed = c.reversed;
    o.mpegField4 = c.contentType;
    o.frameLayout = c.frameLayout;
    o.displayHeight = c.height;
    o.mpegField5 = 15;
    o.mpegField6 = 2;
    o.mpegField7 = 0x82;
    o.bitRate = c.wantBitRate == 0 ? 15000000 : c.wantBitRate;
    MxfRecords r;
    // A file with other values loaded before: nothing of it may show.
    r.video.mpegField4 = 9;
    r.video.bitRate = 123;
    r.video.mpegField5 = 77;
    ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
    EXPECT_EQ(r.video.mpegField4, c.wantScan);
    EXPECT_EQ(r.video.displayHeight, c.wantHeight);
    EXPECT_EQ(r.video.displayWidth, 1920u);
    EXPECT_EQ(r.video.bitRate, c.wantBitRate);
    EXPECT_EQ(r.video.mpegField5, 15u);
    EXPECT_EQ(r.video.mpegField6, 2u);
    EXPECT_EQ(r.video.mpegField7, 0x82u);
  }
}

TEST(VideoDescriptorPrimer, AvcBitRateByItsUl) {
  MxfFixtureOptions o;
  o.frameCount = 6;
  o.trackCount = 2;
  o.videoDescriptor = VideoDescriptorKind::kCdciAvc;
  o.avcBitRateTag = 0xFF10;
  o.avcBitRate = 100000000;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  EXPECT_EQ(r.video.codingName, "XAVC Intra");
  EXPECT_EQ(r.video.bitRate, 100000000u);
  EXPECT_EQ(r.video.mpegField4, 2u) << "separate fields: interlaced";
}

TEST(PrimerPack, EntriesAreReadInsideTheirBatchOnly) {
  const Key16 bitRate = keys::kBitRateItem;
  Key16 otherVersion = bitRate;
  otherVersion[7] = 0x01;
  const Bytes entry = cat({be(0x8000, 2), ul(otherVersion)});
  PrimerPack p;
  ASSERT_TRUE(parse_primer_pack(cat({be(1, 4), be(18, 4), entry}), &p));
  EXPECT_EQ(primer_tag_of(p, bitRate), std::optional<uint16_t>(0x8000)) << "byte 7 not compared";
  EXPECT_TRUE(primer_has_tag(p, 0x8000));
  EXPECT_FALSE(primer_has_tag(p, 0x8008));
  EXPECT_EQ(primer_tag_of(p, keys::kMaxGopItem), std::nullopt);

  // Longer items are stepped by their size; a count past the value, a short item size or a
  // header cut short leave no entries.
  ASSERT_TRUE(
      parse_primer_pack(cat({be(2, 4), be(20, 4), entry, Bytes(2, 0), entry, Bytes(2, 0)}), &p));
  EXPECT_EQ(p.entries.size(), 2u);
  EXPECT_FALSE(parse_primer_pack(cat({be(2, 4), be(18, 4), entry}), &p));
  EXPECT_TRUE(p.entries.empty());
  EXPECT_FALSE(parse_primer_pack(cat({be(0xFFFFFFFF, 4), be(18, 4), entry}), &p));
  EXPECT_FALSE(parse_primer_pack(cat({be(1, 4), be(17, 4), entry}), &p));
  EXPECT_FALSE(parse_primer_pack(be(1, 4), &p));
  EXPECT_TRUE(parse_primer_pack(cat({be(0, 4), be(18, 4)}), &p));
  EXPECT_TRUE(p.entries.empty());
}

}  // namespace
}  // namespace tavrin
