#pragma once
// A grid's view of one VokTable. Model row i is table row i + 1: the table's header row is the
// grid's fixed title row (the horizontal header), the data rows are the model rows. Column 0
// is the lesson column. Nothing is copied: every call reads the table.

#include <QAbstractTableModel>

#include "VokTable.h"

class VokTableModel : public QAbstractTableModel, private VokTableListener {
  Q_OBJECT

 public:
  explicit VokTableModel(VokTable& table, QObject* parent = nullptr);
  ~VokTableModel() override;

  VokTable& Table() { return table_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetEditable(bool editable) { editable_ = editable; }

  static int TableRow(const QModelIndex& index) { return index.row() + 1; }

 signals:
  // A cell was changed by typing in the grid.
  void cellEdited(int tableRow, int col);

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
  bool editable_ = false;
};
