// ladeko-ftp over SFTP: "sftp://[user@]host[:port]" as HOST (or a profile saved for SFTP) runs
// the commands on the SFTP client's session, the host key checked against known_hosts.
#pragma once

#include <string>
#include <vector>

#include "FtpSftpHost.h"  // the host forms that make a run SFTP
#include "LadekoOptions.h"
#include "RemoteAccess.h"

// The host key's fingerprint --fingerprint names, in the form ssh prints it ("SHA256:" and 43
// characters of base64): the bare 43 characters (or padded with "=") are taken too. Raises
// UsageError with the German reason for a text of neither form.
std::string SshFingerprintOption(const std::string& text);

// Connects over SFTP to the access (known_hosts and the identity file from it; its pinned
// fingerprint as SshFingerprintOption reads it), runs the commands (checked by CheckCommands)
// and returns the exit code; the German message of a failure goes to the standard error.
int RunSftp(remote::RemoteAccess access, const LadekoOptions& options,
            const std::vector<std::string>& commands);
