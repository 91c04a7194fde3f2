#include "app/track_assignment.h"

namespace tavrin::app {

namespace {

UserMessage assign_warning(const char* text) {
  return UserMessage{text, kAssignCaption, MessageIcon::kWarning, false};
}

// The other half of a stereo pair: track n + 1 for an even n, n - 1 for an odd one.
size_t partner_of(size_t n) {
  return n % 2 == 0 ? n + 1 : n - 1;
}

// Clears slot n; a stereo file there loses its partner slot as well.
void clear_slot(APP_STATE_INFO& app, size_t n) {
  auto* held = const_cast<WAV_LIBRARY_ENTRY*>(app.tracks.wavEntry[n]);
  if (held == nullptr) {
    app.stereoTrack[n] = 0;
    return;
  }
  if (app.stereoTrack[n]) {
    const size_t partner = partner_of(n);
    if (partner < kTrackSlots) {
      app.tracks.wavEntry[partner] = nullptr;
      app.stereoTrack[partner] = 0;
    }
  }
  app.tracks.wavEntry[n] = nullptr;
  app.stereoTrack[n] = 0;
  update_assigned_flag(app, held);
}

std::optional<UserMessage> place_file(APP_STATE_INFO& app, WAV_LIBRARY_ENTRY* entry, size_t track) {
  const size_t existing = app.existing_tracks();
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
    return assign_warning(
        "チャンネル数が1または2ではないため、トラックに割当てることはできません。");
  }
  update_assigned_flag(app, entry);
  return std::nullopt;
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
  if (entry == nullptr) return std::nullopt;
  // Assigning always returns to the track view, whether the file went on the track or not.
  app.libraryShown = 0;
  if (track >= app.existing_tracks()) return std::nullopt;
  return place_file(app, entry, track);
}

std::optional<UserMessage> assign_focused_file(APP_STATE_INFO& app) {
  WAV_LIBRARY_ENTRY* selected = nullptr;
  int32_t count = 0;
  for (WAV_LIBRARY_ENTRY* entry : app.libraryView) {
    if (entry->selected == 0) continue;
    selected = entry;
    ++count;
  }
  if (count != 1 || app.currentTrack < 0) return std::nullopt;
  return assign_file(app, selected, static_cast<size_t>(app.currentTrack));
}

std::optional<UserMessage> assign_library_row(APP_STATE_INFO& app, int32_t row) {
  if (row < 0 || static_cast<size_t>(row) >= app.libraryView.size() || app.currentTrack < 0) {
    app.libraryShown = 0;
    return std::nullopt;
  }
  return assign_file(app, app.libraryView[static_cast<size_t>(row)],
                     static_cast<size_t>(app.currentTrack));
}

void unassign_selected_tracks(APP_STATE_INFO& app) {
  const size_t existing = app.existing_tracks();
  const auto keepSelection = [&app](size_t t) {
    app.selectedTrack[t] = static_cast<int32_t>(t) == app.currentTrack ? 1 : 0;
  };
  for (size_t t = 0; t < existing; ++t) {
    auto* held = const_cast<WAV_LIBRARY_ENTRY*>(app.tracks.wavEntry[t]);
    if (held == nullptr || app.selectedTrack[t] == 0) continue;
    app.tracks.wavEntry[t] = nullptr;
    app.stereoTrack[t] = 0;
    keepSelection(t);
    if (held->info.channels == 2) {
      const size_t partner = partner_of(t);
      if (partner < existing && app.tracks.wavEntry[partner] == held) {
        app.tracks.wavEntry[partner] = nullptr;
        app.stereoTrack[partner] = 0;
        keepSelection(partner);
      }
      if (partner == t + 1) ++t;
    }
    update_assigned_flag(app, held);
  }
}

void take_off_tracks(APP_STATE_INFO& app, const WAV_LIBRARY_ENTRY& entry) {
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.wavEntry[t] != &entry) continue;
    app.tracks.wavEntry[t] = nullptr;
    app.stereoTrack[t] = 0;
    app.selectedTrack[t] = static_cast<int32_t>(t) == app.currentTrack ? 1 : 0;
  }
}

UserMessage backup_question() {
  return UserMessage{
      "MXFファイルのバックアップは済んでいますか？\n\nよろしければラッピングを開始します。",
      kDisplayName, MessageIcon::kInformation, true};
}

WrapCheck check_wrap(APP_STATE_INFO& app, const Confirm& confirm) {
  app.jobKind = jobs::JobKind::kWrapping;
  WrapCheck check;
  bool anyOn = false;
  for (size_t t = 0; t < app.existing_tracks(); ++t) {
    if (app.tracks.trackSwitch[t] == kTrackOn) anyOn = true;
  }
  if (!anyOn) {
    check.messages.push_back(UserMessage{"トラックスイッチが全てOFFになっています。", kDisplayName,
                                         MessageIcon::kInformation, false});
    return check;
  }
  check.start = confirm && confirm(backup_question());
  return check;
}

void prepare_export(APP_STATE_INFO& app) {
  app.jobKind = jobs::JobKind::kExport;
}

}  // namespace tavrin::app
