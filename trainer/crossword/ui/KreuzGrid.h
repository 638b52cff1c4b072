#pragma once
// DrawGrid1 of the crossword window: 20 x 20 squares of 40 pixels with 2-pixel grid lines,
// painted from the puzzle, with a current square moved by the arrow keys or the mouse.

#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "KreuzCls.h"

class KreuzGrid : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kSquare = 40;
  static constexpr int kLine = 2;

  KreuzGrid(const Crossword& puzzle, QWidget* parent = nullptr);

  // A character typed into the board, as a Windows-1252 code.
  std::function<void(unsigned char code)> onKeyPress;

  void SetCurrentSquare(int column, int row);
  int CurrentColumn() const { return currentIndex().isValid() ? currentIndex().column() : 0; }
  int CurrentRow() const { return currentIndex().isValid() ? currentIndex().row() : 0; }
  void RepaintBoard() { viewport()->update(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// Draws one square (DrawGrid1DrawCell).
class KreuzSquareDelegate : public QStyledItemDelegate {
 public:
  KreuzSquareDelegate(const Crossword& puzzle, QObject* parent) : QStyledItemDelegate(parent), puzzle_(puzzle) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const Crossword& puzzle_;
};
