// ladeko-ftp over SFTP: "sftp://[user@]host[:port]" as HOST runs the commands through the
// remote-session interface on the SFTP client, with the host key checked against known_hosts.
#pragma once

#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpSftpHost.h"
#include "LadekoOptions.h"
#include "LadekoProgress.h"
#include "RemoteSession.h"

// The exit status of a tree command that ran to its end but left entries out.
inline constexpr int kLadekoExitSkipped = 3;

// getdir (REMOTE_DIR, LOCAL_PARENT) or putdir (LOCAL_DIR) on any session, its log lines
// escaped to the standard output; 0, or kLadekoExitSkipped (said on the standard error too)
// when entries were left out. Raises as the tree walks do. A progress line, where there is
// one, learns of the files found and done and makes room for each log line.
int RunTreeCommand(remote::RemoteSession& session, const std::vector<std::string>& commandAndArgs,
                   FtpPutMode putMode, LadekoProgress* progress = nullptr);

// The commands on any remote session, the tree walks included; "cd DIR" may precede one.
// Returns the exit status; raises RemoteError (FtpError from a tree walk), or OptionError for
// a command SFTP does not offer.
int RunRemoteCommands(remote::RemoteSession& session, const std::vector<std::string>& args,
                      FtpPutMode putMode = FtpPutMode::Store, LadekoProgress* progress = nullptr);

// The host key's fingerprint --fingerprint names, in the form ssh prints it ("SHA256:" and 43
// characters of base64): the bare 43 characters (or padded with "=") are taken too. Raises
// UsageError with the German reason for a text of neither form.
std::string SshFingerprintOption(const std::string& text);

// Refuses, with UsageError, a command SFTP does not offer (append) before connecting.
void CheckSftpCommands(const std::vector<std::string>& args);

// Connects over SFTP with the settings the options gave the client (user, password, port
// unless the URL names them, time-out), runs the commands and returns the exit code; the
// German message of a failure goes to the standard error.
int RunSftp(const SftpTarget& target, const FtpClient& settings, const LadekoOptions& options,
            const std::vector<std::string>& commands);
