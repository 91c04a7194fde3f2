// Timecode, sub-frame and size texts.
#include "platform/text.h"
#include "timecode/timecode.h"

namespace tavrin::tc {

std::string timecode_text(uint32_t fpsCode, uint32_t dropFrame, int64_t actual, TimecodeStyle style,
                          size_t capacity) {
  if (capacity == 0) return std::string();
  // An unknown fpsCode yields an all-zero timecode.
  const Timecode t = frames_to_display_timecode(fpsCode, dropFrame, actual);
  std::string text =
      style == TimecodeStyle::kDigits
          ? platform::format("%02d%02d%02d%02d", t.hours, t.minutes, t.seconds, t.frames)
          : timecode_text_with(t, dropFrame != 0 ? '.' : ':');
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::string timecode_text_with(const Timecode& tc, char separator) {
  return platform::format("%02d:%02d:%02d%c%02d", tc.hours, tc.minutes, tc.seconds, separator,
                          tc.frames);
}

std::string subframe_text(uint32_t rateCode, uint64_t samplesIntoFrame) {
  // An unknown rateCode has no unit: every sample is left over.
  const uint64_t unit = subframe_unit(rateCode);
  const uint64_t units = unit != 0 ? samplesIntoFrame / unit : 0;
  const uint64_t rest = samplesIntoFrame - units * unit;
  return platform::format("+%03llu *%04llu", static_cast<unsigned long long>(units),
                          static_cast<unsigned long long>(rest));
}

std::string size_text(uint64_t bytes) {
  const char* unit = "MB";
  float divisor = 1048576.0f;
  if (bytes < 1024) {
    unit = "bytes";
    divisor = 1.0f;
  } else if (bytes <= 1048575) {
    unit = "KB";
    divisor = 1024.0f;
  } else if (bytes > 1073741823) {
    unit = "GB";
    divisor = 1073741824.0f;
  }
  // The quotient is taken in single precision, as the size columns have always shown it.
  const float value = static_cast<float>(bytes) / divisor;
  return platform::format("%.2f %s", static_cast<double>(value), unit);
}

}  // namespace tavrin::tc
