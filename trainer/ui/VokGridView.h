#pragma once
// The grid of one table (StringGrid1..3, ClipGrid): a QTableView over a VokTableModel that
// keeps the table's cursor and marked range in step with the view's current cell and
// selection, in mark mode (whole rows) or write mode (single cells).

#include <QLineEdit>
#include <QTableView>

#include "VokTableModel.h"

enum class InputMode { Mark, Write };
enum class Covering { None, German, French };

class VokGridView : public QTableView {
  Q_OBJECT

 public:
  VokGridView(VokTable& table, const QString& objectName, QWidget* parent = nullptr);

  VokTable& Table() { return model_->Table(); }
  VokTableModel* Model() { return model_; }

  void SetInputMode(InputMode mode);
  InputMode Mode() const { return mode_; }

  // Makes the table's cursor and marked range the view's current cell and selection. The
  // table holds the marking; the view only shows it and reports what the user marks.
  void ShowCursor();
  // The editor of the current cell, opened if it is not open yet; null when the cell
  // cannot be edited.
  QLineEdit* OpenCellEditor();
  // Puts the cursor on a row (keeping its column) and brings it into view.
  void GoToRow(int tableRow);
  // Which language is painted over. The column is looked up by its title at every paint,
  // so the covering follows the words when the columns are exchanged.
  void SetCovering(Covering covering);
  int CoveredColumn() const;
  // True when the table's marked range holds the cell.
  bool Marks(const QModelIndex& index) const;

 signals:
  void cursorMoved(int tableRow);
  void keyPressedForEdit(int key);
  void growRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyboardSearch(const QString& search) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  void SyncTableFromView();
  void WatchShapeChangesBegin();
  void WatchShapeChangesEnd();
  void AfterShapeChange();
  bool InLastCell() const;
  void GrowForTab();
  void NoteKey(const QKeyEvent* event);

  VokTableModel* model_;
  InputMode mode_ = InputMode::Mark;
  Covering covering_ = Covering::None;
  bool syncing_ = false;
  bool reshaping_ = false;  // rows are being replaced, inserted, removed or moved
};
