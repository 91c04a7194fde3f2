// The Preface and identification steps on hand-built header metadata.
#include <gtest/gtest.h>

#include "analysis_bytes.h"
#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "platform/byte_source.h"

namespace tavrin {
namespace {

using namespace test;
using platform::MemorySource;

Key16 op1a(uint8_t qualifier) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01,      0x01,
          0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, qualifier, 0x00};
}

Bytes containers(std::initializer_list<Key16> labels, uint32_t count) {
  Bytes v = cat({be(count, 4), be(16, 4)});
  for (const Key16& l : labels) v = cat({v, ul(l)});
  return item(0x3B0A, v);
}

Bytes preface(const Bytes& items) {
  return klv(keys::kPrefaceSet, items);
}

Bytes usual_items(uint8_t major = 1, uint8_t minor = 3) {
  return cat({item(0x3B09, ul(op1a(0x09))), containers({keys::kMpeg2FrameWrappedV1}, 1),
              item(0x3B05, {major, minor})});
}

int run_preface(const Bytes& header, MxfRecords& r, uint64_t contentStart = 0) {
  use_as_header(r, header, contentStart);
  MemorySource source(header);
  return read_preface(&source, &r.base);
}

TEST(Preface, VersionRule) {
  const struct {
    uint8_t major, minor;
    int code;
  } cases[] = {{1, 2, 0}, {1, 3, 0}, {1, 4, 0}, {2, 3, 0}, {2, 4, 308}};
  for (const auto& c : cases) {
    MxfRecords r;
    EXPECT_EQ(run_preface(preface(usual_items(c.major, c.minor)), r), c.code)
        << int{c.major} << "." << int{c.minor};
    EXPECT_EQ(r.base.versionMajor, c.major);
    EXPECT_EQ(r.base.versionMinor, c.minor);
  }
}

TEST(Preface, OperationalPatternQualifierByteAlone) {
  Key16 odd = op1a(0x09);
  odd[12] = 0x7F;  // bytes 12 and 13 are not examined
  odd[13] = 0x03;
  MxfRecords r;
  EXPECT_EQ(run_preface(preface(cat({item(0x3B09, ul(odd)), usual_items()})), r), 0);
  EXPECT_EQ(run_preface(preface(cat({item(0x3B09, ul(op1a(0x0D))), usual_items()})), r), 306);
}

TEST(Preface, FrameWrappedVideoContainerAndAncData) {
  MxfRecords r;
  EXPECT_EQ(
      run_preface(preface(containers({keys::kAvcFrameWrapped, keys::kAncDataContainer}, 2)), r), 0);
  EXPECT_EQ(r.base.hasAncData, 1u);

  Key16 avcOtherRegistry = keys::kAvcFrameWrapped;
  avcOtherRegistry[7] = 0x0B;
  EXPECT_EQ(run_preface(preface(containers({avcOtherRegistry}, 1)), r), 307);
  EXPECT_EQ(run_preface(preface(containers({}, 0)), r), 307);
  EXPECT_EQ(r.base.hasAncData, 1u) << "307 leaves hasAncData as it was";
}

TEST(Preface, DamagedSetsEndWith309) {
  MxfRecords r;
  // A batch whose count claims more labels than the item holds.
  EXPECT_EQ(run_preface(preface(containers({keys::kMpeg2FrameWrappedV1}, 5)), r), 309);
  EXPECT_EQ(run_preface(preface(item(0x3B05, {1})), r), 309);
  EXPECT_EQ(run_preface(preface(item(0x3B09, Bytes(14, 0))), r), 309);
  Bytes itemPastSet = preface(usual_items());
  itemPastSet[itemPastSet.size() - 3] = 0x09;  // the Version item now claims 9 bytes
  EXPECT_EQ(run_preface(itemPastSet, r), 309);
  Bytes cut = preface(usual_items());
  cut.erase(cut.end() - 4, cut.end());  // the value runs past the end of the file
  EXPECT_EQ(run_preface(cut, r), 309);
}

TEST(Preface, SearchStartsWhereThePartitionContentsStart) {
  // A set in front of the contents (inside a pack or its fill) is not header metadata.
  const Bytes decoy = preface(item(0x3B09, ul(op1a(0x0D))));
  const Bytes header = cat({decoy, preface(usual_items())});
  MxfRecords r;
  EXPECT_EQ(run_preface(header, r, decoy.size()), 0);
  EXPECT_EQ(run_preface(header, r, 0), 306);
  // The header metadata ends before the real set starts.
  r.partitionSlot[0] = MXF_PARTITION_INFO{};
  r.partitionSlot[0].contentStart = 1;
  r.partitionSlot[0].headerByteCount = decoy.size() - 1;
  MemorySource source(header);
  EXPECT_EQ(read_preface(&source, &r.base), 304);
}

int run_identification(const Bytes& header, MxfRecords& r) {
  use_as_header(r, header);
  MemorySource source(header);
  return read_identification(&source, &r.base);
}

TEST(Identification, AbsentSetReadsUnknown) {
  MxfRecords r;
  r.base.versionString = "kept";
  EXPECT_EQ(run_identification(preface(usual_items()), r), 0);
  EXPECT_EQ(r.base.companyName, "unknown");
  EXPECT_EQ(r.base.productName, "unknown");
  EXPECT_EQ(r.base.platform, "unknown");
  EXPECT_EQ(r.base.versionString, "kept");
}

TEST(Identification, TextsArePrintableAsciiCutToTheirFields) {
  const std::u16string longName(100, u'x');
  const Bytes set = klv(keys::kIdentificationSet,
                        cat({item(0x3C01, utf16(u"Acme")), item(0x3C02, utf16(u"\u00e9Writer")),
                             item(0x3C04, utf16(u"1.0\u65e5")), item(0x3C08, utf16(longName)),
                             item(0x3C01, cat({utf16(u"Acme Corp"), Bytes{0, 0, 0, 0x41}}))}));
  MxfRecords r;
  EXPECT_EQ(run_identification(set, r), 0);
  EXPECT_EQ(r.base.productName, " Writer");
  EXPECT_EQ(r.base.versionString, "1.0 ");
  EXPECT_EQ(r.base.platform, std::string(kPlatformCapacity - 1, 'x'));
  EXPECT_EQ(r.base.companyName, "Acme Corp") << "a zero unit ends the text";
}

}  // namespace
}  // namespace tavrin
