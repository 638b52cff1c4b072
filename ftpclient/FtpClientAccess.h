// The FTP client's settings as the one access value and back: what a remote session's Connect
// puts into the client, and what a client set up by hand (a library user, a test) names.
#pragma once

#include "FtpClient.h"
#include "RemoteAccess.h"

// Host, port (0 is 21), user, password, proxy, TLS, pinned fingerprint and reply time-out.
void FtpApplyAccess(const remote::RemoteAccess& access, FtpClient& client);
// The same settings read back from the client (protocol FTP).
remote::RemoteAccess FtpAccessOf(const FtpClient& client);
