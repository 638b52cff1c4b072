// ladeko-ftp over SFTP: "sftp://[user@]host[:port]" as HOST runs the commands through the
// remote-session interface on the SFTP client, with the host key checked against known_hosts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "LadekoOptions.h"
#include "RemoteSession.h"

struct SftpTarget {
  std::string user;  // empty when the URL names none
  std::string host;
  std::uint16_t port = 0;  // 0 when the URL names none
};

// The parts of an "sftp://" host ("[::1]" for an IPv6 address); nothing for any other host.
// Raises UsageError for an "sftp://" that names no host or a bad port.
std::optional<SftpTarget> ParseSftpHost(const std::string& text);

// The commands that need no tree walk, on any remote session; "cd DIR" may precede one.
// Raises RemoteError, or OptionError for a command SFTP does not offer yet.
void RunRemoteCommands(remote::RemoteSession& session, const std::vector<std::string>& args);

// Connects over SFTP with the settings the options gave the client (user, password, port
// unless the URL names them, time-out), runs the commands and returns the exit code; the
// German message of a failure goes to the standard error.
int RunSftp(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options,
            const std::vector<std::string>& commands);
