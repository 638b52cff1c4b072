// The tool window against a real sshd on loopback: an unknown host key asked about in the
// window, "Immer vertrauen" written to known_hosts and not asked again, "Ja" trusting this
// connection only, "Nein" leaving the tool unconnected; the browser lists the server; the
// passphrase of an encrypted key asked for in the window.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "FtpLoginForServer.h"
#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpConnectionPanel.h"
#include "FtpLoginPage.h"
#include "ModalAnswer.h"
#include "ScriptedDialogs.h"
#include "SshFixture.h"

namespace {

class FtpSftpWindow : public ::testing::Test, protected SshdWithOwnHome {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Running());
    FillLoginForSshd(form, server, knownHosts);
  }

  // Connects while the next host-key question is answered with the named button.
  bool ConnectAnswering(const char* button) {
    question.clear();
    ModalAnswer<QMessageBox> answer([this, button](QMessageBox& box) {
      question = box.text();
      box.findChild<QPushButton*>(button)->click();
    });
    const bool connected = form.Connection().Connect();
    asked = answer.Answered();
    return connected;
  }

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  QString question;
  bool asked = false;
};

}  // namespace

TEST_F(FtpSftpWindow, TrustedAlwaysIsKeptAndTheBrowserListsTheServer) {
  fs::create_directories(server.Files() / "lektion");
  WriteText(server.Files() / "Übung.txt", "bonjour\n");

  ASSERT_TRUE(ConnectAnswering("ImmerVertrauen"));
  ASSERT_TRUE(asked) << "no host-key question";
  EXPECT_TRUE(question.contains(QString::fromStdString(KeyFingerprint(server.HostPublicKey())))) << question.toStdString();
  EXPECT_TRUE(question.contains(QString("127.0.0.1:%1").arg(server.Port())));
  EXPECT_TRUE(question.contains("ssh-ed25519"));
  EXPECT_NE(ReadText(knownHosts).find(ReadText(server.HostPublicKey()).substr(0, 40)), std::string::npos)
      << ReadText(knownHosts);

  FtpBrowserPage& page = form.BrowserPage();
  page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
  page.ChangeRemote();
  std::vector<std::string> captions;
  for (const FtpBrowserRow& row : page.Remote().Rows) captions.push_back(row.Caption);
  EXPECT_NE(std::find(captions.begin(), captions.end(), "Übung.txt"), captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "lektion"), captions.end());
  form.Connection().Disconnect();

  ASSERT_TRUE(ConnectAnswering("Nein"));
  EXPECT_FALSE(asked) << "a key trusted always is asked about again";
  form.Connection().Disconnect();
}

TEST_F(FtpSftpWindow, YesTrustsThisConnectionOnlyAndNoRefuses) {
  ASSERT_TRUE(ConnectAnswering("Ja"));
  EXPECT_TRUE(asked);
  form.Connection().Disconnect();
  EXPECT_FALSE(fs::exists(knownHosts) && !ReadText(knownHosts).empty());

  EXPECT_FALSE(ConnectAnswering("Nein"));
  EXPECT_TRUE(asked) << "a key trusted once is not remembered";
  EXPECT_FALSE(form.Connection().Session().Connected());
  EXPECT_FALSE(fs::exists(knownHosts) && !ReadText(knownHosts).empty());
}

TEST_F(FtpSftpWindow, EncryptedKeyAsksForItsPassphraseAndAbbrechenSkipsIt) {
  agentSocket.reset();
  const ScopedEnv noAgent("SSH_AUTH_SOCK", "");
  fs::create_directories(home.Path() / ".ssh");
  const fs::path key = home.Path() / ".ssh" / "id_ed25519";
  MakeKey(key, "Grüße");
  WriteText(server.Folder() / "authorized_keys", ReadText(key.string() + ".pub"));
  WriteText(knownHosts, server.KnownHostsLine());

  const auto connectAnswering = [this, &key](const std::function<void(QInputDialog&)>& answer) {
    ModalAnswer<QInputDialog> answerer([&](QInputDialog& dialog) {
      EXPECT_TRUE(dialog.labelText().contains(QString::fromStdString(key.string()))) << dialog.labelText().toStdString();
      answer(dialog);
    });
    const bool connected = form.Connection().Connect();
    EXPECT_TRUE(answerer.Answered()) << "no passphrase question";
    return connected;
  };
  EXPECT_FALSE(connectAnswering([](QInputDialog& dialog) { dialog.reject(); }));
  ASSERT_TRUE(connectAnswering([](QInputDialog& dialog) {
    dialog.setTextValue(QString::fromUtf8("Grüße"));
    dialog.accept();
  }));
  form.Connection().Disconnect();
}
