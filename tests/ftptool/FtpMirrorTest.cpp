// ladeko-ftp's getdir and putdir over the tree walks, against pyftpdlib on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "FtpExpect.h"
#include "FtpRemoteSession.h"
#include "FtpMirror.h"
#include "PyftpdSuite.h"
#include "TestFiles.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

class FtpMirror : public PyftpdClientSuite {
 protected:
  ScratchFolder folder;
  std::ostringstream log;
};


}  // namespace

TEST_F(FtpMirror, GetdirFetchesANestedDirectoryIntoTheParentUnderItsLastName) {
  fs::create_directories(Home() / "www" / "Lektionen" / "Teil");
  WriteFile((Home() / "www" / "Lektionen" / "Teil" / "uebung.evd").string(), "Uebung");
  WriteFile((Home() / "www" / "Lektionen" / "eins.le").string(), "eins");
  FtpRemoteSession session(client);
  MirrorGetDir(session, "www/Lektionen/", folder.File(""), log);
  EXPECT_EQ(ReadFile(folder.File("Lektionen/eins.le")), "eins");
  EXPECT_EQ(ReadFile(folder.File("Lektionen/Teil/uebung.evd")), "Uebung");
  EXPECT_NE(log.str().find("Downloadstart: "), std::string::npos);
  EXPECT_NE(log.str().find("/Lektionen/Teil/uebung.evd   6\n"), std::string::npos) << log.str();

  EXPECT_EQ(ErrorText([&] { MirrorGetDir(session, "fehlt", folder.File(""), log); }),
            "Verzeichniswechsel verweigert");
  EXPECT_EQ(ErrorText([&] { MirrorGetDir(session, "www/..", folder.File(""), log); }),
            A("Unzulässiger Name übersprungen: \"..\""));
}

TEST_F(FtpMirror, PutdirSendsATreeIntoTheCurrentDirectory) {
  fs::create_directories(folder.File("Baum/Ast"));
  WriteFile(folder.File("Baum/Ast/blatt.txt"), "Blatt");
  client.MakeDir("ziel");
  client.ChangeDir("ziel");
  FtpRemoteSession session(client);
  MirrorPutDir(session, folder.File("Baum/"), log);
  EXPECT_EQ(ReadFile((Home() / "ziel" / "Baum" / "Ast" / "blatt.txt").string()), "Blatt");
  EXPECT_EQ(log.str(), "Uploadstart: blatt.txt   5\nHochgeladen: 1 Datei, 2 Ordner\n");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/ziel");
  EXPECT_EQ(ErrorText([&] { MirrorPutDir(session, folder.File("nichts"), log); }).substr(0, 20),
            "Verzeichnis kann nic");
}
