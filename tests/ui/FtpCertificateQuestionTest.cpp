// The tool window against a server offering TLS with a certificate of its own making: the
// question with the fingerprint, "Immer vertrauen" remembered for the next connection, and a
// refusal that leaves the tool unconnected.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "FTP1.h"
#include "FtpLoginForServer.h"
#include "FtpCertificateQuestion.h"
#include "FtpLoginPage.h"
#include "FtpTrustStore.h"
#include "ModalAnswer.h"
#include "PyftpdServer.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "TlsCertificate.h"

namespace fs = std::filesystem;

namespace {

// Clicks the named button of the next certificate question and keeps its text.
std::unique_ptr<ModalAnswer<QMessageBox>> AnswerQuestion(const char* button, QString* shownText) {
  return std::make_unique<ModalAnswer<QMessageBox>>([button, shownText](QMessageBox& box) {
    *shownText = box.text();
    if (auto* b = box.findChild<QPushButton*>(button)) b->click();
  });
}

class FtpCertificateWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(certificate.Made());
    server = std::make_unique<PyftpdServer>(
        PyftpdServer::Options{"127.0.0.1", certificate.CertFile(), certificate.KeyFile()});
    ASSERT_TRUE(server->Running()) << server->Problem();
    FillLoginForServer(form, server->Port());
    // A server that stops answering fails the test in seconds, not at the suite's time-out.
    form.Client().ReadTimeout = 20000;
  }

  TlsCertificate certificate;
  std::unique_ptr<PyftpdServer> server;
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, fs::path(folder.File(""))}};
};

}  // namespace

TEST_F(FtpCertificateWindow, TrustedAlwaysIsEncryptedAndNotAskedAgain) {
  QString question;
  const auto answer = AnswerQuestion("ImmerVertrauen", &question);
  QTest::qWait(50);  // the event loop turns before the question is up, as on a loaded machine
  ASSERT_TRUE(form.Connection().Connect());
  ASSERT_TRUE(answer->Answered()) << "no certificate question";
  EXPECT_TRUE(question.contains(QString::fromStdString(certificate.Fingerprint()))) << question.toStdString();
  EXPECT_TRUE(question.contains("127.0.0.1"));
  EXPECT_TRUE(question.contains("(selbst signiertes Zertifikat)")) << question.toStdString();
  EXPECT_FALSE(question.contains("self-signed")) << "OpenSSL's words belong to the log book";
  EXPECT_TRUE(form.Client().Encrypted());
  EXPECT_TRUE(form.StatusText(2).startsWith(QString::fromUtf8("Verbindung verschlüsselt (TLS")))
      << form.StatusText(2).toStdString();
  EXPECT_TRUE(fs::exists(folder.File(FtpTrustStore::kFileName)));

  form.Connection().Disconnect();
  int asked = 0;
  form.Connection().AskCertificate = [&asked](const FtpCertificateInfo&) {
    ++asked;
    return FtpTrustDecision::Reject;
  };
  ASSERT_TRUE(form.Connection().Connect());
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(form.Client().Encrypted());
  form.Connection().Disconnect();
}

TEST_F(FtpCertificateWindow, RefusedCertificateLeavesTheToolUnconnectedAndRemembersNothing) {
  QString question;
  const auto answer = AnswerQuestion("Nein", &question);
  EXPECT_FALSE(form.Connection().Connect());
  EXPECT_TRUE(answer->Answered()) << "no certificate question";
  EXPECT_FALSE(form.Client().Connected());
  EXPECT_FALSE(fs::exists(folder.File(FtpTrustStore::kFileName)));
}

TEST(FtpCertificateQuestionText, NamesHostProblemFingerprintAndIssuer) {
  const FtpCertificateInfo info{"ftp.example.test", "AB:CD", "CN=ftp.example.test", "CN=Eigenbau",
                                "Zertifikat noch nicht g\xFC" "ltig", "certificate is not yet valid"};
  const QString text = CertificateQuestionText(info);
  for (const char* part : {"ftp.example.test", "AB:CD", "CN=Eigenbau"}) EXPECT_TRUE(text.contains(part)) << part;
  EXPECT_TRUE(text.contains(QString::fromUtf8("(Zertifikat noch nicht gültig)"))) << text.toStdString();
  EXPECT_FALSE(text.contains("not yet valid"));
}
