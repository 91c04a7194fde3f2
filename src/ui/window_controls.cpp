#include "ui/window_controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "app/command_table.h"
#include "ui/look.h"

namespace tavrin::ui {

namespace {

constexpr int kDeleteCommand = app::kCmdDelete;
constexpr int kSelectAllCommand = app::kCmdSelectAll;

}  // namespace

DrawnLabel::DrawnLabel(Style style, QWidget* parent) : QWidget(parent), style_(style) {
  switch (style_) {
    case Style::kFileName:
      setFont(with_letter_spacing(meiryo_font(32, 700)));
      break;
    case Style::kValue:
      setFont(with_letter_spacing(consolas_font(28, 600)));
      break;
    case Style::kGroupCaption:
      setFont(with_letter_spacing(consolas_font(18, 400)));
      break;
    case Style::kCaption:
      setFont(with_letter_spacing(meiryo_font(22, 400)));
      break;
    case Style::kInOut:
    case Style::kDuration:
      setFont(with_letter_spacing(consolas_font(40, 800)));
      break;
  }
  if (style_ != Style::kCaption) setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawnLabel::set_text(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text);
  update();
}

void DrawnLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QColor ink;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
  switch (style_) {
    case Style::kFileName:
      ink = colour::kFileNameLine;
      alignment = Qt::AlignCenter;
      break;
    case Style::kValue:
      ink = colour::kPanelValue;
      break;
    case Style::kGroupCaption:
      ink = Qt::white;
      break;
    case Style::kCaption:
      ink = colour::kCaption;
      alignment = Qt::AlignLeft | Qt::AlignTop;
      break;
    case Style::kInOut:
      ink = colour::kInOutLabel;
      break;
    case Style::kDuration:
      ink = Qt::white;
      break;
  }
  if (style_ != Style::kCaption) painter.fillRect(rect(), colour::kBackground);
  painter.setPen(ink);
  painter.setFont(font());
  const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, width());
  painter.drawText(rect(), int(alignment) | Qt::TextSingleLine, shown);
}

void DrawnLabel::mousePressEvent(QMouseEvent* event) {
  if (clickable_ && event->button() == Qt::LeftButton) {
    emit clicked();
    return;
  }
  QWidget::mousePressEvent(event);
}

PictureButton::PictureButton(LargeButton kind, QWidget* parent)
    : QAbstractButton(parent), large_(true), kind_(static_cast<int>(kind)) {
  setFocusPolicy(Qt::NoFocus);
  resize(128, 80);
}

PictureButton::PictureButton(SmallButton kind, QWidget* parent)
    : QAbstractButton(parent), large_(false), kind_(static_cast<int>(kind)) {
  setFocusPolicy(Qt::NoFocus);
  resize(104, 36);
}

QSize PictureButton::sizeHint() const {
  return large_ ? QSize(128, 80) : QSize(104, 36);
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour::kBackground);
  const ButtonLook look = !isEnabled() ? ButtonLook::kDisabled
                          : isDown()   ? ButtonLook::kPressed
                                       : ButtonLook::kNormal;
  if (large_) {
    paint_large_button(painter, rect(), static_cast<LargeButton>(kind_), look);
  } else {
    paint_small_button(painter, rect(), static_cast<SmallButton>(kind_), look);
  }
}

EntryField::EntryField(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(8);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), this));
  setFont(consolas_font(40, 800));
  setFrame(true);
  hide();
  setEnabled(false);
}

bool EntryField::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Delete and Ctrl+A are taken here (a line edit would delete one character or let the
    // shortcut run on the track view's selection); Enter and Esc belong to the field alone.
    if ((key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) ||
        key->matches(QKeySequence::SelectAll) || key->key() == Qt::Key_Return ||
        key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
      key->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void EntryField::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    emit entered();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    emit cancelled();
    return;
  }
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    emit commandKey(kDeleteCommand);
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    emit commandKey(kSelectAllCommand);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void EntryField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A message box of the field's own refusal takes the focus for a moment too; the window
  // decides what a loss means.
  emit focusLost();
}

}  // namespace tavrin::ui
