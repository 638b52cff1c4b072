// The tool's connection handling against pyftpdlib on loopback: connecting and disconnecting,
// the check before each action with its reconnects, the minute timer, the progress and rate
// display and the abort of a running transfer. The clock is injected, so nothing waits a minute.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "AbortAftermath.h"
#include "Clock.h"
#include "FtpClientAccess.h"
#include "FtpConnection.h"
#include "FtpError.h"
#include "FtpStatusTexts.h"
#include "PyftpdServer.h"
#include "RecordingToolView.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

constexpr double kSecond = 1.0 / 86400.0;

class ToolConnection : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new PyftpdServer; }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(server_->Running()) << server_->Problem();
    server_->ClearHome();
    UseServer(*server_);
  }

  void UseServer(const PyftpdServer& server) {
    settings_.Host = "127.0.0.1";
    settings_.Port = std::to_string(server.Port());
    settings_.User = PyftpdServer::kUser;
    settings_.Password = PyftpdServer::kPassword;
  }

  // A server of its own that closes connections idle for a second.
  static std::unique_ptr<PyftpdServer> StartIdleServer() {
    PyftpdServer::Options options;
    options.IdleSeconds = 1;
    return std::make_unique<PyftpdServer>(options);
  }

  static PyftpdServer* server_;
  double now_ = timebase::EncodeDayCount({2024, 5, 1, 10, 0, 0, 0});
  FtpClient client_;
  RecordingToolView view_;
  FtpLoginValues settings_;
  FtpReconnectOptions options_;
  std::string pathField_;
  int listings_ = 0;
  std::unique_ptr<FtpConnection> conn_ = [this] {
    auto conn = std::make_unique<FtpConnection>(client_, view_, [this] { return now_; });
    conn->Login = [this] {
      FtpLoginValues login = settings_;
      login.Reconnect = options_;
      return login;
    };
    conn->RemotePathField = [this] { return pathField_; };
    conn->SetRemotePathField = [this](const std::string& path) { pathField_ = path; };
    conn->ListRemoteDirectory = [this] { ++listings_; };
    return conn;
  }();
};

PyftpdServer* ToolConnection::server_ = nullptr;

}  // namespace

TEST_F(ToolConnection, ConnectTwiceThenDisconnectTwice) {
  ASSERT_TRUE(conn_->Connect());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kConnected));
  EXPECT_EQ(view_.panel2History,
            (std::vector<std::string>{A(ftptexts::kConnecting), A(ftptexts::kCheckingLogin),
                                      A(ftptexts::kConnected)}));
  EXPECT_EQ(view_.connectedShown, 1);
  EXPECT_EQ(conn_->ConnectedSince(), now_);
  EXPECT_FALSE(conn_->Busy());
  EXPECT_EQ(view_.cursor, FtpCursor::Normal);
  // The client's status reports went to the log book with the time in front.
  EXPECT_FALSE(view_.LinesStartingWith("10:00:00 Status: ").empty());

  EXPECT_FALSE(conn_->Connect());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kAlreadyConnected));
  EXPECT_TRUE(client_.Connected());

  conn_->Disconnect();
  EXPECT_FALSE(client_.Connected());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kDisconnected));
  EXPECT_EQ(view_.connectedShown, 0);
  EXPECT_EQ(conn_->ConnectedSince(), 0);

  view_.connectedShown = -1;
  conn_->Disconnect();
  EXPECT_EQ(view_.panels[2], A(ftptexts::kNotConnected));
  EXPECT_EQ(view_.connectedShown, 0);
}

TEST_F(ToolConnection, RefusedLoginEndsIdle) {
  settings_.Password = "falsch";
  EXPECT_FALSE(conn_->Connect());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kConnectFailed));
  EXPECT_FALSE(conn_->Busy());
  EXPECT_EQ(view_.cursor, FtpCursor::Normal);
  EXPECT_FALSE(client_.Connected());
}

TEST_F(ToolConnection, WhileBusyEveryEntryAnswersBitteWarten) {
  ASSERT_TRUE(conn_->Connect());
  conn_->SetBusy(true);
  view_.panels[2].clear();
  EXPECT_TRUE(conn_->RefuseWhileBusy());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kPleaseWait));
  view_.panels[2].clear();
  EXPECT_FALSE(conn_->Connect());
  EXPECT_EQ(view_.panels[2], A(ftptexts::kPleaseWait));
  view_.panels[2].clear();
  conn_->Disconnect();
  EXPECT_EQ(view_.panels[2], A(ftptexts::kPleaseWait));
  EXPECT_TRUE(client_.Connected());
  // The checks give the plain state and write nothing; the timer skips its turn.
  const std::size_t lines = view_.log.Size();
  EXPECT_TRUE(conn_->EnsureConnection());
  EXPECT_TRUE(conn_->ProbeConnection());
  conn_->TimerStep();
  EXPECT_EQ(view_.log.Size(), lines);
  conn_->SetBusy(false);
  EXPECT_FALSE(conn_->RefuseWhileBusy());
}

TEST_F(ToolConnection, WithoutOptionsAndConnectionAnActionGetsFalseSilently) {
  EXPECT_FALSE(conn_->EnsureConnection());
  EXPECT_FALSE(conn_->ProbeConnection());
  EXPECT_EQ(view_.log.Size(), 0u);
  EXPECT_FALSE(client_.Connected());
}

TEST_F(ToolConnection, CheckOfALiveConnectionLogsItsAge) {
  ASSERT_TRUE(conn_->Connect());
  now_ += 75 * kSecond;
  EXPECT_TRUE(conn_->EnsureConnection());
  EXPECT_TRUE(conn_->ProbeConnection());
  EXPECT_EQ(view_.LinesStartingWith("Anfrage: "), std::vector<std::string>{"Anfrage: verbunden seit 00:01:15"});
  EXPECT_EQ(view_.LinesStartingWith("Anfrage1: "), std::vector<std::string>{"Anfrage1: verbunden seit 00:01:15"});
}

TEST_F(ToolConnection, AutoSetReconnectsAfterTheHostDroppedAnIdleConnection) {
  auto idle = StartIdleServer();
  ASSERT_TRUE(idle->Running()) << idle->Problem();
  fs::create_directory(idle->Home() / "vokabeln");
  UseServer(*idle);
  options_.AutoSet = true;
  pathField_ = "/vokabeln";
  ASSERT_TRUE(conn_->Connect());
  ASSERT_TRUE(idle->WaitForIdleClose(10000)) << "the server kept the idle connection";
  EXPECT_TRUE(conn_->EnsureConnection());
  EXPECT_FALSE(conn_->NoActionMark());
  EXPECT_TRUE(conn_->HostDropped() == false);  // cleared by the reconnect
  EXPECT_EQ(view_.LinesStartingWith("Anfrage: "),
            std::vector<std::string>{"Anfrage: " + A(ftptexts::kDroppedByHost)});
  ASSERT_TRUE(client_.Connected());
  EXPECT_EQ(client_.RetrieveCurrentDir(), "/vokabeln");
  EXPECT_EQ(listings_, 0);
}

TEST_F(ToolConnection, GoneDirectoryAfterReconnectFallsBackToTheStartDirectory) {
  auto idle = StartIdleServer();
  ASSERT_TRUE(idle->Running()) << idle->Problem();
  UseServer(*idle);
  options_.AutoSet = true;
  pathField_ = "/weg";
  ASSERT_TRUE(conn_->Connect());
  ASSERT_TRUE(idle->WaitForIdleClose(10000)) << "the server kept the idle connection";
  // The action must not run: it was meant for a directory that is not there.
  EXPECT_FALSE(conn_->EnsureConnection());
  EXPECT_TRUE(conn_->NoActionMark());
  EXPECT_TRUE(client_.Connected());
  EXPECT_EQ(pathField_, "/");
  EXPECT_EQ(listings_, 1);
  EXPECT_EQ(view_.panels[1], A(ftptexts::kNoAction));
  EXPECT_NE(std::find(view_.panel2History.begin(), view_.panel2History.end(),
                      A(ftptexts::kStartDirectory)),
            view_.panel2History.end());
  // The next check starts with the mark cleared.
  EXPECT_TRUE(conn_->EnsureConnection());
  EXPECT_FALSE(conn_->NoActionMark());
}

TEST_F(ToolConnection, AutoResetActsOnlyAfterTheHostDropped) {
  auto idle = StartIdleServer();
  ASSERT_TRUE(idle->Running()) << idle->Problem();
  UseServer(*idle);
  options_.AutoReset = true;
  // Never connected: nothing was dropped, so nothing connects.
  EXPECT_FALSE(conn_->ProbeConnection());
  EXPECT_FALSE(client_.Connected());
  ASSERT_TRUE(conn_->Connect());
  ASSERT_TRUE(idle->WaitForIdleClose(10000)) << "the server kept the idle connection";
  EXPECT_TRUE(conn_->ProbeConnection());
  EXPECT_EQ(view_.LinesStartingWith("Anfrage1: "),
            std::vector<std::string>{"Anfrage1: " + A(ftptexts::kDroppedByHost)});
  EXPECT_TRUE(client_.Connected());
}

TEST_F(ToolConnection, MinuteTimerLines) {
  conn_->TimerStep();
  ASSERT_EQ(view_.log.Size(), 1u);
  EXPECT_EQ(view_.log.Line(0), "Timer: keine Verbindung um 01.05.2024 10:00:00");

  ASSERT_TRUE(conn_->Connect());
  now_ += 60 * kSecond;
  conn_->TimerStep();
  EXPECT_EQ(view_.LinesStartingWith("Timer: ").back(), "Timer: verbunden seit 00:01:00");

  // The connection goes away under the tool; with TimerAutoResetBox the timer reconnects.
  options_.TimerAutoReset = true;
  client_.Disconnect();
  now_ += 60 * kSecond;
  conn_->TimerStep();
  EXPECT_EQ(view_.LinesStartingWith("Timer: ").back(), "Timer: getrennt nach 00:02:00");
  EXPECT_TRUE(conn_->HostDropped() == false);  // the reconnect cleared it
  EXPECT_TRUE(client_.Connected());
  EXPECT_EQ(conn_->ConnectedSince(), now_);

  // Without the option the connection stays down and the next minute says so.
  options_.TimerAutoReset = false;
  client_.Disconnect();
  conn_->TimerStep();
  EXPECT_TRUE(conn_->HostDropped());
  EXPECT_FALSE(client_.Connected());
  now_ += 60 * kSecond;
  conn_->TimerStep();
  EXPECT_EQ(view_.LinesStartingWith("Timer: ").back(), "Timer: keine Verbindung um 01.05.2024 10:03:00");
}

TEST_F(ToolConnection, RateAndProgressFromTheWorkEvents) {
  conn_->SetExpectedSize(5000);
  client_.OnWorkBegin(FtpWorkMode::Read, 0);
  EXPECT_EQ(view_.progressMaximum, 5000);
  EXPECT_TRUE(view_.abortEnabled);
  EXPECT_TRUE(conn_->TransferRunning());
  now_ += 4 * kSecond;
  client_.OnWork(FtpWorkMode::Read, 1048576);
  EXPECT_EQ(view_.rateText, " Rate: 256.00 KB/s");
  EXPECT_EQ(view_.progressPosition, 1048576);
  EXPECT_NEAR(conn_->Rate(), 256.0, 1e-3);
  client_.OnWorkEnd(FtpWorkMode::Read);
  EXPECT_EQ(view_.rateText, "   ");
  EXPECT_EQ(view_.progressPosition, 0);
  EXPECT_FALSE(view_.abortEnabled);
  EXPECT_FALSE(conn_->TransferRunning());

  // A reported size wins; a listing shows no rate; a day-long transfer keeps its true rate.
  conn_->SetListingRunning(true);
  view_.rateTexts.clear();
  client_.OnWorkBegin(FtpWorkMode::Read, 777);
  EXPECT_EQ(view_.progressMaximum, 777);
  now_ += 1 * kSecond;
  client_.OnWork(FtpWorkMode::Read, 100);
  EXPECT_TRUE(view_.rateTexts.empty());
  conn_->SetListingRunning(false);
  now_ += (86400 + 19 * 3600 - 1) * kSecond;  // 43 hours after the begin
  client_.OnWork(FtpWorkMode::Read, 43LL * 3600 * 1024);
  EXPECT_EQ(view_.rateText, " Rate: 1.00 KB/s");
}

TEST_F(ToolConnection, AbortDuringATransferEndsTheConnection) {
  {
    std::ofstream big(server_->Home() / "gross.bin", std::ios::binary);
    const std::string block(1 << 16, 'x');
    for (int i = 0; i < 128; ++i) big << block;  // 8 MB
  }
  client_.BufferSize = 4096;
  ASSERT_TRUE(conn_->Connect());
  int progressEvents = 0;
  view_.onProgress = [&](std::int64_t) {
    if (++progressEvents == 2) conn_->RequestAbort();
  };
  const fs::path target = fs::temp_directory_path() / "ftptool-abort-target.bin";
  EXPECT_THROW(client_.Get("gross.bin", target.string(), FtpOverwrite::Yes), FtpError);
  fs::remove(target);
  EXPECT_FALSE(client_.Connected());
  EXPECT_EQ(conn_->ConnectedSince(), 0);
  EXPECT_FALSE(conn_->AbortRequested());
  EXPECT_FALSE(conn_->TransferRunning());
  EXPECT_FALSE(view_.abortEnabled);
  EXPECT_LT(view_.progressPosition, 8 << 20);
  // The next action needs a new connection.
  ExpectEndedByAbort(*conn_, view_, options_);
}

// The core drives FTP through the session; the session must leave the connection's own
// progress events and pump on the client, or no abort could reach the transfer.
TEST_F(ToolConnection, AbortReachesATransferDrivenThroughTheSession) {
  std::ofstream(server_->Home() / "gross.bin", std::ios::binary) << std::string(8 << 20, 'x');
  client_.BufferSize = 4096;
  ASSERT_TRUE(conn_->Connect());
  int progressEvents = 0;
  view_.onProgress = [&](std::int64_t) {
    if (++progressEvents == 2) conn_->RequestAbort();
  };
  remote::RemoteSession& session = conn_->Session();
  EXPECT_EQ(session.CurrentDir(), "/");
  const fs::path target = fs::temp_directory_path() / "ftptool-session-abort.bin";
  EXPECT_THROW(session.Get("gross.bin", target.string()), remote::RemoteError);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_GE(progressEvents, 2);
  EXPECT_FALSE(session.Connected());
}

TEST(ToolConnectionRules, PortTextsAndProxyModes) {
  EXPECT_EQ(PortFromText("2121"), 2121);
  EXPECT_EQ(PortFromText(""), 21);
  EXPECT_EQ(PortFromText("21a"), 21);
  EXPECT_EQ(PortFromText("70000"), 21);
  EXPECT_EQ(PortFromText("0"), 0);
  FtpClient client;
  FtpLoginValues settings;
  settings.Host = "127.0.0.1";
  settings.Port = "x";
  settings.ProxyMode = 4;
  settings.ProxyPort = "8021";
  FtpApplyAccess(FtpAccessOfLogin(settings), client);
  EXPECT_EQ(client.Port, 21);
  EXPECT_EQ(client.ProxySettings.ProxyType, FtpProxyType::fpcmUserPass);
  EXPECT_EQ(client.ProxySettings.Port, 8021);
}

TEST(ToolLogBook, StatusLinesKeepTheNewest15000) {
  FtpClient client;
  RecordingToolView view;
  double now = timebase::EncodeDayCount({2024, 5, 1, 8, 30, 0, 0});
  FtpConnection conn(client, view, [&] { return now; });
  for (int i = 0; i < 15000; ++i) client.OnStatus(FtpStatus::Ready, "Zeile " + std::to_string(i));
  ASSERT_EQ(view.log.Size(), 15000u);
  client.OnStatus(FtpStatus::Ready, "Zeile 15000");
  ASSERT_EQ(view.log.Size(), 15000u);
  EXPECT_EQ(view.log.Line(0), "08:30:00 Status: Zeile 1");
  EXPECT_EQ(view.log.Line(14999), "08:30:00 Status: Zeile 15000");
  // Lines added without trimming count at the next trim.
  for (int i = 0; i < 5; ++i) view.AddLogLine("Timer: x");
  EXPECT_EQ(view.log.Size(), 15005u);
  EXPECT_EQ(view.log.AddTrimmed("neu"), 6u);
  EXPECT_EQ(view.log.Size(), 15000u);
  EXPECT_EQ(view.log.Line(0), "08:30:00 Status: Zeile 7");
  EXPECT_EQ(view.log.Line(14999), "neu");
}
