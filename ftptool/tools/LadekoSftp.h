// ladeko-ftp over SFTP: "sftp://[user@]host[:port]" as HOST runs the commands through the
// remote-session interface on the SFTP client, with the host key checked against known_hosts.
#pragma once

#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpSftpHost.h"
#include "LadekoOptions.h"
#include "LadekoSessionRun.h"
#include "RemoteSession.h"

// The host key's fingerprint --fingerprint names, in the form ssh prints it ("SHA256:" and 43
// characters of base64): the bare 43 characters (or padded with "=") are taken too. Raises
// UsageError with the German reason for a text of neither form.
std::string SshFingerprintOption(const std::string& text);

// Connects over SFTP with the settings the options gave the client (user, password, port
// unless the URL names them, time-out), runs the commands (checked by CheckCommands) and
// returns the exit code; the German message of a failure goes to the standard error.
int RunSftp(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options,
            const std::vector<std::string>& commands);
