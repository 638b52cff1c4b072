#include "FtpDialogPage.h"

#include "FTP1.h"

FtpDialogPage::FtpDialogPage(TFTPForm1& window, QWidget* page)
    : window_(window), page_(page) {}

FtpDialogPage::~FtpDialogPage() = default;

void FtpDialogPage::StartUp() {}

void FtpDialogPage::Activate(const FtpModeLook&) {}

void FtpDialogPage::Layout() {}
