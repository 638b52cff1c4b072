#pragma once
// The test window's grids as views of a VokTest. Nothing is copied: every call reads the test.
// Model row i is table row i + 1; the table's header row gives the grid's column titles.

#include <QAbstractTableModel>

#include "VokTableModel.h"
#include "VokTest.h"

// The test table (answers typed into the asked cell of each row) or the solution table
// (read-only): a table view that allows editing only where the test asks.
class TestTableModel : public VokTableModel {
  Q_OBJECT

 public:
  enum class Editing { AskedCellOnly, None };

  TestTableModel(VokTable& table, const VokTest& test, Editing editing, QObject* parent = nullptr);

  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
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
