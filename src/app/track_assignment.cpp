#include "app/track_assignment.h"

namespace tavrin::app {

namespace {

UserMessage assign_warning(const char* text) {
  return UserMessage{text, kAssignCaption, MessageIcon::kWarning, false};
}

// Clears slot n; a stereo file there loses its partner slot as well.
void clear_slot(APP_STATE_INFO& app, size_t n) {
  auto* held = const_cast<WAV_LIBRARY_ENTRY*>(app.tracks.wavEntry[n]);
  if (held == nullptr) {
    app.stereoTrack[n] = 0;
    return;
  }
  if (app.stereoTrack[n]) {
    const size_t partner = n % 2 == 0 ? n + 1 : n - 1;
    if (partner < kTrackSlots) {
      app.tracks.wavEntry[partner] = nullptr;
      app.stereoTrack[partner] = 0;
    }
  }
  app.tracks.wavEntry[n] = nullptr;
  app.stereoTrack[n] = 0;
  update_assigned_flag(app, held);
}

}  // namespace

void update_assigned_flag(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry) {
  if (entry == nullptr) return;
  int32_t assigned = 0;
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.wavEntry[t] == entry) assigned = 1;
  }
  entry->assigned = assigned;
}

std::optional<UserMessage> assign_file(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry,
                                       size_t track) {
  const size_t existing = app.existing_tracks();
  if (entry == nullptr || track >= existing) return std::nullopt;
  const WAV_FILE_INFO& info = entry->info;
  if (app.audio().quantizationBits == 16 && info.bits_per_sample == 24) {
    return assign_warning(
        "24bitのファイルは16bitのMXFオーディオに割当てることはできません。\n"
        "16bitのファイルを使用してください。");
  }
  if (info.channels == 2) {
    if (track % 2 == 1) {
      return assign_warning("ステレオファイルを、偶数トラックに割当てることはできません。");
    }
    if (track + 1 >= existing) {
      return assign_warning(
          "ステレオファイルを最後のトラックに割当てることはできません。\n"
          "2チャンネル目を書込むトラックがありません。");
    }
    for (const size_t slot : {track, track + 1}) {
      clear_slot(app, slot);
      app.tracks.wavEntry[slot] = entry;
      app.stereoTrack[slot] = 1;
    }
    app.tracks.trackSwitch[track + 1] = app.tracks.trackSwitch[track];
  } else if (info.channels == 1) {
    clear_slot(app, track);
    app.tracks.wavEntry[track] = entry;
  } else {
    app.libraryShown = 0;
    return assign_warning(
        "チャンネル数が1または2ではないため、トラックに割当てることはできません。");
  }
  update_assigned_flag(app, entry);
  app.libraryShown = 0;
  return std::nullopt;
}

std::optional<UserMessage> assign_focused_file(APP_STATE_INFO& app) {
  if (app.focusedIndex < 0 || static_cast<size_t>(app.focusedIndex) >= app.libraryView.size()) {
    app.libraryShown = 0;
    return std::nullopt;
  }
  if (app.currentTrack < 0) return std::nullopt;
  return assign_file(app, app.libraryView[static_cast<size_t>(app.focusedIndex)],
                     static_cast<size_t>(app.currentTrack));
}

void take_off_tracks(APP_STATE_INFO& app, const WAV_LIBRARY_ENTRY& entry) {
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.wavEntry[t] != &entry) continue;
    app.tracks.wavEntry[t] = nullptr;
    app.stereoTrack[t] = 0;
    app.selectedTrack[t] = static_cast<int32_t>(t) == app.currentTrack ? 1 : 0;
  }
  app.firstVisibleTrack = 0;
}

UserMessage backup_question() {
  return UserMessage{
      "MXFファイルのバックアップは済んでいますか？\n\nよろしければラッピングを開始します。",
      "MXF Tavrin", MessageIcon::kInformation, true};
}

WrapCheck check_wrap(APP_STATE_INFO& app, const std::function<bool(const UserMessage&)>& confirm) {
  app.jobKind = jobs::JobKind::kWrapping;
  WrapCheck check;
  bool anyOn = false;
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.trackSwitch[t] == kTrackOn) anyOn = true;
  }
  if (!anyOn) {
    check.messages.push_back(UserMessage{"トラックスイッチが全てOFFになっています。", "MXF Tavrin",
                                         MessageIcon::kInformation, false});
    return check;
  }
  const UserMessage question = backup_question();
  check.messages.push_back(question);
  check.start = confirm && confirm(question);
  return check;
}

}  // namespace tavrin::app
