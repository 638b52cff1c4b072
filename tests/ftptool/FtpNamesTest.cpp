// Names in the server's own encoding: the conversions, the order of the lists, trees against
// pyftpdlib (UTF-8) by the tool's walks and by ladeko-ftp, and a UTF-8 server that sends a
// byte that is no UTF-8.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "FtpBrowserRows.h"
#include "FtpRemoteSession.h"
#include "FtpClient.h"
#include "FtpNameCodec.h"
#include "FtpTreeWalk.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "ScriptedServer.h"
#include "TestFiles.h"
#include "Utf8Chars.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

constexpr auto kUtf8 = FtpNameEncoding::Utf8;
constexpr auto kAnsi = FtpNameEncoding::Windows1252;

bool WellFormed(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t length = win1252::DecodeUtf8Char(text, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// Every file and folder below root by its relative path's bytes, with the file's content.
std::map<std::string, std::string> TreeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).native();
    tree[relative] = entry.is_directory() ? std::string("<Ordner>") : ReadFile(entry.path().string());
  }
  return tree;
}

// Übungen/Größe_ä.txt, Łódź.evd, 日本語/β.txt and an ASCII control file, as UTF-8 bytes.
const std::string kUebungen = "\xC3\x9C" "bungen";
const std::string kGroesse = "Gr\xC3\xB6\xC3\x9F" "e_\xC3\xA4.txt";
const std::string kLodz = "\xC5\x81\xC3\xB3" "d\xC5\xBA.evd";
const std::string kNihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
const std::string kBeta = "\xCE\xB2.txt";

void MakeTree(const fs::path& root) {
  fs::create_directories(root / kUebungen);
  fs::create_directories(root / kNihongo);
  WriteFile((root / kUebungen / kGroesse).string(), "gross");
  WriteFile((root / kLodz).string(), std::string("\x01\x02\x00\xff", 4));
  WriteFile((root / kNihongo / kBeta).string(), RandomBytes(40000));
  WriteFile((root / "kontrolle.txt").string(), "ascii");
}

}  // namespace

TEST(FtpNameCodec, EveryByteStringShowsAsUtf8AndWindows1252NamesGoBackByteForByte) {
  std::mt19937 random(20);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 256);
    for (auto encoding : {kUtf8, kAnsi}) {
      EXPECT_TRUE(WellFormed(FtpShownName(bytes, encoding)));
      const FtpLocalName local = FtpLocalNameOf(bytes, encoding);
      EXPECT_TRUE(WellFormed(local.Name.native()));
      EXPECT_EQ(local.Escaped, local.Name.native() != bytes && encoding == kUtf8);
    }
    // A Windows-1252 server's name comes back to the same bytes from the screen and the disk.
    EXPECT_EQ(FtpServerNameOf(std::string_view(FtpShownName(bytes, kAnsi)), kAnsi), bytes);
    EXPECT_EQ(FtpServerNameOf(FtpLocalNameOf(bytes, kAnsi).Name, kAnsi), bytes);
    if (WellFormed(bytes)) {
      EXPECT_EQ(FtpShownName(bytes, kUtf8), bytes);
      EXPECT_EQ(FtpServerNameOf(std::string_view(bytes), kUtf8), bytes);
    }
  }
}

// Names made of the bytes an escape is made of: no two of them may share a local name, and
// every one without a byte to escape or an escape's look stays as it is.
TEST(FtpNameCodec, LocalNamesAreOneToOne) {
  const std::string pieces[] = {"%", "F", "f", "2", "5", "\xFF", "\xC3", "\xA4", "a", "%25"};
  std::mt19937 random(32);
  std::map<std::string, std::string> serverNameOf;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (int i = random() % 6; i > 0; --i) bytes += pieces[random() % std::size(pieces)];
    const std::string local = FtpLocalNameOf(bytes, kUtf8).Name.native();
    const auto [known, added] = serverNameOf.emplace(local, bytes);
    EXPECT_TRUE(added || known->second == bytes)
        << "\"" << bytes << "\" and \"" << known->second << "\" -> " << local;
  }
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"%FF", "%25FF"}, {"\xFF", "%FF"},        {"%25FF", "%2525FF"}, {"100% sicher", "100% sicher"},
      {"%zz%", "%zz%"}, {"a\xFF%b", "a%FF%25b"}};
  for (const auto& [server, local] : cases)
    EXPECT_EQ(FtpLocalNameOf(server, kUtf8).Name.native(), local) << server;
  EXPECT_EQ(FtpEscapedNameLine("%FF", FtpLocalNameOf("%FF", kUtf8)),
            "Name enthält \"%\" mit zwei Hex-Ziffern: \"%FF\" gespeichert als \"%25FF\"");
  // A line end or an escape sequence in a name cannot start a line of its own in the log.
  EXPECT_EQ(FtpLogName("a\nDownloadstart: \x1b[2J", kUtf8), "a\\x0aDownloadstart: \\x1b[2J");
  EXPECT_EQ(FtpLogName("\x85\x0d", kAnsi), A("…\\x0d"));
}

TEST(FtpNameCodec, UndecodableBytesShowVisiblyAndAreEscapedOnDisk) {
  const std::string broken = "a\xFF" "b\xC3";  // a lone 0xFF, a cut-off two-byte character
  EXPECT_EQ(FtpShownName(broken, kUtf8), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  const FtpLocalName local = FtpLocalNameOf(broken, kUtf8);
  EXPECT_EQ(local.Name.native(), "a%FFb%C3");
  EXPECT_TRUE(local.Escaped);
  EXPECT_EQ(FtpLogName(broken, kUtf8), "a?b?");
  EXPECT_EQ(FtpLocalNameOf(kUebungen, kUtf8).Name.native(), kUebungen);
  EXPECT_EQ(FtpLocalNameOf("\xDC" "bungen", kAnsi).Name.native(), kUebungen);
}

TEST(FtpNameCodec, AWindows1252ServerCannotTakeWhatItHasNoLetterFor) {
  EXPECT_EQ(FtpServerNameOf(std::string_view(kUebungen), kAnsi), "\xDC" "bungen");
  EXPECT_EQ(FtpServerNameOf(std::string_view(kLodz), kAnsi), std::nullopt);
  EXPECT_EQ(FtpServerNameOf(std::string_view(kNihongo), kAnsi), std::nullopt);
  EXPECT_EQ(FtpServerNameOf(std::string_view(kLodz), kUtf8), kLodz);
  // Bytes on the local disk that are no UTF-8 are no name either encoding can be sure of.
  EXPECT_EQ(FtpServerNameOf(fs::path("alt\xE9.txt"), kUtf8), std::nullopt);
  EXPECT_EQ(FtpNotWritableText(kLodz),
            A("Der Name \"?ód?.evd\" lässt sich in der Zeichenkodierung des Servers nicht schreiben; "
              "nichts gesendet"));
}

TEST(FtpBrowserOrder, UmlautsSortWithTheirBaseLettersAndNothingIsLost) {
  FtpBrowserRows rows;
  for (const std::string& name : {std::string("Zebra"), kUebungen, std::string("Uhr"), std::string("ubung"),
                                  kLodz, std::string("Lampe"), std::string("apfel"), std::string("\xC3\x84rger"),
                                  kNihongo, std::string("Ubungen")})
    rows.push_back({name, "", "", ftpimage::kUnknownRemoteFile, 0, name});
  SortBrowserRows(rows, FtpSortColumn::Name);
  std::vector<std::string> order;
  for (const auto& row : rows) order.push_back(row.Caption);
  EXPECT_EQ(order, (std::vector<std::string>{"apfel", "\xC3\x84rger", "Lampe", kLodz, "ubung", "Ubungen",
                                             kUebungen, "Uhr", "Zebra", kNihongo}));
}

namespace {

class FtpNamesReal : public PyftpdClientSuite {
 protected:
  void SetUp() override {
    client.NameEncodingMode = FtpNameEncodingMode::Auto;
    PyftpdClientSuite::SetUp();
  }
  RecordingToolView view;
  ScratchFolder folder;
};

struct CommandRunResult {
  int exitCode;
  std::string output;
};

CommandRunResult RunLadeko(const std::string& arguments, const fs::path& output) {
  const std::string command = std::string(LADEKO_FTP) + " --timeout 20 " + arguments + " >" + output.string() +
                              " 2>&1 </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(output.string())};
}

}  // namespace

TEST_F(FtpNamesReal, TheToolsTreeWalksKeepEveryNameAndByte) {
  ASSERT_EQ(client.NameEncoding(), kUtf8);
  const fs::path tree = folder.File("Baum");
  MakeTree(tree);
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  walker.UploadTree(tree);
  EXPECT_EQ(TreeOf(Home() / "Baum"), TreeOf(tree));

  const fs::path back = folder.File("zurueck");
  fs::create_directory(back);
  EXPECT_TRUE(walker.DownloadTree(back / "Baum", "Baum"));
  EXPECT_EQ(TreeOf(back / "Baum"), TreeOf(tree));
  EXPECT_TRUE(view.LinesStartingWith("Name ist kein").empty());

  walker.DeleteRemoteTree("Baum");
  EXPECT_FALSE(fs::exists(Home() / "Baum"));
}

TEST_F(FtpNamesReal, LadekoFtpGetdirAndPutdirKeepEveryNameAndByte) {
  const fs::path tree = fs::path(folder.File("hoch")) / kUebungen;
  MakeTree(tree);
  const std::string login = "--port " + std::to_string(server_->Port()) + " --user " + PyftpdServer::kUser +
                            " --password '" + PyftpdServer::kPassword + "' 127.0.0.1 ";
  const fs::path output = folder.File("ausgabe.txt");
  CommandRunResult up = RunLadeko(login + "putdir '" + tree.string() + "'", output);
  ASSERT_EQ(up.exitCode, 0) << up.output;
  EXPECT_EQ(TreeOf(Home() / kUebungen), TreeOf(tree));

  const fs::path down = folder.File("runter");
  fs::create_directory(down);
  CommandRunResult get = RunLadeko(login + "getdir '/" + kUebungen + "' '" + down.string() + "'", output);
  ASSERT_EQ(get.exitCode, 0) << get.output;
  EXPECT_EQ(TreeOf(down / kUebungen), TreeOf(tree));

  CommandRunResult list = RunLadeko(login + "cd '" + kUebungen + "' nlst", output);
  EXPECT_NE(list.output.find(kLodz + "\n"), std::string::npos) << list.output;

  // Forced Windows-1252, the same server: the "Ł" cannot go, and nothing is sent for it.
  fs::remove_all(Home() / kUebungen);
  CommandRunResult refused = RunLadeko("--encoding windows-1252 " + login + "putdir '" + tree.string() + "'", output);
  EXPECT_EQ(refused.exitCode, 1) << refused.output;
  EXPECT_NE(refused.output.find("lässt sich in der Zeichenkodierung des Servers nicht schreiben"), std::string::npos)
      << refused.output;
  EXPECT_FALSE(fs::exists(Home() / kUebungen));
  EXPECT_FALSE(fs::exists(Home() / "\xDC" "bungen"));
}

TEST(FtpNamesHostile, AUtf8ServerWithABrokenNameNeitherCrashesNorLosesTheName) {
  // Two names that were once stored under one local name, and a name listed twice.
  const std::string listing =
      "-rw-r--r-- 1 a b 3 Jan 1 2020 kaputt\xFF.txt\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 " +
      kLodz +
      "\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 %FF\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 \xFF\r\n"
      "-rw-r--r-- 1 a b 3 Jan 1 2020 kaputt\xFF.txt\r\n";
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x");
  server.Reply("211-Features:\r\n UTF8\r\n211 End").Reply("200 ok").Reply("200 x").Reply("215 UNIX");
  server.Reply("250 drin").Reply("257 \"/Ziel\"");
  server.Reply("502 EPSV unbekannt");
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Liste").DataSend(listing);
  server.Send("226 fertig\r\n");
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Datei").DataSend("eins");
  server.Send("226 fertig\r\n");
  for (const char* content : {"zwei", "drei", "vier"}) {
    server.Reply("227 (" + server.PasvFields() + ")").Reply("150 Datei").DataSend(content);
    server.Send("226 fertig\r\n");
  }
  server.Reply("250 oben");
  server.Start();

  FtpClient client;
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.Username = "anna";
  client.Password = "geheim";
  client.Passive = true;
  client.ReadTimeout = 8000;
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  client.Connect();
  ScratchFolder folder;
  RecordingToolView view;
  FtpRemoteSession session(client);
  FtpTreeWalker walker(session, view);
  EXPECT_TRUE(walker.DownloadTree(folder.File("Ziel"), "Ziel"));
  client.Disconnect();
  server.Finish();
  EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();

  // The commands carry the server's bytes back, the broken one included.
  const std::vector<std::string> commands(server.Received().begin() + 2, server.Received().end());
  EXPECT_EQ(commands,
            (std::vector<std::string>{"FEAT", "OPTS UTF8 ON", "TYPE I", "SYST", "CWD Ziel", "PWD", "EPSV",
                                      "PASV", "LIST", "PASV", "RETR kaputt\xFF.txt", "PASV", "RETR " + kLodz,
                                      "PASV", "RETR %FF", "PASV", "RETR \xFF", "CWD .."}));
  EXPECT_EQ(ReadFile(folder.File("Ziel/kaputt%FF.txt")), "eins");
  EXPECT_EQ(ReadFile((fs::path(folder.File("Ziel")) / kLodz).string()), "zwei");
  EXPECT_EQ(ReadFile(folder.File("Ziel/%25FF")), "drei");
  EXPECT_EQ(ReadFile(folder.File("Ziel/%FF")), "vier");
  EXPECT_EQ(view.LinesStartingWith(A("übersprungen")),
            (std::vector<std::string>{A("übersprungen: Ziel/kaputt?.txt (lokaler Name schon vergeben)")}));
  EXPECT_EQ(view.LinesStartingWith("Name ist kein").front(),
            A("Name ist kein gültiges UTF-8: \"kaputt?.txt\" gespeichert als \"kaputt%FF.txt\""));
}
