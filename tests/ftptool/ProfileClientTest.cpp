// A saved profile drives a client: the same reader and unscrambling as the tool window.
#include <gtest/gtest.h>

#include "FtpFilecls.h"
#include "FtpProfileClient.h"
#include "PyftpdServer.h"
#include "RecordingProfileControls.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "ftpdisk.h"

namespace fs = std::filesystem;

TEST(ProfileClient, SavedProfileConnectsAClient) {
  PyftpdServer server;
  ASSERT_TRUE(server.Running()) << server.Problem();
  FtpAccessProfile profile;
  RecordingProfileControls controls;
  RecordingToolView view;
  ScriptedDialogs dialogs;
  FtpProfileStore store(profile, controls, view, dialogs);
  store.NewProfile(ProfileDocument::kUntitledName, "");
  controls.values.Login.Host = "127.0.0.1";
  controls.values.Login.Port = std::to_string(server.Port());
  controls.values.Login.User = PyftpdServer::kUser;
  controls.values.Login.Password = PyftpdServer::kPassword;
  const fs::path file = server.Home() / "zugang.ftpz";
  ASSERT_TRUE(store.WriteProfile(file));

  FtpClient client;
  ASSERT_TRUE(LoadProfileIntoClient(file, client));
  EXPECT_EQ(client.Username, PyftpdServer::kUser);
  EXPECT_EQ(client.Password, PyftpdServer::kPassword);
  EXPECT_EQ(client.ProxySettings.ProxyType, FtpProxyType::fpcmNone);
  client.Connect();
  EXPECT_TRUE(client.Connected());
  client.Quit();

  // Without the save flag the profile carries no password.
  controls.values.Login.SavePassword = false;
  ASSERT_TRUE(store.WriteProfile(file));
  FtpClient second;
  ASSERT_TRUE(LoadProfileIntoClient(file, second));
  EXPECT_EQ(second.Password, "");
}

TEST(ProfileClient, UnreadableProfileLeavesTheClientAlone) {
  FtpClient client;
  client.Host = "vorher";
  std::string error;
  EXPECT_FALSE(LoadProfileIntoClient("/nicht/da.ftpz", client, &error));
  EXPECT_EQ(error, "Datei konnte nicht eingelesen werden.");
  EXPECT_EQ(client.Host, "vorher");
}
