// Timecode and frame-count arithmetic, SMPTE 12M drop frame included.
#include "timecode/timecode.h"

namespace tavrin::tc {

namespace {

struct Base {
  int32_t fps;
  int32_t dropLabels;  // labels skipped at the start of a minute in drop frame
  int32_t hourUnit;    // 1 for the 30 base, 2 for the 60 base
};

// Constants by fpsCode; an unknown code has none.
const Base* base_of(uint32_t fpsCode) {
  static constexpr Base kBases[] = {{24, 0, 0}, {25, 0, 0}, {30, 2, 1}, {60, 4, 2}};
  return fpsCode < 4 ? &kBases[fpsCode] : nullptr;
}

// Minute values m in 0..minutes that are not multiples of ten.
int64_t non_tenth_minutes(int64_t minutes) {
  if (minutes < 0) return 0;
  return minutes - minutes / 10;  // 0..minutes holds minutes + 1 values, minutes / 10 + 1 tenths
}

}  // namespace

int32_t max_frame_field(uint32_t fpsCode) {
  const Base* b = base_of(fpsCode);
  return b ? b->fps - 1 : 0;
}

int32_t frames_per_second(uint32_t fpsCode) {
  const Base* b = base_of(fpsCode);
  return b ? b->fps : 0;
}

int32_t frames_per_minute(uint32_t fpsCode) { return frames_per_second(fpsCode) * 60; }

int32_t frames_per_hour(uint32_t fpsCode) { return frames_per_second(fpsCode) * 3600; }

bool is_drop_frame(uint32_t fpsCode, uint32_t dropFrame) {
  return dropFrame == 1 && (fpsCode == 2 || fpsCode == 3);
}

int64_t frames_per_day(uint32_t fpsCode, uint32_t dropFrame) {
  if (base_of(fpsCode) == nullptr) return 0;
  if (is_drop_frame(fpsCode, dropFrame)) return fpsCode == 2 ? 2589408 : 5178816;
  return int64_t{frames_per_hour(fpsCode)} * 24;
}

int64_t timecode_to_frames(uint32_t fpsCode, uint32_t dropFrame, Timecode& tc) {
  const Base* b = base_of(fpsCode);
  if (b == nullptr) return kInvalidCount;
  if (tc.minutes >= 60 || tc.seconds >= 60 || tc.frames > b->fps - 1) return kInvalidCount;
  int64_t dropped = 0;
  if (is_drop_frame(fpsCode, dropFrame)) {
    const int32_t d = b->dropLabels;
    if (tc.minutes % 10 != 0 && tc.seconds == 0 && tc.frames < d) tc.frames = d;
    dropped = int64_t{tc.hours} * 108 * b->hourUnit + d * non_tenth_minutes(tc.minutes);
  }
  return int64_t{tc.seconds} * b->fps + int64_t{tc.minutes} * b->fps * 60 +
         int64_t{tc.hours} * b->fps * 3600 + tc.frames - dropped;
}

int64_t drop_frame_correction(uint32_t fpsCode, uint32_t dropFrame, int64_t n) {
  const Base* b = base_of(fpsCode);
  if (b == nullptr) return -1;
  if (!is_drop_frame(fpsCode, dropFrame)) return 0;
  const int64_t u = b->hourUnit;
  const int64_t hours = n / (108000 * u);
  const int64_t rest = n - hours * u * 108000;
  const int64_t minutes = rest / (1800 * u);
  return hours * u * 108 + 2 * u * non_tenth_minutes(minutes);
}

int64_t actual_to_nominal(uint32_t fpsCode, uint32_t dropFrame, int64_t n) {
  const int64_t first = drop_frame_correction(fpsCode, dropFrame, n);
  const int64_t second = drop_frame_correction(fpsCode, dropFrame, n + first);
  return n + drop_frame_correction(fpsCode, dropFrame, n + second);
}

bool frames_to_timecode(int64_t nominal, uint32_t fpsCode, Timecode* out) {
  const Base* b = base_of(fpsCode);
  if (b == nullptr || out == nullptr) return false;
  const int64_t perHour = int64_t{b->fps} * 3600;
  const int64_t perMinute = int64_t{b->fps} * 60;
  out->hours = static_cast<int32_t>(nominal / perHour);
  out->minutes = static_cast<int32_t>((nominal % perHour) / perMinute);
  out->seconds = static_cast<int32_t>((nominal % perHour % perMinute) / b->fps);
  out->frames = static_cast<int32_t>(nominal % perHour % perMinute % b->fps);
  return true;
}

Timecode frames_to_display_timecode(uint32_t fpsCode, uint32_t dropFrame, int64_t actual) {
  Timecode tc;
  frames_to_timecode(actual_to_nominal(fpsCode, dropFrame, actual), fpsCode, &tc);
  return tc;
}

bool timecode_arithmetic(uint32_t fpsCode, uint32_t dropFrame, Timecode a, Timecode b, char op,
                         int64_t* result) {
  const int64_t countA = timecode_to_frames(fpsCode, dropFrame, a);
  const int64_t countB = timecode_to_frames(fpsCode, dropFrame, b);
  if (countA == kInvalidCount || countB == kInvalidCount || fpsCode > 3) return false;
  int64_t sum = 0;
  if (op == '-') {
    int64_t minuend = countA;
    if (countA < countB) {
      a.hours += 24;
      minuend = timecode_to_frames(fpsCode, dropFrame, a);
    }
    sum = minuend - countB;
  } else {
    sum = countA + countB;
    const bool drop = dropFrame == 1;
    switch (fpsCode) {
      case 0:
        if (sum >= 2073600) sum -= 2073600;
        break;
      case 1:
        if (sum >= 2160000) sum -= 2160000;
        break;
      case 2:
        if (drop && sum > 2589407) sum -= 2589408;
        if (!drop && sum >= 2592000) sum -= 2592000;
        break;
      default:
        if (drop && sum > 5178815) sum -= 5178816;
        if (!drop && sum >= 5184000) sum -= 5184000;
        break;
    }
  }
  if (result) *result = sum;
  return true;
}

int64_t count_plus_hours(uint32_t fpsCode, uint32_t dropFrame, int64_t n, int32_t hours, char op) {
  if (op != '+' && op != '-') return 1;
  Timecode a;
  if (!frames_to_timecode(actual_to_nominal(fpsCode, dropFrame, n), fpsCode, &a)) return 0;
  int64_t result = 0;
  if (!timecode_arithmetic(fpsCode, dropFrame, a, Timecode{hours, 0, 0, 0}, op, &result)) return 0;
  return result;
}

int64_t timecode_plus_one_hour(uint32_t fpsCode, uint32_t dropFrame, Timecode tc) {
  int64_t result = 0;
  if (!timecode_arithmetic(fpsCode, dropFrame, tc, Timecode{1, 0, 0, 0}, '+', &result)) return 0;
  return result;
}

}  // namespace tavrin::tc
