// A saved profile names its server: the same reader, unscrambling and mapping as the tool window.
#include <gtest/gtest.h>

#include "FtpFilecls.h"
#include "FtpProfileAccess.h"
#include "FtpRemoteSession.h"
#include "PyftpdServer.h"
#include "SavedProfile.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;

TEST(ProfileAccess, SavedProfileConnectsASession) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  const fs::path file = server.Home() / "zugang.ftpz";
  ASSERT_TRUE(WriteTestProfile(file, std::to_string(server.Port()), true));

  remote::RemoteAccess access;
  ASSERT_TRUE(LoadProfileAccess(file, access));
  EXPECT_EQ(access.user, PyftpdServer::kUser);
  EXPECT_EQ(access.password, PyftpdServer::kPassword);
  EXPECT_EQ(access.proxy.kind, remote::ProxyKind::None);
  FtpClient client;
  FtpRemoteSession session(client);
  session.Connect(access);
  session.Login();
  EXPECT_TRUE(session.Connected());
  session.Disconnect();

  // Without the save flag the profile carries no password.
  ASSERT_TRUE(WriteTestProfile(file, std::to_string(server.Port()), false));
  remote::RemoteAccess second;
  ASSERT_TRUE(LoadProfileAccess(file, second));
  EXPECT_EQ(second.password, "");
}

TEST(ProfileAccess, UnreadableProfileLeavesTheAccessAlone) {
  remote::RemoteAccess access;
  access.host = "vorher";
  std::string error;
  EXPECT_FALSE(LoadProfileAccess("/nicht/da.ftpz", access, &error));
  EXPECT_EQ(error, "Datei konnte nicht eingelesen werden.");
  EXPECT_EQ(access.host, "vorher");
}
