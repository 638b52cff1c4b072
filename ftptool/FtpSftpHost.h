// Which hosts the tool reaches over SSH: a host written "sftp://[user@]name[:port]" (the scheme
// in any case, "[::1]" for an IPv6 address), in the profile's host field as in ladeko-ftp's
// HOST. Everything else is an FTP server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "RemoteSession.h"

struct SftpTarget {
  std::string user;  // empty when the URL names none
  std::string host;
  std::uint16_t port = 0;  // 0 when the URL names none
};

// The parts of an "sftp://" host; nothing for any other host. Raises std::invalid_argument
// (its text German, Windows-1252) for an "sftp://" that names no host or a bad port.
std::optional<SftpTarget> ParseSftpHost(const std::string& text);

// The port of an SFTP connection: the URL's own, else the port number given, with the FTP
// default 21 (also what an empty or unreadable port text reads as) taken as SSH's 22.
std::uint16_t SftpPortOf(const SftpTarget& target, std::uint16_t givenPort);

// The user of an SFTP log-in: the URL's own, else the one given unless it is empty or FTP's
// "anonymous", else the local user (as ssh does).
std::string SftpUserOf(const SftpTarget& target, const std::string& givenUser);

// Where and as whom an SFTP session connects, from the target and the FTP-style settings.
remote::RemoteAccess SftpAccessOf(const SftpTarget& target, std::uint16_t givenPort, const std::string& givenUser,
                                  const std::string& password, int timeoutMs);
