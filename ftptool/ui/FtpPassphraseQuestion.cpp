#include "FtpPassphraseQuestion.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>

#include "FtpHelpKey.h"

namespace {

const char* const kTitle = "Schlüssel entsperren";
constexpr int kTitleBarButtons = 160;  // the window menu icon, three buttons and their margins
constexpr int kLayoutMargins = 24;     // the dialog's left and right margin

// The window manager writes the title in its own, often bold, font beside an icon and three
// buttons; a dialog as narrow as its input field had it cut to "Schlüsse… tsperren". It is
// made wide enough for the title and the key's path, within the screen.
int FittingWidth(const QDialog& dialog, const QString& path) {
  QFont bold = QApplication::font("QMdiSubWindowTitleBar");
  bold.setBold(true);
  const int title = QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(kTitle)) + kTitleBarButtons;
  const int label = QFontMetrics(dialog.font()).horizontalAdvance(path) + 40;
  const QScreen* screen = dialog.screen();
  const int room = screen ? screen->availableGeometry().width() - 40 : 600;
  return std::min(std::max({title, label, 360}), room);
}

}  // namespace

int PassphraseTries::Next(const std::string& keyFile) {
  if (keyFile != keyFile_) {
    keyFile_ = keyFile;
    tries_ = 0;
  }
  return ++tries_;
}

std::optional<std::string> AskKeyPassphrase(QWidget* parent, const std::string& keyFile, int attempt,
                                            const std::function<void()>& help) {
  QInputDialog dialog(parent);
  dialog.setObjectName("PassphraseQuestion");
  dialog.setWindowTitle(QString::fromUtf8(kTitle));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextEchoMode(QLineEdit::Password);
  const QString path = QString::fromUtf8(keyFile.data(), static_cast<qsizetype>(keyFile.size()));
  QString label = QString::fromUtf8("Passphrase für den Schlüssel %1:").arg(path);
  if (attempt > 1)
    label = QString::fromUtf8("Die Passphrase öffnet den Schlüssel nicht (Versuch %1 von %2).\n")
                .arg(attempt)
                .arg(PassphraseTries::kTries) +
            label;
  dialog.setLabelText(label);
  // A long path wraps rather than push the dialog past a small screen. The dialog's layout
  // sets its size from its contents, so the label carries the width the title needs.
  if (auto* text = dialog.findChild<QLabel*>()) {
    text->setWordWrap(true);
    text->setMinimumWidth(FittingWidth(dialog, path) - kLayoutMargins);
  }
  dialog.setOkButtonText("OK");
  dialog.setCancelButtonText("Abbrechen");
  HelpOnF1(&dialog, help);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QByteArray passphrase = dialog.textValue().toUtf8();
  return std::string(passphrase.constData(), static_cast<std::size_t>(passphrase.size()));
}
