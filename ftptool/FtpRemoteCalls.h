// The tool's core on a remote session, whatever its protocol: the few places where FTP and
// SFTP differ are settled here by the session's FtpCalls() capability, so the walks, lists and transfers take
// any session. FTP keeps its own listing text (the listing area shows the server's LIST lines, the fallback
// rule reads what the parser cannot) and its own transfer modes; SFTP lists from the attributes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpListPairing.h"
#include "RemoteSession.h"

// How the session's name bytes read (FtpNameCodec's encoding).
FtpNameEncoding FtpNamesOf(const remote::RemoteSession& session);

// The entries of a folder (empty: the current one) and the lines for the listing area. A
// link stays a link; "." and ".." come as the server lists them.
std::vector<FtpListedEntry> FtpListFolder(remote::RemoteSession& session, const std::string& path,
                                          std::vector<std::string>& area);

// An upload in the given mode. Store is the session's own (temporary name, then rename);
// Append and Direct exist on FTP only and are refused elsewhere with a German message.
void FtpPutFile(remote::RemoteSession& session, const std::string& localPath, const std::string& remotePath,
                FtpPutMode mode);

// A download to a local path; with FtpOverwrite::No an existing local file stays and the
// download fails, on every protocol.
void FtpGetFile(remote::RemoteSession& session, const std::string& remotePath, const std::string& localPath,
                FtpOverwrite overwrite);

// The listed date (day count) of a remote file; nothing when the listing shows none. FTP lists
// the file itself; SFTP lists no file, so the entry of that name in its folder counts.
std::optional<double> FtpRemoteFileDate(remote::RemoteSession& session, const std::string& path);

// The German text (Windows-1252) of an FTP-only mode, named in UTF-8, asked of another protocol.
std::string FtpNotOverSftpText(const std::string& what);
