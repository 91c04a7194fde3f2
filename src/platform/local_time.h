// Local calendar time of the user's time zone.
#pragma once

#include <cstdint>

#include "platform/file.h"

namespace tavrin::platform {

struct LocalTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

LocalTime local_time_now();
LocalTime to_local_time(FileTime t);

}  // namespace tavrin::platform
