#pragma once
// The find window (FindDialog1): stays open beside the main window and keeps its options;
// each "Weitersuchen" runs the search on the table shown.

#include <QDialog>

#include "VokSearch.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class TFindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFindDialog(QWidget* parent = nullptr);

  FindOptions Options() const;
  void SetText(const QString& text);

 signals:
  void findNext();

 private:
  QLineEdit* textEdit_;
  QCheckBox* wholeWord_;
  QCheckBox* matchCase_;
  QRadioButton* up_;
  QRadioButton* down_;
};
