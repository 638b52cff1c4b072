// Fills the tool window's page "Anmeldung" with the access data of a test server on
// 127.0.0.1, passive, with a read time-out only so that a broken test cannot hang.
#pragma once

#include <QLineEdit>
#include <cstdint>

#include "FTP1.h"
#include "FtpLoginPage.h"
#include "PyftpdServer.h"

inline void FillLoginForServer(TFTPForm1& form, std::uint16_t port) {
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("127.0.0.1");
  login.PortEdit->setText(QString::number(port));
  login.UserEdit->setText(PyftpdServer::kUser);
  login.PassEdit->setText(PyftpdServer::kPassword);
  form.Client().Passive = true;
  form.Client().ReadTimeout = 20000;
}
