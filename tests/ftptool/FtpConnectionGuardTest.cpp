// What the tool's connection refuses and how it recovers: servers that once encrypted and no
// longer offer TLS (through a FEAT-stripping relay), the reconnect after a failed transfer
// over TLS, data files that are no files, proxies, and servers that go silent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FeatStrippingRelay.h"
#include "FtpConnection.h"
#include "FtpScheduler.h"
#include "FtpSelectionTransfer.h"
#include "FtpStatusTexts.h"
#include "FtpTlsHosts.h"
#include "FtpTrustStore.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "ScriptedServer.h"
#include "TestFiles.h"
#include "TlsCertificate.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
  for (const auto& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// The tool's connection to a server that offers TLS with a self-signed certificate.
class GuardedTls : public PyftpdTlsSuite {
 protected:
  void SetUp() override {
    PyftpdTlsSuite::SetUp();
    if (HasFatalFailure()) return;
    client.Passive = true;
    conn.TrustFile = folder.File(FtpTrustStore::kFileName);
    conn.AskCertificate = [this](const FtpCertificateInfo&) {
      ++questions;
      return answer;
    };
    conn.Login = [this] {
      FtpLoginValues s;
      s.Host = host;
      s.Port = std::to_string(port);
      s.User = PyftpdServer::kUser;
      s.Password = PyftpdServer::kPassword;
      return s;
    };
  }

  FtpClient client;
  RecordingToolView view;
  ScratchFolder folder;
  FtpConnection conn{client, view, [] { return 45000.5; }};
  std::string host = "127.0.0.1";
  std::uint16_t port = server_ ? server_->Port() : 0;
  FtpTrustDecision answer = FtpTrustDecision::AcceptAlways;
  int questions = 0;
};

}  // namespace

TEST_F(GuardedTls, AServerThatOnceEncryptedIsRefusedBeforeUserWhenTlsIsStripped) {
  FeatStrippingRelay relay(server_->Port());
  ASSERT_NE(relay.Port(), 0);
  host = "127.0.0.2";
  port = relay.Port();
  ASSERT_TRUE(conn.Connect());
  EXPECT_TRUE(client.Encrypted());
  conn.Disconnect();
  const std::string hostsFile = folder.File(FtpTlsHosts::kFileName);
  EXPECT_TRUE(FtpTlsHosts(hostsFile).Known("127.0.0.2", relay.Port()));
  EXPECT_EQ(ModeOf(hostsFile), 0600u);
  EXPECT_EQ(ModeOf(conn.TrustFile.string()), 0600u) << "the trust store is the owner's only";

  relay.Strip();
  EXPECT_FALSE(conn.Connect());
  EXPECT_FALSE(client.Connected());
  const std::string refusal = FtpTlsMissingText("127.0.0.2", relay.Port());
  EXPECT_NE(refusal.find("angegriffen"), std::string::npos);
  EXPECT_EQ(view.panels[2], refusal);
  EXPECT_TRUE(Has(view.LinesStartingWith(""), refusal));
  const auto sent = relay.ClientLines();
  EXPECT_TRUE(Has(sent, "FEAT")) << "the stripped session was seen";
  EXPECT_FALSE(Has(sent, "USER")) << "no name, let alone the password, in clear";
  EXPECT_FALSE(conn.Busy());
}

TEST_F(GuardedTls, TheReconnectAfterAFailedTransferTrustsTheRememberedCertificate) {
  ASSERT_TRUE(conn.Connect());
  ASSERT_EQ(questions, 1);
  ASSERT_TRUE(FtpTrustStore(conn.TrustFile).Fingerprint(host, port));
  fs::create_directories(server_->Home() / "pub");
  client.ChangeDir("/pub");
  conn.RemotePathField = [] { return std::string("/pub"); };
  ScriptedDialogs dialogs;
  int listings = 0;
  FtpSelectionCommands commands(conn, view, dialogs, {[this] { return folder.File(""); }, nullptr,
                                                      [&] { ++listings; }, nullptr, nullptr});
  const FtpSelection selection{{{"fehlt.txt", "1", 4}}, false};
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, selection, true, false));
  EXPECT_FALSE(view.LinesStartingWith(A("=======> Übertragung abgebrochen, neu verbunden!")).empty());
  ASSERT_TRUE(client.Connected());
  EXPECT_TRUE(client.Encrypted());
  EXPECT_EQ(questions, 1) << "the remembered certificate needs no question";
  EXPECT_EQ(client.RetrieveCurrentDir(), "/pub");
  EXPECT_EQ(listings, 1);
  EXPECT_FALSE(conn.Busy());
}

// A trust file that is a FIFO held every connect for good; a folder or a device is no
// store either. Each is refused before the server is contacted.
TEST(FtpConnectionGuard, ADataFileThatIsNoFileRefusesTheConnectAtOnce) {
  ScratchFolder folder;
  fs::create_directories(folder.File("ordner"));
  ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);
  fs::create_directories(folder.File("tls"));
  fs::create_directories(folder.File("tls/" + std::string(FtpTlsHosts::kFileName)));
  for (const std::string& trust : {folder.File("ordner"), std::string("/dev/null"), folder.File("fifo"),
                                   folder.File("tls/" + std::string(FtpTrustStore::kFileName))}) {
    ScriptedServer server;  // never started: nothing may reach it
    FtpClient client;
    RecordingToolView view;
    FtpConnection connection(client, view, [] { return 45000.0; });
    client.ReadTimeout = 2000;  // a connect that got past the check fails instead of waiting
    connection.TrustFile = trust;
    connection.Login = [&] {
      FtpLoginValues s;
      s.Host = "127.0.0.1";
      s.Port = std::to_string(server.Port());
      return s;
    };
    EXPECT_FALSE(connection.Connect()) << trust;
    EXPECT_NE(view.panels[2].find(A("keine gewöhnliche Datei")), std::string::npos) << trust << ": " << view.panels[2];
    EXPECT_FALSE(connection.Busy());
    EXPECT_EQ(view.cursor, FtpCursor::Normal);
  }
}

// Through a proxy nothing is encrypted: the user hears it before the name goes out.
TEST(FtpConnectionGuard, AProxyLogInSaysFirstThatItIsNotEncrypted) {
  ScriptedServer proxy;
  proxy.Send("220 Proxy\r\n").AcceptToolLogIn();
  proxy.Start();
  FtpClient client;
  RecordingToolView view;
  FtpConnection connection(client, view, [] { return 45000.0; });
  client.ReadTimeout = 8000;
  ScratchFolder folder;
  connection.TrustFile = folder.File(FtpTrustStore::kFileName);
  connection.Login = [&] {
    FtpLoginValues s;
    s.Host = "ftp.beispiel.de";  // only named in USER, never looked up
    s.Port = "21";
    s.User = "anna";
    s.ProxyMode = 1;  // USER user@site
    s.ProxyHost = "127.0.0.1";
    s.ProxyPort = std::to_string(proxy.Port());
    return s;
  };
  std::size_t linesBeforeUser = 0;
  client.OnLog = [&](const std::string& line) {
    if (line.find("USER anna") != std::string::npos && linesBeforeUser == 0) linesBeforeUser = view.log.Size();
  };
  ASSERT_TRUE(connection.Connect());
  client.Disconnect();
  proxy.Finish();
  EXPECT_EQ(proxy.Received().front(), "USER anna@ftp.beispiel.de");
  std::size_t warningAt = view.log.Size();
  for (std::size_t i = 0; i < view.log.Size(); ++i)
    if (view.log.Line(i).find(A(ftptexts::kNoTlsViaProxy)) != std::string::npos) warningAt = i;
  EXPECT_LT(warningAt, linesBeforeUser) << "the warning comes before the log-in";
}

namespace {

// The window's scheduler host, reduced to the marked-rows download over the real commands.
class MarkedRowsHost : public FtpSchedulerHost {
 public:
  MarkedRowsHost(FtpConnection& connection, FtpSelectionCommands& commands) : connection_(connection), commands_(commands) {}
  bool Busy() const override { return connection_.Busy(); }
  bool EnsureConnection() override { return connection_.EnsureConnection(); }
  std::optional<double> RemoteFileDate(const std::string&) override { return std::nullopt; }
  std::optional<double> LocalFileTime(const std::string&) override { return std::nullopt; }
  double LastSingleDownloadDate() const override { return 0; }
  double LastSingleUploadTime() const override { return 0; }
  void RunSingleTransfer(FtpSide) override {}
  bool TransferSelection(FtpSide, bool withMarker, const std::string& marker) override {
    ++runs;
    return commands_.TransferSelection(FtpTag::Remote, {{{"a.txt", "1", 4}}, false}, true, withMarker, marker);
  }
  bool DeleteRemoteFile(const std::string&) override { return false; }
  int runs = 0;

 private:
  FtpConnection& connection_;
  FtpSelectionCommands& commands_;
};

void ScriptLogIn(ScriptedServer& server) {
  server.Send("220 Bereit\r\n").AcceptToolLogIn();
}

void ScriptDownload(ScriptedServer& server, const std::string& bytes) {
  server.Reply("229 Entering Extended Passive Mode (|||" + std::to_string(server.DataPort()) + "|)");
  server.Reply("150 ok").DataSend(bytes).Send("226 ok\r\n");
}

}  // namespace

// A NOOP whose reply never comes ends in the reply time-out, the drop is logged and the
// connection made again; the automatic download runs then and at its next slot again.
TEST(FtpConnectionGuard, ALostNoopReplyTimesOutAndTheScheduleGoesOn) {
  ScriptedServer server;
  ScriptLogIn(server);
  server.Expect();  // NOOP, never answered
  server.AcceptNext();
  ScriptLogIn(server);
  ScriptDownload(server, "erste");
  server.Reply("200 NOOP ok");
  ScriptDownload(server, "zweite");
  server.Start();

  FtpClient client;
  RecordingToolView view;
  double now = 45000.5;
  FtpConnection connection(client, view, [&] { return now; });
  EXPECT_EQ(client.ReadTimeout, FtpConnection::kReplyTimeoutMs) << "the tool waits for no reply for ever";
  client.ReadTimeout = 300;  // the test's own, so it need not wait a minute
  client.Passive = true;
  connection.Login = [&] {
    FtpLoginValues s;
    s.Host = "127.0.0.1";
    s.Port = std::to_string(server.Port());
    s.User = "anna";
    s.Password = "geheim";
    s.Reconnect = FtpReconnectOptions{false, true, false};
    return s;
  };
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  FtpSelectionCommands commands(connection, view, dialogs, {[&] { return folder.File(""); }, nullptr, nullptr, nullptr, nullptr});
  MarkedRowsHost host(connection, commands);
  FtpScheduler scheduler(host, view, [&] { return now; });
  ASSERT_TRUE(connection.Connect());

  FtpAutoTransferValues settings;
  settings.AutoDownload = true;
  settings.DownSingleMode = false;
  settings.DownStartTime = now;
  settings.DownRepeatMinutes = 5;
  scheduler.Timer2Timer(settings, {});
  EXPECT_EQ(ReadFile(folder.File("a.txt")), "erste");
  EXPECT_FALSE(view.LinesStartingWith(std::string(ftptexts::kRequest) + ftptexts::kDroppedByHost).empty());
  EXPECT_FALSE(connection.Busy());
  EXPECT_FALSE(scheduler.Handling());

  now += 5.0 / 1440;  // the next slot
  scheduler.Timer2Timer(settings, {});
  EXPECT_EQ(host.runs, 2);
  EXPECT_EQ(ReadFile(folder.File("a.txt")), "zweite");
  EXPECT_EQ(scheduler.Down().LastRun, 2);
  EXPECT_FALSE(connection.Busy());
  client.Disconnect();
  server.Finish();
  EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
}

// A transfer whose reply never comes ends in "Zeitüberschreitung" in the log book and the
// usual reconnect; the window is not left busy.
TEST(FtpConnectionGuard, ASilentServerDuringATransferEndsInTheTimeOutAndAReconnect) {
  ScriptedServer server;
  ScriptLogIn(server);
  server.Reply("200 NOOP ok");
  server.Reply("229 Entering Extended Passive Mode (|||" + std::to_string(server.DataPort()) + "|)");
  server.Expect();  // RETR, never answered
  server.AcceptNext();
  ScriptLogIn(server);
  server.Start();

  FtpClient client;
  RecordingToolView view;
  FtpConnection connection(client, view, [] { return 45000.5; });
  client.ReadTimeout = 300;
  client.Passive = true;
  connection.Login = [&] {
    FtpLoginValues s;
    s.Host = "127.0.0.1";
    s.Port = std::to_string(server.Port());
    s.User = "anna";
    return s;
  };
  ScratchFolder folder;
  ScriptedDialogs dialogs;
  FtpSelectionCommands commands(connection, view, dialogs, {[&] { return folder.File(""); }, nullptr, nullptr, nullptr, nullptr});
  ASSERT_TRUE(connection.Connect());
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, {{{"a.txt", "1", 4}}, false}, true, false));
  EXPECT_TRUE(Has(view.LinesStartingWith(""), A("Zeitüberschreitung")));
  EXPECT_FALSE(view.LinesStartingWith(A("=======> Übertragung abgebrochen, neu verbunden!")).empty());
  EXPECT_FALSE(connection.Busy());
  EXPECT_FALSE(connection.RefuseWhileBusy()) << "no \"Bitte warten!\" afterwards";
  EXPECT_TRUE(client.Connected());
  client.Disconnect();
  server.Finish();
}
