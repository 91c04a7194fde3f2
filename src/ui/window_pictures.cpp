#include "ui/window_pictures.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/look.h"
#include "ui/switch_picture.h"

namespace tavrin::ui {

namespace {

QPixmap blank(int width, int height, qreal ratio) {
  QPixmap pixmap(QSize(qRound(width * ratio), qRound(height * ratio)));
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

quint64 cache_key(int kind, int a, int b, qreal ratio) {
  return (static_cast<quint64>(kind) << 48) | (static_cast<quint64>(a & 0xFF) << 40) |
         (static_cast<quint64>(b & 0xFF) << 32) | static_cast<quint64>(qRound(ratio * 100));
}

void draw_triangle(QPainter& painter, const QRectF& box, bool up) {
  QPainterPath path;
  if (up) {
    path.moveTo(box.center().x(), box.top());
    path.lineTo(box.right(), box.bottom());
    path.lineTo(box.left(), box.bottom());
  } else {
    path.moveTo(box.left(), box.top());
    path.lineTo(box.right(), box.top());
    path.lineTo(box.center().x(), box.bottom());
  }
  path.closeSubpath();
  painter.drawPath(path);
}

}  // namespace

QPixmap track_switch_picture(int track, int value, qreal ratio) {
  static QHash<quint64, QPixmap> cache;
  const quint64 key = cache_key(1, track, value, ratio);
  if (auto found = cache.constFind(key); found != cache.constEnd()) return *found;
  QPixmap pixmap =
      switch_picture(track, static_cast<uint8_t>(value), qRound(kSwitchPictureSize * ratio));
  pixmap.setDevicePixelRatio(ratio);
  cache.insert(key, pixmap);
  return pixmap;
}

QPixmap scroll_button_picture(bool up, bool pressed, qreal ratio) {
  static QHash<quint64, QPixmap> cache;
  const quint64 key = cache_key(2, up ? 1 : 0, pressed ? 1 : 0, ratio);
  if (auto found = cache.constFind(key); found != cache.constEnd()) return *found;
  QPixmap pixmap = blank(52, 52, ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal shift = pressed ? 1.5 : 0;
  const QRectF circle(6 + shift, 6 + shift, 40, 40);
  painter.setPen(QPen(QColor(150, 200, 230), 1.5));
  painter.setBrush(pressed ? QColor(0, 80, 140) : QColor(0, 110, 180));
  painter.drawEllipse(circle);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  draw_triangle(painter, QRectF(circle.center().x() - 10, circle.center().y() - 7, 20, 14), up);
  painter.end();
  cache.insert(key, pixmap);
  return pixmap;
}

namespace {

void paint_button_body(QPainter& painter, const QRectF& body, ButtonLook look, QColor top,
                       QColor bottom) {
  if (look == ButtonLook::kDisabled) {
    top = QColor(55, 65, 72);
    bottom = QColor(40, 48, 54);
  } else if (look == ButtonLook::kPressed) {
    std::swap(top, bottom);
  }
  QLinearGradient gradient(body.topLeft(), body.bottomLeft());
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter.setBrush(gradient);
  painter.setPen(
      QPen(look == ButtonLook::kDisabled ? QColor(80, 92, 100) : QColor(200, 225, 240), 1.2));
  painter.drawRoundedRect(body, 9, 9);
}

// A small glyph for each large button, drawn in the upper half.
void paint_glyph(QPainter& painter, const QRectF& box, LargeButton kind) {
  painter.setBrush(Qt::NoBrush);
  switch (kind) {
    case LargeButton::kLoad: {  // a film strip with an arrow into it
      painter.drawRect(box.adjusted(8, 2, -8, -2));
      for (int i = 0; i < 3; ++i) {
        const qreal y = box.top() + 5 + i * (box.height() - 10) / 2;
        painter.drawLine(QPointF(box.left() + 8, y), QPointF(box.left() + 12, y));
        painter.drawLine(QPointF(box.right() - 12, y), QPointF(box.right() - 8, y));
      }
      painter.drawLine(QPointF(box.center().x(), box.top() + 5),
                       QPointF(box.center().x(), box.bottom() - 5));
      painter.drawLine(QPointF(box.center().x() - 5, box.bottom() - 10),
                       QPointF(box.center().x(), box.bottom() - 5));
      painter.drawLine(QPointF(box.center().x() + 5, box.bottom() - 10),
                       QPointF(box.center().x(), box.bottom() - 5));
      break;
    }
    case LargeButton::kToggleLibrary:  // rows and a list side by side
      for (int i = 0; i < 3; ++i) {
        const qreal y = box.top() + 4 + i * 7;
        painter.drawRect(QRectF(box.left() + 4, y, 16, 5));
        painter.drawLine(QPointF(box.center().x() + 4, y + 2.5), QPointF(box.right() - 4, y + 2.5));
      }
      break;
    case LargeButton::kWrap: {  // a wave going into a bar
      QPainterPath wave;
      wave.moveTo(box.left() + 4, box.center().y());
      for (int i = 0; i < 4; ++i) {
        const qreal x = box.left() + 4 + i * 8;
        wave.quadTo(x + 2, box.top() + (i % 2 ? box.height() - 3 : 3), x + 8, box.center().y());
      }
      painter.drawPath(wave);
      painter.drawRect(QRectF(box.right() - 16, box.top() + 2, 12, box.height() - 4));
      break;
    }
    case LargeButton::kExport: {  // a bar with a wave coming out of it
      painter.drawRect(QRectF(box.left() + 4, box.top() + 2, 12, box.height() - 4));
      QPainterPath wave;
      wave.moveTo(box.left() + 20, box.center().y());
      for (int i = 0; i < 3; ++i) {
        const qreal x = box.left() + 20 + i * 8;
        wave.quadTo(x + 2, box.top() + (i % 2 ? box.height() - 3 : 3), x + 8, box.center().y());
      }
      painter.drawPath(wave);
      break;
    }
  }
}

}  // namespace

void paint_large_button(QPainter& painter, const QRect& rect, LargeButton kind, ButtonLook look) {
  static const char* const kTexts[] = {"MXFロード", "表示切替", "ラッピング", "WAV書出し"};
  static const QColor kTops[] = {{40, 140, 220}, {40, 150, 150}, {230, 110, 30}, {120, 90, 200}};
  static const QColor kBottoms[] = {{10, 70, 140}, {10, 85, 90}, {150, 55, 0}, {60, 40, 130}};
  const int index = static_cast<int>(kind);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body = QRectF(rect).adjusted(2.5, 2.5, -2.5, -2.5);
  paint_button_body(painter, body, look, kTops[index], kBottoms[index]);
  const QColor ink = look == ButtonLook::kDisabled ? QColor(110, 120, 128) : QColor(Qt::white);
  const qreal shift = look == ButtonLook::kPressed ? 1 : 0;
  painter.setPen(QPen(ink, 2));
  paint_glyph(painter, QRectF(body.center().x() - 22 + shift, body.top() + 8 + shift, 44, 24),
              kind);
  painter.setFont(meiryo_font(22, 700));
  painter.drawText(QRectF(body.left() + shift, body.top() + 38 + shift, body.width(), 30),
                   Qt::AlignCenter, QString::fromUtf8(kTexts[index]));
  painter.restore();
}

void paint_small_button(QPainter& painter, const QRect& rect, SmallButton kind, ButtonLook look) {
  static const char* const kTexts[] = {"IN", "OUT", "DUR"};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
  if (kind == SmallButton::kDuration) look = ButtonLook::kNormal;
  const QColor top = kind == SmallButton::kDuration ? QColor(90, 100, 110) : QColor(220, 50, 50);
  const QColor bottom = kind == SmallButton::kDuration ? QColor(50, 58, 66) : QColor(140, 10, 10);
  paint_button_body(painter, body, look, top, bottom);
  painter.setPen(look == ButtonLook::kDisabled ? QColor(110, 120, 128) : QColor(Qt::white));
  painter.setFont(consolas_font(24, 800));
  const qreal shift = look == ButtonLook::kPressed ? 1 : 0;
  painter.drawText(body.translated(shift, shift), Qt::AlignCenter,
                   QString::fromLatin1(kTexts[static_cast<int>(kind)]));
  painter.restore();
}

QPixmap program_picture(int size, qreal ratio) {
  QPixmap pixmap = blank(size, size, ratio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour::kBackground);
  painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
  // Audio bars over a film frame.
  painter.setBrush(colour::kBanner);
  const qreal bars[] = {0.35, 0.6, 0.85, 0.5, 0.7};
  for (int i = 0; i < 5; ++i) {
    const qreal h = s * 0.55 * bars[i];
    painter.drawRoundedRect(QRectF(s * (0.16 + i * 0.14), s * 0.72 - h, s * 0.09, h), s * 0.02,
                            s * 0.02);
  }
  painter.setBrush(colour::kPanelValue);
  painter.drawRect(QRectF(s * 0.12, s * 0.78, s * 0.76, s * 0.06));
  painter.end();
  return pixmap;
}

QIcon program_icon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(program_picture(size, 1.0));
  return icon;
}

}  // namespace tavrin::ui
