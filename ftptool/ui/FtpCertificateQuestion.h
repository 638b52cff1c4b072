#pragma once
// The question put to the learner when a server's certificate cannot be verified (self-signed
// or unknown issuer, another name): its SHA-256 fingerprint, and "Ja" (this connection),
// "Nein" or "Immer vertrauen" (remembered for the host).
#include <QString>
#include <functional>

#include "FtpTls.h"

class QWidget;

// The text of the question; Windows-1252 fields of the certificate are shown as they are.
QString CertificateQuestionText(const FtpCertificateInfo& info);

// help: what F1 opens while the question is up (the page on FTP over TLS).
FtpTrustDecision AskCertificateTrust(QWidget* parent, const FtpCertificateInfo& info,
                                     const std::function<void()>& help = {});
