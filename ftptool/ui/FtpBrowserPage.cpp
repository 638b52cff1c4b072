#include "FtpBrowserPage.h"

#include "FTP1.h"

FtpBrowserPage::FtpBrowserPage(TFTPForm1& window, QWidget* page)
    : window_(window), page_(page) {}

FtpBrowserPage::~FtpBrowserPage() = default;

void FtpBrowserPage::StartUp() {}

void FtpBrowserPage::Layout() {}
