// The WAV library list: a table over LibraryModel with the row colours of the list (selected,
// assigned, neither), rows drawn single-line with an ellipsis and 10 pixels inset. The view takes
// the keys a table would use for itself (copy, select all, delete) away from the table: they are
// the window's commands and run only while enabled. Esc asks the window to hide the list.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

namespace tavrin::ui {

class LibraryModel;

class LibraryRowDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

class LibraryView : public QTableView {
  Q_OBJECT
 public:
  explicit LibraryView(LibraryModel* model, QWidget* parent = nullptr);

  // The rows selected now, in display order, and the row with the focus (-1 when none).
  std::vector<int> selected_rows() const;
  int focused_row() const;

 signals:
  void hideRequested();
  void rowDoubleClicked(int row);
  void headerClicked(int column);
  void contextMenuRequested(const QPoint& globalPos);
  void selectionFactsChanged();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
};

}  // namespace tavrin::ui
