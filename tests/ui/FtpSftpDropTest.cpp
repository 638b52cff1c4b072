// The server goes away in the middle of a download or an upload over SFTP and cannot be
// reached again at once: the window says so in German, shows no connection and no transfer
// under way, keeps no half file under the final name, and connects again when the learner
// asks once the server is back.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "FtpLoginForServer.h"
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

class FtpSftpDrop : public ::testing::Test, protected SshdWithOwnHome {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Running());
    WriteText(knownHosts, server.KnownHostsLine());
    fs::create_directories(server.Files());
    fs::create_directories(local);
    FillLoginForSshd(form, server, knownHosts);
    page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
    page.VerzEdit1->setText(QString::fromStdString(local.string()));
    form.PageControl()->setCurrentWidget(form.TabSheet2Page());
    form.show();
    form.Button("ConnectBtn")->click();
    ASSERT_TRUE(form.Connection().Session().Connected());
    ASSERT_TRUE(IndicatorShowsConnected(form));
    page.ChangeLocal();
  }

  void TearDown() override {
    form.Connection().Disconnect();
    form.Document().ClearModified();
    form.close();
  }

  // Clicks the button while, once bytes flow, the server's processes die and the port the
  // tool tries again is shut; then checks what the window shows.
  void CutDuring(QPushButton* button, FtpBrowserListView* list, const FtpBrowserRows& rows, const std::string& name) {
    int cut = 0;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (cut == 0 && form.Connection().TransferRunning()) {
        cut = server.CutSessions();
        login.PortEdit->setText("1");
      }
    });
    list->SelectRow(RowOf(rows, name));
    watch.start();
    button->click();
    watch.stop();
    ASSERT_GT(cut, 0) << "the transfer ended before the server could be cut";
    EXPECT_FALSE(form.Connection().Session().Connected());
    EXPECT_FALSE(IndicatorShowsConnected(form)) << "the window still shows a connection";
    EXPECT_FALSE(form.Connection().TransferRunning()) << "the window still shows a transfer";
    EXPECT_FALSE(form.Command(FtpCommand::Upabbrechen1)->isEnabled()) << "the abort stays offered";
    EXPECT_EQ(form.StatusText(1), "");
    EXPECT_EQ(form.StatusText(2), "Verbindung konnte nicht hergestellt werden!");
    const QString log = form.LogPage().DebugListMemo()->toPlainText();
    EXPECT_TRUE(log.contains("Die Verbindung zum Server ist abgebrochen.")) << log.toLocal8Bit().toStdString();
  }

  void ReconnectAsked() {
    login.PortEdit->setText(QString::number(server.Port()));
    form.Button("ConnectBtn")->click();
    ASSERT_TRUE(form.Connection().Session().Connected());
    EXPECT_TRUE(IndicatorShowsConnected(form));
  }

  static constexpr std::uintmax_t kSize = 96u << 20;
  fs::path local = home.Path() / "lokal";
  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  FtpLoginPage& login = form.LoginPage();
  FtpBrowserPage& page = form.BrowserPage();
};

void MakeSparseFile(const fs::path& path, std::uintmax_t size) {
  WriteText(path, "");
  fs::resize_file(path, size);
}

}  // namespace

TEST_F(FtpSftpDrop, ADroppedDownloadLeavesNoFileAndTheFileComesAfterTheReconnect) {
  MakeSparseFile(server.Files() / "gross.bin", kSize);
  page.ChangeRemote();
  CutDuring(page.HerunterBtn, page.ListView2, page.Remote().Rows, "gross.bin");
  for (const auto& entry : fs::directory_iterator(local))
    ADD_FAILURE() << "left behind: " << entry.path().filename();

  ReconnectAsked();
  const int row = RowOf(page.Remote().Rows, "gross.bin");
  ASSERT_GE(row, 0) << "the remote list is not shown again";
  page.ListView2->SelectRow(row);
  page.HerunterBtn->click();
  EXPECT_EQ(form.StatusText(2), "Herunterladen beendet");
  EXPECT_EQ(fs::file_size(local / "gross.bin"), kSize);
}

// Large enough to be written over several connections at once.
TEST_F(FtpSftpDrop, ADroppedUploadEndsItsProgressAndLeavesNothingUnderTheFinalName) {
  MakeSparseFile(local / "gross.bin", kSize);
  page.ChangeLocal();
  page.ChangeRemote();
  CutDuring(page.HochBtn, page.ListView1, page.Local().Rows, "gross.bin");
  EXPECT_FALSE(fs::exists(server.Files() / "gross.bin"));

  ReconnectAsked();
  page.ListView1->SelectRow(RowOf(page.Local().Rows, "gross.bin"));
  page.HochBtn->click();
  EXPECT_EQ(form.StatusText(2), "Hochladen beendet");
  EXPECT_EQ(fs::file_size(server.Files() / "gross.bin"), kSize);
}
