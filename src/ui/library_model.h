// The WAV library list's model: one row per entry of the display order (libraryView), ten
// columns of the entry's pre-formatted texts. The model only reads; the window tells it when the
// library or its order changed.
#pragma once

#include <QAbstractTableModel>

#include "app/app_state.h"

namespace tavrin::ui {

class LibraryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit LibraryModel(const app::APP_STATE_INFO& app, QObject* parent = nullptr);

  static constexpr int kColumns = 10;
  static const char* header_text(int column);
  static int column_width(int column);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The entry shown at `row`, or null.
  const WAV_LIBRARY_ENTRY* entry(int row) const;
  // Entries were added, removed or reordered: the whole list is read again.
  void reload();
  // An entry's assigned flag changed: the rows are drawn again.
  void refresh_rows();

 private:
  const app::APP_STATE_INFO& app_;
  int rows_ = 0;
};

}  // namespace tavrin::ui
