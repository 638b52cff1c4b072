#pragma once
// The dialog page (TabSheet5): in the trainer's open and save modes the window is a compact
// file dialog over the server's current directory, with a file-name field, a file-type box
// and OK/Cancel.
#include <QObject>

#include "FtpPar.h"

class TFTPForm1;
class QWidget;

class FtpDialogPage : public QObject {
  Q_OBJECT

 public:
  FtpDialogPage(TFTPForm1& window, QWidget* page);
  ~FtpDialogPage() override;

  // Start-up of the window on each show: the file-type box is filled.
  void StartUp();
  // Every activation of the window, after caption, tabs and page were set from the mode.
  void Activate(const FtpModeLook& look);
  // The page layout after a resize of the window.
  void Layout();

 private:
  TFTPForm1& window_;
  QWidget* page_;
};
