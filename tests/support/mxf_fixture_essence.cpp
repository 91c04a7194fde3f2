// Content packages of the MXF fixture writer: where the system item, the picture, the sound
// elements and the ANC element sit, and their bytes for one frame.
#include <algorithm>
#include <utility>

#include "support/mxf_fixture_internal.h"

namespace tavrin::test::fixture {

namespace {

constexpr Ul kSystemItemKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                               0x0D, 0x01, 0x03, 0x01, 0x04, 0x01, 0x01, 0x00};
constexpr Ul kAncElementKey = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
                               0x0D, 0x01, 0x03, 0x01, 0x17, 0x01, 0x02, 0x01};
constexpr uint32_t kSystemItemValue = 57;
constexpr uint32_t kSystemItemBytes = 20 + kSystemItemValue;

Ul element_key(uint32_t trackNumber) {
  Ul key = {0x06, 0x0E, 0x2B, 0x34, 0x01, 0x02, 0x01, 0x01,
            0x0D, 0x01, 0x03, 0x01, 0x00, 0x00, 0x00, 0x00};
  for (int i = 0; i < 4; ++i) key[15 - i] = static_cast<uint8_t>(trackNumber >> (8 * i));
  return key;
}

// SDTI-CP rate byte: the rate number in bits 1..5, the 1.001 flag in bit 0.
uint8_t package_rate_byte(const MxfFixtureOptions& o) {
  if (o.editRateDen == 0) return 0;
  const uint32_t fps = (o.editRateNum + o.editRateDen / 2) / o.editRateDen;
  static constexpr uint32_t kRates[] = {24, 25, 30, 48, 50, 60, 72, 75, 90, 96, 100, 120};
  uint8_t code = 0;
  for (uint8_t i = 0; i < 12; ++i) {
    if (kRates[i] == fps) code = static_cast<uint8_t>(i + 1);
  }
  return static_cast<uint8_t>(code << 1 | (o.editRateDen == 1001 ? 1 : 0));
}

// Smallest slot that holds every sound element of the cadence and leaves behind each either
// nothing or room for a fill.
uint32_t sound_slot_size(const MxfFixtureOptions& o, uint32_t header) {
  std::vector<uint32_t> sizes;
  const uint64_t frames = std::max<uint64_t>(5, std::min<uint64_t>(o.frameCount, 2000));
  for (uint64_t f = 0; f < frames; ++f) {
    const uint32_t e = header + fixture_samples_in_frame(o, f) * o.blockAlign;
    if (std::find(sizes.begin(), sizes.end(), e) == sizes.end()) sizes.push_back(e);
  }
  const uint32_t largest = *std::max_element(sizes.begin(), sizes.end());
  const auto fits = [&](uint32_t slot) {
    return std::all_of(sizes.begin(), sizes.end(),
                       [&](uint32_t e) { return slot >= e && (slot == e || slot - e >= 20); });
  };
  if (o.soundSlotSize != 0 && fits(o.soundSlotSize)) return o.soundSlotSize;
  const uint32_t align = std::max<uint32_t>(1, o.soundSlotAlign);
  uint32_t slot = (largest + align - 1) / align * align;
  while (!fits(slot)) slot += align;
  return slot;
}

// Writes values most significant bit first.
class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      current_ = static_cast<uint8_t>(current_ << 1 | ((value >> i) & 1));
      if (++count_ == 8) {
        out_.push_back(current_);
        current_ = 0;
        count_ = 0;
      }
    }
  }
  void start_code(uint8_t code) {
    while (count_ != 0) put(0, 1);
    out_.insert(out_.end(), {0x00, 0x00, 0x01, code});
  }
  Bytes take() {
    while (count_ != 0) put(0, 1);
    return std::move(out_);
  }

 private:
  Bytes out_;
  uint8_t current_ = 0;
  int count_ = 0;
};

uint32_t mpeg2_frame_rate_code(const MxfFixtureOptions& o) {
  static constexpr uint32_t kRates[8][2] = {{24000, 1001}, {24, 1}, {25, 1},       {30000, 1001},
                                            {30, 1},       {50, 1}, {60000, 1001}, {60, 1}};
  for (uint32_t i = 0; i < 8; ++i) {
    if (uint64_t{o.editRateNum} * kRates[i][1] == uint64_t{o.editRateDen} * kRates[i][0]) {
      return i + 1;
    }
  }
  return 4;
}

// Sequence header, sequence extension, picture header and picture coding extension of an intra
// frame, without slices: enough for a reader to learn size, rate and chroma format.
Bytes mpeg2_headers(const MxfFixtureOptions& o) {
  const uint32_t width = o.displayWidth;
  const uint32_t height = o.displayHeight * (o.frameLayout == 1 ? 2 : 1);
  const uint32_t bitRate = o.bitRate / 400;
  BitWriter w;
  w.start_code(0xB3);
  w.put(width & 0xFFF, 12);
  w.put(height & 0xFFF, 12);
  w.put(o.aspectNum * 9 == o.aspectDen * 16 ? 3 : 2, 4);  // 16:9 or 4:3
  w.put(mpeg2_frame_rate_code(o), 4);
  w.put(bitRate & 0x3FFFF, 18);
  w.put(1, 1);       // marker
  w.put(0x3FF, 10);  // VBV buffer size
  w.put(0, 3);       // not constrained, no quantiser matrices
  w.start_code(0xB5);
  w.put(1, 4);  // sequence extension
  w.put(o.mpegField7, 8);
  w.put(0, 1);  // interlaced sequence
  w.put(2, 2);  // 4:2:2
  w.put(width >> 12, 2);
  w.put(height >> 12, 2);
  w.put(bitRate >> 18, 12);
  w.put(1, 1);
  w.put(0, 8);
  w.put(0, 1);
  w.put(0, 2);
  w.put(0, 5);
  w.start_code(0x00);
  w.put(0, 10);       // temporal reference
  w.put(1, 3);        // I picture
  w.put(0xFFFF, 16);  // VBV delay
  w.put(0, 1);
  w.start_code(0xB5);
  w.put(8, 4);  // picture coding extension
  w.put(0xFFFF, 16);
  w.put(2, 2);  // 10-bit DC precision
  w.put(3, 2);  // frame picture
  w.put(1, 1);  // top field first
  w.put(0, 1);
  w.put(0, 1);
  w.put(1, 1);
  w.put(1, 1);
  w.put(0, 1);
  w.put(0, 1);
  w.put(0, 1);
  w.put(0, 1);  // interlaced frame
  w.put(0, 1);
  return w.take();
}

// Bytes an element of `element` bytes at `position` takes with its fill: `wanted` when that leaves
// no gap or room for a fill, else up to the next multiple of `align`.
uint64_t block_size(uint64_t position, uint64_t element, uint32_t wanted, uint32_t align) {
  if (wanted == element || (wanted > element && wanted - element >= 20)) return wanted;
  return element + fill_size(position + element, align);
}

}  // namespace

PackageGeometry package_geometry(const MxfFixtureOptions& o) {
  PackageGeometry g;
  g.packageLabel = essence_containers(o).front();
  uint64_t pos = 0;
  if (o.systemItem) {
    pos = block_size(0, kSystemItemBytes, o.systemBlockSize, o.systemItemAlign);
  }
  g.pictureOffset = static_cast<uint32_t>(pos);
  pos += 20 + uint64_t{o.pictureSize};
  pos += fill_size(pos, o.pictureAlign);
  const uint64_t pictureEnd = pos;
  g.pictureEnd = static_cast<uint32_t>(pos);

  const auto place_anc = [&] {
    g.ancOffset = static_cast<uint32_t>(pos);
    const uint64_t element = 20 + uint64_t{o.ancSize};
    g.ancBlock = static_cast<uint32_t>(block_size(pos, element, o.ancBlockSize, o.ancAlign));
    pos += g.ancBlock;
  };
  if (o.ancElement && o.ancInMiddle) place_anc();
  const uint32_t elements = sound_element_count(o);
  g.soundHeader = o.soundLength8 ? 24 : 20;
  g.soundOffset = static_cast<uint32_t>(pos);
  if (elements > 0) g.soundSlot = sound_slot_size(o, g.soundHeader);
  pos += uint64_t{g.soundSlot} * elements;
  if (o.ancElement && !o.ancInMiddle) place_anc();
  g.size = pos;

  const bool behindPicture = pos > pictureEnd;
  g.sliceCount = behindPicture ? 1 : 0;
  g.sliceOffset = behindPicture ? static_cast<uint32_t>(pictureEnd) : 0;
  // With the picture in a slice of its own the system item is slice 0, the picture slice 1 and
  // the elements behind it slice 2.
  const bool pictureSlice = o.pictureInOwnSlice && behindPicture && g.pictureOffset > 0;
  if (pictureSlice) g.sliceCount = 2;
  const uint8_t tail = static_cast<uint8_t>(g.sliceCount);
  g.sliceOffsets.clear();
  if (pictureSlice) g.sliceOffsets.push_back(g.pictureOffset);
  if (behindPicture) g.sliceOffsets.push_back(g.sliceOffset);

  std::vector<FixtureDeltaEntry>& d = g.deltas;
  if (o.systemItem) d.push_back({0, 0, 0});
  if (pictureSlice) {
    d.push_back({0, 1, 0});
  } else {
    d.push_back({0, 0, g.pictureOffset});
  }
  if (o.ancElement && o.ancInMiddle) d.push_back({0, tail, g.ancOffset - g.sliceOffset});
  for (uint32_t i = 0; i < elements; ++i) {
    d.push_back({0, tail, g.soundOffset + i * g.soundSlot - g.sliceOffset});
  }
  if (o.ancElement && !o.ancInMiddle) d.push_back({0, tail, g.ancOffset - g.sliceOffset});
  if (o.emptyDeltaArray) {
    d.clear();
    g.sliceCount = 0;
    g.sliceOffsets.clear();
  }
  if (o.deltaEntryCount) {
    const FixtureDeltaEntry last = d.empty() ? FixtureDeltaEntry{} : d.back();
    d.resize(*o.deltaEntryCount, last);
  }
  return g;
}

Bytes picture_filler(const MxfFixtureOptions& o) {
  // Rising bytes 0x20..0x7F: no zero runs (no further MPEG start codes) and no SMPTE key prefix.
  Bytes picture(o.pictureSize);
  for (uint32_t i = 0; i < o.pictureSize; ++i) picture[i] = static_cast<uint8_t>(0x20 + i % 0x60);
  if (o.videoDescriptor == VideoDescriptorKind::kMpeg) {
    const Bytes headers = mpeg2_headers(o);
    if (headers.size() <= picture.size())
      std::copy(headers.begin(), headers.end(), picture.begin());
  }
  return picture;
}

void append_content_package(Bytes& out, const MxfFixtureOptions& o, const PackageGeometry& g,
                            uint64_t frame, const Bytes& picture) {
  const size_t start = out.size();
  const auto at = [&] { return out.size() - start; };
  if (o.systemItem) {
    put_ul(out, kSystemItemKey);
    put_ber4(out, kSystemItemValue);
    put_u8(out, 0x5C);  // system metadata pack, creation and user date/time stamps present
    put_u8(out, package_rate_byte(o));
    put_u8(out, 0);                              // content package type
    put_u16(out, 0);                             // channel handle
    put_u16(out, static_cast<uint16_t>(frame));  // continuity count
    put_ul(out, g.packageLabel);                 // the package's essence container
    put_u8(out, 0x81);                           // creation stamp: SMPTE 12M, unset
    out.resize(out.size() + 16, 0);
    put_u8(out, 0x81);  // user stamp: the frame's timecode
    const uint32_t word = fixture_timecode_word(o, frame);
    for (int i = 0; i < 4; ++i) put_u8(out, static_cast<uint8_t>(word >> (8 * i)));
    out.resize(out.size() + 12, 0);
    put_fill(out, g.pictureOffset - at());
  }
  put_ul(out, element_key(picture_track_number(o)));
  put_ber4(out, picture.size());
  out.insert(out.end(), picture.begin(), picture.end());
  put_fill(out, g.pictureEnd - at());

  const auto put_anc = [&] {
    put_ul(out, kAncElementKey);
    put_ber4(out, o.ancSize);
    out.resize(out.size() + o.ancSize, 0);  // no ANC packets: the line count is zero
    put_fill(out, g.ancOffset + g.ancBlock - at());
  };
  if (o.ancElement && o.ancInMiddle) put_anc();

  const uint32_t elements = sound_element_count(o);
  const uint32_t samples = fixture_samples_in_frame(o, frame);
  const bool swap = o.swapSoundFrame && *o.swapSoundFrame == frame && elements >= 2;
  for (uint32_t slot = 0; slot < elements; ++slot) {
    const uint32_t track = swap && slot < 2 ? 1 - slot : slot;
    put_ul(out, element_key(sound_track_number(o, track)));
    const uint64_t value = uint64_t{samples} * o.blockAlign;
    if (o.soundLength8) {
      put_ber8(out, value);
    } else {
      put_ber4(out, value);
    }
    const size_t v = out.size();
    out.resize(v + value);
    fill_fixture_samples(out.data() + v, track, frame, samples, o.blockAlign);
    put_fill(out, g.soundOffset + uint64_t{slot + 1} * g.soundSlot - at());
  }
  if (o.ancElement && !o.ancInMiddle) put_anc();
}

}  // namespace tavrin::test::fixture
