#include "VokTableModel.h"

#include <algorithm>

#include "QtText.h"

VokTableModel::VokTableModel(VokTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  table_.SetListener(this);
}

VokTableModel::~VokTableModel() { table_.SetListener(nullptr); }

int VokTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(table_.RowCount() - 1, 0);
}

int VokTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : VokTable::kColCount;
}

QVariant VokTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return ToQ(table_.Cell(index.column(), TableRow(index)));
  return {};
}

QVariant VokTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return ToQ(table_.Cell(section, 0));
  return {};  // rows carry no numbers: the row handle only serves to drag a row
}

bool VokTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
    return false;
  // A cell holds one line: line breaks pasted into the editor become spaces.
  QString text = value.toString();
  text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  const std::string cell = FromQ(text);
  if (cell == table_.Cell(index.column(), TableRow(index))) return true;
  table_.SetCell(index.column(), TableRow(index), cell);
  emit cellEdited(TableRow(index), index.column());
  return true;
}

// The lesson column is the grid's fixed column: shown, but never current, marked or edited.
Qt::ItemFlags VokTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.column() == 0) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_) f |= Qt::ItemIsEditable;
  return f;
}

// Table rows map to model rows one lower; the header row (table row 0) is the title header.
void VokTableModel::BeginInsertRows(int first, int last) {
  beginInsertRows({}, std::max(first - 1, 0), std::max(last - 1, 0));
}
void VokTableModel::EndInsertRows() { endInsertRows(); }

void VokTableModel::BeginRemoveRows(int first, int last) {
  beginRemoveRows({}, std::max(first - 1, 0), std::max(last - 1, 0));
}
void VokTableModel::EndRemoveRows() { endRemoveRows(); }

void VokTableModel::BeginMoveRow(int from, int to) {
  // Qt counts the destination before the move: moving down names the row after the target.
  const int dest = to > from ? to : to - 1;
  beginMoveRows({}, from - 1, from - 1, {}, dest);
}
void VokTableModel::EndMoveRow() { endMoveRows(); }

void VokTableModel::CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
  if (firstRow == 0) emit headerDataChanged(Qt::Horizontal, firstCol, lastCol);
  const int first = std::max(firstRow, 1) - 1;
  const int last = lastRow - 1;
  if (last >= first && last >= 0) emit dataChanged(index(first, firstCol), index(last, lastCol));
}

void VokTableModel::BeginReset() { beginResetModel(); }
void VokTableModel::EndReset() { endResetModel(); }
