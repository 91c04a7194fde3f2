#include "synthetic_essence.h"

#include <algorithm>

#include "mxf/keys.h"
#include "timecode/timecode.h"

namespace tavrin::test {

namespace {

constexpr Key16 kPictureKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                               0x0D, 0x01, 0x03, 0x01, 0x15, 0x01, 0x05, 0x01};
constexpr Key16 kFillKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x01, 0x01, 0x01,
                            0x03, 0x01, 0x02, 0x10, 0x01, 0x00, 0x00, 0x00};
constexpr uint32_t kSystemValue = 57;
constexpr uint32_t kAncValue = 100;
constexpr uint32_t kHeader = 20;

Key16 sound_key(uint32_t tracks, uint32_t track) {
  Key16 key = keys::kAes3SoundElement;
  key[13] = static_cast<uint8_t>(tracks);
  key[14] = 0x01;  // BWF sound element
  key[15] = static_cast<uint8_t>(track + 1);
  return key;
}

uint32_t picture_size(uint32_t frame) {
  return 300 + (frame * 37) % 200;
}

void put_klv(std::vector<uint8_t>& out, const Key16& key, uint32_t length) {
  out.insert(out.end(), key.begin(), key.end());
  out.push_back(0x83);
  out.push_back(static_cast<uint8_t>(length >> 16));
  out.push_back(static_cast<uint8_t>(length >> 8));
  out.push_back(static_cast<uint8_t>(length));
}

// Content bytes that differ from frame to frame and from element to element.
void put_pattern(std::vector<uint8_t>& out, uint32_t length, uint32_t seed) {
  const size_t at = out.size();
  out.resize(at + length);
  uint8_t* p = out.data() + at;
  for (uint32_t i = 0; i < length; ++i) {
    p[i] = static_cast<uint8_t>((i * 131u + seed * 29u + (i >> 8)) ^ 0x5A);
  }
}

uint32_t max_samples(uint32_t rateCode) {
  uint32_t most = 0;
  for (uint64_t k = 0; k < 5; ++k) most = std::max(most, tc::samples_in_frame(rateCode, k));
  return most;
}

// Distance between the keys of two neighbouring sound elements.
uint32_t sound_stride(const EssenceParams& p) {
  return kHeader + max_samples(p.rateCode) * (p.bits / 8u) + p.valueTail + kHeader;
}

}  // namespace

uint32_t SyntheticEssence::samples(uint32_t frame) const {
  return tc::samples_in_frame(params.rateCode, frame);
}

uint64_t SyntheticEssence::value_offset(uint32_t frame, uint32_t track) const {
  const INDEX_ENTRY_ARRAY& e = records.indexEntrySlot[frame];
  return e.filePosition + e.sliceOffset + e.deltas[track + 2].elementDelta + kHeader;
}

std::unique_ptr<SyntheticEssence> make_synthetic_essence(const EssenceParams& p,
                                                         const std::string& path) {
  auto f = std::make_unique<SyntheticEssence>();
  f->params = p;
  f->path = path;
  MxfRecords& r = f->records;
  const uint32_t slot = p.bits / 8u;
  const uint32_t stride = sound_stride(p);

  std::vector<uint8_t>& out = f->original;
  put_pattern(out, static_cast<uint32_t>(p.leading), 7);
  r.indexEntrySlot.resize(p.frames);
  for (uint32_t n = 0; n < p.frames; ++n) {
    INDEX_ENTRY_ARRAY& e = r.indexEntrySlot[n];
    e.filePosition = out.size();
    e.segmentStart = n - n % p.segmentFrames;
    e.segmentDuration = std::min(p.segmentFrames, p.frames - static_cast<uint32_t>(e.segmentStart));
    e.samplesInFrame = tc::samples_in_frame(p.rateCode, n);
    put_klv(out, keys::kSystemMetadataPack, kSystemValue);
    put_pattern(out, kSystemValue, 1000 + n);
    put_klv(out, kPictureKey, picture_size(n));
    put_pattern(out, picture_size(n), 2000 + n);
    e.sliceOffset = static_cast<uint32_t>(out.size() - e.filePosition);
    e.deltas[1].elementDelta = kHeader + kSystemValue;
    for (uint32_t t = 0; t < p.tracks; ++t) {
      e.deltas[t + 2] = DeltaEntry{0, 1, t * stride};
      const uint32_t value = e.samplesInFrame * slot + p.valueTail;
      put_klv(out, sound_key(p.tracks, t), value);
      put_pattern(out, value, 3000 + n * 31 + t);
      put_klv(out, kFillKey, stride - kHeader - value - kHeader);
      put_pattern(out, stride - kHeader - value - kHeader, 9);
    }
    e.deltaCount = p.tracks + 2;
    if (p.anc) {
      e.deltas[p.tracks + 2] = DeltaEntry{0, 1, p.tracks * stride};
      e.deltaCount += 1;
      put_klv(out, keys::kAncDataElement, kAncValue);
      put_pattern(out, kAncValue, 4000 + n);
    }
  }

  r.base.fileSize = out.size();
  r.base.hasAncData = p.anc ? 1 : 0;
  r.base.ancElementSize = p.anc ? kHeader + kAncValue : 0;
  MXF_TIMECODE_INFO& t = r.timecode;
  t.fpsCode = p.fpsCode;
  t.dropFrame = p.dropFrame;
  t.rateCode = p.rateCode;
  t.startFrame = p.startFrame;
  t.duration = p.frames;
  t.endFrame = p.startFrame + p.frames - 1;
  t.shiftedStart =
      static_cast<uint32_t>(tc::count_plus_hours(p.fpsCode, p.dropFrame, p.startFrame, 1, '+'));
  t.shiftedEnd = t.shiftedStart + p.frames - 1;
  t.startsInHour23 = p.startsInHour23 ? 1 : 0;
  t.indexEntryCount = p.frames;
  t.maxSegmentDuration = std::min(p.segmentFrames, p.frames);
  r.audio.trackCount = static_cast<uint8_t>(p.tracks);
  r.audio.sampleRate = 48000;
  r.audio.blockAlign = static_cast<uint16_t>(slot);
  r.audio.avgBytesPerSecond = 48000 * slot;
  r.audio.quantizationBits = p.bits;
  r.audio.cadenceCode = static_cast<uint8_t>(p.rateCode);
  r.audio.audioElementSize = stride;
  r.layout.checked = true;
  r.layout.systemItem = true;
  r.layout.pictureDelta = kHeader + kSystemValue;
  for (uint32_t k = 0; k < p.tracks; ++k) {
    r.layout.audioDeltas.push_back(k * stride);
    r.layout.elementKeys.push_back(sound_key(p.tracks, k));
  }
  if (!write_file(path, out)) return nullptr;
  return f;
}

}  // namespace tavrin::test
