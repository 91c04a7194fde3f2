// A drawn timecode field: the text on the window's dark background, 4 pixels from the left, in
// the heavy monospace face. A double click asks for the entry field laid over it. Its text and
// enabled state reach assistive tools through the accessible name and the widget's state.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tavrin::ui {

class TimecodeDisplay : public QWidget {
  Q_OBJECT
 public:
  // `textColour`: white for the first field, RGB(80, 240, 80) for the others.
  TimecodeDisplay(const QColor& textColour, QWidget* parent = nullptr);

  void setText(const QString& text);
  QString text() const { return text_; }
  QSize sizeHint() const override;

  static QColor background() { return {0, 40, 55}; }

 signals:
  void doubleClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QString text_;
  QColor textColour_;
};

}  // namespace tavrin::ui
