// The timecode component step (section 400): reads start timecode, timecode base, drop-frame flag
// and duration of the first Timecode Component set (SMPTE 377-1 clause 9.5.6), derives the frame
// counts the rest of the program works with, and takes the edit rate of the first Timeline Track
// (clause 9.5.4).
//
// Counts: `startFrame` is the actual count of the start; `shiftedStart` the start plus one hour
// wrapped at a day; `shiftedEnd` = shiftedStart + duration - 1, not wrapped; `endFrame` the
// timecode of shiftedEnd minus one hour (a day is borrowed below zero).
//
// Codes beyond the table of the section:
//   408  a Timecode Component or Timeline Track set is damaged: its value does not lie inside the
//        file, an item runs past the set, or an item holds fewer bytes than its type.
//   409  the rounded timecode base is none of 24, 25, 30 and 60, so no timecode can be counted.
//        `fpsCode` keeps the raw base that was read.
#include "mxf/analysis.h"
#include "mxf/header_metadata.h"
#include "mxf/keys.h"
#include "timecode/timecode.h"

namespace tavrin {

namespace {

using namespace timecode_codes;

constexpr uint16_t kTagStartTimecode = 0x1501;
constexpr uint16_t kTagRoundedBase = 0x1502;
constexpr uint16_t kTagDropFrame = 0x1503;
constexpr uint16_t kTagDuration = 0x0202;
constexpr uint16_t kTagEditRate = 0x4B01;

constexpr uint64_t kUnknownLength = ~uint64_t{0};
constexpr uint32_t kUnknownFpsLimit = 3;  // fpsCode 0 .. 3 are known

int set_code(SetReadStatus status, int notFound) {
  switch (status) {
    case SetReadStatus::kFound:
      return 0;
    case SetReadStatus::kNotFound:
      return notFound;
    case SetReadStatus::kDamaged:
    case SetReadStatus::kNoMemory:
      break;
  }
  return kDamaged;
}

uint32_t fps_code_of_base(uint16_t base) {
  switch (base) {
    case 24:
      return 0;
    case 25:
      return 1;
    case 30:
      return 2;
    case 60:
      return 3;
    default:
      return base;
  }
}

// rateCode of an edit rate; false for a pair the cadence table does not know (25/1 for one).
bool rate_code_of(uint32_t num, uint32_t den, uint32_t* rateCode) {
  struct Rate {
    uint32_t num, den, code;
  };
  static constexpr Rate kRates[] = {{24000, 1000, 0}, {25000, 1000, 1}, {30000, 1000, 2},
                                    {60000, 1000, 3}, {24000, 1001, 4}, {25000, 1001, 5},
                                    {30000, 1001, 6}, {60000, 1001, 7}};
  for (const Rate& r : kRates) {
    if (r.num == num && r.den == den) {
      *rateCode = r.code;
      return true;
    }
  }
  return false;
}

int store_component_item(const LocalItem& item, MXF_TIMECODE_INFO* timecode) {
  switch (item.tag) {
    case kTagStartTimecode: {
      uint64_t start = 0;
      if (!item_u64(item, &start)) return kDamaged;
      timecode->startFrame = static_cast<uint32_t>(start);
      return 0;
    }
    case kTagRoundedBase: {
      uint16_t base = 0;
      if (!item_u16(item, &base)) return kDamaged;
      timecode->fpsCode = fps_code_of_base(base);
      return 0;
    }
    case kTagDropFrame: {
      uint8_t drop = 0;
      if (!item_u8(item, &drop)) return kDamaged;
      timecode->dropFrame = drop;
      return 0;
    }
    case kTagDuration: {
      uint64_t duration = 0;
      if (!item_u64(item, &duration)) return kDamaged;
      timecode->duration = duration == kUnknownLength ? 0 : static_cast<uint32_t>(duration);
      return 0;
    }
    default:
      return 0;
  }
}

// The counts derived from the start and the duration.
void derive_counts(MXF_TIMECODE_INFO* t) {
  const uint32_t fps = t->fpsCode;
  const uint32_t drop = t->dropFrame;
  tc::Timecode start;
  tc::frames_to_timecode(tc::actual_to_nominal(fps, drop, t->startFrame), fps, &start);
  t->startsInHour23 = start.hours == 23 ? 1 : 0;
  t->shiftedStart = static_cast<uint32_t>(tc::timecode_plus_one_hour(fps, drop, start));
  t->shiftedEnd = t->shiftedStart + t->duration - 1;

  tc::Timecode end;
  tc::frames_to_timecode(tc::actual_to_nominal(fps, drop, t->shiftedEnd), fps, &end);
  const tc::Timecode oneHour{1, 0, 0, 0};
  int64_t endFrame = 0;
  if (tc::timecode_arithmetic(fps, drop, end, oneHour, '-', &endFrame)) {
    t->endFrame = static_cast<uint32_t>(endFrame);
  }
}

int read_edit_rate(const ByteSource& file, FileRange range, MXF_TIMECODE_INFO* timecode) {
  const HeaderSet track = read_header_set(file, keys::kTimelineTrackSet, range);
  if (const int code = set_code(track.status, kNoTimelineTrack); code != 0) return code;
  LocalSetWalker walker(track.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (item.tag != kTagEditRate) continue;
    uint32_t num = 0;
    uint32_t den = 0;
    if (!item_u32_pair(item, &num, &den)) return kDamaged;
    timecode->editRateNum = num;
    timecode->editRateDen = den;
    rate_code_of(num, den, &timecode->rateCode);
  }
  return walker.truncated() ? kDamaged : 0;
}

}  // namespace

int read_timecode_component(const ByteSource* file, MXF_BASE_INFO* mxf) {
  if (file == nullptr || !file->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  if (mxf->partitions == nullptr) return kNoSlot;
  if (mxf->timecode == nullptr) return kNoTimecodeInfo;
  MXF_TIMECODE_INFO* timecode = mxf->timecode;
  const FileRange range = header_metadata_range(*mxf);

  const HeaderSet component = read_header_set(*file, keys::kTimecodeComponentSet, range);
  if (const int code = set_code(component.status, kNoComponent); code != 0) return code;
  LocalSetWalker walker(component.value);
  LocalItem item;
  while (walker.next(&item)) {
    if (const int code = store_component_item(item, timecode); code != 0) return code;
  }
  if (walker.truncated()) return kDamaged;

  if (timecode->duration == 0) return kNoDuration;
  if (timecode->fpsCode > kUnknownFpsLimit) return kUnknownTimecodeBase;
  derive_counts(timecode);

  return read_edit_rate(*file, range, timecode);
}

}  // namespace tavrin
