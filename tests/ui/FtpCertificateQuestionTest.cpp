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
#include "PyftpdServer.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "TlsCertificate.h"

namespace fs = std::filesystem;

namespace {

// Clicks the named button of the next certificate question and keeps its text.
void AnswerQuestion(const char* button, QString* shownText) {
  QTimer::singleShot(10, [button, shownText] {
    QMessageBox* box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&box] {
          box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          return box != nullptr;
        },
        10000));
    ASSERT_NE(box, nullptr);
    *shownText = box->text();
    box->findChild<QPushButton*>(button)->click();
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
  AnswerQuestion("ImmerVertrauen", &question);
  ASSERT_TRUE(form.Connection().Connect());
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
  AnswerQuestion("Nein", &question);
  EXPECT_FALSE(form.Connection().Connect());
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
