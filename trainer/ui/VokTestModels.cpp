#include "VokTestModels.h"

#include <algorithm>

#include "QtText.h"

TestTableModel::TestTableModel(VokTable& table, const VokTest& test, Editing editing,
                               QObject* parent)
    : QAbstractTableModel(parent), table_(table), test_(test), editing_(editing) {
  table_.SetListener(this);
}

TestTableModel::~TestTableModel() { table_.SetListener(nullptr); }

int TestTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(table_.RowCount() - 1, 0);
}

int TestTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : VokTable::kColCount;
}

QVariant TestTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return ToQ(table_.Cell(index.column(), TableRow(index)));
  return {};
}

QVariant TestTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return ToQ(table_.Cell(section, 0));
  return section + 1;
}

bool TestTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
    return false;
  // A cell holds one line: line breaks pasted into the editor become spaces.
  QString text = value.toString();
  text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  std::string cell = FromQ(text);
  if (cell != table_.Cell(index.column(), TableRow(index)))
    table_.SetCell(index.column(), TableRow(index), std::move(cell));
  return true;
}

Qt::ItemFlags TestTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const int row = TableRow(index);
  if (editing_ == Editing::AskedCellOnly && row <= test_.n &&
      test_.asked[static_cast<size_t>(row)] == index.column())
    f |= Qt::ItemIsEditable;
  return f;
}

void TestTableModel::BeginInsertRows(int first, int last) {
  beginInsertRows({}, std::max(first - 1, 0), std::max(last - 1, 0));
}
void TestTableModel::EndInsertRows() { endInsertRows(); }

void TestTableModel::BeginRemoveRows(int first, int last) {
  beginRemoveRows({}, std::max(first - 1, 0), std::max(last - 1, 0));
}
void TestTableModel::EndRemoveRows() { endRemoveRows(); }

void TestTableModel::BeginMoveRow(int from, int to) {
  // Qt names the destination as it stands before the move.
  beginMoveRows({}, from - 1, from - 1, {}, to > from ? to : to - 1);
}
void TestTableModel::EndMoveRow() { endMoveRows(); }

void TestTableModel::CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
  if (firstRow == 0) emit headerDataChanged(Qt::Horizontal, firstCol, lastCol);
  const int first = std::max(firstRow, 1) - 1;
  const int last = lastRow - 1;
  if (last >= first && last >= 0) emit dataChanged(index(first, firstCol), index(last, lastCol));
}

void TestTableModel::BeginReset() { beginResetModel(); }
void TestTableModel::EndReset() { endResetModel(); }

MarkColumnModel::MarkColumnModel(const VokTest& test, QObject* parent)
    : QAbstractTableModel(parent), test_(test) {}

int MarkColumnModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : test_.n;
}

int MarkColumnModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant MarkColumnModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto row = static_cast<size_t>(index.row()) + 1;
  if (role == Qt::DisplayRole && row < test_.marks.size()) return ToQ(test_.marks[row]);
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return {};
}

QVariant MarkColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return test_.marks.empty() ? QString() : ToQ(test_.marks[0]);
  return section + 1;
}

Qt::ItemFlags MarkColumnModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void MarkColumnModel::MarksChanged() {
  emit headerDataChanged(Qt::Horizontal, 0, 0);
  if (test_.n > 0) emit dataChanged(index(0, 0), index(test_.n - 1, 0));
}
