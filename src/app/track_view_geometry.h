// Geometry and scrolling of the track view, the middle band of the main window: one 52-pixel row
// per audio track from y 173, a numbered switch picture on the left of each row, the "L"/"R" mark
// beside it, the row's text area, and two scroll buttons on the right while not all rows fit.
// When the band holds a whole number of rows plus a part of one, the rows are either aligned to
// the top (the last visible row is cut) or to the bottom (the first one is cut); scrolling past
// either end flips between the two. Pure arithmetic over plain records, without a window.
#pragma once

#include <cstdint>
#include <optional>

namespace tavrin::app {

inline constexpr int kBandHeight = 160;     // top band (information panel) and bottom band
inline constexpr int kRowPitch = 52;        // row pitch and row height
inline constexpr int kFirstRowTop = 173;    // top of the first row when aligned to the top
inline constexpr int kSwitchSize = 52;      // switch pictures and scroll buttons
inline constexpr int kTrackClipInset = 10;  // rows are drawn inside the band less this

struct ViewRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
  int bottom() const { return y + height; }
  int right() const { return x + width; }
  bool operator==(const ViewRect&) const = default;
};

enum class RowAlignment {
  kWhole,   // every visible row is whole (all tracks fit, or the band holds whole rows only)
  kTop,     // rows start at the top; the last visible row is cut
  kBottom,  // rows end at the bottom; the first visible row is cut
};

enum class ScrollButtonState { kNormal, kPressed, kHidden };

// The scroll state of the view and the facts it was laid out for.
struct TrackViewScroll {
  int width = 0;   // client width W
  int height = 0;  // client height less the status bar, H
  int trackCount = 0;
  int firstVisible = 0;  // the track in row 0
  int visibleRows = 0;   // rows shown, a cut row included
  int remainder = 0;     // pixels of the part row (0 .. 51); 0 when all rows fit
  RowAlignment alignment = RowAlignment::kWhole;
  ScrollButtonState up = ScrollButtonState::kHidden;
  ScrollButtonState down = ScrollButtonState::kHidden;
  bool scrolled = false;  // set by the buttons and the wheel, cleared when a key re-anchors

  int lastVisible() const { return firstVisible + visibleRows - 1; }
  bool allFit() const { return visibleRows >= trackCount && alignment == RowAlignment::kWhole; }
};

// Lays the view out for a client of `width` x `height` (status bar excluded) with `trackCount`
// rows: scrolled to the top, then down as far as needed to show `currentTrack` whole.
TrackViewScroll layout_track_view(int width, int height, int trackCount, int currentTrack);

// The fixed parts of the geometry.
ViewRect track_band(const TrackViewScroll& view);   // y 160 to H - 160
ViewRect track_clip(const TrackViewScroll& view);   // the band less 10 at top and bottom
ViewRect top_band(const TrackViewScroll& view);     // y 0 to 160
ViewRect bottom_band(const TrackViewScroll& view);  // the 160 pixels below the track band
int text_left(const TrackViewScroll& view);         // W/2 x 0.25, truncated
int switch_left(const TrackViewScroll& view);       // W/2 x 0.15, truncated
ViewRect up_button(const TrackViewScroll& view);
ViewRect down_button(const TrackViewScroll& view);

// The rectangles of visible row `row` (0 = first visible): the row's text area, its switch
// picture and its mark area; they move with the alignment.
ViewRect row_text_area(const TrackViewScroll& view, int row);
ViewRect row_switch(const TrackViewScroll& view, int row);
ViewRect row_mark(const TrackViewScroll& view, int row);
// Whether visible row `row` is cut by the band's edge.
bool row_is_cut(const TrackViewScroll& view, int row);

enum class HitKind { kNothing, kSwitch, kRow, kUpButton, kDownButton };
struct TrackHit {
  HitKind kind = HitKind::kNothing;
  int track = -1;  // the track of a switch or row
  int row = -1;    // its visible row
};
// What lies at (x, y): a switch, a row's text area (inside the band's drawn part) or a shown
// scroll button.
TrackHit hit_track_view(const TrackViewScroll& view, int x, int y);

// One row up or down (buttons, wheel): at the end of the tracks the alignment flips to show the
// cut row whole. Returns whether anything moved. Sets the scrolled flag.
bool scroll_rows(TrackViewScroll& view, int rows);
// The wheel: one row per message whatever its number of notches; less than a notch does nothing.
bool wheel_track_view(TrackViewScroll& view, int angleDelta);
// Makes `track` visible and whole with the least movement (keys, clicks on a cut row); clears the
// scrolled flag.
void show_track_whole(TrackViewScroll& view, int track);
// The scroll buttons' states after a change: hidden at the end they would scroll towards, and
// whenever all rows fit.
void update_scroll_buttons(TrackViewScroll& view);

}  // namespace tavrin::app
