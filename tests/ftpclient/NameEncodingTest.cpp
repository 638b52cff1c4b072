// The encoding of names on a connection: what FEAT says decides, a setting may force it, and
// the library without a request sends exactly what it sent before.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "PyftpdSuite.h"
#include "ScriptedServer.h"
#include "ScriptedSuite.h"

namespace {

using Lines = std::vector<std::string>;

const char* const kFeatWithUtf8 = "211-Features:\r\n EPSV\r\n utf8\r\n SIZE\r\n211 End";
const char* const kFeatWithoutUtf8 = "211-Features:\r\n EPSV\r\n MDTM\r\n211 End";

class FtpNameEncodingScripted : public ScriptedClientSuite {
 protected:
  void SetUp() override { client.TlsMode = FtpTlsMode::Off; }
  void Login() { server.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x"); }
  void RestOfLogin() { server.Reply("200 Typ").Reply("215 UNIX"); }
};

}  // namespace

TEST_F(FtpNameEncodingScripted, Utf8InFeatSendsOptsAndARefusalChangesNothing) {
  Login();
  server.Reply(kFeatWithUtf8).Reply("501 Invalid argument");  // as pyftpdlib answers
  RestOfLogin();
  server.Start();
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  EXPECT_EQ(Received(), (Lines{"USER anna", "PASS geheim", "FEAT", "OPTS UTF8 ON", "TYPE I", "SYST"}));
}

TEST_F(FtpNameEncodingScripted, WithoutUtf8OrWithoutFeatNamesStayWindows1252) {
  Login();
  server.Reply(kFeatWithoutUtf8);
  RestOfLogin();
  server.Start();
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Windows1252);
  EXPECT_EQ(Received(), (Lines{"USER anna", "PASS geheim", "FEAT", "TYPE I", "SYST"}));

  // A server that knows no FEAT at all.
  ScriptedServer old;
  old.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x").Reply("500 FEAT?").Reply("200 x").Reply("215 x");
  old.Start();
  client.Port = old.Port();
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Windows1252);
  client.Disconnect();
  old.Finish();
  EXPECT_EQ(old.Received(), (Lines{"USER anna", "PASS geheim", "FEAT", "TYPE I", "SYST"}));
}

TEST_F(FtpNameEncodingScripted, TlsAndNamesShareOneFeatAndANewConnectionAsksAgain) {
  server.Send("220 Bereit\r\n").Reply(kFeatWithUtf8).Reply("331 x").Reply("230 x").Reply("200 UTF8 an");
  RestOfLogin();
  server.Start();
  client.TlsMode = FtpTlsMode::Auto;  // FEAT goes out before the log-in for TLS
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Received(), (Lines{"FEAT", "USER anna", "PASS geheim", "OPTS UTF8 ON", "TYPE I", "SYST"}));

  // The next connection reads its own server's list: this one has no UTF8.
  ScriptedServer next;
  next.Send("220 Bereit\r\n").Reply(kFeatWithoutUtf8).Reply("331 x").Reply("230 x").Reply("200 x").Reply("215 x");
  next.Start();
  client.Port = next.Port();
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Windows1252);
  client.Disconnect();
  next.Finish();
  EXPECT_EQ(next.Received(), (Lines{"FEAT", "USER anna", "PASS geheim", "TYPE I", "SYST"}));
}

TEST_F(FtpNameEncodingScripted, ForcedEncodingsAskNothing) {
  Login();
  server.Reply("200 UTF8 an");
  RestOfLogin();
  server.Start();
  client.NameEncodingMode = FtpNameEncodingMode::Utf8;
  client.Connect();
  EXPECT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  EXPECT_EQ(Received(), (Lines{"USER anna", "PASS geheim", "OPTS UTF8 ON", "TYPE I", "SYST"}));

  // Forced Windows-1252 (the library's default): not even FEAT, although the server lists UTF8.
  ScriptedServer plain;
  plain.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x").Reply("200 x").Reply("215 x");
  plain.Start();
  FtpClient library;
  AimAtScript(library, plain);
  library.TlsMode = FtpTlsMode::Off;
  library.Connect();
  EXPECT_EQ(library.NameEncoding(), FtpNameEncoding::Windows1252);
  library.Disconnect();
  plain.Finish();
  EXPECT_EQ(plain.Received(), (Lines{"USER anna", "PASS geheim", "TYPE I", "SYST"}));
}

// pyftpdlib lists UTF8, refuses the OPTS, and speaks UTF-8: its PWD and NLST give the bytes
// of the names as they are on its disk.
class FtpNameEncodingReal : public PyftpdSuite {};

TEST_F(FtpNameEncodingReal, NamesComeAndGoAsTheServersUtf8Bytes) {
  const std::string folder = "\xC3\x9C" "bungen";            // "Übungen"
  const std::string file = "\xC5\x81\xC3\xB3" "d\xC5\xBA.evd";  // "Łódź.evd"
  std::filesystem::create_directory(server_->Home() / folder);
  FtpClient client;
  Aim(client);
  client.NameEncodingMode = FtpNameEncodingMode::Auto;
  client.Connect();
  ASSERT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  client.ChangeDir(folder);
  EXPECT_EQ(client.RetrieveCurrentDir(), "/" + folder);
  const std::filesystem::path local = std::filesystem::temp_directory_path() /
                                      ("namen-" + std::to_string(::getpid()) + ".evd");
  { std::ofstream(local, std::ios::binary) << "Inhalt"; }
  client.Put(local.string(), file);
  std::filesystem::remove(local);
  std::vector<std::string> names;
  client.List(&names, "", FtpListDetail::NamesOnly);
  EXPECT_EQ(names, (Lines{file}));
  EXPECT_TRUE(std::filesystem::exists(server_->Home() / folder / file));
  EXPECT_EQ(client.Size(file), 6);
  client.Delete(file);
  EXPECT_FALSE(std::filesystem::exists(server_->Home() / folder / file));
}
