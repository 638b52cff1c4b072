#pragma once
// The sort dialog "Sortieren": kind of sorting, column and range, each a pair of radio
// buttons. Created once; it keeps the learner's choices from one use to the next.

#include <QDialog>
#include <optional>

#include "vokSort.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TSortDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TSortDlg(QWidget* parent = nullptr);

  // Shows the dialog modally, centred on the screen; the chosen options on OK.
  std::optional<SortOptions> Ask();
  // The options the radio buttons stand for now.
  SortOptions Options() const;

  QGroupBox* GroupBox3;  // "Art der Sortierung"
  QRadioButton* SortBtn1;
  QRadioButton* SortBtn2;
  QGroupBox* GroupBox2;  // "Spalten"
  QRadioButton* SortBtn3;
  QRadioButton* SortBtn4;
  QGroupBox* GroupBox1;  // "Bereich"
  QRadioButton* SortBtn5;
  QRadioButton* SortBtn6;
  QLabel* Label1;
  QPushButton* BitBtn1;  // OK
  QPushButton* BitBtn2;  // Abbrechen

 private:
  void CentreOnScreen();
  SortOptions chosen_;
};
