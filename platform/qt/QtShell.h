#pragma once
// Opens web pages in the user's default browser.

#include <QDesktopServices>
#include <QUrl>

#include "Shell.h"

class QtShell : public Shell {
 public:
  void OpenUrl(const std::string& url) override {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
  }
};
