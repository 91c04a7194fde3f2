// The video descriptor step on hand-built header metadata.
#include <gtest/gtest.h>

#include "analysis_bytes.h"
#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "platform/byte_source.h"

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

}  // namespace
}  // namespace tavrin
