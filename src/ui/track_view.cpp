#include "ui/track_view.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>
#include <QWheelEvent>

#include "app/tooltips.h"
#include "ui/look.h"
#include "ui/window_pictures.h"

namespace tavrin::ui {

namespace {

const char* const kNoRewrite = "書換えは実行されません";
const char* const kSilence = "このトラックには無音が書込まれます。";
const char* const kNoTrack = "トラックがありません";

constexpr int kTooltipMs = 30000;

}  // namespace

TrackView::TrackView(const app::APP_STATE_INFO& app, QWidget* parent) : QWidget(parent), app_(app) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAccessibleName(QStringLiteral("トラック"));
}

int TrackView::track_count() const {
  return static_cast<int>(app_.existing_tracks());
}

QRect TrackView::to_qrect(const app::ViewRect& rect) const {
  return QRect(rect.x, rect.y, rect.width, rect.height);
}

void TrackView::relayout() {
  const int tracks = app_.mxfLoaded ? track_count() : 0;
  scroll_ = app::layout_track_view(width(), layout_height(), tracks, app_.currentTrack);
  redraw(kAll);
}

void TrackView::show_current() {
  app::show_track_whole(scroll_, app_.currentTrack);
  redraw(kSwitches | kRows);
}

void TrackView::scroll(int rows) {
  if (app::scroll_rows(scroll_, rows)) emit scrolled();
  redraw(kSwitches | kRows);
}

void TrackView::ensure_canvas() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (canvas_.size() != pixels || canvas_.devicePixelRatio() != ratio) {
    canvas_ = QPixmap(pixels.expandedTo(QSize(1, 1)));
    canvas_.setDevicePixelRatio(ratio);
    canvas_.fill(colour::kBackground);
  }
}

void TrackView::redraw(int parts) {
  ensure_canvas();
  {
    QPainter painter(&canvas_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw_bands(painter, parts);
  }
  if (parts & (kTopBand | kBottomBand)) {
    update();
  } else {
    update(to_qrect(app::track_band(scroll_)));
  }
}

void TrackView::draw_bands(QPainter& painter, int parts) {
  if (parts & kTopBand) painter.fillRect(to_qrect(app::top_band(scroll_)), colour::kBackground);
  if (parts & kBottomBand) {
    // Everything below the track band, also what a client taller than the layout leaves.
    const app::ViewRect bottom = app::bottom_band(scroll_);
    painter.fillRect(QRect(0, bottom.y, width(), height() - bottom.y), colour::kBackground);
  }
  const QRect band = to_qrect(app::track_band(scroll_));
  if (parts & kTrackBand) {
    painter.fillRect(band, colour::kTrackBand);
    parts |= kSwitches | kRows;
  }
  const QRect clip = to_qrect(app::track_clip(scroll_));
  if (parts & kSwitches) {
    // The switch column and the scroll buttons' column.
    const int textLeft = app::text_left(scroll_);
    painter.fillRect(QRect(0, band.top(), textLeft, band.height()), colour::kTrackBand);
    painter.fillRect(QRect(width() - textLeft, band.top(), textLeft, band.height()),
                     colour::kTrackBand);
    painter.save();
    painter.setClipRect(clip);
    draw_switches(painter);
    painter.restore();
    // The scroll buttons lie on the band's edges, outside the rows' clip.
    if (!scroll_.allFit() && scroll_.trackCount > 0) {
      const qreal ratio = devicePixelRatioF();
      if (scroll_.up != app::ScrollButtonState::kHidden) {
        painter.drawPixmap(
            to_qrect(app::up_button(scroll_)).topLeft(),
            scroll_button_picture(true, scroll_.up == app::ScrollButtonState::kPressed, ratio));
      }
      if (scroll_.down != app::ScrollButtonState::kHidden) {
        painter.drawPixmap(
            to_qrect(app::down_button(scroll_)).topLeft(),
            scroll_button_picture(false, scroll_.down == app::ScrollButtonState::kPressed, ratio));
      }
    }
  }
  if (parts & kRows) {
    const int textLeft = app::text_left(scroll_);
    painter.fillRect(QRect(textLeft, band.top(), width() - 2 * textLeft, band.height()),
                     colour::kTrackBand);
    painter.save();
    painter.setClipRect(clip);
    if (app_.mxfLoaded && scroll_.trackCount > 0) {
      draw_rows(painter);
    } else {
      painter.setClipping(false);
      draw_banner(painter);
    }
    painter.restore();
  }
}

void TrackView::draw_switches(QPainter& painter) {
  if (!app_.mxfLoaded) return;
  const qreal ratio = devicePixelRatioF();
  painter.setFont(meiryo_font(52, 600));
  for (int row = 0; row < scroll_.visibleRows; ++row) {
    const int track = scroll_.firstVisible + row;
    if (track >= scroll_.trackCount) break;
    const int value = app_.tracks.trackSwitch[static_cast<size_t>(track)];
    painter.drawPixmap(to_qrect(app::row_switch(scroll_, row)).topLeft(),
                       track_switch_picture(track, value, ratio));
    const WAV_LIBRARY_ENTRY* entry = app_.tracks.wavEntry[static_cast<size_t>(track)];
    if (entry != nullptr && entry->info.channels == 2) {
      painter.setPen(colour::kMark);
      painter.drawText(to_qrect(app::row_mark(scroll_, row)), Qt::AlignCenter,
                       track % 2 == 0 ? QStringLiteral("L") : QStringLiteral("R"));
    }
  }
}

void TrackView::draw_rows(QPainter& painter) {
  const QFont font = meiryo_font(52, 600);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  for (int row = 0; row < scroll_.visibleRows; ++row) {
    const int track = scroll_.firstVisible + row;
    if (track >= scroll_.trackCount) break;
    const size_t slot = static_cast<size_t>(track);
    const QRect area = to_qrect(app::row_text_area(scroll_, row));
    const WAV_LIBRARY_ENTRY* entry = app_.tracks.wavEntry[slot];
    const int value = app_.tracks.trackSwitch[slot];
    if (entry != nullptr && entry->info.channels == 2) painter.fillRect(area, colour::kStereoBand);
    if (app_.selectedTrack[slot]) {
      // Delete and Ctrl+G act on every selected track: the operator sees which.
      painter.fillRect(area.adjusted(1, 3, -1, -3), colour::kSelectedTrack);
    }
    if (entry != nullptr) {
      const bool off = value == kTrackOff;
      QRect nameArea = area.adjusted(12, 0, -12, 0);
      if (off) nameArea.setRight(area.center().x() - 8);
      painter.setPen(off ? colour::kNameOff : QColor(Qt::white));
      const QString name = QString::fromStdString(entry->file_name);
      painter.drawText(nameArea, Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(name, Qt::ElideRight, nameArea.width()));
      if (off) {
        const QRect half(area.center().x(), area.top(), area.right() - area.center().x() + 1,
                         area.height());
        painter.fillRect(half, colour::kOffHalf);
        painter.setPen(Qt::white);
        painter.drawText(
            half, Qt::AlignCenter,
            metrics.elidedText(QString::fromUtf8(kNoRewrite), Qt::ElideRight, half.width() - 8));
      }
    } else {
      const char* note = value == kTrackOff ? kNoRewrite : value == kTrackOn ? kSilence : kNoTrack;
      painter.setPen(colour::kNote);
      painter.drawText(
          area, Qt::AlignCenter,
          metrics.elidedText(QString::fromUtf8(note), Qt::ElideRight, area.width() - 16));
    }
    if (app_.selectedTrack[slot]) {
      painter.setPen(QPen(colour::kSelectedTrackEdge, 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(area).adjusted(2, 4, -2, -4));
    }
    if (track == app_.currentTrack) {
      QPen focus(QColor(255, 255, 255, 220), 1, Qt::DotLine);
      painter.setPen(focus);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));
    }
  }
}

void TrackView::draw_banner(QPainter& painter) {
  const QRect band = to_qrect(app::track_band(scroll_));
  const QFont title = meiryo_font(70, 700);
  const QFont tool = consolas_font(20, 400);
  const QFontMetrics titleMetrics(title);
  const QFontMetrics toolMetrics(tool);
  const int middle = band.top() + band.height() / 2 - 20;
  const QRect titleRect(band.left(), middle - titleMetrics.height() / 2, band.width(),
                        titleMetrics.height());
  painter.setFont(title);
  painter.setPen(colour::kBanner);
  painter.drawText(titleRect, Qt::AlignCenter, QStringLiteral("MXF Tavrin"));
  painter.setFont(tool);
  painter.setPen(colour::kBannerTool);
  painter.drawText(QRect(band.left(), titleRect.bottom() + 2, band.width(), toolMetrics.height()),
                   Qt::AlignCenter, QStringLiteral("MXF Relunar Tool"));
}

void TrackView::paintEvent(QPaintEvent* event) {
  ensure_canvas();
  QPainter painter(this);
  const QRect area = event->rect();
  const qreal ratio = canvas_.devicePixelRatio();
  painter.drawPixmap(
      area, canvas_,
      QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
}

void TrackView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A resize event that does not change the size (a first show) keeps the scroll position.
  if (event->size() == QSize(scroll_.width, scroll_.height) && !canvas_.isNull()) {
    redraw(kAll);
    return;
  }
  relayout();
}

void TrackView::press(const QPoint& point, Qt::KeyboardModifiers modifiers) {
  const app::TrackHit hit = app::hit_track_view(scroll_, point.x(), point.y());
  lastPress_ = hit.kind;
  switch (hit.kind) {
    case app::HitKind::kSwitch:
      emit switchClicked(hit.track);
      break;
    case app::HitKind::kRow:
      if (app::row_is_cut(scroll_, hit.row)) app::show_track_whole(scroll_, hit.track);
      emit rowClicked(hit.track, modifiers);
      break;
    case app::HitKind::kUpButton:
      scroll_.up = app::ScrollButtonState::kPressed;
      scroll(-1);
      break;
    case app::HitKind::kDownButton:
      scroll_.down = app::ScrollButtonState::kPressed;
      scroll(1);
      break;
    case app::HitKind::kNothing:
      emit backgroundClicked();
      break;
  }
}

void TrackView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  press(event->position().toPoint(), event->modifiers());
}

void TrackView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  bool changed = false;
  if (scroll_.up == app::ScrollButtonState::kPressed) {
    scroll_.up = app::ScrollButtonState::kNormal;
    changed = true;
  }
  if (scroll_.down == app::ScrollButtonState::kPressed) {
    scroll_.down = app::ScrollButtonState::kNormal;
    changed = true;
  }
  if (changed) redraw(kSwitches);
}

void TrackView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  const QPoint point = event->position().toPoint();
  const app::TrackHit hit = app::hit_track_view(scroll_, point.x(), point.y());
  // Only a second click on a row is a double click; on a switch or a scroll button quick
  // clicks each count once.
  if (hit.kind == app::HitKind::kRow && lastPress_ == app::HitKind::kRow) {
    lastPress_ = app::HitKind::kNothing;
    emit rowDoubleClicked(hit.track);
    return;
  }
  press(point, event->modifiers());
}

void TrackView::wheelEvent(QWheelEvent* event) {
  if (scroll_.trackCount == 0) return QWidget::wheelEvent(event);
  if (app::wheel_track_view(scroll_, event->angleDelta().y())) emit scrolled();
  redraw(kSwitches | kRows);
  event->accept();
}

void TrackView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Up) return emit moveRequested(-1);
    if (event->key() == Qt::Key_Down) return emit moveRequested(1);
  }
  QWidget::keyPressEvent(event);
}

void TrackView::contextMenuEvent(QContextMenuEvent* event) {
  emit contextMenuRequested(event->globalPos());
}

bool TrackView::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const app::TrackHit hit = app::hit_track_view(scroll_, help->pos().x(), help->pos().y());
    if (hit.kind == app::HitKind::kRow || hit.kind == app::HitKind::kSwitch) {
      QToolTip::showText(help->globalPos(),
                         QString::fromStdString(app::track_tooltip_text(app_, hit.track)), this,
                         row_rect(hit.track), kTooltipMs);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

QRect TrackView::row_rect(int track) const {
  const int row = track - scroll_.firstVisible;
  if (row < 0 || row >= scroll_.visibleRows || track >= scroll_.trackCount) return {};
  return to_qrect(app::row_text_area(scroll_, row));
}

QRect TrackView::switch_rect(int track) const {
  const int row = track - scroll_.firstVisible;
  if (row < 0 || row >= scroll_.visibleRows || track >= scroll_.trackCount) return {};
  return to_qrect(app::row_switch(scroll_, row));
}

QString TrackView::row_description(int track) const {
  if (track < 0 || track >= track_count()) return {};
  const size_t slot = static_cast<size_t>(track);
  const int value = app_.tracks.trackSwitch[slot];
  QString text = QStringLiteral("Track-%1 %2").arg(track + 1).arg(value == kTrackOn ? "ON" : "OFF");
  const WAV_LIBRARY_ENTRY* entry = app_.tracks.wavEntry[slot];
  if (entry != nullptr) {
    text += QStringLiteral(" ") + QString::fromStdString(entry->file_name);
    if (entry->info.channels == 2)
      text += track % 2 == 0 ? QStringLiteral(" L") : QStringLiteral(" R");
    if (value == kTrackOff) text += QStringLiteral(" ") + QString::fromUtf8(kNoRewrite);
  } else {
    text += QStringLiteral(" ") + QString::fromUtf8(value == kTrackOff  ? kNoRewrite
                                                    : value == kTrackOn ? kSilence
                                                                        : kNoTrack);
  }
  return text;
}

}  // namespace tavrin::ui

namespace tavrin::ui {

int TrackView::track_switch(int track) const {
  if (track < 0 || static_cast<size_t>(track) >= kTrackSlots) return kTrackAbsent;
  return app_.tracks.trackSwitch[static_cast<size_t>(track)];
}

bool TrackView::track_selected(int track) const {
  if (track < 0 || static_cast<size_t>(track) >= kTrackSlots) return false;
  return app_.selectedTrack[static_cast<size_t>(track)] != 0;
}

}  // namespace tavrin::ui
