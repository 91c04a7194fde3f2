#include "app/export_form.h"

#include <algorithm>

#include "platform/text.h"
#include "wrap/job_range.h"

namespace tavrin::app {

namespace {

constexpr const char* kNoPoint = "--:--:--:--";
constexpr const char* kCheckCaption = "設定の確認";

UserMessage warning(const char* text, const char* caption) {
  return UserMessage{text, caption, MessageIcon::kWarning, false};
}

uint32_t active(const std::array<uint32_t, 2>& frames, const MXF_TIMECODE_INFO& info) {
  return frames[active_base(info)];
}

size_t page_track(const APP_STATE_INFO& app, int32_t button) {
  return static_cast<size_t>(app.exportPage) * kExportButtonsPerPage + static_cast<size_t>(button);
}

bool track_exists(const APP_STATE_INFO& app, size_t track) {
  return track < app.existing_tracks() && app.tracks.exportMark[track] != kTrackAbsent;
}

size_t decimal_digits(uint64_t value) {
  return std::to_string(value).size();
}

}  // namespace

std::string export_prefix_field(const APP_STATE_INFO& app) {
  return app.tracks.exportPrefix.empty() ? std::string(kDefaultExportPrefix)
                                         : app.tracks.exportPrefix;
}

std::string export_folder_field(const APP_STATE_INFO& app) {
  return app.tracks.exportFolder.empty() ? app.desktopPath : app.tracks.exportFolder;
}

void store_export_prefix(APP_STATE_INFO& app, const std::string& text) {
  app.tracks.exportPrefix = platform::cut_to_capacity(text, kExportPrefixCapacity);
}

std::string export_entry_text(const APP_STATE_INFO& app, InOutPoint which) {
  const uint32_t stored =
      which == InOutPoint::kIn ? app.tracks.exportIn[0] : app.tracks.exportOut[0];
  const MXF_TIMECODE_INFO& info = app.timecode();
  return tc::timecode_text(info.fpsCode, info.dropFrame, stored, tc::TimecodeStyle::kDigits);
}

std::string export_point_display(const APP_STATE_INFO& app, InOutPoint which) {
  const bool in = which == InOutPoint::kIn;
  if (!(in ? app.exportInSet : app.exportOutSet)) return kNoPoint;
  const MXF_TIMECODE_INFO& info = app.timecode();
  return tc::timecode_text(info.fpsCode, info.dropFrame,
                           in ? app.tracks.exportIn[0] : app.tracks.exportOut[0]);
}

std::string export_duration_display(const APP_STATE_INFO& app) {
  if (!app.exportInSet || !app.exportOutSet) return kNoPoint;
  const MXF_TIMECODE_INFO& info = app.timecode();
  const int64_t frames =
      int64_t{active(app.tracks.exportOut, info)} - active(app.tracks.exportIn, info) + 1;
  return tc::timecode_text(info.fpsCode, info.dropFrame, frames);
}

std::optional<UserMessage> enter_export_in(APP_STATE_INFO& app, const std::string& text) {
  const MXF_TIMECODE_INFO& info = app.timecode();
  PointEntry entry = check_point_entry(text, info);
  if (!entry.frames) {
    app.exportInSet = 0;
    if (!parse_timecode_entry(text, info.fpsCode)) {
      return warning("入力された数値が適切ではありません。", kTimecodeEntryCaption);
    }
    return entry.refusal;
  }
  app.tracks.exportIn = *entry.frames;
  app.exportInSet = 1;
  if (app.exportOutSet && active(app.tracks.exportOut, info) < active(app.tracks.exportIn, info)) {
    app.exportOutSet = 0;
    app.tracks.exportOut = {0, 0};
  }
  return std::nullopt;
}

std::optional<UserMessage> enter_export_out(APP_STATE_INFO& app, const std::string& text) {
  const MXF_TIMECODE_INFO& info = app.timecode();
  PointEntry entry = check_point_entry(text, info);
  if (!entry.frames) {
    app.exportOutSet = 0;
    if (!parse_timecode_entry(text, info.fpsCode)) {
      return warning("入力された数値が適切ではありません。", kTimecodeEntryCaption);
    }
    return entry.refusal;
  }
  // Only a set IN bounds the OUT: a refused IN keeps its old counts, which mean nothing.
  if (app.exportInSet && active(*entry.frames, info) < active(app.tracks.exportIn, info)) {
    app.exportOutSet = 0;
    app.tracks.exportOut = {0, 0};
    return warning("OUTポイントがINポイントよりも前になっています。", kTimecodeEntryCaption);
  }
  app.tracks.exportOut = *entry.frames;
  app.exportOutSet = 1;
  return std::nullopt;
}

std::optional<UserMessage> use_wrapping_range(APP_STATE_INFO& app) {
  if (!app.inSet || !app.outSet) {
    return warning("ラッピング用のIN/OUT点が正しくありません。", kCheckCaption);
  }
  app.tracks.exportIn = app.tracks.inFrame;
  app.tracks.exportOut = app.tracks.outFrame;
  app.exportInSet = 1;
  app.exportOutSet = 1;
  return std::nullopt;
}

ExportTrackPage export_track_page(const APP_STATE_INFO& app) {
  ExportTrackPage page;
  page.page = app.exportPage;
  for (int32_t b = 0; b < kExportButtonsPerPage; ++b) {
    ExportTrackButton& button = page.buttons[static_cast<size_t>(b)];
    const size_t track = page_track(app, b);
    button.track = static_cast<int32_t>(track);
    button.enabled = track_exists(app, track);
    button.marked = button.enabled && app.tracks.exportMark[track] == 1;
  }
  page.previousEnabled = app.exportPage > 0;
  page.nextEnabled = app.exportPage < kExportPages - 1;
  return page;
}

void export_page_previous(APP_STATE_INFO& app) {
  if (app.exportPage > 0) --app.exportPage;
}

void export_page_next(APP_STATE_INFO& app) {
  if (app.exportPage < kExportPages - 1) ++app.exportPage;
}

void set_export_mark(APP_STATE_INFO& app, int32_t track, bool marked) {
  if (track < 0 || !track_exists(app, static_cast<size_t>(track))) return;
  app.tracks.exportMark[static_cast<size_t>(track)] = marked ? 1 : 0;
}

void toggle_export_mark(APP_STATE_INFO& app, int32_t button) {
  if (button < 0 || button >= kExportButtonsPerPage) return;
  const size_t track = page_track(app, button);
  if (!track_exists(app, track)) return;
  uint8_t& mark = app.tracks.exportMark[track];
  mark = mark == 0 ? 1 : 0;
}

void toggle_export_all(APP_STATE_INFO& app) {
  app.exportAllMarked = app.exportAllMarked ? 0 : 1;
  for (size_t t = 0; t < app.existing_tracks(); ++t) app.tracks.exportMark[t] = app.exportAllMarked;
}

std::optional<UserMessage> check_export_prefix(const APP_STATE_INFO& app, const std::string& prefix,
                                               uint32_t counter) {
  // The prefix starts a file name inside the chosen folder; it must not lead out of it.
  if (prefix.find('/') != std::string::npos || prefix == "." || prefix == "..") {
    return warning(
        "プレフィックス名にフォルダの区切り文字 \"/\" や \".\"、\"..\" は使用できません。",
        kCheckCaption);
  }
  size_t lastTrack = 1;
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.exportMark[t] == 1) lastTrack = t + 1;
  }
  // The longest name an export may take: "<prefix><track>.wav <counter>.wav".
  const size_t longest =
      prefix.size() + decimal_digits(lastTrack) + 4 + 1 + decimal_digits(counter) + 4;
  if (longest > kFileNameLimit) {
    return warning("プレフィックス名が長すぎます。\n短くしてください。", kCheckCaption);
  }
  return std::nullopt;
}

std::optional<UserMessage> prepare_export_job(APP_STATE_INFO& app, const std::string& prefix,
                                              const std::string& folder) {
  if (!app.exportInSet || !app.exportOutSet) {
    return warning("書出し用IN/OUTポイントが正しく設定されていません。", "タイムコードの確認");
  }
  bool anyMarked = false;
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.exportMark[t] == 1) anyMarked = true;
  }
  if (!anyMarked) {
    return UserMessage{"書出しトラックのON/OFFスイッチが全てOFFになっています。", kCheckCaption,
                       MessageIcon::kInformation, false};
  }
  if (auto refusal = check_export_prefix(app, prefix, app.tracks.exportCounter + 1)) {
    return refusal;
  }
  // A cut folder or prefix would write the files somewhere else than chosen: refuse instead.
  if (platform::utf16_units(prefix) >= kExportPrefixCapacity ||
      platform::utf16_units(folder) >= kExportFolderCapacity) {
    return warning("保存先またはプレフィックス名が長すぎます。\n短くしてください。", kCheckCaption);
  }
  app.jobKind = jobs::JobKind::kExport;
  app.tracks.exportCounter += 1;
  app.tracks.exportPrefix = prefix;
  app.tracks.exportFolder = folder;
  return std::nullopt;
}

}  // namespace tavrin::app
