// The main window's own controls: labels drawn in the window's colours with one pixel between
// letters and an ellipsis, picture buttons in their normal, pressed and disabled looks, and the
// IN/OUT entry field. Each shows through accessibility what the operator sees.
#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>

#include "ui/window_pictures.h"

namespace tavrin::ui {

class DrawnLabel : public QWidget {
  Q_OBJECT
 public:
  enum class Style { kFileName, kValue, kGroupCaption, kCaption, kInOut, kDuration };
  DrawnLabel(Style style, QWidget* parent = nullptr);

  void set_text(const QString& text);
  QString text() const { return text_; }
  void set_clickable(bool clickable) { clickable_ = clickable; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  Style style_;
  QString text_;
  bool clickable_ = false;
};

class PictureButton : public QAbstractButton {
  Q_OBJECT
 public:
  // One of the large buttons, or (with `small`) the IN, OUT or duration button.
  PictureButton(LargeButton kind, QWidget* parent = nullptr);
  PictureButton(SmallButton kind, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool large_;
  int kind_;
};

// Digits only, at most 8 characters, right-aligned. Enter and Esc never reach the field: they
// are reported. Delete and Ctrl+A are the window's commands (empty the field, select its text)
// and are reported for the window to run while enabled.
class EntryField : public QLineEdit {
  Q_OBJECT
 public:
  explicit EntryField(QWidget* parent = nullptr);

 signals:
  void entered();
  void cancelled();
  void focusLost();
  void commandKey(int commandId);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace tavrin::ui
