// Fills the tool window's page "Anmeldung" with the access data of a test server on
// 127.0.0.1: the FTP server passive, with a read time-out only so that a broken test cannot
// hang; the sshd over sftp://.
#pragma once

#include <QLineEdit>
#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "FTP1.h"
#include "FtpLoginPage.h"
#include "PyftpdServer.h"
#include "SshFixture.h"

inline void FillLoginForServer(TFTPForm1& form, std::uint16_t port) {
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("127.0.0.1");
  login.PortEdit->setText(QString::number(port));
  login.UserEdit->setText(PyftpdServer::kUser);
  login.PassEdit->setText(PyftpdServer::kPassword);
  form.Client().Passive = true;
  form.Client().ReadTimeout = 20000;
}

// The sshd's own user (it lets in no other), no password: the key does the log-in; host keys
// are looked up in knownHosts.
inline void FillLoginForSshd(TFTPForm1& form, const SshdServer& server, const std::filesystem::path& knownHosts) {
  form.Connection().KnownHostsFile = knownHosts.string();
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("sftp://127.0.0.1");
  login.PortEdit->setText(QString::number(server.Port()));
  login.UserEdit->setText(::getpwuid(::getuid())->pw_name);
  login.PassEdit->clear();
}
