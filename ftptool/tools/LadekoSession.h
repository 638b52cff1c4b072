// The one run of ladeko-ftp on a remote session, whatever the protocol: connect to the access,
// log in, run the commands, end the session. Each protocol's side (LadekoFtp, LadekoSftp)
// makes its session and adds what only it knows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "LadekoOptions.h"
#include "RemoteSession.h"

struct LadekoProtocolSide {
  // Once connected, before the log-in (SFTP: the pinned host key); raises RemoteError.
  std::function<void()> connected;
  // What a script's author can do about a failure (UTF-8, from a line break on); "" for nothing.
  std::function<std::string(const remote::RemoteError&)> hint;
};

// FTP takes the options' transfer settings through FtpCalls(); a session without them refuses
// the text transfer (--ascii) before connecting. Returns the exit status; the German message
// of a failure goes to the standard error, escaped for the terminal.
int RunLadekoSession(remote::RemoteSession& session, const remote::RemoteAccess& access,
                     const LadekoOptions& options, const std::vector<std::string>& commands,
                     const LadekoProtocolSide& side = {});

// A German text (Windows-1252) on the standard error, escaped; the exit status 1.
int LadekoFailure(const std::string& message);
