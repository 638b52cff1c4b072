// Names as the server holds them: MLSD where FEAT lists MLST (and LIST for the links a server
// follows there), else LIST lines read exactly. Scripted transcripts of each way, and a round
// trip of names with blanks through pyftpdlib, listed both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "FtpRemoteSession.h"
#include "PyftpdSuite.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;
using remote::EntryType;

struct Listed {
  std::string name;
  EntryType type;
  bool operator==(const Listed&) const = default;
  friend void PrintTo(const Listed& listed, std::ostream* out) {
    *out << '"' << listed.name << "\" " << static_cast<int>(listed.type);
  }
};

std::vector<Listed> NamesOf(const std::vector<remote::RemoteEntry>& entries) {
  std::vector<Listed> names;
  for (const auto& entry : entries) names.push_back({entry.name, entry.type});
  return names;
}

}  // namespace

TEST(FtpExactListing, ScriptedServersListExactNamesAndTypes) {
  struct Case {
    std::string feat;
    std::string opts;  // the reply to OPTS MLST; empty when it must not go out
    std::string mlsd;  // MLSD data; empty when it must not go out
    std::string list;  // LIST data; empty when it must not go out
    Lines commands;    // after the log-in
    std::vector<Listed> entries;
  };
  const std::vector<Case> cases = {
      {"211-x\r\n MDTM\r\n211 End",
       "",
       "",
       "-rw-r--r-- 1 a b 5 Jun 1 2020 two  blanks\r\n-rw-r--r-- 1 a b 5 Jun 1 2020  lead\r\n"
       "lrwxrwxrwx 1 a b 1 Jun 1 2020 link -> .\r\ndrwxr-xr-x 2 a b 0 Jun 1 12:00 trail \r\n",
       {"EPSV", "PASV", "LIST"},
       {{"two  blanks", EntryType::File},
        {" lead", EntryType::File},
        {"link", EntryType::Link},
        {"trail ", EntryType::Directory}}},
      {"211-x\r\n MLST type*;size*;modify*;unix.mode;\r\n211 End",
       "200 ok",
       "type=cdir; /\r\ntype=file;size=5;modify=20240102030405; two  blanks\r\ntype=OS.unix=slink:/x; "
       "link\r\n"
       "type=dir; Ordner\r\n",
       "",
       {"OPTS MLST type;size;modify;unix.mode;", "EPSV", "PASV", "MLSD"},
       {{"two  blanks", EntryType::File}, {"link", EntryType::Link}, {"Ordner", EntryType::Directory}}},
      {"211-x\r\n MLST type*;size*;modify*;\r\n211 End",
       "",
       "type=dir; Ordner\r\ntype=dir; schleife\r\ntype=file;  a  b\r\n",
       "drwxr-xr-x 2 a b 0 Jun 1 2020 Ordner\r\nlrwxrwxrwx 1 a b 1 Jun 1 2020 schleife -> .\r\n"
       "-rw-r--r-- 1 a b 0 Jun 1 2020  a  b\r\n",
       {"EPSV", "PASV", "MLSD", "PASV", "LIST"},
       {{"Ordner", EntryType::Directory}, {"schleife", EntryType::Link}, {" a  b", EntryType::File}}},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    FtpClient client;
    AimAtScript(client, server);
    client.Passive = true;
    client.NameEncodingMode = FtpNameEncodingMode::Auto;
    server.Send("220 Bereit\r\n")
        .Reply("331 x")
        .Reply("230 x")
        .Reply(c.feat)
        .Reply("200 Typ")
        .Reply("215 UNIX");
    if (!c.opts.empty()) server.Reply(c.opts);
    server.Reply("502 nein");
    for (const std::string* data : {&c.mlsd, &c.list})
      if (!data->empty())
        server.Reply("227 (" + server.PasvFields() + ")").Reply("150 ok").DataSend(*data).Send("226 ok\r\n");
    server.Start();
    client.Connect();
    FtpRemoteSession session(client);
    EXPECT_EQ(NamesOf(session.List()), c.entries) << c.feat;
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << c.feat;
    EXPECT_EQ(Lines(server.Received().begin() + 5, server.Received().end()), c.commands) << c.feat;
  }
}

namespace {

class FtpExactNamesReal : public PyftpdSuite {
 protected:
  ScratchFolder folder;
};

}  // namespace

// Up through the client, listed by MLSD (FEAT read for the names) and by LIST, and back.
TEST_F(FtpExactNamesReal, NamesWithBlanksSurviveARoundTripListedEitherWay) {
  const Lines names = {"two  blanks", " lead", "trail "};
  fs::create_directory(server_->Home() / "Ordner");
  fs::create_directory_symlink("Ordner", server_->Home() / "verweis");
  for (const auto mode : {FtpNameEncodingMode::Auto, FtpNameEncodingMode::Windows1252}) {
    FtpClient client;
    Aim(client);
    client.NameEncodingMode = mode;
    client.Connect();
    EXPECT_EQ(client.OffersMachineListing(), mode == FtpNameEncodingMode::Auto);
    FtpRemoteSession session(client);
    for (const std::string& name : names) {
      WriteFile(folder.File("quelle"), "Inhalt von " + name);
      session.Put(folder.File("quelle"), name);
    }
    std::vector<Listed> listed = NamesOf(session.List());
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });
    EXPECT_EQ(listed, (std::vector<Listed>{{" lead", EntryType::File},
                                           {"Ordner", EntryType::Directory},
                                           {"trail ", EntryType::File},
                                           {"two  blanks", EntryType::File},
                                           {"verweis", EntryType::Link}}));
    for (const std::string& name : names) {
      session.Get(name, folder.File("zurueck"));
      EXPECT_EQ(ReadFile(folder.File("zurueck")), "Inhalt von " + name);
      EXPECT_EQ(ReadFile((server_->Home() / name).string()), "Inhalt von " + name);
    }
    client.Disconnect();
  }
}
