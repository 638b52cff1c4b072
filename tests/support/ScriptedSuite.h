// A test with a scripted server and a client aimed at it, logging in as "anna" with the
// password "geheim"; the test writes the server's script, starts it and connects.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "ScriptedServer.h"

// Points the client at the scripted server, with a read time-out only so that a broken
// script cannot hang the test.
inline void AimAtLoopback(FtpClient& client, std::uint16_t port) {
  client.Host = "127.0.0.1";
  client.Port = port;
  client.Username = "anna";
  client.Password = "geheim";
  client.ReadTimeout = 8000;
}

inline void AimAtScript(FtpClient& client, const ScriptedServer& server) { AimAtLoopback(client, server.Port()); }

class ScriptedClientSuite : public testing::Test {
 protected:
  using Lines = std::vector<std::string>;

  ScriptedClientSuite() { AimAtScript(client, server); }

  // Every command the server received, once the client has gone and the script has ended
  // without a problem on the server's side.
  Lines Received() {
    client.Disconnect();
    server.Finish();
    EXPECT_TRUE(server.Problems().empty()) << server.Problems().front();
    return server.Received();
  }

  ScriptedServer server;
  FtpClient client;
};
