#include "ui/switch_picture.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/fonts.h"

namespace tavrin::ui {

namespace {

struct SwitchLook {
  QColor face;
  QColor edge;
  QColor number;
  QColor lamp;
};

SwitchLook look_of(uint8_t value) {
  switch (value) {
    case 0:  // OFF
      return {QColor(38, 62, 74), QColor(96, 122, 134), QColor(170, 180, 185), QColor(20, 36, 44)};
    case 1:  // ON
      return {QColor(255, 105, 0), QColor(255, 180, 120), QColor(255, 255, 255),
              QColor(80, 240, 80)};
    default:  // no such track
      return {QColor(16, 28, 34), QColor(40, 54, 60), QColor(58, 72, 78), QColor(16, 28, 34)};
  }
}

}  // namespace

QPixmap switch_picture(int track, uint8_t value, int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  const SwitchLook look = look_of(value);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal inset = size / 13.0;
  const QRectF face(inset, inset, size - 2 * inset, size - 2 * inset);
  painter.setPen(QPen(look.edge, size / 26.0));
  painter.setBrush(look.face);
  painter.drawRoundedRect(face, size / 8.0, size / 8.0);

  // The lamp in the upper left corner: lit green while the track is ON.
  const qreal lamp = size / 7.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(look.lamp);
  painter.drawEllipse(QRectF(face.left() + lamp / 2, face.top() + lamp / 2, lamp, lamp));

  painter.setPen(look.number);
  painter.setFont(monospace_font(size * 2 / 5, 700));
  painter.drawText(face.adjusted(0, lamp / 2, 0, 0), Qt::AlignCenter, QString::number(track + 1));
  return picture;
}

}  // namespace tavrin::ui
