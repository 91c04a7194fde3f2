#include "ui/library_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

#include "ui/library_model.h"
#include "ui/look.h"

namespace tavrin::ui {

namespace {

// Keys that a table or its base classes would act on by themselves; here each is one of the
// window's commands.
bool is_command_key(const QKeyEvent* event) {
  return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll) ||
         (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier);
}

}  // namespace

void LibraryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  const bool assigned = index.data(Qt::UserRole).toBool();
  QColor text = Qt::black;
  if (selected) {
    painter->fillRect(option.rect,
                      assigned ? colour::kListSelectedAssigned : colour::kListSelected);
    text = Qt::white;
  } else if (assigned) {
    painter->fillRect(option.rect, colour::kListAssigned);
    text = Qt::white;
  }
  const QRect area = option.rect.adjusted(10, 0, -10, 0);
  const QString value = index.data(Qt::DisplayRole).toString();
  const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
  painter->save();
  painter->setFont(option.font);
  painter->setPen(text);
  painter->drawText(area, int(alignment) | Qt::TextSingleLine,
                    option.fontMetrics.elidedText(value, Qt::ElideRight, area.width()));
  painter->restore();
  // The focused row gets a focus rectangle one pixel short at the bottom.
  if ((option.state & QStyle::State_HasFocus) && index.column() == 0) {
    const QAbstractItemView* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view != nullptr) {
      const QRect row(0, option.rect.top(), view->viewport()->width(), option.rect.height() - 1);
      painter->save();
      painter->setPen(QPen(selected ? QColor(Qt::white) : QColor(Qt::black), 1, Qt::DotLine));
      painter->drawRect(row.adjusted(0, 0, -1, -1));
      painter->restore();
    }
  }
}

LibraryView::LibraryView(LibraryModel* model, QWidget* parent) : QTableView(parent) {
  setModel(model);
  setItemDelegate(new LibraryRowDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsMovable(true);  // header drag and drop
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSortIndicatorShown(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  for (int column = 0; column < LibraryModel::kColumns; ++column) {
    setColumnWidth(column, LibraryModel::column_width(column));
  }
  setFont(meiryo_font(17, 400));
  verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 8);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);
  setAccessibleName(QStringLiteral("WAVファイルライブラリ"));
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &LibraryView::headerClicked);
}

std::vector<int> LibraryView::selected_rows() const {
  std::vector<int> rows;
  if (selectionModel() == nullptr) return rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int LibraryView::focused_row() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

bool LibraryView::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // Leave these keys to the window's shortcuts: a table would take copy and select-all.
    auto* key = static_cast<QKeyEvent*>(event);
    if (is_command_key(key)) return QWidget::event(event);
  }
  return QTableView::event(event);
}

void LibraryView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    emit hideRequested();
    return;
  }
  // A command key reaches the list only when its command is disabled (an enabled one was taken
  // by its shortcut first): it does nothing here.
  if (is_command_key(event)) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void LibraryView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && index.isValid()) emit rowDoubleClicked(index.row());
}

void LibraryView::contextMenuEvent(QContextMenuEvent* event) {
  emit contextMenuRequested(event->globalPos());
}

void LibraryView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  viewport()->update();
  emit selectionFactsChanged();
}

void LibraryView::selectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
  QTableView::selectionChanged(selected, deselected);
  emit selectionFactsChanged();
}

}  // namespace tavrin::ui
