#pragma once
// The page "Einzel-Bearbeitung / Automatik": the single-file transfer with its source and
// target fields, the automatic up- and downloads with their settings, and Timer2 that runs
// them.
#include <QObject>

class TFTPForm1;
class QWidget;

class FtpTransferPage : public QObject {
  Q_OBJECT

 public:
  FtpTransferPage(TFTPForm1& window, QWidget* page);
  ~FtpTransferPage() override;

  // Start-up of the window on each show: the automatic-transfer bookkeeping is reset.
  void StartUp();
  // The page layout after a resize of the window.
  void Layout();

 private:
  TFTPForm1& window_;
  QWidget* page_;
};
