// Data connections against the scripted server: PASV variants, closing replies, STOU and
// the work notifications.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "ScriptedServer.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"

namespace texts = ftp::texts;

namespace {

using Lines = std::vector<std::string>;

class FtpScriptedTransfer : public testing::Test {
 protected:
  // Logs in with the plain sequence; the test adds its own steps before Start().
  void SetUp() override {
    server.GreetAndAcceptLogIn();
    AimAtScript(client, server);
    client.Passive = true;
    client.OnStatus = [this](FtpStatus status, const std::string& text) {
      statuses.push_back(text);
      if (status == FtpStatus::Aborted) ++abortedStatuses;
    };
  }

  void Run() {
    server.Start();
    client.Connect();
  }

  // The commands after the log-in.
  Lines Commands() {
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    return Lines(server.Received().begin() + 4, server.Received().end());
  }

  ScriptedServer server;
  FtpClient client;
  Lines statuses;
  int abortedStatuses = 0;
  ScratchFolder folder;
};

}  // namespace

TEST_F(FtpScriptedTransfer, PasvWithoutParenthesesAndTheListingItBrings) {
  const std::string listing =
      "total 2\r\n"
      "-rw-r--r-- 1 anna lehrer 1234 Mar 14 2022 vokabeln.evd\r\n"
      "drwxr-xr-x 2 anna lehrer 4096 Mar 14 2022 Lektionen";  // last line without line end
  server.Reply("502 EPSV nicht bekannt").Reply("227 Entering Passive Mode " + server.PasvFields()).Reply("150 Liste kommt");
  server.DataSend(listing).Send("226 Fertig\r\n");
  Run();
  Lines lines;
  client.List(&lines, "", FtpListDetail::Details);
  EXPECT_EQ(lines, (Lines{"total 2", "-rw-r--r-- 1 anna lehrer 1234 Mar 14 2022 vokabeln.evd",
                          "drwxr-xr-x 2 anna lehrer 4096 Mar 14 2022 Lektionen"}));
  EXPECT_EQ(client.ListResult(), lines);
  const FtpListItems& items = client.DirectoryListing();
  ASSERT_EQ(items.Count(), 2u);
  EXPECT_EQ(items[0].FileName, "vokabeln.evd");
  EXPECT_EQ(items[1].ItemType, FtpItemType::Directory);
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "LIST"}));
  EXPECT_EQ(statuses, (Lines{"Verbinden mit 127.0.0.1.", "Verbunden.", "Verbindung hergestellt",
                             "FTP-Transfer wird gestartet", "Transfer abgeschlossen",
                             "Verbindung wird getrennt.", "Verbindung aufgehoben."}));
}

TEST_F(FtpScriptedTransfer, DataConnectionGoesToTheControlPeerNotToTheHostInTheReply) {
  // 10.255.255.1 is no machine of ours; a client obeying the reply would never reach the data.
  const std::string foreign = "10,255,255,1," + std::to_string(server.DataPort() / 256) + "," +
                              std::to_string(server.DataPort() % 256);
  server.Reply("502 EPSV nicht bekannt").Reply("227 Entering Passive Mode (" + foreign + ").").Reply("150 ok");
  server.DataSend("a.evd\r\nb.evd\r\n").Send("226 ok\r\n");
  Run();
  Lines lines;
  client.List(&lines, "*.evd", FtpListDetail::NamesOnly);
  EXPECT_EQ(lines, (Lines{"a.evd", "b.evd"}));
  EXPECT_TRUE(client.DirectoryListing().Empty()) << "names alone are no detailed format";
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "NLST *.evd"}));
}

TEST_F(FtpScriptedTransfer, ListingLinesAreNotBoundByTheReplyLineLimit) {
  const std::string name(20000, 'n');
  const std::string longLine = "-rw-r--r-- 1 anna lehrer 5 Mar 14 2022 " + name;
  server.Reply("502 EPSV nicht bekannt").Reply("227 (" + server.PasvFields() + ")").Reply("150 ok");
  server.DataSend("total 1\r\n" + longLine + "\r\n").Send("226 ok\r\n");
  Run();
  Lines lines;
  client.List(&lines);
  EXPECT_EQ(lines, (Lines{"total 1", longLine}));
  const FtpListItems& items = client.DirectoryListing();
  ASSERT_EQ(items.Count(), 1u);
  EXPECT_EQ(items[0].FileName, name);
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "LIST"}));
}

TEST_F(FtpScriptedTransfer, ClosingReply426Then226FailsTheDownloadAndKeepsTheOldFile) {
  const std::string bytes = RandomBytes(70000);
  server.Reply("502 EPSV nicht bekannt").Reply("227 Entering Passive Mode (" + server.PasvFields() + ")").Reply("150 ok");
  server.DataSend(bytes).Send("426 Verbindung unterbrochen\r\n226 ABOR erledigt\r\n").Reply("200 NOOP");
  Run();
  const std::string target = folder.File("ziel.bin");
  WriteFile(target, "alte Vokabeln");
  EXPECT_EQ(ErrorText([&] { client.Get("lektion.evd", target, FtpOverwrite::Yes); }), texts::kTransferAborted)
      << "a broken-off download was reported as success";
  EXPECT_EQ(abortedStatuses, 1);
  EXPECT_EQ(statuses.back(), texts::kTransferAborted);
  EXPECT_EQ(ReadFile(target), "alte Vokabeln") << "the partial data replaced the old file";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")),
                          std::filesystem::directory_iterator()),
            1);  // no scratch file left behind
  client.Noop();  // the 226 was read as part of the transfer, so NOOP gets its own reply
  EXPECT_EQ(client.LastCmdResult().Text.front(), "NOOP");
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "RETR lektion.evd", "NOOP"}));
}

TEST_F(FtpScriptedTransfer, ClosingReply450FailsAListingAndAnUpload) {
  const std::string source = folder.File("quelle.evd");
  WriteFile(source, "Haus/maison");
  server.Reply("502 EPSV nicht bekannt").Reply("227 (" + server.PasvFields() + ")").Reply("150 ok");
  server.DataSend("-rw-r--r-- 1 a b 5 Jun 1 2020 halb\r\n").Send("450 abgebrochen\r\n226 ok\r\n");
  server.Reply("227 (" + server.PasvFields() + ")").Reply("550 kein ziel.evd");  // the old file's permissions
  server.Reply("227 (" + server.PasvFields() + ")").Reply("150 ok").DataReceive().DataReceive();
  server.Send("426 abgebrochen\r\n226 ok\r\n").Reply("250 geloescht");
  Run();
  Lines lines{"vorher"};
  EXPECT_EQ(ErrorText([&] { client.List(&lines); }), texts::kTransferAborted);
  EXPECT_TRUE(client.ListResult().empty()) << "a part of a listing is no listing";
  EXPECT_TRUE(client.DirectoryListing().Empty());
  EXPECT_EQ(ErrorText([&] { client.Put(source, "ziel.evd", FtpPutMode::Store); }), texts::kTransferAborted);
  EXPECT_EQ(abortedStatuses, 2);
  // The data went to a temporary name, which goes again; ziel.evd was never touched.
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 8u);
  EXPECT_EQ(Lines(commands.begin(), commands.begin() + 6),
            (Lines{"EPSV", "PASV", "LIST", "PASV", "LIST ziel.evd", "PASV"}));
  EXPECT_TRUE(std::regex_match(commands[6], std::regex(R"(STOR \.ziel\.evd\.~ladeko-[0-9a-f]{8})")))
      << commands[6];
  EXPECT_EQ(commands[7], "DELE " + commands[6].substr(5));
}

TEST_F(FtpScriptedTransfer, PutOfSomethingElseThanARegularFileSendsNothing) {
  const std::string fifo = folder.File("rohr");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  server.Reply("200 NOOP");
  Run();
  for (const std::string& source : {folder.File(""), fifo}) {
    const std::string text = ErrorText([&] { client.Put(source, "vokabeln.evd", FtpPutMode::Store); });
    EXPECT_NE(text.find(FtpFormat(texts::kNotARegularFile, source)), std::string::npos) << text;
  }
  client.Noop();
  EXPECT_EQ(Commands(), (Lines{"NOOP"})) << "a STOR would empty the remote file";
}

// A listener that takes its data only from the server's address. 192.0.2.1 is a documentation
// address that is never contacted: it only stands for "a server other than the caller".
TEST(FtpActiveListener, AcceptsTheDataConnectionOnlyFromTheServersAddress) {
  FtpListener listener;
  listener.Open(FtpAddress::FromIPv4(0x7F000001, 0));
  const FtpAddress port = listener.LocalAddress();
  const auto connectFromLoopback = [&] {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&port.Raw), sizeof port.Raw), 0);
    return fd;
  };
  const int intruder = connectFromLoopback();
  const FtpAddress elsewhere = FtpAddress::FromIPv4(0xC0000201, 21);
  EXPECT_EQ(ErrorText([&] { listener.Accept(400, nullptr, &elsewhere); }), texts::kConnectTimeout);
  char byte = 0;
  EXPECT_EQ(::recv(intruder, &byte, 1, 0), 0) << "the foreign connection must be closed";
  ::close(intruder);

  const int server = connectFromLoopback();
  const FtpAddress loopback = FtpAddress::FromIPv4(0x7F000001, 21);
  FtpSocket data = listener.Accept(2000, nullptr, &loopback);
  EXPECT_TRUE(data.IsOpen());
  ::close(server);
}

TEST_F(FtpScriptedTransfer, UploadWithoutRemoteNameSendsStou) {
  const std::string source = folder.File("quelle.evd");
  const std::string bytes = RandomBytes(40000, 3);
  WriteFile(source, bytes);
  server.Reply("502 EPSV nicht bekannt").Reply("227 (" + server.PasvFields() + ")").Reply("150 FILE: vok.1").DataReceive().Send("226 ok\r\n");
  Run();
  std::vector<std::int64_t> work;
  std::int64_t expected = -1;
  client.OnWorkBegin = [&](FtpWorkMode mode, std::int64_t count) {
    EXPECT_EQ(mode, FtpWorkMode::Write);
    expected = count;
  };
  client.OnWork = [&](FtpWorkMode, std::int64_t done) { work.push_back(done); };
  client.Put(source, "", FtpPutMode::Store);
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "STOU "}));
  EXPECT_EQ(server.DataReceived(), bytes);
  EXPECT_EQ(expected, 40000);
  ASSERT_FALSE(work.empty());
  EXPECT_EQ(work.back(), 40000);
  for (std::size_t i = 0; i < work.size(); ++i)
    EXPECT_LE(work[i] - (i == 0 ? 0 : work[i - 1]), 32768) << "blocks are at most 32768 bytes";
}

TEST_F(FtpScriptedTransfer, BadPasvFieldFailsTheTransferButNotTheConnection) {
  server.Reply("502 EPSV nicht bekannt").Reply("227 Entering Passive Mode (127,0,0,1,x,1)").Reply("200 NOOP");
  Run();
  try {
    client.List(nullptr);
    FAIL();
  } catch (const FtpError& error) {
    EXPECT_NE(std::string(error.what()).find("127,0,0,1,x,1"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(statuses.back(), texts::kTransferDone);
  client.Noop();
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "NOOP"}));
}

TEST_F(FtpScriptedTransfer, RejectedRetrRaisesTheServersTextAndKeepsTheOldFile) {
  const std::string target = folder.File("fehlt.evd");
  WriteFile(target, "alte Vokabeln");
  server.Reply("502 EPSV nicht bekannt").Reply("227 (" + server.PasvFields() + ")").Reply("550 Keine solche Datei").Reply("200 NOOP");
  Run();
  try {
    client.Get("fehlt.evd", target, FtpOverwrite::Yes);
    FAIL();
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 550);
    EXPECT_STREQ(error.what(), "Keine solche Datei");
  }
  EXPECT_EQ(ReadFile(target), "alte Vokabeln");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")),
                          std::filesystem::directory_iterator()),
            1);  // no scratch file left behind
  client.Noop();
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "RETR fehlt.evd", "NOOP"}));
}

TEST_F(FtpScriptedTransfer, GetOntoAnExistingFileNeedsPermission) {
  const std::string target = folder.File("da.evd");
  WriteFile(target, "alt");
  server.Reply("200 NOOP");
  Run();
  EXPECT_EQ(ErrorText([&] { client.Get("da.evd", target, FtpOverwrite::No); }), texts::kTargetExists);
  EXPECT_EQ(ReadFile(target), "alt");
  try {
    client.Put(folder.File("gibt-es-nicht"), "x", FtpPutMode::Store);
    FAIL();
  } catch (const FtpError& error) {
    EXPECT_NE(std::string(error.what()).find("gibt-es-nicht"), std::string::npos);
  }
  client.Noop();
  EXPECT_EQ(Commands(), (Lines{"NOOP"})) << "no transfer command may go out";
}

// A file that replaces nothing is renamed into place unflushed: its name must still appear
// only for a complete transfer, and a file put under that name meanwhile is replaced (after
// a flush) by the complete download, not kept or mixed. Both download paths: by path, and
// by name inside an open folder as the tree walks use it.
TEST_F(FtpScriptedTransfer, AFreeNameShowsOnlyACompleteDownload) {
  const std::string bytes = RandomBytes(70000);
  const std::string pasv = "227 (" + server.PasvFields() + ")";
  server.Reply("502 EPSV nicht bekannt").Reply(pasv).Reply("150 ok");
  server.DataSend(bytes).Send("426 Verbindung unterbrochen\r\n226 ABOR erledigt\r\n");
  for (int complete = 0; complete < 2; ++complete)
    server.Reply(pasv).Reply("150 ok").DataSend(bytes).Send("226 ok\r\n");
  Run();
  const auto entries = [&] {
    return std::distance(std::filesystem::directory_iterator(folder.File("")),
                         std::filesystem::directory_iterator());
  };
  const std::string target = folder.File("neu.bin");
  EXPECT_EQ(ErrorText([&] { client.Get("neu.bin", target, FtpOverwrite::Yes); }), texts::kTransferAborted);
  EXPECT_EQ(entries(), 0) << "a cut download left a file";

  std::string meanwhile;
  client.OnWork = [&](FtpWorkMode, std::int64_t) {
    if (meanwhile.empty()) WriteFile(meanwhile = target, "dazwischen");
  };
  client.Get("neu.bin", target, FtpOverwrite::Yes);
  EXPECT_EQ(ReadFile(target), bytes);

  meanwhile.clear();
  const int folderFd = ::open(folder.File("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  client.OnWork = [&](FtpWorkMode, std::int64_t) {
    if (meanwhile.empty()) WriteFile(meanwhile = folder.File("ab.bin"), "dazwischen");
  };
  client.GetAt("neu.bin", folderFd, "ab.bin");
  ::close(folderFd);
  EXPECT_EQ(ReadFile(folder.File("ab.bin")), bytes);
  EXPECT_EQ(entries(), 2) << "a scratch file was left behind";
  EXPECT_EQ(Commands(), (Lines{"EPSV", "PASV", "RETR neu.bin", "PASV", "RETR neu.bin", "PASV", "RETR neu.bin"}));
}

// The data connection moves large pieces, but progress still comes in whole blocks of
// BufferSize and once for the rest at the end, the same steps both ways and for any size.
TEST_F(FtpScriptedTransfer, ProgressComesInWholeBlocksWhateverPiecesTheSocketMoves) {
  struct Case {
    std::size_t size;
    std::size_t block;
    FtpWorkMode mode;
  };
  const std::vector<Case> cases = {
      {0, 32768, FtpWorkMode::Read},          {1, 32768, FtpWorkMode::Read},
      {32767, 32768, FtpWorkMode::Read},      {32768, 32768, FtpWorkMode::Read},
      {32769, 32768, FtpWorkMode::Read},      {1000000, 32768, FtpWorkMode::Read},
      {1000000, 4096, FtpWorkMode::Read},     {700000, 32768, FtpWorkMode::Write},
      {5 * 32768, 32768, FtpWorkMode::Write}, {100000, 1000, FtpWorkMode::Write},
  };
  server.Reply("502 EPSV nicht bekannt");
  for (const Case& c : cases) {
    server.Reply("227 (" + server.PasvFields() + ")").Reply("150 ok");
    if (c.mode == FtpWorkMode::Write) server.DataReceive();
    else server.DataSend(RandomBytes(c.size, static_cast<unsigned>(c.size)));
    server.Send("226 ok\r\n");
  }
  Run();
  const std::string local = folder.File("stueck.bin");
  for (const Case& c : cases) {
    std::vector<std::int64_t> steps;
    client.BufferSize = c.block;
    client.OnWork = [&](FtpWorkMode mode, std::int64_t done) {
      EXPECT_EQ(mode, c.mode);
      steps.push_back(done);
    };
    if (c.mode == FtpWorkMode::Write) {
      WriteFile(local, RandomBytes(c.size, 7));
      client.Put(local, "ziel.bin", FtpPutMode::Direct);
    } else {
      client.Get("quelle.bin", local, FtpOverwrite::Yes);
      EXPECT_EQ(ReadFile(local), RandomBytes(c.size, static_cast<unsigned>(c.size)));
    }
    std::vector<std::int64_t> expected;
    for (std::size_t at = c.block; at < c.size; at += c.block) expected.push_back(static_cast<std::int64_t>(at));
    if (c.size > 0) expected.push_back(static_cast<std::int64_t>(c.size));
    EXPECT_EQ(steps, expected) << c.size << " bytes in blocks of " << c.block;
  }
  EXPECT_EQ(server.DataReceived().size(), 700000u + 5 * 32768 + 100000) << "every upload arrived whole";
}
