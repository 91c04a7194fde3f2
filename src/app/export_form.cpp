#include "app/export_form.h"

#include "platform/text.h"
#include "wrap/job_range.h"

namespace tavrin::app {

namespace {

UserMessage warning(const char* text, const char* caption) {
  return UserMessage{text, caption, MessageIcon::kWarning, false};
}

uint32_t active(const std::array<uint32_t, 2>& frames, const MXF_TIMECODE_INFO& info) {
  return frames[active_base(info)];
}

}  // namespace

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
  if (active(*entry.frames, info) < active(app.tracks.exportIn, info)) {
    app.exportOutSet = 0;
    app.tracks.exportOut = {0, 0};
    return warning("OUTポイントがINポイントよりも前になっています。", kTimecodeEntryCaption);
  }
  app.tracks.exportOut = *entry.frames;
  app.exportOutSet = 1;
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
    return UserMessage{"書出しトラックのON/OFFスイッチが全てOFFになっています。", "設定の確認",
                       MessageIcon::kInformation, false};
  }
  // A cut folder or prefix would write the files somewhere else than chosen: refuse instead.
  if (platform::utf16_units(prefix) >= kExportPrefixCapacity ||
      platform::utf16_units(folder) >= kExportFolderCapacity) {
    return warning("保存先またはプレフィックス名が長すぎます。\n短くしてください。", "設定の確認");
  }
  app.jobKind = jobs::JobKind::kExport;
  app.tracks.exportCounter += 1;
  app.tracks.exportPrefix = prefix;
  app.tracks.exportFolder = folder;
  return std::nullopt;
}

}  // namespace tavrin::app
