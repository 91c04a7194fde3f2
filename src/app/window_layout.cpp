#include "app/window_layout.h"

namespace tavrin::app {

WindowLayout layout_main_window(int width, int height) {
  const int W = width;
  const int H = height;
  const int M = W / 2;
  WindowLayout layout;
  layout.library = {20, 180, W - 40, H - 360};
  constexpr std::array<int, 3> kInOutTops = {42, 80, 118};
  constexpr std::array<int, 3> kLabelTops = {44, 83, 120};
  for (size_t i = 0; i < 3; ++i) {
    layout.inOutButtons[i] = {M + 275, kInOutTops[i], 104, 36};
    layout.inOutLabels[i] = {M + 385, kLabelTops[i], 220, 28};
  }
  layout.entryFields[0] = {M + 385, 38, 220, 40};
  layout.entryFields[1] = {M + 385, 79, 220, 40};
  constexpr std::array<int, 4> kLargeLefts = {-352, -160, 32, 224};
  for (size_t i = 0; i < 4; ++i) layout.largeButtons[i] = {M + kLargeLefts[i], H - 117, 128, 80};
  layout.fileNameLine = {0, 8, W - 40, 22};
  layout.groupCaptions = {{{M - 600, 35, 170, 10}, {M - 240, 35, 170, 10}, {M + 20, 35, 170, 10}}};

  constexpr std::array<int, 4> kCaptionTops = {53, 79, 107, 134};
  constexpr std::array<int, 4> kValueTops = {48, 75, 102, 129};
  // Time code (panel positions 0 .. 3), audio (4 .. 7), video (8 .. 11).
  constexpr std::array<int, 4> kVideoWidths = {226, 236, 164, 180};
  // The audio column shows Tracks above Format, the reverse of the panel's order.
  constexpr std::array<size_t, 4> kAudioRows = {1, 0, 2, 3};
  for (size_t i = 0; i < 4; ++i) {
    layout.captions[i] = {M + 20, kCaptionTops[i], 170, 18};
    layout.values[i] = {M + 74, kValueTops[i], i == 0 ? 130 : 175, 27};
    layout.captions[4 + i] = {M - 240, kCaptionTops[kAudioRows[i]], 170, 18};
    layout.values[4 + i] = {M - 161, kValueTops[kAudioRows[i]], 140, 27};
    layout.captions[8 + i] = {M - 600, kCaptionTops[i], 170, 18};
    layout.values[8 + i] = {M - 520, kValueTops[i], kVideoWidths[i], 27};
  }
  layout.statusParts = {W / 2, 3 * W / 4};
  return layout;
}

}  // namespace tavrin::app
