// Rate constants, timecode <-> frame-count conversion and the SMPTE 12M drop-frame correction.
#include "timecode/timecode.h"

#include <limits>

namespace tavrin::tc {

namespace {

struct TimecodeBase {
  int32_t fps;           // frames per second of the timecode labels
  int32_t dropLabels;    // labels drop frame skips at the start of a minute not divisible by ten
  int32_t hourUnit;      // u: 1 for the 30 base, 2 for the 60 base (0: no drop frame)
  int64_t dropFrameDay;  // actual frames in 24 hours when counting drop frame (0: no drop frame)
};

// Indexed by fpsCode; every look-up goes through base_of().
constexpr TimecodeBase kBases[] = {
    {24, 0, 0, 0},
    {25, 0, 0, 0},
    {30, 2, 1, 2589408},
    {60, 4, 2, 5178816},
};
constexpr uint32_t kBaseCount = sizeof(kBases) / sizeof(kBases[0]);

const TimecodeBase* base_of(uint32_t fpsCode) {
  return fpsCode < kBaseCount ? &kBases[fpsCode] : nullptr;
}

// How many of the minute values 0..minutes are not multiples of ten (none for a negative bound).
int64_t skipping_minutes(int64_t minutes) {
  return minutes < 0 ? 0 : minutes - minutes / 10;
}

// n + c, held at the int64 limits instead of overflowing (counts from files are far smaller).
int64_t add_held(int64_t n, int64_t c) {
  int64_t sum = 0;
  if (__builtin_add_overflow(n, c, &sum)) {
    return c > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
  }
  return sum;
}

}  // namespace

int32_t max_frame_field(uint32_t fpsCode) {
  const TimecodeBase* b = base_of(fpsCode);
  return b ? b->fps - 1 : 0;
}

int32_t frames_per_second(uint32_t fpsCode) {
  const TimecodeBase* b = base_of(fpsCode);
  return b ? b->fps : 0;
}

int32_t frames_per_minute(uint32_t fpsCode) {
  return frames_per_second(fpsCode) * 60;
}

int32_t frames_per_hour(uint32_t fpsCode) {
  return frames_per_second(fpsCode) * 3600;
}

bool is_drop_frame(uint32_t fpsCode, uint32_t dropFrame) {
  const TimecodeBase* b = base_of(fpsCode);
  return b != nullptr && b->hourUnit != 0 && dropFrame == 1;
}

int64_t frames_per_day(uint32_t fpsCode, uint32_t dropFrame) {
  const TimecodeBase* b = base_of(fpsCode);
  if (b == nullptr) return 0;
  if (is_drop_frame(fpsCode, dropFrame)) return b->dropFrameDay;
  return int64_t{b->fps} * 3600 * 24;
}

int64_t timecode_to_frames(uint32_t fpsCode, uint32_t dropFrame, Timecode& tc) {
  const TimecodeBase* b = base_of(fpsCode);
  if (b == nullptr) return kInvalidCount;
  if (tc.minutes >= 60 || tc.seconds >= 60 || tc.frames > b->fps - 1) return kInvalidCount;
  int64_t dropped = 0;
  if (is_drop_frame(fpsCode, dropFrame)) {
    const int32_t d = b->dropLabels;
    // A label drop frame never shows stands for the first label of its minute that exists.
    if (tc.minutes % 10 != 0 && tc.seconds == 0 && tc.frames < d) tc.frames = d;
    dropped = int64_t{tc.hours} * 108 * b->hourUnit + int64_t{d} * skipping_minutes(tc.minutes);
  }
  const int64_t fps = b->fps;
  return tc.seconds * fps + tc.minutes * fps * 60 + tc.hours * fps * 3600 + tc.frames - dropped;
}

int64_t drop_frame_correction(uint32_t fpsCode, uint32_t dropFrame, int64_t n) {
  const TimecodeBase* b = base_of(fpsCode);
  if (b == nullptr) return -1;
  if (!is_drop_frame(fpsCode, dropFrame)) return 0;
  // Hours and minutes are measured in nominal lengths on the count itself; actual_to_nominal
  // repeats the correction until it settles. Division truncates toward zero.
  const int64_t u = b->hourUnit;
  const int64_t hours = n / (108000 * u);
  const int64_t rest = n - hours * u * 108000;
  const int64_t minutes = rest / (1800 * u);
  return hours * u * 108 + 2 * u * skipping_minutes(minutes);
}

int64_t actual_to_nominal(uint32_t fpsCode, uint32_t dropFrame, int64_t n) {
  const int64_t first = drop_frame_correction(fpsCode, dropFrame, n);
  const int64_t second = drop_frame_correction(fpsCode, dropFrame, add_held(n, first));
  return add_held(n, drop_frame_correction(fpsCode, dropFrame, add_held(n, second)));
}

bool frames_to_timecode(int64_t nominal, uint32_t fpsCode, Timecode* out) {
  const TimecodeBase* b = base_of(fpsCode);
  if (b == nullptr || out == nullptr) return false;
  const int64_t fps = b->fps;
  const int64_t perMinute = fps * 60;
  const int64_t perHour = fps * 3600;
  const int64_t inHour = nominal % perHour;
  // Hours are not wrapped; a count beyond the int32 range keeps its low 32 bits.
  out->hours = static_cast<int32_t>(nominal / perHour);
  out->minutes = static_cast<int32_t>(inHour / perMinute);
  out->seconds = static_cast<int32_t>(inHour % perMinute / fps);
  out->frames = static_cast<int32_t>(inHour % perMinute % fps);
  return true;
}

Timecode frames_to_display_timecode(uint32_t fpsCode, uint32_t dropFrame, int64_t actual) {
  Timecode tc;  // stays all zero for an unknown fpsCode
  frames_to_timecode(actual_to_nominal(fpsCode, dropFrame, actual), fpsCode, &tc);
  return tc;
}

}  // namespace tavrin::tc
