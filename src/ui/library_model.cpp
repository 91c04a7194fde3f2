#include "ui/library_model.h"

#include <algorithm>
#include <array>

namespace tavrin::ui {

namespace {

struct Column {
  const char* header;
  int width;
};
constexpr std::array<Column, LibraryModel::kColumns> kColumnsTable = {{
    {"ファイル名", 310},
    {"Ch", 40},
    {"ビット", 50},
    {"サンプル", 60},
    {"開始TC +SF  *fract", 165},
    {"終了TC +SF  *fract", 165},
    {"長さ", 125},
    {"作成日", 140},
    {"更新日時", 140},
    {"サイズ", 100},
}};

}  // namespace

LibraryModel::LibraryModel(const app::APP_STATE_INFO& app, QObject* parent)
    : QAbstractTableModel(parent), app_(app) {
  rows_ = static_cast<int>(app_.libraryView.size());
}

const char* LibraryModel::header_text(int column) {
  return column >= 0 && column < kColumns ? kColumnsTable[static_cast<size_t>(column)].header : "";
}

int LibraryModel::column_width(int column) {
  return column >= 0 && column < kColumns ? kColumnsTable[static_cast<size_t>(column)].width : 0;
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int LibraryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

const WAV_LIBRARY_ENTRY* LibraryModel::entry(int row) const {
  if (row < 0 || row >= rows_ || static_cast<size_t>(row) >= app_.libraryView.size()) {
    return nullptr;
  }
  return app_.libraryView[static_cast<size_t>(row)];
}

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const WAV_LIBRARY_ENTRY* item = entry(index.row());
  if (item == nullptr || index.column() < 0 || index.column() >= kColumns) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return QString::fromStdString(item->texts[static_cast<size_t>(index.column())]);
    case Qt::ToolTipRole:
      return index.column() == 0 ? QString::fromStdString(item->file_path) : QVariant();
    case Qt::TextAlignmentRole: {
      const Qt::Alignment horizontal = index.column() == 0   ? Qt::AlignLeft
                                       : index.column() == 9 ? Qt::AlignRight
                                                             : Qt::AlignHCenter;
      return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    case Qt::UserRole:  // assigned to a track
      return item->assigned != 0;
    default:
      return {};
  }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return QString::fromUtf8(header_text(section));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
  return {};
}

void LibraryModel::reload() {
  beginResetModel();
  rows_ = static_cast<int>(app_.libraryView.size());
  endResetModel();
}

void LibraryModel::refresh_rows() {
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kColumns - 1));
}

}  // namespace tavrin::ui
