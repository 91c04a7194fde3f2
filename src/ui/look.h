// Colours and fonts of the main window. The window was designed around "メイリオ"/"Meiryo UI" and
// "consolas"; here Noto Sans CJK JP and DejaVu Sans Mono stand in for them. Sizes are given as
// the designed cell heights (ascent + descent) and turned into the pixel sizes that give the same
// cell with the stand-in fonts.
#pragma once

#include <QColor>
#include <QFont>

namespace tavrin::ui {

namespace colour {
inline const QColor kBackground{0, 40, 55};  // window, bands, label backgrounds
inline const QColor kTrackBand{9, 60, 81};   // the middle band
inline const QColor kStereoBand{0, 20, 30, 180};
inline const QColor kOffHalf{0, 90, 50, 180};  // right half of a row whose file is OFF
inline const QColor kNameOff{0, 130, 140};
inline const QColor kNote{180, 180, 180};
inline const QColor kMark{80, 240, 80};
inline const QColor kBanner{255, 105, 0};
inline const QColor kBannerTool{255, 225, 255};
inline const QColor kFileNameLine{0, 120, 255};
inline const QColor kPanelValue{80, 240, 80};
inline const QColor kCaption{195, 195, 195};
inline const QColor kInOutLabel{255, 0, 1};
inline const QColor kSelectedTrack{40, 140, 255, 70};  // fill of a selected track's row
inline const QColor kSelectedTrackEdge{90, 170, 255};
// Library list rows.
inline const QColor kListSelectedAssigned{90, 70, 150};
inline const QColor kListSelected{0, 70, 250};
inline const QColor kListAssigned{200, 110, 0};
}  // namespace colour

// "メイリオ" with a designed cell height and weight (400 normal, 600 semi-bold, 700 bold).
QFont meiryo_font(int cellHeight, int weight);
// "consolas" with a designed cell height and weight.
QFont consolas_font(int cellHeight, int weight);
// The owner-drawn labels add one pixel between letters.
QFont with_letter_spacing(QFont font);

}  // namespace tavrin::ui
