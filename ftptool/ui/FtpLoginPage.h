#pragma once
// The page "Anmeldung": server and proxy access data, the proxy mode and the three reconnect
// options, with the change handlers that mark the profile modified; it shows and reads the
// profile's log-in part. While the host names an SFTP server the FTP-only controls are greyed.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include "FtpProfile.h"

class TFTPForm1;

class FtpLoginPage {
 public:
  FtpLoginPage(TFTPForm1& form, QWidget* page);

  FtpLoginValues ReadLogin() const;
  void ShowLogin(const FtpLoginValues& login);
  int ProxyIndex() const;
  // The host field holds "sftp://..." (any case of the scheme).
  bool ShowsSftpHost() const;

  void HostEditChange();
  void ProxyGroupClick();
  void UpdateProxyBox();

  QLineEdit *HostEdit, *PortEdit, *UserEdit, *PassEdit;
  QCheckBox* PwCheckBox;
  QGroupBox* ProxyBox;
  QLineEdit *HostEditP, *PortEditP, *UserEditP, *PassEditP;
  QCheckBox* PwCheckBoxP;
  QGroupBox* ProxyGroupBox;
  QButtonGroup* ProxyGroup;
  QCheckBox *AutoSetBox, *AutoResetBox, *TimerAutoResetBox;
  QPushButton* BitBtn1;

 private:
  QGroupBox* BuildAccessBox(QWidget* page);
  QGroupBox* BuildProxyBox(QWidget* page);
  QGroupBox* BuildProxyGroup(QWidget* page);
  QGroupBox* BuildOptionsBox(QWidget* page);
  QLineEdit* AddEdit(QWidget* box, const char* name, int maxLength);

  TFTPForm1& form_;
};
