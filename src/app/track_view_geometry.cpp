#include "app/track_view_geometry.h"

#include <algorithm>

namespace tavrin::app {

namespace {

int band_height(const TrackViewScroll& view) {
  return view.height - 2 * kBandHeight;
}

// How far the rows are moved up: the hidden part of the cut first row.
int row_shift(const TrackViewScroll& view) {
  return view.alignment == RowAlignment::kBottom ? kRowPitch - view.remainder : 0;
}

int row_top(const TrackViewScroll& view, int row) {
  return kFirstRowTop + kRowPitch * row - row_shift(view);
}

void clamp_first(TrackViewScroll& view) {
  const int last = std::max(0, view.trackCount - view.visibleRows);
  view.firstVisible = std::clamp(view.firstVisible, 0, last);
}

ScrollButtonState shown_state(ScrollButtonState state) {
  return state == ScrollButtonState::kPressed ? state : ScrollButtonState::kNormal;
}

}  // namespace

TrackViewScroll layout_track_view(int width, int height, int trackCount, int currentTrack) {
  TrackViewScroll view;
  view.width = width;
  view.height = height;
  view.trackCount = std::max(0, trackCount);
  // Rows fit between y 173 and 20 pixels above the bottom band.
  const int room = std::max(0, height - 2 * kBandHeight - 20);
  const int whole = room / kRowPitch;
  if (view.trackCount <= whole) {
    view.visibleRows = view.trackCount;
  } else {
    view.remainder = room % kRowPitch;
    if (view.remainder != 0) {
      view.alignment = RowAlignment::kTop;
      view.visibleRows = whole + 1;
    } else {
      view.visibleRows = std::max(1, whole);
    }
  }
  if (currentTrack >= 0 && currentTrack < view.trackCount) show_track_whole(view, currentTrack);
  update_scroll_buttons(view);
  return view;
}

ViewRect track_band(const TrackViewScroll& view) {
  return {0, kBandHeight, view.width, std::max(0, band_height(view))};
}

ViewRect track_clip(const TrackViewScroll& view) {
  return {0, kBandHeight + kTrackClipInset, view.width,
          std::max(0, band_height(view) - 2 * kTrackClipInset)};
}

ViewRect top_band(const TrackViewScroll& view) {
  return {0, 0, view.width, kBandHeight};
}

ViewRect bottom_band(const TrackViewScroll& view) {
  return {0, kBandHeight + std::max(0, band_height(view)), view.width, kBandHeight};
}

int text_left(const TrackViewScroll& view) {
  return static_cast<int>((view.width / 2) * 0.25);
}

int switch_left(const TrackViewScroll& view) {
  return static_cast<int>((view.width / 2) * 0.15);
}

ViewRect up_button(const TrackViewScroll& view) {
  return {view.width - text_left(view) + kSwitchSize, kFirstRowTop, kSwitchSize, kSwitchSize};
}

ViewRect down_button(const TrackViewScroll& view) {
  return {view.width - text_left(view) + kSwitchSize, kBandHeight + band_height(view) - 59,
          kSwitchSize, kSwitchSize};
}

ViewRect row_text_area(const TrackViewScroll& view, int row) {
  const int left = text_left(view);
  return {left, row_top(view, row), view.width - 2 * left, kRowPitch};
}

ViewRect row_switch(const TrackViewScroll& view, int row) {
  return {switch_left(view), row_top(view, row), kSwitchSize, kSwitchSize};
}

ViewRect row_mark(const TrackViewScroll& view, int row) {
  return {switch_left(view) - 45, row_top(view, row), 25, kRowPitch};
}

bool row_is_cut(const TrackViewScroll& view, int row) {
  if (view.alignment == RowAlignment::kTop) return row == view.visibleRows - 1;
  if (view.alignment == RowAlignment::kBottom) return row == 0;
  return false;
}

TrackHit hit_track_view(const TrackViewScroll& view, int x, int y) {
  TrackHit hit;
  if (view.trackCount == 0) return hit;
  const ViewRect clip = track_clip(view);
  if (clip.contains(x, y)) {
    for (int row = 0; row < view.visibleRows; ++row) {
      const int track = view.firstVisible + row;
      if (track >= view.trackCount) break;
      if (row_switch(view, row).contains(x, y)) return {HitKind::kSwitch, track, row};
      if (row_text_area(view, row).contains(x, y)) return {HitKind::kRow, track, row};
    }
  }
  if (view.up != ScrollButtonState::kHidden && up_button(view).contains(x, y)) {
    hit.kind = HitKind::kUpButton;
  } else if (view.down != ScrollButtonState::kHidden && down_button(view).contains(x, y)) {
    hit.kind = HitKind::kDownButton;
  }
  return hit;
}

bool scroll_rows(TrackViewScroll& view, int rows) {
  if (view.allFit() || view.trackCount == 0) return false;
  bool moved = false;
  for (; rows > 0; --rows) {
    if (view.firstVisible + view.visibleRows < view.trackCount) {
      ++view.firstVisible;
    } else if (view.alignment == RowAlignment::kTop) {
      view.alignment = RowAlignment::kBottom;  // the last track becomes whole
    } else {
      break;
    }
    moved = true;
  }
  for (; rows < 0; ++rows) {
    if (view.firstVisible > 0) {
      --view.firstVisible;
    } else if (view.alignment == RowAlignment::kBottom) {
      view.alignment = RowAlignment::kTop;  // the first track becomes whole
    } else {
      break;
    }
    moved = true;
  }
  view.scrolled = true;
  update_scroll_buttons(view);
  return moved;
}

bool wheel_track_view(TrackViewScroll& view, int angleDelta) {
  constexpr int kNotch = 120;
  if (angleDelta >= kNotch) return scroll_rows(view, -1);
  if (angleDelta <= -kNotch) return scroll_rows(view, 1);
  return false;
}

void show_track_whole(TrackViewScroll& view, int track) {
  view.scrolled = false;
  if (view.trackCount == 0 || view.allFit()) return;
  track = std::clamp(track, 0, view.trackCount - 1);
  const bool partial = view.alignment != RowAlignment::kWhole;
  const int firstWhole = view.firstVisible + (view.alignment == RowAlignment::kBottom ? 1 : 0);
  const int lastWhole = view.lastVisible() - (view.alignment == RowAlignment::kTop ? 1 : 0);
  if (track < firstWhole) {
    view.firstVisible = track;
    if (partial) view.alignment = RowAlignment::kTop;
  } else if (track > lastWhole) {
    view.firstVisible = track - view.visibleRows + 1;
    if (partial) view.alignment = RowAlignment::kBottom;
  }
  clamp_first(view);
  update_scroll_buttons(view);
}

void update_scroll_buttons(TrackViewScroll& view) {
  if (view.trackCount == 0 || view.allFit()) {
    view.up = view.down = ScrollButtonState::kHidden;
    return;
  }
  const bool atTop = view.firstVisible == 0 && view.alignment != RowAlignment::kBottom;
  const bool atEnd =
      view.lastVisible() >= view.trackCount - 1 && view.alignment != RowAlignment::kTop;
  view.up = atTop ? ScrollButtonState::kHidden : shown_state(view.up);
  view.down = atEnd ? ScrollButtonState::kHidden : shown_state(view.down);
}

}  // namespace tavrin::app
