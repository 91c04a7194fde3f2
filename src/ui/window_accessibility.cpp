#include "ui/window_accessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

#include "ui/track_view.h"
#include "ui/window_controls.h"

namespace tavrin::ui {

namespace {

// A row of the track view (index < trackCount) or one of the two scroll buttons.
class TrackItemAccessible final : public QAccessibleInterface {
 public:
  enum Kind { kRow, kUpButton, kDownButton };
  TrackItemAccessible(TrackView* view, QAccessibleInterface* parent, Kind kind, int track)
      : view_(view), parent_(parent), kind_(kind), track_(track) {}

  bool isValid() const override { return !view_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent_->window(); }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return parent_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    if (view_.isNull() || (t != QAccessible::Name && t != QAccessible::Description)) return {};
    switch (kind_) {
      case kRow:
        return view_->row_description(track_);
      case kUpButton:
        return QStringLiteral("上へスクロール");
      case kDownButton:
        return QStringLiteral("下へスクロール");
    }
    return {};
  }

  QRect rect() const override {
    if (view_.isNull()) return {};
    QRect local;
    if (kind_ == kRow) {
      local = view_->row_rect(track_).united(view_->switch_rect(track_));
      if (view_->row_rect(track_).isEmpty()) local = QRect();
    } else {
      const app::TrackViewScroll& scroll = view_->scroll_state();
      const app::ViewRect r =
          kind_ == kUpButton ? app::up_button(scroll) : app::down_button(scroll);
      local = QRect(r.x, r.y, r.width, r.height);
    }
    if (local.isEmpty()) return {};
    return QRect(view_->mapToGlobal(local.topLeft()), local.size());
  }

  QAccessible::Role role() const override {
    return kind_ == kRow ? QAccessible::ListItem : QAccessible::Button;
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (view_.isNull()) {
      state.invalid = true;
      return state;
    }
    if (kind_ != kRow) {
      const app::TrackViewScroll& scroll = view_->scroll_state();
      const app::ScrollButtonState button = kind_ == kUpButton ? scroll.up : scroll.down;
      state.invisible = button == app::ScrollButtonState::kHidden;
      state.pressed = button == app::ScrollButtonState::kPressed;
      return state;
    }
    state.checkable = true;
    state.checked = view_->track_switch(track_) == 1;
    state.selectable = true;
    state.selected = view_->track_selected(track_);
    state.focusable = true;
    state.focused = view_->hasFocus() && view_->current_track() == track_;
    state.invisible = view_->row_rect(track_).isEmpty();
    state.offscreen = state.invisible;
    return state;
  }

 private:
  QPointer<TrackView> view_;
  QAccessibleInterface* parent_;
  Kind kind_;
  int track_;
};

// The track view: a list whose items are its rows and its scroll buttons.
class TrackViewAccessible final : public QAccessibleWidget {
 public:
  explicit TrackViewAccessible(TrackView* view) : QAccessibleWidget(view, QAccessible::List) {}
  ~TrackViewAccessible() override {
    for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return track_count() + 2; }

  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    ensure_children(index + 1);
    return QAccessible::accessibleInterface(ids_[static_cast<size_t>(index)]);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    for (size_t i = 0; i < ids_.size(); ++i) {
      if (QAccessible::accessibleInterface(ids_[i]) == child) return static_cast<int>(i);
    }
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    for (int i = 0; i < childCount(); ++i) {
      QAccessibleInterface* item = child(i);
      if (item != nullptr && item->rect().contains(x, y)) return item;
    }
    return nullptr;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return widget()->accessibleName();
    return QAccessibleWidget::text(t);
  }

 private:
  TrackView* view() const { return static_cast<TrackView*>(widget()); }
  int track_count() const { return view()->scroll_state().trackCount; }

  // Items are made once per position: rows first (their count follows the file), then the two
  // buttons; a position keeps its meaning as long as the track count stays.
  void ensure_children(int count) const {
    if (static_cast<int>(ids_.size()) != childCount() || rowsFor_ != track_count()) {
      for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
      ids_.clear();
      rowsFor_ = track_count();
    }
    auto* self = const_cast<TrackViewAccessible*>(this);
    while (static_cast<int>(ids_.size()) < std::max(count, childCount())) {
      const int index = static_cast<int>(ids_.size());
      const int rows = track_count();
      const auto kind = index < rows    ? TrackItemAccessible::kRow
                        : index == rows ? TrackItemAccessible::kUpButton
                                        : TrackItemAccessible::kDownButton;
      ids_.push_back(QAccessible::registerAccessibleInterface(
          new TrackItemAccessible(view(), self, kind, index)));
    }
  }

  mutable std::vector<QAccessible::Id> ids_;
  mutable int rowsFor_ = -1;
};

// A drawn label reads as static text with what it shows.
class DrawnLabelAccessible final : public QAccessibleWidget {
 public:
  explicit DrawnLabelAccessible(DrawnLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    auto* label = static_cast<DrawnLabel*>(widget());
    if (t == QAccessible::Name) return label->text();
    if (t == QAccessible::Description) return label->accessibleDescription();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* window_factory(const QString& className, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  if (className == QLatin1String("tavrin::ui::TrackView")) {
    return new TrackViewAccessible(static_cast<TrackView*>(object));
  }
  if (className == QLatin1String("tavrin::ui::DrawnLabel")) {
    return new DrawnLabelAccessible(static_cast<DrawnLabel*>(object));
  }
  return nullptr;
}

}  // namespace

void install_window_accessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(window_factory);
    return true;
  }();
  (void)installed;
}

}  // namespace tavrin::ui
