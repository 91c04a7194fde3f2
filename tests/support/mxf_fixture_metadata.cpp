// Header metadata of the MXF fixture writer: the Primer Pack and the local sets of an OP1a file
// with one material package (timecode track first, then picture, sound and ANC tracks) and one
// file package whose multiple descriptor holds the video, audio and ANC descriptors.
#include <algorithm>
#include <functional>
#include <utility>

#include "support/mxf_fixture_internal.h"

namespace tavrin::test::fixture {

namespace {

constexpr Ul kPrimerKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                           0x0D, 0x01, 0x02, 0x01, 0x01, 0x05, 0x01, 0x00};
constexpr Ul kOp1a = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                      0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00};
constexpr Ul kMultipleWrappings = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x03,
                                   0x0D, 0x01, 0x03, 0x01, 0x02, 0x7F, 0x01, 0x00};
constexpr Ul kTimecodeDataDef = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                                 0x01, 0x03, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00};
constexpr Ul kPictureDataDef = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                                0x01, 0x03, 0x02, 0x02, 0x01, 0x00, 0x00, 0x00};
constexpr Ul kSoundDataDef = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                              0x01, 0x03, 0x02, 0x02, 0x02, 0x00, 0x00, 0x00};
constexpr Ul kDataDataDef = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                             0x01, 0x03, 0x02, 0x02, 0x03, 0x00, 0x00, 0x00};

// Set kinds: byte 14 of 06 0E 2B 34 02 53 01 01 0D 01 01 01 01 01 kk 00.
enum SetKind : uint8_t {
  kSequence = 0x0F,
  kSourceClip = 0x11,
  kTimecodeComponent = 0x14,
  kContentStorage = 0x18,
  kEssenceContainerData = 0x23,
  kCdciDescriptor = 0x28,
  kPreface = 0x2F,
  kIdentification = 0x30,
  kMaterialPackage = 0x36,
  kSourcePackage = 0x37,
  kTimelineTrack = 0x3B,
  kMultipleDescriptor = 0x44,
  kAes3Descriptor = 0x47,
  kWaveDescriptor = 0x48,
  kMpegDescriptor = 0x51,
  kAncDescriptor = 0x5C,
  kAvcSubDescriptor = 0x6E,
};

Ul set_key(uint8_t kind) {
  return {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
          0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, kind, 0x00};
}

// A dictionary label 06 0E 2B 34 01 01 01 vv followed by eight bytes.
constexpr Ul dict(uint8_t version, uint64_t rest) {
  Ul ul = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, version, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) ul[15 - i] = static_cast<uint8_t>(rest >> (8 * i));
  return ul;
}

struct PrimerEntry {
  uint16_t tag;
  Ul ul;
};

// Static local tags of the sets written below.
constexpr PrimerEntry kStaticTags[] = {
    {0x3C0A, dict(0x01, 0x0101150200000000)}, {0x0102, dict(0x02, 0x0520070108000000)},
    {0x3B02, dict(0x02, 0x0702011002040000)}, {0x3B05, dict(0x02, 0x0301020105000000)},
    {0x3B03, dict(0x02, 0x0601010402010000)}, {0x3B06, dict(0x02, 0x0601010406040000)},
    {0x3B09, dict(0x05, 0x0102020300000000)}, {0x3B0A, dict(0x05, 0x0102021002010000)},
    {0x3B0B, dict(0x05, 0x0102021002020000)}, {0x3C09, dict(0x02, 0x0520070101000000)},
    {0x3C01, dict(0x02, 0x0520070102010000)}, {0x3C02, dict(0x02, 0x0520070103010000)},
    {0x3C04, dict(0x02, 0x0520070105010000)}, {0x3C05, dict(0x02, 0x0520070107000000)},
    {0x3C06, dict(0x02, 0x0702011002030000)}, {0x3C08, dict(0x02, 0x0520070106010000)},
    {0x1901, dict(0x02, 0x0601010405010000)}, {0x1902, dict(0x02, 0x0601010405020000)},
    {0x2701, dict(0x02, 0x0601010601000000)}, {0x3F06, dict(0x04, 0x0103040500000000)},
    {0x3F07, dict(0x04, 0x0103040400000000)}, {0x4401, dict(0x01, 0x0101151000000000)},
    {0x4405, dict(0x02, 0x0702011001030000)}, {0x4404, dict(0x02, 0x0702011002050000)},
    {0x4403, dict(0x02, 0x0601010406050000)}, {0x4701, dict(0x02, 0x0601010402030000)},
    {0x4801, dict(0x02, 0x0107010100000000)}, {0x4804, dict(0x02, 0x0104010300000000)},
    {0x4B01, dict(0x02, 0x0530040500000000)}, {0x4B02, dict(0x02, 0x0702010301030000)},
    {0x4803, dict(0x02, 0x0601010402040000)}, {0x0201, dict(0x02, 0x0407010000000000)},
    {0x0202, dict(0x02, 0x0702020101030000)}, {0x1001, dict(0x02, 0x0601010406090000)},
    {0x1201, dict(0x02, 0x0702010301040000)}, {0x1101, dict(0x02, 0x0601010301000000)},
    {0x1102, dict(0x02, 0x0601010302000000)}, {0x1501, dict(0x02, 0x0702010301050000)},
    {0x1502, dict(0x02, 0x0404010102060000)}, {0x1503, dict(0x01, 0x0404010105000000)},
    {0x3F01, dict(0x04, 0x06010104060B0000)}, {0x3006, dict(0x05, 0x0601010305000000)},
    {0x3001, dict(0x01, 0x0406010100000000)}, {0x3002, dict(0x01, 0x0406010200000000)},
    {0x3004, dict(0x02, 0x0601010401020000)}, {0x3D03, dict(0x05, 0x0402030101010000)},
    {0x3D02, dict(0x04, 0x0402030104000000)}, {0x3D07, dict(0x05, 0x0402010104000000)},
    {0x3D01, dict(0x04, 0x0402030304000000)}, {0x3D0A, dict(0x05, 0x0402030201000000)},
    {0x3D09, dict(0x05, 0x0402030305000000)}, {0x320C, dict(0x01, 0x0401030104000000)},
    {0x3203, dict(0x01, 0x0401050202000000)}, {0x3202, dict(0x01, 0x0401050201000000)},
    {0x3209, dict(0x01, 0x040105010C000000)}, {0x3208, dict(0x01, 0x040105010B000000)},
    {0x320E, dict(0x01, 0x0401010101000000)}, {0x3201, dict(0x02, 0x0401060100000000)},
    {0x3301, dict(0x02, 0x040105030A000000)}, {0x3302, dict(0x01, 0x0401050105000000)},
    {0x3308, dict(0x02, 0x0401050110000000)},
};

// MPEG picture descriptor items (coded content type, max GOP, B picture count, profile and level,
// bit rate) and the AVC bit rate.
constexpr Ul kCodedContentType = dict(0x05, 0x0401060201040000);
constexpr Ul kMaxGop = dict(0x05, 0x0401060201080000);
constexpr Ul kBPictureCount = dict(0x05, 0x0401060201090000);
constexpr Ul kProfileAndLevel = dict(0x05, 0x04010602010A0000);
constexpr Ul kBitRate = dict(0x05, 0x04010602010B0000);
constexpr Ul kAvcMaximumBitRate = dict(0x0E, 0x04010606010B0000);

struct MpegTags {
  uint16_t codedContentType, maxGop, bPictureCount, profileAndLevel, bitRate;
};
MpegTags mpeg_tags(const MxfFixtureOptions& o) {
  if (o.mpegDynamicTags) {
    const std::array<uint16_t, 5>& t = *o.mpegDynamicTags;
    return {t[0], t[1], t[2], t[3], t[4]};
  }
  const uint8_t table = o.mpegTagTable.value_or(o.prefaceVersionMinor == 2 ? 2 : 3);
  if (table == 2) return {0x8008, 0x800C, 0x800D, 0x800E, 0x800F};
  return {0x8002, 0x8006, 0x8007, 0x8009, 0x8008};
}

class LocalSet {
 public:
  explicit LocalSet(uint8_t kind) : key_(set_key(kind)) {}

  LocalSet& bytes(uint16_t tag, const Bytes& value) {
    put_u16(items_, tag);
    put_u16(items_, static_cast<uint16_t>(value.size()));
    items_.insert(items_.end(), value.begin(), value.end());
    return *this;
  }
  LocalSet& u8(uint16_t tag, uint8_t v) { return bytes(tag, {v}); }
  LocalSet& u16(uint16_t tag, uint16_t v) {
    return with(tag, [&](Bytes& b) { put_u16(b, v); });
  }
  LocalSet& u32(uint16_t tag, uint32_t v) {
    return with(tag, [&](Bytes& b) { put_u32(b, v); });
  }
  LocalSet& u64(uint16_t tag, uint64_t v) {
    return with(tag, [&](Bytes& b) { put_u64(b, v); });
  }
  LocalSet& ul(uint16_t tag, const Ul& v) {
    return with(tag, [&](Bytes& b) { put_ul(b, v); });
  }
  LocalSet& rational(uint16_t tag, uint32_t num, uint32_t den) {
    return with(tag, [&](Bytes& b) {
      put_u32(b, num);
      put_u32(b, den);
    });
  }
  // A batch of 16-byte items; the count written may claim more than the batch holds.
  LocalSet& batch(uint16_t tag, const std::vector<Ul>& items, uint32_t countExtra = 0) {
    return with(tag, [&](Bytes& b) {
      put_u32(b, static_cast<uint32_t>(items.size()) + countExtra);
      put_u32(b, 16);
      for (const Ul& item : items) put_ul(b, item);
    });
  }
  LocalSet& umid(uint16_t tag, const Ul& material) {
    static constexpr Ul kUmidLabel = {0x06, 0x0A, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x05,
                                      0x01, 0x01, 0x0D, 0x20, 0x13, 0x00, 0x00, 0x00};
    return with(tag, [&](Bytes& b) {
      put_ul(b, kUmidLabel);
      put_ul(b, material);
    });
  }
  LocalSet& zero_umid(uint16_t tag) { return bytes(tag, Bytes(32, 0)); }
  LocalSet& date(uint16_t tag, const FixtureDate& d) {
    return with(tag, [&](Bytes& b) {
      put_u16(b, d.year);
      for (uint8_t v : {d.month, d.day, d.hour, d.minute, d.second, d.quarterMs}) put_u8(b, v);
    });
  }
  LocalSet& text(uint16_t tag, const std::u16string& s) {
    return with(tag, [&](Bytes& b) {
      for (char16_t c : s) put_u16(b, static_cast<uint16_t>(c));
    });
  }

  // Appends the set; returns the offset of its key in `out`.
  size_t write(Bytes& out, bool shortBer) const {
    const size_t at = out.size();
    put_ul(out, key_);
    if (shortBer) {
      put_ber_short(out, items_.size());
    } else {
      put_ber4(out, items_.size());
    }
    out.insert(out.end(), items_.begin(), items_.end());
    return at;
  }

 private:
  template <typename F>
  LocalSet& with(uint16_t tag, F&& f) {
    Bytes value;
    f(value);
    return bytes(tag, value);
  }

  Ul key_;
  Bytes items_;
};

// What the sets refer to one another by.
struct Refs {
  uint32_t next = 1;
  Ul take() { return instance_uid(next++); }
};

struct TrackPlan {
  uint32_t id;
  uint32_t number;  // in the file package; 0 in the material package
  Ul dataDef;
};

std::vector<TrackPlan> essence_tracks(const MxfFixtureOptions& o) {
  std::vector<TrackPlan> tracks;
  tracks.push_back({2, picture_track_number(o), kPictureDataDef});
  for (uint32_t t = 0; t < o.trackCount; ++t) {
    tracks.push_back({3 + t, sound_track_number(o, t), kSoundDataDef});
  }
  if (o.ancElement) tracks.push_back({3 + o.trackCount, kAncTrackNumber, kDataDataDef});
  return tracks;
}

void write_primer(Bytes& out, const MxfFixtureOptions& o) {
  std::vector<PrimerEntry> entries(std::begin(kStaticTags), std::end(kStaticTags));
  if (o.videoDescriptor == VideoDescriptorKind::kMpeg) {
    const MpegTags t = mpeg_tags(o);
    std::vector<PrimerEntry> mpeg = {{t.codedContentType, kCodedContentType},
                                     {t.maxGop, kMaxGop},
                                     {t.bPictureCount, kBPictureCount},
                                     {t.profileAndLevel, kProfileAndLevel},
                                     {t.bitRate, kBitRate}};
    if (o.mpegItemsReversed) std::reverse(mpeg.begin(), mpeg.end());
    for (const PrimerEntry& e : mpeg) {
      if (e.tag != 0) entries.push_back(e);
    }
  } else {
    entries.push_back({o.avcBitRateTag, kAvcMaximumBitRate});
  }
  Bytes value;
  put_u32(value, static_cast<uint32_t>(entries.size()));
  put_u32(value, 18);
  for (const PrimerEntry& e : entries) {
    put_u16(value, e.tag);
    put_ul(value, e.ul);
  }
  put_ul(out, kPrimerKey);
  if (o.shortBerLengths) {
    put_ber_short(out, value.size());
  } else {
    put_ber4(out, value.size());
  }
  out.insert(out.end(), value.begin(), value.end());
}

uint64_t timecode_duration_value(const MxfFixtureOptions& o) {
  if (o.unknownTimecodeDuration) return UINT64_MAX;
  return o.timecodeDuration.value_or(o.frameCount);
}

}  // namespace

Bytes header_metadata(const MxfFixtureOptions& o, MxfFixtureLayout* layout) {
  const bool sb = o.shortBerLengths;
  const uint64_t duration = o.frameCount;
  const std::vector<Ul> containers = essence_containers(o);
  const std::vector<TrackPlan> tracks = essence_tracks(o);
  Refs refs;
  const Ul prefaceUid = refs.take();
  const Ul identUid = refs.take();
  const Ul storageUid = refs.take();
  const Ul ecdUid = refs.take();
  const Ul materialUid = refs.take();
  const Ul sourceUid = refs.take();
  const Ul materialUmid = instance_uid(0x4D000001);
  const Ul sourceUmid = instance_uid(0x53000001);
  const Ul generation = instance_uid(0x47000001);

  Bytes out;
  write_primer(out, o);

  Ul op = kOp1a;
  op[14] = o.operationalPatternQualifier;
  LocalSet preface(kPreface);
  preface.ul(0x3C0A, prefaceUid)
      .date(0x3B02, o.modifiedDate)
      .bytes(0x3B05, {o.prefaceVersionMajor, o.prefaceVersionMinor})
      .ul(0x3B03, storageUid);
  if (o.identification) preface.batch(0x3B06, {identUid});
  preface.ul(0x3B09, op).batch(0x3B0A, containers, o.prefaceContainerCountExtra).batch(0x3B0B, {});
  const size_t prefaceAt = preface.write(out, sb);

  size_t identAt = SIZE_MAX;
  if (o.identification) {
    LocalSet ident(kIdentification);
    ident.ul(0x3C0A, identUid)
        .ul(0x3C09, generation)
        .text(0x3C01, o.companyName)
        .text(0x3C02, o.productName)
        .text(0x3C04, o.versionString)
        .ul(0x3C05, instance_uid(0x50000001))
        .date(0x3C06, o.modifiedDate)
        .text(0x3C08, o.platform);
    identAt = ident.write(out, sb);
  }

  LocalSet(kContentStorage)
      .ul(0x3C0A, storageUid)
      .batch(0x1901, {materialUid, sourceUid})
      .batch(0x1902, {ecdUid})
      .write(out, sb);
  LocalSet(kEssenceContainerData)
      .ul(0x3C0A, ecdUid)
      .umid(0x2701, sourceUmid)
      .u32(0x3F06, 2)
      .u32(0x3F07, 1)
      .write(out, sb);

  // Material package: the timecode track, then one track per essence track of the file package.
  struct TrackUids {
    Ul track, sequence, component;
  };
  std::vector<TrackUids> materialTracks(tracks.size() + 1);
  for (TrackUids& t : materialTracks) t = {refs.take(), refs.take(), refs.take()};
  std::vector<Ul> materialTrackRefs;
  for (const TrackUids& t : materialTracks) materialTrackRefs.push_back(t.track);
  LocalSet material(kMaterialPackage);
  material.ul(0x3C0A, materialUid).umid(0x4401, materialUmid).date(0x4405, o.creationDate);
  if (o.modifiedDatePresent) material.date(0x4404, o.modifiedDate);
  material.batch(0x4403, materialTrackRefs).write(out, sb);

  const auto write_track = [&](const TrackUids& uids, uint32_t id, uint32_t number,
                               const Ul& dataDef, uint64_t length) {
    LocalSet(kTimelineTrack)
        .ul(0x3C0A, uids.track)
        .u32(0x4801, id)
        .u32(0x4804, number)
        .rational(0x4B01, o.editRateNum, o.editRateDen)
        .u64(0x4B02, 0)
        .ul(0x4803, uids.sequence)
        .write(out, sb);
    LocalSet(kSequence)
        .ul(0x3C0A, uids.sequence)
        .ul(0x0201, dataDef)
        .u64(0x0202, length)
        .batch(0x1001, {uids.component})
        .write(out, sb);
  };

  const uint64_t tcDuration = timecode_duration_value(o);
  write_track(materialTracks[0], 1, 0, kTimecodeDataDef, tcDuration);
  LocalSet timecode(kTimecodeComponent);
  timecode.ul(0x3C0A, materialTracks[0].component)
      .ul(0x0201, kTimecodeDataDef)
      .u64(0x0202, tcDuration)
      .u64(0x1501, o.startTimecode)
      .u16(0x1502, o.roundedTimecodeBase)
      .u8(0x1503, o.dropFrame);
  const size_t timecodeAt = timecode.write(out, sb);

  for (size_t i = 0; i < tracks.size(); ++i) {
    const TrackUids& uids = materialTracks[i + 1];
    write_track(uids, tracks[i].id, 0, tracks[i].dataDef, duration);
    LocalSet(kSourceClip)
        .ul(0x3C0A, uids.component)
        .ul(0x0201, tracks[i].dataDef)
        .u64(0x0202, duration)
        .u64(0x1201, 0)
        .umid(0x1101, sourceUmid)
        .u32(0x1102, tracks[i].id)
        .write(out, sb);
  }

  // File package with its tracks and descriptors.
  std::vector<TrackUids> sourceTracks(tracks.size());
  for (TrackUids& t : sourceTracks) t = {refs.take(), refs.take(), refs.take()};
  std::vector<Ul> sourceTrackRefs;
  for (const TrackUids& t : sourceTracks) sourceTrackRefs.push_back(t.track);
  const Ul multipleUid = refs.take();
  std::vector<Ul> descriptorUids;
  for (size_t i = 0; i < tracks.size(); ++i) descriptorUids.push_back(refs.take());
  const Ul avcUid = refs.take();

  LocalSet source(kSourcePackage);
  source.ul(0x3C0A, sourceUid).umid(0x4401, sourceUmid).date(0x4405, o.creationDate);
  if (o.modifiedDatePresent) source.date(0x4404, o.modifiedDate);
  source.batch(0x4403, sourceTrackRefs).ul(0x4701, multipleUid);
  const size_t sourceAt = source.write(out, sb);

  for (size_t i = 0; i < tracks.size(); ++i) {
    write_track(sourceTracks[i], tracks[i].id, tracks[i].number, tracks[i].dataDef, duration);
    LocalSet(kSourceClip)
        .ul(0x3C0A, sourceTracks[i].component)
        .ul(0x0201, tracks[i].dataDef)
        .u64(0x0202, duration)
        .u64(0x1201, 0)
        .zero_umid(0x1101)
        .u32(0x1102, 0)
        .write(out, sb);
  }

  LocalSet(kMultipleDescriptor)
      .ul(0x3C0A, multipleUid)
      .rational(0x3001, o.editRateNum, o.editRateDen)
      .u64(0x3002, duration)
      .ul(0x3004, kMultipleWrappings)
      .batch(0x3F01, descriptorUids)
      .write(out, sb);

  const bool mpeg = o.videoDescriptor == VideoDescriptorKind::kMpeg;
  const Ul coding = o.pictureCoding.value_or(picture_coding_row(mpeg ? 1 : 5));
  LocalSet video(mpeg ? kMpegDescriptor : kCdciDescriptor);
  video.ul(0x3C0A, descriptorUids[0])
      .u32(0x3006, tracks[0].id)
      .rational(0x3001, o.editRateNum, o.editRateDen)
      .u64(0x3002, duration)
      .ul(0x3004, mpeg ? kMpeg2FrameWrappedV1 : kAvcFrameWrapped)
      .u8(0x320C, o.frameLayout)
      .u32(0x3203, o.displayWidth)
      .u32(0x3202, o.displayHeight)
      .u32(0x3209, o.displayWidth)
      .u32(0x3208, o.displayHeight)
      .rational(0x320E, o.aspectNum, o.aspectDen)
      .ul(0x3201, coding)
      .u32(0x3301, 8)
      .u32(0x3302, 2)
      .u32(0x3308, 1);
  if (mpeg) {
    const MpegTags t = mpeg_tags(o);
    std::vector<std::function<void()>> items = {[&] { video.u8(t.codedContentType, o.mpegField4); },
                                                [&] { video.u16(t.maxGop, o.mpegField5); },
                                                [&] { video.u16(t.bPictureCount, o.mpegField6); },
                                                [&] { video.u8(t.profileAndLevel, o.mpegField7); },
                                                [&] { video.u32(t.bitRate, o.bitRate); }};
    const uint16_t tags[] = {t.codedContentType, t.maxGop, t.bPictureCount, t.profileAndLevel,
                             t.bitRate};
    for (size_t i = 0; i < items.size(); ++i) {
      const size_t k = o.mpegItemsReversed ? items.size() - 1 - i : i;
      if (tags[k] != 0) items[k]();
    }
  }
  const size_t videoAt = video.write(out, sb);
  if (!mpeg) {
    LocalSet(kAvcSubDescriptor)
        .ul(0x3C0A, avcUid)
        .u32(o.avcBitRateTag, o.avcBitRate)
        .write(out, sb);
  }

  const Ul soundContainer =
      o.soundElement == SoundElementKind::kAes3 ? kAes3FrameWrapped : kBwfFrameWrapped;
  std::vector<size_t> audioAt;
  for (uint32_t t = 0; t < o.trackCount; ++t) {
    LocalSet audio(o.audioDescriptor == AudioDescriptorKind::kAes3 ? kAes3Descriptor
                                                                   : kWaveDescriptor);
    audio.ul(0x3C0A, descriptorUids[1 + t])
        .u32(0x3006, tracks[1 + t].id)
        .rational(0x3001, o.editRateNum, o.editRateDen)
        .u64(0x3002, duration)
        .ul(0x3004, soundContainer)
        .rational(0x3D03, o.sampleRate, 1)
        .u8(0x3D02, 1)
        .u32(0x3D07, 1)
        .u32(0x3D01, o.quantizationBits)
        .u16(0x3D0A, o.blockAlign)
        .u32(0x3D09, o.avgBytesPerSecond != 0 ? o.avgBytesPerSecond : o.sampleRate * o.blockAlign);
    audioAt.push_back(audio.write(out, sb));
  }
  if (o.ancElement) {
    LocalSet(kAncDescriptor)
        .ul(0x3C0A, descriptorUids.back())
        .u32(0x3006, tracks.back().id)
        .rational(0x3001, o.editRateNum, o.editRateDen)
        .u64(0x3002, duration)
        .ul(0x3004, kAncDataContainer)
        .write(out, sb);
  }

  if (layout != nullptr) {
    layout->prefaceOffset = prefaceAt;
    layout->identificationOffset = identAt == SIZE_MAX ? kNone : identAt;
    layout->timecodeComponentOffset = timecodeAt;
    layout->sourcePackageOffset = sourceAt;
    layout->videoDescriptorOffset = videoAt;
    layout->audioDescriptorOffsets.assign(audioAt.begin(), audioAt.end());
  }
  return out;
}

}  // namespace tavrin::test::fixture
