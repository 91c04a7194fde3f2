// Timecode labels, the per-frame timecode words, the audio sample cadence and the sample content
// of the MXF fixture writer. Kept apart from the program's own timecode code on purpose: the
// fixture is the independent reference the program is checked against.
#include <cstring>

#include "support/mxf_fixture_internal.h"

namespace tavrin::test {

namespace {

// Labels dropped at the start of each minute not divisible by ten: 2 at 30, 4 at 60, else none.
uint64_t drop_per_minute(uint16_t base, bool drop) {
  return drop && (base == 30 || base == 60) ? base / 15 : 0;
}

uint64_t frames_per_day(uint16_t base, bool drop) {
  return (uint64_t{base} * 600 - 9 * drop_per_minute(base, drop)) * 144;
}

uint8_t bcd(int v) {
  const int clamped = v < 0 ? 0 : v % 100;
  return static_cast<uint8_t>((clamped / 10) << 4 | clamped % 10);
}

// A rate as a reduced fraction compared by cross multiplication.
bool rate_is(const MxfFixtureOptions& o, uint64_t num, uint64_t den) {
  return o.editRateDen != 0 && uint64_t{o.editRateNum} * den == uint64_t{o.editRateDen} * num;
}

// The five samples-per-frame of a 48 kHz cadence, or null when the rate has none of its own.
const uint32_t* cadence_table(const MxfFixtureOptions& o) {
  static constexpr uint32_t k24[5] = {2000, 2000, 2000, 2000, 2000};
  static constexpr uint32_t k25[5] = {1920, 1920, 1920, 1920, 1920};
  static constexpr uint32_t k30[5] = {1600, 1600, 1600, 1600, 1600};
  static constexpr uint32_t k50[5] = {960, 960, 960, 960, 960};
  static constexpr uint32_t k60[5] = {800, 800, 800, 800, 800};
  static constexpr uint32_t k23976[5] = {2002, 2002, 2002, 2002, 2002};
  static constexpr uint32_t k2997[5] = {1602, 1601, 1602, 1601, 1602};
  static constexpr uint32_t k5994[5] = {801, 801, 800, 801, 801};
  if (o.sampleRate != 48000) return nullptr;
  if (rate_is(o, 24, 1)) return k24;
  if (rate_is(o, 25, 1)) return k25;
  if (rate_is(o, 30, 1)) return k30;
  if (rate_is(o, 50, 1)) return k50;
  if (rate_is(o, 60, 1)) return k60;
  if (rate_is(o, 24000, 1001)) return k23976;
  if (rate_is(o, 30000, 1001)) return k2997;
  if (rate_is(o, 60000, 1001)) return k5994;
  return nullptr;
}

uint64_t mix(uint64_t x) {
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 29;
  x *= 0x94D049BB133111EBull;
  return x ^ (x >> 32);
}

}  // namespace

uint64_t timecode_to_count(uint16_t base, bool drop, const FixtureTimecode& tc) {
  const uint64_t minutes = uint64_t(tc.hours) * 60 + uint64_t(tc.minutes);
  const uint64_t nominal = (minutes * 60 + uint64_t(tc.seconds)) * base + uint64_t(tc.frames);
  return nominal - drop_per_minute(base, drop) * (minutes - minutes / 10);
}

FixtureTimecode count_to_timecode(uint16_t base, bool drop, uint64_t count) {
  if (base == 0) return {};
  uint64_t nominal = count;
  const uint64_t d = drop_per_minute(base, drop);
  if (d != 0) {
    const uint64_t perTen = uint64_t{base} * 600 - 9 * d;
    const uint64_t perMinute = uint64_t{base} * 60 - d;
    const uint64_t tens = count / perTen;
    const uint64_t rest = count % perTen;
    nominal += 9 * d * tens + (rest > d ? d * ((rest - d) / perMinute) : 0);
  }
  FixtureTimecode tc;
  tc.frames = static_cast<int>(nominal % base);
  tc.seconds = static_cast<int>(nominal / base % 60);
  tc.minutes = static_cast<int>(nominal / base / 60 % 60);
  tc.hours = static_cast<int>(nominal / base / 3600);
  return tc;
}

uint32_t smpte_timecode_word(const FixtureTimecode& tc, bool dropFlag, bool fieldFlag) {
  uint32_t word = bcd(tc.frames) | uint32_t{bcd(tc.seconds)} << 8 |
                  uint32_t{bcd(tc.minutes)} << 16 | uint32_t{bcd(tc.hours)} << 24;
  if (dropFlag) word |= 0x40;
  if (fieldFlag) word |= 0x8000;
  return word;
}

void set_start_timecode(MxfFixtureOptions& options, int hours, int minutes, int seconds,
                        int frames) {
  options.startTimecode = timecode_to_count(options.roundedTimecodeBase, options.dropFrame != 0,
                                            {hours, minutes, seconds, frames});
}

void set_edit_rate(MxfFixtureOptions& options, uint32_t num, uint32_t den) {
  options.editRateNum = num;
  options.editRateDen = den;
  const uint32_t base = den == 0 ? 0 : (num + den / 2) / den;
  options.roundedTimecodeBase = static_cast<uint16_t>(base);
  options.dropFrame = den == 1001 && (base == 30 || base == 60) ? 1 : 0;
  set_start_timecode(options, 10, 0, 0, 0);
}

uint32_t fixture_timecode_word(const MxfFixtureOptions& o, uint64_t frame) {
  const uint16_t base = o.roundedTimecodeBase;
  const bool drop = drop_per_minute(base, o.dropFrame != 0) != 0;
  // Above 30 frames a second the label counts at half the base and the field flag tells the two
  // edit units of a label apart.
  const bool paired = base > 30 && base % 2 == 0;
  const uint64_t day = frames_per_day(base, drop);
  const uint64_t count = day == 0 ? 0 : (o.startTimecode + frame) % day;
  const bool field = paired && (count & 1) != 0;
  FixtureTimecode tc;
  if (const auto it = o.timecodeOverrides.find(frame); it != o.timecodeOverrides.end()) {
    tc = it->second;
  } else {
    tc = paired ? count_to_timecode(base / 2, drop, count / 2)
                : count_to_timecode(base, drop, count);
  }
  const uint32_t word = smpte_timecode_word(tc, drop, field);
  return o.timecodeHook ? o.timecodeHook(frame, word) : word;
}

uint32_t fixture_samples_in_frame(const MxfFixtureOptions& o, uint64_t frame) {
  const uint64_t k = frame + o.cadencePhase;
  if (const uint32_t* table = cadence_table(o)) return table[k % 5];
  if (o.editRateNum == 0) return 0;
  // Any other rate: whole samples at the frame boundaries, rounded down.
  const auto at = [&](uint64_t n) { return n * o.sampleRate * o.editRateDen / o.editRateNum; };
  return static_cast<uint32_t>(at(k + 1) - at(k));
}

void fill_fixture_samples(uint8_t* out, uint32_t track, uint64_t frame, uint32_t samples,
                          uint16_t blockAlign) {
  // One multiply per sample keeps hour-long files quick; the seed separates tracks and frames.
  const uint64_t seed = mix(frame * 0x9E3779B97F4A7C15ull ^ (uint64_t{track} + 1) << 48);
  const auto value = [seed](uint32_t s) {
    uint64_t x = seed + s * 0xD6E8FEB86659FD93ull;
    x ^= x >> 32;
    x *= 0x9E3779B97F4A7C15ull;
    return x ^ (x >> 29);
  };
  if (blockAlign == 3) {
    for (uint32_t s = 0; s < samples; ++s, out += 3) {
      const uint64_t v = value(s);
      out[0] = static_cast<uint8_t>(v);
      out[1] = static_cast<uint8_t>(v >> 8);
      out[2] = static_cast<uint8_t>(v >> 16);
    }
    return;
  }
  for (uint32_t s = 0; s < samples; ++s) {
    const uint64_t v = value(s);
    for (uint16_t b = 0; b < blockAlign; ++b) *out++ = static_cast<uint8_t>(v >> (8 * (b % 8)));
  }
}

std::vector<uint8_t> fixture_samples(uint32_t track, uint64_t frame, uint32_t samples,
                                     uint16_t blockAlign) {
  std::vector<uint8_t> out(size_t{samples} * blockAlign);
  fill_fixture_samples(out.data(), track, frame, samples, blockAlign);
  return out;
}

}  // namespace tavrin::test
