#include "FtpHostKeyQuestion.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "FtpHelpKey.h"
#include "FtpTrustButtons.h"
#include "QtText.h"

namespace {

// Why the key is asked about: not known at all, or known only by keys of other types (as ssh
// asks, no warning of an attack: a server may offer a type the file does not hold yet).
const char* Reason(HostKeyState state) {
  if (state == HostKeyState::OtherType)
    return "Die Echtheit des Servers %1 kann nicht bestätigt werden: ein Schlüssel dieses Typs ist "
           "auf diesem Rechner für ihn noch nicht bekannt, bekannt sind nur Schlüssel anderer Typen.\n\n";
  return "Die Echtheit des Servers %1 kann nicht bestätigt werden: sein Schlüssel ist "
         "auf diesem Rechner noch nicht bekannt.\n\n";
}

}  // namespace

QString HostKeyQuestionText(const std::string& host, const HostKeyCheck& check) {
  QString text = QString::fromUtf8(Reason(check.state)).arg(ToQ(host));
  text += QString::fromUtf8("Schlüsseltyp: %1\nFingerabdruck:\n%2\n\n")
              .arg(QString::fromStdString(check.keyType), QString::fromStdString(check.fingerprint));
  text += QString::fromUtf8(
      "Ist das der Schlüssel, den Sie erwarten? Vergleichen Sie den Fingerabdruck mit dem, den der "
      "Betreiber des Servers nennt. „Immer vertrauen“ trägt den Schlüssel in die Datei "
      "known_hosts ein.");
  return text;
}

HostKeyDecision AskHostKeyTrust(QWidget* parent, const std::string& host, const HostKeyCheck& check,
                                const std::function<void()>& help) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8("Server-Schlüssel prüfen"),
                  HostKeyQuestionText(host, check), QMessageBox::NoButton, parent);
  box.setObjectName("HostKeyQuestion");
  HelpOnF1(&box, help);
  // A host name is the user's text, never markup; the fingerprint can be copied.
  box.setTextFormat(Qt::PlainText);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The text would wrap inside the fingerprint (at a "/"), which makes comparing it hard: the
  // label is held at least as wide as the fingerprint. A message box wraps its text only when
  // it is wider than min(half the screen, 500 pixels); a label held narrower than that is
  // neither wrapped nor widened, and the long lines were cut at its edge.
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
    const QString fingerprint = QString::fromStdString(check.fingerprint);
    const QScreen* screen = box.screen();
    const int wrapsAbove = std::min(screen ? screen->availableGeometry().width() / 2 : 500, 500);
    label->setMinimumWidth(std::max(QFontMetrics(label->font()).horizontalAdvance(fingerprint) + 8, wrapsAbove));
  }
  switch (AskTrustWithButtons(box)) {
    case FtpTrustAnswer::Once: return HostKeyDecision::AcceptOnce;
    case FtpTrustAnswer::Always: return HostKeyDecision::AcceptAlways;
    case FtpTrustAnswer::No: break;
  }
  return HostKeyDecision::Refuse;
}
