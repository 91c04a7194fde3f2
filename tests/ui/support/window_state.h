// Working sets made by hand for the window's tests: a loaded file of a given track count, and
// library entries that stand on tracks, without reading files.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>
#include <string>

#include "app/app_state.h"

namespace tavrin::test {

// Marks a file of `tracks` tracks as loaded: every existing track OFF, track 1 current and
// selected, 25 fps NDF from 10:00:00:00 for 1500 frames.
void fake_loaded_file(app::APP_STATE_INFO& app, uint32_t tracks, const std::string& path);

// Adds an entry to the library (and its display order) with the given name and channels.
WAV_LIBRARY_ENTRY& fake_library_entry(app::APP_STATE_INFO& app, const std::string& name,
                                      uint16_t channels);

// Puts `entry` on `track` (and on the next track for a two-channel file) with the switch given.
void fake_assign(app::APP_STATE_INFO& app, WAV_LIBRARY_ENTRY& entry, size_t track,
                 uint8_t trackSwitch);

// Whether some pixel of `image` inside `area` (logical pixels of a 1:1 image) is within
// `tolerance` of `colour` in each channel.
bool has_colour(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 6);

}  // namespace tavrin::test
