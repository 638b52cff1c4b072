// The bounds of the tree walks: local links in a download target or an uploaded folder
// (pyftpdlib), and a scripted server whose every folder lists a sub-folder again.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpExpect.h"
#include "FtpLocalPaths.h"
#include "FtpMirror.h"
#include "FtpRemoteSession.h"
#include "FtpTreeWalk.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "ScriptedServer.h"
#include "TestFiles.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

class FtpTreeLinks : public PyftpdClientSuite {
 protected:
  fs::path Local(const std::string& name) const { return fs::path(folder.File(name)); }
  RecordingToolView view;
  ScratchFolder folder;
};

}  // namespace

TEST_F(FtpTreeLinks, DownloadNeverWritesThroughALinkInsideTheTarget) {
  fs::create_directories(Home() / "Baum" / "Unter");
  for (const char* name : {"datei.txt", "neu.txt", "normal.txt", "Unter/x.txt"})
    WriteFile((Home() / "Baum" / name).string(), std::string("vom Server: ") + name);
  const fs::path outside = Local("draussen"), target = Local("Baum");
  fs::create_directories(outside);
  fs::create_directories(target);
  WriteFile((outside / "opfer.txt").string(), "bleibt");
  fs::create_symlink(outside / "opfer.txt", target / "datei.txt");
  fs::create_symlink(outside / "entsteht.txt", target / "neu.txt");  // dangling
  fs::create_directory_symlink(outside, target / "Unter");

  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  EXPECT_TRUE(walker.DownloadTree(target));
  EXPECT_EQ(ReadFile((outside / "opfer.txt").string()), "bleibt");
  EXPECT_FALSE(fs::exists(fs::symlink_status(outside / "entsteht.txt")));
  EXPECT_FALSE(fs::exists(outside / "x.txt"));
  EXPECT_EQ(ReadFile((target / "normal.txt").string()), "vom Server: normal.txt");
  EXPECT_TRUE(fs::is_symlink(target / "datei.txt"));
  const std::string shown = PathText(target);
  EXPECT_EQ(view.LinesStartingWith(A("Lokale Verknüpfung")),
            (Lines{win1252::FromUtf8(FtpSkippedLocalLinkLine(shown + "/Unter")),
                   win1252::FromUtf8(FtpSkippedLocalLinkLine(shown + "/datei.txt")),
                   win1252::FromUtf8(FtpSkippedLocalLinkLine(shown + "/neu.txt"))}));
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");

  // A target root that is itself a link is refused before anything is fetched.
  fs::create_directories(Local("eltern"));
  fs::create_directory_symlink(outside, Local("eltern") / "Baum");
  std::ostringstream log;
  const std::string text = ErrorText([&] { MirrorGetDir(session, "Baum", Local("eltern"), log); });
  EXPECT_EQ(text.rfind(A("Zielordner ist eine Verknüpfung"), 0), 0u) << text;
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
}

TEST_F(FtpTreeLinks, UploadLeavesOutFilesLinkedFromOutsideTheFolder) {
  const fs::path tree = Local("Baum");
  fs::create_directories(tree / "Ast");
  WriteFile(folder.File("geheim.txt"), "nicht hochladen");
  WriteFile((tree / "a.txt").string(), "a");
  fs::create_symlink(tree / "a.txt", tree / "Ast" / "innen.txt");
  fs::create_symlink(folder.File("geheim.txt"), tree / "Ast" / "aussen.txt");
  fs::create_symlink("../../geheim.txt", tree / "Ast" / "relativ.txt");
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  walker.UploadTree(tree);
  EXPECT_EQ(ReadFile((Home() / "Baum" / "a.txt").string()), "a");
  EXPECT_EQ(ReadFile((Home() / "Baum" / "Ast" / "innen.txt").string()), "a");
  EXPECT_FALSE(fs::exists(Home() / "Baum" / "Ast" / "aussen.txt"));
  EXPECT_FALSE(fs::exists(Home() / "Baum" / "Ast" / "relativ.txt"));
  EXPECT_EQ(view.LinesStartingWith(A("Verknüpfung nach")),
            (Lines{win1252::FromUtf8(FtpOutsideLinkLine("aussen.txt")),
                   win1252::FromUtf8(FtpOutsideLinkLine("relativ.txt"))}));
}

namespace {

// A server on which every folder "t" lists a folder "t" again. levels folders are served,
// then the next CWD and PWD are answered, where the walk has to stop. samePath makes every
// folder claim the first one's path.
void ScriptEndlessTree(ScriptedServer& server, int levels, bool samePath) {
  server.GreetAndAcceptLogIn();
  std::string path;
  for (int level = 0; level <= levels; ++level) {
    path = samePath && level > 0 ? path : path + "/t";
    server.Reply("250 drin").Reply("257 \"" + path + "\" ist aktuell");
    if (level == levels) break;
    if (level == 0) server.Reply("502 EPSV unbekannt");
    server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Liste");
    server.DataSend("drwxr-xr-x 2 a b 0 Jan 1 2020 t\r\n").Send("226 fertig\r\n");
  }
}

struct EndlessRun {
  ScriptedServer server;
  FtpClient client;
  RecordingToolView view;

  EndlessRun(int levels, bool samePath) {
    ScriptEndlessTree(server, levels, samePath);
    server.Start();
    client.Host = "127.0.0.1";
    client.Port = server.Port();
    client.Username = "anna";
    client.Password = "geheim";
    client.Passive = true;
    client.ReadTimeout = 8000;
    client.Connect();
  }
  // The LIST commands the walk sent.
  int Listings() {
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    int count = 0;
    for (const auto& command : server.Received()) count += command == "LIST";
    return count;
  }
};

std::size_t Depth(fs::path path, const fs::path& top) {
  std::size_t depth = 0;
  while (fs::is_directory(path / "t")) path /= "t", ++depth;
  return path == top ? 0 : depth;
}

}  // namespace

TEST(FtpTreeEndless, DownloadAndDeleteStopAtTheDepthLimit) {
  const std::string limitText = A("Verzeichnisbaum tiefer als 100 Ebenen, abgebrochen bei \"t\"");
  {
    EndlessRun run(100, false);
    ScratchFolder folder;
    FtpRemoteSession session(run.client);
    FtpTreeWalker walker(session, run.view);
    EXPECT_EQ(ErrorText([&] { walker.DownloadTree(fs::path(folder.File("t")), "t"); }), limitText);
    EXPECT_EQ(run.view.LinesStartingWith(A("Verzeichnisbaum")), Lines{limitText});
    EXPECT_EQ(run.Listings(), 100);
    EXPECT_EQ(Depth(folder.File("t"), ""), 99u) << "100 levels below the parent";
  }
  {
    EndlessRun run(100, false);
    FtpRemoteSession session(run.client);
    FtpTreeWalker walker(session, run.view);
    EXPECT_EQ(ErrorText<FtpDeleteRefusal>([&] { walker.DeleteRemoteTree("t"); }), limitText);
    EXPECT_EQ(run.Listings(), 100);
  }
}

TEST(FtpTreeEndless, AFolderWhosePathRepeatsAnAncestorsIsRefused) {
  EndlessRun run(1, true);
  ScratchFolder folder;
  std::ostringstream log;
  FtpRemoteSession session(run.client);
  const std::string text = ErrorText([&] { MirrorGetDir(session, "t", folder.File(""), log); });
  EXPECT_EQ(text, A("Verzeichnis \"t\" ist ein übergeordnetes Verzeichnis (/t), abgebrochen"));
  EXPECT_EQ(run.Listings(), 1);
  EXPECT_NE(log.str().find(win1252::ToUtf8(text)), std::string::npos) << log.str();
}

TEST(FtpTreeEndlessLocal, LocalWalksStopAtTheDepthLimit) {
  ScratchFolder folder;
  fs::path deep = folder.File("t");
  for (int i = 0; i < 101; ++i) deep /= "t";
  fs::create_directories(deep);
  FtpClient unused;
  RecordingToolView view;
  FtpRemoteSession session(unused);
  FtpTreeWalker walker(session, view);
  const std::string text = ErrorText([&] { walker.DeleteLocalTree(folder.File("t")); });
  EXPECT_EQ(text.rfind(A("Verzeichnisbaum tiefer als 100 Ebenen"), 0), 0u) << text;
  EXPECT_TRUE(fs::is_directory(folder.File("t")));
}
