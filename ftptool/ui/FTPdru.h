#pragma once
// The print dialog "Druck-Dialog" of the access-data printout: the user may type the password
// and the proxy password once more to have them printed in clear; OK alone prints both as
// rows of "#". Both fields are emptied each time the dialog is shown, so a password typed for
// one printout is never offered again.

#include <QDialog>
#include <optional>

#include "ftpdiskPrint.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TDruDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TDruDlg(QWidget* parent = nullptr);

  // Shows the dialog modally; the typed texts (Windows-1252) when closed with OK. Suits the
  // askPasswords callback of PrintAccessData.
  std::optional<RepeatedPasswords> Ask();

  QLabel* Label1;
  QLineEdit* PassEdit;
  QLabel* Label2;
  QLineEdit* PassEditP;
  QPushButton* BitBtn1;  // OK
  QPushButton* BitBtn2;  // Abbrechen

 protected:
  void showEvent(QShowEvent* event) override;
};
