// The server goes away in the middle of a download over SFTP and cannot be reached again at
// once: the window says so in German, shows no connection, keeps no half file under the
// final name, and connects again when the learner asks once the server is back.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpConnectionPanel.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "ScriptedDialogs.h"
#include "SshFixture.h"

namespace {

int RowOf(const FtpBrowserRows& rows, const std::string& caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

bool IndicatorShowsConnected(TFTPForm1& form) {
  return form.Button("Image1Btn")->property("imageIndex").toInt() == 23;
}

}  // namespace

TEST(FtpSftpDrop, ADroppedDownloadLeavesNoFileShowsNoConnectionAndReconnectsWhenAsked) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder home;
  SshAgent agent{server.UserKey()};
  const ScopedEnv agentSocket("SSH_AUTH_SOCK", agent.Socket());
  const ScopedEnv homeFolder("HOME", home.Path().string());
  WriteText(home.Path() / "known_hosts", server.KnownHostsLine());
  fs::create_directories(server.Files());
  const std::uintmax_t size = 96u << 20;
  WriteText(server.Files() / "gross.bin", "");
  fs::resize_file(server.Files() / "gross.bin", size);
  const fs::path local = home.Path() / "lokal";
  fs::create_directories(local);

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  form.Connection().KnownHostsFile = (home.Path() / "known_hosts").string();
  FtpLoginPage& login = form.LoginPage();
  login.HostEdit->setText("sftp://127.0.0.1");
  login.PortEdit->setText(QString::number(server.Port()));
  login.UserEdit->setText(::getpwuid(::getuid())->pw_name);  // sshd lets in only its own user
  login.PassEdit->clear();
  FtpBrowserPage& page = form.BrowserPage();
  page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
  page.VerzEdit1->setText(QString::fromStdString(local.string()));
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  form.show();
  form.Button("ConnectBtn")->click();
  ASSERT_TRUE(form.Connection().Session().Connected());
  ASSERT_TRUE(IndicatorShowsConnected(form));
  page.ChangeLocal();

  // Once bytes flow the server's processes die, and the port the tool tries again is shut.
  int cut = 0;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (cut == 0 && form.Connection().TransferRunning()) {
      cut = server.CutSessions();
      login.PortEdit->setText("1");
    }
  });
  page.ListView2->SelectRow(RowOf(page.Remote().Rows, "gross.bin"));
  watch.start();
  page.HerunterBtn->click();
  watch.stop();
  ASSERT_GT(cut, 0) << "the download ended before the server could be cut";

  EXPECT_FALSE(form.Connection().Session().Connected());
  EXPECT_FALSE(IndicatorShowsConnected(form)) << "the window still shows a connection";
  EXPECT_EQ(form.StatusText(2), "Verbindung konnte nicht hergestellt werden!");
  const QString log = form.LogPage().DebugListMemo()->toPlainText();
  EXPECT_TRUE(log.contains("Die Verbindung zum Server ist abgebrochen.")) << log.toStdString();
  for (const auto& entry : fs::directory_iterator(local))
    ADD_FAILURE() << "left behind: " << entry.path().filename();

  login.PortEdit->setText(QString::number(server.Port()));
  form.Button("ConnectBtn")->click();
  ASSERT_TRUE(form.Connection().Session().Connected());
  EXPECT_TRUE(IndicatorShowsConnected(form));
  const int row = RowOf(page.Remote().Rows, "gross.bin");
  ASSERT_GE(row, 0) << "the remote list is not shown again";
  page.ListView2->SelectRow(row);
  page.HerunterBtn->click();
  EXPECT_EQ(form.StatusText(2), "Herunterladen beendet");
  EXPECT_EQ(fs::file_size(local / "gross.bin"), size);
  form.Connection().Disconnect();
  form.Document().ClearModified();
  form.close();
}
