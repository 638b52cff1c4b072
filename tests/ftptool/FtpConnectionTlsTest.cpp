// The tool's connection with a trust file: it asks the server for TLS and says what it got.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FtpConnection.h"
#include "FtpTexts.h"
#include "FtpTrustStore.h"
#include "RecordingToolView.h"
#include "ScriptedServer.h"
#include "TestFiles.h"

TEST(FtpLocalHost, KnowsLoopbackWithoutALookup) {
  for (const char* host : {"127.0.0.1", "127.1.2.3", "::1", "[::1]", "localhost"}) EXPECT_TRUE(FtpIsLocalHost(host)) << host;
  for (const char* host : {"ftp.beispiel.de", "127.example.org", "10.0.0.1", "::2", ""})
    EXPECT_FALSE(FtpIsLocalHost(host)) << host;
}

TEST(FtpConnectionTls, WithATrustFileAsksForTlsAndGoesOnInClearWhenNotOffered) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("211 Keine Erweiterungen");
  server.AcceptLogIn();
  server.Start();
  FtpClient client;
  client.ReadTimeout = 8000;
  RecordingToolView view;
  FtpConnection connection(client, view, [] { return 45000.0; });
  ScratchFolder folder;
  connection.TrustFile = folder.File(FtpTrustStore::kFileName);
  connection.AskCertificate = [](const FtpCertificateInfo&) -> FtpTrustDecision {
    ADD_FAILURE() << "no certificate without TLS";
    return FtpTrustDecision::Reject;
  };
  connection.Login = [&] {
    FtpLoginValues settings;
    settings.Host = "127.0.0.1";
    settings.Port = std::to_string(server.Port());
    settings.User = "anna";
    settings.Password = "geheim";
    return settings;
  };
  EXPECT_TRUE(connection.Connect());
  EXPECT_FALSE(client.Encrypted());
  EXPECT_TRUE(view.LinesStartingWith("Achtung").empty()) << "a local server is no warning";
  client.Disconnect();
  server.Finish();
  ASSERT_FALSE(server.Received().empty());
  EXPECT_EQ(server.Received().front(), "FEAT");
  EXPECT_EQ(server.Received().at(1), "USER anna");
}

TEST(FtpConnectionTls, AHandshakeThatFailsIsAFailedConnectionNotAClearOne) {
  ScriptedServer server;
  server.Send("220 Bereit\r\n").Reply("211-Erweiterungen\r\n AUTH TLS\r\n211 Ende").Reply("234 Los");
  server.Send("kein TLS\r\n").Pause(200).Close();
  server.Start();
  FtpClient client;
  client.ReadTimeout = 8000;
  RecordingToolView view;
  FtpConnection connection(client, view, [] { return 45000.0; });
  ScratchFolder folder;
  connection.TrustFile = folder.File(FtpTrustStore::kFileName);
  connection.Login = [&] {
    FtpLoginValues settings;
    settings.Host = "127.0.0.1";
    settings.Port = std::to_string(server.Port());
    settings.User = "anna";
    return settings;
  };
  EXPECT_FALSE(connection.Connect());
  EXPECT_FALSE(client.Connected());
  server.Finish();
  EXPECT_EQ(server.Received(), (std::vector<std::string>{"FEAT", "AUTH TLS"})) << "no name or password after it";
}
