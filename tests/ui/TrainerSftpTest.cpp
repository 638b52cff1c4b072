// The trainer's "Auf FTP-Server speichern" and "Vom FTP-Server öffnen" with an sftp:// profile
// against a real sshd on loopback: the learner types the server's folder into the dialog's
// path field, saves there and opens the file again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FtpLoginForServer.h"
#include "FTP1.h"
#include "FtpDialogPage.h"
#include "FtpLoginPage.h"
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
        if (WaitForList()) InServerFolder(script);
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
  form->Action("AufFTPServerspeichern1")->trigger();
  EXPECT_EQ(form->StatusText(2), "als lektion3.evd hochgeladen");
  ASSERT_TRUE(fs::exists(server.Files() / "lektion3.evd"));
  EXPECT_EQ(ReadText(server.Files() / "lektion3.evd"), saved);

  box.SetRow(1, {"L2", "Tisch", "table"});
  dialogs.messageAnswers.push_back(MsgResult::No);  // the changes are let go
  script = [this] {
    Page().FileEdit->setText("lektion3.evd");
    Page().OkBtn->click();
  };
  form->Action("VomFTPServerffnen1")->trigger();
  EXPECT_EQ(form->StatusText(2), "lektion3.evd heruntergeladen");
  EXPECT_EQ(form->Document().Box(1).Cell(1, 1), "Haus");
  EXPECT_EQ(form->Document().Box(1).Cell(1, 2), "\xC4pfel");
  EXPECT_EQ(EncodeVocabFile(form->Document()), saved);
}
