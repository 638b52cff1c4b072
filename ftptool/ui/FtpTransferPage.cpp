#include "FtpTransferPage.h"

#include "FTP1.h"

FtpTransferPage::FtpTransferPage(TFTPForm1& window, QWidget* page)
    : window_(window), page_(page) {}

FtpTransferPage::~FtpTransferPage() = default;

void FtpTransferPage::StartUp() {}

void FtpTransferPage::Layout() {}
