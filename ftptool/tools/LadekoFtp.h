// ladeko-ftp over FTP: the FTP client behind the remote-session interface, the passwords the
// options left open taken from the environment or asked on the terminal before connecting.
#pragma once

#include <string>
#include <vector>

#include "LadekoOptions.h"
#include "RemoteAccess.h"

// Passwords not given on the command line or in the profile come from the environment
// (LADEKO_PASSWORD, LADEKO_PROXY_PASSWORD), else from a question on the terminal when
// someone sits at one; an anonymous log-in and a proxy without a user ask nothing.
void TakeFtpPasswords(remote::RemoteAccess& access, const LadekoOptions& options);

// Connects, runs the commands (checked by CheckCommands) and returns the exit code; the
// German message of a failure goes to the standard error.
int RunFtp(remote::RemoteAccess access, const LadekoOptions& options,
           const std::vector<std::string>& commands);
