// The trainer's "Auf FTP-Server speichern" and "Vom FTP-Server öffnen" with an sftp:// profile
// against a real sshd on loopback: the learner types the server's folder into the dialog's
// path field, saves there and opens the file again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpDialogPage.h"
#include "FtpLoginForServer.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "MainWindowFixture.h"
#include "SshFixture.h"
#include "vokdisk.h"

namespace {

class TrainerSftpTest : public MainWindowTest, protected SshdWithOwnHome {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Running());
    WriteText(knownHosts, server.KnownHostsLine());
    Open();
    FillLoginForSshd(tool, server, knownHosts);
    form->SetFtpDialog(&par, [this] {
      QTimer::singleShot(0, &tool, [this] {
        if (!WaitForList()) return tool.reject();
        startFolder = Page().VerzEdit->text().toStdString();
        startName = Page().FileEdit->text().toStdString();
        InServerFolder(script);
        if (tool.isVisible()) tool.reject();  // a script that left it open must not hang
      });
      return tool.exec() == QDialog::Accepted;
    });
  }

  FtpDialogPage& Page() { return tool.DialogPage(); }

  bool WaitForList() {
    return QTest::qWaitFor([this] { return !Page().EnterQueued() && !Page().VerzEdit->text().isEmpty(); },
                           10000);
  }

  // Goes to the server's playground the way a learner does, then runs the script.
  void InServerFolder(const std::function<void()>& then) {
    Page().VerzEdit->setText(QString::fromStdString(server.Files().string()));
    Page().VerzEditEnter();
    if (then) then();
  }

  FtpPar par;
  std::string startFolder, startName;  // the dialog's fields when it came up
  TFTPForm1 tool{TFTPForm1::Services{.dialogs = &dialogs, .par = &par, .settingsFolder = {}}};
  std::function<void()> script;
};

}  // namespace

TEST_F(TrainerSftpTest, SaveOnTheServerThenOpenFromIt) {
  VokTable& box = form->Document().Box(1);
  box.SetRowCount(3);
  box.SetRow(1, {"L1", "Haus", "maison"});
  box.SetRow(2, {"L1", "\xC4pfel", "pommes"});  // Windows-1252 in the document
  form->SetModified();
  const std::string saved = EncodeVocabFile(form->Document());

  script = [this] {
    Page().FileEdit->setText("lektion3");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  EXPECT_EQ(form->StatusText(2), "als lektion3.evd hochgeladen");
  ASSERT_TRUE(fs::exists(server.Files() / "lektion3.evd"));
  EXPECT_EQ(ReadText(server.Files() / "lektion3.evd"), saved);

  box.SetRow(1, {"L2", "Tisch", "table"});
  dialogs.messageAnswers.push_back(MsgResult::No);  // the changes are let go
  script = [this] {
    Page().FileEdit->setText("lektion3.evd");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::VomFTPServerffnen1)->trigger();
  EXPECT_EQ(startName, "");  // not the name of the save before
  EXPECT_EQ(form->StatusText(2), "lektion3.evd heruntergeladen");
  EXPECT_EQ(form->Document().Box(1).Cell(1, 1), "Haus");
  EXPECT_EQ(form->Document().Box(1).Cell(1, 2), "\xC4pfel");
  EXPECT_EQ(EncodeVocabFile(form->Document()), saved);
}

// Closing the tool while a file arrives stops the transfer and ends the connection once the
// transfer has let go of it. The next save connects afresh, in the profile's remote folder.
TEST_F(TrainerSftpTest, ClosedWhileAFileArrivesTheToolLeavesNoConnection) {
  const std::string profileFolder = server.Files().string();
  WriteText(server.Files() / "gross.bin", std::string(8 << 20, 'x'));
  QTimer closeWhileBusy;
  QObject::connect(&closeWhileBusy, &QTimer::timeout, [this] {
    if (tool.Connection().Busy() && tool.isVisible()) tool.close();
  });
  par.SetServiceMode();
  QTimer::singleShot(0, &tool, [&] {
    FtpBrowserPage& page = tool.BrowserPage();
    tool.Command(FtpCommand::herstellen1)->trigger();
    tool.PageControl()->setCurrentWidget(tool.TabSheet2Page());
    page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
    page.ChangeRemote();
    page.VerzEdit1->setText(QString::fromStdString(server.Folder().string()));
    page.ChangeLocal();
    for (size_t i = 0; i < page.Remote().Rows.size(); ++i)
      if (page.Remote().Rows[i].Caption == "gross.bin") page.ListView2->SelectRow(static_cast<int>(i));
    closeWhileBusy.start(0);
    page.HerunterBtn->click();
  });
  tool.exec();
  closeWhileBusy.stop();
  EXPECT_FALSE(tool.Connection().Session().Connected());
  FtpProfileValues profile = tool.ReadControls();
  profile.Folders.RemoteDir = profileFolder;
  tool.ShowControls(profile);
  tool.Document().ClearModified();
  script = [this] {
    Page().FileEdit->setText("nachher");
    Page().OkBtn->click();
  };
  form->Command(VokCommand::AufFTPServerspeichern1)->trigger();
  EXPECT_EQ(startFolder, profileFolder);
  EXPECT_EQ(form->StatusText(2), "als nachher.evd hochgeladen");
}
