// One of the eight drawn track buttons of the export dialog: the switch picture of the track it
// stands for on the current page, ON while the track is marked for export. The button's text
// keeps its mnemonic (Alt+1 ... Alt+8); the accessible name says which track it is.
#pragma once

#include <QAbstractButton>
#include <cstdint>

namespace tavrin::ui {

class TrackButton : public QAbstractButton {
  Q_OBJECT
 public:
  // `slot`: 0 ... 7, the position on the page.
  explicit TrackButton(int slot, QWidget* parent = nullptr);

  // Shows track `track` (0-based) with its export mark (0 off, 1 on, 2 no such track).
  void showTrack(int track, uint8_t mark);
  int track() const { return track_; }
  uint8_t mark() const { return mark_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int track_ = 0;
  uint8_t mark_ = 2;
};

}  // namespace tavrin::ui
