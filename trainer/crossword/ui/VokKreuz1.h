#pragma once
// The crossword window "Kreuzwort-Rätsel": the board to fill in, the generator's progress bar,
// and the pages of the task and of the candidate table. The task list (TKreuzForm) is its
// non-modal companion. The puzzle lives as long as the window, so closing and reopening it
// shows the board as it was left.

#include <QDialog>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "KreuzCls.h"
#include "VokDocument.h"

class KreuzGrid;
class TKreuzForm;

class TKreuzDlg : public QDialog, private CrosswordProgress {
  Q_OBJECT

 public:
  explicit TKreuzDlg(VokDocument& doc, QWidget* parent = nullptr);

  void SetTaskList(TKreuzForm* form);
  // Tests give a fixed sequence; the program draws from the clock-seeded generator.
  void SetRandomSource(CrosswordRandom* random) { random_ = random ? random : &clockRandom_; }
  Crossword& Puzzle() { return puzzle_; }
  VokTable& CandidateTable() { return kreuzClip_; }

  void neu1Click();
  void ToolButton2Click();
  void DrawGrid1KeyPress(unsigned char code);
  // Reveals the square that was double-clicked, which becomes the current one: a key may have
  // moved the current square between the two clicks.
  void DrawGrid1DblClick(int column, int row);
  // A clue leads to its square; the board takes the keyboard, so the next letter lands there.
  void GoToSquare(int column, int row);
  void RepaintBoard();

  KreuzGrid* DrawGrid1 = nullptr;
  QProgressBar* Gauge1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QTableWidget* StringGrid1 = nullptr;
  QTableWidget* KreuzClipGrid = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QStatusBar* StatusBar1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // CrosswordProgress
  void SetProgressMax(int max) override;
  void SetProgress(int position) override;
  void ClueAdded(const ClueRow& row) override;
  void ProcessMessages() override;

  void BuildPages();
  void ShowCandidates();

  VokDocument& doc_;
  Crossword puzzle_;
  VokTable kreuzClip_;
  ClockRandom clockRandom_;
  CrosswordRandom* random_ = &clockRandom_;
  TKreuzForm* taskList_ = nullptr;
  bool running_ = false;
};
