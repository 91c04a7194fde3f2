// Where the main window's controls go for a client of W x H pixels (H without the status bar),
// recomputed on every size change. M is W / 2; the panel is laid out around it and the large
// buttons sit in the bottom band.
#pragma once

#include <array>

#include "app/track_view_geometry.h"

namespace tavrin::app {

struct WindowLayout {
  ViewRect library;                      // the WAV library list over the track view
  std::array<ViewRect, 3> inOutButtons;  // IN, OUT and the duration picture
  std::array<ViewRect, 3> inOutLabels;   // IN, OUT, duration
  std::array<ViewRect, 2> entryFields;   // IN and OUT entry fields, over their labels
  std::array<ViewRect, 4> largeButtons;  // load, track view / library, wrap, export
  ViewRect fileNameLine;
  std::array<ViewRect, 3> groupCaptions;  // "Video", "Audio", "Time code"
  // Captions and values in the panel's order: Rate, Head, Tail, Dur, Format, Tracks, Bit Rate,
  // Fs Rate, Codec, Bit Rate, FPS, Size.
  std::array<ViewRect, 12> captions;
  std::array<ViewRect, 12> values;
  std::array<int, 2> statusParts;  // right edges of the status bar's two parts
};

WindowLayout layout_main_window(int width, int height);

}  // namespace tavrin::app
