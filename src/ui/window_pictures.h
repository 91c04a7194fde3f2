// The pictures of the main window, drawn by the program: the numbered ON/OFF switch of each of
// the 24 tracks (three states each, 72 in all, sized for the screen), the two scroll buttons, the
// four large command buttons and the IN/OUT buttons in their normal, pressed and disabled states,
// and the program's own picture. Each is drawn with vectors at the device pixel ratio asked for, so
// it stays sharp at 200 %.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>

class QPainter;

namespace tavrin::ui {

enum class ButtonLook { kNormal, kPressed, kDisabled };

// 52 x 52 at `ratio`: the switch picture of track `track` (0-based) in state `value` (0 OFF,
// 1 ON, 2 no track), the same the export dialog shows. Cached per track, state and ratio.
QPixmap track_switch_picture(int track, int value, qreal ratio);

// 52 x 52 scroll button pictures.
QPixmap scroll_button_picture(bool up, bool pressed, qreal ratio);

enum class LargeButton { kLoad, kToggleLibrary, kWrap, kExport };
// 128 x 80.
void paint_large_button(QPainter& painter, const QRect& rect, LargeButton kind, ButtonLook look);

enum class SmallButton { kIn, kOut, kDuration };
// 104 x 36. The duration picture has one look only.
void paint_small_button(QPainter& painter, const QRect& rect, SmallButton kind, ButtonLook look);

// The program's picture (About box, window icon).
QPixmap program_picture(int size, qreal ratio);
QIcon program_icon();

}  // namespace tavrin::ui
