#include "FtpConnectionPanel.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <climits>

#include "FTP1.h"

namespace {

// The indicator's two pictures: image 23 connected, image 22 not.
QIcon IndicatorIcon(bool connected) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(60, 60, 60));
  painter.setBrush(connected ? QColor(0, 190, 0) : QColor(200, 0, 0));
  painter.drawEllipse(3, 3, 14, 14);
  return QIcon(pixmap);
}

}  // namespace

FtpConnectionPanel::FtpConnectionPanel(TFTPForm1& form) : form_(form) {
  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setToolTip("Fortschrittsanzeige");
  ProgressBar1->setTextVisible(false);
  // Bar and rate share what the buttons leave of a 640-pixel tool bar: the rate must never go
  // into the bar's overflow menu, where it cannot be read.
  ProgressBar1->setFixedWidth(80);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  RateLabel = new QLabel("   ");
  RateLabel->setObjectName("RateLabel");
  RateLabel->setToolTip("Lade-Rate");
  RateLabel->setMinimumWidth(RateLabel->fontMetrics().horizontalAdvance(" Rate: 9999.99 KB/s") + 4);

  // Runs from the creation of the window for the whole process, shown or not.
  Timer1 = new QTimer(&form_);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kTimerInterval);
  QObject::connect(Timer1, &QTimer::timeout, &form_, [this] { Timer1Timer(); });
  Timer1->start();
}

void FtpConnectionPanel::herstellen1Click() {
  if (form_.Connection().Connect() && EnterRemoteStartDirectory) EnterRemoteStartDirectory();
}

void FtpConnectionPanel::trennen1Click() { form_.Connection().Disconnect(); }

void FtpConnectionPanel::Timer1Timer() { form_.Connection().TimerStep(); }

void FtpConnectionPanel::AbortClick() { form_.Connection().RequestAbort(); }

void FtpConnectionPanel::ShowConnected(bool connected) {
  if (!image1Btn_) return;
  image1Btn_->setIcon(IndicatorIcon(connected));
  image1Btn_->setProperty("imageIndex", connected ? 23 : 22);
}

void FtpConnectionPanel::SetProgressMaximum(std::int64_t maximum) {
  progressScale_ = maximum > INT_MAX ? maximum / INT_MAX + 1 : 1;
  // A range of 0 to 0 would make Qt show its endless busy animation after an empty file or a
  // reset, as if a transfer were still running; an empty bar is shown instead.
  ProgressBar1->setRange(0, static_cast<int>(std::max<std::int64_t>(1, maximum) / progressScale_));
}

void FtpConnectionPanel::SetProgressPosition(std::int64_t position) {
  const auto value = static_cast<int>(std::max<std::int64_t>(0, position) / progressScale_);
  ProgressBar1->setValue(std::min(value, ProgressBar1->maximum()));
  ProgressBar1->repaint();
}

void FtpConnectionPanel::EnableAbort(bool enabled) {
  for (QAction* a : abortControls_) a->setEnabled(enabled);
  for (QToolButton* b : abortButtons_) b->setEnabled(enabled);
}

bool FtpConnectionPanel::FormCloseQuery() {
  form_.Connection().CloseForWindow();
  return form_.Document().QuerySave();
}
