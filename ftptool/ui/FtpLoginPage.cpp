#include "FtpLoginPage.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "FTP1.h"
#include "QtText.h"

namespace {

const char* const kProxyItems[] = {"kein Proxy", "UserSite", "Site", "Open", "UserPass", "Transparent"};

// Port fields take digits only; control keys pass as in every edit.
void DigitsOnly(QLineEdit* edit) {
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
}

// The caption of an option as a wrapping label beside its box: the long captions would
// otherwise hold the window wider than 640 pixels. A click on it toggles the box.
class OptionCaption : public QLabel {
 public:
  OptionCaption(const QString& text, QCheckBox* check, QWidget* parent)
      : QLabel(text, parent), check_(check) {
    setWordWrap(true);
    setBuddy(check);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (check_->isEnabled()) check_->click();
    QLabel::mouseReleaseEvent(event);
  }

 private:
  QCheckBox* check_;
};

}  // namespace

FtpLoginPage::FtpLoginPage(TFTPForm1& form, QWidget* page) : form_(form) {
  auto* grid = new QGridLayout(page);
  grid->addWidget(BuildAccessBox(page), 0, 0);
  grid->addWidget(BuildProxyBox(page), 0, 1);
  grid->addWidget(BuildProxyGroup(page), 1, 1);
  // The wrapped captions need three lines each at 640 pixels: the box takes the height beside
  // the help button too.
  grid->addWidget(BuildOptionsBox(page), 1, 0, 2, 1);
  BitBtn1 = new QPushButton("Hilfe", page);
  BitBtn1->setObjectName("BitBtn1");
  grid->addWidget(BitBtn1, 2, 1, Qt::AlignRight);
  grid->setRowStretch(3, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  QObject::connect(BitBtn1, &QPushButton::clicked, page, [this] { form_.ShowHelpTopic(300); });
  form_.WatchHelpContext(page, 300);
  QObject::connect(HostEdit, &QLineEdit::textChanged, page, [this] { UpdateProxyBox(); });
  UpdateProxyBox();
}

QLineEdit* FtpLoginPage::AddEdit(QWidget* box, const char* name, int maxLength) {
  auto* edit = new QLineEdit(box);
  edit->setObjectName(name);
  edit->setMaxLength(maxLength);
  QObject::connect(edit, &QLineEdit::textChanged, box, [this] { HostEditChange(); });
  return edit;
}

QGroupBox* FtpLoginPage::BuildAccessBox(QWidget* page) {
  auto* box = new QGroupBox("Zugangsdaten", page);
  box->setObjectName("ZugangBox");
  auto* form = new QFormLayout(box);
  HostEdit = AddEdit(box, "HostEdit", 120);
  PortEdit = AddEdit(box, "PortEdit", 5);
  DigitsOnly(PortEdit);
  UserEdit = AddEdit(box, "UserEdit", 120);
  PassEdit = AddEdit(box, "PassEdit", 120);
  PassEdit->setEchoMode(QLineEdit::Password);
  PwCheckBox = new QCheckBox(QString::fromUtf8("Passwort speichern (verschlüsselt)"), box);
  PwCheckBox->setObjectName("PwCheckBox");
  QObject::connect(PwCheckBox, &QCheckBox::toggled, box, [this] { HostEditChange(); });
  form->addRow("Host:", HostEdit);
  form->addRow("Port:", PortEdit);
  form->addRow("Benutzer:", UserEdit);
  form->addRow("Passwort:", PassEdit);
  form->addRow(PwCheckBox);
  form_.WatchHelpContext(box, 310);
  return box;
}

QGroupBox* FtpLoginPage::BuildProxyBox(QWidget* page) {
  ProxyBox = new QGroupBox("Proxy-Angaben", page);
  ProxyBox->setObjectName("ProxyBox");
  auto* form = new QFormLayout(ProxyBox);
  HostEditP = AddEdit(ProxyBox, "HostEditP", 120);
  PortEditP = AddEdit(ProxyBox, "PortEditP", 5);
  DigitsOnly(PortEditP);
  UserEditP = AddEdit(ProxyBox, "UserEditP", 120);
  PassEditP = AddEdit(ProxyBox, "PassEditP", 120);
  PassEditP->setEchoMode(QLineEdit::Password);
  PassEditP->setStyleSheet("lineedit-password-character: 35;");  // "#"
  PwCheckBoxP = new QCheckBox(QString::fromUtf8("Passwort speichern (verschlüsselt)"), ProxyBox);
  PwCheckBoxP->setObjectName("PwCheckBoxP");
  QObject::connect(PwCheckBoxP, &QCheckBox::toggled, ProxyBox, [this] { HostEditChange(); });
  form->addRow("Host:", HostEditP);
  form->addRow("Port:", PortEditP);
  form->addRow("Benutzer:", UserEditP);
  form->addRow("Passwort:", PassEditP);
  form->addRow(PwCheckBoxP);
  form_.WatchHelpContext(ProxyBox, 310);
  return ProxyBox;
}

QGroupBox* FtpLoginPage::BuildProxyGroup(QWidget* page) {
  ProxyGroupBox = new QGroupBox("Proxy-Einstellungen", page);
  ProxyGroupBox->setObjectName("ProxyGroup");
  ProxyGroup = new QButtonGroup(ProxyGroupBox);
  auto* grid = new QGridLayout(ProxyGroupBox);
  for (int i = 0; i < 6; ++i) {
    auto* radio = new QRadioButton(kProxyItems[i], ProxyGroupBox);
    radio->setObjectName(QString("ProxyGroupItem%1").arg(i));
    ProxyGroup->addButton(radio, i);
    grid->addWidget(radio, i % 3, i / 3);
  }
  ProxyGroup->button(0)->setChecked(true);
  QObject::connect(ProxyGroup, &QButtonGroup::idClicked, ProxyGroupBox, [this] { ProxyGroupClick(); });
  form_.WatchHelpContext(ProxyGroupBox, 310);
  return ProxyGroupBox;
}

QGroupBox* FtpLoginPage::BuildOptionsBox(QWidget* page) {
  auto* box = new QGroupBox(QString::fromUtf8("Zusätzliche Einstellungen"), page);
  box->setObjectName("ZusatzBox");
  auto* layout = new QVBoxLayout(box);
  layout->setSpacing(2);
  auto option = [&](const char* name, const char* caption) {
    auto* check = new QCheckBox(box);
    check->setObjectName(name);
    check->setAccessibleName(QString::fromUtf8(caption));
    auto* label = new OptionCaption(QString::fromUtf8(caption), check, box);
    label->setObjectName(QString(name) + "Caption");
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(check, 0, Qt::AlignTop);
    row->addWidget(label, 1);
    layout->addLayout(row);
    QObject::connect(check, &QCheckBox::toggled, box, [this] { HostEditChange(); });
    return check;
  };
  AutoSetBox = option("AutoSetBox", "Ladeko stellt bei Ausführungen  die Verbindung automatisch her");
  AutoResetBox = option("AutoResetBox",
                        "Ladeko stellt bei Ausführungen  die Verbindung bei Trennung durch den Host "
                        "automatisch wieder her");
  TimerAutoResetBox = option("TimerAutoResetBox",
                             "Timer stellt Verbindung bei Trennung durch den Host automatisch nach "
                             "spätestens 1 Minute wieder her");
  form_.WatchHelpContext(box, 310);
  return box;
}

int FtpLoginPage::ProxyIndex() const { return std::max(0, ProxyGroup->checkedId()); }

bool FtpLoginPage::ShowsSftpHost() const {
  return HostEdit->text().startsWith(QStringLiteral("sftp://"), Qt::CaseInsensitive);
}

void FtpLoginPage::HostEditChange() {
  if (!form_.Document().Loading()) form_.Document().SetModified();
}

void FtpLoginPage::ProxyGroupClick() {
  HostEditChange();
  UpdateProxyBox();
}

// The proxy data count only with a proxy mode; without one they are greyed like buttons.
// SFTP goes through no FTP proxy: its host greys the mode too, unless a mode is still chosen,
// which the user must be able to switch off (the connection refuses the pair).
void FtpLoginPage::UpdateProxyBox() {
  const bool sftp = ShowsSftpHost();
  ProxyGroupBox->setEnabled(!sftp || ProxyIndex() != 0);
  const bool enabled = !sftp && ProxyIndex() != 0;
  ProxyBox->setEnabled(enabled);
  PwCheckBoxP->setEnabled(enabled);
  for (QLineEdit* edit : {HostEditP, PortEditP, UserEditP, PassEditP}) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, form_.palette().color(enabled ? QPalette::Base : QPalette::Button));
    edit->setPalette(palette);
  }
}

FtpLoginValues FtpLoginPage::ReadLogin() const {
  FtpLoginValues v;
  v.Host = FromQ(HostEdit->text());
  v.Port = FromQ(PortEdit->text());
  v.User = FromQ(UserEdit->text());
  v.Password = FromQ(PassEdit->text());
  v.SavePassword = PwCheckBox->isChecked();
  v.Reconnect = {AutoSetBox->isChecked(), AutoResetBox->isChecked(), TimerAutoResetBox->isChecked()};
  v.ProxyHost = FromQ(HostEditP->text());
  v.ProxyPort = FromQ(PortEditP->text());
  v.ProxyUser = FromQ(UserEditP->text());
  v.ProxyPassword = FromQ(PassEditP->text());
  v.SaveProxyPassword = PwCheckBoxP->isChecked();
  v.ProxyMode = ProxyIndex();
  return v;
}

void FtpLoginPage::ShowLogin(const FtpLoginValues& v) {
  HostEdit->setText(ToQ(v.Host));
  PortEdit->setText(ToQ(v.Port));
  UserEdit->setText(ToQ(v.User));
  PwCheckBox->setChecked(v.SavePassword);
  PassEdit->setText(ToQ(v.Password));
  AutoSetBox->setChecked(v.Reconnect.AutoSet);
  AutoResetBox->setChecked(v.Reconnect.AutoReset);
  TimerAutoResetBox->setChecked(v.Reconnect.TimerAutoReset);
  HostEditP->setText(ToQ(v.ProxyHost));
  PortEditP->setText(ToQ(v.ProxyPort));
  UserEditP->setText(ToQ(v.ProxyUser));
  PwCheckBoxP->setChecked(v.SaveProxyPassword);
  PassEditP->setText(ToQ(v.ProxyPassword));
  // A stored mode outside the six items shows as "kein Proxy".
  QAbstractButton* mode = ProxyGroup->button(v.ProxyMode >= 0 && v.ProxyMode <= 5 ? v.ProxyMode : 0);
  mode->setChecked(true);
  UpdateProxyBox();
}
