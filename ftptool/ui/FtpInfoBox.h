#pragma once
// The FTP tool's information box "Info": the program picture, "Ladeko" and its version.
#include <QDialog>

class FtpInfoBox : public QDialog {
  Q_OBJECT

 public:
  explicit FtpInfoBox(QWidget* parent = nullptr);
};
