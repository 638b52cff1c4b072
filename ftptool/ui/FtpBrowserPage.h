#pragma once
// The page "Verzeichnisse / Dateien": the local list ListView1 and the remote list ListView2
// with their path fields and buttons, the transfer and delete commands on the marked rows, and
// drag and drop between the lists. The rows, their order and every server and file action are
// core code; this page shows rows and calls it.
#include <QObject>

class TFTPForm1;
class QWidget;

class FtpBrowserPage : public QObject {
  Q_OBJECT

 public:
  FtpBrowserPage(TFTPForm1& window, QWidget* page);
  ~FtpBrowserPage() override;

  // Start-up of the window on each show: the list columns are set up.
  void StartUp();
  // The page layout after a resize of the window.
  void Layout();

 private:
  TFTPForm1& window_;
  QWidget* page_;
};
