// Checks the MXF fixture writer against a small KLV walker of its own, so that every later test
// can trust the files it builds: the KLV chain, the partitions and their byte counts, the Random
// Index Pack, the index entries and delta entries, the sample cadence and contents, the timecode
// words, and that ffprobe reads the default file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

using Bytes = std::vector<uint8_t>;

uint64_t be(const Bytes& b, uint64_t at, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | b.at(at + i);
  return v;
}

bool has_prefix(const Bytes& b, uint64_t at) {
  return at + 4 <= b.size() && b[at] == 0x06 && b[at + 1] == 0x0E && b[at + 2] == 0x2B &&
         b[at + 3] == 0x34;
}

struct Klv {
  uint64_t offset = 0;
  uint64_t valueOffset = 0;
  uint64_t length = 0;
  uint8_t key(const Bytes& b, int i) const { return b[offset + i]; }
  uint64_t end() const { return valueOffset + length; }
};

// Reads the KLV at `at` with a BER length of any form; empty when it does not fit the buffer.
std::optional<Klv> read_klv(const Bytes& b, uint64_t at) {
  if (!has_prefix(b, at) || at + 17 > b.size()) return std::nullopt;
  Klv k{at, at + 17, b[at + 16]};
  if (k.length & 0x80) {
    const int n = static_cast<int>(k.length & 0x7F);
    if (n == 0 || n > 8 || at + 17 + n > b.size()) return std::nullopt;
    k.length = be(b, at + 17, n);
    k.valueOffset = at + 17 + n;
  }
  if (k.length > b.size() - k.valueOffset) return std::nullopt;
  return k;
}

// Every KLV of the file in order; fails the test when a length does not land on the next key or
// the chain does not end exactly at the end of the file.
std::vector<Klv> walk(const Bytes& b) {
  std::vector<Klv> all;
  uint64_t at = 0;
  while (at < b.size()) {
    const std::optional<Klv> k = read_klv(b, at);
    if (!k) {
      ADD_FAILURE() << "no KLV at " << at;
      return all;
    }
    all.push_back(*k);
    at = k->end();
  }
  EXPECT_EQ(at, b.size());
  return all;
}

// The KLV at `at`; throws (and so fails the test) when there is none.
Klv klv_at(const Bytes& b, uint64_t at) {
  return read_klv(b, at).value();
}

bool is_fill(const Bytes& b, const Klv& k) {
  return k.key(b, 8) == 0x03 && k.key(b, 9) == 0x01;
}
bool is_pack(const Bytes& b, uint64_t at) {
  static const uint8_t kPack[13] = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01,
                                    0x01, 0x0D, 0x01, 0x02, 0x01, 0x01};
  if (at + 16 > b.size()) return false;
  for (int i = 0; i < 13; ++i) {
    if (b[at + i] != kPack[i]) return false;
  }
  return b[at + 13] >= 2 && b[at + 13] <= 4;
}

// Local set items of a KLV value: tag -> (value offset, length).
struct Item {
  uint64_t offset;
  uint64_t length;
};
std::vector<std::pair<uint16_t, Item>> items(const Bytes& b, const Klv& k) {
  std::vector<std::pair<uint16_t, Item>> out;
  for (uint64_t at = k.valueOffset; at + 4 <= k.end();) {
    const auto tag = static_cast<uint16_t>(be(b, at, 2));
    const uint64_t len = be(b, at + 2, 2);
    EXPECT_LE(at + 4 + len, k.end());
    out.push_back({tag, {at + 4, len}});
    at += 4 + len;
  }
  return out;
}
std::optional<Item> item(const Bytes& b, const Klv& k, uint16_t tag) {
  for (const auto& [t, i] : items(b, k)) {
    if (t == tag) return i;
  }
  return std::nullopt;
}

Item must_item(const Bytes& b, const Klv& k, uint16_t tag) {
  return item(b, k, tag).value();
}

struct Partition {
  Klv pack;
  uint64_t contentStart;  // behind the pack and a fill that follows it directly
  uint64_t kag, thisPartition, previous, footer, hbc, ibc, indexSid, bodyOffset, bodySid;
};

Partition read_partition(const Bytes& b, uint64_t at) {
  const Klv pack = klv_at(b, at);
  Partition p{pack,
              pack.end(),
              be(b, pack.valueOffset + 4, 4),
              be(b, pack.valueOffset + 8, 8),
              be(b, pack.valueOffset + 16, 8),
              be(b, pack.valueOffset + 24, 8),
              be(b, pack.valueOffset + 32, 8),
              be(b, pack.valueOffset + 40, 8),
              be(b, pack.valueOffset + 48, 4),
              be(b, pack.valueOffset + 52, 8),
              be(b, pack.valueOffset + 60, 4)};
  if (const auto next = read_klv(b, pack.end()); next && is_fill(b, *next)) {
    p.contentStart = next->end();
  }
  return p;
}

// The RIP's partition offsets, checked against the overall length and its key.
std::vector<uint64_t> rip_offsets(const Bytes& b) {
  const uint64_t length = be(b, b.size() - 4, 4);
  const Klv rip = klv_at(b, b.size() - length);
  EXPECT_EQ(rip.key(b, 13), 0x11);
  EXPECT_EQ(rip.end(), b.size());
  std::vector<uint64_t> offsets;
  for (uint64_t at = rip.valueOffset; at + 12 <= rip.end() - 4; at += 12) {
    offsets.push_back(be(b, at + 4, 8));
  }
  return offsets;
}

// Element positions of a content package in file order.
std::vector<uint64_t> element_order(const MxfFixtureOptions& o, const FixtureFrame& f) {
  std::vector<uint64_t> order;
  if (o.systemItem) order.push_back(f.systemItem);
  order.push_back(f.picture);
  if (o.ancElement && o.ancInMiddle) order.push_back(f.anc);
  std::vector<uint64_t> sounds = f.soundKey;
  std::sort(sounds.begin(), sounds.end());
  order.insert(order.end(), sounds.begin(), sounds.end());
  if (o.ancElement && !o.ancInMiddle) order.push_back(f.anc);
  return order;
}

// Walks every structure the reader of the file relies on and compares it with the layout.
void check_file(const Bytes& b, const MxfFixtureOptions& o, const MxfFixtureLayout& layout) {
  ASSERT_EQ(b.size(), layout.fileSize);
  walk(b);
  const std::vector<uint64_t> offsets = rip_offsets(b);
  ASSERT_EQ(offsets.size(), layout.partitions.size());
  const uint64_t footer = offsets.back();
  uint64_t previous = 0;
  std::vector<Partition> parts;
  for (size_t i = 0; i < offsets.size(); ++i) {
    ASSERT_TRUE(is_pack(b, offsets[i])) << "RIP entry " << i;
    const Partition p = read_partition(b, offsets[i]);
    EXPECT_EQ(p.thisPartition, offsets[i]);
    EXPECT_EQ(p.previous, previous);
    EXPECT_EQ(p.footer, footer);
    EXPECT_EQ(p.kag, o.kagSize);
    if (o.kagSize > 1) {
      EXPECT_EQ((p.contentStart - p.thisPartition) % o.kagSize, 0u);
    }
    EXPECT_EQ(p.contentStart, layout.partitions[i].contentStart);
    EXPECT_EQ(p.contentStart + p.hbc + p.ibc - p.bodyOffset, layout.partitions[i].essenceBase);
    previous = offsets[i];
    parts.push_back(p);

    // The header metadata and the index area are whole KLVs ending exactly at their counts.
    uint64_t at = p.contentStart;
    if (p.hbc != 0) {
      EXPECT_EQ(klv_at(b, at).key(b, 13), 0x05) << "Primer Pack first";
      while (at < p.contentStart + p.hbc) at = klv_at(b, at).end();
      EXPECT_EQ(at, p.contentStart + p.hbc);
    }
    const uint64_t indexEnd = at + p.ibc;
    while (at < indexEnd) {
      const Klv k = klv_at(b, at);
      EXPECT_TRUE(is_fill(b, k) || (k.key(b, 13) == 0x10 && k.key(b, 14) == 0x01));
      at = k.end();
    }
    EXPECT_EQ(at, indexEnd);
    EXPECT_EQ(p.indexSid != 0, p.ibc != 0);
  }

  // Index entries: StreamOffset + essence base is the content package, deltas name its elements.
  size_t entries = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Partition& p = parts[i];
    uint64_t at = p.contentStart + p.hbc;
    // A segment resolves against the body partition that holds its edit units.
    while (at < p.contentStart + p.hbc + p.ibc) {
      const Klv seg = klv_at(b, at);
      at = seg.end();
      if (is_fill(b, seg)) continue;
      const uint64_t start = be(b, must_item(b, seg, 0x3F0C).offset, 8);
      const uint64_t duration = be(b, must_item(b, seg, 0x3F0D).offset, 8);
      const Item deltas = must_item(b, seg, 0x3F09);
      const uint64_t nde = be(b, deltas.offset, 4);
      ASSERT_EQ(nde, layout.deltas.size());
      const std::optional<Item> entryArray = item(b, seg, 0x3F0A);
      if (!entryArray) continue;
      const uint64_t nie = be(b, entryArray->offset, 4);
      const uint64_t size = be(b, entryArray->offset + 4, 4);
      EXPECT_EQ(nie, duration);
      for (uint64_t n = 0; n < nie; ++n, ++entries) {
        const uint64_t e = entryArray->offset + 8 + n * size;
        const uint64_t frame = start + n;
        const Partition* body = nullptr;
        for (const Partition& q : parts) {
          if (q.bodySid == 1 && frame * layout.contentPackageSize >= q.bodyOffset) body = &q;
        }
        ASSERT_NE(body, nullptr);
        const uint64_t cp =
            be(b, e + 3, 8) + body->contentStart + body->hbc + body->ibc - body->bodyOffset;
        const uint64_t slice = size > 11 ? be(b, e + 11, 4) : 0;
        const FixtureFrame& f = layout.frames.at(frame);
        ASSERT_EQ(cp, f.contentPackage);
        const std::vector<uint64_t> order = element_order(o, f);
        for (uint64_t d = 0; d < nde; ++d) {
          const uint64_t de = deltas.offset + 8 + 6 * d;
          const uint64_t pos = cp + (b[de + 1] == 0 ? 0 : slice) + be(b, de + 2, 4);
          EXPECT_EQ(pos, order[std::min<size_t>(d, order.size() - 1)]) << "delta " << d;
          EXPECT_TRUE(read_klv(b, pos).has_value());
        }
      }
    }
  }

  // Content packages: system item with the timecode word, sound elements with their samples.
  const uint32_t elements = o.soundElementCount.value_or(o.trackCount);
  for (uint64_t k = 0; k < o.frameCount; ++k) {
    const FixtureFrame& f = layout.frames[k];
    if (o.systemItem) {
      ASSERT_EQ(f.systemItem, f.contentPackage);
      EXPECT_EQ(klv_at(b, f.systemItem).key(b, 12), 0x04);
      EXPECT_EQ(be(b, f.contentPackage + 61, 1) | be(b, f.contentPackage + 62, 1) << 8 |
                    be(b, f.contentPackage + 63, 1) << 16 | be(b, f.contentPackage + 64, 1) << 24,
                f.timecodeWord);
    }
    EXPECT_EQ(klv_at(b, f.picture).key(b, 12), 0x15);
    ASSERT_EQ(f.soundKey.size(), elements);
    for (uint32_t t = 0; t < elements; ++t) {
      const Klv el = klv_at(b, f.soundKey[t]);
      EXPECT_EQ(el.key(b, 12), 0x16);
      EXPECT_EQ(el.key(b, 15), o.soundElementNumberBase + t) << "frame " << k << " track " << t;
      EXPECT_EQ(el.valueOffset, f.soundValue[t]);
      ASSERT_EQ(el.length, uint64_t{f.samples} * o.blockAlign);
      const Bytes expected = fixture_samples(t, k, f.samples, o.blockAlign);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), b.begin() + el.valueOffset));
      if (o.soundSlotSize == 0 && !o.swapSoundFrame) {
        const Klv fill = klv_at(b, el.end());
        EXPECT_TRUE(is_fill(b, fill));
        EXPECT_EQ(fill.end() - el.offset, layout.soundSlotSize);
      }
    }
  }
}

TEST(FixtureWriter, DefaultFileIsOp1aFrameWrappedAndConsistent) {
  const MxfFixtureOptions o;
  MxfFixtureLayout layout;
  const Bytes b = build_mxf_fixture(o, &layout);
  check_file(b, o, layout);
  ASSERT_EQ(layout.partitions.size(), 3u);
  EXPECT_EQ(layout.partitions[0].contentStart, 512u);
  EXPECT_EQ(layout.frames[0].picture - layout.frames[0].contentPackage, 512u);
  EXPECT_EQ(layout.soundSlotSize, 5120u);  // 1602 samples of 3 bytes, a fill, 512 grid
  EXPECT_EQ(layout.deltas.size(), 10u);
  EXPECT_EQ(layout.deltas[2].elementDelta, 0u);
  EXPECT_EQ(layout.deltas[3].elementDelta, 5120u);
  const std::vector<uint32_t> cadence = {1602, 1601, 1602, 1601, 1602, 1602};
  for (size_t k = 0; k < cadence.size(); ++k) EXPECT_EQ(layout.frames[k].samples, cadence[k]);
  // Preface version item and OP qualifier as the reader tests them.
  const Klv preface = klv_at(b, layout.prefaceOffset);
  EXPECT_EQ(be(b, must_item(b, preface, 0x3B05).offset, 2), 0x0103u);
  EXPECT_EQ(b[must_item(b, preface, 0x3B09).offset + 14], 0x09);
  // 10:00:00;00 drop frame, then 10:00:00;01.
  EXPECT_EQ(layout.frames[0].timecodeWord, 0x10000040u);
  EXPECT_EQ(layout.frames[1].timecodeWord, 0x10000041u);
  EXPECT_EQ(build_mxf_fixture(o), b) << "deterministic";
}

TEST(FixtureWriter, PartitionGeometryVariants) {
  MxfFixtureOptions o;
  o.frameCount = 23;
  o.framesPerPartition = 10;
  o.maxSegmentDuration = 4;
  o.indexInHeader = true;
  o.indexInFooter = true;
  for (uint32_t kag : {1u, 256u, 512u}) {
    o.kagSize = kag;
    o.extraEssenceContainers.assign(kag == 256 ? 12 : 0, kMpeg2FrameWrappedV2);
    MxfFixtureLayout layout;
    const Bytes b = build_mxf_fixture(o, &layout);
    SCOPED_TRACE(kag);
    check_file(b, o, layout);
    EXPECT_EQ(layout.partitions.size(), 5u);  // header, 3 bodies, footer
    EXPECT_EQ(layout.partitions[1].indexSegments.size(), 3u);
    const uint64_t expectedStart = kag == 1 ? 108 + 16 * 2 : 512;  // KAG 256: a 300-byte pack
    EXPECT_EQ(layout.partitions[0].contentStart, expectedStart);
  }
}

TEST(FixtureWriter, LayoutOptionsKeepTheStructureValid) {
  const auto variant = [](auto change) {
    MxfFixtureOptions o;
    o.frameCount = 12;
    change(o);
    return o;
  };
  const std::vector<MxfFixtureOptions> variants = {
      variant([](MxfFixtureOptions& o) { o.systemItem = false; }),
      variant([](MxfFixtureOptions& o) { o.ancElement = true; }),
      variant([](MxfFixtureOptions& o) {
        o.ancElement = true;
        o.ancInMiddle = true;
      }),
      variant([](MxfFixtureOptions& o) { o.soundLength8 = true; }),
      variant([](MxfFixtureOptions& o) { o.shortBerLengths = true; }),
      variant([](MxfFixtureOptions& o) { o.soundElementCount = 3; }),
      variant([](MxfFixtureOptions& o) {
        o.soundElementNumberBase = 0;
        o.soundElement = SoundElementKind::kBwf;
        o.audioDescriptor = AudioDescriptorKind::kWave;
        o.blockAlign = 2;
        o.quantizationBits = 16;
      }),
      variant([](MxfFixtureOptions& o) {
        o.videoDescriptor = VideoDescriptorKind::kCdciAvc;
        o.prefaceVersionMinor = 2;
        o.kagSize = 1;
        o.soundSlotAlign = 1;
      }),
      variant([](MxfFixtureOptions& o) { o.cadencePhase = 1; }),
      variant([](MxfFixtureOptions& o) { set_edit_rate(o, 25, 1); }),
      variant([](MxfFixtureOptions& o) {
        o.soundSlotSize = 5076;
        o.ancElement = true;
        o.ancBlockSize = 340;
        o.systemBlockSize = 100;
      }),
      variant([](MxfFixtureOptions& o) { o.trackCount = 0; }),
      variant([](MxfFixtureOptions& o) {
        o.trackCount = 26;
        o.unknownTimecodeDuration = true;
        o.identification = false;
      }),
  };
  for (size_t i = 0; i < variants.size(); ++i) {
    SCOPED_TRACE(i);
    MxfFixtureLayout layout;
    const Bytes b = build_mxf_fixture(variants[i], &layout);
    check_file(b, variants[i], layout);
  }
  MxfFixtureLayout layout = plan_mxf_fixture(variants[0]);
  EXPECT_EQ(layout.frames[0].systemItem, kNone);
  EXPECT_EQ(layout.deltas[1].slice, 1);  // the first sound element follows the picture slice
  layout = plan_mxf_fixture(variants[8]);
  EXPECT_EQ(layout.frames[0].samples, 1601u);
  layout = plan_mxf_fixture(variants[9]);
  EXPECT_EQ(layout.soundSlotSize, 6144u);  // 1920 x 3 + 20 on the 512 grid
  layout = plan_mxf_fixture(variants[10]);
  EXPECT_EQ(layout.soundSlotSize, 5076u);
  EXPECT_EQ(layout.ancBlockSize, 340u);
  EXPECT_EQ(layout.frames[0].picture - layout.frames[0].contentPackage, 100u);
  EXPECT_EQ(plan_mxf_fixture(variants[11]).deltas.size(), 2u);
  EXPECT_EQ(plan_mxf_fixture(variants[12]).identificationOffset, kNone);
}

TEST(FixtureWriter, IndexVariants) {
  MxfFixtureOptions o;
  o.frameCount = 8;
  o.constantSizeIndex = true;
  MxfFixtureLayout layout;
  Bytes b = build_mxf_fixture(o, &layout);
  walk(b);
  Klv seg = klv_at(b, layout.partitions[1].indexSegments[0]);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F05).offset, 4), layout.contentPackageSize);
  EXPECT_FALSE(item(b, seg, 0x3F0A));

  o = {};
  o.emptyDeltaArray = true;
  o.ndeExtra = 2;
  o.nieExtra = 5;
  b = build_mxf_fixture(o, &layout);
  walk(b);
  seg = klv_at(b, layout.partitions[1].indexSegments[0]);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F08).offset, 1), 0u);
  EXPECT_EQ(must_item(b, seg, 0x3F09).length, 8u);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F09).offset, 4), 2u);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F0A).offset, 4), 35u);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F0A).offset + 4, 4), 11u);

  o = {};
  o.deltaEntryCount = 27;
  b = build_mxf_fixture(o, &layout);
  seg = klv_at(b, layout.partitions[1].indexSegments[0]);
  EXPECT_EQ(be(b, must_item(b, seg, 0x3F09).offset, 4), 27u);

  // An hour at 29.97 needs more than one segment: each item length stays within 16 bits.
  o = {};
  o.frameCount = 107892;
  layout = plan_mxf_fixture(o);
  EXPECT_EQ(layout.partitions[1].indexSegments.size(), 25u);
}

TEST(FixtureWriter, FaultOptionsChangeOnlyWhatTheySay) {
  MxfFixtureOptions o;
  o.frameCount = 6;
  o.streamOffsetPastEnd = 2;
  o.ripOffsetPastEnd = 1;
  o.ripLengthDelta = 7;
  o.headerStatus = 0x01;
  o.operationalPatternQualifier = 0x0D;
  o.prefaceContainerCountExtra = 3;
  o.swapSoundFrame = 4;
  MxfFixtureLayout layout;
  const Bytes b = build_mxf_fixture(o, &layout);
  walk(b);
  EXPECT_EQ(b[13], 0x02);
  EXPECT_EQ(b[14], 0x01);
  const uint64_t ripLength = be(b, b.size() - 4, 4);
  EXPECT_EQ(ripLength, b.size() - layout.ripOffset + 7);
  const Klv rip = klv_at(b, layout.ripOffset);
  EXPECT_GT(be(b, rip.valueOffset + 12 + 4, 8), b.size());
  const Klv seg = klv_at(b, layout.partitions[1].indexSegments[0]);
  const uint64_t entries = must_item(b, seg, 0x3F0A).offset + 8;
  EXPECT_EQ(be(b, entries + 2 * 15 + 3, 8), b.size());
  const Klv preface = klv_at(b, layout.prefaceOffset);
  EXPECT_EQ(be(b, must_item(b, preface, 0x3B0A).offset, 4), 2u + 3u);
  // Frame 4 carries track 2's element where the index says track 1's is, and the other way.
  const FixtureFrame& f = layout.frames[4];
  EXPECT_EQ(f.soundKey[0], f.contentPackage + layout.sliceOffset + layout.deltas[3].elementDelta);
  EXPECT_EQ(b[f.soundKey[0] + 15], 1);
  EXPECT_EQ(b[f.soundKey[1] + 15], 2);

  o = {};
  o.ripOmitsFooter = true;
  EXPECT_EQ(rip_offsets(build_mxf_fixture(o)).size(), 2u);
  EXPECT_EQ(truncated(Bytes(10, 1), 4).size(), 4u);
}

TEST(FixtureWriter, TimecodeWords) {
  MxfFixtureOptions o;
  o.frameCount = 6;
  set_start_timecode(o, 10, 0, 59, 28);
  o.timecodeOverrides[4] = {1, 2, 3, 4};
  o.timecodeHook = [](uint64_t frame, uint32_t word) { return frame == 5 ? 0x12345678u : word; };
  // 10:00:59;28, ;29, then 10:01:00;02 (;00 and ;01 are dropped).
  EXPECT_EQ(fixture_timecode_word(o, 0), 0x10005968u);
  EXPECT_EQ(fixture_timecode_word(o, 1), 0x10005969u);
  EXPECT_EQ(fixture_timecode_word(o, 2), 0x10010042u);
  EXPECT_EQ(fixture_timecode_word(o, 4), 0x01020344u);
  EXPECT_EQ(fixture_timecode_word(o, 5), 0x12345678u);

  set_edit_rate(o, 60000, 1001);
  o.timecodeOverrides.clear();
  o.timecodeHook = nullptr;
  EXPECT_EQ(o.startTimecode, 2157840u);
  EXPECT_EQ(fixture_timecode_word(o, 0), 0x10000040u);
  EXPECT_EQ(fixture_timecode_word(o, 1), 0x10008040u);  // same label, field bit
  EXPECT_EQ(fixture_timecode_word(o, 2), 0x10000041u);
  const std::vector<uint32_t> cadence = {801, 801, 800, 801, 801, 801};
  for (uint64_t k = 0; k < cadence.size(); ++k)
    EXPECT_EQ(fixture_samples_in_frame(o, k), cadence[k]);

  const FixtureTimecode tc = count_to_timecode(30, true, 1078920 + 17982);
  EXPECT_EQ(tc.hours * 10000 + tc.minutes * 100 + tc.seconds, 101000);
  EXPECT_EQ(timecode_to_count(30, true, tc), 1078920u + 17982);
}

TEST(FixtureWriter, StreamedFileEqualsTheBuiltBytes) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  MxfFixtureOptions o;
  o.frameCount = 70;
  o.pictureSize = 208 * 1024;
  o.framesPerPartition = 30;
  o.ancElement = true;
  MxfFixtureLayout streamed;
  ASSERT_TRUE(write_mxf_fixture(dir.file("big.mxf"), o, &streamed));
  MxfFixtureLayout built;
  const Bytes b = build_mxf_fixture(o, &built);
  EXPECT_EQ(read_file(dir.file("big.mxf")), b);
  EXPECT_EQ(streamed.fileSize, built.fileSize);
  EXPECT_EQ(streamed.frames.back().soundValue, built.frames.back().soundValue);
  EXPECT_FALSE(write_mxf_fixture(dir.file("missing/x.mxf"), o));
}

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  pclose(pipe);
  return out;
}

TEST(FixtureWriter, FfprobeReadsTheDefaultFile) {
  if (std::system("ffprobe -version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffprobe is not installed; the peer check of the fixture is skipped";
  }
  TempDir dir;
  const std::string path = dir.file("default.mxf");
  const MxfFixtureOptions o;
  MxfFixtureLayout layout;
  ASSERT_TRUE(write_file(path, build_mxf_fixture(o, &layout)));
  const std::string errors = run("ffprobe -v warning -i '" + path + "' 2>&1 >/dev/null");
  EXPECT_EQ(errors, "");
  const std::string out =
      run("ffprobe -v error -show_entries stream=codec_type,r_frame_rate:format=duration -of "
          "default=nw=1 '" +
          path + "' 2>/dev/null");
  size_t audio = 0;
  for (size_t at = 0; (at = out.find("codec_type=audio", at)) != std::string::npos; ++at) ++audio;
  EXPECT_EQ(audio, 8u) << out;
  EXPECT_NE(out.find("r_frame_rate=30000/1001"), std::string::npos) << out;
  EXPECT_NE(out.find("duration=1.001"), std::string::npos) << out;

  // The peer reads the third track's samples as the fixture wrote them.
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed; the sample check against the peer is skipped";
  }
  const std::string pcm =
      run("ffmpeg -v error -i '" + path + "' -map 0:a:2 -c copy -f s24le pipe:1 2>/dev/null");
  std::string expected;
  for (uint64_t k = 0; k < o.frameCount; ++k) {
    const Bytes s = fixture_samples(2, k, layout.frames[k].samples, 3);
    expected.append(s.begin(), s.end());
  }
  EXPECT_TRUE(pcm == expected) << pcm.size() << " bytes, expected " << expected.size();
}

}  // namespace
}  // namespace tavrin::test
