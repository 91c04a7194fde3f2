#include "ui/timecode_display.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

#include "ui/fonts.h"

namespace tavrin::ui {

namespace {

// The face of the IN/OUT/duration fields: "consolas" 40 high, weight 800.
QFont display_font() {
  QFont font = monospace_font(40, 800);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  return font;
}

}  // namespace

TimecodeDisplay::TimecodeDisplay(const QColor& textColour, QWidget* parent)
    : QWidget(parent), textColour_(textColour) {
  setFont(display_font());
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void TimecodeDisplay::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text);
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
  update();
}

QSize TimecodeDisplay::sizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.horizontalAdvance(QStringLiteral("00:00:00:00")) + 12, metrics.height() + 6};
}

void TimecodeDisplay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background());
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(isEnabled() ? textColour_ : textColour_.darker(160));
  painter.setFont(font());
  painter.drawText(rect().adjusted(4, 0, 0, 0),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(text_, Qt::ElideRight, width() - 4));
}

void TimecodeDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit doubleClicked();
  QWidget::mouseDoubleClickEvent(event);
}

}  // namespace tavrin::ui
