#include "ui/dialog_placement.h"

#include <QWidget>

namespace tavrin::ui {

QPoint progress_dialog_origin(const QRect& ownerClient, QSize dialog) {
  return {ownerClient.x() + ownerClient.width() / 2 - dialog.width() / 2 + 5,
          ownerClient.y() + ownerClient.height() / 2 - dialog.height() / 2};
}

QPoint centred_origin(const QRect& owner, QSize dialog) {
  return {owner.x() + owner.width() / 2 - dialog.width() / 2,
          owner.y() + owner.height() / 2 - dialog.height() / 2};
}

namespace {

QRect client_rect_global(const QWidget* owner) {
  return {owner->mapToGlobal(QPoint(0, 0)), owner->size()};
}

}  // namespace

void place_progress_dialog(QWidget* dialog, const QWidget* owner) {
  if (owner == nullptr) return;
  dialog->move(progress_dialog_origin(client_rect_global(owner), dialog->size()));
}

void place_centred(QWidget* dialog, const QWidget* owner) {
  if (owner == nullptr) return;
  dialog->move(centred_origin(owner->frameGeometry(), dialog->size()));
}

}  // namespace tavrin::ui
