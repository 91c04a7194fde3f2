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
//   410  the edit rate has no row in the cadence table (50/1, a zero denominator, or no edit
//        rate item at all). `rateCode` is set to 8 (no cadence), never left at the value of the
//        file loaded before; the edit rate read stays in `editRateNum` / `editRateDen`.
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
constexpr uint32_t kNoRateCode = 8;       // rateCode 0 .. 7 index the cadence table

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

// rateCode of an edit rate, compared by value (num x den' = num' x den in 64 bits), so that a
// writer's scaling does not matter: 25/1, 25000/1000 and 50000/2000 are all 25 fps. False for a
// rate the cadence table has no row for, and for a zero denominator.
bool rate_code_of(uint32_t num, uint32_t den, uint32_t* rateCode) {
  struct Rate {
    uint64_t num, den;
    uint32_t code;
  };
  static constexpr Rate kRates[] = {{24, 1, 0},       {25, 1, 1},       {30, 1, 2},
                                    {60, 1, 3},       {24000, 1001, 4}, {25000, 1001, 5},
                                    {30000, 1001, 6}, {60000, 1001, 7}};
  if (den == 0) return false;
  for (const Rate& r : kRates) {
    if (uint64_t{num} * r.den == r.num * uint64_t{den}) {
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
  // A file without a usable edit rate must not keep the cadence of the file loaded before it.
  timecode->editRateNum = 0;
  timecode->editRateDen = 0;
  timecode->rateCode = kNoRateCode;
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
  }
  if (walker.truncated()) return kDamaged;
  if (!rate_code_of(timecode->editRateNum, timecode->editRateDen, &timecode->rateCode)) {
    timecode->rateCode = kNoRateCode;
    return kUnknownEditRate;
  }
  return 0;
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
