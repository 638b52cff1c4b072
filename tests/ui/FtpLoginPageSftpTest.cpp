// The page "Anmeldung" with an SFTP host: the FTP-only proxy controls grey while the host
// field holds "sftp://...", as the user types and when a profile is opened, and come back for
// an FTP host; the profile keeps its format.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "FTP1.h"
#include "FtpLoginPage.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

class FtpLoginPageSftp : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{.dialogs = &dialogs, .par = &par, .settingsFolder = {}}};
  FtpLoginPage& login = form.LoginPage();
  ScratchFolder folder;

  // Whether the proxy mode and the proxy data can be used (their boxes grey their controls).
  bool ModeUsable() const { return login.ProxyGroup->button(3)->isEnabled(); }
  bool ProxyDataUsable() const { return login.HostEditP->isEnabled() && login.PwCheckBoxP->isEnabled(); }

  void SaveAs(const fs::path& file) {
    dialogs.fileAnswers.push_back(FileChoice{file, 1});
    form.Command(FtpCommand::FTPspeichern1)->trigger();
  }
  void Open(const fs::path& file) {
    if (form.Document().Modified()) dialogs.messageAnswers.push_back(MsgResult::No);
    dialogs.fileAnswers.push_back(FileChoice{file, 1});
    form.Command(FtpCommand::FTPffnen1)->trigger();
  }
};

}  // namespace

TEST_F(FtpLoginPageSftp, ProxyControlsFollowTheTypedHost) {
  ASSERT_TRUE(ModeUsable());
  login.ProxyGroup->button(2)->click();
  ASSERT_TRUE(ProxyDataUsable());

  // A chosen proxy mode stays switchable for an SFTP host (the connection refuses the pair),
  // the proxy data grey at the last letter of the scheme.
  QTest::keyClicks(login.HostEdit, "SFtp:/");
  EXPECT_TRUE(ProxyDataUsable()) << "not yet an SFTP host";
  QTest::keyClicks(login.HostEdit, "/nas.fritz.box");
  EXPECT_FALSE(ProxyDataUsable());
  EXPECT_TRUE(ModeUsable());
  login.ProxyGroup->button(0)->click();
  EXPECT_FALSE(ModeUsable());
  EXPECT_FALSE(ProxyDataUsable());

  // Back to FTP: the mode is usable again, the data with a mode only.
  QTest::keyClick(login.HostEdit, Qt::Key_Home);
  QTest::keyClick(login.HostEdit, Qt::Key_Delete);
  EXPECT_EQ(login.HostEdit->text(), "Ftp://nas.fritz.box");
  EXPECT_TRUE(ModeUsable());
  EXPECT_FALSE(ProxyDataUsable());
  login.ProxyGroup->button(5)->click();
  EXPECT_TRUE(ProxyDataUsable());

  for (const char* ftp : {"nas-sftp://x", " sftp://nas", "sftp:/nas", "sftp.example.org"}) {
    login.HostEdit->setText(ftp);
    EXPECT_TRUE(ProxyDataUsable()) << ftp;
  }
  login.HostEdit->setText("sFTP://[::1]:2222");
  EXPECT_FALSE(ProxyDataUsable());
  EXPECT_EQ(login.ReadLogin().Host, "sFTP://[::1]:2222") << "the host is kept as typed";
  EXPECT_EQ(login.ReadLogin().ProxyMode, 5) << "greying changes no value";
}

TEST_F(FtpLoginPageSftp, OpenedProfileSetsTheControlsAndKeepsItsFormat) {
  const fs::path sftpFile = folder.File("nas.ftpz"), ftpFile = folder.File("schule.ftpz");
  login.HostEdit->setText("ftp.schule.example");
  login.ProxyGroup->button(1)->click();
  login.HostEditP->setText("proxy.schule.example");
  SaveAs(ftpFile);
  form.Command(FtpCommand::FTPneu1)->trigger();
  login.HostEdit->setText("sftp://pi@192.168.1.5");
  login.PortEdit->setText("22");
  SaveAs(sftpFile);
  EXPECT_EQ(fs::file_size(sftpFile), 1984u);

  Open(ftpFile);
  EXPECT_TRUE(ModeUsable());
  EXPECT_TRUE(ProxyDataUsable());
  EXPECT_EQ(login.HostEditP->text(), "proxy.schule.example");

  Open(sftpFile);
  EXPECT_EQ(login.HostEdit->text(), "sftp://pi@192.168.1.5");
  EXPECT_EQ(login.PortEdit->text(), "22");
  EXPECT_FALSE(ModeUsable());
  EXPECT_FALSE(ProxyDataUsable());
  EXPECT_FALSE(form.Document().Modified()) << "greying is no user change";

  Open(ftpFile);
  EXPECT_TRUE(ModeUsable());
  EXPECT_TRUE(ProxyDataUsable());

  // A new profile is an FTP one again.
  Open(sftpFile);
  form.Command(FtpCommand::FTPneu1)->trigger();
  EXPECT_TRUE(ModeUsable());
}
