// Timecode addition and subtraction with the wrap at 24 hours.
#include "timecode/timecode.h"

namespace tavrin::tc {

bool timecode_arithmetic(uint32_t fpsCode, uint32_t dropFrame, Timecode a, Timecode b, char op,
                         int64_t* result) {
  const int64_t countA = timecode_to_frames(fpsCode, dropFrame, a);
  const int64_t countB = timecode_to_frames(fpsCode, dropFrame, b);
  if (countA == kInvalidCount || countB == kInvalidCount || fpsCode > 3) return false;
  // One day of actual frames: 2073600 / 2160000 for 24 / 25, 2592000 / 5184000 for 30 / 60
  // non-drop and 2589408 / 5178816 for 29.97 / 59.94 drop frame.
  const int64_t day = frames_per_day(fpsCode, dropFrame);
  int64_t s = 0;
  if (op == '-') {
    // a with 24 more hours counts exactly one day more; adding the day to the count instead of
    // the hours field keeps a huge hours value from overflowing.
    s = (countA < countB ? countA + day : countA) - countB;
  } else {
    s = countA + countB;
    if (s >= day) s -= day;  // past the last frame of the day: wrap once
  }
  if (result != nullptr) *result = s;
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
