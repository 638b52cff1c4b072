#include "FtpCertificateQuestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "QtText.h"

QString CertificateQuestionText(const FtpCertificateInfo& info) {
  QString text = QString::fromUtf8("Das Zertifikat des Servers %1 kann nicht bestätigt werden")
                     .arg(ToQ(info.Host));
  if (!info.Problem.empty()) text += " (" + ToQ(info.Problem) + ")";
  text += QString::fromUtf8(".\n\nSHA-256-Fingerabdruck:\n%1\n").arg(ToQ(info.Sha256));
  if (!info.Subject.empty()) text += QString::fromUtf8("\nAusgestellt für: %1").arg(ToQ(info.Subject));
  if (!info.Issuer.empty()) text += QString::fromUtf8("\nAusgestellt von: %1").arg(ToQ(info.Issuer));
  text += QString::fromUtf8(
      "\n\nVergleichen Sie den Fingerabdruck mit dem, den Ihr Anbieter nennt. Dem Zertifikat "
      "vertrauen und verbinden?");
  return text;
}

FtpTrustDecision AskCertificateTrust(QWidget* parent, const FtpCertificateInfo& info) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8("Zertifikat prüfen"),
                  CertificateQuestionText(info), QMessageBox::NoButton, parent);
  box.setObjectName("CertificateQuestion");
  QPushButton* once = box.addButton("Ja", QMessageBox::YesRole);
  QPushButton* always = box.addButton("Immer vertrauen", QMessageBox::AcceptRole);
  QPushButton* no = box.addButton("Nein", QMessageBox::NoRole);
  once->setObjectName("Ja");
  always->setObjectName("ImmerVertrauen");
  no->setObjectName("Nein");
  box.setDefaultButton(no);  // Enter alone never trusts a stranger
  box.setEscapeButton(no);
  box.exec();
  if (box.clickedButton() == once) return FtpTrustDecision::AcceptOnce;
  if (box.clickedButton() == always) return FtpTrustDecision::AcceptAlways;
  return FtpTrustDecision::Reject;
}
