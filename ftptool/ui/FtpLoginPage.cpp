#include "FtpLoginPage.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <stdexcept>
#include <utility>

#include "FTP1.h"
#include "FtpProtocol.h"
#include "QtText.h"
#include "Win1252.h"

namespace {

const char* const kProxyItems[] = {"kein Proxy", "UserSite", "Site", "Open", "UserPass", "Transparent"};

// The items of the protocol box, in the order of FtpProtocol.
const char* const kProtocolItems[] = {"FTP, verschlüsselt wenn möglich", "FTP über TLS (nur verschlüsselt)",
                                      "FTP", "SFTP (SSH)"};

bool IsSftpUrl(const QString& host) {
  return host.startsWith(QStringLiteral("sftp://"), Qt::CaseInsensitive);
}

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

// The page must fit a 640x480 screen with its frame: rows of boxes a little closer than the style's.
constexpr int kFormRowSpacing = 2;

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
  // The access side holds the longest texts (the protocol choice, the wrapped options): at
  // 640 pixels it takes a little more than half, so "FTP, verschlüsselt wenn möglich" shows whole.
  grid->setColumnStretch(0, 6);
  grid->setColumnStretch(1, 5);
  QObject::connect(BitBtn1, &QPushButton::clicked, page,
                   [this] { form_.ShowHelpTopic(TFTPForm1::kLoginHelp); });
  form_.WatchHelpContext(page, TFTPForm1::kLoginHelp);
  QObject::connect(HostEdit, &QLineEdit::textChanged, page, [this] {
    FollowSftpHost();
    UpdateProxyBox();
  });
  UpdateProxyBox();
}

// Every box of the page leads to the page's own help (protocol, access data, proxy, options);
// the boxes of the other pages name theirs.
void FtpLoginPage::LoginHelp(QWidget* box) { form_.WatchHelpContext(box, TFTPForm1::kLoginHelp); }

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
  form->setVerticalSpacing(kFormRowSpacing);
  ProtocolBox = BuildProtocolBox(box);
  HostEdit = AddEdit(box, "HostEdit", 120);
  PortEdit = AddEdit(box, "PortEdit", 5);
  DigitsOnly(PortEdit);
  UserEdit = AddEdit(box, "UserEdit", 120);
  PassEdit = AddEdit(box, "PassEdit", 120);
  PassEdit->setEchoMode(QLineEdit::Password);
  PwCheckBox = new QCheckBox(QString::fromUtf8("Passwort speichern (verschlüsselt)"), box);
  PwCheckBox->setObjectName("PwCheckBox");
  QObject::connect(PwCheckBox, &QCheckBox::toggled, box, [this] { HostEditChange(); });
  form->addRow("Protokoll:", ProtocolBox);
  form->addRow("Host:", HostEdit);
  form->addRow("Port:", PortEdit);
  form->addRow("Benutzer:", UserEdit);
  form->addRow("Passwort:", PassEdit);
  form->addRow(PwCheckBox);
  LoginHelp(box);
  return box;
}

QComboBox* FtpLoginPage::BuildProtocolBox(QWidget* box) {
  auto* combo = new QComboBox(box);
  combo->setObjectName("ProtocolBox");
  for (const char* item : kProtocolItems) combo->addItem(QString::fromUtf8(item));
  // The closed box may elide its longest item at 640x480; the open list shows them whole.
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(14);
  QObject::connect(combo, &QComboBox::currentIndexChanged, box, [this] { ProtocolChosen(); });
  return combo;
}

QGroupBox* FtpLoginPage::BuildProxyBox(QWidget* page) {
  ProxyBox = new QGroupBox("Proxy-Angaben", page);
  ProxyBox->setObjectName("ProxyBox");
  auto* form = new QFormLayout(ProxyBox);
  form->setVerticalSpacing(kFormRowSpacing);
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
  LoginHelp(ProxyBox);
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
  LoginHelp(ProxyGroupBox);
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
  LoginHelp(box);
  return box;
}

int FtpLoginPage::ProxyIndex() const { return std::max(0, ProxyGroup->checkedId()); }

bool FtpLoginPage::ShowsSftpHost() const {
  return IsSftpUrl(HostEdit->text()) || Protocol() == FtpProtocol::Sftp;
}

FtpProtocol FtpLoginPage::Protocol() const {
  return static_cast<FtpProtocol>(std::max(0, ProtocolBox->currentIndex()));
}

void FtpLoginPage::SetProtocol(FtpProtocol protocol) {
  ProtocolBox->setCurrentIndex(static_cast<int>(protocol));
}

// Typing "sftp://" into the host chooses SFTP (the URL's own port and user count then); taking
// the scheme away again brings back the choice the URL replaced.
void FtpLoginPage::FollowSftpHost() {
  if (showing_) return;
  const bool url = IsSftpUrl(HostEdit->text());
  if (url && Protocol() != FtpProtocol::Sftp) {
    const FtpProtocol before = Protocol();
    SetProtocol(FtpProtocol::Sftp);
    beforeUrl_ = before;
  } else if (!url && beforeUrl_) {
    SetProtocol(*beforeUrl_);
  }
}

// A port still at the last choice's standard (or empty) follows the new one; SFTP takes no
// "anonymous"; an "sftp://" host left for FTP keeps its parts in the fields.
void FtpLoginPage::ProtocolChosen() {
  const FtpProtocol before = std::exchange(shownProtocol_, Protocol());
  beforeUrl_.reset();  // a choice of its own, or the one the URL made: either holds from here
  if (showing_) return;
  const QString standardBefore = QString::number(FtpStandardPort(before));
  if (PortEdit->text().isEmpty() || PortEdit->text() == standardBefore)
    PortEdit->setText(QString::number(FtpStandardPort(shownProtocol_)));
  const bool sftp = shownProtocol_ == FtpProtocol::Sftp;
  if (!sftp && IsSftpUrl(HostEdit->text())) {
    try {
      const SftpTarget target = *ParseSftpHost(FromQ(HostEdit->text()));
      HostEdit->setText(ToQ(target.host));
      if (!target.user.empty()) UserEdit->setText(ToQ(target.user));
      if (target.port != 0) PortEdit->setText(QString::number(target.port));
    } catch (const std::invalid_argument&) {
      // A half-typed URL stays for the user to mend.
    }
  }
  const QString user = UserEdit->text();
  if (sftp && (user.isEmpty() || user.compare("anonymous", Qt::CaseInsensitive) == 0))
    UserEdit->setText(ToQ(SftpUserOf(SftpTarget{}, "")));
  HostEditChange();
  UpdateProxyBox();
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
  v.Protocol = Protocol();
  return v;
}

void FtpLoginPage::ShowLogin(const FtpLoginValues& v) {
  showing_ = true;
  // An "sftp://" host is SFTP whatever an older side record says.
  const bool url = IsSftpUrl(ToQ(v.Host));
  SetProtocol(url ? FtpProtocol::Sftp : v.Protocol);
  beforeUrl_ = url && v.Protocol != FtpProtocol::Sftp ? std::optional(v.Protocol) : std::nullopt;
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
  showing_ = false;
  UpdateProxyBox();
}
