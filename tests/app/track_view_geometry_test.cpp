#include "app/track_view_geometry.h"

#include <gtest/gtest.h>

#include "app/window_layout.h"

namespace tavrin::app {
namespace {

// A client height whose band holds `whole` rows and `part` pixels of one more.
int height_for(int whole, int part) {
  return 340 + 52 * whole + part;
}

TEST(TrackViewLayout, NineAndAHalfRowsOfTwentyFourTracks) {
  TrackViewScroll view = layout_track_view(1280, height_for(9, 26), 24, 0);
  EXPECT_EQ(view.visibleRows, 10);
  EXPECT_EQ(view.firstVisible, 0);
  EXPECT_EQ(view.alignment, RowAlignment::kTop);
  EXPECT_EQ(view.up, ScrollButtonState::kHidden);
  EXPECT_EQ(view.down, ScrollButtonState::kNormal);
  EXPECT_TRUE(row_is_cut(view, 9));
  EXPECT_FALSE(row_is_cut(view, 0));
  EXPECT_EQ(row_text_area(view, 0).y, 173);
  EXPECT_EQ(row_text_area(view, 9).y, 173 + 52 * 9);
  // The tenth row reaches past the drawn part of the band.
  EXPECT_GT(row_text_area(view, 9).bottom(), track_clip(view).bottom());

  // To the end: 14 rows, then the flip that shows track 24 whole.
  int steps = 0;
  while (scroll_rows(view, 1)) ++steps;
  EXPECT_EQ(steps, 15);
  EXPECT_EQ(view.firstVisible, 14);
  EXPECT_EQ(view.lastVisible(), 23);
  EXPECT_EQ(view.alignment, RowAlignment::kBottom);
  EXPECT_TRUE(row_is_cut(view, 0));
  EXPECT_LE(row_text_area(view, 9).bottom(), track_band(view).bottom() - 7);
  EXPECT_LT(row_text_area(view, 0).y, track_clip(view).y);
  EXPECT_EQ(view.up, ScrollButtonState::kNormal);
  EXPECT_EQ(view.down, ScrollButtonState::kHidden);
  EXPECT_TRUE(view.scrolled);

  // And back: the same steps up end at the top, aligned to the top again.
  steps = 0;
  while (scroll_rows(view, -1)) ++steps;
  EXPECT_EQ(steps, 15);
  EXPECT_EQ(view.firstVisible, 0);
  EXPECT_EQ(view.alignment, RowAlignment::kTop);
  EXPECT_EQ(view.up, ScrollButtonState::kHidden);
}

TEST(TrackViewLayout, AllTracksFitWithoutButtons) {
  for (int tracks : {0, 1, 8, 12}) {
    const TrackViewScroll view = layout_track_view(1280, height_for(12, 30), tracks, 0);
    EXPECT_EQ(view.visibleRows, tracks);
    EXPECT_EQ(view.alignment, RowAlignment::kWhole);
    EXPECT_EQ(view.up, ScrollButtonState::kHidden);
    EXPECT_EQ(view.down, ScrollButtonState::kHidden);
    TrackViewScroll moved = view;
    EXPECT_FALSE(scroll_rows(moved, 1));
    EXPECT_FALSE(wheel_track_view(moved, -120));
    EXPECT_EQ(moved.firstVisible, 0);
  }
}

TEST(TrackViewLayout, WholeRowsOnlyScrollWithoutFlip) {
  TrackViewScroll view = layout_track_view(1280, height_for(8, 0), 24, 0);
  EXPECT_EQ(view.visibleRows, 8);
  EXPECT_EQ(view.alignment, RowAlignment::kWhole);
  while (scroll_rows(view, 1)) {
  }
  EXPECT_EQ(view.firstVisible, 16);
  EXPECT_EQ(view.alignment, RowAlignment::kWhole);
  EXPECT_EQ(view.down, ScrollButtonState::kHidden);
}

TEST(TrackViewLayout, FixedPartsFollowTheWidth) {
  const TrackViewScroll view = layout_track_view(1600, 900, 24, 0);
  EXPECT_EQ(text_left(view), 200);    // 800 x 0.25
  EXPECT_EQ(switch_left(view), 120);  // 800 x 0.15
  EXPECT_EQ(row_text_area(view, 0), (ViewRect{200, 173, 1200, 52}));
  EXPECT_EQ(row_switch(view, 1), (ViewRect{120, 225, 52, 52}));
  EXPECT_EQ(row_mark(view, 0), (ViewRect{75, 173, 25, 52}));
  EXPECT_EQ(up_button(view), (ViewRect{1452, 173, 52, 52}));
  EXPECT_EQ(down_button(view), (ViewRect{1452, 900 - 160 - 59, 52, 52}));
  EXPECT_EQ(track_band(view), (ViewRect{0, 160, 1600, 580}));
  // An odd width truncates W / 2 first: 1281 / 2 = 640, x 0.15 = 96.
  EXPECT_EQ(switch_left(layout_track_view(1281, 900, 1, 0)), 96);
}

TEST(TrackViewScrolling, WheelMovesOneRowPerMessage) {
  TrackViewScroll view = layout_track_view(1280, height_for(9, 26), 24, 0);
  EXPECT_FALSE(wheel_track_view(view, 60));   // less than a notch
  EXPECT_FALSE(wheel_track_view(view, 120));  // already at the top
  EXPECT_TRUE(wheel_track_view(view, -360));  // three notches, still one row
  EXPECT_EQ(view.firstVisible, 1);
  EXPECT_TRUE(wheel_track_view(view, 240));
  EXPECT_EQ(view.firstVisible, 0);
}

TEST(TrackViewScrolling, KeysFlipAtThePartRowThenScrollOneRow) {
  TrackViewScroll view = layout_track_view(1280, height_for(9, 26), 24, 0);
  show_track_whole(view, 8);  // whole already
  EXPECT_EQ(view.firstVisible, 0);
  EXPECT_EQ(view.alignment, RowAlignment::kTop);
  show_track_whole(view, 9);  // the cut row: flip only
  EXPECT_EQ(view.firstVisible, 0);
  EXPECT_EQ(view.alignment, RowAlignment::kBottom);
  show_track_whole(view, 10);  // one row further
  EXPECT_EQ(view.firstVisible, 1);
  EXPECT_EQ(view.alignment, RowAlignment::kBottom);
  show_track_whole(view, 2);  // whole in the bottom-aligned view
  EXPECT_EQ(view.firstVisible, 1);
  show_track_whole(view, 1);  // the cut first row: flip back
  EXPECT_EQ(view.firstVisible, 1);
  EXPECT_EQ(view.alignment, RowAlignment::kTop);
  // After scrolling away, a key first jumps back to the current track.
  scroll_rows(view, 10);
  EXPECT_TRUE(view.scrolled);
  show_track_whole(view, 1);
  EXPECT_FALSE(view.scrolled);
  EXPECT_EQ(view.firstVisible, 1);
  show_track_whole(view, 23);
  EXPECT_EQ(view.lastVisible(), 23);
  EXPECT_EQ(view.alignment, RowAlignment::kBottom);
  EXPECT_EQ(view.down, ScrollButtonState::kHidden);
}

TEST(TrackViewScrolling, LayoutKeepsTheCurrentTrackInView) {
  const TrackViewScroll view = layout_track_view(1280, height_for(9, 26), 24, 20);
  EXPECT_LE(view.firstVisible, 20);
  EXPECT_GE(view.lastVisible(), 20);
  EXPECT_EQ(view.lastVisible(), 20);
  EXPECT_EQ(view.alignment, RowAlignment::kBottom);
}

TEST(TrackViewHitTest, SwitchesRowsAndButtons) {
  TrackViewScroll view = layout_track_view(1280, height_for(9, 26), 24, 0);
  const ViewRect sw = row_switch(view, 2);
  TrackHit hit = hit_track_view(view, sw.x + 5, sw.y + 5);
  EXPECT_EQ(hit.kind, HitKind::kSwitch);
  EXPECT_EQ(hit.track, 2);
  const ViewRect text = row_text_area(view, 3);
  hit = hit_track_view(view, text.x + 100, text.y + 51);
  EXPECT_EQ(hit.kind, HitKind::kRow);
  EXPECT_EQ(hit.track, 3);
  hit = hit_track_view(view, text.x - 1, text.y + 10);  // between switch and text
  EXPECT_EQ(hit.kind, HitKind::kNothing);
  // The up button is hidden at the top: its place hits nothing.
  const ViewRect up = up_button(view);
  EXPECT_EQ(hit_track_view(view, up.x + 1, up.y + 1).kind, HitKind::kNothing);
  const ViewRect down = down_button(view);
  EXPECT_EQ(hit_track_view(view, down.x + 1, down.y + 1).kind, HitKind::kDownButton);
  scroll_rows(view, 3);
  EXPECT_EQ(hit_track_view(view, up.x + 1, up.y + 1).kind, HitKind::kUpButton);
  hit = hit_track_view(view, sw.x + 5, sw.y + 5);
  EXPECT_EQ(hit.track, 5);
  // Above the drawn part of the band nothing is hit, even where a row would be.
  EXPECT_EQ(hit_track_view(view, text.x + 1, 165).kind, HitKind::kNothing);
}

TEST(TrackViewHitTest, NothingWithoutTracks) {
  const TrackViewScroll view = layout_track_view(1280, 800, 0, 0);
  EXPECT_EQ(hit_track_view(view, 400, 200).kind, HitKind::kNothing);
}

TEST(MainWindowLayout, ControlsAroundTheMiddle) {
  const WindowLayout layout = layout_main_window(1280, 600);
  EXPECT_EQ(layout.library, (ViewRect{20, 180, 1240, 240}));
  EXPECT_EQ(layout.inOutButtons[1], (ViewRect{915, 80, 104, 36}));
  EXPECT_EQ(layout.inOutLabels[2], (ViewRect{1025, 120, 220, 28}));
  EXPECT_EQ(layout.entryFields[0], (ViewRect{1025, 38, 220, 40}));
  EXPECT_EQ(layout.largeButtons[0], (ViewRect{288, 483, 128, 80}));
  EXPECT_EQ(layout.largeButtons[3], (ViewRect{864, 483, 128, 80}));
  EXPECT_EQ(layout.values[0].width, 130);  // Rate
  EXPECT_EQ(layout.values[1].width, 175);  // Head
  EXPECT_EQ(layout.values[5].y, 48);       // Tracks above Format
  EXPECT_EQ(layout.values[4].y, 75);
  EXPECT_EQ(layout.values[8], (ViewRect{120, 48, 226, 27}));
  EXPECT_EQ(layout.statusParts[0], 640);
  EXPECT_EQ(layout.statusParts[1], 960);
  // Everything stays inside the minimum client.
  for (const ViewRect& rect : layout.values) EXPECT_LE(rect.right(), 1280);
  for (const ViewRect& rect : layout.inOutLabels) EXPECT_LE(rect.right(), 1280);
}

}  // namespace
}  // namespace tavrin::app
