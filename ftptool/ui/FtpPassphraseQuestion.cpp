#include "FtpPassphraseQuestion.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>

std::optional<std::string> AskKeyPassphrase(QWidget* parent, const std::string& keyFile) {
  QInputDialog dialog(parent);
  dialog.setObjectName("PassphraseQuestion");
  dialog.setWindowTitle(QString::fromUtf8("Schlüssel entsperren"));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setLabelText(QString::fromUtf8("Passphrase für den Schlüssel %1:")
                          .arg(QString::fromUtf8(keyFile.data(), static_cast<qsizetype>(keyFile.size()))));
  // A long path wraps rather than push the dialog past a small screen.
  if (auto* label = dialog.findChild<QLabel*>()) label->setWordWrap(true);
  dialog.setOkButtonText("OK");
  dialog.setCancelButtonText("Abbrechen");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QByteArray passphrase = dialog.textValue().toUtf8();
  return std::string(passphrase.constData(), static_cast<std::size_t>(passphrase.size()));
}
