// Profile controls for tests without a window: they hold the values the profile shows, give
// them back when it reads them, and count the remote-list clears and disconnects.
#pragma once

#include "ftpdisk.h"

class RecordingProfileControls : public FtpProfileControls {
 public:
  FtpProfileValues values;
  int disconnects = 0, remoteListCleared = 0;
  FtpProfileValues ReadControls() override { return values; }
  void ShowControls(const FtpProfileValues& v) override { values = v; }
  void ClearRemoteList() override { ++remoteListCleared; }
  void DisconnectServer() override { ++disconnects; }
};
