#include "platform/local_time.h"

#include <ctime>

namespace tavrin::platform {

namespace {

LocalTime from_time_t(time_t seconds) {
  struct tm parts {};
  if (::localtime_r(&seconds, &parts) == nullptr) return LocalTime{};
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace

LocalTime local_time_now() { return from_time_t(::time(nullptr)); }

LocalTime to_local_time(FileTime t) { return from_time_t(static_cast<time_t>(t.seconds)); }

}  // namespace tavrin::platform
