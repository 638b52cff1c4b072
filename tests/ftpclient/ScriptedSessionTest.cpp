// The control connection against a scripted server: exact command sequences of every log-in
// and proxy mode, reply handling, failures and the hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "ScriptedServer.h"

namespace texts = ftp::texts;

namespace {

using Lines = std::vector<std::string>;

// A client aimed at the scripted server. The read limit only keeps a broken test from hanging.
void Aim(FtpClient& client, const ScriptedServer& server) {
  client.Host = "127.0.0.1";
  client.Port = server.Port();
  client.Username = "anna";
  client.Password = "geheim";
  client.ReadTimeout = 8000;
}

// The reply a friendly server gives to each command of a log-in.
std::string CannedReply(const std::string& command) {
  if (command.rfind("USER", 0) == 0) return "331 Passwort bitte";
  if (command.rfind("PASS", 0) == 0) return "230 Angemeldet";
  if (command.rfind("SYST", 0) == 0) return "215 UNIX Type: L8";
  return "200 OK";
}

// Answers each expected command with its canned reply; the recorded transcript then shows
// whether the client really sent these commands in this order.
void ScriptLogin(ScriptedServer& server, const Lines& commands) {
  server.Send("220 Bereit\r\n");
  for (const auto& command : commands) server.Reply(CannedReply(command));
}

// Logs in with the standard sequence and leaves the server waiting for more script.
const Lines kPlainLogin = {"USER anna", "PASS geheim", "TYPE I", "SYST"};

struct ProxyCase {
  const char* name;
  FtpProxyType type;
  const char* proxyUser;
  const char* proxyPassword;
  Lines commands;
};

class FtpProxyLogin : public testing::TestWithParam<ProxyCase> {};

}  // namespace

TEST_P(FtpProxyLogin, SendsTheCommandSequenceOfItsMode) {
  const ProxyCase& param = GetParam();
  ScriptedServer server;
  ScriptLogin(server, param.commands);
  server.Start();

  FtpClient client;
  Aim(client, server);
  // Never resolved: with a proxy the proxy is the peer. Without one the server is.
  if (param.type != FtpProxyType::fpcmNone) client.Host = "ftp.example.org";
  client.ProxySettings.ProxyType = param.type;
  client.ProxySettings.Host = "127.0.0.1";
  client.ProxySettings.Port = server.Port();
  client.ProxySettings.UserName = param.proxyUser;
  client.ProxySettings.Password = param.proxyPassword;
  Lines sent;
  client.OnLog = [&](const std::string& line) {
    if (line.rfind("Sent ", 0) != 0) return;
    std::string command = line.substr(line.find(": ") + 2);
    if (command.size() >= 5 && command.compare(command.size() - 5, 5, "<EOL>") == 0) command.resize(command.size() - 5);
    sent.push_back(command);
  };
  client.Connect(FtpLogin::Auto, -1);
  EXPECT_TRUE(client.Connected());
  if (param.type != FtpProxyType::fpcmNone) {
    EXPECT_EQ(client.Host, "ftp.example.org");
  }
  EXPECT_EQ(client.LoginMsg().NumericCode, 230);
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Received(), param.commands);
  EXPECT_TRUE(server.Problems().empty());
  // The log (ladeko-ftp's --trace, the tool's log book) shows that a password went, not which.
  Lines logged = param.commands;
  for (auto& command : logged)
    if (command.rfind("PASS ", 0) == 0) command = "PASS ****";
  EXPECT_EQ(sent, logged);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, FtpProxyLogin,
    testing::Values(
        ProxyCase{"None", FtpProxyType::fpcmNone, "pu", "pp", kPlainLogin},
        ProxyCase{"UserSite", FtpProxyType::fpcmUserSite, "pu", "pp",
                  {"USER pu", "PASS pp", "USER anna@ftp.example.org", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"UserSiteNoProxyUser", FtpProxyType::fpcmUserSite, "", "pp",
                  {"USER anna@ftp.example.org", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"Site", FtpProxyType::fpcmSite, "pu", "pp",
                  {"USER pu", "PASS pp", "SITE ftp.example.org", "USER anna", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"Open", FtpProxyType::fpcmOpen, "pu", "pp",
                  {"USER pu", "PASS pp", "OPEN ftp.example.org", "USER anna", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"OpenNoProxyUser", FtpProxyType::fpcmOpen, "", "",
                  {"OPEN ftp.example.org", "USER anna", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"UserPass", FtpProxyType::fpcmUserPass, "pu", "pp",
                  {"USER anna@pu@ftp.example.org", "PASS geheim@pp", "TYPE I", "SYST"}},
        ProxyCase{"UserPassNoProxyPassword", FtpProxyType::fpcmUserPass, "pu", "",
                  {"USER anna@pu@ftp.example.org", "PASS geheim", "TYPE I", "SYST"}},
        ProxyCase{"Transparent", FtpProxyType::fpcmTransparent, "pu", "pp",
                  {"USER pu", "PASS pp", "USER anna", "PASS geheim", "TYPE I", "SYST"}}),
    [](const testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.name); });

TEST(FtpScriptedLogin, HttpProxyModeIsRefusedBeforeAnyCommand) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.ProxySettings.ProxyType = FtpProxyType::fpcmHttpProxyWithFtp;
  client.ProxySettings.Host = "127.0.0.1";
  client.ProxySettings.Port = server.Port();
  EXPECT_EQ(ErrorText([&] { client.Connect(); }), texts::kNotSupported) << "connected through an HTTP proxy";
  EXPECT_FALSE(client.Connected());
  server.Finish();
  EXPECT_TRUE(server.Received().empty());
}

TEST(FtpScriptedLogin, UserAnsweredWith230SendsNoPassword) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("230 Schon angemeldet").Reply("200 OK").Reply("215 UNIX");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Received(), (Lines{"USER anna", "TYPE I", "SYST"}));
  EXPECT_EQ(client.LoginMsg().Text.front(), "Schon angemeldet");
}

TEST(FtpScriptedLogin, GreetingMustBe220) {
  ScriptedServer server;
  server.Send("120 Gleich bereit\r\n220 Bereit\r\n");
  server.Start();
  FtpClient client;
  Aim(client, server);
  bool disconnected = false;
  client.OnDisconnected = [&] { disconnected = true; };
  try {
    client.Connect();
    FAIL() << "a 120 greeting was accepted";
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 120);
    EXPECT_STREQ(error.what(), "Gleich bereit");
  }
  EXPECT_FALSE(client.Connected());
  EXPECT_TRUE(disconnected);
  server.Finish();
  EXPECT_TRUE(server.Received().empty());
}

TEST(FtpScriptedLogin, WrongPasswordFailsTheConnectAndCloses) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("331 Passwort bitte").Reply("530 Falsches Passwort");
  server.Start();
  FtpClient client;
  Aim(client, server);
  try {
    client.Connect();
    FAIL();
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 530);
    EXPECT_STREQ(error.what(), "Falsches Passwort");
  }
  EXPECT_FALSE(client.Connected());
  server.Finish();
}

TEST(FtpScriptedLogin, SystemDescriptionFromSystOrUnknownOn500) {
  for (const auto& [reply, expected] : {std::pair<std::string, std::string>{"215 UNIX Type: L8", "UNIX Type: L8"},
                                        {"500 SYST unbekannt", texts::kUnknownSystem}}) {
    ScriptedServer server;
    server.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x").Reply("200 x").Reply(reply);
    server.Start();
    FtpClient client;
    Aim(client, server);
    client.Connect();
    EXPECT_EQ(client.SystemDesc(), expected);
    EXPECT_TRUE(client.Connected());
    client.Disconnect();
    server.Finish();
  }
}

TEST(FtpScriptedLogin, ManualLoginSendsOnlyWhatIsAsked) {
  ScriptedServer server;
  server.Send("220-Willkommen\r\n220-auf dem\r\n220 Server\r\n").Reply("331 x").Reply("230 x");
  server.Start();
  FtpClient client;
  Aim(client, server);
  std::vector<std::string> order;
  client.OnConnected = [&] { order.push_back("connected"); };
  client.OnAfterLogin = [&] { order.push_back("after-login"); };
  client.Connect(FtpLogin::Manual);
  EXPECT_EQ(client.Greeting().Text, (Lines{"Willkommen", "auf dem", "Server"}));
  client.Login();
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Received(), (Lines{"USER anna", "PASS geheim"}));
  EXPECT_EQ(order, (Lines{"connected"})) << "the after-log-in hook belongs to the automatic log-in";
}

TEST(FtpScriptedReplies, MultiLineRepliesSeveralPerPacketAndTinyPackets) {
  ScriptedServer server;
  server.SendInPieces("220-Hallo\r\n220 Bereit\r\n", 1)
      .Expect()  // USER: the next three replies arrive in one packet
      .Send("230-Willkommen\r\n230-zweite Zeile\r\n230 Ende\r\n200 Typ\r\n215 UNIX\r\n")
      .Expect()
      .Expect()
      .Expect()  // PWD: one byte per packet
      .SendInPieces("257 \"/lektionen\" ist aktuell\r\n", 1)
      .Expect()
      .Send("230-a\r\n   mitten\r\n230\r\n");  // ended by the bare code
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  EXPECT_EQ(client.LoginMsg().Text, (Lines{"Willkommen", "zweite Zeile", "Ende"}));
  EXPECT_EQ(client.RetrieveCurrentDir(), "/lektionen");
  EXPECT_EQ(client.Quote("STAT"), 230);
  EXPECT_EQ(client.LastCmdResult().Text.size(), 3u);
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(server.Received(), (Lines{"USER anna", "TYPE I", "SYST", "PWD", "STAT"}));
}

namespace {

// The commands the server received after the plain log-in.
Lines AfterLogin(const ScriptedServer& server) {
  const auto& received = server.Received();
  return Lines(received.begin() + static_cast<long>(std::min(kPlainLogin.size(), received.size())), received.end());
}

}  // namespace

TEST(FtpScriptedReplies, OverLongFirstLineOfAMultiLineReplyLeavesNoRestForTheNextCommand) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  // The rest of the NOOP's reply ends in a 250 that a DELE would take for its own.
  server.Expect().Send("250-" + std::string(17000, 'x') + "\r\n250 erledigt\r\n").Reply("550 nicht geloescht");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  EXPECT_EQ(ErrorText([&] { client.Noop(); }), texts::kMaxLineLength) << "a 17000-character line was accepted";
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(ErrorText([&] { client.Delete("vokabeln.evd"); }), texts::kNotConnected);
  server.Finish();
  EXPECT_EQ(AfterLogin(server), Lines{"NOOP"}) << "no DELE may go out on a connection of unknown state";
}

TEST(FtpScriptedReplies, EndlessMultiLineReplyIsBoundedInLinesAndBytes) {
  for (const bool byLines : {true, false}) {
    ScriptedServer server;
    ScriptLogin(server, kPlainLogin);
    std::string flood;
    for (int i = 0; i < 300; ++i) flood += "211-Zeile " + std::to_string(i) + " " + std::string(40, 'z') + "\r\n";
    server.Expect().Send(flood);
    server.Start();
    FtpClient client;
    Aim(client, server);
    if (byLines)
      client.MaxReplyLines = 100;
    else
      client.MaxReplyBytes = 5000;
    client.Connect();
    EXPECT_EQ(ErrorText([&] { client.Quote("STAT"); }), texts::kReplyTooLong) << byLines;
    EXPECT_FALSE(client.Connected()) << "the rest of the flood must not answer the next command";
    server.Finish();
  }
}

TEST(FtpScriptedReplies, ReplyTricklingInStillRunsThePumpOnTheClock) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  // 40 pieces 40 ms apart: no wait ever reaches a 250 ms slice, the reply takes 1.6 s.
  server.Expect().SendInPieces("257 \"/" + std::string(32, 'l') + "\" ok\r\n", 1, 40);
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  int pumps = 0;
  client.Pump = [&] { ++pumps; };
  EXPECT_EQ(client.RetrieveCurrentDir(), "/" + std::string(32, 'l'));
  EXPECT_GE(pumps, 3) << "the window would freeze while a slow reply arrives";
  client.Disconnect();
  server.Finish();
}

TEST(FtpScriptedReplies, LineBreaksInNamesAreRefusedBeforeAnythingIsSent) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Reply("200 NOOP");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  const std::string refused = texts::kLineBreakInArgument;
  EXPECT_EQ(ErrorText([&] { client.ChangeDir("x\r\nDELE vokabeln.evd"); }), refused);
  EXPECT_EQ(ErrorText([&] { client.Delete("a\nb"); }), refused);
  EXPECT_EQ(ErrorText([&] { client.Rename("alt.evd", "neu\r.evd"); }), refused) << "RNFR must not go out alone";
  EXPECT_EQ(ErrorText([&] { client.MakeDir("neu\n"); }), refused);
  EXPECT_EQ(ErrorText([&] { client.Size("x\ny"); }), refused);
  EXPECT_EQ(ErrorText([&] { client.Quote("NOOP\r\nDELE x"); }), refused);
  EXPECT_EQ(ErrorText([&] { client.List(nullptr, "*\r\nDELE x"); }), refused) << "PASV must not go out either";
  EXPECT_EQ(ErrorText([&] { client.Get("x\r\n", "/dev/null", FtpOverwrite::Yes); }), refused);
  EXPECT_EQ(ErrorText([&] { client.Put("/dev/null", "y\n", FtpPutMode::Store); }), refused);
  EXPECT_TRUE(client.Connected());
  client.Noop();
  client.Disconnect();
  server.Finish();
  EXPECT_EQ(AfterLogin(server), Lines{"NOOP"});
}

TEST(FtpScriptedReplies, EndlessLineFailsWithoutWaitingForItsEnd) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Expect().Send(std::string(40000, 'x'));  // and then nothing more, no LF
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  EXPECT_EQ(ErrorText([&] { client.Noop(); }), texts::kMaxLineLength) << "not a read time-out: the limit holds before the LF";
  client.Disconnect();
  server.Finish();
}

TEST(FtpScriptedReplies, RejectedCodeRaisesWithTheServersLinesAndKeepsTheConnection) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Expect().Send("550-Datei fehlt\r\n550 wirklich\r\n").Reply("213 4711").Reply("550 Nicht da");
  server.Reply("350 Weiter").Reply("250 Umbenannt");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  try {
    client.Delete("alt.evd");
    FAIL();
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 550);
    EXPECT_STREQ(error.what(), "Datei fehlt\nwirklich");
  }
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(client.Size("a.evd"), 4711);
  EXPECT_EQ(client.Size("b.evd"), -1) << "550 to SIZE is no error";
  client.Rename("von.evd", "nach.evd");
  client.Disconnect();
  server.Finish();
  const Lines tail(server.Received().end() - 5, server.Received().end());
  EXPECT_EQ(tail, (Lines{"DELE alt.evd", "SIZE a.evd", "SIZE b.evd", "RNFR von.evd", "RNTO nach.evd"}));
}

TEST(FtpScriptedReplies, ServerHangingUpMidLineClosesTheClient) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Expect().Send("200 halbe Zei").Close();
  server.Start();
  FtpClient client;
  Aim(client, server);
  std::vector<std::pair<FtpStatus, std::string>> statuses;
  int disconnects = 0;
  client.OnStatus = [&](FtpStatus status, const std::string& text) { statuses.emplace_back(status, text); };
  client.OnDisconnected = [&] { ++disconnects; };
  client.Connect();
  statuses.clear();
  EXPECT_EQ(ErrorText([&] { client.Noop(); }), texts::kClosedGracefully);
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(disconnects, 1);
  ASSERT_EQ(statuses.size(), 1u);
  EXPECT_EQ(statuses[0].first, FtpStatus::Disconnected);
  EXPECT_EQ(statuses[0].second, texts::kDisconnected);
  EXPECT_EQ(ErrorText([&] { client.Noop(); }), texts::kNotConnected);
  server.Finish();
}

TEST(FtpScriptedReplies, ReplyCutByTheReadTimeOutClosesTheConnection) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  // The NOOP's reply starts, stalls past the limit, then ends in a 250 a DELE would take.
  server.Expect().Send("250-Anfang\r\n").Pause(900).Send("fortsetzung\r\n250 Ende\r\n");
  server.Reply("550 nicht geloescht");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  client.ReadTimeout = 300;
  int pumps = 0;
  client.Pump = [&] { ++pumps; };
  EXPECT_EQ(ErrorText<FtpTimeoutError>([&] { client.Noop(); }), texts::kReadTimeout);
  EXPECT_GE(pumps, 1) << "the wait must hand control to the pump between slices";
  EXPECT_FALSE(client.Connected());
  EXPECT_EQ(ErrorText([&] { client.Delete("vokabeln.evd"); }), texts::kNotConnected);
  server.Finish();
  EXPECT_EQ(AfterLogin(server), Lines{"NOOP"}) << "the late reply must confirm nothing";
}

TEST(FtpScriptedSession, ConnectWhileConnectedFailsAndCloses) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Connect();
  EXPECT_EQ(ErrorText([&] { client.Connect(); }), texts::kAlreadyConnected);
  EXPECT_FALSE(client.Connected());
  server.Finish();
}

TEST(FtpScriptedSession, TransferTypeGoesOutOnlyWhenConnectedAndChanged) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("331 x").Reply("230 x").Reply("200 A").Reply("215 x").Reply("200 I");
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.SetTransferType(FtpTransferType::ftASCII);  // disconnected: only stored
  client.Connect();
  client.SetTransferType(FtpTransferType::ftASCII);  // unchanged: nothing
  client.SetTransferType(FtpTransferType::ftBinary);
  client.Quit();
  server.Finish();
  EXPECT_EQ(server.Received(), (Lines{"USER anna", "PASS geheim", "TYPE A", "SYST", "TYPE I"}));
}

TEST(FtpScriptedSession, StatusAndLogLinesOfAWholeSession) {
  ScriptedServer server;
  ScriptLogin(server, kPlainLogin);
  server.Start();
  FtpClient client;
  Aim(client, server);
  client.Host = "localhost";
  Lines statuses;
  Lines log;
  client.OnStatus = [&](FtpStatus, const std::string& text) { statuses.push_back(text); };
  client.OnLog = [&](const std::string& line) { log.push_back(line); };
  client.Connect();
  client.Quit();
  server.Finish();
  EXPECT_EQ(statuses, (Lines{"Host-Name localhost wird aufgel\xF6st.", "Verbinden mit 127.0.0.1.", "Verbunden.",
                             "Verbindung hergestellt", "Verbindung wird getrennt.", "Verbindung aufgehoben."}));
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log.front(), "Stat Verbunden.");
  EXPECT_EQ(log.back(), "Stat Verbindung aufgehoben.");
  EXPECT_TRUE(log[1].starts_with("Recv ") && log[1].ends_with(": 220 Bereit<EOL>")) << log[1];
  EXPECT_TRUE(log[2].starts_with("Sent ") && log[2].ends_with(": USER anna<EOL>")) << log[2];
  EXPECT_TRUE(log[log.size() - 2].ends_with(": QUIT<EOL>"));
}

TEST(FtpScriptedSession, RefusedConnectionReportsTheSocketError) {
  std::uint16_t deadPort = 0;
  {
    ScriptedServer probe;  // borrow a free port, then close it again
    deadPort = probe.Port();
  }
  FtpClient client;
  client.Host = "127.0.0.1";
  client.Port = deadPort;
  try {
    client.Connect();
    FAIL();
  } catch (const FtpSocketError& error) {
    EXPECT_EQ(error.ErrorNumber(), ECONNREFUSED);
    EXPECT_EQ(std::string(error.what()).rfind("Socket-Fehler # " + std::to_string(ECONNREFUSED) + "\n", 0), 0u)
        << error.what();
  }
  EXPECT_FALSE(client.Connected());
}
