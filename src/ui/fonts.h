// The program's two type faces on this platform: Noto Sans CJK JP where the window's design names
// "メイリオ" or "Meiryo UI", and DejaVu Sans Mono where it names "consolas". Sizes are pixel
// heights, as the drawing code gives them.
#pragma once

#include <QFont>

namespace tavrin::ui {

inline constexpr const char* kJapaneseFamily = "Noto Sans CJK JP";
inline constexpr const char* kMonospaceFamily = "DejaVu Sans Mono";

// The Japanese face at `pixelHeight` and `weight` (CSS-like 100 ... 900).
QFont japanese_font(int pixelHeight, int weight = 400);
// The monospace face at `pixelHeight` and `weight`.
QFont monospace_font(int pixelHeight, int weight = 400);
// The face of the dialogs' ordinary controls ("Meiryo UI" 9 points).
QFont dialog_font();

}  // namespace tavrin::ui
