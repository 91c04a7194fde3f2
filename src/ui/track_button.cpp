#include "ui/track_button.h"

#include <QAccessible>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "ui/switch_picture.h"

namespace tavrin::ui {

TrackButton::TrackButton(int slot, QWidget* parent) : QAbstractButton(parent), track_(slot) {
  setText(QStringLiteral("Button%1(&%1)").arg(slot + 1));
  setCheckable(true);
  setFocusPolicy(Qt::StrongFocus);
  showTrack(slot, 2);
}

void TrackButton::showTrack(int track, uint8_t mark) {
  track_ = track;
  mark_ = mark;
  setAccessibleName(QStringLiteral("Track-%1").arg(track + 1));
  // The check state follows the mark without emitting clicked(): the dialog owns the marks.
  const bool blocked = blockSignals(true);
  setChecked(mark == 1);
  blockSignals(blocked);
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
  update();
}

QSize TrackButton::sizeHint() const {
  return {kSwitchPictureSize, kSwitchPictureSize};
}

void TrackButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int side = std::min(width(), height());
  const QPoint origin((width() - side) / 2, (height() - side) / 2);
  const uint8_t shown = isEnabled() ? mark_ : uint8_t{2};
  painter.drawPixmap(origin, switch_picture(track_, shown == 1 ? 1 : (shown == 0 ? 0 : 2), side));
  if (isDown()) painter.fillRect(QRect(origin, QSize(side, side)), QColor(0, 0, 0, 60));
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = QRect(origin, QSize(side, side)).adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

}  // namespace tavrin::ui
