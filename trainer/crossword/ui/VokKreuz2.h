#pragma once
// The task list "Aufgaben": a small window that stays on top of the others and shows the
// numbered clues; it reveals the solution, prints the puzzle and leads to a clue's square.

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <functional>

#include "KreuzCls.h"

class PrintCanvas;

class TKreuzForm : public QDialog {
  Q_OBJECT

 public:
  // unitsPerTenthMm: the device units of canvas in one tenth of a millimetre.
  TKreuzForm(Crossword& puzzle, PrintCanvas* canvas, std::function<double()> unitsPerTenthMm,
             QWidget* parent = nullptr);

  // Set by the crossword window: go to a square, repaint the board.
  std::function<void(int column, int row)> onGoToSquare;
  std::function<void()> onSolutionShown;

  // The rows of the clue list, and one empty row below them.
  void ShowClues();
  void AddClueRow(const ClueRow& row);

  void StringGrid1Click(int row);
  void Button1Click();
  void Button2Click();

  QTableWidget* StringGrid1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SetRow(int row, const ClueRow& clue);

  Crossword& puzzle_;
  PrintCanvas* canvas_;
  std::function<double()> unitsPerTenthMm_;
};
