// The protocol box of the page "Anmeldung": the port and user follow it as the user works the
// page, a typed "sftp://" host chooses SFTP, the choice lives in the side record beside the
// profile (the record itself unchanged), and what a server hears at the connect for each choice.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "FTP1.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpProtocol.h"
#include "FtpSftpHost.h"
#include "ScriptedDialogs.h"
#include "ScriptedServer.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Step = std::function<void(FtpLoginPage&)>;

Step Choose(FtpProtocol protocol) {
  return [protocol](FtpLoginPage& page) { page.ProtocolBox->setCurrentIndex(static_cast<int>(protocol)); };
}
Step Type(QLineEdit* FtpLoginPage::*edit, const char* text) {
  return [edit, text](FtpLoginPage& page) {
    (page.*edit)->clear();
    QTest::keyClicks(page.*edit, text);
  };
}

class FtpLoginProtocol : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  FtpPar par;
  ScratchFolder folder;
  fs::path data = [this] {
    fs::create_directories(folder.File("daten"));
    return fs::path(folder.File("daten"));
  }();
  TFTPForm1 form{{.dialogs = &dialogs, .par = &par, .settingsFolder = data}};
  FtpLoginPage& login = form.LoginPage();

  void SaveAs(const fs::path& file) {
    dialogs.fileAnswers.push_back(FileChoice{file, 1});
    form.Command(FtpCommand::FTPspeichernunter1)->trigger();
  }
  void Open(const fs::path& file) {
    if (form.Document().Modified()) dialogs.messageAnswers.push_back(MsgResult::No);
    dialogs.fileAnswers.push_back(FileChoice{file, 1});
    form.Command(FtpCommand::FTPffnen1)->trigger();
  }
};

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(FtpLoginProtocol, PortUserAndHostFollowTheChoiceAsTheUserWorksThePage) {
  const QString me = QString::fromStdString(SftpUserOf(SftpTarget{}, ""));
  struct Case {
    const char* what;
    Step step;
    FtpProtocol protocol;
    QString host, port, user;
  };
  const FtpProtocol autoTls = FtpProtocol::FtpTlsIfOffered, sftp = FtpProtocol::Sftp,
                    plain = FtpProtocol::FtpPlain;
  const Case cases[] = {
      {"a new profile", [](FtpLoginPage&) {}, autoTls, "", "21", "anonymous"},
      {"SFTP chosen", Choose(sftp), sftp, "", "22", me},
      {"back to FTP", Choose(plain), plain, "", "21", me},
      {"a typed port", Type(&FtpLoginPage::PortEdit, "2121"), plain, "", "2121", me},
      {"kept over a choice", Choose(sftp), sftp, "", "2121", me},
      {"an empty port", Type(&FtpLoginPage::PortEdit, ""), sftp, "", "", me},
      {"follows again", Choose(FtpProtocol::FtpTlsOnly), FtpProtocol::FtpTlsOnly, "", "21", me},
      {"a typed URL", Type(&FtpLoginPage::HostEdit, "sftp://pi@nas:2200"), sftp, "sftp://pi@nas:2200", "22",
       me},
      {"scheme taken away", Type(&FtpLoginPage::HostEdit, "nas"), FtpProtocol::FtpTlsOnly, "nas", "21", me},
      {"URL again", Type(&FtpLoginPage::HostEdit, "SFTP://pi@nas:2200"), sftp, "SFTP://pi@nas:2200", "22",
       me},
      {"FTP chosen takes the URL apart", Choose(plain), plain, "nas", "2200", "pi"},
  };
  login.UserEdit->setText("anonymous");
  for (const Case& c : cases) {
    c.step(login);
    EXPECT_EQ(login.Protocol(), c.protocol) << c.what;
    EXPECT_EQ(login.ReadLogin().Protocol, c.protocol) << c.what;
    EXPECT_EQ(login.HostEdit->text(), c.host) << c.what;
    EXPECT_EQ(login.PortEdit->text(), c.port) << c.what;
    EXPECT_EQ(login.UserEdit->text(), c.user) << c.what;
  }
  EXPECT_EQ(login.ProtocolBox->itemText(0), QString::fromUtf8("FTP, verschlüsselt wenn möglich"));
  EXPECT_EQ(login.ProtocolBox->itemText(1), QString::fromUtf8("FTP über TLS (nur verschlüsselt)"));
  EXPECT_EQ(login.ProtocolBox->itemText(2), "FTP");
  EXPECT_EQ(login.ProtocolBox->itemText(3), "SFTP (SSH)");
}

TEST_F(FtpLoginProtocol, TheChoiceLivesBesideTheProfileWhoseRecordStaysAsItWas) {
  const fs::path withChoice = folder.File("nas.ftpz"), old = folder.File("alt.ftpz");
  login.HostEdit->setText("nas.example");
  SaveAs(old);
  fs::remove(FtpProtocolRecordPath(old));  // as a profile of an earlier version
  const std::string record = Bytes(old);
  Choose(FtpProtocol::Sftp)(login);
  SaveAs(withChoice);
  EXPECT_EQ(Bytes(withChoice).size(), 1984u);
  EXPECT_EQ(Bytes(FtpProtocolRecordPath(withChoice)), "protocol=sftp\n");
  EXPECT_EQ(fs::status(FtpProtocolRecordPath(withChoice)).permissions() & fs::perms::others_read,
            fs::perms::none);

  Open(old);
  EXPECT_EQ(login.Protocol(), FtpProtocol::FtpTlsIfOffered) << "no side record opens as before";
  EXPECT_EQ(login.PortEdit->text(), "21");
  Open(withChoice);
  EXPECT_EQ(login.Protocol(), FtpProtocol::Sftp);
  EXPECT_EQ(login.PortEdit->text(), "22");
  EXPECT_FALSE(form.Document().Modified()) << "showing the choice is no user change";
  Choose(FtpProtocol::FtpPlain)(login);
  SaveAs(old);
  EXPECT_EQ(Bytes(FtpProtocolRecordPath(old)), "protocol=ftp\n");
  form.Command(FtpCommand::FTPneu1)->trigger();
  EXPECT_EQ(login.Protocol(), FtpProtocol::FtpTlsIfOffered);
  Open(old);
  EXPECT_EQ(login.Protocol(), FtpProtocol::FtpPlain);
  EXPECT_EQ(Bytes(old).size(), record.size());
}

// A server that announces AUTH TLS and refuses it (pure-ftpd without a certificate) and one
// without TLS, under each FTP choice: what the server received before the connect ended.
TEST_F(FtpLoginProtocol, EachChoiceReachesTheConnection) {
  const std::string announces = "211-Erweiterungen\r\n AUTH TLS\r\n211 Ende";
  struct Case {
    FtpProtocol protocol;
    bool offersTls;
    bool connects;
    std::vector<std::string> firstCommands;
  };
  const Case cases[] = {
      {FtpProtocol::FtpPlain, true, true, {"USER anna", "PASS geheim"}},
      {FtpProtocol::FtpTlsIfOffered, true, false, {"FEAT", "AUTH TLS"}},
      {FtpProtocol::FtpTlsIfOffered, false, true, {"FEAT", "USER anna"}},
      {FtpProtocol::FtpTlsOnly, false, false, {"FEAT", "AUTH TLS"}},
  };
  for (const Case& c : cases) {
    const std::string what =
        std::to_string(static_cast<int>(c.protocol)) + (c.offersTls ? " offered" : " none");
    ScriptedServer server;
    server.Send("220 Bereit\r\n");
    if (c.protocol != FtpProtocol::FtpPlain)
      server.Reply(c.offersTls ? announces : "211 Keine Erweiterungen");
    // The tool asks FEAT after the log-in unless it asked before it.
    if (c.connects)
      (c.protocol == FtpProtocol::FtpPlain ? server.AcceptToolLogIn() : server.AcceptLogIn()).Expect();
    else server.Reply("500 AUTH nicht eingerichtet");
    server.Start();
    Choose(c.protocol)(login);
    login.HostEdit->setText("127.0.0.1");
    login.PortEdit->setText(QString::number(server.Port()));
    login.UserEdit->setText("anna");
    login.PassEdit->setText("geheim");
    form.Client().ReadTimeout = 8000;
    EXPECT_EQ(form.Connection().Connect(), c.connects)
        << what << "\n"
        << form.LogPage().DebugListMemo()->toPlainText().toStdString();
    form.Connection().Disconnect();
    server.Finish();
    const std::vector<std::string>& got = server.Received();
    ASSERT_GE(got.size(), c.firstCommands.size()) << what;
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + c.firstCommands.size()), c.firstCommands)
        << what;
    if (c.protocol == FtpProtocol::FtpPlain) {
      EXPECT_EQ(std::count(got.begin(), got.end(), "AUTH TLS"), 0) << "plain FTP never asks for TLS";
    }
    if (!c.connects) {
      EXPECT_EQ(std::count(got.begin(), got.end(), "USER anna"), 0) << what << ": no name without TLS";
    }
  }
}
