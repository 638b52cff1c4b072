#include "VokTable.h"

#include <algorithm>

namespace {
const std::string kEmpty;
const VokRow kEmptyRow;
}  // namespace

VokTable::VokTable() : rows_(2) {}

void VokTable::SetRowCount(int count) {
  count = std::max(count, 0);
  const int old = RowCount();
  if (count > old) {
    InsertEmptyRows(old, count - old);
  } else if (count < old) {
    RemoveRows(count, old - count);
  }
}

const std::string& VokTable::Cell(int col, int row) const {
  if (!ValidRow(row) || col < 0 || col >= kColCount) return kEmpty;
  return rows_[row][col];
}

void VokTable::SetCell(int col, int row, std::string text) {
  if (!ValidRow(row) || col < 0 || col >= kColCount) return;
  rows_[row][col] = std::move(text);
  NotifyCellsChanged(row, row, col, col);
}

const VokRow& VokTable::Row(int row) const { return ValidRow(row) ? rows_[row] : kEmptyRow; }

void VokTable::SetRow(int row, VokRow cells) {
  if (!ValidRow(row)) return;
  rows_[row] = std::move(cells);
  NotifyCellsChanged(row, row);
}

void VokTable::InsertEmptyRows(int at, int count) {
  if (count <= 0) return;
  at = std::clamp(at, 0, RowCount());
  if (listener_) listener_->BeginInsertRows(at, at + count - 1);
  rows_.insert(rows_.begin() + at, static_cast<size_t>(count), VokRow{});
  if (listener_) listener_->EndInsertRows();
}

void VokTable::RemoveRows(int at, int count) {
  if (at < 0 || at >= RowCount()) return;
  count = std::min(count, RowCount() - at);
  if (count <= 0) return;
  if (listener_) listener_->BeginRemoveRows(at, at + count - 1);
  rows_.erase(rows_.begin() + at, rows_.begin() + at + count);
  if (listener_) listener_->EndRemoveRows();
}

void VokTable::MoveRow(int from, int to) {
  if (!ValidRow(from) || !ValidRow(to) || from == to) return;
  if (listener_) listener_->BeginMoveRow(from, to);
  if (from < to) {
    std::rotate(rows_.begin() + from, rows_.begin() + from + 1, rows_.begin() + to + 1);
  } else {
    std::rotate(rows_.begin() + to, rows_.begin() + from, rows_.begin() + from + 1);
  }
  if (listener_) listener_->EndMoveRow();
}

void VokTable::SwapWordColumns() {
  for (VokRow& row : rows_) std::swap(row[1], row[2]);
  NotifyCellsChanged(0, RowCount() - 1, 1, 2);
}

void VokTable::NotifyCellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
  if (listener_ && firstRow <= lastRow) listener_->CellsChanged(firstRow, lastRow, firstCol, lastCol);
}

void VokTable::NotifyAllChanged() { NotifyCellsChanged(0, RowCount() - 1); }

void VokTable::ReplaceRows(std::vector<VokRow> rows) {
  if (listener_) listener_->BeginReset();
  rows_ = std::move(rows);
  if (listener_) listener_->EndReset();
}
