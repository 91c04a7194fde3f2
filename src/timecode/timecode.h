// Timecode, frame-count and sample arithmetic for the rates a broadcast MXF file may carry.
//
// Two small codes describe a rate:
//   fpsCode  - the timecode base: 0 = 24, 1 = 25, 2 = 30, 3 = 60 frames per second. With the drop
//              flag set, codes 2 and 3 count SMPTE 12M drop frame (29.97 and 59.94); codes 0 and 1
//              ignore the flag. Any other value is "unknown": no function loops, divides by zero
//              or indexes outside a table for it.
//   rateCode - the edit rate 0..7: 24000/1000, 25000/1000, 30000/1000, 60000/1000, 24000/1001,
//              25000/1001, 30000/1001, 60000/1001. It selects the five-frame 48 kHz sample cadence.
//
// A frame count is "actual" when it counts real frames and "nominal" when it counts timecode labels
// including the ones drop frame skips; for non-drop rates the two are equal.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin::tc {

// Hours, minutes, seconds and frames as four signed 32-bit fields.
struct Timecode {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t frames = 0;
  friend bool operator==(const Timecode&, const Timecode&) = default;
};

// Returned by timecode_to_frames when a field is out of range.
inline constexpr int64_t kInvalidCount = -2;

// Largest frame field, frames per second/minute/hour/day for an fpsCode; 0 for an unknown code.
int32_t max_frame_field(uint32_t fpsCode);
int32_t frames_per_second(uint32_t fpsCode);
int32_t frames_per_minute(uint32_t fpsCode);
int32_t frames_per_hour(uint32_t fpsCode);
// Frames in a day: the actual count (drop frame aware) for the given drop flag; 0 when unknown.
int64_t frames_per_day(uint32_t fpsCode, uint32_t dropFrame);
// True when the pair counts drop frame (fpsCode 2 or 3 with the flag set).
bool is_drop_frame(uint32_t fpsCode, uint32_t dropFrame);

// 1. Timecode to actual frame count. A label that drop frame skips (minute not a multiple of ten,
//    second 0, frame below 2 or 4) is moved to the first label that exists, also in `tc`.
//    Returns kInvalidCount when minutes >= 60, seconds >= 60 or frames > the largest frame field;
//    hours are not limited. An unknown fpsCode gives kInvalidCount.
int64_t timecode_to_frames(uint32_t fpsCode, uint32_t dropFrame, Timecode& tc);

// 2. Drop-frame correction of a count: the number of labels to add (0 for non-drop, -1 for an
//    unknown fpsCode).
int64_t drop_frame_correction(uint32_t fpsCode, uint32_t dropFrame, int64_t n);

// 3. Actual to nominal: n + correction(n + correction(n + correction(n))).
int64_t actual_to_nominal(uint32_t fpsCode, uint32_t dropFrame, int64_t n);

// 4. Nominal frame count to timecode (hours are not wrapped). False for an unknown fpsCode, in
//    which case `out` is left as it was.
bool frames_to_timecode(int64_t nominal, uint32_t fpsCode, Timecode* out);

// Actual count to the timecode fields shown for it (actual to nominal, then to a timecode). For an
// unknown fpsCode every field is zero.
Timecode frames_to_display_timecode(uint32_t fpsCode, uint32_t dropFrame, int64_t actual);

// 5. Timecode text of an actual count. Style 0: "%02d:%02d:%02d%c%02d" with '.' before the frames
//    when the drop flag is set, ':' otherwise. Style 1: "%02d%02d%02d%02d". An unknown fpsCode
//    prints every field as zero. `capacity` counts characters including the terminator the
//    original buffer had; the text is cut to capacity - 1 characters (capacity 0 gives "").
enum class TimecodeStyle { kSeparated = 0, kDigits = 1 };
std::string timecode_text(uint32_t fpsCode, uint32_t dropFrame, int64_t actual,
                          TimecodeStyle style = TimecodeStyle::kSeparated, size_t capacity = 64);

// The same fields with an explicit separator before the frames (the progress dialog uses ',' and
// '.'; the logs '.' and ':').
std::string timecode_text_with(const Timecode& tc, char separator);

// 6. Timecode arithmetic: a op b where op is '-' or anything else for '+'. '+' wraps once at a day;
//    '-' borrows a day when a < b. False when either timecode is invalid or fpsCode > 3.
bool timecode_arithmetic(uint32_t fpsCode, uint32_t dropFrame, Timecode a, Timecode b, char op,
                         int64_t* result);

// 7. Actual count n plus or minus h hours through the timecode arithmetic. Returns 0 when the
//    arithmetic fails and 1 when op is neither '+' nor '-'.
int64_t count_plus_hours(uint32_t fpsCode, uint32_t dropFrame, int64_t n, int32_t hours, char op);

// 8. Timecode plus one hour, wrapped at a day: the actual count. Returns 0 when the arithmetic
//    fails.
int64_t timecode_plus_one_hour(uint32_t fpsCode, uint32_t dropFrame, Timecode tc);

// 9. Sample cadence. Two tables exist: the one of the index entries, where rateCode 5 carries no
//    samples (not supported), and the one of WAV placing and BWF time references, where rateCode 5
//    carries 1920 samples in every frame. A rateCode above 7 gives 0 samples.
enum class CadenceTable { kIndex, kTimeReference };
uint32_t samples_in_frame(uint32_t rateCode, uint64_t frameIndex,
                          CadenceTable table = CadenceTable::kIndex);
// Samples in five frames (one cadence group).
uint32_t samples_per_cadence_group(uint32_t rateCode, CadenceTable table = CadenceTable::kIndex);
// Samples before frame k counted from the cadence origin: (k div 5) x group + the first k mod 5
// entries of the group.
uint64_t frame_to_sample_offset(uint32_t rateCode, uint64_t frameIndex,
                                CadenceTable table = CadenceTable::kIndex);

// Sub-frame unit q in samples for a rateCode: 20, 19, 16, 8 for 0/4, 1/5, 2/6, 3/7; 0 above 7.
uint32_t subframe_unit(uint32_t rateCode);
// Sub-frame notation of d samples into a frame: "+%03d *%04d" with d div q and d - (d div q) x q.
std::string subframe_text(uint32_t rateCode, uint64_t samplesIntoFrame);

// 10. Size text "%.2f %s" of a byte count: "bytes" below 1024, "KB" up to 1048575, "GB" above
//     1073741823, "MB" otherwise; the quotient is computed in single precision.
std::string size_text(uint64_t bytes);

}  // namespace tavrin::tc
