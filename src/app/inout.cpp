#include "app/inout.h"

#include "platform/text.h"
#include "wrap/job_range.h"

namespace tavrin::app {

namespace {

constexpr const char* kNoPoint = "--:--:--:--";

UserMessage entry_warning(const char* text) {
  return UserMessage{text, kTimecodeEntryCaption, MessageIcon::kWarning, false};
}

uint32_t active(const std::array<uint32_t, 2>& frames, const MXF_TIMECODE_INFO& info) {
  return frames[active_base(info)];
}

}  // namespace

std::optional<tc::Timecode> parse_timecode_entry(const std::string& text, uint32_t fpsCode) {
  const int32_t maxFrames = tc::max_frame_field(fpsCode);
  if (fpsCode > 3 || maxFrames <= 0) return std::nullopt;
  char digits[9] = "00000000";
  int filled = 0;
  for (auto it = text.rbegin(); it != text.rend() && filled < 8; ++it) {
    if (*it >= '0' && *it <= '9') digits[7 - filled++] = *it;
  }
  auto field = [&](int i) { return (digits[2 * i] - '0') * 10 + (digits[2 * i + 1] - '0'); };
  const tc::Timecode timecode{field(0), field(1), field(2), field(3)};
  if (timecode.hours > 23 || timecode.minutes > 59 || timecode.seconds > 59 ||
      timecode.frames > maxFrames) {
    return std::nullopt;
  }
  return timecode;
}

std::array<uint32_t, 2> timecode_to_bases(tc::Timecode timecode, const MXF_TIMECODE_INFO& info) {
  tc::Timecode corrected = timecode;
  const int64_t plain = tc::timecode_to_frames(info.fpsCode, info.dropFrame, corrected);
  const uint32_t base0 = plain < 0 ? 0 : static_cast<uint32_t>(plain);
  uint32_t base1 = base0;
  if (info.startsInHour23) {
    base1 =
        static_cast<uint32_t>(tc::timecode_plus_one_hour(info.fpsCode, info.dropFrame, timecode));
  }
  return {base0, base1};
}

uint32_t media_first_frame(const MXF_TIMECODE_INFO& info) {
  return info.startsInHour23 ? info.shiftedStart : info.startFrame;
}

uint32_t media_last_frame(const MXF_TIMECODE_INFO& info) {
  return info.startsInHour23 ? info.shiftedEnd : info.endFrame;
}

PointEntry check_point_entry(const std::string& text, const MXF_TIMECODE_INFO& info) {
  PointEntry entry;
  const std::optional<tc::Timecode> timecode = parse_timecode_entry(text, info.fpsCode);
  if (!timecode) {
    entry.refusal = entry_warning("不適切な値が入力されています。");
    return entry;
  }
  const std::array<uint32_t, 2> frames = timecode_to_bases(*timecode, info);
  const uint32_t value = active(frames, info);
  if (value < media_first_frame(info)) {
    entry.refusal = entry_warning("メディアの開始タイムより前になっています。");
  } else if (value > media_last_frame(info)) {
    entry.refusal = entry_warning("メディアの終了タイムを越えています。");
  } else {
    entry.frames = frames;
  }
  return entry;
}

std::string in_out_text(const APP_STATE_INFO& app, InOutPoint which) {
  const uint32_t stored = which == InOutPoint::kIn ? app.tracks.inFrame[0] : app.tracks.outFrame[0];
  const MXF_TIMECODE_INFO& info = app.timecode();
  const tc::Timecode t = tc::frames_to_display_timecode(info.fpsCode, info.dropFrame, stored);
  return platform::format("%02d%02d%02d%02d", t.hours, t.minutes, t.seconds, t.frames);
}

std::optional<UserMessage> enter_in(APP_STATE_INFO& app, const std::string& text) {
  const MXF_TIMECODE_INFO& info = app.timecode();
  const PointEntry entry = check_point_entry(text, info);
  if (!entry.frames) {
    app.inSet = 0;
    return entry.refusal;
  }
  app.inFrames = *entry.frames;
  app.tracks.inFrame = *entry.frames;
  app.inSet = 1;
  if (app.outSet && active(app.tracks.outFrame, info) < active(app.inFrames, info)) {
    app.outSet = 0;
    app.tracks.outFrame = {0, 0};
  }
  return std::nullopt;
}

std::optional<UserMessage> enter_out(APP_STATE_INFO& app, const std::string& text) {
  const MXF_TIMECODE_INFO& info = app.timecode();
  const PointEntry entry = check_point_entry(text, info);
  if (!entry.frames) {
    app.outSet = 0;
    return entry.refusal;
  }
  // A withdrawn IN keeps its counts but is no longer a point: only a set IN bounds the OUT.
  if (app.inSet && active(*entry.frames, info) < active(app.inFrames, info)) {
    app.outSet = 0;
    return entry_warning("入力データがINポイントよりも前になっています。");
  }
  app.tracks.outFrame = *entry.frames;
  app.outSet = 1;
  return std::nullopt;
}

void cancel_entry(APP_STATE_INFO& /*app*/, InOutPoint /*which*/) {}

bool entry_closes_on_focus_loss(const APP_STATE_INFO& app, InOutPoint which) {
  return (which == InOutPoint::kIn ? app.inSet : app.outSet) != 0;
}

std::string in_label(const APP_STATE_INFO& app) {
  if (!app.inSet) return kNoPoint;
  const MXF_TIMECODE_INFO& info = app.timecode();
  return tc::timecode_text(info.fpsCode, info.dropFrame, app.tracks.inFrame[0]);
}

std::string out_label(const APP_STATE_INFO& app) {
  if (!app.outSet) return kNoPoint;
  const MXF_TIMECODE_INFO& info = app.timecode();
  return tc::timecode_text(info.fpsCode, info.dropFrame, app.tracks.outFrame[0]);
}

std::string duration_label(const APP_STATE_INFO& app) {
  if (!app.inSet || !app.outSet) return kNoPoint;
  const MXF_TIMECODE_INFO& info = app.timecode();
  const int64_t frames =
      int64_t{active(app.tracks.outFrame, info)} - active(app.tracks.inFrame, info) + 1;
  return tc::timecode_text(info.fpsCode, info.dropFrame, frames);
}

}  // namespace tavrin::app
