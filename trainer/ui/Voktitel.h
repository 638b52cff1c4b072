#pragma once
// The title window shown while the program starts: borderless, centred, 270 x 232.

#include <QWidget>

class TTitel : public QWidget {
  Q_OBJECT

 public:
  explicit TTitel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
