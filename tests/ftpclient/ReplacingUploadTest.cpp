// Uploads that replace the server's file only on success: the exact command sequences against
// the scripted server (rename refused, rename onto an existing name refused, a refused data
// connection), and pyftpdlib for the real file contents after a completed and an aborted upload.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "PyftpdServer.h"
#include "PyftpdSuite.h"
#include "ScriptedServer.h"
#include "ScriptedSuite.h"
#include "TestFiles.h"
#include "VsftpdServer.h"

namespace fs = std::filesystem;
namespace texts = ftp::texts;

namespace {

using Lines = std::vector<std::string>;

class ScriptedUpload : public testing::Test {
 protected:
  void SetUp() override {
    server.GreetAndAcceptLogIn();
    server.Reply("502 EPSV nicht bekannt");
    AimAtScript(client, server);
    client.Passive = true;
    WriteFile(source, "Haus/maison");
  }
  // The data connection of one upload, accepted and read to its end.
  void ScriptStore(const std::string& closing = "226 ok") {
    server.Reply("227 (" + server.PasvFields() + ")").Reply("150 ok").DataReceive().Send(closing + "\r\n");
  }
  // The listing of the old file, asked for its permissions: an empty one, as vsftpd sends for
  // a file that is not there. staleConnections: data connections a failed transfer left in the
  // listener's queue, taken first.
  void ScriptNoOldFile(int staleConnections = 0) {
    server.Reply("227 (" + server.PasvFields() + ")").Reply("150 ok");
    for (int i = 0; i <= staleConnections; ++i) server.DataSend("");
    server.Send("226 ok\r\n");
  }
  // The commands after log-in and EPSV, each "LIST" asking for an old file's permissions
  // (and its PASV) left out.
  Lines Commands() {
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    Lines commands;
    for (auto it = server.Received().begin() + 5; it != server.Received().end(); ++it) {
      if (it->rfind("LIST ", 0) == 0) {
        EXPECT_EQ(commands.back(), "PASV");
        commands.pop_back();
        continue;
      }
      commands.push_back(*it);
    }
    return commands;
  }
  // The temporary name of the STOR line, checked against the pattern for the target.
  static std::string TemporaryOf(const std::string& storLine, const std::string& prefix, const std::string& name) {
    const std::regex pattern("STOR " + prefix + "\\." + name + "\\.~ladeko-[0-9a-f]{8}");
    EXPECT_TRUE(std::regex_match(storLine, pattern)) << storLine;
    return storLine.substr(5);
  }

  ScriptedServer server;
  FtpClient client;
  ScratchFolder folder;
  const std::string source = folder.File("quelle.evd");
};

}  // namespace

TEST_F(ScriptedUpload, ServerRefusingToRenameOntoAnExistingNameGetsTheTargetDeletedFirst) {
  ScriptNoOldFile();
  ScriptStore();
  server.Reply("350 weiter").Reply("553 Datei existiert").Reply("250 geloescht").Reply("350 weiter").Reply("250 umbenannt");
  server.Start();
  client.Connect();
  client.Put(source, "www/lektion/ziel.evd");
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 7u);
  EXPECT_EQ(server.DataReceived(), "Haus/maison");
  const std::string temporary = TemporaryOf(commands[1], "www/lektion/", "ziel\\.evd");
  EXPECT_EQ(Lines(commands.begin() + 2, commands.end()),
            (Lines{"RNFR " + temporary, "RNTO www/lektion/ziel.evd", "DELE www/lektion/ziel.evd",
                   "RNFR " + temporary, "RNTO www/lektion/ziel.evd"}));
}

TEST_F(ScriptedUpload, RefusedRenameSaysWhereTheNewContentIs) {
  ScriptNoOldFile();
  ScriptStore();
  server.Reply("350 weiter").Reply("553 Umbenennen verboten").Reply("550 Keine Datei").Reply("200 NOOP");
  server.Start();
  client.Connect();
  const std::string text = ErrorText([&] { client.Put(source, "ziel.evd"); });
  client.Noop();  // replies and commands are still paired
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 6u);
  const std::string temporary = TemporaryOf(commands[1], "", "ziel\\.evd");
  EXPECT_EQ(text, FtpFormat(texts::kRenameRefused, "ziel.evd") + "\n" +
                      FtpFormat(texts::kNewContentsIn, temporary) + "\nUmbenennen verboten");
  EXPECT_EQ(Lines(commands.begin() + 2, commands.end()),
            (Lines{"RNFR " + temporary, "RNTO ziel.evd", "DELE ziel.evd", "NOOP"}))
      << "the temporary file holds the only new copy: it must stay";
}

TEST_F(ScriptedUpload, RefusedDataConnectionOrRefusedRenameSourceNeverTouchesTheTarget) {
  ScriptNoOldFile();
  server.Reply("227 (" + server.PasvFields() + ")").Reply("425 Keine Datenverbindung").Reply("550 Keine Datei");
  ScriptNoOldFile(1);
  ScriptStore();
  server.Reply("550 Quelle fehlt").Reply("503 Erst RNFR").Reply("200 NOOP");
  server.Reply("550 Keine Quelle").Reply("503 Erst RNFR");
  server.Start();
  client.Connect();
  EXPECT_EQ(ErrorText([&] { client.Put(source, "ziel.evd"); }), "Keine Datenverbindung");
  const std::string refused = ErrorText([&] { client.Put(source, "ziel.evd"); });
  EXPECT_EQ(refused.rfind(FtpFormat(texts::kRenameRefused, "ziel.evd"), 0), 0u);
  EXPECT_EQ(refused.substr(refused.rfind('\n') + 1), "Quelle fehlt") << "the answer to RNFR, not to RNTO";
  client.Noop();  // the answer to RNTO, sent along with RNFR, was read: replies stay paired
  EXPECT_EQ(ErrorText([&] { client.Rename("von.evd", "nach.evd"); }), "Keine Quelle");
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 10u);
  const std::string first = TemporaryOf(commands[1], "", "ziel\\.evd");
  EXPECT_EQ(commands[2], "DELE " + first);
  const std::string second = TemporaryOf(commands[4], "", "ziel\\.evd");
  EXPECT_EQ(Lines(commands.begin() + 5, commands.end()),
            (Lines{"RNFR " + second, "RNTO ziel.evd", "NOOP", "RNFR von.evd", "RNTO nach.evd"}))
      << "no DELE of the target after a refused RNFR";
}

TEST_F(ScriptedUpload, AppendDirectAndStouStayDirect) {
  for (int i = 0; i < 3; ++i) ScriptStore();
  server.Start();
  client.Connect();
  client.Put(source, "ziel.evd", FtpPutMode::Append);
  client.Put(source, "ziel.evd", FtpPutMode::Direct);
  client.Put(source, "", FtpPutMode::Store);
  EXPECT_EQ(Commands(), (Lines{"PASV", "APPE ziel.evd", "PASV", "STOR ziel.evd", "PASV", "STOU "}));
}

TEST_F(ScriptedUpload, CommandsAfterALostConnectionSayNotConnected) {
  server.Close();
  server.Start();
  client.Connect();
  EXPECT_ANY_THROW(client.Noop());  // answered by the script's 502
  EXPECT_ANY_THROW(client.Noop());  // the server has hung up
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(ErrorText([&] { client.List(nullptr); }), texts::kNotConnected);
  EXPECT_EQ(ErrorText([&] { client.Get("a.evd", folder.File("a.evd"), FtpOverwrite::Yes); }), texts::kNotConnected);
  EXPECT_EQ(ErrorText([&] { client.Put(source, "ziel.evd"); }), texts::kNotConnected);
  EXPECT_EQ(ErrorText([&] { client.Noop(); }), texts::kNotConnected);
  server.Finish();
}

namespace {

class RealReplacingUpload : public PyftpdClientSuite {
 protected:
  Lines HomeNames() const {
    Lines names;
    for (const auto& entry : fs::directory_iterator(Home())) names.push_back(entry.path().filename().string());
    return names;
  }
  ScratchFolder folder;
};

}  // namespace

TEST_F(RealReplacingUpload, CompletedUploadReplacesAndAnAbortedOneLeavesTheOldFile) {
  WriteFile((Home() / "vokabeln.evd").string(), "alte Vokabeln");
  const std::string source = folder.File("neu.evd");
  const std::string bytes = RandomBytes(3 * 1024 * 1024, 5);
  WriteFile(source, bytes);

  // Broken off after the first blocks, as a cut connection would.
  client.OnWork = [&](FtpWorkMode, std::int64_t done) {
    if (done > 100000) client.Abort();
  };
  EXPECT_ANY_THROW(client.Put(source, "vokabeln.evd"));
  client.OnWork = nullptr;
  client.Noop();
  EXPECT_EQ(ReadFile((Home() / "vokabeln.evd").string()), "alte Vokabeln");
  EXPECT_EQ(HomeNames(), Lines{"vokabeln.evd"}) << "the temporary file was left behind";

  client.Put(source, "vokabeln.evd");
  EXPECT_EQ(ReadFile((Home() / "vokabeln.evd").string()), bytes);
  EXPECT_EQ(HomeNames(), Lines{"vokabeln.evd"});
}

// The replaced file's permissions: set on the new file where the server can (pyftpdlib, the
// old mode read by MLST with FEAT, else by LIST); where it cannot (vsftpd refuses SITE CHMOD
// to anonymous users), a file others could not read is not replaced, and any other file is.
TEST(FtpReplacingUploadMode, KeepsTheOldPermissionsOrRefusesToWidenThem) {
  PyftpdServer pyftpd;
  ASSERT_TRUE(pyftpd.Running()) << pyftpd.Problem();
  ASSERT_TRUE(VsftpdServer::Installed()) << VsftpdServer::kBinary;
  VsftpdServer vsftpd({});
  ASSERT_TRUE(vsftpd.Running()) << vsftpd.Problem();
  struct Case {
    bool onVsftpd;
    FtpNameEncodingMode names;  // Auto reads FEAT, and with it MLST
    fs::perms old;
    bool replaced;
    fs::perms after;
  };
  using P = fs::perms;
  const std::vector<Case> cases = {
      {false, FtpNameEncodingMode::Auto, P(0600), true, P(0600)},
      {false, FtpNameEncodingMode::Windows1252, P(0600), true, P(0600)},
      {false, FtpNameEncodingMode::Windows1252, P(0750), true, P(0750)},
      {true, FtpNameEncodingMode::Auto, P(0600), false, P(0600)},
      {true, FtpNameEncodingMode::Auto, P(0640), false, P(0640)},
      {true, FtpNameEncodingMode::Auto, P(0644), true, P(0644)},
  };
  ScratchFolder folder;
  WriteFile(folder.File("neu.evd"), "neu");
  for (const Case& c : cases) {
    const std::string what = std::string(c.onVsftpd ? "vsftpd " : "pyftpdlib ") + std::to_string(int(c.old));
    const fs::path home = c.onVsftpd ? vsftpd.Pub() : pyftpd.Home();
    const std::string target = c.onVsftpd ? "pub/ziel.evd" : "ziel.evd";
    WriteFile((home / "ziel.evd").string(), "alt");
    fs::permissions(home / "ziel.evd", c.old);
    FtpClient client;
    client.Host = "127.0.0.1";
    client.Port = c.onVsftpd ? vsftpd.Port() : pyftpd.Port();
    client.Username = c.onVsftpd ? VsftpdServer::kUser : PyftpdServer::kUser;
    client.Password = c.onVsftpd ? "" : PyftpdServer::kPassword;
    client.Passive = true;
    client.ReadTimeout = 20000;
    client.NameEncodingMode = c.names;
    client.Connect();
    if (c.replaced) {
      client.Put(folder.File("neu.evd"), target);
    } else {
      const std::string text = ErrorText([&] { client.Put(folder.File("neu.evd"), target); });
      EXPECT_EQ(text.rfind(FtpFormat(texts::kPrivateNotReplaced, target), 0), 0u) << text;
    }
    client.Disconnect();
    EXPECT_EQ(ReadFile((home / "ziel.evd").string()), c.replaced ? "neu" : "alt") << what;
    EXPECT_EQ(fs::status(home / "ziel.evd").permissions() & P(0777), c.after) << what;
    EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), 1)
        << what << ": no file left";
    fs::remove(home / "ziel.evd");
  }
}
