// A tree of the learner's sent up and fetched back through the buttons of the page
// "Verzeichnisse / Dateien" over SFTP, against a real sshd on loopback: UTF-8 names, a blank
// in a name, an empty folder, a file of some MiB, local links that are not followed. What
// comes back must equal the source as `diff -r` sees it, and the server keeps no temporary
// upload names.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include "FtpLoginForServer.h"
#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpConnectionPanel.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "ScriptedDialogs.h"
#include "SshFixture.h"

namespace {

// Everything below root by relative path: "d" for a folder, "l" for a link, else "f" and the
// bytes. Two trees with equal maps are what `diff -r --no-dereference` calls equal.
std::map<std::string, std::string> TreeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = fs::relative(it->path(), root).string();
    if (it->is_symlink()) tree[name] = "l";
    else if (it->is_directory()) tree[name] = "d";
    else tree[name] = "f" + ReadText(it->path());
  }
  return tree;
}

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(20261209);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

int RowOf(const FtpBrowserRows& rows, const std::string& caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

}  // namespace

TEST(FtpSftpTreeWindow, ATreeGoesUpAndComesBackByteForByteThroughThePageButtons) {
  const SshdWithOwnHome ssh;
  const SshdServer& server = ssh.server;
  ASSERT_TRUE(server.Running());
  const TempFolder& home = ssh.home;
  const fs::path& knownHosts = ssh.knownHosts;
  WriteText(knownHosts, server.KnownHostsLine());

  // The learner's tree, with two links to things outside it that must stay at home.
  const fs::path source = home.Path() / "quelle" / "Übungen";
  fs::create_directories(source / "Straße" / "日本語の単語");
  fs::create_directories(source / "leerer Ordner");
  fs::create_directories(home.Path() / "geheim");
  WriteText(home.Path() / "geheim" / "passwort.txt", "nur hier\n");
  WriteText(source / "ä é ß.txt", "Grüße\r\n");
  WriteText(source / "Straße" / "café.txt", "crème brûlée\n");
  WriteText(source / "Straße" / "日本語の単語" / "辞書.bin", std::string("\x00\xff\x0d\x0a", 4));
  WriteText(source / "Straße" / "leer.txt", "");
  WriteText(source / "groß.bin", RandomBytes((5 << 20) + 12345));
  fs::create_symlink(home.Path() / "geheim" / "passwort.txt", source / "Verweis.txt");
  fs::create_directory_symlink(home.Path() / "geheim", source / "Straße" / "Ordnerverweis");

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  FtpBrowserPage& page = form.BrowserPage();
  std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
  for (QAbstractItemModel* model : {page.ListView1->model(), page.ListView2->model()})
    testers.push_back(std::make_unique<QAbstractItemModelTester>(
        model, QAbstractItemModelTester::FailureReportingMode::Fatal));
  FillLoginForSshd(form, server, knownHosts);
  form.PageControl()->setCurrentWidget(form.TabSheet2Page());
  form.show();
  ASSERT_TRUE(form.Connection().Connect());
  form.ConnectionPanel().EnterRemoteStartDirectory();

  fs::create_directories(server.Files());
  page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
  page.ChangeRemote();
  page.VerzEdit1->setText(QString::fromStdString(source.parent_path().string()));
  page.ChangeLocal();
  const int sent = RowOf(page.Local().Rows, "Übungen");
  ASSERT_GE(sent, 0);
  page.ListView1->SelectRow(sent);
  page.HochBtn->click();
  EXPECT_EQ(form.StatusText(2), "Hochladen beendet, 2 übersprungen (siehe Logbuch)");  // the two links

  const fs::path onServer = server.Files() / "Übungen";
  ASSERT_TRUE(fs::is_directory(onServer));
  for (const auto& [name, kind] : TreeOf(onServer)) {
    EXPECT_EQ(name.find("~ladeko-"), std::string::npos) << "temporary name left: " << name;
    EXPECT_EQ(name.find("Verweis"), std::string::npos) << "a local link was followed: " << name;
    EXPECT_NE(kind, "l") << name;
  }

  // The learner closes the tool and opens it again: the abort request of the closing window
  // must not cut the next tree short.
  form.close();
  form.show();
  ASSERT_TRUE(form.Connection().Connect());
  form.ConnectionPanel().EnterRemoteStartDirectory();
  page.VerzEdit2->setText(QString::fromStdString(server.Files().string()));
  page.ChangeRemote();

  const fs::path back = home.Path() / "zurück";
  fs::create_directories(back);
  page.VerzEdit1->setText(QString::fromStdString(back.string()));
  page.ChangeLocal();
  const int fetched = RowOf(page.Remote().Rows, "Übungen");
  ASSERT_GE(fetched, 0);
  page.ListView2->SelectRow(fetched);
  page.HerunterBtn->click();
  EXPECT_EQ(form.StatusText(2), "Herunterladen beendet");
  EXPECT_GE(RowOf(page.Local().Rows, "Übungen"), 0);  // the local list was read again

  std::map<std::string, std::string> expected = TreeOf(source);
  std::erase_if(expected, [](const auto& entry) { return entry.second == "l"; });
  const std::map<std::string, std::string> got = TreeOf(back / "Übungen");
  EXPECT_EQ(got.size(), expected.size());
  for (const auto& [name, content] : expected) {
    const auto it = got.find(name);
    if (it == got.end()) ADD_FAILURE() << "missing after the round trip: " << name;
    else EXPECT_TRUE(it->second == content) << "differs after the round trip: " << name;
  }
  for (const auto& [name, content] : got)
    EXPECT_TRUE(expected.contains(name)) << "more after the round trip: " << name;
  EXPECT_EQ(ReadText(home.Path() / "geheim" / "passwort.txt"), "nur hier\n");
  form.Connection().Disconnect();
  form.Document().ClearModified();
  form.close();
}
