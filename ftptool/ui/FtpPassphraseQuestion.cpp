#include "FtpPassphraseQuestion.h"

#include <QInputDialog>
#include <QLineEdit>

std::optional<std::string> AskKeyPassphrase(QWidget* parent, const std::string& keyFile) {
  QInputDialog dialog(parent);
  dialog.setObjectName("PassphraseQuestion");
  dialog.setWindowTitle(QString::fromUtf8("Schlüssel entsperren"));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setLabelText(QString::fromUtf8("Passphrase für den Schlüssel %1:")
                          .arg(QString::fromUtf8(keyFile.data(), static_cast<qsizetype>(keyFile.size()))));
  dialog.setOkButtonText("OK");
  dialog.setCancelButtonText("Abbrechen");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QByteArray passphrase = dialog.textValue().toUtf8();
  return std::string(passphrase.constData(), static_cast<std::size_t>(passphrase.size()));
}
