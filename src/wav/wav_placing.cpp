#include "wav/wav_placing.h"

#include <array>

#include "timecode/timecode.h"

namespace tavrin {

namespace {

constexpr tc::CadenceTable kCadence = tc::CadenceTable::kTimeReference;

struct Placed {
  uint32_t frame = 0;
  uint32_t subframe = 0;
  uint32_t remainder = 0;
};

// Walks frames from midnight until the running sample sum reaches `position`: the frame that
// holds it and the offset into that frame. The walk runs over whole five-frame groups at once;
// the result equals a frame-by-frame walk that gives up after kPlacingFrameBound frames. False
// when the position lies beyond that bound.
bool place_position(uint64_t position, uint32_t rateCode, bool isEnd, Placed* out) {
  const uint64_t group = tc::samples_per_cadence_group(rateCode, kCadence);
  if (group == 0) return false;
  std::array<uint64_t, 6> before{};  // samples before frame k of a group
  for (uint32_t k = 0; k < 5; ++k)
    before[k + 1] = before[k] + tc::samples_in_frame(rateCode, k, kCadence);

  // Frames walked (j) and the sample sum after them (s): the first j with s >= position.
  const uint64_t groups = position / group;
  const uint64_t rest = position - groups * group;
  uint64_t walked = groups * 5;
  uint64_t sum = groups * group;
  if (rest != 0) {
    uint32_t k = 1;
    while (before[k] < rest) ++k;
    walked += k;
    sum += before[k];
  }
  if (walked > kPlacingFrameBound) return false;

  uint64_t frame = walked;
  uint64_t offset = 0;
  if (sum != position) {
    // Inside the last frame walked.
    frame = walked - 1;
    const uint64_t length = tc::samples_in_frame(rateCode, frame, kCadence);
    offset = position - (sum - length);
    // At 29.97 an end one sample short of a frame boundary is put on the boundary (the cadence
    // leaves a sample of slack there); at 59.94 only inside an 801-sample frame.
    const bool oneShort = sum - position == 1;
    if (isEnd && oneShort && (rateCode == 6 || (rateCode == 7 && length == 801))) {
      frame = walked;
      offset = 0;
    }
  }
  const uint64_t unit = tc::subframe_unit(rateCode);
  out->frame = static_cast<uint32_t>(frame);
  out->subframe = static_cast<uint32_t>(offset / unit);
  out->remainder = static_cast<uint32_t>(offset - (offset / unit) * unit);
  return true;
}

// Folds a frame number of 24 hours or more back by one day (once). *hours receives the hour of
// the frame before folding.
uint32_t fold_frame(uint32_t frame, const MXF_TIMECODE_INFO& timecode, int32_t* hours) {
  const tc::Timecode shown =
      tc::frames_to_display_timecode(timecode.fpsCode, timecode.dropFrame, frame);
  *hours = shown.hours;
  if (shown.hours <= 23) return frame;
  int64_t folded = 0;
  if (!tc::timecode_arithmetic(timecode.fpsCode, timecode.dropFrame, shown,
                               tc::Timecode{24, 0, 0, 0}, '-', &folded)) {
    return frame;
  }
  return static_cast<uint32_t>(folded);
}

}  // namespace

int32_t place_wav_timecodes(WAV_FILE_INFO* info, const MXF_TIMECODE_INFO* timecode) {
  if (info == nullptr || timecode == nullptr) return 1;
  const uint32_t rateCode = timecode->rateCode;
  if (rateCode > 7) return 3;

  Placed start;
  if (place_position(info->start_sample, rateCode, false, &start)) {
    int32_t hours = 0;
    info->start_frame = fold_frame(start.frame, *timecode, &hours);
    info->start_subframe = start.subframe;
    info->start_remainder = start.remainder;
    info->starts_in_hour_23 = hours == 23 ? 1 : 0;
  }

  // A record without a sample frame size counts no sample frames (the reader refuses it).
  const uint64_t sampleFrames =
      info->block_align == 0 ? 0 : uint64_t{info->data_size / info->block_align};
  const uint64_t endSample = info->start_sample + sampleFrames;
  Placed end;
  if (place_position(endSample, rateCode, true, &end)) {
    int32_t hours = 0;
    info->end_sample = endSample;
    info->end_frame = fold_frame(end.frame, *timecode, &hours);
    info->end_subframe = end.subframe;
    info->end_remainder = end.remainder;
  }

  if (info->starts_in_hour_23 == 0) {
    info->duration_frames = info->end_frame - info->start_frame;
  } else {
    // Counted one hour later, so that an end after midnight comes after a start in hour 23.
    const auto shifted = [&](uint32_t frame) {
      return tc::timecode_plus_one_hour(
          timecode->fpsCode, timecode->dropFrame,
          tc::frames_to_display_timecode(timecode->fpsCode, timecode->dropFrame, frame));
    };
    info->duration_frames =
        static_cast<uint32_t>(shifted(info->end_frame) - shifted(info->start_frame));
  }
  return 0;
}

}  // namespace tavrin
