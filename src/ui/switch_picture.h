// The 52 x 52 pictures of the track switches: one per track and switch value (OFF, ON, no such
// track), each carrying the track's number, drawn with QPainter. The track view of the main
// window and the track buttons of the export dialog show the same pictures.
#pragma once

#include <QPixmap>
#include <cstdint>

namespace tavrin::ui {

inline constexpr int kSwitchPictureSize = 52;

// The picture of track `track` (0-based) with switch value `value` (0 OFF, 1 ON, 2 no such
// track; any other value is drawn as no such track), `size` pixels square.
QPixmap switch_picture(int track, uint8_t value, int size = kSwitchPictureSize);

}  // namespace tavrin::ui
