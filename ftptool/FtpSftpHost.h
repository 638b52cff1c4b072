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

// Makes the access one over SSH to the target: its host, its port else the access's own (FTP's
// 21 or none as SSH's 22), its user else the access's own unless that is empty or
// "anonymous", else the local user. Password, time-out and the SSH files stay.
void FtpTakeSftpTarget(const SftpTarget& target, remote::RemoteAccess& access);

// An access whose host is written "sftp://..." as one over SSH (FtpTakeSftpTarget); any other
// stays as it is. Raises std::invalid_argument as ParseSftpHost.
void FtpSettleSftpUrl(remote::RemoteAccess& access);
