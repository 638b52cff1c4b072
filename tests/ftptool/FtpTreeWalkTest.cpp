// Whole trees against pyftpdlib on loopback, and a scripted server whose listing carries
// names that would lead out of the target folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpRemoteSession.h"
#include "FtpExpect.h"
#include "FtpLocalPaths.h"
#include "FtpTreeWalk.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "ScriptedServer.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

class FtpTreeWalkReal : public PyftpdClientSuite {
 protected:
  fs::path Local(const std::string& name) const { return fs::path(folder.File(name)); }

  // Baum/a.txt, Baum/Eins/b.bin (more than one block), Baum/Eins/Zwei/c.txt, Baum/Eins/Zwei/leer/
  static void MakeTree(const fs::path& root) {
    fs::create_directories(root / "Eins" / "Zwei" / "leer");
    WriteFile((root / "a.txt").string(), "erste Ebene");
    WriteFile((root / "Eins" / "b.bin").string(), RandomBytes(70000));
    WriteFile((root / "Eins" / "Zwei" / "c.txt").string(), "dritte Ebene");
  }

  static void ExpectSameTree(const fs::path& a, const fs::path& b) {
    for (const auto& rel : {"a.txt", "Eins/b.bin", "Eins/Zwei/c.txt"})
      EXPECT_EQ(ReadFile((b / rel).string()), ReadFile((a / rel).string())) << rel;
    EXPECT_TRUE(fs::is_directory(b / "Eins" / "Zwei" / "leer"));
  }

  RecordingToolView view;
  ScratchFolder folder;
};


}  // namespace

TEST_F(FtpTreeWalkReal, ThreeLevelTreeGoesUpAndComesBackByteForByte) {
  MakeTree(Local("Baum"));
  std::vector<std::int64_t> announced;
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view, {nullptr, [&](std::int64_t n) { announced.push_back(n); }, {}});

  walker.UploadTree(Local("Baum"));
  ExpectSameTree(Local("Baum"), Home() / "Baum");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  EXPECT_EQ(walker.CurrentLocalFolder(), Local("Baum").parent_path());
  EXPECT_EQ(view.panels[2], "Baum hochgeladen");
  EXPECT_EQ(view.LinesStartingWith("Uploadstart: b.bin"),
            (std::vector<std::string>{"Uploadstart: b.bin   70000"}));
  EXPECT_EQ(announced.size(), 3u);

  fs::create_directory(Local("zurueck"));
  EXPECT_TRUE(walker.DownloadTree(Local("zurueck") / "Baum"));
  ExpectSameTree(Local("Baum"), Local("zurueck") / "Baum");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  EXPECT_EQ(walker.CurrentLocalFolder(), Local("zurueck"));
  EXPECT_EQ(view.panels[2], "Baum heruntergeladen");
  const std::string shown = PathText(Local("zurueck") / "Baum" / "Eins");
  EXPECT_EQ(view.LinesStartingWith("Downloadstart: " + shown + "/b"),
            (std::vector<std::string>{"Downloadstart: " + shown + "/b.bin   70000"}));
}

TEST_F(FtpTreeWalkReal, ExistingDirectoriesAreReusedOnBothSides) {
  fs::create_directories(Home() / "Baum" / "Eins");
  WriteFile((Home() / "Baum" / "a.txt").string(), "alt auf dem Server");
  WriteFile((Home() / "Baum" / "bleibt.txt").string(), "nur auf dem Server");
  MakeTree(Local("Baum"));
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  walker.UploadTree(Local("Baum"));
  ExpectSameTree(Local("Baum"), Home() / "Baum");
  EXPECT_EQ(ReadFile((Home() / "Baum" / "bleibt.txt").string()), "nur auf dem Server");

  WriteFile((Home() / "Baum" / "a.txt").string(), "neu vom Server");
  WriteFile((Local("Baum") / "lokal.txt").string(), "nur lokal");
  EXPECT_TRUE(walker.DownloadTree(Local("Baum")));
  EXPECT_EQ(ReadFile((Local("Baum") / "a.txt").string()), "neu vom Server");
  EXPECT_EQ(ReadFile((Local("Baum") / "bleibt.txt").string()), "nur auf dem Server");
  EXPECT_EQ(ReadFile((Local("Baum") / "lokal.txt").string()), "nur lokal");

  // A directory the server will not enter is skipped, nothing is made for it.
  EXPECT_FALSE(walker.DownloadTree(Local("gibtsnicht")));
  EXPECT_FALSE(fs::exists(Local("gibtsnicht")));
}

TEST_F(FtpTreeWalkReal, NestedRemoteTreeIsDeletedBottomUp) {
  fs::create_directories(Home() / "Weg" / "A" / "B");
  WriteFile((Home() / "Weg" / "x.txt").string(), "x");
  WriteFile((Home() / "Weg" / "A" / "y.txt").string(), "y");
  WriteFile((Home() / "Weg" / "A" / "B" / "z.txt").string(), "z");
  WriteFile((Home() / "bleibt.txt").string(), "bleibt");
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  walker.DeleteRemoteTree("Weg");
  EXPECT_FALSE(fs::exists(Home() / "Weg"));
  EXPECT_TRUE(fs::exists(Home() / "bleibt.txt"));
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");

  // Each directory's contents go before the directory itself.
  std::vector<std::string> order = view.LinesStartingWith("");
  auto at = [&](const std::string& line) {
    return std::find(order.begin(), order.end(), line) - order.begin();
  };
  ASSERT_LT(at(A("A gelöscht")), static_cast<long>(order.size()));
  EXPECT_LT(at(A("z.txt gelöscht")), at(A("B gelöscht")));
  EXPECT_LT(at(A("B gelöscht")), at(A("A gelöscht")));
  EXPECT_LT(at(A("y.txt gelöscht")), at(A("A gelöscht")));
  // The listing area shows the starting directory again.
  ASSERT_EQ(walker.ListingArea().size(), 1u);
  EXPECT_NE(walker.ListingArea()[0].find("bleibt.txt"), std::string::npos);

  EXPECT_EQ(ErrorText<FtpDeleteRefusal>([&] { walker.DeleteRemoteTree("nix"); }),
            "Change nix fehlgeschlage");
}

TEST_F(FtpTreeWalkReal, RemoteLinkIsNeverWalkedAsADirectory) {
  fs::create_directories(Home() / "Baum");
  WriteFile((Home() / "Baum" / "a.txt").string(), "a");
  fs::create_directory_symlink(".", Home() / "Baum" / "schleife");
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  EXPECT_TRUE(walker.DownloadTree(Local("Baum")));
  EXPECT_EQ(ReadFile((Local("Baum") / "a.txt").string()), "a");
  EXPECT_FALSE(fs::is_directory(Local("Baum") / "schleife"));
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
}

TEST(FtpTreeWalkLocal, DeletingATreeRemovesLinksWithoutFollowingThem) {
  ScratchFolder folder;
  const fs::path tree = folder.File("Baum"), outside = folder.File("draussen");
  fs::create_directories(tree / "Unter");
  fs::create_directories(outside / "Inhalt");
  WriteFile((outside / "Inhalt" / "wichtig.txt").string(), "bleibt");
  WriteFile((tree / "Unter" / "weg.txt").string(), "weg");
  fs::create_directory_symlink(outside, tree / "Unter" / "verweis");
  fs::create_symlink(outside / "Inhalt" / "wichtig.txt", tree / "dateiverweis");
  fs::create_directory_symlink(outside, folder.File("ganzverweis"));

  FtpClient unused;
  RecordingToolView view;
  FtpRemoteSession session(unused);
  FtpTreeWalker walker(session, view);
  walker.DeleteLocalTree(tree);
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(ReadFile((outside / "Inhalt" / "wichtig.txt").string()), "bleibt");
  EXPECT_EQ(walker.CurrentLocalFolder(), tree.parent_path());
  EXPECT_EQ(view.LinesStartingWith("verweis"), (std::vector<std::string>{A("verweis gelöscht")}));

  // A selected directory that is itself a link goes as the link.
  walker.DeleteLocalTree(folder.File("ganzverweis"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder.File("ganzverweis"))));
  EXPECT_TRUE(fs::exists(outside / "Inhalt" / "wichtig.txt"));
}

TEST(FtpTreeWalkHostile, NamesLeadingOutOfTheTargetAreSkipped) {
  const std::string outsideName = "/tmp/ladeko-feindlich-" + std::to_string(::getpid());
  const std::string listing =
      "drwxr-xr-x 2 a b 0 Jan 1 2020 .\r\n"
      "drwxr-xr-x 2 a b 0 Jan 1 2020 ..\r\n"
      "-rw-r--r-- 1 a b 5 Jan 1 2020 ../../x\r\n"
      "-rw-r--r-- 1 a b 5 Jan 1 2020 " + outsideName + "\r\n"
      "drwxr-xr-x 2 a b 0 Jan 1 2020 a/b\r\n"
      "-rw-r--r-- 1 a b 5 Jan 1 2020 ..\\..\\y\r\n"
      "lrwxrwxrwx 1 a b 1 Jan 1 2020 schleife -> .\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 gut.txt\r\n";
  ScriptedServer server;
  server.GreetAndAcceptLogIn();
  server.Reply("250 drin").Reply("257 \"/Ziel\"");
  server.Reply("502 EPSV unbekannt");
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Liste").DataSend(listing);
  server.Send("226 fertig\r\n");
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Datei").DataSend("gut");
  server.Send("226 fertig\r\n");
  server.Reply("250 oben");
  server.Start();

  FtpClient client;
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.Username = "anna";
  client.Password = "geheim";
  client.Passive = true;
  client.ReadTimeout = 8000;
  client.Connect();
  ScratchFolder folder;
  const fs::path parent = folder.File("eltern");
  fs::create_directory(parent);
  RecordingToolView view;
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  EXPECT_TRUE(walker.DownloadTree(parent / "Ziel"));
  client.Disconnect();
  server.Finish();
  EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();

  const std::vector<std::string> commands(server.Received().begin() + 4, server.Received().end());
  EXPECT_EQ(commands, (std::vector<std::string>{"CWD Ziel", "PWD", "EPSV", "PASV", "LIST", "PASV", "RETR gut.txt",
                                                "CWD .."}));
  std::vector<fs::path> made;
  for (const auto& e : fs::recursive_directory_iterator(folder.File(""))) made.push_back(e.path());
  std::sort(made.begin(), made.end());
  EXPECT_EQ(made, (std::vector<fs::path>{parent, parent / "Ziel", parent / "Ziel" / "gut.txt"}));
  EXPECT_FALSE(fs::exists(outsideName));
  EXPECT_EQ(view.LinesStartingWith(A("Unzulässiger Name")).size(), 4u);
  EXPECT_EQ(view.LinesStartingWith(A("Verknüpfung")),
            (std::vector<std::string>{A("Verknüpfung übersprungen: \"schleife\"")}));
}

// A 421 reply says the server is closing the connection: no folder refused and no empty
// listing, but the end of the walk, with the server's text. Nothing more is sent on the dead
// connection (the file after the folder would fail with a misleading text, or the walk of a
// last folder would end as if done).
class ClosingServerWalk : public testing::Test {
 protected:
  ClosingServerWalk() {
    server.GreetAndAcceptLogIn();
    server.Reply("250 drin").Reply("257 \"/Ziel\"").Reply("502 EPSV unbekannt");
    AimAtScript(client, server);
    client.Passive = true;
    session.hooks.disconnected = [this] { ++disconnected; };
  }

  // Walks "Ziel" down; the text of the error that ended the walk.
  std::string Walk() {
    server.Start();
    client.Connect();
    FtpTreeWalker walker(session, view);
    std::string text;
    try {
      walker.DownloadTree(fs::path(folder.File("Ziel")));
      ADD_FAILURE() << "the walk went on";
    } catch (const remote::RemoteError& error) {
      text = error.what();
      kind = error.Kind();
    } catch (const std::exception& error) {
      text = error.what();
    }
    connectedAfter = client.Connected();
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    EXPECT_EQ(view.LinesStartingWith("Downloadstart"), std::vector<std::string>{});
    return text;
  }

  std::vector<std::string> CommandsAfterLogIn() const {
    return std::vector<std::string>(server.Received().begin() + 4, server.Received().end());
  }

  ScriptedServer server;
  FtpClient client;
  FtpRemoteSession session{client};
  ScratchFolder folder;
  RecordingToolView view;
  int disconnected = 0;
  std::optional<remote::ErrorKind> kind;  // of the error that ended the walk, a session's
  bool connectedAfter = true;
};

TEST_F(ClosingServerWalk, AtTheChangeIntoAFolder) {
  const std::string listing =
      "drwxr-xr-x 2 a b 0 Jan 1 2020 Unter\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 danach.txt\r\n";
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Liste").DataSend(listing);
  server.Send("226 fertig\r\n");
  server.Reply("421 Dienst wird beendet").Close();
  EXPECT_EQ(Walk(), "Dienst wird beendet");
  EXPECT_EQ(kind, remote::ErrorKind::Disconnected);
  EXPECT_FALSE(connectedAfter);
  EXPECT_EQ(disconnected, 1) << "the session did not end with the reply";
  EXPECT_EQ(CommandsAfterLogIn(), (std::vector<std::string>{"CWD Ziel", "PWD", "EPSV", "PASV", "LIST", "CWD Unter"}));
  EXPECT_FALSE(fs::exists(folder.File("Ziel/danach.txt")));
}

TEST_F(ClosingServerWalk, AtTheListing) {
  server.Reply("227 (" + server.PasvFields() + ")").Reply("421 Dienst wird beendet").Close();
  EXPECT_EQ(Walk(), "Dienst wird beendet");
  EXPECT_FALSE(connectedAfter);
  EXPECT_EQ(disconnected, 1);
  EXPECT_EQ(CommandsAfterLogIn(), (std::vector<std::string>{"CWD Ziel", "PWD", "EPSV", "PASV", "LIST"}));
}
