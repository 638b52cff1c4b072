#pragma once
// The page "Anmeldung": server and proxy access data, the proxy mode and the three reconnect
// options, with the change handlers that mark the profile modified; it shows and reads the
// profile's log-in part. While the host names an SFTP server the FTP-only controls are greyed.
// The protocol box beside the host: the port follows it until typed over, "sftp://" typed into
// the host chooses SFTP, and leaving SFTP takes such a host apart into the fields.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <optional>
#include "FtpProfile.h"

class TFTPForm1;

class FtpLoginPage {
 public:
  FtpLoginPage(TFTPForm1& form, QWidget* page);

  FtpLoginValues ReadLogin() const;
  void ShowLogin(const FtpLoginValues& login);
  int ProxyIndex() const;
  // The host field holds "sftp://..." (any case of the scheme) or SFTP is chosen.
  bool ShowsSftpHost() const;
  FtpProtocol Protocol() const;

  void HostEditChange();
  void ProxyGroupClick();
  void UpdateProxyBox();

  QComboBox* ProtocolBox;  // in the order of FtpProtocol
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
  QComboBox* BuildProtocolBox(QWidget* box);
  void LoginHelp(QWidget* box);
  void ProtocolChosen();
  void FollowSftpHost();
  void SetProtocol(FtpProtocol protocol);

  TFTPForm1& form_;
  FtpProtocol shownProtocol_ = FtpProtocol::FtpTlsIfOffered;  // the choice the port followed last
  std::optional<FtpProtocol> beforeUrl_;                      // the choice an "sftp://" host replaced
  bool showing_ = false;                                      // ShowLogin sets the controls: nothing follows
};
