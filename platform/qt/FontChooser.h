#pragma once
// The font choice of the tables: families that can write the program's Western European
// letters, sizes up to the largest the tables allow, bold and italic, underline, strike-out
// and the colour. Only what may be chosen is offered, so nothing is cut afterwards.

#include <QDialog>

#include "Dialogs.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

class FontChooser : public QDialog {
 public:
  FontChooser(const FontDesc& initial, int maxSize, QWidget* parent = nullptr);

  // What the dialog shows as chosen now.
  FontDesc Chosen() const;

  QListWidget* Families() const { return families_; }
  QListWidget* Sizes() const { return sizes_; }

 private:
  void FillSizes();
  void ShowSample();
  void PaintColour();

  FontDesc initial_;
  int maxSize_;
  Color colour_;
  QListWidget* families_;
  QListWidget* sizes_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QCheckBox* underline_;
  QCheckBox* strikeOut_;
  QPushButton* colourButton_;
  QLabel* sample_;
};
