// The printout of the access data from the tool window: the print dialog for the number of
// copies, the printer set-up, and the password dialog TDruDlg before each job.
#include "Clock.h"
#include "FTP1.h"
#include "FTPdru.h"
#include "FtpInfoBox.h"
#include "FtpLoginPage.h"
#include "QtText.h"

void TFTPForm1::FTPdrucken1Click() {
  if (!services_.printer || !services_.printDialogs) return;
  FTPPageControl1->setCurrentIndex(kPageAnmeldung);
  services_.printDialogs->SetDocumentName(PathText(document_->FileName()));
  if (const auto choice = services_.printDialogs->ChoosePrint(false))
    PrintAccessDataCopies(choice->copies);
}

void TFTPForm1::PrintBtnClick() { PrintAccessDataCopies(1); }

void TFTPForm1::FTPDruckereinstellung1Click() {
  if (services_.printDialogs) services_.printDialogs->PrinterSetup();
}

// The values printed are those in the window now, saved or not.
void TFTPForm1::PrintAccessDataCopies(int copies) {
  if (!services_.printer) return;
  if (!services_.printer->JobRunning()) store_->ControlsToProfile();
  AccessDataFields fields;
  fields.Login = login_->ReadLogin();
  fields.FileName = PathText(document_->FileName());
  fields.Today = timebase::NowDayCount();
  FontDesc windowFont;
  windowFont.name = FromQ(font().family());
  TDruDlg ask(this);
  PrintAccessData(*services_.printer, *services_.dialogs, windowFont, copies, fields,
                  [&ask] { return ask.Ask(); });
}

void TFTPForm1::Info1Click() {
  FtpInfoBox box(this);
  box.exec();
}
