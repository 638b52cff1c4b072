#include "Voktitel.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TTitel::TTitel(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
  setObjectName("Titel");
  setFixedSize(270, 232);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->geometry();
    move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
  }
}

// The title picture: the program's name over a blue-white-red band.
void TTitel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height());
  sky.setColorAt(0, QColor(0xAA, 0xAA, 0xFF));
  sky.setColorAt(1, QColor(0xFF, 0xFF, 0xFF));
  p.fillRect(rect(), sky);
  const int band = width() / 3;
  p.fillRect(0, 150, band, 12, QColor(0, 35, 149));
  p.fillRect(band, 150, band, 12, Qt::white);
  p.fillRect(2 * band, 150, width() - 2 * band, 12, QColor(237, 41, 57));
  p.setPen(QColor(0, 0, 0xFF));
  QFont big("Verdana");
  big.setPixelSize(40);
  big.setBold(true);
  p.setFont(big);
  p.drawText(QRect(0, 40, width(), 60), Qt::AlignCenter, "Tirelo V");
  QFont small("Verdana");
  small.setPixelSize(13);
  p.setFont(small);
  p.drawText(QRect(0, 100, width(), 40), Qt::AlignCenter, "Vokabeltrainerin Französisch");
  p.setPen(QColor(60, 60, 60));
  p.drawText(QRect(0, 180, width(), 30), Qt::AlignCenter, "Version 1.0");
  p.setPen(QColor(0, 0, 0x80));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}
