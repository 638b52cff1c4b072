#pragma once
// The page "Anmeldung": server and proxy access data, the proxy mode and the three reconnect
// options, with the change handlers that mark the profile modified. It also moves the values
// between these controls and the profile; the values of pages whose controls other helpers
// build are kept here until those controls take them over.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>

#include "FtpConnection.h"
#include "ftpdisk.h"

class TFTPForm1;

class FtpLoginPage {
 public:
  FtpLoginPage(TFTPForm1& form, QWidget* page);

  // The values of the controls; fields of the other pages come from OtherPages.
  FtpProfileValues ReadControls() const;
  void ShowControls(const FtpProfileValues& values);

  FtpConnectionSettings Settings() const;
  FtpReconnectOptions Options() const;
  int ProxyIndex() const;

  // Where the values of the other pages' controls are read and shown; by default they stay
  // in the values last shown.
  std::function<void(FtpProfileValues&)> ReadOtherPages;
  std::function<void(const FtpProfileValues&)> ShowOtherPages;
  const FtpProfileValues& LastShown() const { return shown_; }
  FtpProfileValues& LastShown() { return shown_; }

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
  FtpProfileValues shown_;
};
