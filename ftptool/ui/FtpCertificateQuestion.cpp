#include "FtpCertificateQuestion.h"

#include <QMessageBox>

#include "FtpHelpKey.h"
#include "FtpTrustButtons.h"
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

FtpTrustDecision AskCertificateTrust(QWidget* parent, const FtpCertificateInfo& info,
                                     const std::function<void()>& help) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8("Zertifikat prüfen"),
                  CertificateQuestionText(info), QMessageBox::NoButton, parent);
  box.setObjectName("CertificateQuestion");
  HelpOnF1(&box, help);
  switch (AskTrustWithButtons(box)) {
    case FtpTrustAnswer::Once: return FtpTrustDecision::AcceptOnce;
    case FtpTrustAnswer::Always: return FtpTrustDecision::AcceptAlways;
    case FtpTrustAnswer::No: break;
  }
  return FtpTrustDecision::Reject;
}
