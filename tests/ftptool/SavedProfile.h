// A profile as the tool window saves it, naming the test FTP server's account on loopback;
// port is what the profile stores.
#pragma once

#include <filesystem>
#include <string>

#include "FtpFilecls.h"
#include "PyftpdServer.h"
#include "RecordingProfileControls.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"

inline bool WriteTestProfile(const std::filesystem::path& file, const std::string& port, bool savePassword) {
  FtpAccessProfile profile;
  RecordingProfileControls controls;
  RecordingToolView view;
  ScriptedDialogs dialogs;
  FtpProfileStore store(profile, controls, view, dialogs);
  store.NewProfile(ProfileDocument::kUntitledName, "");
  controls.values.Login.Host = "127.0.0.1";
  controls.values.Login.Port = port;
  controls.values.Login.User = PyftpdServer::kUser;
  controls.values.Login.Password = PyftpdServer::kPassword;
  controls.values.Login.SavePassword = savePassword;
  return store.WriteProfile(file);
}
