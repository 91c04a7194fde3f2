// The main window's placement between runs, kept with QSettings (organisation "MXF_Tavrin",
// group "Window", key "position": the 16 bytes of the normal rectangle).
#pragma once

class QWidget;

namespace tavrin::ui {

// Stores the normal (not maximised, not minimised) rectangle of the window.
void store_window_placement(const QWidget& window);
// Moves the window to the stored rectangle when it is usable, otherwise to the default
// placement; called once before the window is first shown.
void restore_window_placement(QWidget& window);

}  // namespace tavrin::ui
