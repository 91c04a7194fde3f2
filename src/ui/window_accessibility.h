// What screen readers and UI-automation tools see of the window's drawn parts: the track view
// as a list with one item per track (its number, switch, file or note, selection and focus) and
// its scroll buttons, and the drawn labels as static texts with the text shown.
#pragma once

namespace tavrin::ui {

// Installs the accessibility factory of the window's own widgets (once per process).
void install_window_accessibility();

}  // namespace tavrin::ui
