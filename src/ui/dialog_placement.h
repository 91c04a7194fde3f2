// Where the dialogs open: the progress dialogs centred on the owner's client area and 5 pixels
// to the right, the export and settings dialogs centred over their owner.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tavrin::ui {

// Top-left corner of a progress dialog of `dialog` size over the owner's client area (global
// coordinates): x = width / 2 - dialog width / 2 + 5, y = height / 2 - dialog height / 2, in
// integer halves.
QPoint progress_dialog_origin(const QRect& ownerClient, QSize dialog);
// Top-left corner of a dialog that shares its owner's centre point.
QPoint centred_origin(const QRect& owner, QSize dialog);

// Moves `dialog` to its place over `owner`; nothing happens without an owner.
void place_progress_dialog(QWidget* dialog, const QWidget* owner);
void place_centred(QWidget* dialog, const QWidget* owner);

}  // namespace tavrin::ui
