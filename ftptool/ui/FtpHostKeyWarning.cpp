#include "FtpHostKeyWarning.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cctype>

#include "FtpHelpKey.h"
#include "QtText.h"

namespace {

// The name as a shell word: "[host]:port" holds brackets the shell would expand.
QString ShellWord(const std::string& text) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' || c == '/' ||
           c == ':';
  });
  if (plain) return QString::fromStdString(text);
  return "'" + QString::fromStdString(text).replace("'", "'\\''") + "'";
}

// The command that removes the old key: without -f for the file ssh-keygen takes anyway.
QString RemoveCommand(const ChangedHostKey& key) {
  const std::string file = key.old ? key.old->file : key.knownHostsFile;
  QString command = "ssh-keygen ";
  if (file != DefaultKnownHostsPath()) command += "-f " + ShellWord(file) + " ";
  return command + "-R " + ShellWord(KnownHostsName(key.host, key.port));
}

}  // namespace

ChangedHostKey FindChangedHostKey(const std::string& host, std::uint16_t port, const HostKeyCheck& offered,
                                  const std::string& knownHostsFile) {
  ChangedHostKey key{
      host, port, offered, knownHostsFile.empty() ? DefaultKnownHostsPath() : knownHostsFile, {}};
  key.old = FindKnownHostLine({key.knownHostsFile, "/etc/ssh/ssh_known_hosts"}, host, port, offered.keyType);
  return key;
}

QString HostKeyWarningText(const ChangedHostKey& key) {
  const QString host = ToQ(KnownHostsName(key.host, key.port));
  QString text = QString::fromUtf8(
                     "WARNUNG: Der Schlüssel des Servers %1 hat sich geändert! Möglicherweise wird die "
                     "Verbindung abgehört oder umgeleitet (Angriff). Es wurde nichts gesendet; die "
                     "Verbindung ist getrennt.\n\n")
                     .arg(host);
  const QString type = QString::fromStdString(key.offered.keyType);
  const QString offered = QString::fromStdString(key.offered.fingerprint);
  if (!key.old) {
    return text + QString::fromUtf8(
                      "Angebotener Schlüssel (%1):\n%2\n\nDer bisherige Schlüssel steht nicht in %3; "
                      "eine andere Datei bekannter Schlüssel gilt für diesen Server.")
                      .arg(type, offered, QString::fromStdString(key.knownHostsFile));
  }
  const QString file = QString::fromStdString(key.old->file);
  const QString line = QString::number(key.old->line);
  text += QString::fromUtf8("Bisheriger Schlüssel (%1):\n%2\nJetzt angebotener Schlüssel:\n%3\n\n")
              .arg(type, QString::fromStdString(key.old->fingerprint), offered);
  text += QString::fromUtf8("Der bisherige Schlüssel steht in der Datei\n%1, Zeile %2.\n\n").arg(file, line);
  text += QString::fromUtf8(
              "Nur wenn Sie sicher sind, dass der Server einen neuen Schlüssel bekommen hat (fragen Sie "
              "seinen Betreiber), entfernen Sie den alten Eintrag mit dem Befehl\n%1\noder löschen Zeile %2 "
              "der Datei. Beim nächsten Verbinden fragt Ladeko dann nach dem neuen Schlüssel.")
              .arg(RemoveCommand(key), line);
  return text;
}

void WarnHostKeyChanged(QWidget* parent, const ChangedHostKey& key, const std::function<void()>& help) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8("Server-Schlüssel geändert"),
                  HostKeyWarningText(key), QMessageBox::NoButton, parent);
  box.setObjectName("HostKeyWarning");
  box.setTextFormat(Qt::PlainText);                        // host and path are the user's text, never markup
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // the command can be copied
  QPushButton* ok = box.addButton("OK", QMessageBox::AcceptRole);
  ok->setObjectName("OK");
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  HelpOnF1(&box, help);
  // Fingerprints, path and command are not to wrap inside; a small screen still bounds it. A
  // message box wraps its prose only when the label is wider than min(half the screen, 500
  // pixels): held narrower, the long lines were cut at its edge.
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : box.text().split('\n'))
      if (!line.contains(' ') || line.startsWith("ssh-keygen"))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QScreen* screen = box.screen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int wrapsAbove = std::min(screenWidth / 2, 500);
    label->setMinimumWidth(std::max(std::min(widest + 8, screenWidth - 120), wrapsAbove + 1));
  }
  box.exec();
}
