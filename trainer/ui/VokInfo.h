#pragma once
// The information window "Info": name, version and credits.

#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};
