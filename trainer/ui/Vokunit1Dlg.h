#pragma once
// The lesson dialog "Eingabe der Lerneinheit": title, class, lesson and suffix of the lesson
// code that "als Lektion speichern" puts into every row. Created once; it keeps its values
// from one use to the next.

#include <QDialog>
#include <optional>
#include <string>

#include "Dialogs.h"
#include "Vokunit1.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class Tvokdlg1 : public QDialog {
  Q_OBJECT

 public:
  explicit Tvokdlg1(Dialogs& dialogs, QWidget* parent = nullptr);

  // Shows the dialog modally; the lesson code (Windows-1252) when closed with OK.
  std::optional<std::string> Ask();
  // The fields as they stand now.
  LessonFields Fields() const;

  QLabel* Label1;  // "Titel"
  QLineEdit* Edit1;
  QLabel* Label2;  // "Klasse"
  QSpinBox* SpinEdit1;
  QLabel* Label3;  // "Lektion"
  QSpinBox* SpinEdit2;
  QLabel* Label4;  // "Zusatz"
  QLineEdit* Edit2;
  QPushButton* OkBtn;
  QPushButton* BitBtn2;  // "Abbrechen"

 protected:
  // Every way of closing passes the title check.
  void done(int result) override;

 private:
  void OkBtnClick();

  Dialogs& dialogs_;
  LessonDialogState state_;
};
