// Where ladeko-ftp's progress line learns of the transfers: the FTP client's work events, a
// remote session's hooks (SFTP) and a tree walk's counts.
#pragma once

#include <memory>

#include "FtpClient.h"
#include "FtpTreeWalk.h"
#include "LadekoProgress.h"
#include "RemoteSession.h"

// The progress line on the standard error, or none when that is no terminal or quiet is
// asked for (--quiet).
std::unique_ptr<LadekoProgress> LadekoTerminalProgress(bool quiet);

void FollowTransfers(LadekoProgress& progress, FtpClient& client);
void FollowTransfers(LadekoProgress& progress, remote::RemoteHooks& hooks);
// Each file's listed size and the files found and done; other hooks stay as they were.
FtpWalkHooks FollowWalk(LadekoProgress* progress, FtpWalkHooks hooks = {});
