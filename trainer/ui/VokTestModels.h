#pragma once
// The test window's grids as views of a VokTest. Nothing is copied: every call reads the test.
// Model row i is table row i + 1; the table's header row gives the grid's column titles.

#include <QAbstractTableModel>

#include "VokTest.h"

// The test table (answers typed into the asked cell of each row) or the solution table
// (read-only).
class TestTableModel : public QAbstractTableModel, private VokTableListener {
  Q_OBJECT

 public:
  enum class Editing { AskedCellOnly, None };

  TestTableModel(VokTable& table, const VokTest& test, Editing editing, QObject* parent = nullptr);
  ~TestTableModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  static int TableRow(const QModelIndex& index) { return index.row() + 1; }

 private:
  void BeginInsertRows(int first, int last) override;
  void EndInsertRows() override;
  void BeginRemoveRows(int first, int last) override;
  void EndRemoveRows() override;
  void BeginMoveRow(int from, int to) override;
  void EndMoveRow() override;
  void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
  void BeginReset() override;
  void EndReset() override;

  VokTable& table_;
  const VokTest& test_;
  Editing editing_;
};

// The mark column: one column, one row per question, "r" or "f" after correction.
class MarkColumnModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit MarkColumnModel(const VokTest& test, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Call around replacing the test, and after the marks changed.
  void BeginNewTest() { beginResetModel(); }
  void EndNewTest() { endResetModel(); }
  void MarksChanged();

 private:
  const VokTest& test_;
};
