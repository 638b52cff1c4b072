#include "VokTestModels.h"

#include "QtText.h"

TestTableModel::TestTableModel(VokTable& table, const VokTest& test, Editing editing,
                               QObject* parent)
    : VokTableModel(table, parent), test_(test), editing_(editing) {}

Qt::ItemFlags TestTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const int row = TableRow(index);
  if (editing_ == Editing::AskedCellOnly && row <= test_.n &&
      test_.asked[static_cast<size_t>(row)] == index.column())
    f |= Qt::ItemIsEditable;
  return f;
}

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
