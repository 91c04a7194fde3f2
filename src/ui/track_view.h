// The track view: the canvas that fills the main window's client area. It draws the top and
// bottom bands behind the panel and the buttons, and in the middle band one row per track (switch
// picture, "L"/"R" mark, the assigned file's name or a note) with two scroll buttons while not
// all rows fit; without a file, the program's banner. Drawing goes to an off-screen pixmap; a
// redraw names the parts to draw again and a paint copies the exposed area.
//
// The view decides nothing about the working set: clicks, keys and double clicks leave as
// signals, and the window calls the model's operations and asks for a redraw.
#pragma once

#include <QPixmap>
#include <QWidget>

#include "app/app_state.h"
#include "app/track_view_geometry.h"

namespace tavrin::ui {

class TrackView : public QWidget {
  Q_OBJECT
 public:
  enum Part {
    kTopBand = 1,
    kTrackBand = 2,  // the band with everything on it
    kBottomBand = 4,
    kSwitches = 8,  // switches, marks and scroll buttons
    kRows = 16,
    kAll = 31,
  };

  TrackView(const app::APP_STATE_INFO& app, QWidget* parent = nullptr);

  // Lays the rows out again for the current size and track count (size changes, loading).
  void relayout();
  // Draws the named parts into the off-screen pixmap and repaints them.
  void redraw(int parts = kAll);
  // Scrolls so that the current track is whole (after a key moved it).
  void show_current();
  // One row up (-1) or down (+1), as the buttons and the wheel do.
  void scroll(int rows);

  const app::TrackViewScroll& scroll_state() const { return scroll_; }
  // The height of the view's area that the layout counts (the client less the status bar).
  int layout_height() const { return height(); }
  // The text a screen reader gives for track `track`'s row.
  QString row_description(int track) const;
  // Where the track's row and switch are drawn now (tests, accessibility); empty when not shown.
  QRect row_rect(int track) const;
  QRect switch_rect(int track) const;
  // The facts of a track as drawn (accessibility).
  int track_switch(int track) const;
  bool track_selected(int track) const;
  int current_track() const { return app_.currentTrack; }

 signals:
  void switchClicked(int track);
  void rowClicked(int track, Qt::KeyboardModifiers modifiers);
  void rowDoubleClicked(int track);
  void moveRequested(int delta);  // Up (-1) and Down (+1)
  void contextMenuRequested(const QPoint& globalPos);
  void backgroundClicked();  // a click that hit nothing (hides the library list)
  void scrolled();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ensure_canvas();
  void draw_bands(QPainter& painter, int parts);
  void draw_switches(QPainter& painter);
  void draw_rows(QPainter& painter);
  void draw_banner(QPainter& painter);
  void press(const QPoint& point, Qt::KeyboardModifiers modifiers);
  int track_count() const;
  QRect to_qrect(const app::ViewRect& rect) const;

  const app::APP_STATE_INFO& app_;
  app::TrackViewScroll scroll_;
  QPixmap canvas_;
  app::HitKind lastPress_ = app::HitKind::kNothing;
};

}  // namespace tavrin::ui
