#include "ui/look.h"

#include "ui/fonts.h"

#include <algorithm>
#include <cmath>

namespace tavrin::ui {

namespace {

// Ascent + descent of each stand-in font per pixel of its em: Noto Sans CJK JP 1.448
// (ascender 1.160, descender 0.288), DejaVu Sans Mono 1.164 (0.928 + 0.236).
constexpr double kNotoCell = 1.448;
constexpr double kDejaVuCell = 1.164;
// DejaVu Sans Mono advances 0.602 em per character, consolas 0.550: a narrower stretch keeps the
// designed widths of the timecode texts.
constexpr int kDejaVuStretch = 91;

QFont::Weight qt_weight(int weight) {
  return static_cast<QFont::Weight>(std::clamp(weight, 100, 900));
}

}  // namespace

QFont meiryo_font(int cellHeight, int weight) {
  return japanese_font(std::max(1, static_cast<int>(std::lround(cellHeight / kNotoCell))),
                       qt_weight(weight));
}

QFont consolas_font(int cellHeight, int weight) {
  QFont font = monospace_font(std::max(1, static_cast<int>(std::lround(cellHeight / kDejaVuCell))),
                              qt_weight(weight));
  font.setStretch(kDejaVuStretch);
  return font;
}

QFont with_letter_spacing(QFont font) {
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
  return font;
}

}  // namespace tavrin::ui
